#pragma once

#include <array>
#include <cstdint>
#include <functional>

// A rectangle in device pixels: left and top inside, right and bottom just outside.
struct PageRect {
    int64_t left = 0;
    int64_t top = 0;
    int64_t right = 0;
    int64_t bottom = 0;

    int64_t Width() const { return right - left; }
    int64_t Height() const { return bottom - top; }
    bool operator==(const PageRect& other) const {
        return left == other.left && top == other.top && right == other.right && bottom == other.bottom;
    }
};

// What a printer tells about its page, in its own pixels: resolution, the whole sheet, where the printable
// area starts on it, and the printable area in pixels and millimetres.
struct PrinterCaps {
    double dpiX = 600;
    double dpiY = 600;
    int64_t physicalWidth = 0;
    int64_t physicalHeight = 0;
    int64_t offsetX = 0;
    int64_t offsetY = 0;
    int64_t horzRes = 0;
    int64_t vertRes = 0;
    double horzSizeMm = 0;
    double vertSizeMm = 0;
};

// What the screen tells: resolution and size in pixels and millimetres.
struct ScreenCaps {
    double dpiX = 96;
    double dpiY = 96;
    int64_t widthPixels = 0;
    int64_t heightPixels = 0;
    double widthMm = 0;
    double heightMm = 0;

    // Pixels per millimetre; from the resolution when the size in millimetres is unknown.
    double PixelsPerMmX() const;
    double PixelsPerMmY() const;
};

// Page margins (left, top, right, bottom) in millimetres from the printable area's edges, and the extra
// space between lines in tenths of a millimetre.
struct PageMargins {
    std::array<int, 4> margin{{10, 10, 10, 10}};
    int betweenLine = 5;
};

// The result of one geometry computation. For printing every rectangle is in printer pixels; for the preview
// in screen pixels. The lines per page are always counted in printer pixels.
struct PageGeometry {
    PageRect pageRect;
    PageRect printArea;
    PageRect marginRect;
    // Pixels per millimetre of the device the rectangles are in.
    double mmX = 0;
    double mmY = 0;
    // Screen-to-printer ratios: the screen-sized print font divided by these gives the printer's font.
    double hX = 1;
    double hY = 1;
    // Height of one text line of the printer's font, in printer pixels.
    int64_t lineHeight = 0;
    int64_t linesPerPage = 0;
};

// Measures the line height, in printer pixels, of the print font scaled by 1/hX and 1/hY.
using LineHeightMeasure = std::function<int64_t(double hX, double hY)>;

// The page rectangle, printable area and margin rectangle for printing (preview false: printer pixels) or for
// the preview (screen pixels), the millimetre scales, the font ratios and the lines that fit on a page.
// Margins and line spacing below 0 count as 0; a margin rectangle without height holds no line.
PageGeometry ComputePageGeometry(const PrinterCaps& printer, const ScreenCaps& screen, bool preview,
                                 const PageMargins& margins, const LineHeightMeasure& lineHeight);

// Bit 0 of the print flags: the title line; bit 1: the page number.
constexpr int32_t kPrintTitle = 1;
constexpr int32_t kPrintPageNumber = 2;

// Lines kept at the top and bottom of every page.
int HeaderLines(int32_t printFlags);
int FooterLines(int32_t printFlags);
// Data rows on a page; 0 when the header and footer leave no line for data.
int64_t RowsPerPage(int64_t linesPerPage, int headerLines, int footerLines);
// Pages for a number of rows: at least 1, also when a page holds no data row.
int64_t PageCountFor(uint64_t rows, int64_t rowsPerPage);
// The page that holds a row (0-based); 0 when a page holds no data row.
int64_t PageOfRow(uint64_t row, int64_t rowsPerPage);
// The first row of a page (0-based page index).
uint64_t FirstRowOfPage(int64_t pageIndex, int64_t rowsPerPage);
