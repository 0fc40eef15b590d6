#include "view/CViewGeometry.h"

int CViewGeometry::PaneRows(int pane) const {
    const int r = RowHeight();
    if (r <= 0) {
        return 0;
    }
    int rows = 0;
    if (pane == 0) {
        rows = IsSplit() ? (splitY - r) / r : (height - r) / r;
    } else if (IsSplit()) {
        rows = (height - splitY - kSplitBarHeight) / r;
    }
    return rows < 0 ? 0 : rows;
}

CViewGeometry::Rect CViewGeometry::PaneRect(int pane) const {
    Rect rect;
    rect.x = 0;
    rect.w = width;
    if (pane == 0) {
        rect.y = RowHeight();
        rect.h = (IsSplit() ? splitY : height) - rect.y;
    } else {
        rect.y = splitY + kSplitBarHeight;
        rect.h = IsSplit() ? height - rect.y : 0;
    }
    if (rect.h < 0) {
        rect.h = 0;
    }
    return rect;
}

int CViewGeometry::RowAt(int pane, int y) const {
    const int r = RowHeight();
    int offsetY = y - PaneTop(pane);
    if (offsetY < 0 || r <= 0) {
        return -1;
    }
    int row = offsetY / r;
    return row < PaneRows(pane) ? row : -1;
}

int CViewGeometry::UnitAt(int x, int cellChars, int unitsPerRow) const {
    const int cellWidth = (cellChars + 1) * hexCharWidth;
    if (cellWidth <= 0) {
        return -1;
    }
    int index = (x - CellsStartX()) / cellWidth; // truncates toward zero
    return index >= 0 && index < unitsPerRow ? index : -1;
}

int CViewGeometry::SnapSplitY(int y) const {
    const int t = RowHeight();
    const int r = RowHeight();
    if (r <= 0) {
        return y;
    }
    int k = (y - t) / r;
    int remainder = (y - t) - k * r;
    if (remainder * 2 > r) {
        ++k;
    }
    return t + r * k;
}

int CViewGeometry::InitialSplitY() const {
    return SnapSplitY((height - RowHeight()) / 2);
}

int CViewGeometry::PageRows() const {
    const int r = RowHeight();
    int page = r > 0 ? (height - r) / r : 2;
    return page < 2 ? 2 : page;
}
