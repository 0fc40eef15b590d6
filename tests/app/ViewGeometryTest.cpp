#include "data/CNavigator.h"
#include "data/CRowLayout.h"
#include "view/CCursorMover.h"
#include "view/CViewGeometry.h"

#include <gtest/gtest.h>

namespace {

TEST(ViewGeometry, AddressDigitsFollowTheDataSize) {
    EXPECT_EQ(CNavigator::AddressDigits(0x1000, 0), 4);
    EXPECT_EQ(CNavigator::AddressDigits(0xFFF, 0), 3);
    EXPECT_EQ(CNavigator::AddressDigits(4096, 1), 4);
    EXPECT_EQ(CNavigator::AddressDigits(0, 0), 1);
    EXPECT_EQ(CNavigator::AddressDigits(0x100000000ull, 0), 9);
}

TEST(ViewGeometry, SplittingSnapsToWholeRows) {
    CViewGeometry g;
    g.height = 340;
    g.charHeight = 14;
    g.lineGap = 2;
    g.splitY = g.InitialSplitY();
    EXPECT_EQ(g.splitY, 160);
    EXPECT_EQ(g.PaneRows(0), 9);
    EXPECT_EQ(g.PaneRows(1), 10);
    EXPECT_EQ(g.PaneAt(170), 1);
    EXPECT_EQ(g.PaneAt(150), 0);
    EXPECT_TRUE(g.OnSplitBar(162));
    // More than half a row rounds up, half a row or less rounds down.
    EXPECT_EQ(g.SnapSplitY(16 + 16 * 3 + 9), 16 + 16 * 4);
    EXPECT_EQ(g.SnapSplitY(16 + 16 * 3 + 8), 16 + 16 * 3);
}

TEST(ViewGeometry, HitTestAcceptsUpToOneCellLeftOfTheFirstCell) {
    CViewGeometry g;
    g.width = 800;
    g.height = 400;
    g.hexCharWidth = 8;
    g.addressDigits = 4;
    const int first = g.DataStartX();
    EXPECT_EQ(g.UnitAt(first, 2, 16), 0);
    EXPECT_EQ(g.UnitAt(first - 20, 2, 16), 0);
    EXPECT_EQ(g.UnitAt(first + 3 * 8 * 15 + 1, 2, 16), 15);
    EXPECT_EQ(g.UnitAt(first + 3 * 8 * 16, 2, 16), -1);
    EXPECT_EQ(g.RowAt(0, 5), -1); // header
    EXPECT_EQ(g.RowAt(0, g.RowHeight() + 1), 0);
}

TEST(RowLayout, TableOfSizesAndTypes) {
    struct Case {
        int size, type, unit, chars, perRow;
    };
    const Case cases[] = {{0, 0, 1, 9, 1},  {0, 1, 1, 2, 16}, {0, 2, 1, 4, 16}, {0, 3, 1, 3, 16},
                          {0, 5, 1, 1, 16}, {1, 0, 2, 19, 1}, {1, 1, 2, 4, 8},  {1, 2, 2, 6, 8},
                          {1, 5, 2, 2, 8},  {2, 0, 4, 39, 1}, {2, 1, 4, 8, 4},  {2, 3, 4, 10, 4},
                          {2, 4, 4, 20, 4}, {3, 0, 8, 79, 1}, {3, 1, 8, 16, 2}, {3, 4, 8, 20, 2}};
    for (const Case& c : cases) {
        RowInfo r = CRowLayout::Uniform(c.size, c.type, 20);
        EXPECT_EQ(r.unitSize, c.unit) << c.size << "/" << c.type;
        EXPECT_EQ(r.cellChars, c.chars) << c.size << "/" << c.type;
        EXPECT_EQ(r.unitsPerRow, c.perRow) << c.size << "/" << c.type;
    }
    EXPECT_FALSE(CRowLayout::IsAllowed(0, 4));
    EXPECT_FALSE(CRowLayout::IsAllowed(3, 5));
    EXPECT_TRUE(CRowLayout::IsAllowed(4, 4));
    CRowLayout hex(0, 1, 20);
    EXPECT_EQ(hex.RowChars(), 3 * 16 + 17);
    EXPECT_EQ(hex.TotalRows(0), 1u);
    EXPECT_EQ(hex.TotalRows(17), 2u);
}

TEST(CursorMover, KeysOnTheRowLayout) {
    struct Case {
        int size, type;
        uint64_t dataSize, cursor;
        CCursorMover::Key key;
        uint64_t expected;
    };
    const Case cases[] = {
        {0, 1, 10, 3, CCursorMover::End, 10}, // the append position
        {0, 1, 10, 9, CCursorMover::Right, 10},
        {0, 1, 10, 10, CCursorMover::Right, 10},
        {1, 1, 5, 0, CCursorMover::End, 4},
        {0, 1, 100, 5, CCursorMover::Up, 5}, // first row
        {0, 1, 100, 21, CCursorMover::Up, 5},
        {0, 1, 100, 16, CCursorMover::Left, 15}, // to the end of the previous row
        {0, 1, 100, 0, CCursorMover::Left, 0},
        {0, 1, 100, 90, CCursorMover::Down, 100}, // past the end: the data size
        {0, 1, 100, 20, CCursorMover::Down, 36},
        {0, 1, 100, 37, CCursorMover::Home, 32},
        {2, 1, 100, 8, CCursorMover::Right, 12},
        {2, 1, 100, 12, CCursorMover::Right, 16},
        {0, 0, 100, 5, CCursorMover::Down, 6}, // BIT rows hold one unit
        {2, 0, 100, 8, CCursorMover::Up, 4},
    };
    for (const Case& c : cases) {
        CRowLayout layout(c.size, c.type, 20);
        EXPECT_EQ(CCursorMover::Move(layout, c.cursor, c.dataSize, c.key), c.expected)
            << c.size << "/" << c.type << " cursor " << c.cursor << " key " << c.key;
    }
}

} // namespace
