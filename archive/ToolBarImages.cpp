#include "archive/ToolBarImages.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace archive {
namespace {

const QColor kOutline(0x40, 0x40, 0x40);
const QColor kPaper(0xFF, 0xFF, 0xFF);
const QColor kBlue(0x00, 0x40, 0xC0);
const QColor kLightBlue(0x60, 0x90, 0xE0);
const QColor kYellow(0xFF, 0xD0, 0x00);
const QColor kGreen(0x00, 0x90, 0x20);
const QColor kBrown(0x8B, 0x4A, 0x14);

// A sheet of paper with a folded top-right corner, 11 x 14 at (x, 1).
void drawPage(QPainter& p, int x) {
    QPolygon sheet;
    sheet << QPoint(x, 1) << QPoint(x + 8, 1) << QPoint(x + 11, 4) << QPoint(x + 11, 14)
          << QPoint(x, 14);
    p.setPen(kOutline);
    p.setBrush(kPaper);
    p.drawPolygon(sheet);
    p.drawLine(x + 8, 1, x + 8, 4);
    p.drawLine(x + 8, 4, x + 11, 4);
}

// Three horizontal bars, the middle one shorter on the arrow's side.
void drawBars(QPainter& p, bool arrowLeft) {
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    const int x = arrowLeft ? 6 : 1;
    p.drawRect(x, 2, 9, 3);
    p.drawRect(x, 7, 9, 3);
    p.drawRect(x, 12, 9, 3);
    p.setBrush(kLightBlue);
    p.drawRect(x + 1, 3, 7, 1);
    p.drawRect(x + 1, 8, 7, 1);
    p.drawRect(x + 1, 13, 7, 1);
}

void drawArrow(QPainter& p, bool pointsLeft) {
    QPolygonF arrow;
    if (pointsLeft)
        arrow << QPointF(0.5, 8.5) << QPointF(5.5, 3.5) << QPointF(5.5, 6.5) << QPointF(9.5, 6.5)
              << QPointF(9.5, 10.5) << QPointF(5.5, 10.5) << QPointF(5.5, 13.5);
    else
        arrow << QPointF(15.5, 8.5) << QPointF(10.5, 3.5) << QPointF(10.5, 6.5) << QPointF(6.5, 6.5)
              << QPointF(6.5, 10.5) << QPointF(10.5, 10.5) << QPointF(10.5, 13.5);
    p.setPen(QPen(QColor(0x80, 0x60, 0x00), 1));
    p.setBrush(kYellow);
    p.drawPolygon(arrow);
}

void drawAdd(QPainter& p) {
    drawPage(p, 1);
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawRect(10, 6, 2, 9); // vertical stroke of the plus
    p.drawRect(7, 9, 8, 2);  // horizontal stroke
}

void drawLens(QPainter& p) {
    drawPage(p, 1);
    p.setPen(QPen(kOutline, 1));
    p.setBrush(QColor(0xC0, 0xE0, 0xFF));
    p.drawEllipse(QRectF(6.5, 6.5, 6, 6));
    p.setPen(QPen(kBrown, 2));
    p.drawLine(QPointF(12, 12), QPointF(15, 15));
}

void drawPrinter(QPainter& p) {
    p.setPen(kOutline);
    p.setBrush(kPaper);
    p.drawRect(4, 1, 8, 5); // paper in the feeder
    p.setBrush(QColor(0xA0, 0xA0, 0xA0));
    p.drawRect(1, 6, 14, 6); // body
    p.setBrush(QColor(0x60, 0x60, 0x60));
    p.drawRect(3, 12, 10, 2); // tray
    p.setPen(Qt::NoPen);
    p.setBrush(kGreen);
    p.drawRect(12, 8, 2, 1); // power light
}

void drawRefresh(QPainter& p) {
    drawPage(p, 0);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kGreen, 2));
    const QRectF ring(5, 5, 9, 9);
    p.drawArc(ring, 30 * 16, 150 * 16);
    p.drawArc(ring, 210 * 16, 150 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(kGreen);
    p.drawPolygon(QPolygonF() << QPointF(13, 4) << QPointF(16, 8) << QPointF(11, 8));
    p.drawPolygon(QPolygonF() << QPointF(6, 15) << QPointF(3, 11) << QPointF(8, 11));
}

void drawExit(QPainter& p) {
    p.setPen(kOutline);
    p.setBrush(kBrown);
    p.drawRect(8, 1, 7, 14); // door
    p.setPen(Qt::NoPen);
    p.setBrush(kYellow);
    p.drawRect(9, 8, 1, 1); // knob
    QPolygonF arrow;
    arrow << QPointF(0.5, 6.5) << QPointF(6.5, 6.5) << QPointF(6.5, 3.5) << QPointF(11.5, 8.5)
          << QPointF(6.5, 13.5) << QPointF(6.5, 10.5) << QPointF(0.5, 10.5);
    p.setPen(QPen(QColor(0x00, 0x50, 0x00), 1));
    p.setBrush(kGreen);
    p.drawPolygon(arrow);
}

void drawHelp(QPainter& p) {
    p.setPen(QPen(QColor(0x50, 0x28, 0x08), 1));
    p.setBrush(kBrown);
    p.drawEllipse(QRectF(0.5, 0.5, 15, 15));
    QFont font;
    font.setFamily("Liberation Sans");
    font.setPixelSize(12);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, "?");
}

} // namespace

QImage toolBarImage(int index) {
    if (index < 0 || index >= kToolBarImageCount)
        return {};
    QImage image(kToolBarImageSize, kToolBarImageSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, index == 3 || index == 5 || index == 7);
    switch (index) {
    case 0:
        drawAdd(p);
        break;
    case 1:
        drawBars(p, true);
        drawArrow(p, true);
        break;
    case 2:
        drawBars(p, false);
        drawArrow(p, false);
        break;
    case 3:
        drawLens(p);
        break;
    case 4:
        drawPrinter(p);
        break;
    case 5:
        drawRefresh(p);
        break;
    case 6:
        drawExit(p);
        break;
    case 7:
        drawHelp(p);
        break;
    }
    return image;
}

} // namespace archive
