#include "commandline.h"

#include "alignmentcheck.h"
#include "csvexport.h"
#include "labeldirectory.h"
#include "stringtableextractor.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <string_view>
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

// The label directory, or empty after saying on `err` why there is none.
std::string labelDirectory(std::ostream &err)
{
    const std::string dir = LabelDirectory::workingDirectory();
    if (dir.empty())
        err << "verbolt: cannot read the working directory: " << std::strerror(errno) << "\n";
    return dir;
}

int exportCsv(std::ostream &out, std::ostream &err)
{
    const std::string dir = labelDirectory(err);
    if (dir.empty())
        return 1;
    std::string problem;
    if (!CsvExport::exportDirectory(dir, out, problem)) {
        err << problem << "\n";
        return 1;
    }
    if (!out.flush()) {
        err << "verbolt: cannot write the standard output\n";
        return 1;
    }
    return 0;
}

int check(std::ostream &out, std::ostream &err)
{
    const std::string dir = labelDirectory(err);
    if (dir.empty())
        return 1;
    const std::optional<std::size_t> lines = AlignmentCheck::checkDirectory(dir, out);
    if (!lines) {
        err << LabelDirectory::unreadableMessage(dir) << "\n";
        return 1;
    }
    return *lines == 0 ? 0 : 1;
}

int extract(const std::string &language, const std::string &script, std::ostream &out,
            std::ostream &err)
{
    const auto outputName = StringTableExtractor::outputNameFor(language);
    if (!outputName)
        return usageError(err, "no extraction for the language " + language);
    const ExtractionResult result = StringTableExtractor::extractToFile(script, *outputName);
    if (result.status != ExtractionResult::Status::Done) {
        err << StringTableExtractor::messageFor(result) << "\n";
        return 1;
    }
    out << StringTableExtractor::messageFor(result) << "\n";
    return 0;
}

} // namespace

const char *CommandLine::usage()
{
    return "usage: verbolt [Qt options]            open the window\n"
           "       verbolt --export-csv            write the labels of the working directory\n"
           "                                       to standard output as CSV (UTF-8)\n"
           "       verbolt --check                 list the label files of the working\n"
           "                                       directory that are out of step with\n"
           "                                       french.lan; exit status 1 if any\n"
           "       verbolt --extract LANGUAGE SCRIPT\n"
           "                                       extract the string tables of the resource\n"
           "                                       script SCRIPT into a file beside it named\n"
           "                                       after LANGUAGE in lower case (english.txt);\n"
           "                                       LANGUAGE: french, english, italian, spanish\n"
           "                                       or german, in any letter case\n"
           "       verbolt --help                  show this help\n"
           "       verbolt --version               show the version\n";
}

std::optional<int> CommandLine::run(int argc, char **argv, std::ostream &out, std::ostream &err)
{
    // Verbolt's option and its operands; every other argument is Qt's and is ignored.
    std::string option;
    std::vector<std::string> operands;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (!isOption(arg))
            continue;
        if (!option.empty())
            return usageError(err, "one option at a time");
        option = arg;
        if (option == "--extract")
            for (int j = 0; j < 2 && i + 1 < argc && !isOption(argv[i + 1]); ++j)
                operands.emplace_back(argv[++i]);
    }
    if (option.empty())
        return std::nullopt;

    if (option == "--help") {
        out << usage();
        return 0;
    }
    if (option == "--version") {
        out << "verbolt " << VERBOLT_VERSION << "\n";
        return 0;
    }
    if (option == "--export-csv")
        return exportCsv(out, err);
    if (option == "--check")
        return check(out, err);
    if (option == "--extract") {
        if (operands.size() < 2)
            return usageError(err, "--extract needs a LANGUAGE and a SCRIPT");
        return extract(operands[0], operands[1], out, err);
    }
    return usageError(err, "unknown option " + option);
}

} // namespace verbolt
