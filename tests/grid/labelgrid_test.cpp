#include "cellspans.h"
#include "labelgrid.h"

#include <gtest/gtest.h>

using namespace verbolt;

namespace {

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
    grid.insertColumn("ID", "");
    grid.insertColumn("FRENCH", "french.lan");
    const std::string_view first = grid.adoptColumnBytes(1, ByteBuffer("A=1\nB=2\n"));
    grid.appendRow(first.substr(0, 1), first.substr(2, 1));
    grid.appendRow(first.substr(4, 1), first.substr(6, 1));
    grid.setItemText(1, 0, "B2");
    const std::string_view second = grid.adoptColumnBytes(1, ByteBuffer("C=3\n"));
    grid.appendRow(second.substr(0, 1), second.substr(2, 1));
    EXPECT_EQ(grid.itemText(0, 0), "A");
    EXPECT_EQ(grid.itemText(1, 0), "B2");
    EXPECT_EQ(grid.itemText(2, 0), "C");
    EXPECT_EQ(grid.itemText(2, 1), "3");
}

} // namespace
