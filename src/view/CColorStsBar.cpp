#include "view/CColorStsBar.h"

#include <QPainter>
#include <algorithm>

namespace {
const int kMargin = 4;
const int kGap = 2;
} // namespace

CColorStsBar::CColorStsBar(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QColor CColorStsBar::ToQColor(uint32_t bgr) {
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

void CColorStsBar::SetPanes(const std::vector<QString>& sizingTexts) {
    panes.clear();
    for (const QString& s : sizingTexts) {
        Pane p;
        p.sizingText = s;
        panes.push_back(p);
    }
    updateGeometry();
    update();
}

void CColorStsBar::SetPaneText(int pane, const QString& text) {
    if (pane < 0 || pane >= PaneCount() || panes[pane].text == text) {
        return;
    }
    const int oldWidth = PaneRect(pane).width();
    panes[pane].text = text;
    if (PaneRect(pane).width() != oldWidth) {
        // A text wider than the sizing text widens its pane and moves the panes after it.
        updateGeometry();
        update();
        return;
    }
    update(PaneRect(pane));
}

QString CColorStsBar::PaneText(int pane) const {
    return pane >= 0 && pane < PaneCount() ? panes[pane].text : QString();
}

void CColorStsBar::SetPaneColors(int pane, uint32_t textColor, uint32_t bkColor) {
    if (pane < 0 || pane >= PaneCount()) {
        return;
    }
    panes[pane].textColor = textColor;
    panes[pane].bkColor = bkColor;
    update(PaneRect(pane));
}

uint32_t CColorStsBar::PaneTextColor(int pane) const {
    return pane >= 0 && pane < PaneCount() ? panes[pane].textColor : kDefaultColor;
}

uint32_t CColorStsBar::PaneBkColor(int pane) const {
    return pane >= 0 && pane < PaneCount() ? panes[pane].bkColor : kDefaultColor;
}

void CColorStsBar::SetPaneAlignment(int pane, int alignment) {
    if (pane >= 0 && pane < PaneCount()) {
        panes[pane].alignment = alignment;
        update(PaneRect(pane));
    }
}

QRect CColorStsBar::PaneRect(int pane) const {
    QFontMetrics fm(font());
    int x = kGap;
    for (int i = 0; i < PaneCount(); ++i) {
        int w = std::max(fm.horizontalAdvance(panes[i].sizingText), fm.horizontalAdvance(panes[i].text)) +
                2 * kMargin;
        if (i == pane) {
            return QRect(x, 1, w, height() - 2);
        }
        x += w + kGap;
    }
    return QRect();
}

QSize CColorStsBar::sizeHint() const {
    QFontMetrics fm(font());
    QRect last = PaneRect(PaneCount() - 1);
    return QSize(last.right() + kGap, fm.height() + 6);
}

QSize CColorStsBar::minimumSizeHint() const {
    return QSize(0, QFontMetrics(font()).height() + 6);
}

void CColorStsBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    for (int i = 0; i < PaneCount(); ++i) {
        const Pane& pane = panes[i];
        QRect r = PaneRect(i);
        bool custom = !(pane.textColor == kDefaultColor && pane.bkColor == kDefaultColor);
        QColor bk = (custom && pane.bkColor != kDefaultColor) ? ToQColor(pane.bkColor)
                                                              : palette().color(QPalette::Button);
        QColor fg = (custom && pane.textColor != kDefaultColor) ? ToQColor(pane.textColor)
                                                                : palette().color(QPalette::ButtonText);
        p.fillRect(r, bk);
        p.setPen(palette().color(QPalette::Dark));
        p.drawRect(r.adjusted(0, 0, -1, -1));
        if (!isEnabled()) {
            continue;
        }
        p.setPen(fg);
        int align = pane.alignment == 1   ? Qt::AlignHCenter
                    : pane.alignment == 2 ? Qt::AlignRight
                                          : Qt::AlignLeft;
        p.drawText(r.adjusted(kMargin, 0, -kMargin, 0), align | Qt::AlignVCenter, pane.text);
    }
}
