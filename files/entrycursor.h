#pragma once

#include "asciifold.h"
#include "blanks.h"
#include "labelreader.h"

#include <cstddef>
#include <cstring>
#include <string_view>

namespace verbolt {

/// One entry line of a label file as every reader of the files sees it: the start-up load,
/// the writer, the marks and the check walk the same lines with the same rules.
struct Entry
{
    std::string_view key;       // trimmed: the key as the writer compares it
    std::string_view keyAsRead; // leading blanks trimmed, those before the "=" kept (the ID
                                // column shows it so)
    std::string_view value;     // trimmed, as the reader has it
    std::size_t line = 0;       // 1-based physical line (a leading byte-order mark is on line 1)
    std::size_t begin = 0;      // offset of the line's first byte
    std::size_t eq = 0;         // offset of the line's first "="
    std::size_t end = 0;        // offset of the line feed ending the line (or the end of the bytes)
    std::size_t next = 0;       // offset after the line feed
    bool inLabel = true;        // in a [Label] section or before the first section header:
                                // where writes look for keys
};

/// Walks the entry lines of a label file's bytes in order, following the section headers
/// on the way. Lines that are not entries (comments, blank lines, headers, lines without
/// "=", lines starting with NUL) are passed over.
class EntryCursor
{
public:
    explicit EntryCursor(std::string_view bytes)
        : m_bytes(bytes), m_pos(LabelReader::bomLength(bytes))
    {}

    /// Starts at `offset`, the first byte of a line, as if the lines before were read in a
    /// [Label] section; `line` is that line's number.
    EntryCursor(std::string_view bytes, std::size_t offset, std::size_t line)
        : m_bytes(bytes), m_pos(offset), m_line(line - 1)
    {}

    /// The next entry line into `e`; false at the end of the bytes.
    bool next(Entry &e)
    {
        return next(e, [](bool, std::size_t) {});
    }
    /// The same, telling onHeader(isLabel, next) of each section header passed on the way
    /// (`next` the offset after its line): the writer places new lines by them.
    template <class H> bool next(Entry &e, H &&onHeader)
    {
        const std::size_t size = m_bytes.size();
        while (m_pos < size) {
            const std::size_t begin = m_pos;
            const std::size_t lf = m_bytes.find('\n', begin);
            const std::size_t end = lf == std::string_view::npos ? size : lf;
            m_pos = lf == std::string_view::npos ? size : lf + 1;
            ++m_line;
            const std::string_view line = m_bytes.substr(begin, end - begin);
            if (LabelReader::skippedAtOnce(line)) {
                if (!line.empty() && line[0] == '[') {
                    m_inLabel = isLabelHeader(line);
                    onHeader(m_inLabel, m_pos);
                }
                continue;
            }
            const std::size_t eq = line.find('=');
            if (eq == std::string_view::npos)
                continue;
            std::size_t b = 0;
            while (Blanks::isWhite(line[b]))
                ++b;
            e.keyAsRead = line.substr(b, eq - b);
            e.key = Blanks::trim(e.keyAsRead);
            e.value = Blanks::trim(line.substr(eq + 1));
            e.line = m_line;
            e.begin = begin;
            e.eq = begin + eq;
            e.end = end;
            e.next = m_pos;
            e.inLabel = m_inLabel;
            return true;
        }
        return false;
    }

    /// Whether a section header line (its first byte "[") opens a [Label] section: the name
    /// up to the first "]" (or the line end), trimmed, in any letter case.
    static bool isLabelHeader(std::string_view line)
    {
        std::string_view name = line.substr(1);
        name = name.substr(0, name.find(']'));
        return AsciiFold::equal(Blanks::trim(name), "label");
    }

    /// The physical lines read so far.
    std::size_t lines() const { return m_line; }
    /// The offset of the next line to read, and whether it lies in [Label] scope.
    std::size_t offset() const { return m_pos; }
    bool inLabel() const { return m_inLabel; }

    /// Whether the line at the cursor is an entry of `key` (trimmed, as an Entry's) written
    /// as exactly those bytes before its "=": a caller that expects a key recognises its
    /// line from the first bytes alone. If so, `e` gets the line as next() would give it, but
    /// for its value, left empty (the caller has its offsets), and the cursor passes it.
    bool nextIs(std::string_view key, Entry &e)
    {
        const std::size_t size = m_bytes.size();
        if (key.empty() || key[0] == ';' || key[0] == '[' || key[0] == '\0' ||
            size - m_pos <= key.size() || m_bytes[m_pos + key.size()] != '=' ||
            std::memcmp(m_bytes.data() + m_pos, key.data(), key.size()) != 0)
            return false;
        const std::size_t eq = m_pos + key.size();
        const void *lf = std::memchr(m_bytes.data() + eq, '\n', size - eq);
        e.end =
            lf ? static_cast<std::size_t>(static_cast<const char *>(lf) - m_bytes.data()) : size;
        e.key = e.keyAsRead = std::string_view(m_bytes.data() + m_pos, key.size());
        e.value = {};
        e.line = ++m_line;
        e.begin = m_pos;
        e.eq = eq;
        e.next = m_pos = lf ? e.end + 1 : size;
        e.inLabel = m_inLabel;
        return true;
    }

private:
    std::string_view m_bytes;
    std::size_t m_pos;
    std::size_t m_line = 0;
    bool m_inLabel = true;
};

} // namespace verbolt
