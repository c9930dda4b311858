#include "commandline.h"

#include "checkreport.h"
#include "csvexport.h"
#include "exchangeexport.h"
#include "exchangeimport.h"
#include "filereader.h"
#include "frenchorder.h"
#include "hunspellchecker.h"
#include "labelalign.h"
#include "labeldirectory.h"
#include "labelloader.h"
#include "labelmarks.h"
#include "languagestats.h"
#include "languagetable.h"
#include "profilefile.h"
#include "stringtableextractor.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace verbolt {

namespace {

bool isOption(std::string_view arg)
{
    return arg.substr(0, 2) == "--";
}

int usageError(std::ostream &err, const std::string &why)
{
    err << "verbolt: " << why << "\n" << CommandLine::usage();
    return 2;
}

// Qt's own options that take a value: the value is no FOLDER of ours.
bool takesValue(std::string_view qtOption)
{
    static constexpr std::string_view withValue[] = {
        "-platform",        "-platformpluginpath", "-platformtheme", "-plugin",
        "-qwindowgeometry", "-qwindowicon",        "-qwindowtitle",  "-session",
        "-display",         "-geometry",           "-title",         "-style",
        "-stylesheet"};
    for (const std::string_view o : withValue)
        if (qtOption == o)
            return true;
    return false;
}

// The label directory named by a FOLDER argument: absolute, ending in "/". Nothing, having
// said why on `err`, when it is no folder.
std::optional<std::string> folderArgument(const std::string &arg, std::ostream &err)
{
    struct stat st
    {
    };
    if (::stat(arg.c_str(), &st) != 0) {
        err << "verbolt: " << arg << ": " << std::strerror(errno) << "\n";
        return std::nullopt;
    }
    if (!S_ISDIR(st.st_mode)) {
        err << "verbolt: " << arg << ": not a folder\n";
        return std::nullopt;
    }
    std::error_code ec;
    std::string dir = std::filesystem::absolute(arg, ec).lexically_normal().string();
    if (ec)
        dir = arg;
    return LabelDirectory::asDirectory(std::move(dir));
}

// The label directory: FOLDER, or the working directory; empty after saying on `err` why
// there is none.
std::string labelDirectory(const std::string &folder, std::ostream &err)
{
    if (!folder.empty())
        return folderArgument(folder, err).value_or("");
    const std::string dir = LabelDirectory::workingDirectory();
    if (dir.empty())
        err << "verbolt: cannot read the working directory: " << std::strerror(errno) << "\n";
    return dir;
}

int exportCsv(const std::string &folder, std::ostream &out, std::ostream &err, FileSystem &fs)
{
    const std::string dir = labelDirectory(folder, err);
    if (dir.empty())
        return folder.empty() ? 1 : 2;
    if (const Result r = CsvExport::exportDirectory(dir, out, fs); !r.ok()) {
        if (r.failure() == Result::Failure::List)
            err << LabelDirectory::unreadableMessage(dir) << "\n";
        else if (r.reason().empty())
            err << r.path() << ": cannot be read\n";
        else
            err << r.path() << ": cannot be read: " << r.reason() << "\n";
        return 1;
    }
    if (!out.flush()) {
        err << "verbolt: cannot write the standard output\n";
        return 1;
    }
    return 0;
}

int check(const std::string &folder, CheckOptions options, bool spelling, std::ostream &out,
          std::ostream &err, FileSystem &fs)
{
    const std::string dir = labelDirectory(folder, err);
    if (dir.empty())
        return folder.empty() ? 1 : 2;
    HunspellChecker words([&err](const std::string &note) { err << "verbolt: " << note << "\n"; });
    if (spelling)
        options.words = &words;
    const std::optional<CheckTotals> totals = CheckReport::run(dir, options, out, err, fs);
    if (!totals)
        return 1;
    if (!out.flush()) {
        err << "verbolt: cannot write the standard output\n";
        return 1;
    }
    return totals->failed(options) ? 1 : 0;
}

// The checks named by --check=NAME,NAME; nothing, having said why, for an unknown name.
std::optional<CheckMask> checkList(std::string_view list, std::ostream &err)
{
    CheckMask mask = 0;
    while (!list.empty()) {
        const std::size_t comma = std::min(list.find(','), list.size());
        const std::string_view name = list.substr(0, comma);
        list.remove_prefix(std::min(comma + 1, list.size()));
        const std::optional<Check> check = TextChecks::byName(name);
        if (!check) {
            usageError(err, "unknown check " + std::string(name));
            return std::nullopt;
        }
        mask |= checkBit(*check);
    }
    return mask;
}

// Puts every language file in French order; one line per file changed, one per failure.
int align(const std::string &folder, LabelAlign::Fill fill, std::ostream &out, std::ostream &err,
          FileSystem &fs)
{
    const std::string dir = labelDirectory(folder, err);
    if (dir.empty())
        return folder.empty() ? 1 : 2;
    const Listing listing = LabelDirectory::list(dir, fs);
    if (!listing.result.ok()) {
        err << LabelDirectory::unreadableMessage(dir) << "\n";
        return 1;
    }
    const auto french =
        std::find_if(listing.entries.begin(), listing.entries.end(),
                     [](const LabelFileEntry &e) { return LabelDirectory::isFrench(e.name); });
    if (french == listing.entries.end()) {
        err << "french.lan: not found\n";
        return 1;
    }
    const FileContent frenchFile = FileReader::read(dir + french->name);
    if (french->kind != LabelFileEntry::Kind::File || !frenchFile.result.ok()) {
        err << french->name << ": cannot be read\n";
        return 1;
    }
    const FrenchOrder order(frenchFile.bytes);
    ProfileFile writer(fs); // its buffers go with it once every file is in order
    int status = 0;
    for (const LabelFileEntry &e : listing.entries) {
        if (&e == &*french)
            continue;
        if (e.kind == LabelFileEntry::Kind::Directory) {
            err << e.name << ": cannot be written: not a file\n";
            status = 1;
            continue;
        }
        // A link to nothing is a missing file: nothing to put in order.
        LabelAlign::Aligned aligned;
        const Result r = writer.replaceFile(
            dir + e.name, dir,
            [&](std::string_view bytes, bool exists) -> std::optional<std::string> {
                if (!exists)
                    return std::nullopt;
                aligned = LabelAlign::align(order, bytes, fill);
                if (!aligned.changed)
                    return std::nullopt;
                return std::move(aligned.bytes);
            });
        if (!r.ok()) {
            err << e.name << ": cannot be written: "
                << (r.failure() == Result::Failure::LinksOutside ? "it links outside the folder"
                                                                 : std::strerror(r.error()))
                << "\n";
            status = 1;
        } else if (aligned.changed) {
            out << LabelAlign::describe(e.name, aligned) << "\n";
        }
    }
    if (!out.flush()) {
        err << "verbolt: cannot write the standard output\n";
        return 1;
    }
    return status;
}

int stats(const std::string &folder, std::ostream &out, std::ostream &err)
{
    const std::string dir = labelDirectory(folder, err);
    if (dir.empty())
        return folder.empty() ? 1 : 2;
    LabelGrid grid;
    SilentProgress progress;
    const LoadResult load = LabelLoader(grid, progress).LoadAllLabels(dir);
    if (!load.listing.ok()) {
        err << LabelDirectory::unreadableMessage(dir) << "\n";
        return 1;
    }
    if (!load.loaded) {
        if (load.frenchName.empty())
            err << "french.lan: not found\n";
        else
            err << load.frenchName << ": cannot be read\n";
        return 1;
    }
    LabelMarks marks(grid);
    marks.computeAll();
    for (const LanguageProgress &p : LanguageStats::compute(grid, marks))
        out << LanguageStats::describe(p) << "\n";
    if (!out.flush()) {
        err << "verbolt: cannot write the standard output\n";
        return 1;
    }
    return 0;
}

int extract(const std::string &language, const std::string &script, std::ostream &out,
            std::ostream &err)
{
    const Language *known = LanguageTable::byName(language);
    if (!known || known->extractOutput.empty())
        return usageError(err, "no extraction for the language " + language);
    const Result result =
        StringTableExtractor::extractToFile(script, std::string(known->extractOutput));
    if (!result.ok()) {
        err << StringTableExtractor::messageFor(result) << "\n";
        return 1;
    }
    out << StringTableExtractor::messageFor(result) << "\n";
    return 0;
}

int exportFor(const std::string &file, const std::string &language, const std::string &folder,
              std::ostream &err)
{
    const ExchangeExport::Format format = ExchangeExport::formatOf(file);
    if (format == ExchangeExport::Format::None)
        return usageError(err, "--export writes a .xlf, .xliff, .xlsx or .csv file");
    if (format == ExchangeExport::Format::Xliff && language.empty())
        return usageError(err, "an XLIFF export needs --language NAME");
    const std::string dir = labelDirectory(folder, err);
    if (dir.empty())
        return 2;
    // One language's export holds that language's file only.
    const ExchangeFolder loaded(dir, language.empty() ? std::vector<std::string>()
                                                      : std::vector<std::string>{language});
    if (!loaded.loaded()) {
        err << "verbolt: " << LabelDirectory::shown(dir) << ": no french.lan to export\n";
        return 2;
    }
    int column = -1;
    if (!language.empty()) {
        column = loaded.findLanguage(language);
        if (column < 0) {
            err << "verbolt: no language file for " << language << "\n";
            return 2;
        }
    }
    return ExchangeExport::toFile(loaded, file, column, err);
}

int importFrom(const std::string &file, bool dryRun, const std::string &folder, std::ostream &out,
               std::ostream &err)
{
    const std::string dir = labelDirectory(folder, err);
    if (dir.empty())
        return 2;
    const ImportedFile imported = ImportReader::read(file);
    if (!imported.ok()) {
        err << "verbolt: " << file << ": " << imported.error << "\n";
        return 2;
    }
    const ExchangeFolder loaded(dir, ExchangeImport::languagesIn(imported));
    if (!loaded.loaded()) {
        err << "verbolt: " << LabelDirectory::shown(dir) << ": no french.lan to import into\n";
        return 2;
    }
    const ImportPlan plan = ExchangeImport::plan(loaded, imported);
    ExchangeImport::report(plan, out);
    int status = plan.anythingSkipped() ? 1 : 0;
    if (dryRun)
        return status;
    for (const ImportWrite &w : ExchangeImport::write(plan, loaded)) {
        if (!w.result.ok()) {
            err << "verbolt: " << w.path << ": not written: " << std::strerror(w.result.error())
                << "\n";
            status = 1;
        }
    }
    return status;
}

} // namespace

