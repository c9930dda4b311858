#include "frenchorder.h"

#include "asciifold.h"
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
    if (!m_data)
        return -1;
    key = Blanks::trim(key);
    // A few keys (the neighbours of one new label) are compared one by one: most keys of a
    // file differ in length or in their first bytes, cheaper than folding and hashing each.
    const std::vector<std::string_view> &keys = m_data->keys;
    if (keys.size() <= kCompared) {
        for (std::size_t i = 0; i < keys.size(); ++i)
            if (AsciiFold::equal(keys[i], key))
                return static_cast<int>(i);
        return -1;
    }
    return m_data->index.find(key);
}

} // namespace verbolt
