#include "FrameFixture.h"

#include "view/CCmdRadioButton.h"
#include "view/CDataPainter.h"
#include "view/CDataView.h"
#include "view/CMainFrame.h"
#include "view/CMyDialogBar.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

namespace {

constexpr uint32_t kStrongText = 0x00FF00;
constexpr uint32_t kStrongBk = 0x0080FF;
constexpr uint32_t kOtherBk = 0x808000;

ColorValueRecord Pattern(uint32_t value, int size, uint32_t bk = kStrongBk) {
    ColorValueRecord r;
    r.value = value;
    r.mask = 0xFFFFFFFF;
    r.size = static_cast<uint8_t>(size);
    r.textColor = kStrongText;
    r.bkColor = bk;
    return r;
}

class StrongDataPaintTest : public FrameFixture {
protected:
    void Show(const CColorValue& list) {
        frame->Settings().strongData = list;
        View()->RepaintAll();
        image = View()->grab().toImage();
    }
    QRect Cell(uint64_t offset) {
        return CDataPainter::CellRect(View()->Inputs(), View()->View(0), 0, offset);
    }
    // The cell's own background (its top edge, above any glyph) and the gap that follows it.
    QColor CellColour(uint64_t offset) {
        const QRect c = Cell(offset);
        return image.pixelColor(c.left() + 1, c.top() + 1);
    }
    QColor GapColour(uint64_t offset) {
        const QRect c = Cell(offset);
        return image.pixelColor(c.right() + 1 + frame->HexCharWidth() / 2, c.top() + 1);
    }
    QColor TextCellColour(uint64_t offset) {
        const QRect c = CDataPainter::TextCellRect(View()->Inputs(), View()->View(0), 0, offset);
        return image.pixelColor(c.left() + 1, c.top() + 1);
    }
    QColor Strong() const { return CDataPainter::Color(kStrongBk); }
    QColor Data() const { return CDataPainter::Color(frame->Settings().bkColor[0]); }

    QImage image;
};

TEST_F(StrongDataPaintTest, ASingleBytePatternColoursEachByteAndLeavesEveryGap) {
    Open({0x00, 0xFF, 0xFF, 0x00});
    Show({Pattern(0xFF, 1)});
    for (uint64_t at : {1, 2}) {
        EXPECT_EQ(CellColour(at), Strong()) << at;
        EXPECT_EQ(GapColour(at), Data()) << "each byte is the last of its own occurrence: " << at;
    }
    EXPECT_EQ(CellColour(3), Data());
    EXPECT_EQ(TextCellColour(2), Strong());
}

TEST_F(StrongDataPaintTest, ATwoBytePatternIsOneBand) {
    Open({0x00, 0x11, 0x22, 0x00});
    Show({Pattern(0x2211, 2)});
    EXPECT_EQ(CellColour(1), Strong());
    EXPECT_EQ(GapColour(1), Strong());
    EXPECT_EQ(CellColour(2), Strong());
    EXPECT_EQ(GapColour(2), Data());
    EXPECT_EQ(GapColour(0), Data());
}

TEST_F(StrongDataPaintTest, APatternCrossingTheTopOfTheViewIsFound) {
    // 0xA1 0xB2 at offsets 15 and 16, and the view starting at row 1 (offset 16).
    Bytes bytes(64 * 16, 0);
    bytes[15] = 0xA1;
    bytes[16] = 0xB2;
    bytes[40] = 0xB2; // the second byte alone does not match
    Open(bytes);
    View()->ScrollToRow(0, 1);
    Show({Pattern(0xB2A1, 2)});
    ASSERT_EQ(View()->View(0).firstOffset, 16u);
    EXPECT_EQ(CellColour(16), Strong());
    EXPECT_EQ(CellColour(40), Data());
}

TEST_F(StrongDataPaintTest, MarksAndSelectionAreDrawnOverStrongData) {
    Open({0x00, 0x33, 0x33, 0x33, 0x33, 0x00});
    frame->Store().AddMark(2);
    Pane().cursor = Pane().selAnchor = 4;
    Pane().selEnd = 5;
    Show({Pattern(0x33, 1, kOtherBk)});
    EXPECT_EQ(CellColour(1), CDataPainter::Color(kOtherBk));
    EXPECT_EQ(CellColour(2), CDataPainter::Color(frame->Settings().bkColor[4]));
    EXPECT_EQ(CellColour(4), CDataPainter::Color(frame->Settings().bkColor[3]));
}

TEST_F(StrongDataPaintTest, OnlyOneByteHexShowsStrongData) {
    Open({0x00, 0x44, 0x44, 0x00});
    Show({Pattern(0x44, 1)});
    ASSERT_EQ(CellColour(1), Strong());
    QTest::mousePress(frame->SizeTypeBar()->SizeButton(1), Qt::LeftButton); // 2BYTES
    QApplication::processEvents();
    Show({Pattern(0x44, 1)});
    EXPECT_EQ(CellColour(2), Data()); // the unit 44 00 (the cursor's unit shows the caret)
}

TEST_F(StrongDataPaintTest, AnEmptyListColoursNothing) {
    Open({0xFF, 0xFF});
    Show({});
    EXPECT_EQ(CellColour(1), Data());
    EXPECT_EQ(View()->View(0).edgeAfterCount, 0);
}

} // namespace
