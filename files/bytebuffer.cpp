#include "bytebuffer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <sys/mman.h>
#include <utility>

namespace verbolt {

namespace {

constexpr std::size_t kHugePage = std::size_t(2) << 20;

char *allocate(std::size_t &capacity)
{
    void *p = nullptr;
    if (capacity >= 2 * kHugePage) {
        capacity = (capacity + kHugePage - 1) / kHugePage * kHugePage;
        p = std::aligned_alloc(kHugePage, capacity);
        if (p)
            ::madvise(p, capacity, MADV_HUGEPAGE); // a hint: without it, small pages
    } else {
        p = std::malloc(capacity);
    }
    if (!p)
        throw std::bad_alloc();
    return static_cast<char *>(p);
}

} // namespace

ByteBuffer::ByteBuffer(std::string_view bytes)
{
    append(bytes);
}

ByteBuffer::ByteBuffer(ByteBuffer &&other) noexcept
    : m_data(std::exchange(other.m_data, nullptr)), m_size(std::exchange(other.m_size, 0)),
      m_capacity(std::exchange(other.m_capacity, 0))
{}

ByteBuffer &ByteBuffer::operator=(ByteBuffer &&other) noexcept
{
    if (this != &other) {
        std::free(m_data);
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
        m_capacity = std::exchange(other.m_capacity, 0);
    }
    return *this;
}

ByteBuffer::~ByteBuffer()
{
    std::free(m_data);
}

void ByteBuffer::reserve(std::size_t capacity)
{
    if (capacity <= m_capacity)
        return;
    char *fresh = allocate(capacity);
    if (m_size)
        std::memcpy(fresh, m_data, m_size);
    std::free(m_data);
    m_data = fresh;
    m_capacity = capacity;
}

void ByteBuffer::appendGrowing(std::string_view bytes)
{
    const std::size_t wanted = std::max(m_size + bytes.size(), m_capacity + m_capacity / 2);
    std::size_t capacity = std::max<std::size_t>(wanted, 64);
    const bool inside = m_data && bytes.data() >= m_data && bytes.data() < m_data + m_size;
    if (m_data && !inside) {
        // A large block grows where it is, its pages moved rather than copied.
        if (void *grown = std::realloc(m_data, capacity)) {
            m_data = static_cast<char *>(grown);
            m_capacity = capacity;
            std::memcpy(m_data + m_size, bytes.data(), bytes.size());
            m_size += bytes.size();
            return;
        }
        throw std::bad_alloc();
    }
    // The source may lie inside this buffer: keep it alive until it is copied.
    char *fresh = allocate(capacity);
    if (m_size)
        std::memcpy(fresh, m_data, m_size);
    std::memcpy(fresh + m_size, bytes.data(), bytes.size());
    std::free(m_data);
    m_data = fresh;
    m_capacity = capacity;
    m_size += bytes.size();
}

} // namespace verbolt
