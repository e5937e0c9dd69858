#pragma once

// The host context: process-wide values written by the entry points (and by the base
// window's creation step) and read by every other part of the plug-in. One per loaded
// library; the host opens one archive window at a time.

#include "platform/WindowHandle.h"
#include "plugin/ICoorDisp.h"

#include <QPointer>

#include <string>

namespace plugin {

class TFrmBase;

struct HostContext {
    // The host's application window (entry argument 1).
    platform::WindowHandle AppHandle = 0;
    // The plug-in's application window: owner of its top-level windows and of the boxes that
    // name no window. 0 during an entry call until the base window's FormCreate sets it to
    // AppHandle.
    platform::WindowHandle ApplicationHandle = 0;
    // Receives message 1028 when the plug-in window closes (entry argument 2).
    platform::WindowHandle NotifyControl = 0;
    // Code of the operator logged on to the host, UTF-8 (arrives as GBK).
    std::string OperatorCode;
    // The kept reference to the host's data service; the previous one is released when an
    // entry call replaces it, the last one when the library is unloaded.
    ICoorDisp DataService;
    // 0 to 3 characters from the shared block "MorvexMapName"; empty until one was read.
    std::string JobFlag;
    // Window of the latest entry call; null once it is destroyed.
    QPointer<TFrmBase> CurrentWindow;
};

// The one instance.
HostContext& hostContext();

// The plug-in's application window (HostContext::ApplicationHandle).
platform::WindowHandle applicationWindow();

} // namespace plugin
