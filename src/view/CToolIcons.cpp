#include "view/CToolIcons.h"

#include "settings/CommandIds.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

const QColor kInk(30, 30, 30);
const QColor kBlue(20, 70, 200);
const QColor kYellow(235, 190, 40);
const QColor kPaper(250, 250, 250);
const QColor kRed(200, 30, 30);
const QColor kGreen(20, 140, 60);

void Page(QPainter& p, int x, int y, int w, int h) {
    p.setPen(kInk);
    p.setBrush(kPaper);
    p.drawRect(x, y, w, h);
    p.drawLine(x + 2, y + 3, x + w - 2, y + 3);
    p.drawLine(x + 2, y + 5, x + w - 2, y + 5);
}

void Arrow(QPainter& p, QPointF from, QPointF to, const QColor& color) {
    p.setPen(QPen(color, 2));
    p.drawLine(from, to);
    QLineF line(to, from);
    QLineF a = line;
    a.setLength(4);
    a.setAngle(line.angle() + 35);
    QLineF b = line;
    b.setLength(4);
    b.setAngle(line.angle() - 35);
    p.drawLine(a);
    p.drawLine(b);
}

void Magnifier(QPainter& p, const QColor& glass) {
    p.setPen(QPen(kInk, 1.5));
    p.setBrush(glass);
    p.drawEllipse(QRectF(1.5, 1.5, 8, 8));
    p.setPen(QPen(kInk, 2.5));
    p.drawLine(QPointF(8.5, 8.5), QPointF(13.5, 13.5));
}

void Flag(QPainter& p, const QColor& color) {
    p.setPen(QPen(kInk, 1));
    p.drawLine(3, 1, 3, 14);
    p.setBrush(color);
    p.drawPolygon(QPolygon({QPoint(4, 1), QPoint(13, 4), QPoint(4, 8)}));
}

void Letter(QPainter& p, const QString& text, QRect rect, const QColor& color) {
    QFont f = p.font();
    f.setPixelSize(8);
    f.setBold(true);
    p.setFont(f);
    p.setPen(color);
    p.drawText(rect, Qt::AlignCenter, text);
}

void Draw(QPainter& p, int command) {
    switch (command) {
    case ID_FILE_OPEN:
        p.setPen(kInk);
        p.setBrush(kYellow);
        p.drawPolygon(QPolygon(
            {QPoint(1, 4), QPoint(6, 4), QPoint(7, 5), QPoint(13, 5), QPoint(13, 13), QPoint(1, 13)}));
        p.setBrush(kYellow.lighter(130));
        p.drawPolygon(QPolygon({QPoint(3, 8), QPoint(15, 8), QPoint(13, 13), QPoint(1, 13)}));
        break;
    case ID_FILE_SAVE:
        p.setPen(kInk);
        p.setBrush(kBlue);
        p.drawRect(1, 1, 13, 13);
        p.setBrush(kPaper);
        p.drawRect(4, 1, 7, 5);
        p.drawRect(3, 9, 9, 5);
        break;
    case ID_CUT:
        p.setPen(QPen(kInk, 1.5));
        p.drawLine(4, 1, 10, 10);
        p.drawLine(11, 1, 5, 10);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(1.5, 9.5, 4, 4));
        p.drawEllipse(QRectF(9.5, 9.5, 4, 4));
        break;
    case ID_COPY:
        Page(p, 1, 1, 8, 9);
        Page(p, 6, 4, 8, 10);
        break;
    case ID_PASTE:
        p.setPen(kInk);
        p.setBrush(QColor(170, 110, 50));
        p.drawRect(1, 2, 10, 12);
        p.setBrush(Qt::lightGray);
        p.drawRect(4, 1, 4, 2);
        Page(p, 7, 6, 7, 8);
        break;
    case ID_UNDO: {
        p.setPen(QPen(kBlue, 2));
        QPainterPath path(QPointF(13, 12));
        path.cubicTo(QPointF(13, 3), QPointF(5, 3), QPointF(3, 7));
        p.drawPath(path);
        p.drawLine(QPointF(3, 7), QPointF(2, 3));
        p.drawLine(QPointF(3, 7), QPointF(7, 7));
        break;
    }
    case ID_REDO: {
        p.setPen(QPen(kBlue, 2));
        QPainterPath path(QPointF(2, 12));
        path.cubicTo(QPointF(2, 3), QPointF(10, 3), QPointF(12, 7));
        p.drawPath(path);
        p.drawLine(QPointF(12, 7), QPointF(13, 3));
        p.drawLine(QPointF(12, 7), QPointF(8, 7));
        break;
    }
    case ID_JUMP_TOP:
        p.setPen(QPen(kInk, 2));
        p.drawLine(2, 2, 13, 2);
        Arrow(p, QPointF(7.5, 14), QPointF(7.5, 4), kGreen);
        break;
    case ID_JUMP_END:
        p.setPen(QPen(kInk, 2));
        p.drawLine(2, 13, 13, 13);
        Arrow(p, QPointF(7.5, 1), QPointF(7.5, 11), kGreen);
        break;
    case ID_JUMP_TO:
        Arrow(p, QPointF(1, 7.5), QPointF(13, 7.5), kGreen);
        Letter(p, "0x", QRect(0, 0, 10, 7), kInk);
        break;
    case ID_SYMBOL_SEARCH:
        Magnifier(p, QColor(200, 255, 200));
        Letter(p, "S", QRect(1, 1, 9, 9), kInk);
        break;
    case ID_SYMBOL_SEARCH_FORWARD:
        Magnifier(p, QColor(200, 255, 200));
        Arrow(p, QPointF(15, 9), QPointF(15, 1), kGreen);
        break;
    case ID_SYMBOL_SEARCH_BACKWARD:
        Magnifier(p, QColor(200, 255, 200));
        Arrow(p, QPointF(15, 1), QPointF(15, 9), kGreen);
        break;
    case ID_SEARCH:
        Magnifier(p, QColor(200, 230, 255));
        break;
    case ID_SEARCH_FORWARD:
        Magnifier(p, QColor(200, 230, 255));
        Arrow(p, QPointF(15, 9), QPointF(15, 1), kBlue);
        break;
    case ID_SEARCH_BACKWARD:
        Magnifier(p, QColor(200, 230, 255));
        Arrow(p, QPointF(15, 1), QPointF(15, 9), kBlue);
        break;
    case ID_MARK_TOGGLE:
        Flag(p, QColor(255, 0, 255));
        break;
    case ID_MARK_NEXT:
        Flag(p, QColor(255, 0, 255));
        Arrow(p, QPointF(11, 7), QPointF(11, 14), kRed);
        break;
    case ID_MARK_PREV:
        Flag(p, QColor(255, 0, 255));
        Arrow(p, QPointF(11, 14), QPointF(11, 7), kRed);
        break;
    default:
        break;
    }
}

} // namespace

QIcon CToolIcons::Icon(int command) {
    QIcon icon;
    for (int scale : {1, 2}) {
        QPixmap pixmap(16 * scale, 15 * scale);
        pixmap.setDevicePixelRatio(scale);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing, true);
        Draw(p, command);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
