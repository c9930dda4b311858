#include "labeldirectory.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using verbolt::LabelDirectory;
using verbolt::LabelFileEntry;
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

    std::vector<LabelFileEntry> entries;
    int error = 0;
    ASSERT_TRUE(LabelDirectory::list(dir.path(), entries, error));
    EXPECT_EQ(names(entries), ".lan a.b.lan Dutch.lan french.lan gone.lan@ upper.LAN x.lan/ "
                              "ZZ.lan ");
}

TEST(LabelDirectoryListing, UnreadableDirectoryIsReported)
{
    std::vector<LabelFileEntry> entries;
    int error = 0;
    EXPECT_FALSE(LabelDirectory::list("/nonexistent-verbolt-dir/", entries, error));
    EXPECT_EQ(error, ENOENT);
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
    EXPECT_TRUE(LabelDirectory::lessByName("a", "B"));
    EXPECT_TRUE(LabelDirectory::lessByName("B", "b")); // tie broken by unfolded bytes
    EXPECT_TRUE(LabelDirectory::lessByName("z", "\xE9"));
}
