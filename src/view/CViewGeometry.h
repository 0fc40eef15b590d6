#pragma once

#include <cstdint>

// Pixel geometry of the data area: the header row, the address column, the cells of a row, the text column,
// the split bar and the rows of each pane. Positions are relative to the data area's top-left corner.
class CViewGeometry {
public:
    struct Rect {
        int x = 0, y = 0, w = 0, h = 0;
        bool IsEmpty() const { return w <= 0 || h <= 0; }
        int Right() const { return x + w; }
        int Bottom() const { return y + h; }
    };

    // Metrics
    int width = 0;
    int height = 0;
    int charHeight = 16;
    int hexCharWidth = 8;
    int maxCharWidth = 8;
    int leftMargin = 2;
    int lineGap = 2;
    int splitY = -1;
    int addressDigits = 1;
    int hScroll = 0;
    // Pixels of the SYMBOL name column between the data start and the first cell, with its trailing gap; 0
    // in the other displays.
    int nameColumnWidth = 0;

    static constexpr int kSplitBarHeight = 5;

    int RowHeight() const { return charHeight + lineGap; }
    bool IsEmpty() const { return width <= 0 || height <= 0; }
    bool IsSplit() const { return splitY >= 0; }

    int AddressColumnWidth() const { return addressDigits * hexCharWidth; }
    int DataStartX() const { return (addressDigits - hScroll) * hexCharWidth + 2 * leftMargin; }
    int CellsStartX() const { return DataStartX() + nameColumnWidth; }
    int CellX(int unit, int cellChars) const { return CellsStartX() + unit * (cellChars + 1) * hexCharWidth; }
    int TextColumnX() const { return DataStartX() + 48 * hexCharWidth; }
    int TextCellX(int index) const { return TextColumnX() + index * maxCharWidth; }

    // Visible rows of a pane (never negative).
    int PaneRows(int pane) const;
    // Top y of the first row of a pane, and of its row i.
    int PaneTop(int pane) const { return pane == 0 ? RowHeight() : splitY + kSplitBarHeight; }
    int RowY(int pane, int row) const { return PaneTop(pane) + row * RowHeight(); }
    // The pane's rectangle below the header (pane 0) or below the split bar (pane 1).
    Rect PaneRect(int pane) const;
    // The pane a y belongs to (1 only when split and y is below the split bar).
    int PaneAt(int y) const { return IsSplit() && y >= splitY + kSplitBarHeight ? 1 : 0; }
    bool OnSplitBar(int y) const { return IsSplit() && y >= splitY && y < splitY + kSplitBarHeight; }

    // Row index within a pane for a y, or -1 for the header or outside.
    int RowAt(int pane, int y) const;
    // Unit index within a row for an x (truncating toward zero, so up to one cell left of the first cell
    // still hits unit 0), or -1.
    int UnitAt(int x, int cellChars, int unitsPerRow) const;

    // The first split position, centred and snapped to whole rows of pane 0.
    int InitialSplitY() const;
    // A y snapped to the nearest row boundary of pane 0 (more than half a row rounds up).
    int SnapSplitY(int y) const;
    // Rows a page scroll moves: the rows of the full data area minus one, at least 2 for the page itself.
    int PageRows() const;
};
