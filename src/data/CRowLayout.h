#pragma once

#include <cstdint>
#include <string>

class ISymbolRows;

// One row of the display: where it starts, its unit size, the width of each cell in characters and how many
// units it holds. SYMBOL rows also carry the symbol's name.
struct RowInfo {
    uint64_t start = 0;
    int unitSize = 1;
    int cellChars = 2;
    int unitsPerRow = 16;
    std::string name;
    // Width of the name column in characters: the same for every row of the SYMBOL display (rows without a
    // name keep the column empty), 0 in the other displays.
    int nameChars = 0;

    uint64_t Bytes() const { return static_cast<uint64_t>(unitSize) * static_cast<uint64_t>(unitsPerRow); }
    uint64_t End() const { return start + Bytes(); }
    // Start of the unit of this row that holds offset.
    uint64_t UnitStart(uint64_t offset) const {
        return offset <= start ? start : start + (offset - start) / unitSize * unitSize;
    }
    uint64_t LastUnitStart() const { return start + static_cast<uint64_t>(unitsPerRow - 1) * unitSize; }
};

// The rows of the display for the chosen unit size and type: the one table that painting, hit testing,
// copying rows as text, printing and the SYMBOL view share. Every row holds 16 bytes, except in BIT display
// where it holds exactly one unit, and in SYMBOL display, where rows inside a declared symbol show that
// symbol's elements (as many as fall on the row) and rows after the symbols hold 16 single bytes.
class CRowLayout {
public:
    // Sizes 0..4: 1BYTE, 2BYTES, 4BYTES, 8BYTES, SYMBOL; types 0..5: BIT, HEX, SIGN, UNSIGN, FLOAT, TEXT.
    static bool IsAllowed(int sizeIndex, int typeIndex);
    // The allowed types of a size as a bit set (bit 0 = BIT).
    static int AllowedTypeMask(int sizeIndex);
    // Unit size, cell width and units per row of a fixed-size layout; SYMBOL rows outside any symbol are 16
    // single bytes shown in the chosen type.
    static RowInfo Uniform(int sizeIndex, int typeIndex, int floatWidth);
    // Cell width in characters of a SYMBOL row whose elements are elementSize bytes, shown in a type.
    static int SymbolCellChars(uint64_t elementSize, int typeIndex, int floatWidth);

    CRowLayout() = default;
    CRowLayout(int sizeIndex, int typeIndex, int floatWidth) { Set(sizeIndex, typeIndex, floatWidth); }
    void Set(int sizeIndex, int typeIndex, int floatWidth);
    // The symbol table the SYMBOL display lays over the data; it must outlive the layout and its copies.
    // Null means no symbols: every SYMBOL row is then 16 single bytes.
    void SetSymbols(const ISymbolRows* table) { symbols = table; }
    const ISymbolRows* Symbols() const { return symbols; }

    int SizeIndex() const { return sizeIndex; }
    int TypeIndex() const { return typeIndex; }
    bool IsSymbol() const { return sizeIndex == 4; }
    // 1BYTE HEX shows the text column.
    bool HasTextColumn() const { return sizeIndex == 0 && typeIndex == 1; }
    bool IsBit() const { return typeIndex == 0; }
    // Width of the SYMBOL name column in characters (the widest symbol row name); 0 in other displays.
    int NameChars() const;

    // Rows needed for the data, at least 1.
    uint64_t TotalRows(uint64_t dataSize) const;
    RowInfo Row(uint64_t rowIndex) const;
    uint64_t RowIndexOf(uint64_t offset) const;
    RowInfo RowOf(uint64_t offset) const { return Row(RowIndexOf(offset)); }
    // Width of a row in characters for the horizontal scroll range: the cells with their gaps, plus the text
    // column and its gap. In SYMBOL display the widest row any symbol can give (the name column, measured in
    // the wider character cells, is the view's to add).
    int RowChars() const;

private:
    int sizeIndex = 0;
    int typeIndex = 1;
    int floatWidth = 20;
    RowInfo uniform = Uniform(0, 1, 20);
    const ISymbolRows* symbols = nullptr;
};
