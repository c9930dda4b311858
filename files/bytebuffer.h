#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

namespace verbolt {

/// A growable byte array that, unlike std::string, can grow without writing zeros first,
/// and that backs large sizes with huge pages where the system offers them. Label files are
/// read into these and kept as the texts of the grid: a large set then costs one page
/// fault per 2 MiB instead of one per 4 KiB.
class ByteBuffer
{
public:
    ByteBuffer() = default;
    explicit ByteBuffer(std::string_view bytes);
    ByteBuffer(ByteBuffer &&other) noexcept;
    ByteBuffer &operator=(ByteBuffer &&other) noexcept;
    ByteBuffer(const ByteBuffer &) = delete;
    ByteBuffer &operator=(const ByteBuffer &) = delete;
    ~ByteBuffer();

    char *data() { return m_data; }
    const char *data() const { return m_data; }
    std::size_t size() const { return m_size; }
    std::size_t capacity() const { return m_capacity; }
    bool empty() const { return m_size == 0; }
    std::string_view view() const { return {m_data, m_size}; }

    void reserve(std::size_t capacity);
    /// Sets the size; bytes past the old size are left as they are (not zeroed).
    void resizeUninitialized(std::size_t size)
    {
        if (size > m_capacity)
            reserve(size);
        m_size = size;
    }
    void append(std::string_view bytes)
    {
        if (m_size + bytes.size() > m_capacity) {
            appendGrowing(bytes);
            return;
        }
        if (!bytes.empty()) // memmove: the bytes may lie inside this buffer
            std::memmove(m_data + m_size, bytes.data(), bytes.size());
        m_size += bytes.size();
    }
    void clear() { m_size = 0; }

private:
    void appendGrowing(std::string_view bytes);

    char *m_data = nullptr;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};

} // namespace verbolt
