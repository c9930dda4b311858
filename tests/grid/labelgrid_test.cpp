#include "cellspans.h"
#include "labelgrid.h"

#include <gtest/gtest.h>

#include <string>

using namespace verbolt;

namespace {

// Loads "ID=text" lines as the loader does: IDs and French texts are slices of the bytes.
void load(LabelGrid &grid, std::string_view french)
{
    grid.insertColumn("ID", "");
    grid.insertColumn("FRENCH", "french.lan");
    const std::string_view bytes = grid.adoptColumnBytes(1, ByteBuffer(french));
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t eq = bytes.find('=', at), end = bytes.find('\n', eq);
        grid.appendRow(bytes.substr(at, eq - at), bytes.substr(eq + 1, end - eq - 1));
        at = end + 1;
    }
}

TEST(CellSpans, OneSpanTooLargeWidensTheColumnAndKeepsEveryCell)
{
    CellSpans spans;
    spans.push_back({5, 3, false});
    spans.push_back({9, 2, true});
    spans.resize(4);
    EXPECT_FALSE(spans.wide());
    spans.set(3, {std::uint64_t(1) << 33, 7, true}); // past 4 GiB
    spans.push_back({1, std::uint64_t(1) << 31, false});
    EXPECT_TRUE(spans.wide());
    const auto same = [](CellSpans::Span a, CellSpans::Span b) {
        return a.offset == b.offset && a.length == b.length && a.edited == b.edited;
    };
    EXPECT_TRUE(same(spans.get(0), {5, 3, false}));
    EXPECT_TRUE(same(spans.get(1), {9, 2, true}));
    EXPECT_TRUE(same(spans.get(2), {0, 0, false}));
    EXPECT_TRUE(same(spans.get(3), {std::uint64_t(1) << 33, 7, true}));
    EXPECT_TRUE(same(spans.get(4), {1, std::uint64_t(1) << 31, false}));
}

TEST(LabelGrid, IdsStayWhenTheFrenchBytesAreReplaced)
{
    // The IDs point into the French file's bytes; adopting new ones must not leave them
    // pointing at freed memory.
    LabelGrid grid;
    load(grid, "A=1\nB=2\n");
    grid.setItemText(1, 0, "B2");
    const std::string_view second = grid.adoptColumnBytes(1, ByteBuffer("C=3\n"));
    grid.appendRow(second.substr(0, 1), second.substr(2, 1));
    EXPECT_EQ(grid.itemText(0, 0), "A");
    EXPECT_EQ(grid.itemText(1, 0), "B2");
    EXPECT_EQ(grid.itemText(2, 0), "C");
    EXPECT_EQ(grid.itemText(2, 1), "3");
}

TEST(LabelGrid, CompactingTheEditsKeepsEveryText)
{
    LabelGrid grid;
    load(grid, "A=un\nB=deux\nC=trois\n");
    grid.setItemText(1, 1, "edited");
    // One cell set again and again: its old texts pass 1 MiB and half of the edits, which
    // compacts them more than once, also in a set whose text is a view of the edits.
    const std::string big(100 * 1024, 'x');
    for (int i = 0; i < 40; ++i) {
        grid.setItemText(0, 1, big + std::to_string(i));
        grid.setItemText(2, 1, grid.itemText(i % 2 ? 0 : 1, 1));
    }
    EXPECT_EQ(grid.itemText(0, 1), big + "39");
    EXPECT_EQ(grid.itemText(1, 1), "edited");
    EXPECT_EQ(grid.itemText(2, 1), big + "39");
    EXPECT_EQ(grid.itemText(2, 0), "C");
}

TEST(LabelGrid, ATextSetFromTheGridsOwnBytes)
{
    LabelGrid grid;
    load(grid, "A=un\nB=deux\nC=trois\n");
    // Views into the loaded bytes, the IDs' among them, and a cell set to its own text.
    grid.setItemText(0, 1, grid.itemText(2, 1));
    grid.setItemText(1, 0, grid.itemText(2, 0));
    for (int i = 0; i < 2; ++i)
        grid.setItemText(2, 1, grid.itemText(2, 1));
    EXPECT_EQ(grid.itemText(0, 1), "trois");
    EXPECT_EQ(grid.itemText(1, 0), "C");
    EXPECT_EQ(grid.itemText(2, 1), "trois");
    // Views into the edits, appended to those same edits: as they grow, their buffer moves
    // away from under the view being copied. Buffers this large go back to the system when
    // freed, so that reading a freed one faults even without a sanitizer.
    std::string text;
    while (text.size() < 160 * 1024)
        text += std::to_string(text.size()) + ",";
    grid.setItemText(1, 1, text);
    for (int i = 0; i < 5; ++i) {
        const int from = i % 2 ? 0 : 1;
        grid.setItemText(1 - from, 1, grid.itemText(from, 1));
        ASSERT_EQ(grid.itemText(1 - from, 1), text) << i;
    }
    EXPECT_EQ(grid.itemText(1, 1), text);
    EXPECT_EQ(grid.itemText(2, 1), "trois");
}

} // namespace
