#pragma once

#include "bytebuffer.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>

namespace verbolt {

/// Where the texts of one grid column lie: per cell an offset and a length into the column's
/// file bytes, or into its buffer of edited texts. Eight bytes a cell (a 32-bit offset, a
/// 31-bit length and the edited flag) while every text fits, as it does in a file under
/// 4 GiB; the first text that does not fit widens the whole column to sixteen bytes a cell.
/// A million rows in ten columns then cost 80 MB rather than 160 MB.
class CellSpans
{
public:
    CellSpans() = default;
    // What is moved from is left empty, not holding a size without its cells.
    CellSpans(CellSpans &&other) noexcept
        : m_bytes(std::move(other.m_bytes)), m_size(std::exchange(other.m_size, 0)),
          m_wide(std::exchange(other.m_wide, false))
    {}
    CellSpans &operator=(CellSpans &&other) noexcept
    {
        m_bytes = std::move(other.m_bytes);
        m_size = std::exchange(other.m_size, 0);
        m_wide = std::exchange(other.m_wide, false);
        return *this;
    }

    struct Span
    {
        std::uint64_t offset = 0;
        std::uint64_t length = 0;
        bool edited = false; // in the edits buffer, not in the file's bytes
    };

    std::size_t size() const { return m_size; }
    bool wide() const { return m_wide; }

    Span get(std::size_t i) const
    {
        std::uint64_t w[2];
        if (!m_wide) {
            std::memcpy(w, m_bytes.data() + i * 8, 8);
            return {w[0] & 0xFFFFFFFFu, (w[0] >> 32) & 0x7FFFFFFFu, (w[0] >> 63) != 0};
        }
        std::memcpy(w, m_bytes.data() + i * 16, 16);
        return {w[0] & ~kFlag, w[1], (w[0] & kFlag) != 0};
    }

    void set(std::size_t i, const Span &s)
    {
        if (!m_wide && !fitsNarrow(s))
            widen();
        store(m_bytes.data() + i * cellSize(), s);
    }

    void push_back(const Span &s)
    {
        if (!m_wide && !fitsNarrow(s))
            widen();
        if ((m_size + 1) * cellSize() > m_bytes.capacity())
            grow();
        store(m_bytes.data() + m_size * cellSize(), s);
        ++m_size;
    }

    /// Shrinks, or grows with empty cells.
    void resize(std::size_t n);
    /// Room for n cells of the present width.
    void reserve(std::size_t n);
    void clear()
    {
        m_bytes = ByteBuffer();
        m_size = 0;
        m_wide = false;
    }

private:
    static constexpr std::uint64_t kFlag = std::uint64_t(1) << 63;

    static bool fitsNarrow(const Span &s)
    {
        return s.offset <= 0xFFFFFFFFu && s.length <= 0x7FFFFFFFu;
    }
    std::size_t cellSize() const { return m_wide ? 16 : 8; }

    void store(char *at, const Span &s) const
    {
        if (!m_wide) {
            const std::uint64_t w = s.offset | (s.length << 32) | (s.edited ? kFlag : 0);
            std::memcpy(at, &w, 8);
            return;
        }
        const std::uint64_t w[2] = {s.offset | (s.edited ? kFlag : 0), s.length};
        std::memcpy(at, w, 16);
    }

    void widen();
    void grow();

    ByteBuffer m_bytes; // the cells, 8 or 16 bytes each; only its capacity is kept up to date
    std::size_t m_size = 0;
    bool m_wide = false;
};

} // namespace verbolt
