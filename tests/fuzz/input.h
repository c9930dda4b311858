#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// A fuzz input cut into fields: a byte of flags, length-prefixed strings, then the rest. A
// simple layout rather than FuzzedDataProvider's, so that seeds can be written by hand.
class FuzzInput
{
public:
    FuzzInput(const std::uint8_t *data, std::size_t size)
        : m_rest(reinterpret_cast<const char *>(data), size)
    {}

    std::uint8_t byte()
    {
        if (m_rest.empty())
            return 0;
        const auto b = static_cast<std::uint8_t>(m_rest.front());
        m_rest.remove_prefix(1);
        return b;
    }
    /// One length byte, then that many bytes (fewer at the end of the input).
    std::string field()
    {
        const std::size_t n = std::min<std::size_t>(byte(), m_rest.size());
        std::string out(m_rest.substr(0, n));
        m_rest.remove_prefix(n);
        return out;
    }
    std::string rest() const { return std::string(m_rest); }

private:
    std::string_view m_rest;
};
