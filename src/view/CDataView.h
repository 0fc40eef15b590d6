#pragma once

#include "view/CDataPainter.h"
#include "view/CViewGeometry.h"

#include <QImage>
#include <QPoint>
#include <QWidget>

class CMainFrame;
class QScrollBar;

// The data area: draws the rows of both panes through an off-screen image, keeps the cursor visible, and
// turns keys, mouse, wheel and scroll-bar requests into cursor, selection and scroll changes.
class CDataView : public QWidget {
    Q_OBJECT
public:
    enum ScrollRequest { kLineUp, kLineDown, kPageUp, kPageDown, kThumb };
    static constexpr int kKeyScroll = 1;
    static constexpr int kDragScroll = 2;
    static constexpr int kWheelScroll = 4;

    CDataView(CMainFrame* frame, QScrollBar* pane0, QScrollBar* pane1, QScrollBar* horizontal,
              QWidget* parent = nullptr);

    // Recomputes the geometry, the view buffers and the scroll ranges, then repaints everything.
    void Relayout();
    // Draws everything again (after any change of data, colours or format).
    void RepaintAll();
    // The refresh of DLL and shared-memory data: redraws only the cells whose bytes changed.
    void RefreshChanged();

    // Moves a pane's cursor to an offset, extending a selection when there is one, and scrolls the offset's
    // row into the middle of the pane when it is not visible. 0 when refused (beyond the data size) or when
    // only the cursor cells were repainted, 1 when everything was repainted.
    int MoveCursorTo(int pane, uint64_t offset);
    // A cursor key or cursor command, with or without Shift.
    void CursorKey(int key, bool shift);
    void PageKey(bool down);
    // Applies a new unit size and type, keeping each pane's top row on the same data.
    void ApplyLayout(int oldSize, int oldType);
    void ToggleSplit();
    void ChangeWindow();
    bool IsSplit() const { return geometry.IsSplit(); }
    int SplitY() const { return geometry.splitY; }
    void Unsplit();
    // While deferred, the data is being changed by another thread: nothing is read, the last picture stays.
    void SetDeferred(bool on) { deferred = on; }
    bool IsDeferred() const { return deferred; }

    // Top row (scroll position) of a pane. Pane 1 keeps its own while the view is not split.
    uint64_t TopRow(int pane) const;
    int PaneRows(int pane) const { return geometry.PaneRows(pane); }
    // First visible offset, last visible offset and start of the last visible unit of a pane.
    void VisibleRange(int pane, uint64_t& first, uint64_t& last, uint64_t& lastUnit) const;
    bool IsVisible(int pane, uint64_t offset) const;
    // A vertical scroll request; for kThumb, thumb is the new top row.
    void ScrollPane(int pane, ScrollRequest request, uint64_t thumb = 0);
    void ScrollToRow(int pane, uint64_t row);
    // Hit test: the offset under a point, or false.
    bool HitTest(const QPoint& point, int& pane, uint64_t& offset) const;

    const CViewGeometry& Geometry() const { return geometry; }
    PaintInputs Inputs() const;
    const PaneView& View(int pane) const { return views[pane == 1 ? 1 : 0]; }
    QRect CaretRect() const;
    const QImage& Surface() const { return surface; }

signals:
    // The geometry changed (size, split bar, address column, row height): the scroll bars follow it.
    void LayoutChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

private:
    void UpdateGeometry();
    void UpdateScrollRanges();
    void ReadViews();
    void Render();
    void OnScrollAction(int pane, int action);
    // Shows a pane's top row on its scroll bar (scaled when the rows exceed the bar's range).
    void SyncScrollBar(int pane);
    void OnHorizontalAction(int action);
    void DragStep(const QPoint& point);
    void AfterCursorMove();
    uint64_t DataSize() const;
    PaneSelection& Selection(int pane);
    int CurrentPane() const;

    CMainFrame* frame;
    QScrollBar* vScroll[2];
    QScrollBar* hScroll;
    CViewGeometry geometry;
    // Each pane's top row and its largest value: the scroll bars only show them, so that data of any size
    // scrolls to its last row.
    uint64_t topRows[2] = {0, 0};
    uint64_t maxTopRows[2] = {0, 0};
    PaneView views[2];
    std::vector<unsigned char> previous[2];
    QImage surface;
    CDataPainter painter;
    bool surfaceValid = false;
    int keyScrollFlag = 0;
    QPoint mouseDownPoint;
    bool selecting = false;
    bool splitDragging = false;
    int splitDragY = -1;
    // Pane 1's top row while it is hidden, given back when the view is split again.
    uint64_t hiddenTopRow1 = 0;
    int wheelRemainder = 0;
    bool deferred = false;
};
