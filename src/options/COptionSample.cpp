#include "options/COptionSample.h"

#include <QFontMetrics>
#include <QPainter>

COptionSample::COptionSample(Qt::Alignment horizontal, QWidget* parent)
    : QWidget(parent), horizontal(horizontal), textColor(Qt::black), background(Qt::white) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void COptionSample::Set(const QString& newText, const QFont& font, const QColor& text, const QColor& back) {
    this->text = newText;
    sampleFont = font;
    textColor = text;
    background = back;
    updateGeometry();
    update();
}

QSize COptionSample::sizeHint() const {
    const QFontMetrics fm(sampleFont);
    return QSize(fm.horizontalAdvance("1234ABCD") + 12, fm.height() + 8);
}

void COptionSample::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect frame = rect().adjusted(0, 0, -1, -1);
    p.fillRect(rect(), background);
    p.setPen(palette().color(QPalette::WindowText));
    p.drawRect(frame);
    p.setFont(sampleFont);
    p.setPen(textColor);
    p.drawText(frame.adjusted(3, 1, -3, -1), static_cast<int>(horizontal | Qt::AlignVCenter), text);
}
