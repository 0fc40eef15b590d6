#pragma once

#include <cstdint>

// One side of a comparison as the comparison sees it: its data, its current pane's cursor and its list of
// different data. The comparing copy reads its own data through it, and every copy answers the requests of
// another copy's comparison through it.
class ICompareHost {
public:
    virtual ~ICompareHost() = default;

    virtual uint64_t DataSize() const = 0;
    virtual uint64_t ReadData(uint64_t offset, unsigned char* destination, uint64_t length) const = 0;
    virtual uint64_t Cursor() const = 0;
    // Moves the current pane's cursor to the offset (nothing happens beyond the data size).
    virtual void MoveCursor(uint64_t offset) = 0;
    virtual void ClearDifferences() = 0;
    // Appends the offset to the list of different data and repaints when it is on a visible row.
    virtual void AddDifference(uint64_t offset) = 0;
};
