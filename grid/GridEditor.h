#pragma once

// The in-place editor as a grid control sees it: created on first use, its text, limits,
// selection and place. Without one the control edits nothing on screen (every call is a
// no-op; `editorTypeCharacter` is how a stand-in types).

#include "grid/GridTypes.h"

#include <string>

namespace grid {

class GridEditor {
public:
    virtual bool editorExists() const { return false; }
    virtual void createEditor() {}
    virtual std::string editorText() const { return {}; }
    // Programmatic text: no change notification; clears the editor's modification flag.
    virtual void setEditorText(const std::string&) {}
    virtual bool editorModified() const { return false; }
    virtual void setEditorLimits(int /*maxBytes*/, bool /*readOnly*/) {}
    // The edit control's own handling of a character that survived the key phases.
    virtual void editorTypeCharacter(char32_t) {}
    virtual void editorSelectAll() {}
    virtual void editorDeselect() {}
    // Selection start and end (in characters) and text length.
    virtual void editorSelection(int& start, int& end, int& length) const {
        start = end = length = 0;
    }
    virtual void moveEditor(const TRect& /*rect*/, bool /*redraw*/) {}
    virtual void hideEditor() {}
    virtual bool editorVisible() const { return false; }

protected:
    ~GridEditor() = default;
};

} // namespace grid
