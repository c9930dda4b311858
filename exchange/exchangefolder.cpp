#include "exchangefolder.h"

#include "asciifold.h"
#include "entrycursor.h"
#include "filereader.h"
#include "labeldirectory.h"
#include "languagecode.h"
#include "loadprogress.h"

namespace verbolt {

ExchangeFolder::ExchangeFolder(std::string dir) : m_dir(std::move(dir))
{
    SilentProgress progress;
    m_load = LabelLoader(m_grid, progress).LoadAllLabels(m_dir);
    m_codec = TextCodec(m_load.codePage);
    if (!m_load.loaded)
        return;

    const std::string_view frenchBytes = m_grid.columnBytes(1);
    EntryCursor cursor(frenchBytes);
    Entry e;
    while (cursor.next(e)) {
        if (!e.inLabel)
            continue;
        auto [it, fresh] = m_frenchIndex.try_emplace(folded(e.key), m_labels.size());
        if (fresh)
            m_labels.push_back({e.key, e.value, e.line});
        else
            m_duplicates.push_back(std::string(e.key) + " (line " + std::to_string(e.line) + ")");
    }
    m_indexes.resize(static_cast<std::size_t>(std::max(0, languageCount())));
    for (int k = 0; k < languageCount(); ++k)
        indexBytes(m_grid.columnBytes(k + 2), m_indexes[static_cast<std::size_t>(k)]);

    const std::string commentsPath =
        LabelDirectory::resolve(m_dir, m_load.commentsName, "comments.cmt");
    FileContent comments = FileReader::read(commentsPath);
    if (comments.result.ok()) {
        m_comments = std::move(comments.bytes);
        indexBytes(m_comments, m_commentIndex);
    }
}

std::string ExchangeFolder::folded(std::string_view key)
{
    std::string out(key);
    for (char &c : out)
        c = static_cast<char>(AsciiFold::fold(c));
    return out;
}

void ExchangeFolder::indexBytes(std::string_view bytes, Index &index)
{
    EntryCursor cursor(bytes);
    Entry e;
    while (cursor.next(e))
        if (e.inLabel)
            index.try_emplace(folded(e.key), e.value);
}

std::string_view ExchangeFolder::languageHeader(int language) const
{
    return m_grid.header(language + 2).value_or(std::string_view());
}

std::string ExchangeFolder::languagePath(int language) const
{
    const std::string &name = m_grid.fileName(language + 2);
    return LabelDirectory::resolve(m_dir, name, name);
}

int ExchangeFolder::findLanguage(std::string_view given) const
{
    for (int k = 0; k < languageCount(); ++k)
        if (LanguageCode::names(given, languageHeader(k)))
            return k;
    return -1;
}

const std::string_view *ExchangeFolder::text(int language, std::string_view id) const
{
    if (language < 0 || language >= languageCount())
        return nullptr;
    const Index &index = m_indexes[static_cast<std::size_t>(language)];
    const auto it = index.find(folded(id));
    return it == index.end() ? nullptr : &it->second;
}

const ExchangeFolder::Label *ExchangeFolder::label(std::string_view id) const
{
    const auto it = m_frenchIndex.find(folded(id));
    return it == m_frenchIndex.end() ? nullptr : &m_labels[it->second];
}

std::string_view ExchangeFolder::comment(std::string_view id) const
{
    const auto it = m_commentIndex.find(folded(id));
    return it == m_commentIndex.end() ? std::string_view() : it->second;
}

} // namespace verbolt
