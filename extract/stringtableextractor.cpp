#include "stringtableextractor.h"

#include "atomicfile.h"
#include "filepath.h"
#include "filereader.h"
#include "scriptlexer.h"
#include "stringtablereader.h"
#include "utf16script.h"

#include <array>
#include <cerrno>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>

namespace verbolt {

namespace {

// The folder part of a path, with its trailing "/"; empty for a bare name.
std::string folderOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string{} : path.substr(0, slash + 1);
}

bool sameFile(const std::string &a, const std::string &b)
{
    struct stat sa
    {
    };
    struct stat sb
    {
    };
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

// Reads a script's text (its bytes, or UTF-8 from UTF-16) into the label body.
std::string extractFromText(std::string_view text)
{
    // A byte-order mark is not part of the first line.
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    std::string out = "[Label]\r\n";
    ScriptLexer lexer(text);
    StringTableReader reader;
    ScriptToken token;
    while (lexer.next(token))
        reader.take(token, lexer.line(), out);
    return out;
}

} // namespace

std::optional<std::string> StringTableExtractor::ExtractStringTable(std::string_view script)
{
    if (!Utf16Script::isUtf16(script))
        return extractFromText(script);
    const std::optional<std::string> text = Utf16Script::toUtf8(script);
    if (!text)
        return std::nullopt;
    return Utf16Script::toLabelBytes(extractFromText(*text));
}

ExtractionResult StringTableExtractor::extractToFile(const std::string &scriptPath,
                                                     const std::string &outputName)
{
    using Status = ExtractionResult::Status;

    // Messages name full paths, also when the command line was given a relative one.
    std::error_code ec;
    std::string script = std::filesystem::absolute(scriptPath, ec).string();
    if (ec || script.empty())
        script = scriptPath;

    const FileContent input = FileReader::read(script);
    if (!input.ok)
        return {Status::CannotOpen, script, input.error};
    // A script that cannot be read as text is refused like one that cannot be read at all.
    const std::optional<std::string> extracted = ExtractStringTable(input.bytes);
    if (!extracted)
        return {Status::CannotOpen, script, EILSEQ};

    if (outputName.empty() || outputName == "." || outputName == ".." ||
        outputName.find('/') != std::string::npos)
        return {Status::CannotCreate, outputName, EINVAL};
    const std::string outputPath = folderOf(script) + outputName;
    // Replacing the script with its own extraction would lose it: refuse before writing.
    if (sameFile(script, outputPath))
        return {Status::CannotCreate, outputName, 0};

    // An output that is a link leading out of the script's folder is never written through.
    const WriteResult written =
        AtomicFile::write(outputPath, *extracted, FilePath::folderOf(script));
    if (written.outside)
        return {Status::CannotCreate, outputName, 0};
    if (!written.ok)
        return {Status::CannotWrite, outputPath, written.error};
    return {Status::Done, {}, 0};
}

std::string StringTableExtractor::messageFor(const ExtractionResult &result)
{
    switch (result.status) {
    case ExtractionResult::Status::CannotOpen:
        return "Unable to open the file " + result.messagePath + ".";
    case ExtractionResult::Status::CannotCreate:
        return "Unable to create the file " + result.messagePath + ".";
    case ExtractionResult::Status::CannotWrite:
        return "Unable to write the file " + result.messagePath + ".";
    case ExtractionResult::Status::Done:
        break;
    }
    return "Extraction terminated.";
}

std::optional<std::string> StringTableExtractor::outputNameFor(std::string_view language)
{
    static constexpr std::array<std::string_view, 5> languages = {"french", "english", "italian",
                                                                  "spanish", "german"};
    std::string lower(language);
    for (char &c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    for (const std::string_view name : languages)
        if (lower == name)
            return lower + ".txt";
    return std::nullopt;
}

} // namespace verbolt
