#include "asuser.h"
#include "stringtableextractor.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

using verbolt::Result;
using verbolt::StringTableExtractor;
using verbolt::test::As;
using verbolt::test::inChild;
using verbolt::test::Strings;
using verbolt::test::TempDir;
using Failure = Result::Failure;

namespace {

// What the message says of a result: its first words.
std::string said(const Result &result)
{
    const std::string m = StringTableExtractor::messageFor(result);
    return m.substr(0, m.find(" the file"));
}

const std::string script = "STRINGTABLE\r\nBEGIN\r\n    IDS_HELLO \"Hello\"\r\nEND\r\n";
const std::string extracted = "[Label]\r\nIDS_HELLO=Hello\r\n";

} // namespace

TEST(ExtractToFile, WritesBesideTheScriptAndReplacesAnOldOutput)
{
    TempDir dir;
    std::filesystem::create_directory(dir.file("res"));
    dir.write("res/app.rc", script);

    auto result = StringTableExtractor::extractToFile(dir.file("res/app.rc"), "english.txt");
    EXPECT_EQ(said(result), "Extraction terminated.");
    EXPECT_EQ(StringTableExtractor::messageFor(result), "Extraction terminated.");
    EXPECT_EQ(dir.read("res/english.txt"), extracted);
    EXPECT_EQ(dir.listing(), "res\n");

    dir.write("res/french.txt", "[Label]\r\nOLD=a much longer text than the new output\r\n");
    result = StringTableExtractor::extractToFile(dir.file("res/app.rc"), "french.txt");
    EXPECT_EQ(said(result), "Extraction terminated.");
    EXPECT_EQ(dir.read("res/french.txt"), extracted);
    EXPECT_EQ(dir.read("res/app.rc"), script);
}

TEST(ExtractToFile, ScriptThatCannotBeReadIsNamedByItsFullPath)
{
    TempDir dir;
    auto result = StringTableExtractor::extractToFile(dir.file("missing.rc"), "german.txt");
    EXPECT_EQ(said(result), "Unable to open");
    EXPECT_EQ(StringTableExtractor::messageFor(result),
              "Unable to open the file " + dir.file("missing.rc") + ". No such file or directory.");

    // A relative name is reported as the full path it stands for.
    result = StringTableExtractor::extractToFile("verbolt-no-such-script.rc", "german.txt");
    EXPECT_EQ(said(result), "Unable to open");
    EXPECT_EQ(result.path(),
              (std::filesystem::current_path() / "verbolt-no-such-script.rc").string());

    // A script that is malformed UTF-16 (here an odd number of bytes) is refused alike.
    dir.write("wide.rc", "\xFF\xFES\0T\0");
    result = StringTableExtractor::extractToFile(dir.file("wide.rc"), "german.txt");
    EXPECT_EQ(said(result), "Unable to open");
    EXPECT_EQ(StringTableExtractor::messageFor(result),
              "Unable to open the file " + dir.file("wide.rc") +
                  ". Invalid or incomplete multibyte or wide character.");
    EXPECT_FALSE(dir.exists("german.txt"));
    std::filesystem::remove(dir.file("wide.rc"));

    dir.write("locked.rc", script);
    ::chmod(dir.file("locked.rc").c_str(), 0);
    EXPECT_EQ(inChild(As::Unprivileged,
                      [&] {
                          const auto r = StringTableExtractor::extractToFile(dir.file("locked.rc"),
                                                                             "german.txt");
                          return Strings{said(r), r.path()};
                      }),
              (Strings{"Unable to open", dir.file("locked.rc")}));
    EXPECT_EQ(dir.listing(), "locked.rc\n");
}

TEST(ExtractToFile, ScriptIsNeverReplacedByItsOwnOutput)
{
    TempDir dir;
    dir.write("english.txt", script);
    auto result = StringTableExtractor::extractToFile(dir.file("english.txt"), "english.txt");
    EXPECT_EQ(said(result), "Unable to create");
    EXPECT_EQ(StringTableExtractor::messageFor(result), "Unable to create the file english.txt.");
    EXPECT_EQ(dir.read("english.txt"), script);

    // The same file under another name: a symbolic or a hard link.
    dir.write("app.rc", script);
    std::filesystem::create_symlink("app.rc", dir.file("italian.txt"));
    std::filesystem::create_hard_link(dir.file("app.rc"), dir.file("spanish.txt"));
    EXPECT_EQ(said(StringTableExtractor::extractToFile(dir.file("app.rc"), "italian.txt")),
              "Unable to create");
    EXPECT_EQ(said(StringTableExtractor::extractToFile(dir.file("app.rc"), "spanish.txt")),
              "Unable to create");
    EXPECT_EQ(dir.read("app.rc"), script);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("italian.txt")));

    // An output name that is not a plain file name.
    EXPECT_EQ(said(StringTableExtractor::extractToFile(dir.file("app.rc"), "../french.txt")),
              "Unable to create");
}

TEST(ExtractToFile, OutputThatCannotBeWrittenIsNamedByItsFullPath)
{
    TempDir dir;
    std::filesystem::create_directory(dir.file("ro"));
    dir.write("ro/app.rc", script);
    ::chmod(dir.file("ro").c_str(), 0555);
    const std::string output = dir.file("ro/spanish.txt");
    const auto result = inChild(As::Unprivileged, [&] {
        const auto r = StringTableExtractor::extractToFile(dir.file("ro/app.rc"), "spanish.txt");
        return Strings{StringTableExtractor::messageFor(r), r.error() != 0 ? "errno" : "none"};
    });
    EXPECT_EQ(result,
              (Strings{"Unable to write the file " + output + ". Permission denied.", "errno"}));
    EXPECT_EQ(dir.listing(), "ro\n");
    EXPECT_FALSE(dir.exists("ro/spanish.txt"));
}

TEST(ExtractToFile, NeverWritesThroughALinkNorOverALabelFile)
{
    TempDir dir;
    TempDir elsewhere;
    dir.write("app.rc", script);
    elsewhere.write("profile", "keep me\n");
    ASSERT_EQ(::symlink(elsewhere.file("profile").c_str(), dir.file("english.txt").c_str()), 0);
    ASSERT_EQ(::symlink(elsewhere.file("new").c_str(), dir.file("german.txt").c_str()), 0);
    std::filesystem::create_directory(dir.file("out"));
    ASSERT_EQ(::symlink("out/french-real.txt", dir.file("french.txt").c_str()), 0);

    for (const char *name : {"english.txt", "german.txt"}) {
        const auto result = StringTableExtractor::extractToFile(dir.file("app.rc"), name);
        EXPECT_EQ(said(result), "Unable to create") << name;
        EXPECT_EQ(StringTableExtractor::messageFor(result),
                  std::string("Unable to create the file ") + name + ".");
    }
    EXPECT_EQ(elsewhere.listing(), "profile\n");
    EXPECT_EQ(elsewhere.read("profile"), "keep me\n");

    // Not even a link that stays inside the folder, and never over a label file.
    dir.write("german.lan", "[Label]\r\n");
    for (const char *name : {"french.txt", "german.lan", "new.LAN"})
        EXPECT_EQ(said(StringTableExtractor::extractToFile(dir.file("app.rc"), name)),
                  "Unable to create")
            << name;
    EXPECT_FALSE(dir.exists("out/french-real.txt"));
    EXPECT_FALSE(dir.exists("new.LAN"));
    EXPECT_EQ(dir.read("german.lan"), "[Label]\r\n");
    struct stat st
    {
    };
    ASSERT_EQ(::lstat(dir.file("french.txt").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
}
