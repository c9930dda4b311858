#include "csvexport.h"

#include "labeldirectory.h"
#include "labelloader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <future>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace verbolt {

namespace {

void flush(ByteBuffer &buffer, std::ostream &out)
{
    out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    buffer.clear();
}

// What a cell needs besides a copy: quotes, for a comma, a double quote, CR or LF (ASCII, so
// the same in the code page's bytes as in their UTF-8), and conversion, for a byte of 0x80 or
// above. One pass, sixteen bytes at a time where the processor has SSE2.
constexpr unsigned kQuotes = 1;
constexpr unsigned kConversion = 2;

constexpr std::array<unsigned char, 256> makeNeeds()
{
    std::array<unsigned char, 256> t{};
    t[','] = t['"'] = t['\r'] = t['\n'] = static_cast<unsigned char>(kQuotes);
    for (int b = 0x80; b < 0x100; ++b)
        t[b] = static_cast<unsigned char>(kConversion);
    return t;
}
constexpr std::array<unsigned char, 256> kNeeds = makeNeeds();

#if defined(__SSE2__)
// 0xFF in each lane that holds a comma, a double quote, CR or LF.
__m128i specialsOf(__m128i v)
{
    const __m128i quote =
        _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(',')), _mm_cmpeq_epi8(v, _mm_set1_epi8('"')));
    const __m128i lineEnd = _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\r')),
                                         _mm_cmpeq_epi8(v, _mm_set1_epi8('\n')));
    return _mm_or_si128(quote, lineEnd);
}
#endif

unsigned needsOf(std::string_view text)
{
    std::size_t i = 0;
#if defined(__SSE2__)
    if (text.size() >= 16) {
        __m128i special = _mm_setzero_si128();
        __m128i high = _mm_setzero_si128();
        const auto take = [&](std::size_t at) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(text.data() + at));
            special = _mm_or_si128(special, specialsOf(v));
            high = _mm_or_si128(high, v);
        };
        for (; i + 16 <= text.size(); i += 16)
            take(i);
        // The last sixteen bytes again, overlapping: no byte-by-byte tail.
        if (i < text.size())
            take(text.size() - 16);
        return (_mm_movemask_epi8(special) != 0 ? kQuotes : 0) |
               (_mm_movemask_epi8(high) != 0 ? kConversion : 0);
    }
#endif
    unsigned needs = 0;
    for (; i < text.size(); ++i)
        needs |= kNeeds[static_cast<unsigned char>(text[i])];
    return needs;
}

// Appends one cell as a field: copied or converted straight into the buffer, quoted when it
// must be.
// A spreadsheet takes a cell starting with one of these for a formula, and runs it.
bool startsFormula(std::string_view text)
{
    if (text.empty())
        return false;
    switch (text.front()) {
    case '=':
    case '+':
    case '-':
    case '@':
    case '\t':
    case '\r':
        return true;
    default:
        return false;
    }
}

void appendCell(std::string_view bytes, const TextCodec &codec, ByteBuffer &buffer)
{
    const unsigned needs = needsOf(bytes);
    if ((needs & kQuotes) || startsFormula(bytes)) {
        std::string record;
        CsvExport::appendField(codec.toUtf8(bytes), record);
        buffer.append(record);
        return;
    }
    if (!(needs & kConversion)) { // ASCII is the same bytes in UTF-8
        buffer.append(bytes);
        return;
    }
    const std::size_t at = buffer.size();
    const std::size_t room = at + bytes.size() * TextCodec::kMaxUtf8PerByte;
    if (room > buffer.capacity()) // doubling: growing by one cell at a time copies all again
        buffer.reserve(std::max(room, 2 * buffer.capacity()));
    buffer.resizeUninitialized(room);
    buffer.resizeUninitialized(at + codec.toUtf8Into(bytes, buffer.data() + at));
}

// The records of rows [first, last) into `buffer`, which is emptied first.
void appendRows(const LabelGrid &grid, const TextCodec &codec, int first, int last,
                ByteBuffer &buffer)
{
    buffer.clear();
    const int columns = grid.columnCount();
    for (int row = first; row < last; ++row) {
        for (int k = 0; k < columns; ++k) {
            if (k > 0)
                buffer.append(",");
            appendCell(grid.itemText(row, k), codec, buffer);
        }
        buffer.append("\r\n");
    }
}

} // namespace

void CsvExport::appendField(std::string_view utf8, std::string &record)
{
    const bool formula = startsFormula(utf8);
    if (!(needsOf(utf8) & kQuotes)) {
        if (formula)
            record.push_back('\'');
        record.append(utf8);
        return;
    }
    record.push_back('"');
    if (formula)
        record.push_back('\'');
    for (const char c : utf8) {
        if (c == '"')
            record.push_back('"');
        record.push_back(c);
    }
    record.push_back('"');
}

void CsvExport::write(const LabelGrid &grid, const TextCodec &codec, std::ostream &out)
{
    const int columns = grid.columnCount();
    if (columns == 0)
        return;
    ByteBuffer header;
    for (int k = 0; k < columns; ++k) {
        if (k > 0)
            header.append(",");
        appendCell(*grid.header(k), codec, header);
    }
    header.append("\r\n");
    flush(header, out);
    // Converting is most of the work, and every row converts on its own: blocks of rows are
    // converted two at a time, one of them on a second thread, and written in order. Two
    // blocks of a few megabytes are all the memory it takes.
    constexpr int kBlock = 4096;
    ByteBuffer mine;
    ByteBuffer theirs;
    for (int first = 0; first < grid.rowCount(); first += 2 * kBlock) {
        const int middle = std::min(first + kBlock, grid.rowCount());
        const int last = std::min(first + 2 * kBlock, grid.rowCount());
        std::future<void> second;
        if (middle < last)
            second = std::async(std::launch::async,
                                [&] { appendRows(grid, codec, middle, last, theirs); });
        appendRows(grid, codec, first, middle, mine);
        flush(mine, out);
        if (second.valid()) {
            second.get();
            flush(theirs, out);
        }
    }
}

Result CsvExport::exportDirectory(const std::string &dir, std::ostream &out, FileSystem &fs)
{
    LabelGrid grid;
    SilentProgress progress;
    const LoadResult load = LabelLoader(grid, progress, fs).LoadAllLabels(dir);
    // A folder listed only in part would give a table short of languages: no CSV at all.
    if (!load.listing.ok())
        return load.listing;
    if (!load.rows.ok())
        return load.rows;
    if (load.loaded) {
        write(grid, TextCodec(load.codePage), out);
        return Result::done(dir);
    }
    // The window shows an unreadable French file as an empty list; a script deserves to
    // hear that it exists but could not be read, unlike a set that has none.
    if (!load.frenchName.empty())
        return Result::failed(Result::Failure::Read, 0, load.frenchName);
    return Result::done(dir);
}

} // namespace verbolt
