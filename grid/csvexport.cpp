#include "csvexport.h"

#include "labeldirectory.h"
#include "labelloader.h"

#include <array>
#include <vector>

namespace verbolt {

namespace {

// Records are gathered into one buffer and handed to the stream in large pieces.
constexpr std::size_t flushSize = 1 << 16;

void flush(ByteBuffer &buffer, std::ostream &out)
{
    out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    buffer.clear();
}

// Whether a field must be quoted: the four bytes are ASCII, the same in the code page's bytes
// as in their UTF-8, so the test can look at the bytes as read. A table, as find_first_of
// calls memchr once per byte of the text.
constexpr std::array<bool, 256> makeQuoted()
{
    std::array<bool, 256> t{};
    t[','] = t['"'] = t['\r'] = t['\n'] = true;
    return t;
}
constexpr std::array<bool, 256> kQuoted = makeQuoted();

bool needsQuotes(std::string_view text)
{
    bool any = false;
    for (const char c : text)
        any |= kQuoted[static_cast<unsigned char>(c)];
    return any;
}

// Appends one cell as a field: converted straight into the buffer, quoted when it must be.
void appendCell(std::string_view bytes, const TextCodec &codec, ByteBuffer &buffer)
{
    if (needsQuotes(bytes)) {
        std::string record;
        CsvExport::appendField(codec.toUtf8(bytes), record);
        buffer.append(record);
        return;
    }
    const std::size_t at = buffer.size();
    buffer.resizeUninitialized(at + bytes.size() * TextCodec::kMaxUtf8PerByte);
    buffer.resizeUninitialized(at + codec.toUtf8Into(bytes, buffer.data() + at));
}

} // namespace

void CsvExport::appendField(std::string_view utf8, std::string &record)
{
    if (!needsQuotes(utf8)) {
        record.append(utf8);
        return;
    }
    record.push_back('"');
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
    ByteBuffer buffer;
    buffer.reserve(2 * flushSize);
    for (int k = 0; k < columns; ++k) {
        if (k > 0)
            buffer.append(",");
        appendCell(*grid.header(k), codec, buffer);
    }
    buffer.append("\r\n");
    for (int row = 0; row < grid.rowCount(); ++row) {
        for (int k = 0; k < columns; ++k) {
            if (k > 0)
                buffer.append(",");
            appendCell(grid.itemText(row, k), codec, buffer);
        }
        buffer.append("\r\n");
        if (buffer.size() >= flushSize)
            flush(buffer, out);
    }
    flush(buffer, out);
}

bool CsvExport::exportDirectory(const std::string &dir, std::ostream &out, std::string &problem)
{
    LabelGrid grid;
    SilentProgress progress;
    const LoadResult load = LabelLoader(grid, progress).LoadAllLabels(dir);
    if (!load.problem.empty()) {
        problem = load.problem;
        return false;
    }
    if (load.loaded) {
        write(grid, TextCodec(load.codePage), out);
        return true;
    }
    // The window shows an unreadable French file as an empty list; a script deserves to
    // hear that it exists but could not be read, unlike a set that has none.
    std::vector<LabelFileEntry> entries;
    int error = 0;
    if (LabelDirectory::list(dir, entries, error))
        for (const LabelFileEntry &e : entries)
            if (LabelDirectory::equalsIgnoringCase(e.name, "french.lan")) {
                problem = e.name + ": cannot be read";
                return false;
            }
    return true;
}

} // namespace verbolt
