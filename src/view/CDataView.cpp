#include "view/CDataView.h"

#include "data/CNavigator.h"
#include "settings/CommandIds.h"
#include "view/CCursorMover.h"
#include "view/CMainFrame.h"
#include "view/CScrollMapping.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>
#include <tuple>

namespace {
const int kDragThreshold = 10;
const int kWheelRows = 5;
} // namespace

CDataView::CDataView(CMainFrame* frame, QScrollBar* pane0, QScrollBar* pane1, QScrollBar* horizontal,
                     QWidget* parent)
    : QWidget(parent), frame(frame), vScroll{pane0, pane1}, hScroll(horizontal) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_InputMethodEnabled);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setMouseTracking(true);
    for (int pane = 0; pane < 2; ++pane) {
        connect(vScroll[pane], &QScrollBar::actionTriggered, this,
                [this, pane](int action) { OnScrollAction(pane, action); });
    }
    connect(hScroll, &QScrollBar::actionTriggered, this, &CDataView::OnHorizontalAction);
}

uint64_t CDataView::DataSize() const {
    return frame->Store().GetDataSize();
}
PaneSelection& CDataView::Selection(int pane) {
    return frame->Store().Pane(pane);
}
int CDataView::CurrentPane() const {
    return frame->Store().CurrentPane();
}

uint64_t CDataView::TopRow(int pane) const {
    if (pane == 1 && !geometry.IsSplit()) {
        return hiddenTopRow1;
    }
    return topRows[pane == 1 ? 1 : 0];
}

void CDataView::SyncScrollBar(int pane) {
    const int index = pane == 1 ? 1 : 0;
    QScrollBar* bar = vScroll[index];
    const QSignalBlocker block(bar);
    const int position = CScrollMapping::BarFromRow(topRows[index], maxTopRows[index]);
    bar->setValue(position);
    bar->setSliderPosition(position);
}

PaintInputs CDataView::Inputs() const {
    PaintInputs in;
    in.geometry = geometry;
    in.layout = frame->Layout();
    in.textColor = frame->Settings().textColor;
    in.bkColor = frame->Settings().bkColor;
    in.format.littleEndian = frame->LittleEndian();
    in.format.charSet = frame->Settings().charSet;
    in.format.floatWidth = frame->FloatWidth();
    in.format.floatPrecision = frame->FloatPrecision();
    in.decimalAddress = frame->DecimalAddress();
    in.dataSize = DataSize();
    in.currentPane = CurrentPane();
    in.marks = &frame->Store().Marks();
    in.sortedDiffs = &frame->SortedDiffs();
    in.strongData = &frame->Settings().strongData;
    in.dialogCursorMark = frame->DialogCursorMark();
    in.font = frame->DisplayFont();
    in.buttonFace = palette().color(QPalette::Button);
    in.buttonHighlight = palette().color(QPalette::Light);
    in.buttonShadow = palette().color(QPalette::Dark);
    return in;
}

void CDataView::UpdateGeometry() {
    geometry.width = width();
    geometry.height = height();
    geometry.charHeight = frame->CharHeight();
    geometry.hexCharWidth = frame->HexCharWidth();
    geometry.maxCharWidth = frame->MaxCharWidth();
    geometry.addressDigits = CNavigator::AddressDigits(DataSize(), frame->DecimalAddress());
    geometry.hScroll = hScroll->value();
    // The name column is as wide as the widest symbol row name, in the wider character cells, plus a gap.
    const int nameChars = frame->Layout().NameChars();
    geometry.nameColumnWidth = nameChars > 0 ? nameChars * geometry.maxCharWidth + geometry.hexCharWidth : 0;
    frame->Store().SetSplit(geometry.IsSplit());
}

