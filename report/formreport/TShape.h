#pragma once

// A shape control: a rectangle, square, rounded rectangle or square, ellipse or circle
// drawn with a pen and a brush, for windows that mark areas or draw rules; the form report
// prints it as a shape or line view.

#include "platform/GdiObjects.h"

#include <QWidget>

namespace report {

enum class TShapeType : std::uint8_t {
    stRectangle,
    stSquare,
    stRoundRect,
    stRoundSquare,
    stEllipse,
    stCircle
};

class TShape : public QWidget {
    Q_OBJECT
public:
    explicit TShape(QWidget* parent = nullptr);

    TShapeType Shape() const { return shape_; }
    void setShape(TShapeType shape);
    const platform::TPen& Pen() const { return pen_; }
    void setPen(const platform::TPen& pen);
    const platform::TBrush& Brush() const { return brush_; }
    void setBrush(const platform::TBrush& brush);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TShapeType shape_ = TShapeType::stRectangle;
    platform::TPen pen_;
    platform::TBrush brush_;
};

} // namespace report
