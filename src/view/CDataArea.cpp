#include "view/CDataArea.h"

#include "view/CDataPainter.h"
#include "view/CDataView.h"

#include <QPainter>
#include <QScrollBar>
#include <algorithm>

namespace {
// The split bar is 5 pixels high: pane 0's scroll bar ends in its middle, pane 1's starts just below.
constexpr int kPane0BarEnd = 3;
} // namespace

CDataArea::CDataArea(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void CDataArea::SetParts(CDataView* view, QScrollBar* pane0, QScrollBar* pane1, QScrollBar* horizontal) {
    view_ = view;
    vScroll_[0] = pane0;
    vScroll_[1] = pane1;
    hScroll_ = horizontal;
    for (QWidget* part : {static_cast<QWidget*>(view), static_cast<QWidget*>(pane0),
                          static_cast<QWidget*>(pane1), static_cast<QWidget*>(horizontal)}) {
        if (part->parentWidget() != this) {
            part->setParent(this);
        }
    }
    connect(view, &CDataView::LayoutChanged, this, &CDataArea::PlaceParts);
    PlaceParts();
}

int CDataArea::BarWidth() const {
    return vScroll_[0] != nullptr ? vScroll_[0]->sizeHint().width() : 0;
}

int CDataArea::BarHeight() const {
    return hScroll_ != nullptr ? hScroll_->sizeHint().height() : 0;
}

int CDataArea::ViewWidth() const {
    return std::max(0, width() - BarWidth());
}

int CDataArea::ViewHeight() const {
    return std::max(0, height() - BarHeight());
}

void CDataArea::PlaceParts() {
    if (view_ == nullptr) {
        return;
    }
    const int viewWidth = ViewWidth();
    const int viewHeight = ViewHeight();
    if (view_->pos() != QPoint(0, 0) || view_->size() != QSize(viewWidth, viewHeight)) {
        // The view's resize relayouts it, which places the bars again with the new geometry.
        view_->setGeometry(0, 0, viewWidth, viewHeight);
    }
    const CViewGeometry& g = view_->Geometry();
    const int header = std::min(g.RowHeight(), viewHeight);
    const int barWidth = BarWidth();
    if (g.IsSplit()) {
        const int split = std::clamp(g.splitY + kPane0BarEnd, header, viewHeight);
        vScroll_[0]->setGeometry(viewWidth, header, barWidth, split - header);
        vScroll_[1]->setGeometry(viewWidth, split, barWidth, viewHeight - split);
    } else {
        vScroll_[0]->setGeometry(viewWidth, header, barWidth, viewHeight - header);
    }
    vScroll_[1]->setVisible(g.IsSplit());
    // The horizontal bar leaves the address column its strip, as the address column below the header.
    const int addressEnd = std::min(2 * g.leftMargin + g.AddressColumnWidth(), viewWidth);
    hScroll_->setGeometry(addressEnd, viewHeight, viewWidth - addressEnd, BarHeight());
    update(QRegion(HeaderStrip()) + AddressStrip() + Corner());
}

QRect CDataArea::HeaderStrip() const {
    const int header = view_ != nullptr ? std::min(view_->Geometry().RowHeight(), ViewHeight()) : 0;
    return QRect(ViewWidth(), 0, BarWidth(), header);
}

QRect CDataArea::AddressStrip() const {
    return QRect(0, ViewHeight(), hScroll_ != nullptr ? hScroll_->x() : 0, BarHeight());
}

QRect CDataArea::Corner() const {
    return QRect(ViewWidth(), ViewHeight(), BarWidth(), BarHeight());
}

void CDataArea::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    PlaceParts();
}

void CDataArea::paintEvent(QPaintEvent*) {
    if (view_ == nullptr) {
        return;
    }
    const PaintInputs in = view_->Inputs();
    QPainter p(this);
    p.fillRect(HeaderStrip(), CDataPainter::Color(in.bkColor[CDataPainter::kHeader]));
    p.fillRect(AddressStrip(), CDataPainter::Color(in.bkColor[CDataPainter::kAddress]));
    p.fillRect(Corner(), palette().color(QPalette::Button));
}