void CDataView::UpdateScrollRanges() {
    const CRowLayout& layout = frame->Layout();
    const uint64_t totalRows = layout.TotalRows(DataSize());
    for (int pane = 0; pane < 2; ++pane) {
        const int rows = geometry.PaneRows(pane);
        QScrollBar* bar = vScroll[pane];
        const QSignalBlocker block(bar);
        if (totalRows > static_cast<uint64_t>(rows) && rows > 0) {
            maxTopRows[pane] = totalRows - static_cast<uint64_t>(rows);
            topRows[pane] = std::min(topRows[pane], maxTopRows[pane]);
            const int barMax = CScrollMapping::BarMaximum(maxTopRows[pane]);
            bar->setRange(0, barMax);
            // The thumb's share of the bar: a page of rows, scaled like the rows (at least one position).
            const uint64_t page = static_cast<uint64_t>(std::max(1, rows - 1));
            bar->setPageStep(std::max(1, CScrollMapping::BarFromRow(page, maxTopRows[pane])));
            bar->setEnabled(true);
        } else {
            maxTopRows[pane] = 0;
            topRows[pane] = 0;
            bar->setRange(0, 0);
            bar->setEnabled(false);
        }
        SyncScrollBar(pane);
    }
    vScroll[1]->setVisible(geometry.IsSplit());
    // The vertical scroll bars stand beside this widget, so its whole width is the data area.
    const int visibleChars =
        geometry.hexCharWidth > 0 ? (width() - geometry.AddressColumnWidth()) / geometry.hexCharWidth : 0;
    // The SYMBOL name column counts in whole address characters, so that the last cell can be scrolled in.
    const int nameChars = geometry.hexCharWidth > 0
                              ? (geometry.nameColumnWidth + geometry.hexCharWidth - 1) / geometry.hexCharWidth
                              : 0;
    const int rowChars = layout.RowChars() + nameChars;
    const QSignalBlocker block(hScroll);
    if (rowChars > visibleChars && visibleChars >= 0 && width() > geometry.AddressColumnWidth()) {
        hScroll->setRange(0, rowChars - visibleChars);
        hScroll->setPageStep(1);
        hScroll->setEnabled(true);
    } else {
        hScroll->setRange(0, 0);
        hScroll->setValue(0);
        hScroll->setEnabled(false);
    }
    geometry.hScroll = hScroll->value();
}

void CDataView::ReadViews() {
    const CRowLayout& layout = frame->Layout();
    for (int pane = 0; pane < 2; ++pane) {
        PaneView& v = views[pane];
        v.rows = geometry.PaneRows(pane);
        v.topRow = TopRow(pane);
        v.firstOffset = layout.Row(v.topRow).start;
        // Rows may differ in length (SYMBOL): read from the top row's start to the end of the last row.
        uint64_t capacity = 0;
        if (v.rows > 0) {
            const uint64_t end = layout.Row(v.topRow + static_cast<uint64_t>(v.rows) - 1).End();
            capacity = end > v.firstOffset ? end - v.firstOffset : 0;
        }
        v.bytes.assign(static_cast<size_t>(capacity), 0);
        v.count = capacity ? frame->Store().ReadData(v.firstOffset, v.bytes.data(), capacity) : 0;
        v.selection = frame->Store().Pane(pane);
        // Strong-data patterns may cross the edges of the view: the bytes just outside it decide them.
        v.edgeBeforeCount = 0;
        v.edgeAfterCount = 0;
        if (!frame->Settings().strongData.empty() && v.rows > 0) {
            const uint64_t before = std::min<uint64_t>(v.firstOffset, v.edgeBefore.size());
            const uint64_t got = frame->Store().ReadData(v.firstOffset - before, v.edgeBefore.data(), before);
            v.edgeBeforeCount = got == before ? static_cast<int>(before) : 0;
            v.edgeAfterCount = static_cast<int>(
                frame->Store().ReadData(v.firstOffset + v.count, v.edgeAfter.data(), v.edgeAfter.size()));
        }
    }
}

