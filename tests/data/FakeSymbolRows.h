#pragma once

#include "data/ISymbolRows.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

// A symbol table of basic-type declarations laid over the data from offset 0, each taking
// ceil(size x max(count, 1) / 16) rows of at most 16 / size elements, named "name" or "name[i]". It counts
// the lookups so that tests can tell how much of the table a caller walked.
class FakeSymbolRows : public ISymbolRows {
public:
    // Declares elementSize-byte elements; count 0 is a scalar.
    FakeSymbolRows& Add(uint64_t elementSize, uint64_t count, const std::string& name) {
        const uint64_t per = 16 / elementSize;
        const uint64_t n = std::max<uint64_t>(count, 1);
        for (uint64_t first = 0; first < n; first += per) {
            SymbolRow row;
            row.offset = next + first * elementSize;
            row.elements = std::min(per, n - first);
            row.elementSize = elementSize;
            row.name = count > 0 ? name + "[" + std::to_string(first) + "]" : name;
            rows.push_back(row);
        }
        std::string widest = count > 0 ? name + "[" + std::to_string(count - 1) + "]" : name;
        nameWidth = std::max<uint64_t>(nameWidth, widest.size());
        next += n * elementSize;
        return *this;
    }

    uint64_t GetSymbolRows() const override { return rows.size(); }
    uint64_t GetNextOffset() const override { return next; }
    uint64_t GetNameWidth() const override { return nameWidth; }
    bool LookupRow(uint64_t row, SymbolRow& out) const override {
        ++lookups;
        if (row >= rows.size()) {
            return false;
        }
        out = rows[row];
        return true;
    }
    int64_t RowOfOffset(uint64_t offset) const override {
        ++offsetLookups;
        if (offset >= next) {
            return -1;
        }
        // The last row starting at or before the offset.
        auto it = std::upper_bound(rows.begin(), rows.end(), offset,
                                   [](uint64_t value, const SymbolRow& r) { return value < r.offset; });
        return static_cast<int64_t>(it - rows.begin()) - 1;
    }

    std::vector<SymbolRow> rows;
    uint64_t next = 0;
    uint64_t nameWidth = 0;
    mutable int lookups = 0;
    mutable int offsetLookups = 0;
};
