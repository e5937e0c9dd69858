#pragma once

// The grid's one-line in-place editor. Every user edit is reported to the grid at once;
// text set by the program is not. Typed characters go through the grid's key phases and
// are inserted here under the column's limits: a byte budget counted in GBK and the
// read-only state. Paste obeys the same budget.

#include <QLineEdit>

#include <string>

namespace grid {

class TAdvStringGrid;

class TInplaceEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit TInplaceEdit(TAdvStringGrid* grid);

    TAdvStringGrid* Grid() const { return grid_; }

    // Text from the program: no change notification, modification flag cleared.
    void setProgramText(const std::string& text);
    // Largest GBK byte length the text may reach by typing or pasting; 0 = unlimited.
    void setMaxBytes(int bytes) { maxBytes_ = bytes; }
    int maxBytes() const { return maxBytes_; }

    // The edit control's handling of one character that survived the key phases.
    void typeCharacter(char32_t ch);
    // Inserts `text` at the selection, shortened to the byte budget; false when nothing fit.
    bool insertLimited(const QString& text);
    void pasteLimited();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    friend class TAdvStringGrid;
    // Qt's own key handling for keys that carry no character (arrows, Delete, Home...).
    void controlKeyDown(QKeyEvent* event);

    TAdvStringGrid* grid_;
    int maxBytes_ = 0;
};

} // namespace grid
