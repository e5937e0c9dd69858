#pragma once

// The editable string grid widget: a custom-drawn scroll area over GridControl. Its paint
// event runs the control's draw() on a canvas over the viewport; it feeds keys through the
// platform's key phases, mouse, wheel, focus and scroll-bar commands into the control, and
// hosts the in-place editor TInplaceEdit. Screen readers and outside tools read it through
// Qt's accessibility interfaces for tables (TAdvStringGridAccessible).

#include "grid/GridControl.h"

#include <QAbstractScrollArea>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>

namespace grid {

class TInplaceEdit;

class TAdvStringGrid : public QAbstractScrollArea,
                       public GridControl,
                       private GridView,
                       private GridEditor {
    Q_OBJECT
    // The title row's font colour (0x00BBGGRR) for outside tools that see the grid only as
    // a QObject, such as an acceptance test across the plug-in boundary.
    Q_PROPERTY(quint32 titleFontColor READ titleFontColor)

public:
    explicit TAdvStringGrid(QWidget* parent = nullptr);
    ~TAdvStringGrid() override;

    // Toolkit operations the owner uses.
    void Refresh();
    void Invalidate();
    void SetFocus();

    quint32 titleFontColor() const { return TitleFont().Color; }

    // The in-place editor, null until the first SyncEditor that can show it.
    TInplaceEdit* InplaceEditor() const { return editor_; }

    // The window as a paint sees it now (focus, editor rectangle): what the paint event
    // passes to draw().
    GridViewState viewState() const;

    // Used by the editor.
    void editorTextEdited();
    void editorKeyPressEvent(QKeyEvent* event);
    void editorKeyReleaseEvent(QKeyEvent* event);
    void editorCharacters(const QString& text);
    void editorFocusIn();
    void editorFocusOut();
    void editorDoubleClick();
    void editorWheel(QWheelEvent* event);
    qint64 msSinceLastGridPress() const;

protected:
    // Qt event handlers; each runs inside platform::guarded.
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

    // The control's view (GridView) and in-place editor (GridEditor).
    QObject* eventSender() const override { return const_cast<TAdvStringGrid*>(this); }
    bool windowExists() const override;
    bool isActiveControl() const override;
    bool takeFocus() override;
    void invalidateRect(const TRect& rect) override;
    void invalidateGrid() override;
    void scrollContent(int dx, int dy, const TRect& area) override;
    void scrollBarsChanged() override;
    void scrollBarsStyleChanged() override;
    void sizingLineChanged() override;
    void startSelectTimer() override;
    void stopSelectTimer() override;
    bool sendKeyDown(Word key) override;
    bool sendEditorCharacter(char32_t key) override;
    void fontChanged() override;
    void currentCellChanged() override;
    QPaintDevice* measuringDevice() const override;
    bool editorExists() const override { return editor_ != nullptr; }
    void createEditor() override;
    std::string editorText() const override;
    void setEditorText(const std::string& text) override;
    bool editorModified() const override;
    void setEditorLimits(int maxBytes, bool readOnly) override;
    void editorTypeCharacter(char32_t key) override;
    void editorSelectAll() override;
    void editorDeselect() override;
    void editorSelection(int& start, int& end, int& length) const override;
    void moveEditor(const TRect& rect, bool redraw) override;
    void hideEditor() override;
    bool editorVisible() const override;

private:
    void scrollBarAction(bool vertical, int action);
    void scrollBarReleased(bool vertical);
    platform::KeyHandlers gridKeyHandlers();
    // Runs the editor's key phases for a key event aimed at it.
    void runEditorKeyPress(QKeyEvent& event);

    TInplaceEdit* editor_ = nullptr;
    QTimer selectTimer_;
    QElapsedTimer lastGridPress_;
    Qt::KeyboardModifiers lastModifiers_ = Qt::NoModifier;
    bool syncingBars_ = false;
    bool focusFromEditor_ = false; // the grid's next focus-in comes from its editor
    bool focusToEditor_ = false;   // the editor's next focus-in comes from the grid
    bool shownOnce_ = false;
    bool destroying_ = false; // set first thing in the destructor
    TRect dragLine_;          // area of the XOR line drawn last, empty when none
};

} // namespace grid
