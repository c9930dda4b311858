// Two Verbolt processes applying different keys of the same files at the same moment: each
// keeps the other's key, round after round.
#include "profilefile.h"
#include "tempdir.h"
#include "workspace.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

using namespace verbolt;
using namespace verbolt::test;

namespace {

TEST(ConcurrentApply, TwoProcessesNeverLoseEachOthersKey)
{
    TempDir dir;
    dir.write("french.lan", "[Label]\r\nA=Un\r\nB=Deux\r\n; end\r\n");
    dir.write("english.lan", "[Label]\r\nA=One\r\nB=Two\r\n; end\r\n");

    for (int round = 0; round < 40; ++round) {
        int ready[2], go[2];
        ASSERT_EQ(::pipe(ready), 0);
        ASSERT_EQ(::pipe(go), 0);
        pid_t pids[2];
        for (int row = 0; row < 2; ++row) {
            pids[row] = ::fork();
            ASSERT_GE(pids[row], 0);
            if (pids[row] == 0) {
                ::close(ready[0]);
                ::close(go[1]);
                Session s(dir.path()); // each process loaded the set before the other wrote
                const std::string tag = std::to_string(round) + "/" + std::to_string(row);
                s.click(row);
                s.view->type("FRENCH", "fr " + tag);
                s.view->type("ENGLISH", "en " + tag);
                char c = 0;
                if (::write(ready[1], &c, 1) != 1 || ::read(go[0], &c, 1) != 0)
                    ::_exit(2); // the parent closes "go" to start both at once
                s.editor->OnApply();
                ::_exit(s.view->messages.empty() ? 0 : 1);
            }
        }
        ::close(ready[1]);
        ::close(go[0]);
        char c;
        for (int i = 0; i < 2; ++i)
            ASSERT_EQ(::read(ready[0], &c, 1), 1);
        ::close(go[1]);
        ::close(ready[0]);
        for (const pid_t pid : pids) {
            int status = 0;
            ASSERT_EQ(::waitpid(pid, &status, 0), pid);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        }
        const std::string r = std::to_string(round);
        ASSERT_EQ(dir.read("french.lan"),
                  "[Label]\r\nA=fr " + r + "/0\r\nB=fr " + r + "/1\r\n; end\r\n");
        ASSERT_EQ(dir.read("english.lan"),
                  "[Label]\r\nA=en " + r + "/0\r\nB=en " + r + "/1\r\n; end\r\n");
    }
}

} // namespace
