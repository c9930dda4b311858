#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

namespace verbolt {

/// Letter case as keys, section names and file names compare: A-Z folded to a-z, every
/// other byte as it is (file names and keys carry no code page).
class AsciiFold
{
public:
    static unsigned char fold(char c)
    {
        const auto b = static_cast<unsigned char>(c);
        return (b >= 'A' && b <= 'Z') ? static_cast<unsigned char>(b + 0x20) : b;
    }
    static bool equal(std::string_view a, std::string_view b)
    {
        if (a.size() != b.size())
            return false;
        // Texts that match are mostly the same bytes: eight at a time while they are, inline,
        // for this runs on every line of large files; letter case only from where they differ.
        std::size_t i = 0;
        for (; i + 8 <= a.size(); i += 8) {
            std::uint64_t x;
            std::uint64_t y;
            std::memcpy(&x, a.data() + i, 8);
            std::memcpy(&y, b.data() + i, 8);
            if (x != y)
                break;
        }
        for (; i < a.size(); ++i)
            if (fold(a[i]) != fold(b[i]))
                return false;
        return true;
    }
    /// Folded bytes first, then the shorter; equal folded texts are not less.
    static bool less(std::string_view a, std::string_view b)
    {
        const std::size_t n = a.size() < b.size() ? a.size() : b.size();
        for (std::size_t i = 0; i < n; ++i)
            if (fold(a[i]) != fold(b[i]))
                return fold(a[i]) < fold(b[i]);
        return a.size() < b.size();
    }
};

} // namespace verbolt
