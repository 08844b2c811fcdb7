// Drawing of the toolbar images and the program icon on a 16-unit grid.
#include "resources/ToolBarIcons.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>

namespace {

const QColor kInk(40, 40, 60);
const QColor kPage(255, 255, 255);
const QColor kHead(80, 110, 190);
const QColor kRed(210, 40, 40);
const QColor kGreen(30, 150, 60);

// A calendar page: white sheet with a blue head band.
void DrawPage(QPainter& p) {
    p.setPen(QPen(kInk, 0.8));
    p.setBrush(kPage);
    p.drawRect(QRectF(1.5, 2.5, 13, 12));
    p.setBrush(kHead);
    p.drawRect(QRectF(1.5, 2.5, 13, 3));
}

void DrawDay(QPainter& p) {
    DrawPage(p);
    QFont f;
    f.setPixelSize(8);
    f.setBold(true);
    p.setFont(f);
    p.setPen(kInk);
    p.drawText(QRectF(1.5, 5.5, 13, 9), Qt::AlignCenter, QStringLiteral("1"));
}

void DrawWeek(QPainter& p) {
    DrawPage(p);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 7; ++i) {
        p.setBrush(i == 0 ? kRed : (i == 6 ? kHead : kInk));
        p.drawRect(QRectF(2.5 + i * 1.6, 8, 1.1, 4));
    }
}

void DrawMonth(QPainter& p) {
    DrawPage(p);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 5; ++col)
            p.drawRect(QRectF(3 + col * 2.2, 7 + row * 2.4, 1.4, 1.4));
}

void DrawList(QPainter& p) {
    for (int i = 0; i < 4; ++i) {
        double y = 3 + i * 3.3;
        p.setPen(Qt::NoPen);
        p.setBrush(kHead);
        p.drawEllipse(QRectF(1.5, y, 2.2, 2.2));
        p.setPen(QPen(kInk, 1.4));
        p.drawLine(QPointF(5.5, y + 1.1), QPointF(14.5, y + 1.1));
    }
}

void DrawMap(QPainter& p) {
    p.setPen(QPen(QColor(150, 170, 210), 0.7));
    for (int i = 0; i < 4; ++i) {
        p.drawLine(QPointF(1, 3 + i * 3.5), QPointF(15, 3 + i * 3.5));
        p.drawLine(QPointF(2 + i * 4, 1.5), QPointF(2 + i * 4, 15));
    }
    QPainterPath pin;
    pin.moveTo(8, 14.5);
    pin.cubicTo(4, 9, 4.5, 3, 8, 3);
    pin.cubicTo(11.5, 3, 12, 9, 8, 14.5);
    p.setPen(QPen(kInk, 0.8));
    p.setBrush(kRed);
    p.drawPath(pin);
    p.setBrush(kPage);
    p.drawEllipse(QPointF(8, 6.5), 1.5, 1.5);
}

void DrawToday(QPainter& p) {
    DrawPage(p);
    p.setPen(QPen(kRed, 1.4));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(8, 10), 3.3, 3.0);
    p.setPen(Qt::NoPen);
    p.setBrush(kRed);
    p.drawEllipse(QPointF(8, 10), 1.2, 1.2);
}

void DrawNew(QPainter& p) {
    p.setPen(QPen(kInk, 0.8));
    p.setBrush(kPage);
    p.drawRect(QRectF(2.5, 1.5, 9, 12));
    p.setPen(QPen(kGreen, 2.2, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(11.5, 7.5), QPointF(11.5, 15));
    p.drawLine(QPointF(7.75, 11.25), QPointF(15.25, 11.25));
}

void DrawDelete(QPainter& p) {
    p.setPen(QPen(kRed, 2.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
    p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
}

void DrawFind(QPainter& p) {
    p.setPen(QPen(kInk, 1.6));
    p.setBrush(QColor(210, 225, 250));
    p.drawEllipse(QPointF(6.5, 6.5), 4.2, 4.2);
    p.setPen(QPen(kInk, 2.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(9.7, 9.7), QPointF(14, 14));
}

using Drawer = void (*)(QPainter&);

Drawer DrawerOf(int image) {
    switch (image) {
    case 4:
        return DrawNew;
    case 5:
        return DrawDelete;
    case 6:
        return DrawFind;
    case 11:
        return DrawDay;
    case 12:
        return DrawWeek;
    case 13:
        return DrawMonth;
    case 14:
        return DrawList;
    case 15:
        return DrawMap;
    case 16:
        return DrawToday;
    default:
        return nullptr;
    }
}

// Drawn at the screen's device pixel ratio, so that the images stay sharp at 2×.
QPixmap OnGrid(int size, Drawer draw) {
    qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
    int device = qRound(size * ratio);
    QPixmap pixmap(device, device);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(size / 16.0, size / 16.0);
    draw(p);
    return pixmap;
}

} // namespace

QPixmap ToolBarImage(int image, int size) {
    Drawer draw = DrawerOf(image);
    if (!draw) {
        QPixmap empty(size, size);
        empty.fill(Qt::transparent);
        return empty;
    }
    return OnGrid(size, draw);
}
