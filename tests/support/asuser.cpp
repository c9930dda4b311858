#include "asuser.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace verbolt::test {

namespace {

// The child's side: drop privileges if asked, run the body, send its texts NUL-terminated.
int runChild(As as, const std::function<Strings()> &body, int out)
{
    if (as == As::Unprivileged && ::geteuid() == 0) {
        const gid_t nogroup = 65534;
        if (::setgroups(1, &nogroup) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
            return 120;
    }
    std::string joined;
    for (const std::string &s : body())
        joined.append(s).push_back('\0');
    for (std::size_t at = 0; at < joined.size();) {
        const ssize_t n = ::write(out, joined.data() + at, joined.size() - at);
        if (n <= 0)
            return 1;
        at += static_cast<std::size_t>(n);
    }
    return 0;
}

} // namespace

std::optional<Strings> inChild(As as, const std::function<Strings()> &body)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return std::nullopt;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        ::_exit(runChild(as, body, fds[1]));
    }
    ::close(fds[1]);
    // Read while the child runs, so that no amount of text can fill the pipe and stop it.
    std::string joined;
    char buf[4096];
    for (ssize_t n; pid > 0 && (n = ::read(fds[0], buf, sizeof buf)) > 0;)
        joined.append(buf, static_cast<std::size_t>(n));
    ::close(fds[0]);
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return std::nullopt;
    Strings texts;
    for (std::size_t at = 0, end; (end = joined.find('\0', at)) != std::string::npos; at = end + 1)
        texts.push_back(joined.substr(at, end - at));
    return texts;
}

} // namespace verbolt::test
