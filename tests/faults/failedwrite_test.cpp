// A write that fails half-way, on a full disk or an I/O error, leaves the file as it was, no
// temporary file beside it, and says so: the failure reaches the result and the user.
#include "asuser.h"
#include "faultyfilesystem.h"
#include "filepath.h"
#include "profilefile.h"
#include "tempdir.h"
#include "workspace.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

using namespace verbolt;
using namespace verbolt::test;

namespace {

const std::string kFrench = "[Label]\r\nA=Un\r\nB=Deux\r\n";
const std::string kEnglish = "[Label]\r\nA=One\r\nB=Two\r\n";
const std::string kGerman = "[Label]\nA=Eins\nB=Zwei\n";

// The disk is full once a file would grow past `bytes`: writing further fails with EFBIG
// (SIGXFSZ ignored, as a process that must not die of it does).
void limitFileSize(rlim_t bytes)
{
    const rlimit limit{bytes, bytes};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    ::signal(SIGXFSZ, SIG_IGN);
}

TEST(FullDisk, GrowingAFileFailsWithEfbigAndKeepsTheOriginal)
{
    TempDir dir;
    dir.write("french.lan", kFrench);
    dir.write("english.lan", kEnglish);
    const std::string longText(64 * 1024, 'x');

    const auto result = inChild(As::Self, [&] {
        limitFileSize(4096);
        Strings out;
        const Result r =
            ProfileFile().writeKey(dir.file("english.lan"), "A", longText,
                                   verbolt::FilePath::folderOf(dir.file("english.lan")));
        out.push_back(r.ok() ? "ok" : std::to_string(r.error()));
        // A new file cannot be created in full either.
        const Result created =
            ProfileFile().writeKey(dir.file("german.lan"), "A", longText,
                                   verbolt::FilePath::folderOf(dir.file("german.lan")));
        out.push_back(created.ok() ? "ok" : std::to_string(created.error()));
        // Through the editor: French fits, English does not, and the user is told which.
        Session s(dir.path());
        const Strings messages = s.apply(0, {{"FRENCH", "Un !"}, {"ENGLISH", longText}});
        out.insert(out.end(), messages.begin(), messages.end());
        return out;
    });
    ASSERT_TRUE(result);
    EXPECT_EQ(*result, (Strings{std::to_string(EFBIG), std::to_string(EFBIG),
                                unableToWrite(dir.file("english.lan"), "File too large")}));
    EXPECT_EQ(dir.read("english.lan"), kEnglish);
    EXPECT_EQ(dir.read("french.lan"), "[Label]\r\nA=Un !\r\nB=Deux\r\n");
    EXPECT_EQ(entriesOf(dir.path()), (Strings{"english.lan", "french.lan"}));
}

TEST(FullDisk, AHardLinkedFileIsTheOneExceptionButTheFailureIsReported)
{
    TempDir dir;
    dir.write("english.lan", kEnglish);
    ASSERT_EQ(::link(dir.file("english.lan").c_str(), dir.file("english.bak").c_str()), 0);
    const auto result = inChild(As::Self, [&] {
        limitFileSize(4096);
        const Result r =
            ProfileFile().writeKey(dir.file("english.lan"), "A", std::string(64 * 1024, 'x'),
                                   verbolt::FilePath::folderOf(dir.file("english.lan")));
        return Strings{r.ok() ? "ok" : std::to_string(r.error())};
    });
    ASSERT_TRUE(result);
    EXPECT_EQ(*result, Strings{std::to_string(EFBIG)});
    EXPECT_EQ(entriesOf(dir.path()), (Strings{"english.bak", "english.lan"}));
}

using Call = FaultyFileSystem::Call;

class IoError : public ::testing::TestWithParam<Call>
{
};

TEST_P(IoError, FailsTheOneFileItHitsAndIsReported)
{
    TempDir dir;
    dir.write("french.lan", kFrench);
    dir.write("english.lan", kEnglish);
    dir.write("german.lan", kGerman);
    Session s(dir.path());
    ASSERT_EQ(s.headers(), (Strings{"ID", "FRENCH", "ENGLISH", "GERMAN"}));

    // Apply writes FRENCH, ENGLISH, GERMAN in column order: the second write fails.
    s.fs.failWhen([](Call call, int n) { return call == GetParam() && n == 1 ? EIO : 0; });
    const Strings messages =
        s.apply(1, {{"FRENCH", "Deux !"}, {"ENGLISH", "Two !"}, {"GERMAN", "Zwei !"}});
    EXPECT_EQ(messages, Strings{unableToWrite(dir.file("english.lan"), "Input/output error")});
    EXPECT_EQ(dir.read("french.lan"), "[Label]\r\nA=Un\r\nB=Deux !\r\n");
    EXPECT_EQ(dir.read("english.lan"), kEnglish);
    EXPECT_EQ(dir.read("german.lan"), "[Label]\nA=Eins\nB=Zwei !\n");
    EXPECT_EQ(entriesOf(dir.path()), (Strings{"english.lan", "french.lan", "german.lan"}));

    // The service itself hands the errno up.
    FaultyFileSystem fs;
    fs.failWhen([](Call call, int) { return call == GetParam() ? EIO : 0; });
    const Result r = ProfileFile(fs).writeKey(dir.file("english.lan"), "A", "changed",
                                              verbolt::FilePath::folderOf(dir.file("english.lan")));
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.error(), EIO);
    EXPECT_EQ(r.path(), dir.file("english.lan"));
    EXPECT_EQ(dir.read("english.lan"), kEnglish);
}

INSTANTIATE_TEST_SUITE_P(EachStage, IoError,
                         ::testing::Values(Call::Write, Call::Sync, Call::Rename));

} // namespace
