#include "report/formreport/TShape.h"

#include "platform/Canvas.h"
#include "platform/Guard.h"

#include <QPainter>

#include <algorithm>

namespace report {

TShape::TShape(QWidget* parent)
    : QWidget(parent) {
    resize(65, 65);
}

void TShape::setShape(TShapeType shape) {
    shape_ = shape;
    update();
}

void TShape::setPen(const platform::TPen& pen) {
    pen_ = pen;
    update();
}

void TShape::setBrush(const platform::TBrush& brush) {
    brush_ = brush;
    update();
}

void TShape::paintEvent(QPaintEvent*) {
    platform::guarded(this, [&] {
        QPainter painter(this);
        platform::TCanvas canvas(painter);
        canvas.Pen = pen_;
        canvas.Brush = brush_;
        // The pen's width stays inside the control.
        const int inset = pen_.Width / 2;
        int w = width() - pen_.Width + 1, h = height() - pen_.Width + 1;
        const bool square = shape_ == TShapeType::stSquare || shape_ == TShapeType::stRoundSquare ||
                            shape_ == TShapeType::stCircle;
        int x = inset, y = inset;
        if (square) {
            const int side = std::min(w, h);
            x += (w - side) / 2;
            y += (h - side) / 2;
            w = h = side;
        }
        const platform::TRect r = platform::Bounds(x, y, w, h);
        switch (shape_) {
        case TShapeType::stRectangle:
        case TShapeType::stSquare:
            canvas.rectangle(r);
            break;
        case TShapeType::stRoundRect:
        case TShapeType::stRoundSquare:
            canvas.roundRect(r, std::min(w, h) / 4, std::min(w, h) / 4);
            break;
        case TShapeType::stEllipse:
        case TShapeType::stCircle:
            canvas.ellipse(r);
            break;
        }
    });
}

} // namespace report
