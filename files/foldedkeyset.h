#pragma once

#include "asciifold.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace verbolt {

/// A set of keys, each with a small id in the order of insertion, looked up without ASCII
/// letter case and without copying the keys: a hash of the folded bytes, then a comparison.
/// The keys are views: their bytes must outlive the set. Used on every line of large files
/// (the keys a write looks for, the IDs a check counts), so a miss costs one hash.
class FoldedKeySet
{
public:
    /// The id of the key, added if new.
    int insert(std::string_view key);
    /// The id of the key, or -1.
    int find(std::string_view key) const
    {
        // A write of a few keys looks up every line of the file: most have another length,
        // and the rest are told apart by comparing, cheaper than hashing, while the keys are
        // few.
        if (!(m_lengths >> (key.size() % 64) & 1))
            return -1;
        if (m_keys.size() <= kCompared) {
            for (std::size_t i = 0; i < m_keys.size(); ++i)
                if (AsciiFold::equal(m_keys[i], key))
                    return static_cast<int>(i);
            return -1;
        }
        return findHashed(key, hash(key));
    }
    std::size_t size() const { return m_keys.size(); }
    /// Room for n keys without growing the table on the way.
    void reserve(std::size_t n);

    /// Every byte counts, each OR 0x20: keys equal but for ASCII letter case hash alike.
    static std::uint64_t hash(std::string_view key);

private:
    static constexpr std::size_t kCompared = 4;
    int findHashed(std::string_view key, std::uint64_t h) const;
    void place(std::size_t index, std::uint64_t h);
    void rehash(std::size_t size);

    std::vector<std::string_view> m_keys;
    std::vector<std::uint64_t> m_slots; // high half of the hash, index + 1 into m_keys; 0 empty
    std::uint64_t m_lengths = 0;        // bit (length % 64) of every key: most misses stop here
};

} // namespace verbolt
