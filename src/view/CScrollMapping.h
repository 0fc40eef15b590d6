#pragma once

#include <cstdint>

// Maps a 64-bit row range onto the int range of a scroll bar and back. Up to kBarRange rows the bar counts
// rows one to one; beyond it the bar runs 0 .. kBarRange and each position stands for a proportional row, so
// that the first and the last row are always reachable and a position taken from a row gives that row's
// position back.
class CScrollMapping {
public:
    static constexpr int kBarRange = 1 << 30;

    // The bar's maximum for a largest top row.
    static int BarMaximum(uint64_t maxRow);
    // The bar position that shows a row (rows beyond maxRow show as the bar's maximum).
    static int BarFromRow(uint64_t row, uint64_t maxRow);
    // The row a bar position stands for: the first row whose position it is.
    static uint64_t RowFromBar(int position, uint64_t maxRow);
};
