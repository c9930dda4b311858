#include "exchangefolder.h"

#include "entrycursor.h"
#include "filereader.h"
#include "labeldirectory.h"
#include "languagecode.h"
#include "loadprogress.h"

#include <algorithm>

namespace verbolt {

ExchangeFolder::ExchangeFolder(std::string dir, const std::vector<std::string> &languages)
    : m_dir(std::move(dir))
{
    SilentProgress progress;
    LabelLoader loader(m_grid, progress);
    if (!languages.empty())
        loader.keepOnly([&languages](std::string_view fileName) {
            const std::string_view stem = fileName.substr(0, fileName.rfind('.'));
            return std::any_of(languages.begin(), languages.end(), [stem](const std::string &l) {
                return LanguageCode::names(l, stem);
            });
        });
    m_load = loader.LoadAllLabels(m_dir);
    m_codec = TextCodec(m_load.codePage);
    if (!m_load.loaded)
        return;

    const std::string_view frenchBytes = m_grid.columnBytes(1);
    EntryCursor cursor(frenchBytes);
    Entry e;
    while (cursor.next(e)) {
        if (!e.inLabel)
            continue;
        if (m_frenchIndex.insert(e.key) == static_cast<int>(m_labels.size()))
            m_labels.push_back({e.key, e.value, e.line});
        else
            m_duplicates.push_back(std::string(e.key) + " (line " + std::to_string(e.line) + ")");
    }
    m_indexes.resize(static_cast<std::size_t>(std::max(0, languageCount())));

    const std::string commentsPath =
        LabelDirectory::resolve(m_dir, m_load.commentsName, "comments.cmt");
    FileContent comments = FileReader::read(commentsPath);
    if (comments.result.ok()) {
        m_comments = std::move(comments.bytes);
        indexBytes(m_comments, m_commentIndex);
    }
}

void ExchangeFolder::indexBytes(std::string_view bytes, Index &index)
{
    EntryCursor cursor(bytes);
    Entry e;
    while (cursor.next(e))
        if (e.inLabel && index.keys.insert(e.key) == static_cast<int>(index.values.size()))
            index.values.push_back(e.value);
}

const std::string_view *ExchangeFolder::Index::find(std::string_view key) const
{
    const int id = keys.find(key);
    return id < 0 ? nullptr : &values[static_cast<std::size_t>(id)];
}

const ExchangeFolder::Index &ExchangeFolder::languageIndex(int language) const
{
    std::unique_ptr<Index> &index = m_indexes[static_cast<std::size_t>(language)];
    if (!index) {
        index = std::make_unique<Index>();
        indexBytes(m_grid.columnBytes(language + 2), *index);
    }
    return *index;
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
    return languageIndex(language).find(id);
}

const ExchangeFolder::Label *ExchangeFolder::label(std::string_view id) const
{
    const int at = m_frenchIndex.find(id);
    return at < 0 ? nullptr : &m_labels[static_cast<std::size_t>(at)];
}

std::string_view ExchangeFolder::comment(std::string_view id) const
{
    const std::string_view *text = m_commentIndex.find(id);
    return text ? *text : std::string_view();
}

} // namespace verbolt