void CDataView::Render() {
    if (geometry.IsEmpty() || (deferred && surfaceValid)) {
        return;
    }
    const qreal ratio = devicePixelRatioF();
    if (surface.size() != size() * ratio) {
        surface = QImage(size() * ratio, QImage::Format_RGB32);
        surface.setDevicePixelRatio(ratio);
    }
    ReadViews();
    const PaintInputs in = Inputs();
    painter.PaintAll(surface, in, views);
    const int pane = CurrentPane();
    previous[pane] = views[pane].bytes;
    surfaceValid = true;
}

void CDataView::Relayout() {
    UpdateGeometry();
    UpdateScrollRanges();
    UpdateGeometry();
    RepaintAll();
    emit LayoutChanged();
}

void CDataView::RepaintAll() {
    UpdateGeometry();
    Render();
    update();
}

void CDataView::RefreshChanged() {
    if (deferred) {
        return;
    }
    if (!surfaceValid || geometry.IsEmpty()) {
        RepaintAll();
        return;
    }
    const uint64_t counts[2] = {views[0].count, views[1].count};
    // The bytes just outside each view, which strong data looks at.
    auto edgesOf = [this](int pane) {
        const PaneView& v = views[pane];
        return std::make_tuple(v.edgeBefore, v.edgeBeforeCount, v.edgeAfter, v.edgeAfterCount);
    };
    const decltype(edgesOf(0)) edges[2] = {edgesOf(0), edgesOf(1)};
    ReadViews();
    const PaintInputs in = Inputs();
    QRect changed;
    for (int pane = 0; pane < (geometry.IsSplit() ? 2 : 1); ++pane) {
        if (views[pane].count != counts[pane] || previous[pane].size() != views[pane].bytes.size() ||
            edges[pane] != edgesOf(pane)) {
            RepaintAll();
            return;
        }
        changed |= painter.PaintChanges(surface, in, pane, views[pane], previous[pane]);
        previous[pane] = views[pane].bytes;
    }
    if (!changed.isEmpty()) {
        update(changed);
    }
}

void CDataView::paintEvent(QPaintEvent* event) {
    if (!surfaceValid || surface.size() != size() * devicePixelRatioF()) {
        UpdateGeometry();
        UpdateScrollRanges();
        UpdateGeometry();
        Render();
    }
    QPainter p(this);
    if (geometry.IsEmpty()) {
        return;
    }
    p.drawImage(event->rect(), surface,
                QRectF(QPointF(event->rect().topLeft()) * devicePixelRatioF(),
                       QSizeF(event->rect().size()) * devicePixelRatioF()));
    // The block caret inverts the cursor's cell while the pane has no selection and the window is active.
    const QRect caret = CaretRect();
    if (!caret.isEmpty() && window()->isActiveWindow()) {
        p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        p.fillRect(caret, Qt::white);
    }
    // While the split bar is dragged, an inverted halftone bar shows where it will land.
    if (splitDragging && splitDragY >= 0) {
        p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        p.fillRect(QRect(0, splitDragY, width(), CViewGeometry::kSplitBarHeight),
                   QBrush(Qt::white, Qt::Dense4Pattern));
    }
}

QRect CDataView::CaretRect() const {
    const int pane = CurrentPane();
    const PaneSelection& s = frame->Store().Pane(pane);
    if (s.selAnchor != s.selEnd) {
        return QRect();
    }
    const PaintInputs in = Inputs();
    QRect cell = CDataPainter::CellRect(in, views[pane], pane, s.cursor);
    if (cell.isEmpty()) {
        // The append position after the last byte still shows where typing goes.
        return cell;
    }
    cell.setTop(cell.top() + geometry.lineGap / 2);
    cell.setHeight(geometry.charHeight);
    return cell;
}

