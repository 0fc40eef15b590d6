#include "FakeSymbolRows.h"

#include "data/CDataStore.h"
#include "data/CEditCommands.h"
#include "data/CRowLayout.h"
#include "data/ValueFormat.h"

#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

namespace {

// $char a; $short b[3];  -> a (1 element at 0), b[0] (3 elements at 1); 7 bytes, name width 4.
FakeSymbolRows CharAndShorts() {
    FakeSymbolRows table;
    table.Add(1, 0, "a").Add(2, 3, "b");
    return table;
}

CRowLayout SymbolLayout(const ISymbolRows* table, int typeIndex = kTypeHex, int floatWidth = 20) {
    CRowLayout layout(kSizeSymbol, typeIndex, floatWidth);
    layout.SetSymbols(table);
    return layout;
}

TEST(RowLayoutSymbol, RowsInsideAndAfterTheSymbols) {
    const FakeSymbolRows table = CharAndShorts();
    ASSERT_EQ(table.GetNextOffset(), 7u);
    ASSERT_EQ(table.GetNameWidth(), 4u);
    const CRowLayout layout = SymbolLayout(&table);

    EXPECT_EQ(layout.TotalRows(1000), 65u); // 2 symbol rows + ceil(993 / 16)
    EXPECT_EQ(layout.RowIndexOf(0), 0u);
    EXPECT_EQ(layout.RowIndexOf(3), 1u);
    EXPECT_EQ(layout.RowIndexOf(7), 2u);
    EXPECT_EQ(layout.RowIndexOf(100), 7u);
    EXPECT_EQ(layout.NameChars(), 4);

    struct Case {
        uint64_t row;
        uint64_t start;
        int unitSize, units, cellChars;
        const char* name;
    };
    const Case cases[] = {
        {0, 0, 1, 1, 2, "a"},  {1, 1, 2, 3, 4, "b[0]"}, {2, 7, 1, 16, 2, ""},
        {3, 23, 1, 16, 2, ""}, {64, 999, 1, 16, 2, ""},
    };
    for (const Case& c : cases) {
        const RowInfo row = layout.Row(c.row);
        EXPECT_EQ(row.start, c.start) << c.row;
        EXPECT_EQ(row.unitSize, c.unitSize) << c.row;
        EXPECT_EQ(row.unitsPerRow, c.units) << c.row;
        EXPECT_EQ(row.cellChars, c.cellChars) << c.row;
        EXPECT_EQ(row.name, c.name) << c.row;
        EXPECT_EQ(row.nameChars, 4) << "rows without a name keep the column" << c.row;
        EXPECT_EQ(layout.RowIndexOf(row.start), c.row);
    }
}

TEST(RowLayoutSymbol, RowCountAtTheEdges) {
    FakeSymbolRows hundred;
    hundred.Add(1, 100, "d"); // 7 rows d[0] .. d[96] over offsets 0 .. 99
    const CRowLayout over = SymbolLayout(&hundred);
    EXPECT_EQ(over.TotalRows(40), 3u) << "symbols past the data end with the row of the last byte";
    EXPECT_EQ(over.TotalRows(100), 7u);
    EXPECT_EQ(over.TotalRows(101), 8u);
    EXPECT_EQ(over.TotalRows(0), 1u);
    EXPECT_EQ(over.Row(6).unitsPerRow, 4);
    EXPECT_EQ(over.Row(6).name, "d[96]");

    FakeSymbolRows empty;
    const CRowLayout plain = SymbolLayout(&empty);
    EXPECT_EQ(plain.TotalRows(0), 1u);
    EXPECT_EQ(plain.TotalRows(33), 3u);
    EXPECT_EQ(plain.Row(2).start, 32u);
    EXPECT_EQ(plain.NameChars(), 0);
    const CRowLayout none = SymbolLayout(nullptr);
    EXPECT_EQ(none.TotalRows(17), 2u);
    EXPECT_EQ(none.RowIndexOf(17), 1u);
    EXPECT_EQ(none.Row(1).unitsPerRow, 16);
}

TEST(RowLayoutSymbol, CellWidthsByElementSizeAndType) {
    // Columns BIT, HEX, SIGN, UNSIGN, FLOAT, TEXT; float width 13 to tell it from the fixed widths.
    const int expected[5][6] = {
        {9, 2, 4, 3, 2, 1},       {19, 4, 6, 5, 4, 2}, {39, 8, 11, 10, 13, 8},
        {79, 16, 16, 16, 13, 16}, {29, 6, 6, 6, 6, 6}, // a 3-byte element shows its raw bytes
    };
    FakeSymbolRows table;
    table.Add(1, 0, "c").Add(2, 0, "s").Add(4, 0, "l").Add(8, 0, "d").Add(3, 0, "t");
    for (int type = 0; type < 6; ++type) {
        const CRowLayout layout = SymbolLayout(&table, type, 13);
        for (uint64_t row = 0; row < 5; ++row) {
            EXPECT_EQ(layout.Row(row).cellChars, expected[row][type]) << "row " << row << " type " << type;
        }
        // After the symbols: 16 one-byte cells with the 1-byte widths, in BIT display too.
        const RowInfo after = layout.Row(5);
        EXPECT_EQ(after.unitsPerRow, 16) << type;
        EXPECT_EQ(after.unitSize, 1) << type;
        EXPECT_EQ(after.cellChars, expected[0][type]) << type;
    }
}

TEST(RowLayoutSymbol, CellsAreAsWideAsTheirTexts) {
    // A cell of a symbol row holds exactly the text its element gets: the widths and the texts agree.
    const unsigned char bytes[16] = {0x00, 0x00, 0xC0, 0x3F, 0x41, 0x42, 0x43, 0x44,
                                     0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF8, 0x3F};
    ValueFormatOptions options;
    for (size_t size : {1, 2, 3, 4, 8}) {
        for (int type = 0; type < 6; ++type) {
            std::string text;
            const unsigned char* element = size == 8 ? bytes + 8 : bytes;
            ASSERT_EQ(FormatUnit(element, kSizeSymbol, type, size, SymbolClassForSize(size), options, text),
                      1);
            EXPECT_EQ(static_cast<int>(text.size()),
                      CRowLayout::SymbolCellChars(size, type, options.floatWidth))
                << "size " << size << " type " << type << " text '" << text << "'";
        }
    }
}

TEST(RowLayoutSymbol, HorizontalWidthCoversTheWidestSymbolRow) {
    FakeSymbolRows table;
    table.Add(1, 16, "x");
    EXPECT_EQ(SymbolLayout(&table, kTypeHex).RowChars(), 3 * 16 + 17) << "the 1BYTE HEX row";
    EXPECT_EQ(SymbolLayout(&table, kTypeSign).RowChars(), 5 * 16) << "16 signed bytes";
    EXPECT_EQ(SymbolLayout(&table, kTypeBit).RowChars(), 10 * 16) << "16 bit cells";
    EXPECT_EQ(SymbolLayout(&table, kTypeFloat, 20).RowChars(), 21 * 4) << "four floats";
}

TEST(RowLayoutSymbol, RowLookupsDoNotWalkTheTable) {
    FakeSymbolRows table;
    for (int i = 0; i < 1000; ++i) {
        table.Add(2, 8, "v" + std::to_string(i));
    }
    const CRowLayout layout = SymbolLayout(&table);
    table.lookups = 0;
    EXPECT_EQ(layout.TotalRows(1u << 20), 1000u + ((1u << 20) - 16000u) / 16u);
    EXPECT_EQ(layout.TotalRows(8000), 500u);
    EXPECT_EQ(layout.RowIndexOf(8000), 500u);
    EXPECT_EQ(table.lookups, 0) << "counts and offsets come from the table's own answers";
    EXPECT_EQ(layout.Row(777).name, "v777[0]");
    EXPECT_EQ(table.lookups, 1);
}

// --- copying symbol rows as text ---

class SymbolCopyTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::vector<unsigned char> bytes(0x22);
        std::iota(bytes.begin(), bytes.end(), 0);
        ASSERT_EQ(store.InsertData(0, bytes.data(), bytes.size(), 0, 0), 1);
        layout.SetSymbols(&table);
        options.nameColumnChars = layout.NameChars();
    }

    FakeSymbolRows table = CharAndShorts();
    CDataStore store;
    CRowLayout layout{kSizeSymbol, kTypeHex, 20};
    CEditCommands edit{store, layout};
    EditOptions options;
};

