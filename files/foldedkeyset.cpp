#include "foldedkeyset.h"

#include "labeldirectory.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace verbolt {

namespace {

// Keys that match are mostly the same bytes: eight at a time, and letter case only where a
// word differs.
bool sameKey(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    std::size_t i = 0;
    for (; i + 8 <= a.size(); i += 8) {
        std::uint64_t x;
        std::uint64_t y;
        std::memcpy(&x, a.data() + i, 8);
        std::memcpy(&y, b.data() + i, 8);
        if (x != y)
            return LabelDirectory::equalsIgnoringCase(a.substr(i), b.substr(i));
    }
    return LabelDirectory::equalsIgnoringCase(a.substr(i), b.substr(i));
}

} // namespace

int FoldedKeySet::insert(std::string_view key)
{
    if (const int id = find(key); id >= 0)
        return id;
    m_keys.push_back(key);
    m_lengths |= std::uint64_t(1) << (key.size() % 64);
    if (m_keys.size() * 2 > m_slots.size())
        rehash(std::max<std::size_t>(64, m_slots.size() * 4));
    else
        place(m_keys.size() - 1);
    return static_cast<int>(m_keys.size()) - 1;
}

int FoldedKeySet::findHashed(std::string_view key) const
{
    const std::uint64_t h = hash(key);
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t i = h & mask;; i = (i + 1) & mask) {
        const std::uint64_t slot = m_slots[i];
        if (slot == 0)
            return -1;
        // Keys of one length and one shape are compared only when their hashes agree.
        const std::size_t index = static_cast<std::uint32_t>(slot) - 1;
        if ((slot >> 32) == (h >> 32) && sameKey(m_keys[index], key))
            return static_cast<int>(index);
    }
}

std::uint64_t FoldedKeySet::hash(std::string_view key)
{
    // Real IDs share long prefixes and suffixes and differ in a few bytes anywhere between
    // (IDS_DIALOG_MESSAGE_000123_TOOLTIP_TEXT). A-Z and a-z differ only in bit 0x20; the few
    // other bytes that OR merges only make collisions, which the comparison tells apart.
    constexpr std::uint64_t fold = 0x2020202020202020ull;
    constexpr std::uint64_t k = 0x9E3779B97F4A7C15ull;
    std::uint64_t h = key.size() * 0xC2B2AE3D27D4EB4Full;
    const char *p = key.data();
    const std::size_t n = key.size();
    std::uint64_t w = 0;
    if (n < 8) {
        std::memcpy(&w, p, n);
        h = std::rotl((h ^ (w | fold)) * k, 29);
    } else {
        for (std::size_t i = 0; i + 8 < n; i += 8) {
            std::memcpy(&w, p + i, 8);
            h = std::rotl((h ^ (w | fold)) * k, 29);
        }
        // The last eight bytes, overlapping the word before: no byte-by-byte tail.
        std::memcpy(&w, p + n - 8, 8);
        h = std::rotl((h ^ (w | fold)) * k, 29);
    }
    // The final mix of MurmurHash3: every input bit reaches the low bits the table uses.
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDull;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ull;
    return h ^ (h >> 33);
}

void FoldedKeySet::reserve(std::size_t n)
{
    m_keys.reserve(n);
    if (n * 2 > m_slots.size())
        rehash(std::bit_ceil(std::max<std::size_t>(64, n * 4)));
}

void FoldedKeySet::place(std::size_t index)
{
    const std::uint64_t h = hash(m_keys[index]);
    const std::size_t mask = m_slots.size() - 1;
    std::size_t i = h & mask;
    while (m_slots[i] != 0)
        i = (i + 1) & mask;
    m_slots[i] = (h >> 32 << 32) | (index + 1);
}

void FoldedKeySet::rehash(std::size_t size)
{
    m_slots.assign(size, 0);
    for (std::size_t k = 0; k < m_keys.size(); ++k)
        place(k);
}

} // namespace verbolt
