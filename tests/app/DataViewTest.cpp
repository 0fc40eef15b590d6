#include "FrameFixture.h"

#include "settings/CommandIds.h"
#include "view/CCmdRadioButton.h"
#include "view/CColorStsBar.h"
#include "view/CDataPainter.h"
#include "view/CDataView.h"
#include "view/CMainFrame.h"
#include "view/CMyDialogBar.h"

#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class DataViewTest : public FrameFixture {
protected:
    void ClickSize(int index) {
        QTest::mousePress(frame->SizeTypeBar()->SizeButton(index), Qt::LeftButton);
        QApplication::processEvents();
    }
    void ClickType(int index) {
        QTest::mousePress(frame->SizeTypeBar()->TypeButton(index), Qt::LeftButton);
        QApplication::processEvents();
    }
    QColor PixelAt(const QRect& cell) {
        const QImage image = View()->grab().toImage();
        return image.pixelColor(cell.left() + 1, cell.top() + 1);
    }
    QRect Cell(uint64_t offset) {
        return CDataPainter::CellRect(View()->Inputs(), View()->View(0), 0, offset);
    }
};

TEST_F(DataViewTest, ShiftArrowsSelectWholeUnits) {
    Open(100);
    Key(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(Pane().cursor, 0u);
    EXPECT_EQ(Pane().selAnchor, 0u);
    EXPECT_EQ(Pane().selEnd, 1u);
    Key(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(Pane().cursor, 1u);
    EXPECT_EQ(Pane().selEnd, 2u);
    Key(Qt::Key_Escape);
    EXPECT_EQ(Pane().selAnchor, Pane().selEnd);

    // Shift+Left from a fresh cursor selects from the new cursor up to the anchor, anchor excluded.
    Key(Qt::Key_Right);
    Key(Qt::Key_Right);
    const uint64_t anchor = Pane().cursor;
    Key(Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(Pane().selAnchor, anchor);
    EXPECT_EQ(Pane().selEnd, anchor - 1);
    EXPECT_EQ(Pane().cursor, anchor - 1);
}

TEST_F(DataViewTest, EndGoesToTheAppendPositionOnAShortRow) {
    Open(10);
    Key(Qt::Key_End);
    EXPECT_EQ(Pane().cursor, 10u);
    Key(Qt::Key_Right);
    EXPECT_EQ(Pane().cursor, 10u);
    EXPECT_EQ(frame->StatusBarPanes()->PaneText(CMainFrame::kPaneAddress), "0x0000000A");
}

TEST_F(DataViewTest, PageDownScrollsOneRowLessThanAPageAndKeepsTheCursorDistance) {
    Open(100000);
    const int rows = View()->PaneRows(0);
    ASSERT_GT(rows, 4);
    Key(Qt::Key_Down);
    Key(Qt::Key_Down);
    Key(Qt::Key_Right);
    const uint64_t before = Pane().cursor;
    Key(Qt::Key_PageDown);
    EXPECT_EQ(View()->TopRow(0), static_cast<uint64_t>(rows - 1));
    EXPECT_EQ(Pane().cursor, before + static_cast<uint64_t>(rows - 1) * 16);
    Key(Qt::Key_PageUp);
    EXPECT_EQ(View()->TopRow(0), 0u);
    EXPECT_EQ(Pane().cursor, before);
}

TEST_F(DataViewTest, AWheelNotchScrollsFiveRowsAndTheCursorMovesWithIt) {
    Open(100000);
    Key(Qt::Key_Down);
    const uint64_t before = Pane().cursor;
    const QPoint at(100, 100);
    QWheelEvent wheel(at, View()->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(View(), &wheel);
    EXPECT_EQ(View()->TopRow(0), 5u);
    EXPECT_EQ(Pane().cursor, before + 5 * 16);
}

TEST_F(DataViewTest, ChangingTheUnitSizeAlignsTheCursorAndHidesTypes) {
    Open(100);
    for (int i = 0; i < 0x13; ++i) {
        Key(Qt::Key_Right);
    }
    ASSERT_EQ(Pane().cursor, 0x13u);
    ClickSize(2); // 4BYTES
    EXPECT_EQ(frame->Layout().SizeIndex(), 2);
    EXPECT_EQ(Pane().cursor, 0x10u);
    ClickSize(0);
    ClickType(5); // 1BYTE TEXT
    ClickSize(3); // 8BYTES: only BIT, HEX, FLOAT; FLOAT is remembered for it
    EXPECT_EQ(frame->SizeTypeBar()->TypeIndex(), 4);
    EXPECT_FALSE(frame->SizeTypeBar()->IsTypeVisible(2));
    EXPECT_FALSE(frame->SizeTypeBar()->IsTypeVisible(5));
    ClickSize(0);
    EXPECT_EQ(frame->SizeTypeBar()->TypeIndex(), 5); // the type last used with 1BYTE
}

TEST_F(DataViewTest, SelectionColoursWinOverMarksButHalfUnitsStayUncoloured) {
    Open(64);
    const auto& colors = frame->Settings();
    const QColor select = CDataPainter::Color(colors.bkColor[3]);
    const QColor mark = CDataPainter::Color(colors.bkColor[4]);
    const QColor data = CDataPainter::Color(colors.bkColor[0]);
    frame->Store().AddMark(2);
    frame->Store().AddMark(40);
    Pane().selAnchor = 1;
    Pane().selEnd = 4;
    View()->RepaintAll();
    EXPECT_EQ(PixelAt(Cell(2)), select);
    EXPECT_EQ(PixelAt(Cell(40)), mark);
    EXPECT_EQ(PixelAt(Cell(20)), data);

    ClickSize(1); // 2BYTES HEX
    Pane().selAnchor = 3;
    Pane().selEnd = 8; // covers half of the unit 2..3
    View()->RepaintAll();
    EXPECT_EQ(PixelAt(Cell(2)), mark);
    EXPECT_EQ(PixelAt(Cell(4)), select);
    EXPECT_EQ(PixelAt(Cell(10)), data);
}

TEST_F(DataViewTest, MouseClickAndDragSelect) {
    Open(200);
    const QRect first = Cell(0x12);
    QTest::mouseClick(View(), Qt::LeftButton, Qt::NoModifier, first.center());
    EXPECT_EQ(Pane().cursor, 0x12u);
    const QRect target = Cell(0x25);
    QTest::mousePress(View(), Qt::LeftButton, Qt::NoModifier, first.center());
    QMouseEvent move(QEvent::MouseMove, target.center(), View()->mapToGlobal(target.center()), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(View(), &move);
    QTest::mouseRelease(View(), Qt::LeftButton, Qt::NoModifier, target.center());
    EXPECT_EQ(Pane().selAnchor, 0x12u);
    EXPECT_EQ(Pane().selEnd, 0x26u);
    EXPECT_EQ(Pane().cursor, 0x25u);
}

TEST_F(DataViewTest, SplitGivesTwoPanesAndChangeWindowSwitches) {
    Open(5000);
    frame->OnCommand(ID_VIEW_2_WINDOW);
    ASSERT_TRUE(View()->IsSplit());
    EXPECT_TRUE(frame->VScroll(1)->isVisible());
    EXPECT_GT(View()->PaneRows(1), 0);
    const int before = frame->Store().CurrentPane();
    frame->OnCommand(ID_VIEW_CHANGE_WINDOW);
    EXPECT_NE(frame->Store().CurrentPane(), before);
    frame->OnCommand(ID_VIEW_2_WINDOW);
    EXPECT_FALSE(View()->IsSplit());
    EXPECT_EQ(frame->Store().CurrentPane(), 0);
}

TEST_F(DataViewTest, JumpEndScrollsTheLastByteIntoTheMiddle) {
    Open(100000);
    frame->OnCommand(ID_JUMP_END);
    EXPECT_EQ(Pane().cursor, 99999u);
    EXPECT_TRUE(View()->IsVisible(0, 99999));
    frame->OnCommand(ID_JUMP_TOP);
    EXPECT_EQ(Pane().cursor, 0u);
    EXPECT_EQ(View()->TopRow(0), 0u);
}

TEST_F(DataViewTest, NumericBarShowsTheValuesAtTheCursor) {
    const std::string bytes("\xFF\x7F\x00\x00\x00\x00\xF0\x3F", 8);
    const std::string path = env.exeDir + "/num.bin";
    TestEnvironment::WriteFile(path, bytes + bytes);
    ASSERT_TRUE(frame->OpenFile(QString::fromStdString(path), false));
    EXPECT_EQ(frame->NumericBar()->PaneText(0), "S :  32767");
    EXPECT_EQ(frame->NumericBar()->PaneText(1), "US : 32767");
    frame->OnCommand(ID_BIG_ENDIAN);
    EXPECT_EQ(frame->NumericBar()->PaneText(0), "S :   -129");
    EXPECT_EQ(frame->NumericBar()->PaneText(1), "US : 65407");
    frame->OnCommand(ID_LITTLE_ENDIAN);
    // Three bytes before the end only the 2-byte values exist.
    for (int i = 0; i < 13; ++i) {
        Key(Qt::Key_Right);
    }
    ASSERT_EQ(Pane().cursor, 13u);
    EXPECT_FALSE(frame->NumericBar()->PaneText(0).isEmpty());
    EXPECT_TRUE(frame->NumericBar()->PaneText(2).isEmpty());
    EXPECT_TRUE(frame->NumericBar()->PaneText(5).isEmpty());
}

TEST_F(DataViewTest, DecimalAddressesChangeTheStatusPane) {
    Open(300);
    Key(Qt::Key_Down);
    frame->OnCommand(ID_ADDRESS_DEC);
    EXPECT_EQ(frame->StatusBarPanes()->PaneText(CMainFrame::kPaneAddress), "16");
    frame->OnCommand(ID_ADDRESS_HEX);
    EXPECT_EQ(frame->StatusBarPanes()->PaneText(CMainFrame::kPaneAddress), "0x00000010");
    EXPECT_EQ(frame->StatusBarPanes()->PaneText(CMainFrame::kPaneSize), "300 bytes");
}

} // namespace

namespace {

TEST_F(DataViewTest, RefreshRedrawsOnlyTheCellsWhoseBytesChanged) {
    Open(256);
    const PaintInputs in = View()->Inputs();
    PaneView view = View()->View(0);
    const std::vector<unsigned char> before = view.bytes;
    view.bytes[0x23] ^= 0xFF;
    QImage image = View()->Surface().copy();
    CDataPainter painter;
    const QRect changed = painter.PaintChanges(image, in, 0, view, before);
    const QRect cell = CDataPainter::CellRect(in, view, 0, 0x23);
    const QRect text = CDataPainter::TextCellRect(in, view, 0, 0x23);
    EXPECT_TRUE(changed.contains(cell));
    EXPECT_TRUE(changed.contains(text));
    EXPECT_FALSE(changed.intersects(CDataPainter::CellRect(in, view, 0, 0x13)));
    EXPECT_FALSE(changed.intersects(CDataPainter::CellRect(in, view, 0, 0x33)));
    EXPECT_TRUE(painter.PaintChanges(image, in, 0, view, view.bytes).isEmpty());
}

} // namespace

namespace {

TEST_F(DataViewTest, DraggingTheSplitBarShowsWhereItLandsAndSnapsToRows) {
    Open(5000);
    frame->OnCommand(ID_VIEW_2_WINDOW);
    ASSERT_TRUE(View()->IsSplit());
    const int rowHeight = View()->Geometry().RowHeight();
    const int from = View()->SplitY() + 2;
    const QPoint press(50, from);
    const QPoint target(50, View()->SplitY() + 2 * rowHeight + rowHeight / 3);
    const QImage before = View()->grab().toImage();
    QTest::mousePress(View(), Qt::LeftButton, Qt::NoModifier, press);
    QMouseEvent move(QEvent::MouseMove, target, View()->mapToGlobal(target), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(View(), &move);
    const QImage during = View()->grab().toImage();
    const int expected = View()->Geometry().SnapSplitY(target.y());
    EXPECT_NE(during.pixelColor(10, expected + 1), before.pixelColor(10, expected + 1));
    QTest::mouseRelease(View(), Qt::LeftButton, Qt::NoModifier, target);
    EXPECT_EQ(View()->SplitY(), expected);
    EXPECT_EQ((View()->SplitY() - rowHeight) % rowHeight, 0);
}

} // namespace

namespace {

TEST_F(DataViewTest, FloatFormatsAreClampedAndRebuilt) {
    EXPECT_EQ(frame->FloatFormatE(), "%20.3le");
    EXPECT_EQ(frame->FloatFormatF(), "%20.3lf");
    frame->SetFloatFormat(20, 25);
    EXPECT_EQ(frame->FloatWidth(), 20);
    EXPECT_EQ(frame->FloatPrecision(), 19);
    EXPECT_EQ(frame->FloatFormatE(), "%20.19le");
    frame->SetFloatFormat(30, 5);
    EXPECT_EQ(frame->FloatWidth(), 20);
    EXPECT_EQ(frame->FloatFormatF(), "%20.5lf");
}

} // namespace

namespace {

TEST_F(DataViewTest, NarrowAreaScrollsHorizontallyOneCharacterAtATime) {
    Open(64);
    LogFont large = frame->Settings().displayFont;
    large.height = -40;
    frame->SetDisplayFont(large);
    frame->resize(320, 400);
    QApplication::processEvents();
    QScrollBar* bar = frame->HScroll();
    ASSERT_TRUE(bar->isEnabled());
    const int visible =
        (View()->width() - View()->Geometry().AddressColumnWidth()) / View()->Geometry().hexCharWidth;
    EXPECT_EQ(bar->maximum(), frame->Layout().RowChars() - visible);
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(bar->value(), 1);
    EXPECT_EQ(View()->Geometry().hScroll, 1);
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(bar->value(), 0);
    frame->SetDisplayFont(frame->Settings().displayFont);
    EXPECT_FALSE(bar->isEnabled());
}

} // namespace
