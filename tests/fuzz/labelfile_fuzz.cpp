// Reading a label file: any bytes load without a fault, the lines cover the file, and the
// start-up load puts exactly the reader's entries into the grid, row by row.
#include "check.h"
#include "labelloader.h"
#include "labelreader.h"
#include "textcodec.h"

#include <cstdint>
#include <string>
#include <vector>

using namespace verbolt;

namespace {

struct Entry
{
    std::string key;
    std::string value;
};

std::vector<Entry> entriesOf(std::string_view bytes)
{
    std::vector<Entry> out;
    LabelReader::forEachEntry(bytes, [&](const LabelLine &e) {
        FUZZ_CHECK(e.key.find('=') == std::string_view::npos);
        FUZZ_CHECK(e.value == Blanks::trim(e.value));
        FUZZ_CHECK(e.key.data() >= bytes.data() && e.key.data() + e.key.size() <= bytes.end());
        out.push_back({std::string(e.key), std::string(e.value)});
    });
    return out;
}

// Progress stays inside the line count of the file being loaded.
class CheckedProgress : public LoadProgress
{
public:
    void SetProgressRange(int, int upper) override { m_upper = upper; }
    void SetProgressPos(int pos) override { FUZZ_CHECK(pos >= 0 && pos <= m_upper); }
    void SetStatusText(const std::string &) override {}
    void PumpOneMessage() override {}

private:
    int m_upper = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);

    // The lines follow each other without gap or overlap, from the end of a byte-order mark.
    std::size_t expected = LabelReader::bomLength(bytes);
    LabelReader::forEachLine(
        bytes, [&](std::string_view line, std::size_t begin, std::size_t next) {
            FUZZ_CHECK(begin == expected && line.data() == bytes.data() + begin);
            FUZZ_CHECK(line.find('\n') == std::string_view::npos);
            FUZZ_CHECK(next == begin + line.size() + (next < size || bytes.back() == '\n' ? 1 : 0));
            expected = next;
        });
    FUZZ_CHECK(expected == std::max(size, LabelReader::bomLength(bytes)));

    const std::vector<Entry> french = entriesOf(bytes);
    FUZZ_CHECK(french.size() <= static_cast<std::size_t>(LabelReader::countLabelLines(bytes)));
    // A second language: the second half of the same bytes, so the columns differ in length.
    const std::string_view other = bytes.substr(size / 2);
    const std::vector<Entry> english = entriesOf(other);

    LabelGrid grid;
    CheckedProgress progress;
    LabelLoader loader(grid, progress);
    grid.insertColumn("ID", {});
    grid.insertColumn("FRENCH", "french.lan");
    grid.insertColumn("ENGLISH", "english.lan");
    progress.SetProgressRange(0, LabelLoader::CountLabelLines(bytes));
    loader.LoadLanguageColumn(std::string(bytes), 1);
    progress.SetProgressRange(0, LabelLoader::CountLabelLines(other));
    loader.LoadLanguageColumn(std::string(other), 2);
    FUZZ_CHECK(grid.rowCount() == static_cast<int>(french.size()));
    for (int r = 0; r < grid.rowCount(); ++r) {
        const auto &f = french[static_cast<std::size_t>(r)];
        FUZZ_CHECK(grid.itemText(r, 0) == f.key && grid.itemText(r, 1) == f.value);
        const std::size_t k = static_cast<std::size_t>(r);
        FUZZ_CHECK(grid.itemText(r, 2) == (k < english.size() ? english[k].value : ""));
    }

    // Column headers come from file names, which are bytes too.
    for (const CodePage page : {CodePage::Windows1252, TextCodec::choose({bytes})})
        (void)LabelLoader::languageName(bytes, TextCodec(page));
    return 0;
}
