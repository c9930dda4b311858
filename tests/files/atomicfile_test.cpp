#include "atomicfile.h"
#include "faultyfilesystem.h"
#include "filepath.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <regex>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using verbolt::AtomicFile;
using verbolt::FilePath;
using verbolt::test::FaultyFileSystem;
using verbolt::test::TempDir;

namespace {

struct stat statOf(const std::string &path)
{
    struct stat st
    {
    };
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st;
}

TEST(AtomicFile, LinksAreFollowedAndStay)
{
    TempDir dir;
    ASSERT_EQ(::mkdir(dir.file("real").c_str(), 0777), 0);
    dir.write("real/french.lan", "old");
    ASSERT_EQ(::symlink("real/french.lan", dir.file("link.lan").c_str()), 0);
    ASSERT_EQ(::symlink("real/gone.lan", dir.file("dangling.lan").c_str()), 0);
    ASSERT_EQ(::symlink("loop.lan", dir.file("loop.lan").c_str()), 0);
    EXPECT_TRUE(AtomicFile::write(dir.file("link.lan"), "new",
                                  verbolt::FilePath::folderOf(dir.file("link.lan")))
                    .ok());
    EXPECT_TRUE(AtomicFile::write(dir.file("dangling.lan"), "created",
                                  verbolt::FilePath::folderOf(dir.file("dangling.lan")))
                    .ok());
    EXPECT_EQ(AtomicFile::write(dir.file("loop.lan"), "x",
                                verbolt::FilePath::folderOf(dir.file("loop.lan")))
                  .error(),
              ELOOP);
    EXPECT_TRUE(S_ISLNK(statOf(dir.file("link.lan")).st_mode));
    EXPECT_TRUE(S_ISLNK(statOf(dir.file("dangling.lan")).st_mode));
    EXPECT_EQ(dir.read("real/french.lan"), "new");
    EXPECT_EQ(dir.read("real/gone.lan"), "created");
    EXPECT_EQ(dir.listing(), "dangling.lan\nlink.lan\nloop.lan\nreal\n");

    // Hard links stay shared: the file is rewritten in place.
    dir.write("a.lan", "a much longer old content");
    ASSERT_EQ(::link(dir.file("a.lan").c_str(), dir.file("b.lan").c_str()), 0);
    EXPECT_TRUE(
        AtomicFile::write(dir.file("a.lan"), "new", verbolt::FilePath::folderOf(dir.file("a.lan")))
            .ok());
    EXPECT_EQ(dir.read("b.lan"), "new");
    EXPECT_EQ(statOf(dir.file("a.lan")).st_ino, statOf(dir.file("b.lan")).st_ino);
}

TEST(AtomicFile, ModeAndOwnerAreKept)
{
    TempDir dir;
    dir.write("a.lan", "old");
    ASSERT_EQ(::chmod(dir.file("a.lan").c_str(), 0640), 0);
    EXPECT_TRUE(
        AtomicFile::write(dir.file("a.lan"), "new", verbolt::FilePath::folderOf(dir.file("a.lan")))
            .ok());
    EXPECT_EQ(statOf(dir.file("a.lan")).st_mode & 07777, 0640u);
    const mode_t oldMask = ::umask(027);
    EXPECT_TRUE(AtomicFile::write(dir.file("fresh.lan"), "new",
                                  verbolt::FilePath::folderOf(dir.file("fresh.lan")))
                    .ok());
    ::umask(oldMask);
    EXPECT_EQ(statOf(dir.file("fresh.lan")).st_mode & 07777, 0640u);

    if (::geteuid() != 0)
        GTEST_SKIP() << "changing the owner needs root";
    ASSERT_EQ(::chown(dir.file("a.lan").c_str(), 65534, 65534), 0);
    EXPECT_TRUE(AtomicFile::write(dir.file("a.lan"), "again",
                                  verbolt::FilePath::folderOf(dir.file("a.lan")))
                    .ok());
    EXPECT_EQ(statOf(dir.file("a.lan")).st_uid, 65534u);
    EXPECT_EQ(statOf(dir.file("a.lan")).st_gid, 65534u);
}

TEST(AtomicFile, FailureAtAnyStageLeavesTheOriginalAndNoTemporaryFile)
{
    using Call = FaultyFileSystem::Call;
    for (const Call failAt : {Call::Write, Call::Sync, Call::Rename}) {
        SCOPED_TRACE(static_cast<int>(failAt));
        TempDir dir;
        dir.write("a.lan", "original");
        std::string seen;
        FaultyFileSystem fs;
        fs.failWhen([&](Call call, int) {
            seen = call == failAt && seen.empty() ? dir.listing() : seen;
            return call == failAt ? ENOSPC : 0;
        });
        EXPECT_EQ(AtomicFile::write(dir.file("a.lan"), "replacement bytes",
                                    verbolt::FilePath::folderOf(dir.file("a.lan")), fs)
                      .error(),
                  ENOSPC);
        EXPECT_FALSE(AtomicFile::write(dir.file("new.lan"), "bytes",
                                       verbolt::FilePath::folderOf(dir.file("new.lan")), fs)
                         .ok());
        EXPECT_EQ(dir.read("a.lan"), "original");
        EXPECT_EQ(dir.listing(), "a.lan\n");
        // The temporary file stood beside it, under a name never taken for a label file.
        EXPECT_TRUE(std::regex_match(seen, std::regex("\\.a\\.lan\\.[A-Za-z0-9]{6}\na\\.lan\n")))
            << seen;
    }
}

TEST(AtomicFile, FolderThatCannotBeResolvedIsOutsideAndSameFileFollowsLinks)
{
    TempDir dir;
    dir.write("a.lan", "a");
    dir.write("b.lan", "b");
    EXPECT_FALSE(FilePath::staysIn(dir.file("gone/a.lan"), dir.path()));
    EXPECT_FALSE(FilePath::staysIn(dir.file("a.lan"), dir.file("gone")));
    EXPECT_FALSE(AtomicFile::write(dir.file("a.lan"), "x", dir.file("gone")).ok());
    EXPECT_EQ(dir.read("a.lan"), "a");

    ASSERT_EQ(::symlink("a.lan", dir.file("link.lan").c_str()), 0);
    ASSERT_EQ(::link(dir.file("b.lan").c_str(), dir.file("hard.lan").c_str()), 0);
    EXPECT_TRUE(FilePath::sameFile(dir.file("a.lan"), dir.file("link.lan")));
    EXPECT_TRUE(FilePath::sameFile(dir.file("b.lan"), dir.file("hard.lan")));
    EXPECT_FALSE(FilePath::sameFile(dir.file("a.lan"), dir.file("b.lan")));
    EXPECT_FALSE(FilePath::sameFile(dir.file("a.lan"), dir.file("gone.lan")));
}

// Another program swaps the subfolder written to for a link to a folder outside, and back,
// as fast as it can: no write may land outside.
TEST(AtomicFile, FolderSwappedForALinkMeanwhileNeverRedirectsTheWrite)
{
    TempDir dir;
    TempDir outside;
    ASSERT_EQ(::mkdir(dir.file("sub").c_str(), 0777), 0);
    dir.write("sub/a.lan", "inside");
    outside.write("a.lan", "outside");
    ASSERT_EQ(::symlink(outside.path().c_str(), dir.file("swap").c_str()), 0);
    std::atomic<bool> stop{false};
    std::thread swapper([&] {
        while (!stop)
            ::renameat2(AT_FDCWD, dir.file("sub").c_str(), AT_FDCWD, dir.file("swap").c_str(),
                        RENAME_EXCHANGE);
    });
    for (int i = 0; i < 400; ++i)
        (void)AtomicFile::write(dir.file("sub/a.lan"), "new", dir.path()); // refused or inside
    stop = true;
    swapper.join();
    EXPECT_EQ(outside.read("a.lan"), "outside");
    EXPECT_EQ(outside.listing(), "a.lan\n");
    // With the folder back in place the same write goes through (how many went through
    // meanwhile depends on how the two threads were scheduled).
    struct stat st
    {
    };
    ASSERT_EQ(::lstat(dir.file("sub").c_str(), &st), 0);
    if (S_ISLNK(st.st_mode)) {
        ASSERT_EQ(::renameat2(AT_FDCWD, dir.file("sub").c_str(), AT_FDCWD, dir.file("swap").c_str(),
                              RENAME_EXCHANGE),
                  0);
    }
    EXPECT_TRUE(AtomicFile::write(dir.file("sub/a.lan"), "new", dir.path()).ok());
    EXPECT_EQ(dir.read("sub/a.lan"), "new");
}

TEST(AtomicFile, TidyRemovesStaleTemporariesAndPutsBackAHalfRewrittenHardLinkedFile)
{
    TempDir dir;
    dir.write("a.lan", "torn");
    ASSERT_EQ(::link(dir.file("a.lan").c_str(), dir.file("b.lan").c_str()), 0);
    dir.write(".a.lan.copy", "old whole");
    dir.write(".c.lan.Ab12Cd", "stale");
    dir.write(".notes.txt.Ab12Cd", "not ours");
    EXPECT_TRUE(AtomicFile::tidy(dir.path()).ok());
    EXPECT_EQ(dir.listing(), ".notes.txt.Ab12Cd\na.lan\nb.lan\n");
    EXPECT_EQ(dir.read("b.lan"), "old whole");

    // A rewrite in place that fails half-way puts the old bytes back at once.
    // Its writes: the copy of the old bytes, the new bytes, the old bytes put back.
    FaultyFileSystem fs;
    fs.failWhen([](FaultyFileSystem::Call c, int n) {
        return c == FaultyFileSystem::Call::Write && n == 1 ? EIO : 0;
    });
    const verbolt::Result r =
        AtomicFile::write(dir.file("a.lan"), "a new and longer text", dir.path(), fs);
    EXPECT_EQ(r.error(), EIO);
    EXPECT_EQ(r.reason(), "Input/output error");
    EXPECT_EQ(dir.read("b.lan"), "old whole");
    EXPECT_EQ(dir.listing(), ".notes.txt.Ab12Cd\na.lan\nb.lan\n");
}

} // namespace
