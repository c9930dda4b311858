#include "asuser.h"
#include "filepath.h"
#include "profilefile.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace std::string_literals;
using verbolt::ProfileFile;
using verbolt::Result;
using verbolt::test::As;
using verbolt::test::inChild;
using verbolt::test::Strings;
using verbolt::test::TempDir;

namespace {

int errorOf(const Result &r)
{
    return r.ok() ? 0 : r.error();
}

TEST(ProfileFile, ReadKeyGivesTheValueOrEmpty)
{
    TempDir dir;
    const std::string path = dir.file("a.lan");
    dir.write("a.lan", "[O]\nX=o\n[Label]\nK = \"text\" \r\nLONG=" + std::string(1500, 'y'));
    EXPECT_EQ(ProfileFile::readKey(path, "k"), "\"text\"");
    EXPECT_EQ(ProfileFile::readKey(path, "X"), "");
    EXPECT_EQ(ProfileFile::readKey(dir.file("missing.cmt"), "K"), std::nullopt);
    EXPECT_EQ(ProfileFile::readKey(path, "LONG"), std::string(999, 'y'));
    EXPECT_EQ(ProfileFile::readKey(path, "LONG", 10), std::string(10, 'y'));
    dir.write("a.lan", "[Label]\nK=new\n"); // read afresh, never cached
    EXPECT_EQ(ProfileFile::readKey(path, "K"), "new");
}

TEST(ProfileFile, WritesCreateChangeOrLeaveTheFile)
{
    TempDir dir;
    const std::string path = dir.file("german.lan");
    EXPECT_EQ(errorOf(ProfileFile().writeKey(path, "A", "1", verbolt::FilePath::folderOf(path))),
              0);
    EXPECT_EQ(errorOf(ProfileFile().writeKeys(path, {{"B", "2"}, {"a", ""}, {"B", "3"}},
                                              verbolt::FilePath::folderOf(path))),
              0);
    EXPECT_EQ(dir.read("german.lan"), "[Label]\r\nA=\r\nB=3\r\n");

    // A write that changes nothing does not even replace the file; an empty batch creates none.
    struct stat before
    {
    }, after{};
    ::stat(path.c_str(), &before);
    EXPECT_EQ(errorOf(ProfileFile().writeKey(path, " b ", "3", verbolt::FilePath::folderOf(path))),
              0);
    ::stat(path.c_str(), &after);
    EXPECT_EQ(before.st_ino, after.st_ino);
    EXPECT_EQ(errorOf(ProfileFile().writeKeys(dir.file("none.lan"), {},
                                              verbolt::FilePath::folderOf(dir.file("none.lan")))),
              0);

    for (const std::string &bad : {"x\ry"s, "x\ny"s, "x\0y"s}) {
        EXPECT_EQ(
            errorOf(ProfileFile().writeKey(path, "A", bad, verbolt::FilePath::folderOf(path))),
            EINVAL);
        EXPECT_EQ(
            errorOf(ProfileFile().writeKeys(dir.file("new.lan"), {{"B", "1"}, {bad, "2"}},
                                            verbolt::FilePath::folderOf(dir.file("new.lan")))),
            EINVAL);
    }
    EXPECT_EQ(errorOf(ProfileFile().writeKey(dir.file("gone/a.lan"), "A", "2",
                                             verbolt::FilePath::folderOf(dir.file("gone/a.lan")))),
              ENOENT);
    ASSERT_EQ(::mkdir(dir.file("sub.lan").c_str(), 0755), 0);
    EXPECT_EQ(errorOf(ProfileFile().writeKey(dir.file("sub.lan"), "A", "2",
                                             verbolt::FilePath::folderOf(dir.file("sub.lan")))),
              EISDIR);
    EXPECT_EQ(dir.read("german.lan"), "[Label]\r\nA=\r\nB=3\r\n");
    EXPECT_EQ(dir.listing(), "german.lan\nsub.lan\n");
}

TEST(ProfileFile, BytesTheRulesWouldBreakAreNeverRewritten)
{
    TempDir dir;
    const std::string utf16 = "\xFF\xFE[\0L\0]\0\r\0\n\0"s;
    const std::string bare = "[\0L\0a\0b\0e\0l\0]\0\r\0\n\0K\0=\0v\0"s;
    dir.write("b.lan", "[Label]\r\nK=a\0b\r\n"s); // a stray NUL is not UTF-16
    EXPECT_TRUE(ProfileFile().writeKey(dir.file("b.lan"), "L", "w", dir.path()).ok());
    const std::string crOnly = "[Label]\rK=v\r";
    for (const std::string &bytes : {utf16, bare, crOnly}) {
        dir.write("a.lan", bytes);
        const Result r = ProfileFile().writeKey(dir.file("a.lan"), "K", "w", dir.path());
        EXPECT_EQ(r.failure(), Result::Failure::Unsupported);
        EXPECT_FALSE(r.reason().empty());
        EXPECT_EQ(dir.read("a.lan"), bytes);
    }
}

TEST(ProfileFile, PermissionsAreRespected)
{
    TempDir dir;
    const std::string original = "[Label]\nA=1\n";
    for (const auto &[name, mode] :
         {std::pair{"ro.lan", 0444}, {"wo.lan", 0222}, {"rw.lan", 0666}}) {
        dir.write(name, original);
        ASSERT_EQ(::chmod(dir.file(name).c_str(), static_cast<mode_t>(mode)), 0);
    }
    const auto write = [&](const char *name, const char *key, const char *value) {
        const std::string path = dir.file(name);
        const Result r =
            ProfileFile().writeKey(path, key, value, verbolt::FilePath::folderOf(path));
        return r.ok() ? "ok" : std::to_string(r.error());
    };
    // The read-only file refuses a change but takes a write that changes nothing; an
    // unreadable file is not missing: it must not be replaced by a new one.
    EXPECT_EQ(inChild(As::Unprivileged,
                      [&] {
                          return Strings{write("ro.lan", "A", "2"), write("ro.lan", "a", "1"),
                                         write("wo.lan", "B", "2")};
                      }),
              (Strings{std::to_string(EACCES), "ok", std::to_string(EACCES)}));

    // In a read-only directory a writable file cannot be replaced, nor a new one created.
    ASSERT_EQ(::chmod(dir.path().c_str(), 0555), 0);
    const auto failed = inChild(As::Unprivileged, [&] {
        return Strings{write("rw.lan", "A", "2"), write("new.lan", "A", "2")};
    });
    ASSERT_TRUE(failed);
    EXPECT_NE(failed->at(0), "ok");
    EXPECT_NE(failed->at(1), "ok");
    ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);
    ASSERT_EQ(::chmod(dir.file("wo.lan").c_str(), 0644), 0);
    for (const char *name : {"ro.lan", "wo.lan", "rw.lan"})
        EXPECT_EQ(dir.read(name), original) << name;
    EXPECT_EQ(dir.listing(), "ro.lan\nrw.lan\nwo.lan\n");
}

