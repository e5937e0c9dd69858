#pragma once

// Base class of the plug-in's windows: a borderless window that fills the desktop's work
// area and carries `PanelMain`, on which a derived window places all its controls.
//
// It takes the host's resize message (0x402), tells the host's notify control when it
// closes (1028), makes the host's window the plug-in's application window and reads the
// job flag the host publishes in shared memory.
//
// Creation: the public constructor builds the layout and runs FormCreate(). A derived
// window uses the protected one (layout only), builds its own layout and then calls its
// own FormCreate(), which starts with TFrmBase::FormCreate().

#include "platform/WindowHandle.h"

#include <QString>
#include <QWidget>

class QCloseEvent;
class QFrame;

namespace plugin {

// What happens to a window once its close handler returned.
enum class TCloseAction { caNone, caHide, caFree, caMinimize };

class TFrmBase : public QWidget {
    Q_OBJECT
    // The host context as this window sees it (read-only; for inspection and scripting).
    Q_PROPERTY(quintptr AppHandle READ appHandle)
    Q_PROPERTY(quintptr NotifyControl READ notifyControl)
    Q_PROPERTY(QString OperatorCode READ operatorCode)
    Q_PROPERTY(QString JobFlag READ jobFlag)

public:
    // Design size of the client area and of the main panel.
    static constexpr int kDesignClientWidth = 680;
    static constexpr int kDesignClientHeight = 445;
    static constexpr int kDesignPanelWidth = 688;
    static constexpr int kDesignPanelHeight = 450;
    // The host's request to print into a file (HSDW_WM_PRINT_TO_FILE).
    static constexpr unsigned kPrintToFileMessage = platform::WM_USER + 3;

    // Builds the layout and runs FormCreate(). `owner` owns the window (destroying it
    // destroys the window); the window stays a top-level window until it is re-parented.
    explicit TFrmBase(QWidget* owner = nullptr);
    ~TFrmBase() override;

    // The main panel; never null. Its size follows the host container (entry point and
    // message 0x402), not the window.
    QFrame* PanelMain = nullptr;

    // Creation step: the host's window becomes the plug-in's application window, then the
    // job flag is read. A derived window's override calls this first.
    virtual void FormCreate();
    // Close step: tells the host (message 1028, at most once per window) and asks for the
    // window to be freed. A derived override may set caNone instead to refuse the close.
    virtual void FormClose(TCloseAction& Action);

    // Receiver of the platform's window messages (0x402 resizes PanelMain).
    Q_INVOKABLE qintptr windowMessage(uint message, quintptr wParam, qintptr lParam);

    // Makes the window fill its parent the way an aligned window does: the desktop's work
    // area, at the parent's origin when embedded.
    void alignToWorkArea();

    // True once message 1028 went to the host.
    bool closeNotified() const { return closeNotified_; }

protected:
    struct LayoutOnly {};
    // Builds the layout without running FormCreate(); for derived windows.
    TFrmBase(QWidget* owner, LayoutOnly);

    // Message 0x402: PanelMain's height, then its width, taken as they come.
    virtual void WMResizePanel(qintptr height, qintptr width);
    // Message 0x403: the window's print command into the file `path` (UTF-8) in `format`
    // (1 PDF, 2 XLSX). 1 written, -1 nothing printed, -2 failed (the reason shown), 0 the
    // window does not print to files.
    virtual qintptr WMPrintToFile(quintptr format, const char* path);

    void closeEvent(QCloseEvent* event) override;

private:
    void buildLayout();

    quintptr appHandle() const;
    quintptr notifyControl() const;
    QString operatorCode() const;
    QString jobFlag() const;

    bool closeNotified_ = false;
};

} // namespace plugin
