#include "view/CCmdButton.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

CCmdButton::CCmdButton(const QString& text, QWidget* parent)
    : QAbstractButton(parent), textColor(palette().color(QPalette::ButtonText)),
      bkColor(palette().color(QPalette::Button)) {
    setText(text);
    setFocusPolicy(Qt::NoFocus);
}

CCmdButton::~CCmdButton() = default;

void CCmdButton::SetCheck(bool check) {
    checkedState = check;
    update();
}

void CCmdButton::SetColors(const QColor& text, const QColor& background) {
    textColor = text;
    bkColor = background;
    update();
}

void CCmdButton::SetButtonIcon(const QIcon& icon, int spacing) {
    buttonIcon = icon;
    iconSpacing = spacing;
    update();
}

QSize CCmdButton::sizeHint() const {
    QFontMetrics fm(font());
    int w = fm.horizontalAdvance(text()) + 12;
    int h = fm.height() + 8;
    if (!buttonIcon.isNull()) {
        h += 16 + iconSpacing;
    }
    return QSize(w, h);
}

void CCmdButton::paintEvent(QPaintEvent*) {
    // Drawn off-screen first, then copied in one block.
    QPixmap surface(size() * devicePixelRatioF());
    surface.setDevicePixelRatio(devicePixelRatioF());
    QPainter p(&surface);
    const QRect r = rect();
    const bool disabledLook = !isEnabled() && (styleFlags & kDisabledLook);
    const bool sunken = checkedState || isDown();
    p.fillRect(r, bkColor);
    const QColor light = palette().color(QPalette::Light);
    const QColor shadow = palette().color(QPalette::Dark);
    if (disabledLook) {
        p.setPen(shadow);
        p.drawRect(r.adjusted(0, 0, -1, -1));
    } else {
        p.setPen(sunken ? shadow : light);
        p.drawLine(r.topLeft(), r.topRight());
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.setPen(sunken ? light : shadow);
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomRight());
    }
    QRect content = r.adjusted(2, 2, -2, -2);
    if (sunken) {
        content.translate(1, 1);
    }
    if (!buttonIcon.isNull()) {
        QFontMetrics fm(font());
        int total = 16 + iconSpacing + fm.height();
        int top = content.top() + (content.height() - total) / 2;
        buttonIcon.paint(&p, QRect(content.left() + (content.width() - 16) / 2, top, 16, 16));
        content.setTop(top + 16 + iconSpacing);
    }
    p.setPen(isEnabled() ? textColor : palette().color(QPalette::Disabled, QPalette::ButtonText));
    p.setFont(font());
    if (textOffset >= 0) {
        p.drawText(content.adjusted(textOffset, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, text());
    } else {
        p.drawText(content, Qt::AlignCenter, text());
    }
    p.end();
    QPainter screen(this);
    screen.drawPixmap(0, 0, surface);
}

void CCmdButton::mousePressEvent(QMouseEvent* event) {
    if (notifyMessage != 0 && event->button() == Qt::LeftButton) {
        emit MouseNotify(notifyMessage, true);
    }
    QAbstractButton::mousePressEvent(event);
}

void CCmdButton::mouseReleaseEvent(QMouseEvent* event) {
    if (notifyMessage != 0 && event->button() == Qt::LeftButton) {
        emit MouseNotify(notifyMessage, false);
    }
    QAbstractButton::mouseReleaseEvent(event);
}
