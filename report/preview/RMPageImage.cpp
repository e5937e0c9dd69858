#include "report/preview/RMPageImage.h"

#include "platform/Guard.h"

#include <QPainter>

#include <algorithm>

namespace report {

TRMPageImage::TRMPageImage(QWidget* parent)
    : QWidget(parent) {
    setObjectName("PageImage");
    setMinimumSize(120, 120);
}

void TRMPageImage::SetPage(int paperWidth, int paperHeight, double left, double top, double right,
                           double bottom) {
    width_ = std::max(1, paperWidth);
    height_ = std::max(1, paperHeight);
    left_ = left;
    top_ = top;
    right_ = right;
    bottom_ = bottom;
    update();
}

QRectF TRMPageImage::PaperRect() const {
    const double room = std::min(width() - 12.0, height() - 12.0);
    const double scale = room / std::max(width_, height_);
    const double w = width_ * scale, h = height_ * scale;
    return {(width() - w) / 2, (height() - h) / 2, w, h};
}

QRectF TRMPageImage::MarginRect() const {
    const QRectF paper = PaperRect();
    const double perMm = paper.width() / (width_ / 10.0);
    QRectF inner = paper.adjusted(left_ * perMm, top_ * perMm, -right_ * perMm, -bottom_ * perMm);
    return inner.isValid() ? inner : QRectF(paper.center(), QSizeF());
}

void TRMPageImage::paintEvent(QPaintEvent*) {
    platform::guarded(this, [this] {
        QPainter p(this);
        const QRectF paper = PaperRect();
        p.fillRect(paper.translated(3, 3), QColor(128, 128, 128));
        p.fillRect(paper, Qt::white);
        p.setPen(Qt::black);
        p.drawRect(paper);
        const QRectF inner = MarginRect();
        // Text lines between the margins show where the report goes.
        p.setPen(QPen(QColor(170, 170, 170), 1));
        for (double y = inner.top() + 3; y < inner.bottom() - 1; y += 4)
            p.drawLine(QPointF(inner.left() + 2, y), QPointF(inner.right() - 2, y));
        p.setPen(QPen(QColor(0, 0, 160), 1, Qt::DotLine));
        p.drawLine(QPointF(inner.left(), paper.top()), QPointF(inner.left(), paper.bottom()));
        p.drawLine(QPointF(inner.right(), paper.top()), QPointF(inner.right(), paper.bottom()));
        p.drawLine(QPointF(paper.left(), inner.top()), QPointF(paper.right(), inner.top()));
        p.drawLine(QPointF(paper.left(), inner.bottom()), QPointF(paper.right(), inner.bottom()));
    });
}

} // namespace report
