#include "print/PageGeometry.h"

#include <gtest/gtest.h>

namespace {

// A 600 dpi printer whose printable area is 4800 x 6600 pixels in 203 x 279 mm, starting 150 pixels in from
// the left and top edges of a 5100 x 6900 pixel sheet.
PrinterCaps LetterPrinter() {
    PrinterCaps p;
    p.dpiX = 600;
    p.dpiY = 600;
    p.physicalWidth = 5100;
    p.physicalHeight = 6900;
    p.offsetX = 150;
    p.offsetY = 150;
    p.horzRes = 4800;
    p.vertRes = 6600;
    p.horzSizeMm = 203;
    p.vertSizeMm = 279;
    return p;
}

ScreenCaps Screen96() {
    ScreenCaps s;
    s.dpiX = 96;
    s.dpiY = 96;
    s.widthPixels = 1920;
    s.heightPixels = 1080;
    s.widthMm = 1920 * 25.4 / 96;
    s.heightMm = 1080 * 25.4 / 96;
    return s;
}

LineHeightMeasure FixedLineHeight(int64_t pixels) {
    return [pixels](double, double) { return pixels; };
}

TEST(PageGeometry, ThePrinterExampleFitsFiftyFourLinesAndFortyNineRows) {
    PageMargins margins; // 10 mm each, 0.5 mm between lines
    double seenHX = 0;
    double seenHY = 0;
    const PageGeometry g =
        ComputePageGeometry(LetterPrinter(), Screen96(), false, margins, [&](double hX, double hY) {
            seenHX = hX;
            seenHY = hY;
            return int64_t{100};
        });
    EXPECT_NEAR(g.mmY, 23.66, 0.01);
    EXPECT_NEAR(g.mmX, 23.65, 0.01);
    EXPECT_EQ(g.marginRect.top, 236);
    EXPECT_EQ(g.marginRect.bottom, 6364);
    EXPECT_EQ(g.marginRect.Height(), 6128);
    EXPECT_EQ(g.marginRect.left, 236);
    EXPECT_EQ(g.marginRect.right, 4800 - 236);
    EXPECT_EQ(g.printArea, (PageRect{0, 0, 4800, 6600}));
    EXPECT_EQ(g.pageRect, g.printArea);
    EXPECT_EQ(g.linesPerPage, 54);
    EXPECT_EQ(RowsPerPage(g.linesPerPage, HeaderLines(3), FooterLines(3)), 49);
    // The font is scaled from the screen's resolution to the printer's.
    EXPECT_DOUBLE_EQ(seenHX, 96.0 / 600.0);
    EXPECT_DOUBLE_EQ(seenHY, 96.0 / 600.0);
}

TEST(PageGeometry, ThePreviewIsInScreenPixelsButCountsLinesInPrinterPixels) {
    PageMargins margins;
    const PageGeometry g =
        ComputePageGeometry(LetterPrinter(), Screen96(), true, margins, FixedLineHeight(100));
    EXPECT_EQ(g.pageRect, (PageRect{0, 0, 816, 1104}));
    EXPECT_EQ(g.printArea, (PageRect{24, 24, 24 + 768, 24 + 1056}));
    // 10 mm at the screen's 96 / 25.4 pixels per millimetre.
    EXPECT_EQ(g.marginRect, (PageRect{24 + 37, 24 + 37, 24 + 768 - 37, 24 + 1056 - 37}));
    EXPECT_NEAR(g.mmX, 96 / 25.4, 1e-9);
    EXPECT_EQ(g.linesPerPage, 54);
}

TEST(PageGeometry, MarginsAndLineSpacingChangeTheLinesOfAPage) {
    struct Case {
        std::array<int, 4> margin;
        int betweenLine;
        int64_t lineHeight;
        int64_t lines;
    };
    const Case cases[] = {
        {{10, 10, 10, 10}, 5, 100, 54},  {{10, 10, 10, 10}, 0, 100, 61}, // 6128 / 100
        {{0, 0, 0, 0}, 0, 100, 66},                                      // the whole printable area
        {{10, 50, 10, 50}, 5, 100, 37},                                  // 6600 - 2 * 1182 = 4236 pixels
        {{10, 140, 10, 140}, 5, 100, 0},                                 // the margins meet: no line at all
        {{10, 10, 10, 10}, 5, 7000, 0},                                  // one line is taller than the page
        {{-5, -5, -5, -5}, -3, 100, 66},                                 // below zero counts as zero
    };
    for (const Case& c : cases) {
        PageMargins m;
        m.margin = c.margin;
        m.betweenLine = c.betweenLine;
        const PageGeometry g =
            ComputePageGeometry(LetterPrinter(), Screen96(), false, m, FixedLineHeight(c.lineHeight));
        EXPECT_EQ(g.linesPerPage, c.lines) << c.margin[1] << " mm, line " << c.lineHeight;
    }
}

TEST(PageGeometry, PagesOfAThousandBytes) {
    // 1000 bytes in the 1-byte unit are 63 rows of 16 bytes.
    EXPECT_EQ(PageCountFor(63, 49), 2);
    EXPECT_EQ(FirstRowOfPage(1, 49), 49u);
    EXPECT_EQ(FirstRowOfPage(1, 49) * 16, 784u);
    EXPECT_EQ(PageOfRow(62, 49), 1);
    EXPECT_EQ(PageOfRow(48, 49), 0);
    EXPECT_EQ(PageCountFor(49, 49), 1);
    EXPECT_EQ(PageCountFor(50, 49), 2);
    EXPECT_EQ(PageCountFor(245, 49), 5);
}

TEST(PageGeometry, APageWithoutRoomForRowsIsStillOnePage) {
    EXPECT_EQ(HeaderLines(3), 3);
    EXPECT_EQ(FooterLines(3), 2);
    EXPECT_EQ(HeaderLines(0), 2);
    EXPECT_EQ(FooterLines(0), 0);
    EXPECT_EQ(RowsPerPage(4, 3, 2), 0);
    EXPECT_EQ(RowsPerPage(0, 3, 2), 0);
    EXPECT_EQ(PageCountFor(1000000, 0), 1);
    EXPECT_EQ(PageOfRow(1000000, 0), 0);
    EXPECT_EQ(FirstRowOfPage(3, 0), 0u);
    // The empty view still shows one row, and prints one page.
    EXPECT_EQ(PageCountFor(1, 49), 1);
}

TEST(PageGeometry, AFontScaleWithoutResolutionsStaysOne) {
    PrinterCaps p = LetterPrinter();
    p.dpiX = 0;
    p.horzSizeMm = 0;
    const PageGeometry g = ComputePageGeometry(p, Screen96(), false, PageMargins(), FixedLineHeight(100));
    EXPECT_DOUBLE_EQ(g.hX, 1);
    EXPECT_GT(g.mmX, 0);
    EXPECT_GT(g.marginRect.Width(), 0);
}

} // namespace
