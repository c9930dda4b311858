#include "workspace.h"

#include <gtest/gtest.h>

#include <set>

#include <sys/stat.h>

using namespace verbolt;
using namespace verbolt::test;

namespace {

// Rows A B C D E A. English: A with another placeholder, B without its accelerator, C empty,
// D and E as in French, no line for row 5. German: out of French order (B and A swapped),
// then C and D, no more lines.
void writeSet(const TempDir &dir)
{
    dir.write("french.lan", "[Label]\nA=Ouvrir %s\nB=&Fichier\nC=Quitter\nD=Texte\nE=OK\n"
                            "A=Encore\n");
    dir.write("english.lan", "[Label]\nA=Open %d\nB=File\nC=\nD=Texte\nE=OK\n");
    dir.write("german.lan", "[Label]\nB=&Datei\nA=Oeffnen %s\nC=Beenden\nD=Text\n");
}

// Columns: ID, FRENCH, ENGLISH, GERMAN.
constexpr int kEnglish = 2;
constexpr int kGerman = 3;

} // namespace

TEST(LabelMarks, EachKindOnItsCell)
{
    Workspace w;
    writeSet(w.dir);
    w.start();
    LabelMarks &m = w.marks();
    EXPECT_TRUE(m.computeSome(2) == false && m.at(0, kEnglish) == 0) << "not computed yet";
    m.computeAll();

    EXPECT_EQ(m.at(0, kEnglish), Mark::Placeholders);
    EXPECT_EQ(m.at(1, kEnglish), Mark::Accelerators);
    EXPECT_EQ(m.at(2, kEnglish), Mark::Empty);
    EXPECT_EQ(m.at(3, kEnglish), Mark::Untranslated);
    EXPECT_EQ(m.at(5, kEnglish), Mark::Missing);
    // Out of step lines are checked against the French text of their own key.
    EXPECT_EQ(m.at(0, kGerman), Mark::OutOfStep);
    EXPECT_EQ(m.at(1, kGerman), Mark::OutOfStep);
    EXPECT_EQ(m.at(2, kGerman), 0);
    EXPECT_EQ(m.at(4, kGerman), Mark::Missing);
    EXPECT_EQ(m.at(5, 1), Mark::RepeatedId);
    EXPECT_EQ(m.at(0, 1), 0);

    EXPECT_FALSE(m.needsWork(3)) << "untranslated alone is a weak mark";
    EXPECT_TRUE(m.needsWork(4));
    EXPECT_EQ(m.summary(), "2 out of step \xC2\xB7 3 missing \xC2\xB7 1 empty \xC2\xB7 "
                           "1 with other placeholders \xC2\xB7 1 with other accelerators "
                           "\xC2\xB7 2 untranslated \xC2\xB7 1 repeated IDs");
    EXPECT_EQ(m.reasons(0, kGerman), (Strings{"german.lan has B on this line"}));
    EXPECT_EQ(m.reasons(5, kEnglish), (Strings{"english.lan has no line here"}));
    EXPECT_EQ(m.reasons(0, kEnglish),
              (Strings{"placeholder %s missing", "placeholder %d not in French"}));

    // A set in step says nothing.
    Workspace clean;
    clean.dir.write("french.lan", "[Label]\nA=Ouvrir\nB=&Fichier %d\n");
    clean.dir.write("english.lan", "[Label]\na = Open\nB=&File %d\n");
    clean.start();
    clean.marks().computeAll();
    EXPECT_EQ(clean.marks().summary(), "");
}

