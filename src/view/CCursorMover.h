#pragma once

#include "data/CRowLayout.h"

#include <cstdint>

// Where the cursor keys take the cursor, computed on the layout of the cursor's row. The cursor always stands
// at the first byte of a unit, or at the data size (the append position).
class CCursorMover {
public:
    enum Key { Left, Right, Up, Down, Home, End };

    static uint64_t Move(const CRowLayout& layout, uint64_t cursor, uint64_t dataSize, Key key);
};
