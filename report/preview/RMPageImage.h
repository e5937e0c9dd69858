#pragma once

// The page setup's paper picture: the chosen paper in its orientation, scaled into the
// control, with the margins as dotted lines and a few grey text lines between them.

#include <QWidget>

namespace report {

class TRMPageImage : public QWidget {
    Q_OBJECT
public:
    explicit TRMPageImage(QWidget* parent = nullptr);

    // Paper in tenths of a millimetre as laid out; margins in millimetres.
    void SetPage(int paperWidth, int paperHeight, double left, double top, double right,
                 double bottom);
    // The paper's rectangle in the control's pixels (for tests and painting).
    QRectF PaperRect() const;
    QRectF MarginRect() const;

    QSize sizeHint() const override { return {150, 150}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int width_ = 2100, height_ = 2970;
    double left_ = 0, top_ = 0, right_ = 0, bottom_ = 0;
};

} // namespace report
