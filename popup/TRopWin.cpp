#include "popup/TRopWin.h"

#include "platform/MessageBox.h"
#include "platform/Modal.h"
#include "popup/TRopInst.h"

#include <QPointer>

#include <memory>

namespace popup {

TRopWin::TRopWin(QObject* owner)
    : QObject(owner) {}

TRopWin::~TRopWin() = default;

void TRopWin::ShowPopup() {
    if (Lines.empty()) {
        platform::MessageBox(ApplicationWindow, "The Lines is empty", "Error", platform::MB_OK);
        return;
    }
    // Owned by the application, not by a window: destroyed here on every path.
    auto note = std::make_unique<TRopInst>();
    note->font = Font;
    note->brush = Brush;
    note->lines = Lines;
    note->x = xPos;
    note->y = yPos;
    note->closeTime = TimeClose;
    window_ = note.get();
    struct Forget {
        QWidget*& window;
        ~Forget() { window = nullptr; }
    } forget{window_};
    note->place();
    platform::execModal(*note);
}

} // namespace popup
