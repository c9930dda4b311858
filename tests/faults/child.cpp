#include "child.h"

#include "asuser.h"

#include <algorithm>
#include <dirent.h>
#include <sys/wait.h>
#include <unistd.h>

namespace verbolt::test {

namespace {

int forkAndWait(const std::function<int()> &body)
{
    const pid_t pid = ::fork();
    if (pid < 0)
        return -1;
    if (pid == 0)
        ::_exit(body());
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

} // namespace

std::optional<Strings> inChild(As as, const std::function<Strings()> &body)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return std::nullopt;
    const auto run = [&] {
        ::close(fds[0]);
        std::string joined;
        for (const std::string &s : body())
            joined.append(s).push_back('\0');
        for (std::size_t at = 0; at < joined.size();) {
            const ssize_t n = ::write(fds[1], joined.data() + at, joined.size() - at);
            if (n <= 0)
                return 1;
            at += static_cast<std::size_t>(n);
        }
        return 0;
    };
    const int rc = as == As::Unprivileged ? runAsUnprivileged(run) : forkAndWait(run);
    ::close(fds[1]);
    std::string joined;
    char buf[4096];
    for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;)
        joined.append(buf, static_cast<std::size_t>(n));
    ::close(fds[0]);
    if (rc != 0)
        return std::nullopt;
    Strings texts;
    for (std::size_t at = 0, end; (end = joined.find('\0', at)) != std::string::npos; at = end + 1)
        texts.push_back(joined.substr(at, end - at));
    return texts;
}

Strings entriesOf(const std::string &dir)
{
    Strings names;
    if (DIR *d = ::opendir(dir.c_str())) {
        while (const dirent *e = ::readdir(d)) {
            const std::string n = e->d_name;
            if (n != "." && n != "..")
                names.push_back(n);
        }
        ::closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace verbolt::test
