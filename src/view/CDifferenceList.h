#pragma once

#include <cstdint>
#include <vector>

// The offsets a comparison found different, in the order found (duplicates possible), and the same offsets
// sorted for the painter's look-ups. Offsets are 32-bit; a difference beyond 4 GiB is not recorded.
class CDifferenceList {
public:
    void Clear();
    // Appends an offset; false (and nothing recorded) when it does not fit 32 bits.
    bool Add(uint64_t offset);
    bool Empty() const { return offsets_.empty(); }
    const std::vector<uint32_t>& Offsets() const { return offsets_; }
    const std::vector<uint32_t>& Sorted() const { return sorted_; }
    // The first offset, in the order found, that is greater than the cursor; false when there is none.
    bool NextAfter(uint64_t cursor, uint64_t& offset) const;

private:
    std::vector<uint32_t> offsets_;
    std::vector<uint32_t> sorted_;
};
