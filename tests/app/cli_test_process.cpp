#include "commandline.h"
#include "faultyfilesystem.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <signal.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <variant>
#include <vector>

extern char **environ;

using verbolt::test::TempDir;

namespace {

struct Outcome
{
    int code = -1; // exit status, or 128 + signal for a child killed by one
    std::string out;
    std::string err;
};

// Runs the real program in `cwd` with no display of any kind in its environment, as on a
// build server.
Outcome runVerbolt(const TempDir &cwd, std::vector<std::string> args)
{
    TempDir capture;
    const std::string outPath = capture.file("out");
    const std::string errPath = capture.file("err");

    std::vector<std::string> env;
    for (char **e = environ; *e; ++e) {
        const std::string_view var = *e;
        if (!var.starts_with("DISPLAY=") && !var.starts_with("WAYLAND_DISPLAY=") &&
            !var.starts_with("QT_QPA_PLATFORM="))
            env.emplace_back(var);
    }
    args.insert(args.begin(), VERBOLT_BINARY);
    std::vector<char *> argv;
    for (std::string &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<char *> envp;
    for (std::string &e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid == 0) {
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int in = ::open("/dev/null", O_RDONLY);
        if (out < 0 || err < 0 || in < 0 || ::chdir(cwd.path().c_str()) != 0 || ::dup2(in, 0) < 0 ||
            ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0)
            ::_exit(126);
        // A window that opened by mistake would wait for ever; the alarm survives exec.
        ::alarm(120);
        // Qt aborts on an unknown platform: no core file for that.
        const rlimit noCore{0, 0};
        ::setrlimit(RLIMIT_CORE, &noCore);
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    Outcome run;
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid)
        return run;
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.out = capture.read("out");
    run.err = capture.read("err");
    return run;
}

const std::string script = "STRINGTABLE\r\nBEGIN\r\n    IDS_HELLO \"Hello, world\"\r\nEND\r\n";

} // namespace

TEST(CommandLineProcess, ExportAndCheckWorkOnTheWorkingDirectoryWithoutADisplay)
{
    TempDir dir;
    dir.write("french.lan", "[Label]\r\nA=\xE9t\xE9\r\nB=\"oui\", non\r\n");
    dir.write("english.lan", "[Label]\r\nA=summer\r\n");

    Outcome r = runVerbolt(dir, {"--export-csv"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out,
              "ID,FRENCH,ENGLISH\r\nA,\xC3\xA9t\xC3\xA9,summer\r\nB,\"\"\"oui\"\", non\",\r\n");
    EXPECT_EQ(r.err, "");

    r = runVerbolt(dir, {"--check"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "english.lan:3: error: 1 label missing at the end (french.lan has 2 "
                     "entries, english.lan has 1) [order]\n");

    dir.write("english.lan", "[Label]\r\nA=summer\r\nB=\"yes\", no\r\n");
    r = runVerbolt(dir, {"--check"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "");
}

TEST(CommandLineProcess, AlignPutsEachLanguageFileInFrenchOrder)
{
    TempDir dir;
    const std::string french = "[Label]\r\nA=un\r\nB=deux\r\nC=trois\r\n";
    dir.write("french.lan", french);
    dir.write("german.lan", "[Label]\nC=drei\n; B\nB=zwei\n");
    dir.write("dutch.lan", "");
    dir.write("english.lan", "[Label]\r\nA=one\r\nB=two\r\nC=three");
    TempDir outside;
    outside.write("x.lan", "[Label]\r\nC=c\r\n");
    ASSERT_EQ(::symlink(outside.file("x.lan").c_str(), dir.file("italian.lan").c_str()), 0);

    Outcome r = runVerbolt(dir, {"--align", "--fill=french"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "dutch.lan: 0 lines moved, 3 labels added\n"
                     "german.lan: 1 line moved, 1 label added\n");
    EXPECT_EQ(r.err, "italian.lan: cannot be written: it links outside the folder\n");
    EXPECT_EQ(dir.read("german.lan"), "[Label]\nA=un\n; B\nB=zwei\nC=drei\n");
    EXPECT_EQ(dir.read("dutch.lan"), "[Label]\r\nA=un\r\nB=deux\r\nC=trois\r\n");
    EXPECT_EQ(dir.read("english.lan"), "[Label]\r\nA=one\r\nB=two\r\nC=three");
    EXPECT_EQ(dir.read("french.lan"), french);
    EXPECT_EQ(outside.read("x.lan"), "[Label]\r\nC=c\r\n");

    ASSERT_EQ(::unlink(dir.file("italian.lan").c_str()), 0);
    r = runVerbolt(dir, {"--align", dir.path()});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(runVerbolt(dir, {"--check", "--fill=empty"}).code, 2);
}

TEST(CommandLineProcess, StatsPrintOneLinePerLanguage)
{
    TempDir dir;
    dir.write("french.lan", "[Label]\r\nA=&Ouvrir le fichier\r\nB=OK\r\nC=Quitter\r\n");
    dir.write("english.lan", "[Label]\r\nA=&Open the file\r\nB=OK\r\n");
    dir.write("german.lan", "[Label]\r\nA=\xD6"
                            "ffnen\r\nB=Gut\r\nC=Beenden\r\n");

    TempDir elsewhere;
    const Outcome r = runVerbolt(elsewhere, {"--stats", dir.path()});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "ENGLISH: 33.3% translated, 1 missing, 0 empty, 1 untranslated, "
                     "1 needing work, 2 words to translate\n"
                     "GERMAN: 100.0% translated, 0 missing, 0 empty, 0 untranslated, "
                     "1 needing work, 0 words to translate\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(runVerbolt(elsewhere, {"--stats"}).err, "french.lan: not found\n");
}

TEST(CommandLineProcess, CheckExitsOnErrorsAndWithStrictOnWarnings)
{
    TempDir dir;
    dir.write("french.lan", "[Label]\r\nA=Nom :\r\n");
    dir.write("english.lan", "[Label]\r\nA=Name\r\n");
    Outcome r = runVerbolt(dir, {"--check"});
    EXPECT_EQ(r.code, 0) << "a warning alone";
    EXPECT_EQ(r.out, "english.lan:2: warning: A: no ending mark where French ends with \":\" "
                     "[punctuation]\n");
    EXPECT_EQ(runVerbolt(dir, {"--check", "--strict"}).code, 1);
    r = runVerbolt(dir, {"--check=placeholders,order", "--strict"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(runVerbolt(dir, {"--check=nosuch"}).code, 2);
    EXPECT_EQ(runVerbolt(dir, {"--export-csv", "--strict"}).code, 2);
}

TEST(CommandLineProcess, ExtractWritesBesideTheScript)
{
    TempDir dir;
    dir.write("app.rc", script);

    Outcome r = runVerbolt(dir, {"--extract", "EnGlIsH", "app.rc"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "Extraction terminated.\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(dir.read("english.txt"), "[Label]\r\nIDS_HELLO=Hello, world\r\n");

    r = runVerbolt(dir, {"--extract", "german", "missing.rc"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "Unable to open the file " + dir.file("missing.rc") +
                         ". No such file or directory.\n");
    EXPECT_FALSE(dir.exists("german.txt"));

    for (const std::vector<std::string> &args :
         {std::vector<std::string>{"--extract", "portuguese", "app.rc"},
          {"--extract", "english"},
          {"--extract"},
          {"--extract", "english", "--check"}}) {
        r = runVerbolt(dir, args);
        EXPECT_EQ(r.code, 2) << args.size();
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find(verbolt::CommandLine::usage()), std::string::npos);
    }
    EXPECT_EQ(dir.listing(), "app.rc\nenglish.txt\n");
}

TEST(CommandLineProcess, HelpVersionAndUnknownOptions)
{
    TempDir dir;
    Outcome r = runVerbolt(dir, {"--help"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, verbolt::CommandLine::usage());
    for (const char *option :
         {"--export-csv", "--check", "--extract LANGUAGE SCRIPT", "--help", "--version"})
        EXPECT_NE(r.out.find(option), std::string::npos) << option;

    r = runVerbolt(dir, {"--version"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, std::string("verbolt ") + VERBOLT_TEST_VERSION + "\n");

    for (const std::vector<std::string> &args : {std::vector<std::string>{"--frobnicate"},
                                                 {"--"},
                                                 {"--platform", "offscreen"},
                                                 {"--check", "--export-csv"}}) {
        r = runVerbolt(dir, args);
        EXPECT_EQ(r.code, 2) << args[0];
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find(verbolt::CommandLine::usage()), std::string::npos);
    }
}

TEST(CommandLineProcess, ArgumentsWithoutTwoDashesBelongToQt)
{
    TempDir dir;
    // Beside an option of Verbolt's, Qt's arguments are ignored and Qt is never started.
    Outcome r = runVerbolt(dir, {"-platform", "offscreen", "--version"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, std::string("verbolt ") + VERBOLT_TEST_VERSION + "\n");

    // Alone, they reach Qt: an unknown platform fails there, not as a usage error.
    r = runVerbolt(dir, {"-platform", "nosuchplatform"});
    EXPECT_NE(r.code, 0);
    EXPECT_NE(r.code, 2);
    EXPECT_NE(r.err.find("platform plugin"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("usage:"), std::string::npos) << r.err;
}

TEST(CommandLineProcess, AFolderArgumentNamesTheLabelFolder)
{
    TempDir labels;
    labels.write("french.lan", "[Label]\r\nA=\xE9t\xE9\r\n");
    labels.write("english.lan", "[Label]\r\nB=summer\r\n");
    TempDir elsewhere;
    elsewhere.write("file.txt", "x");

    Outcome r = runVerbolt(elsewhere, {"--export-csv", labels.path()});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "ID,FRENCH,ENGLISH\r\nA,\xC3\xA9t\xC3\xA9,summer\r\n");
    r = runVerbolt(elsewhere, {"--check", labels.path()});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out.substr(0, 32), "english.lan:2: error: B: key whe");

    // No such folder, a file, two folders: said on standard error, no window, status 2.
    // Qt's own options are Qt's, before and after.
    for (const std::vector<std::string> &args :
         {std::vector<std::string>{"-platform", "offscreen", elsewhere.file("missing")},
          {elsewhere.file("missing")}, // no display either: said before Qt starts
          {"-platform", "offscreen", elsewhere.file("file.txt")},
          {"-platform", "offscreen", labels.path(), elsewhere.path()},
          {"--check", elsewhere.file("missing")},
          {"--export-csv", labels.path(), elsewhere.path()}}) {
        r = runVerbolt(elsewhere, args);
        EXPECT_EQ(r.code, 2) << args.back();
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err, "");
    }
}

TEST(CommandLineFolder, AListingThatFailsHalfwayGivesNoCsvAndNoCheck)
{
    TempDir dir;
    dir.write("french.lan", "[Label]\r\nA=a\r\n");
    dir.write("english.lan", "[Label]\r\nB=b\r\n"); // out of step: --check would speak
    using verbolt::test::FaultyFileSystem;
    for (std::string option : {"--export-csv", "--check"}) {
        FaultyFileSystem fs;
        fs.failWhen([](FaultyFileSystem::Call c, int n) {
            return c == FaultyFileSystem::Call::ReadDirectory && n == 3 ? EIO : 0;
        });
        std::string folder = dir.path();
        std::string name = "verbolt";
        char *argv[] = {name.data(), option.data(), folder.data()};
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(verbolt::CommandLine::run(3, argv, out, err, fs), 1) << option;
        EXPECT_EQ(out.str(), "");
        EXPECT_EQ(err.str(), "Unable to read the folder " +
                                 dir.path().substr(0, dir.path().size() - 1) + ".\n");
    }
}

TEST(CommandLineWindow, TheFolderAndTheChooserFromWhatQtLeaves)
{
    TempDir dir;
    dir.write("file.txt", "x");
    const auto start = [](std::vector<std::string> args, std::string *err = nullptr) {
        args.insert(args.begin(), "verbolt");
        std::vector<char *> argv;
        for (std::string &a : args)
            argv.push_back(a.data());
        std::ostringstream out;
        auto result =
            verbolt::CommandLine::windowStart(static_cast<int>(argv.size()), argv.data(), out);
        if (err)
            *err = out.str();
        return result;
    };
    using verbolt::WindowStart;
    EXPECT_EQ(std::get<WindowStart>(start({})).folder, "");
    EXPECT_EQ(std::get<WindowStart>(start({dir.path()})).folder, dir.path());
    // A relative folder is made absolute, with one "/" at the end.
    const std::string parent = dir.path().substr(0, dir.path().rfind('/', dir.path().size() - 2));
    ASSERT_EQ(::chdir(parent.c_str()), 0);
    const std::string name = dir.path().substr(parent.size() + 1);
    EXPECT_EQ(std::get<WindowStart>(start({name.substr(0, name.size() - 1)})).folder, dir.path());
    EXPECT_TRUE(std::get<WindowStart>(start({"--choose-folder"})).choose);

    std::string err;
    EXPECT_EQ(std::get<int>(start({dir.file("missing")}, &err)), 2);
    EXPECT_EQ(err, "verbolt: " + dir.file("missing") + ": No such file or directory\n");
    EXPECT_EQ(std::get<int>(start({dir.file("file.txt")}, &err)), 2);
    EXPECT_EQ(err, "verbolt: " + dir.file("file.txt") + ": not a folder\n");
    EXPECT_EQ(std::get<int>(start({dir.path(), dir.path()}, &err)), 2);
    EXPECT_NE(err.find("one FOLDER at a time"), std::string::npos);
}
