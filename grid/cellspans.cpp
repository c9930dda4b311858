#include "cellspans.h"

#include <utility>

namespace verbolt {

void CellSpans::resize(std::size_t n)
{
    if (n > m_size) {
        reserve(n);
        // All zero bytes are an empty span of the file's bytes at either width.
        std::memset(m_bytes.data() + m_size * cellSize(), 0, (n - m_size) * cellSize());
    }
    m_size = n;
}

void CellSpans::reserve(std::size_t n)
{
    // The buffer's own size tells reserve how many bytes to keep.
    m_bytes.resizeUninitialized(m_size * cellSize());
    m_bytes.reserve(n * cellSize());
}

void CellSpans::grow()
{
    reserve(std::max<std::size_t>(8, m_size + m_size / 2 + 1));
}

void CellSpans::widen()
{
    ByteBuffer wider;
    wider.reserve(std::max<std::size_t>(m_size, m_bytes.capacity() / 8) * 16);
    for (std::size_t i = 0; i < m_size; ++i) {
        const Span s = get(i);
        const std::uint64_t w[2] = {s.offset | (s.edited ? kFlag : 0), s.length};
        std::memcpy(wider.data() + i * 16, w, 16);
    }
    m_bytes = std::move(wider);
    m_wide = true;
}

} // namespace verbolt
