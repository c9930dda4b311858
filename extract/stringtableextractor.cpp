#include "stringtableextractor.h"

#include "atomicfile.h"
#include "filepath.h"
#include "filereader.h"

#include <array>
#include <cerrno>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>

namespace verbolt {

namespace {

bool isBlank(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool holds(std::string_view line, std::string_view word)
{
    return line.find(word) != std::string_view::npos;
}

// The reader's state: in-block is only ever set while in-table is.
struct TableState
{
    bool inTable = false;
    bool inBlock = false;
};

// One line, its line feed already gone, against the state; an entry is appended to out.
void takeLine(std::string_view line, TableState &state, std::string &out)
{
    // Both skips look at the raw line: an indented "//" is not a comment here. A leading NUL
    // ends a C string at once, so such a line counts as empty.
    if (line.empty() || line.front() == '\0' || line.starts_with("//"))
        return;
    line = trimmed(line);

    // Plain substring tests, first match wins: an ID such as IDS_SEND ends the table.
    if (holds(line, "STRINGTABLE")) {
        state.inTable = true;
    } else if (holds(line, "BEGIN") && state.inTable) {
        state.inBlock = true;
    } else if (holds(line, "END")) {
        if (state.inTable)
            state = TableState{};
    } else if (state.inTable && state.inBlock) {
        // Only a real blank splits: an ID followed by a tab is cut inside its string.
        const std::size_t blank = line.find(' ');
        if (blank == std::string_view::npos)
            return;
        const std::string_view id = line.substr(0, blank);
        std::string_view text = trimmed(line.substr(blank + 1));
        // Drop the string's quotes without looking at them; one character leaves nothing.
        text = text.size() >= 2 ? text.substr(1, text.size() - 2) : std::string_view{};
        out.append(id);
        out += '=';
        out.append(text);
        out += "\r\n";
    }
}

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

} // namespace

std::string StringTableExtractor::ExtractStringTable(std::string_view script)
{
    // A byte-order mark is not part of the first line, so a leading "//" still skips it.
    if (script.starts_with("\xEF\xBB\xBF"))
        script.remove_prefix(3);

    std::string out = "[Label]\r\n";
    TableState state;
    // Lines are taken whole, however long; a last line without a line end keeps all of its
    // bytes. A lone CR ends a line too: kept inside one, it would put a bare CR into the
    // output, a line break that the label files' reader does not see.
    while (!script.empty()) {
        const std::size_t end = script.find_first_of("\r\n");
        const std::string_view line = script.substr(0, end);
        std::size_t next = end == std::string_view::npos ? script.size() : end + 1;
        if (end != std::string_view::npos && script[end] == '\r' && next < script.size() &&
            script[next] == '\n')
            ++next;
        script.remove_prefix(next);
        takeLine(line, state, out);
    }
    return out;
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

    if (outputName.empty() || outputName == "." || outputName == ".." ||
        outputName.find('/') != std::string::npos)
        return {Status::CannotCreate, outputName, EINVAL};
    const std::string outputPath = folderOf(script) + outputName;
    // Replacing the script with its own extraction would lose it: refuse before writing.
    if (sameFile(script, outputPath))
        return {Status::CannotCreate, outputName, 0};

    // An output that is a link leading out of the script's folder is never written through.
    const WriteResult written =
        AtomicFile::write(outputPath, ExtractStringTable(input.bytes), FilePath::folderOf(script));
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