void CDataView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    UpdateGeometry();
    if (geometry.IsSplit()) {
        const int r = geometry.RowHeight();
        while (geometry.splitY > geometry.height && r > 0) {
            geometry.splitY -= r;
        }
        if (geometry.splitY < r) {
            geometry.splitY = r;
        }
    }
    UpdateScrollRanges();
    UpdateGeometry();
    const int pane = CurrentPane();
    uint64_t first = 0, last = 0, lastUnit = 0;
    VisibleRange(pane, first, last, lastUnit);
    PaneSelection& s = Selection(pane);
    if (DataSize() > 0 && geometry.PaneRows(pane) > 0 && (s.cursor < first || s.cursor > last) &&
        s.cursor < DataSize()) {
        s.cursor = s.selAnchor = s.selEnd = lastUnit;
    }
    RepaintAll();
    emit LayoutChanged();
    frame->ShowAddressPane();
}

void CDataView::VisibleRange(int pane, uint64_t& first, uint64_t& last, uint64_t& lastUnit) const {
    const CRowLayout& layout = frame->Layout();
    const uint64_t top = TopRow(pane);
    const int rows = std::max(1, geometry.PaneRows(pane));
    first = layout.Row(top).start;
    const RowInfo lastRow = layout.Row(top + static_cast<uint64_t>(rows) - 1);
    last = lastRow.start + lastRow.Bytes() - 1;
    const uint64_t size = DataSize();
    if (size > 0 && last > size - 1) {
        last = size - 1;
    }
    lastUnit = layout.RowOf(last).UnitStart(last);
}

bool CDataView::IsVisible(int pane, uint64_t offset) const {
    uint64_t first = 0, last = 0, lastUnit = 0;
    VisibleRange(pane, first, last, lastUnit);
    return offset >= first && offset <= last;
}

void CDataView::AfterCursorMove() {
    frame->ShowAddressPane();
    update();
}

int CDataView::MoveCursorTo(int pane, uint64_t offset) {
    if (offset > DataSize()) {
        return 0;
    }
    PaneSelection& s = Selection(pane);
    const bool hadSelection = s.selAnchor != s.selEnd;
    s.cursor = offset;
    s.selEnd = offset;
    if (!hadSelection) {
        s.selAnchor = offset;
    } else if (s.selEnd >= s.selAnchor) {
        s.selEnd += static_cast<uint64_t>(frame->Layout().RowOf(offset).unitSize);
    }
    if (frame->DialogCursorMark() != 0xFFFFFFFF) {
        frame->SetDialogCursorMark(offset);
    }
    int repaintedAll = 0;
    if (!IsVisible(pane, offset)) {
        const uint64_t row = frame->Layout().RowIndexOf(offset);
        const uint64_t half = static_cast<uint64_t>(geometry.PaneRows(pane) / 2);
        ScrollToRow(pane, row > half ? row - half : 0);
        repaintedAll = 1;
    } else if (frame->DialogCursorMark() != 0xFFFFFFFF || hadSelection) {
        repaintedAll = 1;
    }
    RepaintAll();
    frame->ShowAddressPane();
    return repaintedAll;
}

void CDataView::ScrollToRow(int pane, uint64_t row) {
    if (pane == 1 && !geometry.IsSplit()) {
        hiddenTopRow1 = row;
        return;
    }
    const int index = pane == 1 ? 1 : 0;
    topRows[index] = std::min(row, maxTopRows[index]);
    SyncScrollBar(index);
}

