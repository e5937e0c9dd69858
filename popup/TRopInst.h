#pragma once

// TRopInst: the note window TRopWin shows. A frameless popup that captures mouse and keyboard
// while it is open: any key, any mouse button (also outside it, and that click is not passed
// on) or the timer closes it. Its background is what was on screen under it, so the margins
// and the dotted shadow combine with the windows below.

#include "platform/GdiObjects.h"

#include <QDialog>
#include <QImage>

#include <string>
#include <vector>

class QTimer;

namespace popup {

class TRopInst : public QDialog {
    Q_OBJECT
public:
    explicit TRopInst(QWidget* parent = nullptr);
    ~TRopInst() override;

    // Copied in by TRopWin before the note is placed.
    platform::TFont font;
    platform::TBrush brush;
    std::vector<std::string> lines;
    int x = 0;
    int y = 0;
    int closeTime = 0;

    QTimer* Timer1 = nullptr;

    // Sizes and positions the note for its text, captures what is on screen under it and
    // starts the timer when a close time is set.
    void place();

    // Width and height of the text block in the note's font (widest line, all lines).
    QSize textSize() const;

    // Paints the note onto `image`, which holds what was under the window.
    void paintNote(QImage& image) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void FormPaint();
    void FormKeyDown();
    void FormMouseDown();
    void FormClose();
    void Timer1Timer();

    QImage captureBackground(const QRect& screenRect) const;

    // What was on screen under the window when it was placed.
    QImage background_;
};

} // namespace popup
