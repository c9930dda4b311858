// A writer killed at any moment leaves the label file whole: its old bytes or its new ones,
// never a mix, and no temporary file that a later start would take for a label file.
#include "atomicfile.h"
#include "filepath.h"
#include "labeldirectory.h"
#include "profilefile.h"
#include "seed.h"
#include "tempdir.h"
#include "workspace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace verbolt;
using namespace verbolt::test;

namespace {

TEST(KilledWriter, FileIsAlwaysTheOldOrTheNewContent)
{
    TempDir dir;
    const std::string path = dir.file("french.lan");
    // A large file whose every byte moves when the last key's value changes length.
    std::string body = "[Label]\r\nBIG=";
    std::string rest;
    for (int i = 0; i < 20000; ++i)
        rest += "\r\nIDS_" + std::to_string(i) + "=Texte num\xE9ro " + std::to_string(i);
    rest += "\r\n";
    const std::string valueA(1 << 20, 'a');
    const std::string valueB(300000, 'b');
    const std::string contentA = body + valueA + rest;
    const std::string contentB = body + valueB + rest;
    writeFile(path, contentA);

    const unsigned seed = testSeed(1);
    SCOPED_TRACE("seed " + std::to_string(seed) + " (VERBOLT_TEST_SEED sets another)");
    std::mt19937 rng(seed);
    // Kills land within about two writes of the writer's first, however fast this machine
    // writes now (a loaded one, a sanitized build): timed on two writes here.
    const auto started = std::chrono::steady_clock::now();
    (void)ProfileFile().writeKey(path, "BIG", valueB, verbolt::FilePath::folderOf(path));
    (void)ProfileFile().writeKey(path, "BIG", valueA, verbolt::FilePath::folderOf(path));
    const auto oneWrite = std::chrono::duration_cast<std::chrono::microseconds>(
                              std::chrono::steady_clock::now() - started)
                              .count() /
                          2;
    std::uniform_int_distribution<long> pause(0, 2 * std::max<long>(oneWrite, 100));
    int sawA = 0, sawB = 0, duringWrite = 0, rounds = 0;
    // Thirty kills, and more while none has landed during a write.
    for (int round = 0; round < 30 || (duringWrite == 0 && round < 300); ++round) {
        ++rounds;
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            // Writes until it is killed: no result is ever looked at. The first write done
            // is told, so that the kill comes while the writes go on.
            ProfileFile writer;
            for (bool a = false, told = false;; a = !a) {
                (void)writer.writeKey(path, "BIG", a ? valueA : valueB,
                                      verbolt::FilePath::folderOf(path));
                if (!told)
                    told = ::write(ready[1], "x", 1) == 1;
            }
        }
        char byte = 0;
        ASSERT_EQ(::read(ready[0], &byte, 1), 1);
        ::close(ready[0]);
        ::close(ready[1]);
        ::usleep(static_cast<useconds_t>(pause(rng)));
        ASSERT_EQ(::kill(pid, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFSIGNALED(status));

        const std::string now = readFile(path);
        sawA += now == contentA;
        sawB += now == contentB;
        ASSERT_TRUE(now == contentA || now == contentB)
            << "round " << round << ": torn file of " << now.size() << " bytes";
        // Whatever the kill left beside it is a ".french.lan.XXXXXX" temporary file, which no
        // listing takes for a label file, and the next write clears away.
        duringWrite += entriesOf(dir.path()).size() > 1;
        for (const std::string &name : entriesOf(dir.path())) {
            if (name == "french.lan")
                continue;
            EXPECT_EQ(name.rfind(".french.lan.", 0), 0u) << name;
            EXPECT_EQ(name.size(), std::string(".french.lan.XXXXXX").size()) << name;
            EXPECT_FALSE(LabelDirectory::hasLanExtension(name)) << name;
        }
    }
    EXPECT_EQ(sawA + sawB, rounds);
    // Each temporary file left is a kill that landed during a write, between the file's
    // creation and its rename; kills that all fell between two writes would prove nothing.
    EXPECT_GT(duringWrite, 0);
    RecordProperty("kills_during_write", duringWrite);

    // A later start reads the one label file, whatever temporary files the kills left.
    Session s(dir.path());
    EXPECT_EQ(s.headers(), (std::vector<std::string>{"ID", "FRENCH"}));
    EXPECT_EQ(s.grid().rowCount(), 20001);
    EXPECT_EQ(s.grid().itemText(20000, 0), "IDS_19999");
}

// A file of several hard links is rewritten in place: killed half-way, the next write puts
// its old bytes back first, so every link reads the old or the new content.
TEST(KilledWriter, HardLinkedFileIsTheOldOrTheNewContentAfterTheNextWrite)
{
    TempDir dir;
    const std::string path = dir.file("french.lan");
    const std::string contentA = "[Label]\r\nBIG=" + std::string(1 << 21, 'a') + "\r\n";
    const std::string contentB = "[Label]\r\nBIG=" + std::string(1 << 20, 'b') + "\r\n";
    writeFile(path, contentA);
    ASSERT_EQ(::link(path.c_str(), dir.file("shared.lan").c_str()), 0);

    const unsigned seed = testSeed(2);
    SCOPED_TRACE("seed " + std::to_string(seed) + " (VERBOLT_TEST_SEED sets another)");
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> pause(0, 40000);
    for (int round = 0; round < 20; ++round) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ProfileFile writer; // writes until it is killed: no result is looked at
            for (bool a = false;; a = !a)
                (void)writer.writeKey(
                    path, "BIG", std::string(a ? 1 << 21 : 1 << 20, a ? 'a' : 'b'), dir.path());
        }
        ::usleep(static_cast<useconds_t>(pause(rng)));
        ASSERT_EQ(::kill(pid, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        // What the next write does first, under the folder's lock.
        ASSERT_TRUE(AtomicFile::tidy(dir.path()).ok());
        const std::string now = readFile(dir.file("shared.lan"));
        ASSERT_TRUE(now == contentA || now == contentB)
            << "round " << round << ": torn file of " << now.size() << " bytes";
        EXPECT_EQ(entriesOf(dir.path()), (std::vector<std::string>{"french.lan", "shared.lan"}));
    }
}

} // namespace