TEST(LabelMarks, FollowApplyAndDuplicate)
{
    Workspace w;
    writeSet(w.dir);
    w.start();
    w.marks().computeAll();
    FakeView &v = *w.view;

    // The German field of row A edits A's own text, not the B line the cell shows.
    w.click(0);
    EXPECT_EQ(w.grid().itemText(0, kGerman), "&Datei");
    EXPECT_EQ(v.text("GERMAN"), "Oeffnen %s");
    v.type("GERMAN", "\xC3\x96"
                     "ffnen %s"); // Öffnen
    v.type("ENGLISH", "Open %s");
    w.editor->OnApply();
    EXPECT_TRUE(v.messages.empty());
    EXPECT_EQ(w.dir.read("german.lan"), "[Label]\nB=&Datei\nA=\xD6"
                                        "ffnen %s\nC=Beenden\nD=Text\n");
    EXPECT_EQ(w.grid().itemText(0, kGerman), "&Datei") << "the cell keeps its line";
    EXPECT_EQ(w.grid().itemText(1, kGerman), "\xD6"
                                             "ffnen %s")
        << "the row of A's line shows it";
    EXPECT_EQ(w.marks().at(0, kEnglish), 0);
    EXPECT_EQ(w.marks().at(0, kGerman), Mark::OutOfStep);

    // Filling the empty English text clears its mark; a copy of the French text is marked
    // untranslated, and the summary follows.
    w.click(2);
    v.type("ENGLISH", "Quit");
    w.editor->OnApply();
    EXPECT_EQ(w.marks().at(2, kEnglish), 0);
    v.select({1});
    v.dupTarget = "ENGLISH";
    w.editor->OnDuplicate();
    EXPECT_EQ(w.marks().at(1, kEnglish), Mark::Untranslated);
    EXPECT_EQ(w.marks().counts()[4], 0u) << "no accelerator mismatch left";
    EXPECT_EQ(w.marks().summary().find("empty"), std::string::npos);

    // Row 5, A again, has no English line of its own: the copy goes to A's first line, and
    // row 0, which shows that line, shows it.
    v.select({5});
    w.editor->OnDuplicate();
    EXPECT_EQ(w.grid().itemText(0, kEnglish), "Encore");
    EXPECT_EQ(w.grid().itemText(5, kEnglish), "");
    EXPECT_EQ(w.dir.read("english.lan"), "[Label]\nA=Encore\nB=&Fichier\nC=Quit\nD=Texte\nE=OK\n");
}

TEST(LabelMarks, TextChecksMarkCellsAndWarningsAreLighter)
{
    Workspace w;
    w.dir.write("french.lan", "[Label]\nA=Nom :\nB=Ligne\\nsuivante\nC=Enregistrer ?\n");
    w.dir.write("english.lan", "[Label]\nA=Name\nB=Line next\nC=Save?\n");
    w.dir.write("spanish.lan", "[Label]\nA=Nombre:\nB=L\xEDnea\\nsiguiente\nC=Guardar?\n");
    w.start();
    LabelMarks &m = w.marks();
    m.computeAll();
    EXPECT_EQ(m.at(0, 2), Mark::Punctuation);
    EXPECT_EQ(m.at(1, 2), Mark::Escapes);
    EXPECT_EQ(m.at(2, 2), 0u) << "French spacing is no finding";
    EXPECT_EQ(m.at(2, 3), Mark::Punctuation) << "Spanish opens its question";
    EXPECT_EQ(m.at(0, 3) | m.at(1, 3), 0u);
    EXPECT_FALSE(m.needsWork(0)) << "a warning alone";
    EXPECT_TRUE(m.needsWork(1));
    EXPECT_EQ(m.reasons(0, 2), (Strings{"no ending mark where French ends with \":\""}));
}

// One French text translated two ways: accelerators and blanks around set aside, a cell
// compared with the first translated one in step of its text; an Apply to that one moves the
// marks of the others.
TEST(LabelMarks, SameFrenchTextTranslatedTwoWays)
{
    Workspace w;
    w.dir.write("french.lan", "[Label]\nA=Fermer\nB=&Fermer \nC=Fermer\nD=Fermer\nE=Ouvrir\n"
                              "F=Ouvrir\n");
    w.dir.write("english.lan", "[Label]\nA=\nB=Cl&ose\nC=Close\nD=Shut\nF=Open\nE=Load\n");
    w.start();
    LabelMarks &m = w.marks();
    m.computeAll();
    EXPECT_EQ(m.at(2, 2), 0u) << "A is empty: B is the one compared with";
    EXPECT_EQ(m.at(3, 2), Mark::Inconsistent);
    EXPECT_EQ(m.reasons(3, 2), (Strings{"translated \"Cl&ose\" at B for the same French text"}));
    EXPECT_EQ(m.at(5, 2), Mark::OutOfStep) << "lines out of step are not compared";

    w.click(1);
    w.view->type("ENGLISH", "Shut");
    w.editor->OnApply();
    EXPECT_EQ(m.at(2, 2), Mark::Inconsistent);
    EXPECT_EQ(m.at(3, 2), 0u);
    EXPECT_EQ(m.counts()[15], 1u);
}

