#include "data/CRowLayout.h"

namespace {

// Cell width in characters by size (rows) and type (columns: BIT, HEX, SIGN, UNSIGN, FLOAT, TEXT); 0 = the
// float width; -1 = not selectable.
const int kCellChars[4][6] = {
    {9, 2, 4, 3, -1, 1},
    {19, 4, 6, 5, -1, 2},
    {39, 8, 11, 10, 0, -1},
    {79, 16, -1, -1, 0, -1},
};
const int kUnitSizes[4] = {1, 2, 4, 8};
const int kAllowedMasks[5] = {47, 47, 31, 19, 63};

} // namespace

bool CRowLayout::IsAllowed(int sizeIndex, int typeIndex) {
    if (sizeIndex < 0 || sizeIndex > 4 || typeIndex < 0 || typeIndex > 5) {
        return false;
    }
    return (kAllowedMasks[sizeIndex] >> typeIndex) & 1;
}

int CRowLayout::AllowedTypeMask(int sizeIndex) {
    return sizeIndex >= 0 && sizeIndex <= 4 ? kAllowedMasks[sizeIndex] : 0;
}

RowInfo CRowLayout::Uniform(int sizeIndex, int typeIndex, int floatWidth) {
    RowInfo r;
    if (sizeIndex == 4) {
        // Outside any symbol a SYMBOL row is 16 single bytes.
        sizeIndex = 0;
        if (typeIndex == 4) {
            typeIndex = 1;
        }
    }
    if (sizeIndex < 0 || sizeIndex > 3 || typeIndex < 0 || typeIndex > 5 ||
        kCellChars[sizeIndex][typeIndex] < 0) {
        sizeIndex = 0;
        typeIndex = 1;
    }
    r.unitSize = kUnitSizes[sizeIndex];
    int chars = kCellChars[sizeIndex][typeIndex];
    r.cellChars = chars == 0 ? floatWidth : chars;
    r.unitsPerRow = typeIndex == 0 ? 1 : 16 / r.unitSize;
    return r;
}

void CRowLayout::Set(int newSize, int newType, int floatWidth) {
    sizeIndex = newSize;
    typeIndex = newType;
    uniform = Uniform(newSize, newType, floatWidth);
}

uint64_t CRowLayout::TotalRows(uint64_t dataSize) const {
    const uint64_t perRow = uniform.Bytes();
    uint64_t rows = (dataSize + perRow - 1) / perRow;
    return rows < 1 ? 1 : rows;
}

RowInfo CRowLayout::Row(uint64_t rowIndex) const {
    RowInfo r = uniform;
    r.start = rowIndex * uniform.Bytes();
    return r;
}

uint64_t CRowLayout::RowIndexOf(uint64_t offset) const {
    return offset / uniform.Bytes();
}

int CRowLayout::RowChars() const {
    return (uniform.cellChars + 1) * uniform.unitsPerRow + (HasTextColumn() ? 17 : 0);
}
