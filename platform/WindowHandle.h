#pragma once

// Window handles and numbered messages.
//
// A handle is a non-zero integer naming a QObject (usually a widget). The registry lives
// on the QCoreApplication instance and is reached by name through Qt's meta-object system,
// so a host and a plug-in that each link their own copy of this layer share one registry:
// a handle handed across the plug-in's C boundary names the same object on both sides.
//
// A receiver of messages is any QObject with the invokable
//     Q_INVOKABLE qintptr windowMessage(uint message, quintptr wParam, qintptr lParam);
// Messages to objects without it are dropped (result 0).

#include <QtGlobal>

class QObject;
class QWidget;

namespace platform {

using WindowHandle = quintptr;

constexpr unsigned WM_USER = 0x400;
// Host → plug-in window: resize the main panel (wParam = height, lParam = width).
constexpr unsigned WM_RESIZE_PANEL = WM_USER + 2; // 0x402
// Plug-in → host notify control: the plug-in window is closing.
constexpr unsigned WM_PLUGIN_CLOSING = WM_USER + 4; // 1028

// Handle of `object`, registering it on first use; 0 for nullptr. The handle is released
// when the object is destroyed.
WindowHandle handleOf(QObject* object);

// A handle from outside (a host): a handle of the registry, or the address of a live
// QObject of the application - a widget, or an object whose ancestors include a widget or
// the application - which is then registered. 0 for anything else; an address is only ever
// compared, never followed, until it is found among the application's objects.
WindowHandle adoptHandle(quintptr value);

// Object a handle names, or nullptr when the handle is unknown or its object is gone.
QObject* objectOf(WindowHandle handle);
// The same, as a widget (nullptr if the object is not a widget).
QWidget* widgetOf(WindowHandle handle);

// Delivers a message synchronously and returns the receiver's result.
qintptr sendMessage(WindowHandle handle, unsigned message, quintptr wParam, qintptr lParam);

// Queues a message on the Qt event loop; false when the handle names nothing.
bool postMessage(WindowHandle handle, unsigned message, quintptr wParam, qintptr lParam);

} // namespace platform
