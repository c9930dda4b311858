#include "faultyfilesystem.h"
#include "labeldirectory.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

using verbolt::LabelDirectory;
using verbolt::LabelFileEntry;
using verbolt::Listing;
using verbolt::test::FaultyFileSystem;
using verbolt::test::TempDir;

namespace {

std::string names(const std::vector<LabelFileEntry> &entries)
{
    std::string out;
    for (const auto &e : entries)
        out += e.name +
               (e.kind == LabelFileEntry::Kind::Directory  ? "/"
                : e.kind == LabelFileEntry::Kind::Dangling ? "@"
                                                           : "") +
               " ";
    return out;
}

} // namespace

TEST(LabelDirectoryListing, SortsClassifiesAndSkips)
{
    TempDir dir;
    for (const char *n : {"french.lan", "Dutch.lan", "a.b.lan", ".lan", "upper.LAN", "zz.lan",
                          "notes.txt", "lan", "x.lanx"})
        dir.write(n, "[Label]\n");
    ASSERT_EQ(::mkdir(dir.file("x.lan").c_str(), 0755), 0);
    ASSERT_EQ(::symlink("missing-target", dir.file("gone.lan").c_str()), 0);
    ASSERT_EQ(::mkfifo(dir.file("pipe.lan").c_str(), 0644), 0);
    // Case twins: only the first in sorted order is taken.
    dir.write("ZZ.lan", "[Label]\n");

    const Listing listing = LabelDirectory::list(dir.path());
    ASSERT_TRUE(listing.result.ok());
    EXPECT_EQ(names(listing.entries),
              ".lan a.b.lan Dutch.lan french.lan gone.lan@ upper.LAN x.lan/ "
              "ZZ.lan ");
}

TEST(LabelDirectoryListing, AListingThatFailsIsNotAnEmptyFolder)
{
    EXPECT_EQ(LabelDirectory::list("/nonexistent-verbolt-dir/").result.error(), ENOENT);

    TempDir dir;
    for (const char *n : {"a.lan", "b.lan", "c.lan", "d.lan"})
        dir.write(n, "[Label]\n");
    FaultyFileSystem fs;
    fs.failWhen([](FaultyFileSystem::Call c, int n) {
        return c == FaultyFileSystem::Call::ReadDirectory && n == 3 ? EIO : 0;
    });
    const Listing listing = LabelDirectory::list(dir.path(), fs);
    EXPECT_EQ(listing.result.error(), EIO);
    EXPECT_LE(listing.entries.size(), 3u) << "what was read before the failure is kept";
    EXPECT_EQ(LabelDirectory::unreadableMessage("/x/labels/"),
              "Unable to read the folder /x/labels.");
}

TEST(LabelDirectoryNames, ResolveFindsTheFileWhateverItsCase)
{
    TempDir dir;
    dir.write("French.LAN", "x");
    EXPECT_EQ(LabelDirectory::findName(dir.path(), "french.lan"), "French.LAN");
    EXPECT_EQ(LabelDirectory::findName(dir.path(), "english.lan"), "");
    // Remembered name first; a vanished file falls back to the header's name.
    EXPECT_EQ(LabelDirectory::resolve(dir.path(), "French.LAN", "FRENCH.lan"),
              dir.file("French.LAN"));
    EXPECT_EQ(LabelDirectory::resolve(dir.path(), "gone.lan", "FRENCH.lan"),
              dir.file("French.LAN"));
    EXPECT_EQ(LabelDirectory::resolve(dir.path(), "gone.lan", "GONE.lan"), dir.file("GONE.lan"));
    // For a write a vanished file is gone, not made again under the header's name.
    const auto gone = LabelDirectory::resolveExisting(dir.path(), "gone.lan", "FRENCH.lan");
    EXPECT_EQ(gone.result.failure(), verbolt::Result::Failure::Gone);
    EXPECT_EQ(gone.result.path(), dir.file("gone.lan"));
    EXPECT_EQ(LabelDirectory::resolveExisting(dir.path(), "FRENCH.lan", "x").path,
              dir.file("French.LAN"));
    EXPECT_EQ(LabelDirectory::resolveExisting(dir.path(), "", "NEW.lan").path, dir.file("NEW.lan"));
    EXPECT_TRUE(LabelDirectory::lessByName("a", "B"));
    EXPECT_TRUE(LabelDirectory::lessByName("B", "b")); // tie broken by unfolded bytes
    EXPECT_TRUE(LabelDirectory::lessByName("z", "\xE9"));
}
