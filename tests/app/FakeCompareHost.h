#pragma once

#include "compare/ICompareHost.h"

#include <algorithm>
#include <cstring>
#include <vector>

// One side of a comparison without a window: bytes, a cursor, a list of different data, and a record of the
// cursor moves asked for.
class FakeCompareHost : public ICompareHost {
public:
    explicit FakeCompareHost(std::vector<unsigned char> bytes = {}, uint64_t cursor = 0)
        : data(std::move(bytes)), cursor(cursor) {}

    uint64_t DataSize() const override { return data.size(); }
    uint64_t ReadData(uint64_t offset, unsigned char* destination, uint64_t length) const override {
        ++reads;
        if (offset >= data.size()) {
            return 0;
        }
        const uint64_t count = std::min<uint64_t>(length, data.size() - offset);
        std::memcpy(destination, data.data() + offset, static_cast<size_t>(count));
        return count;
    }
    uint64_t Cursor() const override { return cursor; }
    void MoveCursor(uint64_t offset) override {
        moves.push_back(offset);
        if (offset <= data.size()) {
            cursor = offset;
        }
    }
    void ClearDifferences() override {
        differences.clear();
        ++clears;
    }
    void AddDifference(uint64_t offset) override { differences.push_back(offset); }

    std::vector<unsigned char> data;
    uint64_t cursor = 0;
    std::vector<uint64_t> moves;
    std::vector<uint64_t> differences;
    int clears = 0;
    mutable int reads = 0;
};
