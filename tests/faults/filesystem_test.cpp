// The editing commands against what the file system and other programs do to a label set:
// read-only and vanished folders, links of every kind, file modes, and files that other
// programs change, delete or cut short while Verbolt runs.
#include "asuser.h"
#include "tempdir.h"
#include "workspace.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

using namespace verbolt;
using namespace verbolt::test;

namespace {

const std::string kFrench = "[Label]\r\nA=Un\r\nB=Deux\r\nC=Trois\r\n";
const std::string kEnglish = "[Label]\r\nA=One\r\nB=Two\r\nC=Three\r\n";

struct stat statOf(const std::string &path)
{
    struct stat st
    {
    };
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st;
}

TEST(FileSystem, AReadOnlyFolderFailsEveryChangedFileAndNothingElse)
{
    TempDir dir;
    dir.write("french.lan", kFrench);
    dir.write("english.lan", kEnglish);
    for (const char *name : {"french.lan", "english.lan"})
        ASSERT_EQ(::chmod(dir.file(name).c_str(), 0666), 0);
    Session s(dir.path());
    ASSERT_EQ(::chmod(dir.path().c_str(), 0555), 0);

    const auto result = inChild(As::Unprivileged, [&] {
        Strings out = s.apply(0); // the texts as shown: nothing to write, nothing to fail
        out.push_back("--");
        const Strings failed = s.apply(0, {{"FRENCH", "Un !"}, {"ENGLISH", "One !"}});
        out.insert(out.end(), failed.begin(), failed.end());
        return out;
    });
    ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);
    ASSERT_TRUE(result);
    EXPECT_EQ(*result,
              (Strings{"--", unableToWrite(dir.file("french.lan"), "Permission denied") + "\n" +
                                 unableToWrite(dir.file("english.lan"), "Permission denied")}));
    EXPECT_EQ(dir.read("french.lan"), kFrench);
    EXPECT_EQ(dir.read("english.lan"), kEnglish);
    EXPECT_EQ(entriesOf(dir.path()), (Strings{"english.lan", "french.lan"}));
}

TEST(FileSystem, AFolderRemovedWhileRunningIsReportedNotRecreated)
{
    TempDir parent;
    const std::string labels = parent.file("labels/");
    ASSERT_EQ(::mkdir(labels.c_str(), 0777), 0);
    writeFile(labels + "french.lan", kFrench);
    writeFile(labels + "english.lan", kEnglish);
    Session s(labels);
    std::filesystem::remove_all(labels);

    // A column whose file has gone is not made again under another name: the write names it.
    const auto gone = [](const char *name) {
        return std::string("The file ") + name +
               " is no longer in the label folder; it was not written.";
    };
    const Strings messages = s.apply(2, {{"FRENCH", "Trois !"}, {"ENGLISH", "Three !"}});
    EXPECT_EQ(messages, Strings{gone("french.lan") + "\n" + gone("english.lan")});
    s.view->answers = {1}; // replace the translations
    EXPECT_EQ(s.duplicate({0, 1}, "All"), Strings{gone("english.lan")});
    EXPECT_EQ(s.view->comment, ""); // no comments.cmt to read: nothing shown
    EXPECT_EQ(s.grid().itemText(2, 2), "Three") << "the table shows what is on disk";
    EXPECT_EQ(entriesOf(parent.path()), Strings{});
}