void CDataView::ScrollPane(int pane, ScrollRequest request, uint64_t thumb) {
    frame->Store().SetCurrentPane(pane);
    // Unsigned row arithmetic that stops at both ends: a row count may reach the data size (BIT rows of one
    // byte), which int64 cannot always hold.
    const uint64_t oldTop = TopRow(pane);
    const uint64_t maxTop = maxTopRows[pane == 1 ? 1 : 0];
    const bool wheel = keyScrollFlag & kWheelScroll;
    const uint64_t page = static_cast<uint64_t>(wheel ? kWheelRows : geometry.PageRows() - 1);
    auto rowsUp = [oldTop](uint64_t rows) { return oldTop > rows ? oldTop - rows : 0; };
    auto rowsDown = [oldTop, maxTop](uint64_t rows) {
        return oldTop < maxTop && maxTop - oldTop > rows ? oldTop + rows : maxTop;
    };
    uint64_t newTop = oldTop;
    switch (request) {
    case kLineUp:
        newTop = rowsUp(1);
        break;
    case kLineDown:
        newTop = rowsDown(1);
        break;
    case kPageUp:
        newTop = rowsUp(page);
        break;
    case kPageDown:
        newTop = rowsDown(page);
        break;
    case kThumb:
        newTop = thumb;
        break;
    }
    newTop = std::min(newTop, maxTop);
    if (newTop == oldTop) {
        return;
    }
    topRows[pane == 1 ? 1 : 0] = newTop;
    SyncScrollBar(pane);
    const CRowLayout& layout = frame->Layout();
    PaneSelection& s = Selection(pane);
    const bool down = newTop > oldTop;
    uint64_t first = 0, last = 0, lastUnit = 0;
    VisibleRange(pane, first, last, lastUnit);
    const uint64_t before = s.cursor;
    if (keyScrollFlag & kDragScroll) {
        if (s.cursor < first || s.cursor > last) {
            s.cursor = down ? lastUnit : first;
        }
    } else if (keyScrollFlag & (kKeyScroll | kWheelScroll)) {
        if (request == kPageUp || request == kPageDown || wheel) {
            const uint64_t cursorRow = layout.RowIndexOf(s.cursor);
            const RowInfo oldRow = layout.Row(cursorRow);
            const uint64_t distance = cursorRow > oldTop ? cursorRow - oldTop : 0;
            const uint64_t lastRow = layout.TotalRows(DataSize()) - 1;
            const uint64_t targetRow = lastRow - newTop > distance ? newTop + distance : lastRow;
            const RowInfo row = layout.Row(targetRow);
            const uint64_t position = s.cursor - oldRow.start;
            uint64_t target = position < row.Bytes() ? row.UnitStart(row.start + position) : row.start;
            s.cursor = std::min(target, DataSize());
        } else if (s.cursor < first || s.cursor > last) {
            s.cursor = down ? first : lastUnit;
        }
    }
    const bool shift = QApplication::keyboardModifiers() & Qt::ShiftModifier;
    if ((keyScrollFlag & kDragScroll) || shift) {
        s.selEnd = s.cursor;
    } else if (s.cursor != before) {
        s.selAnchor = s.selEnd = s.cursor;
    }
    RepaintAll();
    frame->ShowAddressPane();
}

void CDataView::OnScrollAction(int pane, int action) {
    QScrollBar* bar = vScroll[pane];
    const int target = bar->sliderPosition();
    // Undo the bar's own step: the request decides the new top row.
    {
        const QSignalBlocker block(bar);
        bar->setSliderPosition(bar->value());
    }
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
        ScrollPane(pane, kLineDown);
        break;
    case QAbstractSlider::SliderSingleStepSub:
        ScrollPane(pane, kLineUp);
        break;
    case QAbstractSlider::SliderPageStepAdd:
        ScrollPane(pane, kPageDown);
        break;
    case QAbstractSlider::SliderPageStepSub:
        ScrollPane(pane, kPageUp);
        break;
    case QAbstractSlider::SliderMove:
    case QAbstractSlider::SliderToMinimum:
    case QAbstractSlider::SliderToMaximum:
        ScrollPane(pane, kThumb, CScrollMapping::RowFromBar(target, maxTopRows[pane]));
        break;
    default:
        break;
    }
}

void CDataView::OnHorizontalAction(int action) {
    int target = hScroll->sliderPosition();
    const int old = hScroll->value();
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
    case QAbstractSlider::SliderPageStepAdd:
        target = old + 1;
        break;
    case QAbstractSlider::SliderSingleStepSub:
    case QAbstractSlider::SliderPageStepSub:
        target = old - 1;
        break;
    default:
        break;
    }
    target = std::max(hScroll->minimum(), std::min(target, hScroll->maximum()));
    {
        const QSignalBlocker block(hScroll);
        hScroll->setSliderPosition(target);
        hScroll->setValue(target);
    }
    if (target != old) {
        RepaintAll();
    }
}

