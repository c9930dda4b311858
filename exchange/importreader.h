#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace verbolt {

/// One text of one label coming back, as UTF-8.
struct ImportedUnit
{
    std::string id;
    std::string french;    // the French text it was translated from
    bool hasFrench = true; // false where the file gave none
    std::string text;
};

/// The texts of one language coming back.
struct ImportedLanguage
{
    std::string language; // as the file names it: a column header, a name or a code
    std::string fallback; // another name to try: an XLIFF file's "original"
    std::vector<ImportedUnit> units;
};

/// What an import file holds; `error` says why it could not be read.
struct ImportedFile
{
    std::vector<ImportedLanguage> languages;
    std::string error;
    bool ok() const { return error.empty(); }
};

/// Reads the files translators send back: XLIFF 1.2, a workbook's first sheet, or the CSV
/// the export writes (its header naming ID and FRENCH).
class ImportReader
{
public:
    /// Reads `path`, the format from its extension, else from its content.
    static ImportedFile read(const std::string &path);
    static ImportedFile readXliff(std::string_view bytes);
    static ImportedFile readCsv(std::string_view bytes);
    static ImportedFile readWorkbook(const std::string &path);
    /// The table form shared by CSV and workbooks: the first row the header.
    static ImportedFile fromTable(const std::vector<std::vector<std::string>> &rows, bool unguard);
};

} // namespace verbolt
