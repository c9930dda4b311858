#pragma once

#include "foldedkeyset.h"
#include "labelgrid.h"
#include "labelloader.h"
#include "textcodec.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace verbolt {

/// A label folder as the exchange formats see it: loaded the way the window loads it, and
/// every language's text found by ID, not by position. An ID's text is the one on the first
/// line holding that key in a [Label] section: the line its writes go to.
class ExchangeFolder
{
public:
    /// One French label, exported once however often its ID stands.
    struct Label
    {
        std::string_view id;
        std::string_view french;
        std::size_t line = 0;
    };

    /// Loads `dir` (ending in "/"). Check loaded() after. Given `languages` (names or codes,
    /// see LanguageCode), only the files of those languages are held: the others' columns
    /// stay empty.
    explicit ExchangeFolder(std::string dir, const std::vector<std::string> &languages = {});

    bool loaded() const { return m_load.loaded; }
    const LoadResult &load() const { return m_load; }
    const std::string &dir() const { return m_dir; }
    const LabelGrid &grid() const { return m_grid; }
    const TextCodec &codec() const { return m_codec; }

    /// The French labels in French order.
    const std::vector<Label> &labels() const { return m_labels; }
    /// IDs standing again after their first line: "ID (line N)".
    const std::vector<std::string> &duplicates() const { return m_duplicates; }
    /// The language columns (2 and on).
    int languageCount() const { return m_grid.columnCount() - 2; }
    std::string_view languageHeader(int language) const;
    /// The column's file path on disk.
    std::string languagePath(int language) const;
    /// The column whose language `given` names (see LanguageCode), or -1.
    int findLanguage(std::string_view given) const;

    /// The text of `id` in a language, nothing when the file lacks it.
    const std::string_view *text(int language, std::string_view id) const;
    /// The French label of `id`, nothing when french.lan lacks it.
    const Label *label(std::string_view id) const;
    /// The comment of `id` from the comment file; empty when it has none.
    std::string_view comment(std::string_view id) const;

private:
    // Keys are views of the loaded bytes, found without letter case; the first line wins.
    struct Index
    {
        FoldedKeySet keys;
        std::vector<std::string_view> values; // by key id
        const std::string_view *find(std::string_view key) const;
    };
    static void indexBytes(std::string_view bytes, Index &index);
    const Index &languageIndex(int language) const;

    std::string m_dir;
    LabelGrid m_grid;
    LoadResult m_load;
    TextCodec m_codec;
    std::vector<Label> m_labels;
    std::vector<std::string> m_duplicates;
    FoldedKeySet m_frenchIndex; // ids are positions in m_labels
    // Per language column, built on first use: an export of one language indexes one file.
    mutable std::vector<std::unique_ptr<Index>> m_indexes;
    std::string m_comments; // the comment file's bytes
    Index m_commentIndex;
};

} // namespace verbolt
