#pragma once

// What the two exported entry points do: fill the host context, create the window through
// the factory the library was built with, embed or centre it, show it and return. Nothing
// escapes as an exception: a failure is shown in a box owned by the host's window.

#include "plugin/plugin_abi.h"

#include <string>

class QWidget;

namespace plugin {

class TFrmBase;

enum class FormMode {
    Embedded, // GetFormOne: inside the host's container
    Dialog,   // GetFormOne_Hsdw: free-standing, mode "cm"
};

// Creates the plug-in's window. `owner` is the container (embedded) or null (dialog).
using WindowFactory = TFrmBase* (*)(FormMode mode, QWidget* owner);

void runEntryCall(FormMode mode, HsdwWindowHandle appWindow, HsdwWindowHandle notifyControl,
                  const unsigned char* operatorCode, const HsdwHostContainer* container,
                  PlatformDispatch* dataService, WindowFactory factory) noexcept;

// The operator code of entry argument 3 (length byte + GBK bytes) as UTF-8; "" for null.
std::string operatorCodeFrom(const unsigned char* lengthPrefixedGbk);

} // namespace plugin