void CDataView::CursorKey(int key, bool shift) {
    frame->ResetPendingNibble();
    const int pane = CurrentPane();
    PaneSelection& s = Selection(pane);
    const uint64_t old = s.cursor;
    const uint64_t size = DataSize();
    const bool hadSelection = s.selAnchor != s.selEnd;
    uint64_t target = CCursorMover::Move(frame->Layout(), old, size, static_cast<CCursorMover::Key>(key));
    if (shift && !hadSelection && key == CCursorMover::Right) {
        // The first Shift+Right selects the unit under the cursor.
        target = old;
    }
    s.cursor = target;
    uint64_t first = 0, last = 0, lastUnit = 0;
    VisibleRange(pane, first, last, lastUnit);
    if (shift) {
        s.selEnd = target;
        if (s.selEnd >= s.selAnchor && s.selEnd < size) {
            s.selEnd += static_cast<uint64_t>(frame->Layout().RowOf(target).unitSize);
        }
    } else {
        s.selAnchor = s.selEnd = target;
    }
    keyScrollFlag |= kKeyScroll;
    if (target < first) {
        ScrollPane(pane, kLineUp);
    } else if (target > last && target < size) {
        ScrollPane(pane, kLineDown);
    }
    keyScrollFlag &= ~kKeyScroll;
    RepaintAll();
    frame->ShowAddressPane();
}

void CDataView::PageKey(bool down) {
    frame->ResetPendingNibble();
    keyScrollFlag |= kKeyScroll;
    ScrollPane(CurrentPane(), down ? kPageDown : kPageUp);
    keyScrollFlag &= ~kKeyScroll;
    frame->ShowAddressPane();
}

void CDataView::keyPressEvent(QKeyEvent* event) {
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    switch (event->key()) {
    case Qt::Key_Left:
        CursorKey(CCursorMover::Left, shift);
        return;
    case Qt::Key_Right:
        CursorKey(CCursorMover::Right, shift);
        return;
    case Qt::Key_Up:
        CursorKey(CCursorMover::Up, shift);
        return;
    case Qt::Key_Down:
        CursorKey(CCursorMover::Down, shift);
        return;
    case Qt::Key_Home:
        CursorKey(CCursorMover::Home, shift);
        return;
    case Qt::Key_End:
        CursorKey(CCursorMover::End, shift);
        return;
    case Qt::Key_PageUp:
        PageKey(false);
        return;
    case Qt::Key_PageDown:
        PageKey(true);
        return;
    case Qt::Key_Backspace:
        frame->ResetPendingNibble();
        frame->OnBackspaceKey();
        return;
    case Qt::Key_Delete:
        frame->ResetPendingNibble();
        frame->OnDeleteKey();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        frame->ResetPendingNibble();
        QTimer::singleShot(0, frame, [f = frame] { f->OnCommand(ID_WRITE); });
        return;
    case Qt::Key_Escape: {
        frame->ResetPendingNibble();
        frame->OnEscapeKey();
        PaneSelection& s = Selection(CurrentPane());
        if (s.selAnchor != s.selEnd) {
            s.selAnchor = s.selEnd = s.cursor;
            AfterCursorMove();
            RepaintAll();
        }
        return;
    }
    default:
        break;
    }
    const Qt::KeyboardModifiers mods = event->modifiers();
    if (!(mods & (Qt::ControlModifier | Qt::AltModifier)) && !event->text().isEmpty()) {
        frame->OnTypedText(event->text());
        return;
    }
    QWidget::keyPressEvent(event);
}

void CDataView::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Insert && !event->isAutoRepeat() &&
        !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier))) {
        frame->ToggleInsertMode();
        return;
    }
    QWidget::keyReleaseEvent(event);
}

