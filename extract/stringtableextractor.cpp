#include "stringtableextractor.h"

#include "atomicfile.h"
#include "filepath.h"
#include "filereader.h"
#include "scriptlexer.h"
#include "stringtablereader.h"
#include "utf16script.h"

#include <cerrno>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>

namespace verbolt {

namespace {

bool isLink(const std::string &path)
{
    struct stat st
    {
    };
    return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool endsWithLan(std::string_view name)
{
    if (name.size() < 4)
        return false;
    const std::string_view tail = name.substr(name.size() - 4);
    return tail[0] == '.' && (tail[1] | 0x20) == 'l' && (tail[2] | 0x20) == 'a' &&
           (tail[3] | 0x20) == 'n';
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

Result StringTableExtractor::extractToFile(const std::string &scriptPath,
                                           const std::string &outputName)
{
    using Failure = Result::Failure;

    // Messages name full paths, also when the command line was given a relative one.
    std::error_code ec;
    std::string script = std::filesystem::absolute(scriptPath, ec).string();
    if (ec || script.empty())
        script = scriptPath;

    const FileContent input = FileReader::read(script);
    if (!input.result.ok())
        return Result::failed(Failure::Read, input.result.error(), script);
    // A script that cannot be read as text is refused like one that cannot be read at all.
    const std::optional<std::string> extracted = ExtractStringTable(input.bytes);
    if (!extracted)
        return Result::failed(Failure::Read, EILSEQ, script);

    if (outputName.empty() || outputName == "." || outputName == ".." ||
        outputName.find('/') != std::string::npos)
        return Result::failed(Failure::Create, EINVAL, outputName);
    const std::string folder = FilePath::folderOf(script);
    const std::string outputPath = folder + "/" + outputName;
    // Replacing the script with its own extraction would lose it: refuse before writing.
    if (FilePath::sameFile(script, outputPath))
        return Result::failed(Failure::Refused, 0, outputName);

    // The output is never written through a link, nor over a label file: an extraction
    // must not replace the translations it is meant to feed.
    if (endsWithLan(outputName) || isLink(outputPath))
        return Result::failed(Failure::Create, 0, outputName);

    // An output that is a link leading out of the script's folder is never written through.
    const Result written = AtomicFile::write(outputPath, *extracted, folder);
    if (written.failure() == Failure::LinksOutside)
        return Result::failed(Failure::LinksOutside, 0, outputName);
    if (!written.ok())
        return Result::failed(Failure::Write, written.error(), outputPath);
    return Result::done(outputPath);
}

std::string StringTableExtractor::messageFor(const Result &result)
{
    return messageWithoutReason(result) + result.reasonSentence();
}

std::string StringTableExtractor::messageWithoutReason(const Result &result)
{
    switch (result.failure()) {
    case Result::Failure::None:
        return "Extraction terminated.";
    case Result::Failure::Read:
    case Result::Failure::List:
        return "Unable to open the file " + result.path() + ".";
    case Result::Failure::Write:
        return "Unable to write the file " + result.path() + ".";
    case Result::Failure::Create:
    case Result::Failure::LinksOutside:
    case Result::Failure::Refused:
    case Result::Failure::Unsupported:
    case Result::Failure::Gone:
    case Result::Failure::TooLarge:
        break;
    }
    return "Unable to create the file " + result.path() + ".";
}

} // namespace verbolt
