#pragma once

#include <cstdint>
#include <string>

// One SYMBOL row inside a declared symbol: where its first element lies, how many elements it shows and
// their size, and its name ("hdr.width", "block[3].size", "data[16]").
struct SymbolRow {
    uint64_t offset = 0;
    uint64_t elements = 1;
    uint64_t elementSize = 1;
    std::string name;
};

// What the row layout needs of a symbol table to lay SYMBOL rows over the data. The table is owned
// elsewhere (the script binding); the layout only reads it. Lookups may update a cache inside the table,
// so consecutive rows cost O(1).
class ISymbolRows {
public:
    virtual ~ISymbolRows() = default;

    // Rows taken by all declared symbols together.
    virtual uint64_t GetSymbolRows() const = 0;
    // Offset just after the last declared symbol (the total number of bytes declared).
    virtual uint64_t GetNextOffset() const = 0;
    // Width in characters of the widest symbol row name.
    virtual uint64_t GetNameWidth() const = 0;
    // The row with this number among the symbol rows; false when there is none.
    virtual bool LookupRow(uint64_t row, SymbolRow& out) const = 0;
    // The symbol row holding a data offset, or -1 when the offset lies at or after GetNextOffset().
    virtual int64_t RowOfOffset(uint64_t offset) const = 0;
};
