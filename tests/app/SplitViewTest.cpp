#include "FrameFixture.h"

#include "settings/CommandIds.h"
#include "view/CColorStsBar.h"
#include "view/CDataPainter.h"
#include "view/CDataView.h"
#include "view/CMainFrame.h"

#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// The split view and the scroll bars around the data area, driven through real commands, mouse events
// and window resizes.
class SplitViewTest : public FrameFixture {
protected:
    // The data area with the view and its scroll bars.
    QWidget* Area() { return View()->parentWidget(); }
    // A widget's rectangle in the view's coordinates.
    QRect InView(QWidget* widget) {
        return QRect(View()->mapFromGlobal(widget->mapToGlobal(QPoint(0, 0))), widget->size());
    }
    int RowHeight() { return View()->Geometry().RowHeight(); }
    QWidget* WidgetBesideTheView(int y) {
        const QPoint at = Area()->mapFromGlobal(View()->mapToGlobal(QPoint(View()->width() + 2, y)));
        return Area()->childAt(at);
    }
    void ExpectBarsFollowTheSplit(const char* when) {
        SCOPED_TRACE(when);
        ASSERT_TRUE(View()->IsSplit());
        const int split = View()->SplitY();
        const QRect pane0 = InView(frame->VScroll(0));
        const QRect pane1 = InView(frame->VScroll(1));
        EXPECT_EQ(pane0.left(), View()->width()) << "beside the data area";
        EXPECT_EQ(pane0.top(), RowHeight()) << "below the header row";
        EXPECT_EQ(pane0.bottom(), split + 2) << "pane 0's bar ends at the split bar";
        EXPECT_TRUE(frame->VScroll(1)->isVisible());
        EXPECT_EQ(pane1.left(), View()->width());
        EXPECT_EQ(pane1.top(), split + 3) << "pane 1's bar starts below it";
        EXPECT_EQ(pane1.bottom(), View()->height() - 1);
        // Beside each pane's rows stands that pane's bar.
        EXPECT_EQ(WidgetBesideTheView(split - 2), frame->VScroll(0));
        EXPECT_EQ(WidgetBesideTheView(split + 8), frame->VScroll(1));
        EXPECT_EQ(WidgetBesideTheView(View()->height() - 3), frame->VScroll(1));
    }
    void DragSplitBarTo(int y) {
        const QPoint press(50, View()->SplitY() + 2);
        QTest::mousePress(View(), Qt::LeftButton, Qt::NoModifier, press);
        QTest::mouseMove(View(), QPoint(50, y));
        QTest::mouseRelease(View(), Qt::LeftButton, Qt::NoModifier, QPoint(50, y));
    }
    void Resize(int width, int height) {
        frame->resize(width, height);
        QApplication::processEvents();
    }
    QString AddressPane() { return frame->StatusBarPanes()->PaneText(CMainFrame::kPaneAddress); }
};

TEST_F(SplitViewTest, EachPanesScrollBarFollowsTheSplitBarAfterEveryRelayout) {
    Open(5000);
    frame->OnCommand(ID_VIEW_2_WINDOW);
    ExpectBarsFollowTheSplit("split");
    const int first = View()->SplitY();

    DragSplitBarTo(first + 4 * RowHeight());
    ASSERT_EQ(View()->SplitY(), first + 4 * RowHeight());
    ExpectBarsFollowTheSplit("split bar dragged down");
    DragSplitBarTo(first - 3 * RowHeight());
    ASSERT_EQ(View()->SplitY(), first - 3 * RowHeight());
    ExpectBarsFollowTheSplit("split bar dragged up");

    Resize(900, 800);
    ExpectBarsFollowTheSplit("window made taller");
    Resize(700, 420);
    ExpectBarsFollowTheSplit("window made shorter");

    // Clicking the lower bar scrolls the lower pane, not the upper one.
    const QRect lower = frame->VScroll(1)->rect();
    QTest::mouseClick(frame->VScroll(1), Qt::LeftButton, Qt::NoModifier,
                      QPoint(lower.center().x(), lower.bottom() - lower.width() - 2));
    EXPECT_GT(View()->TopRow(1), 0u);
    EXPECT_EQ(View()->TopRow(0), 0u);

    frame->OnCommand(ID_VIEW_2_WINDOW);
    EXPECT_FALSE(frame->VScroll(1)->isVisible());
    EXPECT_EQ(InView(frame->VScroll(0)).bottom(), View()->height() - 1) << "unsplit: down to the bottom";
}

TEST_F(SplitViewTest, TheBarsLeaveTheHeaderAndAddressStripsInTheirColours) {
    Open(5000);
    const QRect vertical = InView(frame->VScroll(0));
    const QRect horizontal = InView(frame->HScroll());
    const CViewGeometry& g = View()->Geometry();
    EXPECT_EQ(vertical.top(), RowHeight());
    EXPECT_EQ(horizontal.top(), View()->height());
    EXPECT_EQ(horizontal.left(), 2 * g.leftMargin + g.AddressColumnWidth()) << "right of the address column";
    EXPECT_EQ(horizontal.right(), View()->width() - 1);

    const QImage image = Area()->grab().toImage();
    auto pixel = [&](int x, int y) {
        const QPoint at = Area()->mapFromGlobal(View()->mapToGlobal(QPoint(x, y)));
        return image.pixelColor(at);
    };
    const auto& colors = frame->Settings();
    EXPECT_EQ(pixel(View()->width() + vertical.width() / 2, RowHeight() / 2),
              CDataPainter::Color(colors.bkColor[CDataPainter::kHeader]))
        << "beside the header row";
    EXPECT_EQ(pixel(horizontal.left() / 2, View()->height() + horizontal.height() / 2),
              CDataPainter::Color(colors.bkColor[CDataPainter::kAddress]))
        << "below the address column";
}

