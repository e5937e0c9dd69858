// The in-place editor protocol of GridControl: when the editor shows, where its text comes
// from and how typed text flows back into the cells.

#include "grid/GridControl.h"

namespace grid {

bool GridControl::CanShowEditor() const {
    return options_.contains(goEditing) && !options_.contains(goRowSelect) && editorActive_ &&
           windowExists() && (options_.contains(goAlwaysShowEditor) || isActiveControl());
}

void GridControl::SyncEditor() {
    if (!CanShowEditor())
        return;
    auto load = [this] {
        editorCol_ = current_.X;
        editorRow_ = current_.Y;
        setEditorText({});
        setEditorText(EditTextFor(current_.X, current_.Y));
        editorSelectAll();
        // The limits follow the loaded cell too, so a paste before the first typed
        // character already obeys this column's width and read-only state.
        applyColumnLimits();
    };
    if (!editorExists()) {
        createEditor();
        load();
    } else if (current_.X != editorCol_ || current_.Y != editorRow_) {
        CommitAndHideEditor();
        load();
    }
    if (CanShowEditor())
        moveEditor(EditorBounds(), true);
}

TRect GridControl::EditorBounds() const {
    TRect r = CellBounds(current_.X, current_.Y);
    if (!r.isEmpty() && r.Left == 0 && current_.X == 0)
        ++r.Left; // the grid's left edge line stays visible
    return r;
}

void GridControl::CommitEditorText() {
    if (editorCol_ == -1 || editorRow_ == -1)
        return;
    StoreEditText(editorCol_, editorRow_, editorText());
    if (!modifed_)
        modifed_ = editorModified();
}

void GridControl::CommitAndHideEditor() {
    if (!editorExists())
        return;
    struct Hide {
        GridControl* grid;
        ~Hide() {
            grid->editorCol_ = grid->editorRow_ = -1;
            grid->hideEditor();
        }
    } hide{this};
    CommitEditorText();
}

void GridControl::ReloadEditor() {
    editorCol_ = editorRow_ = -1;
    SyncEditor();
}

void GridControl::OpenEditor() {
    editorActive_ = true;
    SyncEditor();
}

void GridControl::CloseEditor() {
    editorActive_ = false;
    CommitAndHideEditor();
}

void GridControl::setEditorActive(bool value) {
    if (!value) {
        CloseEditor();
        return;
    }
    OpenEditor();
    if (editorExists())
        editorDeselect();
}

std::string GridControl::EditTextFor(int col, int row) {
    std::string value = Cells(col, row);
    if (OnGetEditText)
        OnGetEditText(eventSender(), col, row, value);
    return value;
}

void GridControl::StoreEditText(int col, int row, const std::string& text) {
    ++editUpdate_;
    struct Restore {
        int& counter;
        ~Restore() { --counter; }
    };
    {
        Restore restore{editUpdate_};
        if (text != cellText(col, row))
            setCells(col, row, text);
    }
    if (OnSetEditText)
        OnSetEditText(eventSender(), col, row, text);
}

} // namespace grid
