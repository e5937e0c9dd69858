#pragma once

// What a grid control asks of the window that shows it: repaints, scrolling, focus, the
// select timer, messages and the device text is measured on. Without a view every call is
// a no-op and the control is the widget-free model that tests and reports use.

#include "grid/GridTypes.h"
#include "platform/Keys.h"

class QObject;
class QPaintDevice;

namespace grid {

class GridView {
public:
    // The sender the control's events name.
    virtual QObject* eventSender() const { return nullptr; }
    virtual bool windowExists() const { return false; }
    // The grid or its editor holds the keyboard focus.
    virtual bool isActiveControl() const { return false; }
    // Gives the grid the focus; true when it then is the active control.
    virtual bool takeFocus() { return false; }
    virtual void invalidateRect(const TRect&) {}
    virtual void invalidateGrid() {}
    virtual void scrollContent(int /*dx*/, int /*dy*/, const TRect& /*area*/) { invalidateGrid(); }
    virtual void scrollBarsChanged() {}
    virtual void scrollBarsStyleChanged() {}
    virtual void sizingLineChanged() {}
    virtual void startSelectTimer() {}
    virtual void stopSelectTimer() {}
    // Delivers a key-down to the grid as a message of its own (an exception raised while it
    // is handled ends that message only); false: the control handles it in place.
    virtual bool sendKeyDown(platform::Word /*key*/) { return false; }
    // Delivers a character to the editor (EditorCharacter) as a message of its own; false:
    // the control handles it in place.
    virtual bool sendEditorCharacter(char32_t /*key*/) { return false; }
    virtual void fontChanged() {}
    // The current cell moved to another cell.
    virtual void currentCellChanged() {}
    // Device the title font is measured on; null = a 96 dpi image.
    virtual QPaintDevice* measuringDevice() const { return nullptr; }

protected:
    ~GridView() = default;
};

} // namespace grid