TEST_F(SplitViewTest, SplittingAgainGivesPane1ItsOwnPositionAndMakesItCurrentWhenItShowsTheCursor) {
    Open(100000);
    const int rows = View()->PaneRows(0);
    frame->OnCommand(ID_VIEW_2_WINDOW);
    const int pane0Rows = View()->PaneRows(0);
    ASSERT_GT(rows - 2, pane0Rows) << "a row low in the unsplit view is below pane 0 once split";
    const uint64_t cursorRow = 100 + static_cast<uint64_t>(rows) - 2;
    View()->ScrollPane(1, CDataView::kThumb, static_cast<int64_t>(cursorRow) - 1);
    ASSERT_EQ(View()->TopRow(1), cursorRow - 1);
    View()->ScrollPane(0, CDataView::kThumb, 100);
    frame->OnCommand(ID_VIEW_2_WINDOW);
    ASSERT_FALSE(View()->IsSplit());
    ASSERT_EQ(View()->TopRow(0), 100u);

    // The cursor low in the single pane: once split it is below pane 0 but in pane 1.
    View()->MoveCursorTo(0, cursorRow * 16 + 3);
    ASSERT_EQ(View()->TopRow(0), 100u);
    frame->OnCommand(ID_VIEW_2_WINDOW);
    EXPECT_EQ(View()->TopRow(1), cursorRow - 1) << "pane 1 is back where it was";
    EXPECT_EQ(View()->TopRow(0), 100u);
    EXPECT_EQ(frame->Store().CurrentPane(), 1) << "the pane that shows the cursor";
    EXPECT_EQ(frame->Store().Pane(1).cursor, cursorRow * 16 + 3);
    EXPECT_TRUE(View()->IsVisible(1, Cursor()));
    EXPECT_EQ(AddressPane(), QString::asprintf("0x%08X", static_cast<unsigned>(cursorRow * 16 + 3)));

    // Opening other data puts pane 1 back at the top as well.
    Open(100000);
    frame->OnCommand(ID_VIEW_2_WINDOW);
    EXPECT_EQ(View()->TopRow(1), 0u);
}

TEST_F(SplitViewTest, TurningTheSplitOffShowsThePaneThatStays) {
    Open(5000);
    Key(Qt::Key_Down);
    const QString pane0Address = AddressPane();
    const QString pane0Value = frame->NumericBar()->PaneText(0);
    ASSERT_EQ(pane0Address, "0x00000010");
    frame->OnCommand(ID_VIEW_2_WINDOW);
    frame->OnCommand(ID_VIEW_CHANGE_WINDOW);
    ASSERT_EQ(frame->Store().CurrentPane(), 1);
    Key(Qt::Key_Down);
    Key(Qt::Key_Right);
    ASSERT_EQ(AddressPane(), "0x00000021");
    ASSERT_NE(frame->NumericBar()->PaneText(0), pane0Value);

    frame->OnCommand(ID_VIEW_2_WINDOW);
    EXPECT_EQ(frame->Store().CurrentPane(), 0);
    EXPECT_EQ(AddressPane(), pane0Address);
    EXPECT_EQ(frame->NumericBar()->PaneText(0), pane0Value);
}

TEST_F(SplitViewTest, DraggingPastThePaneEdgeScrollsOneRowPerMouseMove) {
    Open(100000);
    const QRect start = CDataPainter::CellRect(View()->Inputs(), View()->View(0), 0, 0x12);
    QTest::mousePress(View(), Qt::LeftButton, Qt::NoModifier, start.center());
    QTest::mouseMove(View(), start.center() + QPoint(40, 0));
    ASSERT_EQ(View()->TopRow(0), 0u);
    const int below = View()->height() + 4;
    for (int move = 1; move <= 3; ++move) {
        QTest::mouseMove(View(), QPoint(start.center().x() + move, below));
        EXPECT_EQ(View()->TopRow(0), static_cast<uint64_t>(move)) << "one row per move";
    }
    // The pointer rests below the pane: nothing keeps scrolling.
    for (QTimer* timer : View()->findChildren<QTimer*>()) {
        EXPECT_FALSE(timer->isActive()) << "a timer would go on scrolling";
    }
    QApplication::processEvents();
    EXPECT_EQ(View()->TopRow(0), 3u);
    EXPECT_EQ(Pane().selAnchor, 0x12u);
    EXPECT_GT(Pane().selEnd, Pane().selAnchor);
    uint64_t first = 0, last = 0, lastUnit = 0;
    View()->VisibleRange(0, first, last, lastUnit);
    EXPECT_EQ(Cursor(), last + 1 - 16) << "the cursor is on the row that came into view";

    QTest::mouseMove(View(), QPoint(start.center().x(), -4));
    EXPECT_EQ(View()->TopRow(0), 2u) << "and back up, one row";
    QTest::mouseRelease(View(), Qt::LeftButton, Qt::NoModifier, QPoint(start.center().x(), -4));
}

} // namespace
