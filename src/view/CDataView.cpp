#include "view/CDataView.h"

#include "view/CColorStsBar.h"
#include "view/CMainFrame.h"

#include <QPainter>

CDataView::CDataView(CMainFrame* frame, QWidget* parent) : QWidget(parent), frame(frame) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void CDataView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), CColorStsBar::ToQColor(frame->Settings().bkColor[0]));
}