bool CDataView::HitTest(const QPoint& point, int& pane, uint64_t& offset) const {
    pane = geometry.PaneAt(point.y());
    const int row = geometry.RowAt(pane, point.y());
    if (row < 0) {
        return false;
    }
    const RowInfo info = frame->Layout().Row(TopRow(pane) + static_cast<uint64_t>(row));
    const int unit = geometry.UnitAt(point.x(), info.cellChars, info.unitsPerRow);
    if (unit < 0) {
        return false;
    }
    offset = info.start + static_cast<uint64_t>(unit) * info.unitSize;
    return true;
}

void CDataView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const QPoint point = event->position().toPoint();
    mouseDownPoint = point;
    if (geometry.OnSplitBar(point.y())) {
        splitDragging = true;
        splitDragY = geometry.splitY;
        setCursor(Qt::SplitVCursor);
        return;
    }
    const int oldPane = CurrentPane();
    int pane = geometry.PaneAt(point.y());
    frame->Store().SetCurrentPane(pane);
    PaneSelection& s = Selection(pane);
    const bool hasSelection = s.selAnchor != s.selEnd;
    if (!(pane != oldPane && hasSelection)) {
        int hitPane = 0;
        uint64_t offset = 0;
        if (HitTest(point, hitPane, offset) && offset <= DataSize()) {
            s.cursor = s.selAnchor = s.selEnd = offset;
            frame->ShowAddressPane();
        }
    }
    selecting = true;
    RepaintAll();
}

void CDataView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    if (splitDragging) {
        const int r = geometry.RowHeight();
        int y = std::max(r, std::min(point.y(), geometry.height - r));
        splitDragY = geometry.SnapSplitY(y);
        update();
        return;
    }
    if (!(event->buttons() & Qt::LeftButton)) {
        setCursor(geometry.OnSplitBar(point.y()) ? Qt::SplitVCursor : Qt::ArrowCursor);
        return;
    }
    if (!selecting || (point - mouseDownPoint).manhattanLength() < kDragThreshold) {
        return;
    }
    DragStep(point);
}

// One step of a drag selection, made by one mouse move: inside the pane the selection follows the pointer;
// above or below it the pane scrolls one row. Nothing scrolls while the pointer rests.
void CDataView::DragStep(const QPoint& point) {
    const int pane = CurrentPane();
    PaneSelection& s = Selection(pane);
    const CViewGeometry::Rect area = geometry.PaneRect(pane);
    uint64_t first = 0, last = 0, lastUnit = 0;
    VisibleRange(pane, first, last, lastUnit);
    if (point.y() < area.y || point.y() >= area.Bottom()) {
        keyScrollFlag |= kDragScroll;
        if (point.y() < area.y) {
            if (first != 0) {
                s.cursor = first - 1;
            }
            ScrollPane(pane, kLineUp);
        } else {
            const uint64_t size = DataSize();
            s.cursor = std::min(last + 1, size > 0 ? size - 1 : 0);
            ScrollPane(pane, kLineDown);
        }
        keyScrollFlag &= ~kDragScroll;
        frame->ShowAddressPane();
        return;
    }
    int hitPane = 0;
    uint64_t offset = 0;
    if (HitTest(point, hitPane, offset) && hitPane == pane && offset < DataSize()) {
        s.cursor = s.selEnd = offset;
        if (s.selEnd >= s.selAnchor) {
            s.selEnd += static_cast<uint64_t>(frame->Layout().RowOf(offset).unitSize);
        }
        RepaintAll();
        frame->ShowAddressPane();
    }
}

void CDataView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    frame->ResetPendingNibble();
    selecting = false;
    if (splitDragging) {
        splitDragging = false;
        setCursor(Qt::ArrowCursor);
        geometry.splitY = splitDragY;
        Relayout();
    }
}

void CDataView::mouseDoubleClickEvent(QMouseEvent* event) {
    int pane = 0;
    uint64_t offset = 0;
    if (HitTest(event->position().toPoint(), pane, offset) && offset <= DataSize()) {
        frame->OpenWriteDialogAt(offset);
    }
}

