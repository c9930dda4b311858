#include "workspace.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <unistd.h>

using namespace verbolt;
using namespace verbolt::test;

namespace {

// english.lan lacks B and has no final line end; german.lan is a link to a file in a
// subfolder, in French order but with a blank before a value.
void writeSet(const TempDir &dir)
{
    dir.write("french.lan", "[Label]\r\nA=Un\r\nB=Deux\r\nC=Trois\r\n");
    dir.write("english.lan", "[Label]\r\nA=One\r\nC=Three");
    std::filesystem::create_directory(dir.file("sub"));
    dir.write("sub/german-real.lan", "[Label]\nA=Eins\nB= Zwei\nC=Drei\n");
    ASSERT_EQ(::symlink("sub/german-real.lan", dir.file("german.lan").c_str()), 0);
}

// Every file's bytes, the link's target included.
std::map<std::string, std::string> files(const TempDir &dir)
{
    auto out = snapshot(dir);
    out["sub/german-real.lan"] = dir.read("sub/german-real.lan");
    return out;
}

} // namespace

TEST(Undo, ApplyIsTakenBackAndMadeAgainByteForByte)
{
    Workspace w;
    writeSet(w.dir);
    w.start();
    const auto before = files(w.dir);
    const auto cells = w.cells();

    w.click(1);
    w.view->type("FRENCH", "Deux !"); // a changed key
    w.view->type("ENGLISH", "Two");   // an added key, after a last line without end
    w.view->type("GERMAN", "Zwei !"); // through a link inside the folder
    w.editor->OnApply();
    ASSERT_TRUE(w.view->messages.empty());
    const auto after = files(w.dir);
    const auto cellsAfter = w.cells();
    ASSERT_NE(after, before);
    EXPECT_EQ(w.editor->history().nextUndo(), "Apply to B");

    w.editor->OnUndo();
    EXPECT_TRUE(w.view->messages.empty());
    EXPECT_EQ(files(w.dir), before);
    EXPECT_EQ(w.cells(), cells);
    EXPECT_TRUE(std::filesystem::is_symlink(w.dir.file("german.lan")));
    EXPECT_EQ(w.view->text("FRENCH"), "Deux") << "the line shown follows";
    EXPECT_EQ(w.view->selection, (std::set<int>{1}));

    w.editor->OnRedo();
    EXPECT_EQ(files(w.dir), after);
    EXPECT_EQ(w.cells(), cellsAfter);
    EXPECT_FALSE(w.editor->history().canRedo());
}

TEST(Undo, SeveralDuplicatesAndANewCommandAfterUndo)
{
    Workspace w;
    w.dir.write("french.lan", "[Label]\nA=Un\nB=Deux\nC=Trois\n");
    w.dir.write("english.lan", "[Label]\nA=One\nB=Two\nC=Three\n");
    w.dir.write("dutch.lan", "[Label]\nA=Een\n"); // B and C are added
    w.start();
    const auto start = snapshot(w.dir);
    w.view->select({0, 2});
    w.view->dupTarget = "ENGLISH";
    w.editor->OnDuplicate();
    const auto one = snapshot(w.dir);
    w.view->select({1, 2});
    w.view->dupTarget = "All";
    w.editor->OnDuplicate();
    const auto all = snapshot(w.dir);
    EXPECT_EQ(w.editor->history().nextUndo(), "Duplicate into All, 2 lines");

    w.editor->OnUndo();
    EXPECT_EQ(snapshot(w.dir), one);
    w.editor->OnUndo();
    EXPECT_EQ(snapshot(w.dir), start);
    EXPECT_EQ(w.column(2), (Strings{"Een", "", ""}));
    EXPECT_FALSE(w.editor->history().canUndo());
    w.editor->OnRedo();
    w.editor->OnRedo();
    EXPECT_EQ(snapshot(w.dir), all);
    EXPECT_TRUE(w.view->messages.empty());

    // A new command after an undo drops what could be made again.
    w.editor->OnUndo();
    w.click(0);
    w.view->type("ENGLISH", "One !");
    w.editor->OnApply();
    EXPECT_FALSE(w.editor->history().canRedo());
    w.editor->OnUndo();
    EXPECT_EQ(snapshot(w.dir), one);
}

