#pragma once

// TRopWin: a non-visual component that shows a block of text in a borderless, shadowed,
// modal note (TRopInst) until a key or mouse button is pressed, or a timeout passes.

#include "platform/GdiObjects.h"
#include "platform/WindowHandle.h"

#include <QObject>

#include <string>
#include <vector>

class QWidget;

namespace popup {

class TRopWin : public QObject {
    Q_OBJECT
public:
    explicit TRopWin(QObject* owner = nullptr);
    ~TRopWin() override;

    // Fill of the note.
    platform::TBrush Brush;
    // Font of the text; its colour also takes the 0 bits of the shadow pattern.
    platform::TFont Font;
    // The text, one string per line (UTF-8).
    std::vector<std::string> Lines;
    // Milliseconds after which the note closes by itself; 0 or less: never.
    int TimeClose = 0;
    // Screen position of the note's top-left corner; 0 centres it on that axis.
    int xPos = 0;
    int yPos = 0;

    // Owner of the "The Lines is empty" box: the application window (0: none).
    platform::WindowHandle ApplicationWindow = 0;

    // Shows the note modally; returns once it has closed. With no lines only the error box
    // is shown.
    void ShowPopup();

    // The note while it is shown, nullptr otherwise.
    QWidget* window() const { return window_; }

private:
    QWidget* window_ = nullptr;
};

} // namespace popup
