#pragma once

#include "filesystem.h"
#include "labelgrid.h"
#include "result.h"
#include "textcodec.h"

#include <ostream>
#include <string>
#include <string_view>

namespace verbolt {

/// The label grid as CSV: UTF-8 without a byte-order mark, comma-separated, every record
/// ending in CRLF, a field enclosed in double quotes only when it holds a comma, a double
/// quote, CR or LF (inner quotes doubled). A field starting with = + - @ tab or CR gets one
/// leading "'", so that a spreadsheet shows it as text instead of running it as a formula.
/// The first record holds the column headers.
class CsvExport
{
public:
    /// Appends `utf8` to `record` as one field, quoted when it must be.
    static void appendField(std::string_view utf8, std::string &record);

    /// Writes every column and row of `grid`, each text converted from `codec`'s code page.
    static void write(const LabelGrid &grid, const TextCodec &codec, std::ostream &out);

    /// Loads the label directory `dir` (ending in "/") exactly as the start-up load does and
    /// writes its grid; a directory without a French file writes nothing. Fails, writing
    /// nothing, when the folder cannot be listed whole (List, naming it) or its French file
    /// cannot be read (Read, naming the file as found).
    static Result exportDirectory(const std::string &dir, std::ostream &out,
                                  FileSystem &fs = FileSystem::disk());
};

} // namespace verbolt
