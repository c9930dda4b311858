#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace verbolt {

/// What extracting a script into an output file came to.
struct ExtractionResult
{
    enum class Status
    {
        Done,
        CannotOpen,
        CannotCreate,
        CannotWrite
    };

    Status status = Status::Done;
    /// The path the message names: the script's full path (CannotOpen, also for a script
    /// that is malformed UTF-16), the output's name (CannotCreate) or the output's full path
    /// (CannotWrite); empty when Done.
    std::string messagePath;
    /// errno of a failed read or write (EILSEQ for malformed UTF-16, EINVAL for an output
    /// name that is not a plain file name), 0 otherwise.
    int error = 0;
};

/// Turns the STRINGTABLE blocks of a resource script (*.rc) into the body of a label file:
/// a "[Label]" header, then one "ID=text" line per entry, every line ending in CRLF.
class StringTableExtractor
{
public:
    /// The output bytes for a script: its bytes as they stand, or for a UTF-16 script its
    /// text in Windows-1252 (or UTF-8 when a character has no byte there). Nothing when the
    /// script is malformed UTF-16. Pure: no window, no disk.
    static std::optional<std::string> ExtractStringTable(std::string_view script);

    /// Extracts the script at scriptPath into outputName in the script's own folder,
    /// replacing a file of that name there. The window's five commands and the command
    /// line both come through here.
    static ExtractionResult extractToFile(const std::string &scriptPath,
                                          const std::string &outputName);

    /// The text shown for a result, e.g. "Unable to open the file /home/x/app.rc.".
    static std::string messageFor(const ExtractionResult &result);

    /// The output file of a language: "french" gives "french.txt"; any letter case. Only
    /// French, English, Italian, Spanish and German have one.
    static std::optional<std::string> outputNameFor(std::string_view language);
};

} // namespace verbolt