const char *CommandLine::usage()
{
    return "usage: verbolt [Qt options] [FOLDER]   open the window on the label folder FOLDER\n"
           "                                       (default: the working directory)\n"
           "       verbolt --choose-folder         choose the label folder first\n"
           "       verbolt --export-csv [FOLDER]   write the labels to standard output as CSV\n"
           "                                       (UTF-8)\n"
           "       verbolt --check[=NAME,...] [--strict] [--all] [--spelling] [FOLDER]\n"
           "                                       list what the checks find in the label\n"
           "                                       files, a line each: FILE:LINE: SEVERITY:\n"
           "                                       ID: MESSAGE [CHECK]; exit status 1 on an\n"
           "                                       error (--strict: on a warning too); --all\n"
           "                                       shows muted findings\n"
           "       verbolt --align [--fill=empty|french] [FOLDER]\n"
           "                                       put the [Label] entries of every language\n"
           "                                       file in French order, adding the labels a\n"
           "                                       file lacks with an empty text (or the\n"
           "                                       French one); one line per file changed\n"
           "       verbolt --stats [FOLDER]        print each language's progress: its share\n"
           "                                       translated, its missing, empty,\n"
           "                                       untranslated and needing-work labels and\n"
           "                                       the words of French text left to translate\n"
           "       verbolt --extract LANGUAGE SCRIPT\n"
           "                                       extract the string tables of the resource\n"
           "                                       script SCRIPT into a file beside it named\n"
           "                                       after LANGUAGE in lower case (english.txt);\n"
           "                                       LANGUAGE: french, english, italian, spanish\n"
           "                                       or german, in any letter case\n"
           "       verbolt --export FILE [--language NAME] [FOLDER]\n"
           "                                       write the labels by ID for translators:\n"
           "                                       FILE.xlf or .xliff (XLIFF 1.2, needs NAME),\n"
           "                                       .xlsx or .csv (every language, or NAME)\n"
           "       verbolt --import FILE [--dry-run] [FOLDER]\n"
           "                                       write back the translations of such a file;\n"
           "                                       --dry-run only tells what it would write\n"
           "       verbolt --help                  show this help\n"
           "       verbolt --version               show the version\n";
}

