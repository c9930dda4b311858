#include "csvexport.h"

#include "labeldirectory.h"
#include "labelloader.h"

namespace verbolt {

namespace {

// Records are gathered into one buffer and handed to the stream in large pieces.
constexpr std::size_t flushSize = 1 << 16;

void flush(std::string &buffer, std::ostream &out)
{
    out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    buffer.clear();
}

} // namespace

void CsvExport::appendField(std::string_view utf8, std::string &record)
{
    if (utf8.find_first_of(",\"\r\n") == std::string_view::npos) {
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
    std::string buffer;
    buffer.reserve(flushSize + 4096);
    for (int k = 0; k < columns; ++k) {
        if (k > 0)
            buffer.push_back(',');
        appendField(codec.toUtf8(*grid.header(k)), buffer);
    }
    buffer.append("\r\n");
    for (int row = 0; row < grid.rowCount(); ++row) {
        for (int k = 0; k < columns; ++k) {
            if (k > 0)
                buffer.push_back(',');
            appendField(codec.toUtf8(grid.itemText(row, k)), buffer);
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
    // A folder listed only in part would give a table short of languages: no CSV at all.
    if (load.listError) {
        problem = LabelDirectory::unreadableMessage(dir);
        return false;
    }
    if (load.loaded) {
        write(grid, TextCodec(load.codePage), out);
        return true;
    }
    // The window shows an unreadable French file as an empty list; a script deserves to
    // hear that it exists but could not be read, unlike a set that has none.
    if (!load.frenchName.empty()) {
        problem = load.frenchName + ": cannot be read";
        return false;
    }
    return true;
}

} // namespace verbolt