TEST(Undo, LeavesWhatAnotherProgramChangedAndReportsFailures)
{
    Workspace w;
    w.dir.write("french.lan", "[Label]\nA=Un\nB=Deux\n");
    w.dir.write("english.lan", "[Label]\nA=One\nB=Two\n");
    w.start();
    w.view->select({0, 1});
    w.view->dupTarget = "ENGLISH";
    w.view->answers = {1}; // replace the translations
    w.editor->OnDuplicate();
    // Another program changes B after the copy.
    w.dir.write("english.lan", "[Label]\nA=Un\nB=Deux (revu)\n");

    // A write that fails leaves the file and the command as they were.
    w.fs.failWhen([](FaultyFileSystem::Call, int) { return EIO; });
    w.editor->OnUndo();
    w.fs.heal();
    EXPECT_EQ(w.view->messages,
              Strings{unableToWrite(w.dir.file("english.lan"), "Input/output error")});
    EXPECT_EQ(w.dir.read("english.lan"), "[Label]\nA=Un\nB=Deux (revu)\n");

    // Undo again: it is taken back, but for B.
    w.view->messages.clear();
    w.editor->OnUndo();
    EXPECT_EQ(w.view->messages,
              Strings{"B in english.lan was changed since; it was left as it is."});
    EXPECT_EQ(w.dir.read("english.lan"), "[Label]\nA=One\nB=Deux (revu)\n");
}

TEST(Undo, BatchesOfSeveralFilesAreOneStep)
{
    Workspace w;
    writeSet(w.dir);
    w.start();
    const auto before = files(w.dir);
    const auto cells = w.cells();

    const CommandOutcome out = w.session->writeBatches(
        "Import translations", {{w.session->columnOf("ENGLISH"), {{"B", "Two"}}},
                                {w.session->columnOf("GERMAN"), {{"A", "Eins!"}, {"C", "Drei!"}}}});
    EXPECT_TRUE(out.problems.empty());
    EXPECT_EQ(w.dir.read("english.lan"), "[Label]\r\nA=One\r\nB=Two\r\nC=Three")
        << "the lacking key at its French place";
    EXPECT_EQ(w.column(w.session->columnOf("ENGLISH")), (Strings{"One", "Two", "Three"}));
    EXPECT_EQ(w.editor->history().nextUndo(), "Import translations, 3 lines");

    // The undo tells its progress file by file and ends, so a window can show and close it.
    struct Steps : CommandProgress
    {
        std::vector<std::string> said;
        void step(const std::string &what, int done, int total) override
        {
            said.push_back(what + " " + std::to_string(done) + "/" + std::to_string(total));
        }
        void finished() override { said.push_back("end"); }
    } steps;
    w.session->setProgress(&steps);
    w.editor->OnUndo();
    w.session->setProgress(nullptr);
    EXPECT_EQ(steps.said,
              (Strings{"Writing english.lan... 0/2", "Writing german.lan... 1/2", "end"}));
    EXPECT_EQ(files(w.dir), before);
    EXPECT_EQ(w.cells(), cells);
    EXPECT_FALSE(w.editor->history().canUndo());
}

