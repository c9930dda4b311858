#include "asuser.h"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace verbolt::test {

bool runningAsRoot()
{
    return ::geteuid() == 0;
}

int runAsUnprivileged(const std::function<int()> &body)
{
    const pid_t pid = ::fork();
    if (pid < 0)
        return -1;
    if (pid == 0) {
        if (::geteuid() == 0) {
            const gid_t nogroup = 65534;
            if (::setgroups(1, &nogroup) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(120);
        }
        ::_exit(body());
    }
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

} // namespace verbolt::test
