#include "filevalues.h"

#include "entrycursor.h"
#include "filepath.h"
#include "filereader.h"

namespace verbolt {

std::unique_ptr<FileValues> FileValues::read(const std::string &path, const std::string &folder,
                                             const std::vector<std::string_view> &only,
                                             const std::function<void()> &between)
{
    if (!FilePath::linksStayIn(path, folder))
        return std::make_unique<FileValues>();
    FileContent file = FileReader::read(path);
    if (!file.result.ok())
        return std::make_unique<FileValues>();
    auto values = std::make_unique<FileValues>(std::move(file.bytes), only, between);
    values->m_read = true;
    return values;
}

FileValues::FileValues(std::string bytes, const std::vector<std::string_view> &only,
                       const std::function<void()> &between)
    : m_bytes(std::move(bytes))
{
    FoldedKeySet wanted;
    for (const std::string_view key : only)
        wanted.insert(Blanks::trim(key));
    EntryCursor cursor(m_bytes);
    Entry e;
    for (std::size_t n = 1; cursor.next(e); ++n) {
        if (between && n % 8192 == 0)
            between();
        if (!e.inLabel || (!only.empty() && wanted.find(e.key) < 0))
            continue;
        const int id = m_keys.insert(e.key);
        if (static_cast<std::size_t>(id) == m_values.size())
            m_values.push_back(e.value);
    }
}

std::optional<std::string_view> FileValues::value(std::string_view key) const
{
    const int id = m_keys.find(Blanks::trim(key));
    if (id < 0)
        return std::nullopt;
    return m_values[static_cast<std::size_t>(id)];
}

} // namespace verbolt
