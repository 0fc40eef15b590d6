#include "data/CRowLayout.h"

#include "data/ISymbolRows.h"
#include "data/ValueFormat.h"

#include <algorithm>

namespace {

// Cell width in characters by size (rows) and type (columns: BIT, HEX, SIGN, UNSIGN, FLOAT, TEXT); 0 = the
// float width; -1 = not selectable.
const int kCellChars[4][6] = {
    {9, 2, 4, 3, -1, 1},
    {19, 4, 6, 5, -1, 2},
    {39, 8, 11, 10, 0, -1},
    {79, 16, -1, -1, 0, -1},
};
// Cell width of SYMBOL rows by element size 1, 2, 4, 8 (rows) and type; 0 = the float width.
const int kSymbolCellChars[4][6] = {
    {9, 2, 4, 3, 2, 1},
    {19, 4, 6, 5, 4, 2},
    {39, 8, 11, 10, 0, 8},
    {79, 16, 16, 16, 0, 16},
};
const int kUnitSizes[4] = {1, 2, 4, 8};
const int kAllowedMasks[5] = {47, 47, 31, 19, 63};
const uint64_t kSymbolRowBytes = 16;
// Bounds that keep a damaged symbol table from overflowing the row arithmetic; real symbol rows hold at most
// 16 elements of at most 8 bytes.
const uint64_t kMaxElementSize = uint64_t{1} << 30;
const uint64_t kMaxElements = uint64_t{1} << 16;

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
        // Outside any symbol a SYMBOL row is 16 single bytes, in BIT display too.
        r.unitSize = 1;
        r.cellChars = SymbolCellChars(1, typeIndex, floatWidth);
        r.unitsPerRow = static_cast<int>(kSymbolRowBytes);
        return r;
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

int CRowLayout::SymbolCellChars(uint64_t elementSize, int typeIndex, int floatWidth) {
    if (typeIndex < 0 || typeIndex > 5) {
        typeIndex = 1;
    }
    // The symbol classes 0..3 are the element sizes 1, 2, 4 and 8; class 4 is any other size.
    const int sizeRow = elementSize <= 8 ? SymbolClassForSize(static_cast<size_t>(elementSize)) : 4;
    if (sizeRow < 4) {
        const int chars = kSymbolCellChars[sizeRow][typeIndex];
        return chars == 0 ? floatWidth : chars;
    }
    // Any other size shows its raw bytes, at most the first 16, as bits or hexadecimal digits.
    const int shown = static_cast<int>(std::min<uint64_t>(std::max<uint64_t>(elementSize, 1), 16));
    return typeIndex == 0 ? 10 * shown - 1 : 2 * shown;
}

void CRowLayout::Set(int newSize, int newType, int newFloatWidth) {
    sizeIndex = newSize;
    typeIndex = newType;
    floatWidth = newFloatWidth;
    uniform = Uniform(newSize, newType, newFloatWidth);
}

int CRowLayout::NameChars() const {
    if (!IsSymbol() || !symbols) {
        return 0;
    }
    return static_cast<int>(std::min<uint64_t>(symbols->GetNameWidth(), 4096));
}

uint64_t CRowLayout::TotalRows(uint64_t dataSize) const {
    if (IsSymbol()) {
        if (dataSize == 0) {
            return 1;
        }
        const uint64_t next = symbols ? symbols->GetNextOffset() : 0;
        const uint64_t symbolRows = symbols ? symbols->GetSymbolRows() : 0;
        uint64_t rows = 0;
        if (next < dataSize) {
            rows = symbolRows + (dataSize - next + kSymbolRowBytes - 1) / kSymbolRowBytes;
        } else {
            // The symbols reach past the data: the display ends with the row of the last byte.
            const int64_t last = symbols->RowOfOffset(dataSize - 1);
            rows = last >= 0 ? static_cast<uint64_t>(last) + 1 : symbolRows;
        }
        return rows < 1 ? 1 : rows;
    }
    const uint64_t perRow = uniform.Bytes();
    uint64_t rows = dataSize / perRow + (dataSize % perRow != 0 ? 1 : 0);
    return rows < 1 ? 1 : rows;
}

RowInfo CRowLayout::Row(uint64_t rowIndex) const {
    RowInfo r = uniform;
    if (!IsSymbol()) {
        r.start = rowIndex * uniform.Bytes();
        return r;
    }
    r.nameChars = NameChars();
    const uint64_t symbolRows = symbols ? symbols->GetSymbolRows() : 0;
    const uint64_t next = symbols ? symbols->GetNextOffset() : 0;
    SymbolRow found;
    if (rowIndex < symbolRows && symbols->LookupRow(rowIndex, found)) {
        const uint64_t elementSize = std::min(std::max<uint64_t>(found.elementSize, 1), kMaxElementSize);
        r.start = found.offset;
        r.unitSize = static_cast<int>(elementSize);
        r.unitsPerRow = static_cast<int>(std::min(std::max<uint64_t>(found.elements, 1), kMaxElements));
        r.cellChars = SymbolCellChars(elementSize, typeIndex, floatWidth);
        r.name = std::move(found.name);
        return r;
    }
    // After the symbols: 16 single bytes a row, without a name. (A symbol row the table cannot give, which a
    // consistent table never has, is shown as such a row at the end of the symbols.)
    const uint64_t after = rowIndex >= symbolRows ? rowIndex - symbolRows : 0;
    r.start = next + after * kSymbolRowBytes;
    return r;
}

uint64_t CRowLayout::RowIndexOf(uint64_t offset) const {
    if (!IsSymbol()) {
        return offset / uniform.Bytes();
    }
    const uint64_t next = symbols ? symbols->GetNextOffset() : 0;
    const uint64_t symbolRows = symbols ? symbols->GetSymbolRows() : 0;
    if (offset < next) {
        const int64_t row = symbols->RowOfOffset(offset);
        if (row >= 0) {
            return static_cast<uint64_t>(row);
        }
    }
    return symbolRows + (offset >= next ? (offset - next) / kSymbolRowBytes : 0);
}

int CRowLayout::RowChars() const {
    if (IsSymbol()) {
        // At least the 1BYTE HEX row (8BYTES BIT in BIT display), and wide enough for the widest symbol row:
        // 16 bytes of elements of one size.
        int chars = IsBit() ? 79 + 1 : (2 + 1) * 16 + 17;
        for (uint64_t size : {1, 2, 4, 8}) {
            const int cells = static_cast<int>(kSymbolRowBytes / size);
            chars = std::max(chars, (SymbolCellChars(size, typeIndex, floatWidth) + 1) * cells);
        }
        return chars;
    }
    return (uniform.cellChars + 1) * uniform.unitsPerRow + (HasTextColumn() ? 17 : 0);
}