void CDataView::wheelEvent(QWheelEvent* event) {
    wheelRemainder += event->angleDelta().y();
    const int pane = geometry.PaneAt(static_cast<int>(event->position().y()));
    while (wheelRemainder >= 120 || wheelRemainder <= -120) {
        const bool forward = wheelRemainder > 0;
        wheelRemainder += forward ? -120 : 120;
        keyScrollFlag |= kWheelScroll;
        ScrollPane(pane, forward ? kPageUp : kPageDown);
        keyScrollFlag &= ~kWheelScroll;
    }
    event->accept();
}

void CDataView::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

void CDataView::inputMethodEvent(QInputMethodEvent* event) {
    if (!event->commitString().isEmpty()) {
        frame->OnTypedText(event->commitString());
    }
    event->accept();
}

QVariant CDataView::inputMethodQuery(Qt::InputMethodQuery query) const {
    if (query == Qt::ImCursorRectangle) {
        QRect caret = CaretRect();
        return caret.isEmpty() ? QRect(0, 0, 1, geometry.charHeight) : caret;
    }
    if (query == Qt::ImEnabled) {
        return true;
    }
    return QWidget::inputMethodQuery(query);
}

void CDataView::ApplyLayout(int oldSize, int oldType) {
    const CRowLayout& layout = frame->Layout();
    const uint64_t size = DataSize();
    uint64_t topOffsets[2] = {0, 0};
    if (oldSize >= 0 && oldType >= 0) {
        // A copy keeps the symbol table, so the SYMBOL rows of the previous layout are found too.
        CRowLayout previousLayout = layout;
        previousLayout.Set(oldSize, oldType, frame->FloatWidth());
        for (int pane = 0; pane < 2; ++pane) {
            topOffsets[pane] = previousLayout.Row(TopRow(pane)).start;
        }
    }
    UpdateGeometry();
    UpdateScrollRanges();
    for (int pane = 0; pane < 2; ++pane) {
        ScrollToRow(pane, layout.RowIndexOf(topOffsets[pane]));
    }
    PaneSelection& s = Selection(CurrentPane());
    uint64_t cursor = std::min(s.cursor, size);
    cursor = layout.RowOf(cursor).UnitStart(cursor);
    s.cursor = s.selAnchor = s.selEnd = cursor;
    RepaintAll();
    frame->ShowAddressPane();
}

void CDataView::ToggleSplit() {
    if (geometry.IsSplit()) {
        Unsplit();
        return;
    }
    UpdateGeometry();
    geometry.splitY = geometry.InitialSplitY();
    frame->Store().SetSplit(true);
    Selection(1).cursor = Selection(0).cursor;
    Selection(1).selAnchor = Selection(1).selEnd = Selection(0).cursor;
    // Pane 1 comes back at its own position, not at pane 0's.
    const uint64_t top1 = hiddenTopRow1;
    UpdateScrollRanges();
    ScrollToRow(1, top1);
    const uint64_t cursor = Selection(0).cursor;
    if (!IsVisible(0, cursor) && IsVisible(1, cursor)) {
        frame->Store().SetCurrentPane(1);
    }
    Relayout();
    frame->ShowAddressPane();
}

void CDataView::Unsplit() {
    if (geometry.IsSplit()) {
        hiddenTopRow1 = TopRow(1);
    }
    frame->Store().SetCurrentPane(0);
    geometry.splitY = -1;
    frame->Store().SetSplit(false);
    Relayout();
    // The address pane and the numeric bar showed the cursor of the pane that may just have gone.
    frame->ShowAddressPane();
}

void CDataView::ChangeWindow() {
    if (!geometry.IsSplit()) {
        return;
    }
    frame->Store().SetCurrentPane(1 - CurrentPane());
    RepaintAll();
    frame->ShowAddressPane();
}