std::optional<int> CommandLine::run(int argc, char **argv, std::ostream &out, std::ostream &err,
                                    FileSystem &fs)
{
    // Verbolt's option and its operands; Qt's options and their values are skipped.
    std::string option;
    std::vector<std::string> operands;
    bool chooseFolder = false;
    std::optional<LabelAlign::Fill> fill; // --align's
    bool dryRun = false;
    std::optional<std::string> language;
    CheckOptions checkOptions;
    bool spelling = false;
    std::vector<std::string_view> checkFlags; // --check's own: nothing without it
    std::optional<std::string_view> checkNames;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--choose-folder") {
            chooseFolder = true; // the window's: it needs Qt
            continue;
        }
        if (arg.starts_with("--fill=")) {
            if (fill || (arg != "--fill=empty" && arg != "--fill=french"))
                return usageError(err, "--fill takes empty or french, once");
            fill = arg == "--fill=french" ? LabelAlign::Fill::French : LabelAlign::Fill::Empty;
            continue;
        }
        if (arg == "--dry-run") {
            dryRun = true;
            continue;
        }
        if (arg == "--language") {
            if (i + 1 >= argc)
                return usageError(err, "--language needs a NAME");
            language = argv[++i];
            continue;
        }
        if (arg == "--strict" || arg == "--all" || arg == "--spelling") {
            checkOptions.strict = checkOptions.strict || arg == "--strict";
            checkOptions.all = checkOptions.all || arg == "--all";
            spelling = spelling || arg == "--spelling";
            checkFlags.push_back(arg);
            continue;
        }
        if (arg.starts_with("--check=")) {
            checkNames = arg.substr(8);
            arg = "--check";
        }
        if (isOption(arg)) {
            if (!option.empty())
                return usageError(err, "one option at a time");
            option = arg;
        } else if (arg.starts_with('-')) {
            if (takesValue(arg))
                ++i;
        } else {
            operands.emplace_back(arg);
        }
    }
    if (fill && option != "--align")
        return usageError(err, "--fill goes with --align");
    if (option.empty() && (dryRun || language))
        return usageError(err, dryRun ? "--dry-run goes with --import"
                                      : "--language goes with --export");
    if (option.empty()) {
        // The window's arguments are checked before Qt starts, so that a wrong FOLDER is
        // said without a display too.
        if (operands.size() > 1)
            return usageError(err, "one FOLDER at a time");
        if (!operands.empty() && !folderArgument(operands.front(), err))
            return 2;
        return std::nullopt;
    }
    if (chooseFolder)
        return usageError(err, "one option at a time");
    if (language && option != "--export")
        return usageError(err, "--language goes with --export");
    if (dryRun && option != "--import")
        return usageError(err, "--dry-run goes with --import");
    if (option == "--export" || option == "--import") {
        if (operands.empty() || operands.size() > 2)
            return usageError(err, option + " needs a FILE and at most one FOLDER");
        const std::string folderOperand = operands.size() == 2 ? operands[1] : std::string();
        if (option == "--export")
            return exportFor(operands[0], language.value_or(""), folderOperand, err);
        return importFrom(operands[0], dryRun, folderOperand, out, err);
    }
    if (!checkFlags.empty() && option != "--check")
        return usageError(err, std::string(checkFlags.front()) + " goes with --check");

    const auto atMost = [&](std::size_t n) { return operands.size() <= n; };
    if (option == "--help" && atMost(0)) {
        out << usage();
        return 0;
    }
    if (option == "--version" && atMost(0)) {
        out << "verbolt " << VERBOLT_VERSION << "\n";
        return 0;
    }
    const std::string folder = operands.empty() ? std::string() : operands.front();
    if (option == "--export-csv" && atMost(1))
        return exportCsv(folder, out, err, fs);
    if (option == "--check" && atMost(1)) {
        if (checkNames) {
            const std::optional<CheckMask> mask = checkList(*checkNames, err);
            if (!mask)
                return 2;
            checkOptions.checks = *mask;
        }
        if (spelling)
            checkOptions.checks |= checkBit(Check::Spelling);
        return check(folder, checkOptions, spelling, out, err, fs);
    }
    if (option == "--align" && atMost(1))
        return align(folder, fill.value_or(LabelAlign::Fill::Empty), out, err, fs);
    if (option == "--stats" && atMost(1))
        return stats(folder, out, err);
    if (option == "--extract") {
        if (operands.size() != 2)
            return usageError(err, "--extract needs a LANGUAGE and a SCRIPT");
        return extract(operands[0], operands[1], out, err);
    }
    if (option == "--help" || option == "--version" || option == "--export-csv" ||
        option == "--check" || option == "--align" || option == "--stats")
        return usageError(err, "too many arguments for " + option);
    return usageError(err, "unknown option " + option);
}

int CommandLine::startWindow(char **argv, std::ostream &err)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    fs::path program = self.parent_path() / "verbolt-window";
    if (!ec && !fs::exists(program, ec))
        program = (self.parent_path() / VERBOLT_WINDOW_DIR / "verbolt-window").lexically_normal();
    ::execv(program.c_str(), argv);
    err << "verbolt: cannot start the window: " << program.string() << ": " << std::strerror(errno)
        << "\n";
    return 1;
}

std::variant<int, WindowStart> CommandLine::windowStart(int argc, char **argv, std::ostream &err)
{
    WindowStart start;
    std::vector<std::string> folders;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--choose-folder")
            start.choose = true;
        else if (arg.starts_with('-'))
            return usageError(err, "unknown option " + std::string(arg));
        else
            folders.emplace_back(arg);
    }
    if (folders.size() > 1)
        return usageError(err, "one FOLDER at a time");
    if (!folders.empty()) {
        const auto dir = folderArgument(folders.front(), err);
        if (!dir)
            return 2;
        start.folder = *dir;
    }
    return start;
}

} // namespace verbolt
