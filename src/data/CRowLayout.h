#pragma once

#include <cstdint>
#include <string>

// One row of the display: where it starts, its unit size, the width of each cell in characters and how many
// units it holds. SYMBOL rows also carry the symbol's name.
struct RowInfo {
    uint64_t start = 0;
    int unitSize = 1;
    int cellChars = 2;
    int unitsPerRow = 16;
    std::string name;

    uint64_t Bytes() const { return static_cast<uint64_t>(unitSize) * static_cast<uint64_t>(unitsPerRow); }
    // Start of the unit of this row that holds offset.
    uint64_t UnitStart(uint64_t offset) const {
        return offset <= start ? start : start + (offset - start) / unitSize * unitSize;
    }
    uint64_t LastUnitStart() const { return start + static_cast<uint64_t>(unitsPerRow - 1) * unitSize; }
};

// The rows of the display for the chosen unit size and type: the one table that painting, hit testing,
// copying rows as text, printing and the SYMBOL view share. Every row holds 16 bytes, except in BIT display
// where it holds exactly one unit.
class CRowLayout {
public:
    // Sizes 0..4: 1BYTE, 2BYTES, 4BYTES, 8BYTES, SYMBOL; types 0..5: BIT, HEX, SIGN, UNSIGN, FLOAT, TEXT.
    static bool IsAllowed(int sizeIndex, int typeIndex);
    // The allowed types of a size as a bit set (bit 0 = BIT).
    static int AllowedTypeMask(int sizeIndex);
    // Unit size, cell width and units per row of a fixed-size layout; SYMBOL rows outside any symbol are 16
    // single bytes shown in the chosen type.
    static RowInfo Uniform(int sizeIndex, int typeIndex, int floatWidth);

    CRowLayout() = default;
    CRowLayout(int sizeIndex, int typeIndex, int floatWidth) { Set(sizeIndex, typeIndex, floatWidth); }
    void Set(int sizeIndex, int typeIndex, int floatWidth);

    int SizeIndex() const { return sizeIndex; }
    int TypeIndex() const { return typeIndex; }
    // 1BYTE HEX shows the text column.
    bool HasTextColumn() const { return sizeIndex == 0 && typeIndex == 1; }
    bool IsBit() const { return typeIndex == 0; }

    // Rows needed for the data, at least 1.
    uint64_t TotalRows(uint64_t dataSize) const;
    RowInfo Row(uint64_t rowIndex) const;
    uint64_t RowIndexOf(uint64_t offset) const;
    RowInfo RowOf(uint64_t offset) const { return Row(RowIndexOf(offset)); }
    // Width of a row in characters: the cells with their gaps, plus the text column and its gap.
    int RowChars() const;

private:
    int sizeIndex = 0;
    int typeIndex = 1;
    RowInfo uniform = Uniform(0, 1, 20);
};
