#pragma once

#include "exchangefolder.h"

#include <ostream>
#include <string>

namespace verbolt {

/// Writes a folder's labels for translators' tools, by ID: XLIFF 1.2 (.xlf, .xliff) for one
/// language, a workbook (.xlsx) or a CSV (.csv) for one language or all.
class ExchangeExport
{
public:
    enum class Format
    {
        None,
        Xliff,
        Workbook,
        Csv
    };
    /// The format named by a file's extension, in any letter case.
    static Format formatOf(const std::string &path);

    /// Writes `path`; `language` is a column (see ExchangeFolder::findLanguage) or -1 for
    /// every language (not for XLIFF). Duplicate IDs and texts the format cannot carry are
    /// named on `err`. Returns the exit status: 0, 1 when something was named or left out,
    /// 2 when the file could not be written.
    static int toFile(const ExchangeFolder &folder, const std::string &path, int language,
                      std::ostream &err);

    /// A CSV cell as the export writes it: a leading "'" before a text a spreadsheet would
    /// read as a formula.
    static std::string guarded(std::string text);
};

} // namespace verbolt
