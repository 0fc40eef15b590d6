#include "view/CScrollMapping.h"

namespace {
using Wide = unsigned __int128;
const uint64_t kRange = static_cast<uint64_t>(CScrollMapping::kBarRange);
} // namespace

int CScrollMapping::BarMaximum(uint64_t maxRow) {
    return static_cast<int>(maxRow <= kRange ? maxRow : kRange);
}

int CScrollMapping::BarFromRow(uint64_t row, uint64_t maxRow) {
    if (row >= maxRow) {
        return BarMaximum(maxRow);
    }
    if (maxRow <= kRange) {
        return static_cast<int>(row);
    }
    // Rounded down, so that only the last row reaches the bar's maximum.
    return static_cast<int>(static_cast<Wide>(row) * kRange / maxRow);
}

uint64_t CScrollMapping::RowFromBar(int position, uint64_t maxRow) {
    if (position <= 0) {
        return 0;
    }
    const uint64_t bar = static_cast<uint64_t>(position);
    if (maxRow <= kRange) {
        return bar < maxRow ? bar : maxRow;
    }
    if (bar >= kRange) {
        return maxRow;
    }
    // Rounded up: the smallest row whose position (rounded down) is this one, so that a round trip through
    // the bar keeps the position.
    return static_cast<uint64_t>((static_cast<Wide>(bar) * maxRow + kRange - 1) / kRange);
}
