#include "report/preview/RMPreviewIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace report {

namespace {

const QColor ink(40, 40, 40);
const QColor paper(255, 255, 255);
const QColor blue(40, 90, 170);
const QColor green(30, 130, 60);

void sheet(QPainter& p, QRectF r) {
    p.setPen(QPen(ink, 1));
    p.setBrush(paper);
    p.drawRect(r);
}

void lines(QPainter& p, QRectF r, int count) {
    p.setPen(QPen(QColor(120, 120, 120), 1));
    for (int i = 0; i < count; ++i) {
        const double y = r.top() + 3 + i * 2.5;
        if (y < r.bottom() - 1)
            p.drawLine(QPointF(r.left() + 2, y), QPointF(r.right() - 2, y));
    }
}

void lens(QPainter& p, QPointF centre, double radius) {
    p.setPen(QPen(ink, 1.5));
    p.setBrush(QColor(200, 225, 255));
    p.drawEllipse(centre, radius, radius);
    p.setPen(QPen(ink, 2.5, Qt::SolidLine, Qt::RoundCap));
    const double d = radius * 0.72;
    p.drawLine(centre + QPointF(d, d), centre + QPointF(d + 4, d + 4));
}

// Triangle pointing left (`left`) or right, optionally with a bar before it.
void arrow(QPainter& p, bool left, bool bar, bool twice = false) {
    p.setPen(Qt::NoPen);
    p.setBrush(blue);
    const double tip = left ? 4 : 12, back = left ? 11 : 5;
    QPainterPath path;
    path.moveTo(tip, 8);
    path.lineTo(back, 3);
    path.lineTo(back, 13);
    path.closeSubpath();
    p.drawPath(path);
    if (twice)
        p.drawPath(path.translated(left ? 4 : -4, 0));
    if (bar)
        p.drawRect(QRectF(left ? 2 : 12.5, 3, 1.5, 10));
}

void draw(QPainter& p, TRMPreviewIcon icon) {
    switch (icon) {
    case TRMPreviewIcon::Magnifier:
        lens(p, {6.5, 6.5}, 4.5);
        break;
    case TRMPreviewIcon::OnePage:
        sheet(p, {4, 1.5, 8, 13});
        lines(p, {4, 1.5, 8, 13}, 5);
        break;
    case TRMPreviewIcon::Zoom100: {
        QFont f("Liberation Sans");
        f.setPixelSize(7);
        f.setBold(true);
        p.setFont(f);
        p.setPen(ink);
        p.drawText(QRectF(0, 0, 16, 16), Qt::AlignCenter, "100");
        break;
    }
    case TRMPreviewIcon::PageWidth:
        sheet(p, {1.5, 3.5, 13, 10});
        lines(p, {1.5, 3.5, 13, 10}, 3);
        p.setPen(QPen(blue, 1.2));
        p.drawLine(QPointF(2.5, 1.5), QPointF(13.5, 1.5));
        break;
    case TRMPreviewIcon::First:
        arrow(p, true, true);
        break;
    case TRMPreviewIcon::Prior:
        arrow(p, true, false);
        break;
    case TRMPreviewIcon::Next:
        arrow(p, false, false);
        break;
    case TRMPreviewIcon::Last:
        arrow(p, false, true);
        break;
    case TRMPreviewIcon::Find:
        sheet(p, {1.5, 1.5, 9, 12});
        lines(p, {1.5, 1.5, 9, 12}, 4);
        lens(p, {9.5, 9}, 3.5);
        break;
    case TRMPreviewIcon::Open:
        p.setPen(QPen(ink, 1));
        p.setBrush(QColor(240, 200, 90));
        p.drawPolygon(
            QPolygonF({{1.5, 4}, {6, 4}, {7.5, 5.5}, {14.5, 5.5}, {14.5, 13.5}, {1.5, 13.5}}));
        p.setBrush(QColor(250, 220, 120));
        p.drawPolygon(QPolygonF({{3, 7.5}, {15.5, 7.5}, {13.5, 13.5}, {1.5, 13.5}}));
        break;
    case TRMPreviewIcon::Save:
        p.setPen(QPen(ink, 1));
        p.setBrush(blue);
        p.drawRect(QRectF(1.5, 1.5, 13, 13));
        p.setBrush(paper);
        p.drawRect(QRectF(4, 1.5, 8, 5));
        p.setBrush(QColor(210, 210, 210));
        p.drawRect(QRectF(4, 9.5, 8, 5));
        break;
    case TRMPreviewIcon::SuperExport:
        sheet(p, {1.5, 1.5, 9, 12});
        lines(p, {1.5, 1.5, 9, 12}, 4);
        p.setPen(QPen(green, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(8, 11), QPointF(14, 11));
        p.drawLine(QPointF(12, 8.5), QPointF(14.5, 11));
        p.drawLine(QPointF(12, 13.5), QPointF(14.5, 11));
        break;
    case TRMPreviewIcon::Excel: {
        p.setPen(QPen(ink, 1));
        p.setBrush(green);
        p.drawRect(QRectF(1.5, 1.5, 13, 13));
        p.setPen(QPen(paper, 2));
        p.drawLine(QPointF(5, 4.5), QPointF(11, 11.5));
        p.drawLine(QPointF(11, 4.5), QPointF(5, 11.5));
        break;
    }
    case TRMPreviewIcon::Print:
        sheet(p, {4.5, 1.5, 7, 5});
        p.setBrush(QColor(190, 190, 190));
        p.drawRect(QRectF(1.5, 6.5, 13, 6));
        sheet(p, {4.5, 10.5, 7, 4});
        p.setPen(Qt::NoPen);
        p.setBrush(green);
        p.drawRect(QRectF(11.5, 8, 1.5, 1.5));
        break;
    case TRMPreviewIcon::PageSetup:
        sheet(p, {2.5, 1.5, 10, 13});
        p.setPen(QPen(blue, 1, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(4.5, 3.5, 6, 9));
        break;
    case TRMPreviewIcon::Design:
        sheet(p, {1.5, 1.5, 10, 13});
        lines(p, {1.5, 1.5, 10, 13}, 4);
        p.setPen(QPen(QColor(200, 120, 30), 2.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(7, 13), QPointF(14, 6));
        break;
    case TRMPreviewIcon::Close:
        p.setPen(QPen(QColor(190, 40, 40), 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(4, 4), QPointF(12, 12));
        p.drawLine(QPointF(12, 4), QPointF(4, 12));
        break;
    }
}

QPixmap render(TRMPreviewIcon icon, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(size / 16.0, size / 16.0);
    draw(p, icon);
    return pixmap;
}

} // namespace

QIcon previewIcon(TRMPreviewIcon icon) {
    QIcon result;
    for (int size : {16, 24, 32, 48})
        result.addPixmap(render(icon, size));
    return result;
}

QCursor magnifierCursor() {
    static const QCursor cursor(render(TRMPreviewIcon::Magnifier, 32), 13, 13);
    return cursor;
}

} // namespace report
