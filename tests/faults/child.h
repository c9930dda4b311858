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
    Unprivileged // the child drops to uid 65534, so that file modes apply
};

/// Runs `body` in a forked child (limits and privileges it changes die with it) and hands
/// back the texts it returned; nothing when the child failed or died. Keep the texts short:
/// they travel through a pipe that is read once the child has ended.
std::optional<Strings> inChild(As as, const std::function<Strings()> &body);

/// Every entry of a directory but "." and "..", sorted.
Strings entriesOf(const std::string &dir);

} // namespace verbolt::test