TEST_F(SymbolCopyTest, RowsCarryTheNameColumn) {
    const std::string blank16(16 * 3, ' ');
    struct Case {
        const char* what;
        int type;
        uint64_t start, end;
        std::string expected;
    };
    const Case cases[] = {
        {"whole data", kTypeHex, 0, 0x22,
         "00  a    00\r\n"
         "01  b[0] 0201 0403 0605\r\n"
         "07       07 08 09 0A 0B 0C 0D 0E 0F 10 11 12 13 14 15 16\r\n"
         "17       17 18 19 1A 1B 1C 1D 1E 1F 20 21\r\n"},
        {"from the second element, blanks keep the columns", kTypeHex, 3, 9,
         "01  b[0]      0403 0605\r\n"
         "07       07 08\r\n"},
        {"signed shorts", kTypeSign, 1, 5, "01  b[0]    513   1027\r\n"},
    };
    for (const Case& c : cases) {
        layout.Set(kSizeSymbol, c.type, 20);
        EXPECT_EQ(edit.CopyText(c.start, c.end, options), c.expected) << c.what;
    }
}

TEST_F(SymbolCopyTest, UnitsAreTheRowsElements) {
    // The unit under an offset is the element of its row: deleting at offset 4 removes the short at 3..4.
    store.Pane(0) = PaneSelection{4, 4, 4};
    EditResult result = edit.DeleteSelectionOrUnit();
    EXPECT_TRUE(result.dataChanged);
    EXPECT_EQ(store.GetDataSize(), 0x20u);
    unsigned char bytes[4] = {};
    store.ReadData(1, bytes, 4);
    EXPECT_EQ(bytes[0], 1);
    EXPECT_EQ(bytes[1], 2);
    EXPECT_EQ(bytes[2], 5) << "the bytes 3 and 4 went";

    // The data input dialog starts with the element's value and the input type of its class.
    layout.Set(kSizeSymbol, kTypeUnsign, 20);
    const WriteTarget target = edit.PrepareWrite(2, options);
    EXPECT_EQ(target.unitStart, 1u);
    EXPECT_EQ(target.unitSize, 2);
    EXPECT_EQ(target.inputType, 4) << "unsigned short";
    EXPECT_EQ(target.initialText, "513");
}

} // namespace