// New label and Remove label change every file at once, each as one step of undo that puts
// every byte back; the rows then come from a new session, which takes the history over.
TEST(Undo, NewAndRemovedLabelsComeAndGoInEveryFileByteForByte)
{
    TempDir dir;
    const std::string french = "[Label]\r\nA=Un\r\n; b\r\nB=Deux\r\nC=Trois\r\n";
    const std::string english = "[Label]\r\nA=One\r\nC=Three\r\n";
    const std::string german = "[Label]\r\nA=Eins\r\nB=Zwei\r\nC=Drei\r\n";
    dir.write("french.lan", french);
    dir.write("english.lan", english);
    dir.write("german.lan", german);
    Session s(dir.path());
    LabelSession &session = *s.session;
    EXPECT_EQ(session.newLabelProblem("", ""), "The ID is empty.");
    EXPECT_EQ(session.newLabelProblem("b", ""), "b is an ID of french.lan already.");
    EXPECT_EQ(session.newLabelProblem("N=1", ""), "An ID cannot hold \"=\" or a line break.");
    EXPECT_EQ(session.newLabelProblem("[N", ""), "An ID cannot begin with \";\" or \"[\".");
    EXPECT_EQ(session.newLabelProblem("N", "\xE2\x86\x92"),
              "The ID or the French text holds characters that these label files cannot store.");
    EXPECT_EQ(session.newLabelProblem("N", "Neu"), "");

    const CommandOutcome added = session.addLabel("N", "Neu", 0);
    EXPECT_TRUE(added.problems.empty());
    EXPECT_TRUE(session.rowsStale());
    EXPECT_EQ(dir.read("french.lan"), "[Label]\r\nA=Un\r\nN=Neu\r\n; b\r\nB=Deux\r\nC=Trois\r\n");
    EXPECT_EQ(dir.read("english.lan"), "[Label]\r\nA=One\r\nN=\r\nC=Three\r\n");
    EXPECT_EQ(dir.read("german.lan"), "[Label]\r\nA=Eins\r\nN=\r\nB=Zwei\r\nC=Drei\r\n");

    Session after(dir.path());
    after.session->adoptHistory(session);
    EXPECT_EQ(after.column(0), (Strings{"A", "N", "B", "C"}));
    EXPECT_TRUE(after.session->undo().rowsChanged);
    EXPECT_EQ(dir.read("french.lan"), french);
    EXPECT_EQ(dir.read("english.lan"), english);
    EXPECT_EQ(dir.read("german.lan"), german);

    Session again(dir.path());
    const CommandOutcome removed = again.session->removeLabels({1});
    EXPECT_TRUE(removed.problems.empty());
    EXPECT_EQ(dir.read("french.lan"), "[Label]\r\nA=Un\r\n; b\r\nC=Trois\r\n");
    EXPECT_EQ(dir.read("english.lan"), english) << "it held no line for B";
    EXPECT_EQ(dir.read("german.lan"), "[Label]\r\nA=Eins\r\nC=Drei\r\n");
    again.session->undo();
    EXPECT_EQ(dir.read("french.lan"), french);
    EXPECT_EQ(dir.read("german.lan"), german);

    // Below B, which english.lan lacks: there it follows the nearest label above that it holds.
    Session third(dir.path());
    EXPECT_TRUE(third.session->addLabel("N", "Neu", 1).problems.empty());
    EXPECT_EQ(dir.read("english.lan"), "[Label]\r\nA=One\r\nN=\r\nC=Three\r\n");
    EXPECT_EQ(dir.read("german.lan"), "[Label]\r\nA=Eins\r\nB=Zwei\r\nN=\r\nC=Drei\r\n");
}

// New language makes a whole file in French order; its undo takes the file away again.
TEST(Undo, ANewLanguageFileComesAndGoes)
{
    TempDir dir;
    dir.write("french.lan", "[Label]\nA=Un\nB=Deux\n");
    dir.write("german.lan", "[Label]\nA=Eins\n");
    Session s(dir.path());
    EXPECT_EQ(s.session->newLanguageProblem("German"),
              "GERMAN is a language of the folder already.");
    EXPECT_EQ(s.session->newLanguageProblem("pt-BR"),
              "A language's name is made of letters (a to z).");
    EXPECT_EQ(s.session->newLanguageProblem("Dutch"), "");
    EXPECT_TRUE(s.session->addLanguage("Dutch", LabelAlign::Fill::French).problems.empty());
    EXPECT_EQ(dir.read("dutch.lan"), "[Label]\r\nA=Un\r\nB=Deux\r\n");
    EXPECT_TRUE(s.session->rowsStale());

    Session after(dir.path());
    after.session->adoptHistory(*s.session);
    EXPECT_EQ(after.headers(), (Strings{"ID", "FRENCH", "DUTCH", "GERMAN"}));
    const CommandOutcome undone = after.session->undo();
    EXPECT_TRUE(undone.problems.empty());
    EXPECT_TRUE(undone.rowsChanged);
    EXPECT_FALSE(dir.exists("dutch.lan"));
}
