#pragma once

// Main window of the reference host: a container the plug-in embeds its window into, the
// notify control that hears message 1028, and commands to open the archive embedded or as
// a dialog and to close it. One plug-in window at a time.

#include "platform/WindowHandle.h"
#include "plugin/plugin_abi.h"

#include <QLabel>
#include <QMainWindow>
#include <QPointer>

#include <memory>
#include <string>

class QAction;

namespace platform {
class DispatchRef;
}

namespace host {

class PluginLibrary;

// The host control the plug-in notifies when its window closes (message 1028).
class NotifyControl : public QLabel {
    Q_OBJECT
public:
    explicit NotifyControl(QWidget* parent = nullptr);
    Q_INVOKABLE qintptr windowMessage(uint message, quintptr wParam, qintptr lParam);
    int closingNotices() const { return closingNotices_; }

Q_SIGNALS:
    void pluginClosing();

private:
    int closingNotices_ = 0;
};

// The container: clips the embedded window and tells it (0x402) when its size changes.
class HostContainer : public QWidget {
    Q_OBJECT
public:
    explicit HostContainer(QWidget* parent = nullptr);
    int resizeMessagesSent() const { return resizeMessagesSent_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    int resizeMessagesSent_ = 0;
};

class HostWindow : public QMainWindow {
    Q_OBJECT
public:
    // `operatorCode` is UTF-8; it goes to the plug-in as a length-prefixed GBK string.
    HostWindow(PluginLibrary& plugin, const platform::DispatchRef& dataService,
               std::string operatorCode, QWidget* parent = nullptr);
    ~HostWindow() override;

    HostContainer* container() const { return container_; }
    NotifyControl* notifyControl() const { return notify_; }
    // The plug-in window currently open (embedded or dialog), or null.
    QWidget* pluginWindow() const { return pluginWindow_; }

    // Calls GetFormOne / GetFormOne_Hsdw; true when a plug-in window is open afterwards.
    bool openEmbedded();
    bool openDialog();
    // Asks the plug-in window to close (it may refuse); true when it is gone or closing.
    bool closePluginWindow();

Q_SIGNALS:
    void pluginWindowGone();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool open(bool embedded);
    void track(QWidget* window);
    void updateActions();
    void onPluginClosing();

    PluginLibrary& plugin_;
    std::unique_ptr<platform::DispatchRef> dataService_; // never null
    std::string operatorCode_;                           // length-prefixed GBK
    HostContainer* container_ = nullptr;
    NotifyControl* notify_ = nullptr;
    QPointer<QWidget> pluginWindow_;
    QAction* openEmbeddedAction_ = nullptr;
    QAction* openDialogAction_ = nullptr;
    QAction* closeAction_ = nullptr;
};

} // namespace host
