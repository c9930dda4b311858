#pragma once

#include "result.h"

#include <optional>
#include <string>
#include <string_view>

namespace verbolt {

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
    /// line both come through here. A failure names, for the message: the script's full
    /// path when it cannot be read (or is malformed UTF-16, EILSEQ); the output's name when
    /// it cannot be made there (not a plain name, EINVAL; the script itself; a link leading
    /// out of the script's folder); the output's full path when its write failed.
    static Result extractToFile(const std::string &scriptPath, const std::string &outputName);

    /// The text shown for a result, e.g. "Unable to open the file /home/x/app.rc. Permission
    /// denied.": what failed, then why.
    static std::string messageFor(const Result &result);

private:
    static std::string messageWithoutReason(const Result &result);
};

} // namespace verbolt
