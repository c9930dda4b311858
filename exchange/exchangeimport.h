#pragma once

#include "exchangefolder.h"
#include "filechanges.h"
#include "importreader.h"
#include "keyvalue.h"
#include "result.h"

#include <ostream>
#include <string>
#include <vector>

namespace verbolt {

/// One text an import changes, as UTF-8 (for a preview), and the bytes it writes.
struct ImportChange
{
    std::string id;
    std::string current;
    std::string text;
    KeyValue write; // the key as french.lan has it, the text in the folder's code page
};

/// What an import does to one language file.
struct LanguagePlan
{
    std::string language; // the column header
    int column = -1;      // ExchangeFolder's language index
    std::string path;
    std::vector<ImportChange> changes;
    std::size_t unchanged = 0;        // the same text, or an empty imported one
    std::vector<std::string> stale;   // IDs whose French changed since the export
    std::vector<std::string> unknown; // IDs french.lan lacks
    std::vector<std::string> refused; // "ID: why": texts the files cannot store
};

/// A whole import, planned against a loaded folder and written in one batch per file.
struct ImportPlan
{
    std::vector<LanguagePlan> languages;
    std::vector<std::string> notCreated; // languages the file holds that have no file here
    std::size_t changeCount() const;
    /// Whether anything was stale, unknown, refused or without a file.
    bool anythingSkipped() const;
};

/// One file's write.
struct ImportWrite
{
    std::string path;
    Result result = Result::done();
    FileChanges changes; // for one undo step
};

/// Brings translations back: a text is written when it is not empty, differs from the
/// file's text for that ID, and came from the French text that stands now.
class ExchangeImport
{
public:
    static ImportPlan plan(const ExchangeFolder &folder, const ImportedFile &file);
    /// The languages `file` may name, for loading only their files.
    static std::vector<std::string> languagesIn(const ImportedFile &file);
    /// Writes each language's changes through a ProfileFile of its own, one batch per file.
    static std::vector<ImportWrite> write(const ImportPlan &plan, const ExchangeFolder &folder);
    /// The summary line of each language and the named lines.
    static void report(const ImportPlan &plan, std::ostream &out);
};

} // namespace verbolt