// A Duplicate of many rows shows its texts first; their marks follow a slice at a time, and
// end as a fresh load's.
TEST(LabelMarks, ManyRowsWrittenAreMarkedAgainAfterTheCommand)
{
    Workspace w;
    std::string french = "[Label]\n", english = "[Label]\n";
    for (int i = 0; i < 1500; ++i) {
        french += "ID" + std::to_string(i) + "=Texte " + std::to_string(i) + "\n";
        english += "ID" + std::to_string(i) + "=\n";
    }
    w.dir.write("french.lan", french);
    w.dir.write("english.lan", english);
    w.start();
    w.marks().computeAll();
    std::set<int> all;
    for (int r = 0; r < 1500; ++r)
        all.insert(r);
    w.view->select(all);
    w.view->dupTarget = "ENGLISH";
    w.editor->OnDuplicate();
    EXPECT_EQ(w.grid().itemText(1499, 2), "Texte 1499");
    EXPECT_FALSE(w.marks().complete());
    EXPECT_EQ(w.marks().at(1499, 2), Mark::Empty) << "not marked again yet";
    while (!w.marks().computeSome(256)) {
    }
    Workspace fresh;
    fresh.dir.write("french.lan", french);
    fresh.dir.write("english.lan", w.dir.read("english.lan"));
    fresh.start();
    fresh.marks().computeAll();
    EXPECT_EQ(w.marks().at(1499, 2), Mark::Untranslated);
    EXPECT_EQ(w.marks().counts(), fresh.marks().counts());
}

// Mutes from checks.ignore at the load, and one given in the session: the marks, their
// counts and the visit of lines with findings follow; a failed write mutes nothing.
TEST(LabelMarks, MutedChecksLeaveTheirMarksOut)
{
    Workspace w;
    w.dir.write("french.lan", "[Label]\nA=Nom :\nB=Ligne\\nsuivante\nC=Un\nD=Deux\n");
    w.dir.write("english.lan", "[Label]\nA=Name\nB=Line next\nC=One\nD=\n");
    w.dir.write("spanish.lan", "[Label]\nA=Nombre\nB=Linea\\nsiguiente\nC=Uno\nD=Dos\n");
    w.dir.write("checks.ignore", "# kept\npunctuation SPANISH a\n");
    w.start();
    LabelMarks &m = w.marks();
    m.computeAll();
    EXPECT_EQ(m.at(0, 2), Mark::Punctuation);
    EXPECT_EQ(m.at(0, 3), 0u) << "muted for Spanish, by ID without letter case";
    EXPECT_EQ(m.at(1, 2), Mark::Escapes);
    // Lines with a warning alone are visited too; C has none.
    EXPECT_EQ(w.session->nextNeedingWork(-1, true), 0);
    EXPECT_EQ(w.session->nextNeedingWork(1, true), 3);

    EXPECT_EQ(w.session->muteCheck(0, 2, Check::Punctuation, true), "");
    EXPECT_EQ(w.session->muteCheck(3, 2, Check::Empty, false), "");
    EXPECT_EQ(m.at(0, 2), 0u);
    EXPECT_EQ(m.at(3, 2), 0u);
    EXPECT_EQ(m.counts()[10], 0u) << "punctuation counted no more";
    EXPECT_EQ(m.summary(), "1 with other escapes");
    EXPECT_EQ(w.session->nextNeedingWork(1, true), 1) << "round the end, to B alone";
    EXPECT_EQ(w.dir.read("checks.ignore"),
              "# kept\npunctuation SPANISH a\npunctuation * A\nempty ENGLISH D\n");

    // A folder that cannot take the file: the message names it, nothing is muted.
    ::chmod(w.dir.path().c_str(), 0555);
    const auto result = inChild(As::Unprivileged, [&] {
        Strings out{w.session->muteCheck(1, 2, Check::Escapes, false)};
        out.push_back(std::to_string(w.marks().at(1, 2)));
        out.push_back(w.session->mutes().text());
        return out;
    });
    ::chmod(w.dir.path().c_str(), 0755);
    ASSERT_TRUE(result);
    EXPECT_EQ((*result)[0].rfind("Unable to write the file " + w.dir.file("checks.ignore"), 0), 0u)
        << (*result)[0];
    EXPECT_NE((*result)[0].find("Permission denied"), std::string::npos) << (*result)[0];
    EXPECT_EQ((*result)[1], std::to_string(Mark::Escapes));
    EXPECT_EQ((*result)[2], w.dir.read("checks.ignore"));
}
