#include "print/PageGeometry.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kMmPerInch = 25.4;

// Pixels per millimetre of a length given in both, or from the resolution when the millimetres are unknown.
double Scale(double pixels, double mm, double dpi) {
    if (mm > 0 && pixels > 0) {
        return pixels / mm;
    }
    return dpi > 0 ? dpi / kMmPerInch : 96 / kMmPerInch;
}

int64_t Truncate(double value) {
    if (!(value > -9.0e18 && value < 9.0e18)) {
        return 0;
    }
    return static_cast<int64_t>(value);
}

PageRect Shrink(const PageRect& area, const PageMargins& m, double mmX, double mmY) {
    auto margin = [&m](int i) { return std::max(0, m.margin[static_cast<size_t>(i)]); };
    return PageRect{area.left + Truncate(margin(0) * mmX), area.top + Truncate(margin(1) * mmY),
                    area.right - Truncate(margin(2) * mmX), area.bottom - Truncate(margin(3) * mmY)};
}

} // namespace

double ScreenCaps::PixelsPerMmX() const {
    return Scale(static_cast<double>(widthPixels), widthMm, dpiX);
}

double ScreenCaps::PixelsPerMmY() const {
    return Scale(static_cast<double>(heightPixels), heightMm, dpiY);
}

PageGeometry ComputePageGeometry(const PrinterCaps& printer, const ScreenCaps& screen, bool preview,
                                 const PageMargins& margins, const LineHeightMeasure& lineHeight) {
    PageGeometry g;
    const double mmX = Scale(static_cast<double>(printer.horzRes), printer.horzSizeMm, printer.dpiX);
    const double mmY = Scale(static_cast<double>(printer.vertRes), printer.vertSizeMm, printer.dpiY);
    const PageRect area{0, 0, printer.horzRes, printer.vertRes};
    const PageRect marginRect = Shrink(area, margins, mmX, mmY);

    g.hX = printer.dpiX > 0 && screen.dpiX > 0 ? screen.dpiX / printer.dpiX : 1;
    g.hY = printer.dpiY > 0 && screen.dpiY > 0 ? screen.dpiY / printer.dpiY : 1;

    if (preview) {
        g.pageRect =
            PageRect{0, 0, Truncate(printer.physicalWidth * g.hX), Truncate(printer.physicalHeight * g.hY)};
        g.printArea.left = Truncate(printer.offsetX * g.hX);
        g.printArea.top = Truncate(printer.offsetY * g.hY);
        g.printArea.right = g.printArea.left + Truncate(printer.horzRes * g.hX);
        g.printArea.bottom = g.printArea.top + Truncate(printer.vertRes * g.hY);
        g.mmX = screen.PixelsPerMmX();
        g.mmY = screen.PixelsPerMmY();
        g.marginRect = Shrink(g.printArea, margins, g.mmX, g.mmY);
    } else {
        g.pageRect = area;
        g.printArea = area;
        g.marginRect = marginRect;
        g.mmX = mmX;
        g.mmY = mmY;
    }

    g.lineHeight = std::max<int64_t>(lineHeight ? lineHeight(g.hX, g.hY) : 1, 1);
    // Always in printer pixels, so that the preview shows the pages the printer would print.
    const double pitch = std::max(0, margins.betweenLine) * mmY / 10 + static_cast<double>(g.lineHeight);
    const int64_t height = marginRect.Height();
    g.linesPerPage = height > 0 ? Truncate(static_cast<double>(height) / pitch) : 0;
    return g;
}

int HeaderLines(int32_t printFlags) {
    return 2 + ((printFlags & kPrintTitle) ? 1 : 0);
}

int FooterLines(int32_t printFlags) {
    return (printFlags & kPrintPageNumber) ? 2 : 0;
}

int64_t RowsPerPage(int64_t linesPerPage, int headerLines, int footerLines) {
    return std::max<int64_t>(linesPerPage - headerLines - footerLines, 0);
}

int64_t PageCountFor(uint64_t rows, int64_t rowsPerPage) {
    if (rowsPerPage < 1 || rows == 0) {
        return 1;
    }
    const auto perPage = static_cast<uint64_t>(rowsPerPage);
    const uint64_t pages = rows / perPage + (rows % perPage != 0 ? 1 : 0);
    return static_cast<int64_t>(std::min<uint64_t>(pages, INT64_MAX));
}

int64_t PageOfRow(uint64_t row, int64_t rowsPerPage) {
    if (rowsPerPage < 1) {
        return 0;
    }
    return static_cast<int64_t>(row / static_cast<uint64_t>(rowsPerPage));
}

uint64_t FirstRowOfPage(int64_t pageIndex, int64_t rowsPerPage) {
    if (pageIndex <= 0 || rowsPerPage < 1) {
        return 0;
    }
    const auto page = static_cast<uint64_t>(pageIndex);
    const auto perPage = static_cast<uint64_t>(rowsPerPage);
    return page > UINT64_MAX / perPage ? UINT64_MAX : page * perPage;
}
