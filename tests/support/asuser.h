#pragma once

#include <functional>

namespace verbolt::test {

/// Runs `body` in a forked child that, when the tests run as root, first drops to the
/// unprivileged user 65534, so that file permissions apply (root ignores them). The child's
/// exit status is body's result: 0 for success. Returns that status, or -1 if the child
/// died or could not drop its privileges.
int runAsUnprivileged(const std::function<int()> &body);

/// True when the process runs as root (then runAsUnprivileged drops privileges).
bool runningAsRoot();

} // namespace verbolt::test
