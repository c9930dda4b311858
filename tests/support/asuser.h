#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace verbolt::test {

using Strings = std::vector<std::string>;

enum class As
{
    Self,        // the child keeps the test's user (root in CI)
    Unprivileged // the child drops to uid 65534, so that file modes apply (root ignores them)
};

/// Runs `body` in a forked child (limits and privileges it changes die with it) and hands
/// back the texts it returned; nothing when the child failed, died or could not drop its
/// privileges.
std::optional<Strings> inChild(As as, const std::function<Strings()> &body);

} // namespace verbolt::test