TEST(FileSystem, LinksLeadingOutOfTheFolderAreNeverWrittenThrough)
{
    // labels/ beside labels2/: a folder whose name merely begins like the label folder's is
    // outside it too.
    TempDir parent;
    const std::string labels = parent.file("labels/");
    const std::string sibling = parent.file("labels2/");
    for (const std::string &d : {labels, sibling, labels + "sub/"})
        ASSERT_EQ(::mkdir(d.c_str(), 0777), 0);
    writeFile(labels + "french.lan", kFrench);
    writeFile(sibling + "english-real.lan", kEnglish);
    const auto link = [&](const std::string &target, const std::string &name) {
        ASSERT_EQ(::symlink(target.c_str(), (labels + name).c_str()), 0);
    };
    link(sibling + "english-real.lan", "english.lan");  // out
    link("../labels2/german-real.lan", "german.lan");   // dangling, out
    link("sub/../sub/italian-real.lan", "italian.lan"); // dangling, inside
    writeFile(labels + "sub/spanish-real.lan", "[Label]\nA=Uno\nB=Dos\nC=Tres\n");
    link("sub/spanish-real.lan", "spanish.lan"); // inside
    Session s(labels);
    ASSERT_EQ(s.headers(), (Strings{"ID", "FRENCH", "ENGLISH", "GERMAN", "ITALIAN", "SPANISH"}));

    const auto outside = [](const char *name) {
        return std::string("The file ") + name +
               " links outside the label folder; it was not written.";
    };
    const Strings messages = s.apply(
        1, {{"ENGLISH", "Two !"}, {"GERMAN", "Zwei"}, {"ITALIAN", "Due"}, {"SPANISH", "Dos !"}});
    EXPECT_EQ(messages, Strings{outside("english.lan") + "\n" + outside("german.lan")});
    EXPECT_EQ(readFile(sibling + "english-real.lan"), kEnglish);
    EXPECT_EQ(s.grid().itemText(1, 2), "") << "a file linking outside is not even read";
    EXPECT_EQ(s.duplicate({0}, "All"),
              Strings{outside("english.lan") + "\n" + outside("german.lan")});
    EXPECT_EQ(readFile(sibling + "english-real.lan"), kEnglish);
    EXPECT_EQ(entriesOf(sibling), Strings{"english-real.lan"}) << "no target was created";

    // Links inside the folder are written through and stay links.
    EXPECT_TRUE(S_ISLNK(statOf(labels + "spanish.lan").st_mode));
    EXPECT_EQ(readFile(labels + "sub/spanish-real.lan"), "[Label]\nA=Un\nB=Dos !\nC=Tres\n");
    EXPECT_TRUE(S_ISLNK(statOf(labels + "italian.lan").st_mode));
    EXPECT_EQ(readFile(labels + "sub/italian-real.lan"), "[Label]\r\nA=Un\r\nB=Due\r\n");
}

TEST(FileSystem, ApplyKeepsHardLinksAndModes)
{
    TempDir dir;
    TempDir elsewhere;
    dir.write("french.lan", kFrench);
    elsewhere.write("italian.lan", "[Label]\nA=Uno\nB=Due\nC=Tre\n");
    ASSERT_EQ(::link(elsewhere.file("italian.lan").c_str(), dir.file("italian.lan").c_str()), 0);
    dir.write("spanish.lan", "[Label]\nA=Uno\nB=Dos\nC=Tres\n");
    ASSERT_EQ(::chmod(dir.file("spanish.lan").c_str(), 0640), 0);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(dir.file("spanish.lan").c_str(), 65534, 65534), 0);
    }

    Session s(dir.path());
    const Strings messages = s.apply(1, {{"ITALIAN", "Due !"}, {"SPANISH", "Dos !"}});
    EXPECT_EQ(messages, Strings{});
    // The hard link stays shared: both names show the change.
    EXPECT_EQ(statOf(dir.file("italian.lan")).st_ino, statOf(elsewhere.file("italian.lan")).st_ino);
    EXPECT_EQ(elsewhere.read("italian.lan"), "[Label]\nA=Uno\nB=Due !\nC=Tre\n");
    // The mode and the owner are kept.
    const struct stat spanish = statOf(dir.file("spanish.lan"));
    EXPECT_EQ(spanish.st_mode & 07777, 0640u);
    if (::geteuid() == 0) {
        EXPECT_EQ(spanish.st_uid, 65534u);
    }
    EXPECT_EQ(dir.read("spanish.lan"), "[Label]\nA=Uno\nB=Dos !\nC=Tres\n");
}

TEST(OtherPrograms, TheirChangesSurviveApply)
{
    TempDir dir;
    dir.write("french.lan", kFrench);
    dir.write("english.lan", kEnglish);
    Session s(dir.path());
    // Another program edits English after the start: one key changed, one line added.
    dir.write("english.lan", "[Label]\r\nA=One (edited)\r\nB=Two\r\nC=Three\r\nD=Four\r\n");

    EXPECT_EQ(s.apply(1, {{"ENGLISH", "Two !"}}), Strings{});
    EXPECT_EQ(dir.read("english.lan"),
              "[Label]\r\nA=One (edited)\r\nB=Two !\r\nC=Three\r\nD=Four\r\n");
    EXPECT_EQ(dir.read("french.lan"), kFrench);
}

