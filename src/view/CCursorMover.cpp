#include "view/CCursorMover.h"

namespace {

// The offset at the same position within another row, not beyond that row's last unit.
uint64_t SamePosition(const RowInfo& row, uint64_t positionInRow) {
    uint64_t target = row.start + positionInRow;
    uint64_t last = row.LastUnitStart();
    if (target > last) {
        target = last;
    }
    return row.UnitStart(target);
}

} // namespace

uint64_t CCursorMover::Move(const CRowLayout& layout, uint64_t cursor, uint64_t dataSize, Key key) {
    const uint64_t rowIndex = layout.RowIndexOf(cursor);
    const RowInfo row = layout.Row(rowIndex);
    const uint64_t u = static_cast<uint64_t>(row.unitSize);
    switch (key) {
    case Home:
        return row.start;
    case End: {
        uint64_t target = row.LastUnitStart();
        while (target > dataSize && target > row.start) {
            target -= u;
        }
        return target;
    }
    case Left: {
        if (cursor == 0) {
            return 0;
        }
        uint64_t target = cursor >= u ? cursor - u : 0;
        if (target < row.start && rowIndex > 0) {
            return layout.Row(rowIndex - 1).LastUnitStart();
        }
        return target;
    }
    case Right: {
        uint64_t target = cursor + u;
        if (target >= row.start + row.Bytes()) {
            target = layout.Row(rowIndex + 1).start;
        }
        return target >= dataSize ? dataSize : target;
    }
    case Up:
        if (rowIndex == 0) {
            return cursor;
        }
        return SamePosition(layout.Row(rowIndex - 1), cursor - row.start);
    case Down: {
        uint64_t target = SamePosition(layout.Row(rowIndex + 1), cursor - row.start);
        return target >= dataSize ? dataSize : target;
    }
    }
    return cursor;
}