TEST(ProfileFile, ConcurrentProcessesLoseNoKey)
{
    TempDir dir;
    const std::string path = dir.file("shared.lan");
    constexpr int kProcesses = 4, kKeys = 40;
    auto id = [](int p, int k) { return std::to_string(p) + "_" + std::to_string(k); };
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            bool ok = true;
            for (int k = 0; k < kKeys; ++k)
                ok = ProfileFile()
                         .writeKey(path, "K" + id(p, k), "v" + id(p, k),
                                   verbolt::FilePath::folderOf(path))
                         .ok() &&
                     ok;
            ::_exit(ok ? 0 : 1);
        }
        children.push_back(pid);
    }
    for (const pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (int p = 0; p < kProcesses; ++p) {
        for (int k = 0; k < kKeys; ++k)
            EXPECT_EQ(ProfileFile::readKey(path, "K" + id(p, k)), "v" + id(p, k));
    }
    EXPECT_EQ(dir.listing(), "shared.lan\n");
}

} // namespace

TEST(ProfileFile, RemovedLinesComeBackOnDiskWhileTheFileIsAsLeft)
{
    TempDir dir;
    const std::string path = dir.file("german.lan");
    const std::string folder = verbolt::FilePath::folderOf(path);
    const std::string old = "[Label]\n; A\nA=1\nB=2\n";
    dir.write("german.lan", old);
    verbolt::FileChanges changes;
    EXPECT_EQ(errorOf(ProfileFile().removeKeys(path, {"a"}, folder, &changes)), 0);
    EXPECT_EQ(dir.read("german.lan"), "[Label]\n; A\nB=2\n");
    ProfileFile::Reverted r = ProfileFile().revertKeys(path, changes, true, folder);
    EXPECT_TRUE(r.result.ok() && r.applied == std::vector<bool>{true});
    EXPECT_EQ(dir.read("german.lan"), old);
    dir.write("german.lan", old + "C=3\n"); // changed since: redo leaves it
    r = ProfileFile().revertKeys(path, changes, false, folder);
    EXPECT_TRUE(r.result.ok() && r.applied == std::vector<bool>{false});
    EXPECT_EQ(dir.read("german.lan"), old + "C=3\n");

    // A whole-file replace never goes through a link out of the folder.
    TempDir outside;
    outside.write("x.lan", "x");
    ASSERT_EQ(::symlink(outside.file("x.lan").c_str(), dir.file("link.lan").c_str()), 0);
    const Result refused = ProfileFile().replaceFile(
        dir.file("link.lan"), folder, [](std::string_view, bool) { return std::string("y"); });
    EXPECT_EQ(refused.failure(), Result::Failure::LinksOutside);
    EXPECT_EQ(outside.read("x.lan"), "x");
}