TEST(OtherPrograms, AFileDeletedOrCutShortIsWrittenAgain)
{
    TempDir dir;
    dir.write("french.lan", kFrench);
    dir.write("english.lan", kEnglish);
    dir.write("comments.cmt", "[Label]\nB=second\n");
    Session s(dir.path());

    // A deleted file is not made again under its column's header, where it would shadow
    // the real one when that comes back: the write names it.
    ASSERT_EQ(::unlink(dir.file("english.lan").c_str()), 0);
    ASSERT_EQ(::unlink(dir.file("comments.cmt").c_str()), 0);
    EXPECT_EQ(s.apply(1, {{"ENGLISH", "Two !"}}),
              Strings{"The file english.lan is no longer in the label folder; it was not "
                      "written."});
    EXPECT_EQ(s.view->comment, "second") << "comments are read once, at the load";
    EXPECT_EQ(entriesOf(dir.path()), Strings{"french.lan"});

    // Cut to nothing, then cut in the middle of a line: the translator is asked, and the
    // key lands all the same when told to write.
    s.view->answers = {1, 1, 1}; // "Write mine"
    ASSERT_EQ(::truncate(dir.file("french.lan").c_str(), 0), 0);
    EXPECT_EQ(s.apply(2, {{"FRENCH", "Trois !"}}), Strings{});
    EXPECT_EQ(dir.read("french.lan"), "[Label]\r\nC=Trois !\r\n");
    dir.write("french.lan", "[Label]\r\nA=Un\r\nB=De");
    EXPECT_EQ(s.apply(1, {{"FRENCH", "Deux !"}}), Strings{});
    EXPECT_EQ(dir.read("french.lan"), "[Label]\r\nA=Un\r\nB=Deux !");
    EXPECT_EQ(s.view->questions.size(), 2u);

    // The file back, cut short: the keys land in it.
    dir.write("english.lan", "[Label]\r\nA=One\r\n");
    s.view->answers = {1, 1}; // replace the translations, write the French the table holds
    EXPECT_EQ(s.duplicate({0, 2}, "ENGLISH"), Strings{});
    EXPECT_EQ(dir.read("english.lan"), "[Label]\r\nA=Un\r\nC=Trois !\r\n");
    EXPECT_EQ(entriesOf(dir.path()), (Strings{"english.lan", "french.lan"}));
}

TEST(OtherPrograms, AChangeMadeWhileTheWindowIsOpenIsNeverOverwrittenSilently)
{
    TempDir dir;
    dir.write("french.lan", kFrench);
    dir.write("english.lan", kEnglish);
    Session s(dir.path());
    // Another program (a pull, an editor) changes B's English text and C's French text.
    dir.write("english.lan", "[Label]\r\nA=One\r\nB=Two (theirs)\r\nC=Three\r\n");
    dir.write("french.lan", "[Label]\r\nA=Un\r\nB=Deux\r\nC=Trois (revu)\r\n");

    // Keep theirs, the default: nothing of theirs goes, and the table shows it.
    EXPECT_EQ(s.apply(1, {{"ENGLISH", "Two (mine)"}}), Strings{});
    EXPECT_EQ(s.view->questions, Strings{"Another program changed these texts since Verbolt "
                                         "read them:\nB in english.lan"});
    EXPECT_EQ(s.view->asked.back(), (Strings{"Keep theirs", "Write mine"}));
    EXPECT_EQ(dir.read("english.lan"), "[Label]\r\nA=One\r\nB=Two (theirs)\r\nC=Three\r\n");
    EXPECT_EQ(s.grid().itemText(1, 2), "Two (theirs)");

    // Duplicate names the French text french.lan no longer holds; Write mine writes it.
    s.view->questions.clear();
    s.view->answers = {1};
    EXPECT_EQ(s.duplicate({2}, "ENGLISH"), Strings{});
    EXPECT_EQ(s.view->questions, Strings{"Another program changed these texts since Verbolt "
                                         "read them:\nC in french.lan"});
    EXPECT_EQ(dir.read("english.lan"), "[Label]\r\nA=One\r\nB=Two (theirs)\r\nC=Trois\r\n");
}

} // namespace
