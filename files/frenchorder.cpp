#include "frenchorder.h"

#include "blanks.h"
#include "entrycursor.h"

namespace verbolt {

FrenchOrder::FrenchOrder(std::string frenchBytes)
{
    auto data = std::make_shared<Data>();
    data->bytes = std::move(frenchBytes);
    EntryCursor cursor(data->bytes);
    Entry e;
    while (cursor.next(e)) {
        // An empty key names no label the other files could hold.
        if (!e.inLabel || e.key.empty())
            continue;
        const std::size_t before = data->index.size();
        if (static_cast<std::size_t>(data->index.insert(e.key)) < before)
            continue; // the first line of a key wins
        data->keys.push_back(e.key);
        data->texts.push_back(e.value);
    }
    m_data = std::move(data);
}

int FrenchOrder::position(std::string_view key) const
{
    return m_data ? m_data->index.find(Blanks::trim(key)) : -1;
}

int FrenchOrder::position(std::string_view key, int hint) const
{
    if (hint >= 0 && static_cast<std::size_t>(hint) < size() &&
        AsciiFold::equal(this->key(static_cast<std::size_t>(hint)), Blanks::trim(key)))
        return hint;
    return position(key);
}

} // namespace verbolt
