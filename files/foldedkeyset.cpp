#include "foldedkeyset.h"
#include "asciifold.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace verbolt {

int FoldedKeySet::insert(std::string_view key)
{
    const std::uint64_t h = hash(key);
    if (!m_slots.empty())
        if (const int id = findHashed(key, h); id >= 0)
            return id;
    m_keys.push_back(key);
    m_lengths |= std::uint64_t(1) << (key.size() % 64);
    if (m_keys.size() * 2 > m_slots.size())
        rehash(std::max<std::size_t>(64, m_slots.size() * 4));
    else
        place(m_keys.size() - 1, h);
    return static_cast<int>(m_keys.size()) - 1;
}

int FoldedKeySet::findHashed(std::string_view key, std::uint64_t h) const
{
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t i = h & mask;; i = (i + 1) & mask) {
        const std::uint64_t slot = m_slots[i];
        if (slot == 0)
            return -1;
        // Keys of one length and one shape are compared only when their hashes agree.
        const std::size_t index = static_cast<std::uint32_t>(slot) - 1;
        if ((slot >> 32) == (h >> 32) && AsciiFold::equal(m_keys[index], key))
            return static_cast<int>(index);
    }
}

namespace {

// 64 x 64 bits multiplied to 128, the halves folded together: one multiplication mixes
// sixteen bytes (the mixing step of wyhash).
std::uint64_t mix(std::uint64_t a, std::uint64_t b)
{
    const unsigned __int128 r = static_cast<unsigned __int128>(a) * b;
    return static_cast<std::uint64_t>(r) ^ static_cast<std::uint64_t>(r >> 64);
}

std::uint64_t word(const char *p)
{
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    return w | 0x2020202020202020ull;
}

} // namespace

std::uint64_t FoldedKeySet::hash(std::string_view key)
{
    // Real IDs share long prefixes and suffixes and differ in a few bytes anywhere between
    // (IDS_DIALOG_MESSAGE_000123_TOOLTIP_TEXT), so every byte counts. Each is taken OR 0x20:
    // A-Z and a-z differ only in that bit; the few other bytes it merges only make
    // collisions, which the comparison tells apart.
    constexpr std::uint64_t k0 = 0xA0761D6478BD642Full;
    constexpr std::uint64_t k1 = 0xE7037ED1A0B428DBull;
    constexpr std::uint64_t k2 = 0x8EBC6AF09C88C6E3ull;
    const char *p = key.data();
    const std::size_t n = key.size();
    std::uint64_t seed = k0 ^ (n * k2);
    std::uint64_t a = 0;
    std::uint64_t b = 0;
    if (n <= 16) {
        if (n >= 8) {
            a = word(p);
            b = word(p + n - 8);
        } else {
            for (std::size_t i = 0; i < n; ++i)
                a = (a << 8) | (static_cast<unsigned char>(p[i]) | 0x20u);
        }
    } else {
        // Sixteen bytes a step; the last sixteen overlap the step before.
        std::size_t i = 0;
        for (; n - i > 16; i += 16)
            seed = mix(word(p + i) ^ k1, word(p + i + 8) ^ seed);
        a = word(p + n - 16);
        b = word(p + n - 8);
    }
    return mix(k1 ^ n, mix(a ^ k1, b ^ seed));
}

void FoldedKeySet::reserve(std::size_t n)
{
    m_keys.reserve(n);
    if (n * 2 > m_slots.size())
        rehash(std::bit_ceil(std::max<std::size_t>(64, n * 4)));
}

void FoldedKeySet::place(std::size_t index, std::uint64_t h)
{
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
        place(k, hash(m_keys[k]));
}

} // namespace verbolt
