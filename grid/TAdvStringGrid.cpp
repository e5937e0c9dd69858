#include "grid/TAdvStringGrid.h"

#include "grid/TAdvStringGridAccessible.h"
#include "grid/TInplaceEdit.h"
#include "platform/Canvas.h"
#include "platform/Guard.h"
#include "platform/Keys.h"

#include <QAccessible>
#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>

namespace grid {

using namespace platform;

namespace {

TShiftState mouseShift(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons, bool dbl) {
    TShiftState s = shiftStateOf(modifiers);
    if (buttons & Qt::LeftButton)
        s |= ShiftFlag::Left;
    if (buttons & Qt::RightButton)
        s |= ShiftFlag::Right;
    if (buttons & Qt::MiddleButton)
        s |= ShiftFlag::Middle;
    if (dbl)
        s |= ShiftFlag::Double;
    return s;
}

bool commitIsEmpty(const QInputMethodEvent* e) {
    return e->commitString().isEmpty();
}

TMouseButton buttonOf(Qt::MouseButton b) {
    switch (b) {
    case Qt::RightButton:
        return TMouseButton::mbRight;
    case Qt::MiddleButton:
        return TMouseButton::mbMiddle;
    default:
        return TMouseButton::mbLeft;
    }
}

} // namespace

TAdvStringGrid::TAdvStringGrid(QWidget* parent)
    : QAbstractScrollArea(parent) {
    setView(this);
    setEditor(this);
    installGridAccessibility();
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    viewport()->setMouseTracking(true);
    markOwnKeyPhases(this);
    selectTimer_.setInterval(60);
    connect(&selectTimer_, &QTimer::timeout, this, [this] { guarded(this, [&] { TimerTick(); }); });
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this,
            [this](int action) { scrollBarAction(true, action); });
    connect(horizontalScrollBar(), &QScrollBar::actionTriggered, this,
            [this](int action) { scrollBarAction(false, action); });
    connect(verticalScrollBar(), &QScrollBar::sliderReleased, this,
            [this] { scrollBarReleased(true); });
    connect(horizontalScrollBar(), &QScrollBar::sliderReleased, this,
            [this] { scrollBarReleased(false); });
    scrollBarsStyleChanged();
    resize(ColCount() * (DefaultColWidth() + GridLineWidth()) + 4,
           RowCount() * (DefaultRowHeight() + GridLineWidth()) + 4);
}

TAdvStringGrid::~TAdvStringGrid() {
    // Nothing may reach the owner's handlers or a half-destroyed grid from here on: the
    // editor goes first, while the grid is still whole, with every hook switched off.
    destroying_ = true;
    selectTimer_.stop();
    DetachHandlers();
    delete editor_;
    editor_ = nullptr;
}

void TAdvStringGrid::Refresh() {
    viewport()->repaint();
}

void TAdvStringGrid::Invalidate() {
    viewport()->update();
}

void TAdvStringGrid::SetFocus() {
    setFocus(Qt::OtherFocusReason);
}

// ---- view hooks

bool TAdvStringGrid::windowExists() const {
    if (destroying_)
        return false;
    return testAttribute(Qt::WA_WState_Created) || isVisible();
}

bool TAdvStringGrid::isActiveControl() const {
    return hasFocus() || (editor_ && editor_->hasFocus());
}

bool TAdvStringGrid::takeFocus() {
    if (!hasFocus())
        setFocus(Qt::OtherFocusReason);
    return isActiveControl();
}

void TAdvStringGrid::invalidateRect(const TRect& rect) {
    viewport()->update(rect.toQRect());
}

void TAdvStringGrid::invalidateGrid() {
    viewport()->update();
}

void TAdvStringGrid::scrollContent(int dx, int dy, const TRect& area) {
    viewport()->scroll(dx, dy, area.toQRect());
}

void TAdvStringGrid::scrollContentsBy(int, int) {
    // The control scrolls its content itself (SetFirstVisible).
}

void TAdvStringGrid::scrollBarsChanged() {
    syncingBars_ = true;
    const ScrollBarState v = VertScroll();
    const ScrollBarState h = HorzScroll();
    verticalScrollBar()->setRange(v.Min, v.Max);
    verticalScrollBar()->setValue(v.Position);
    horizontalScrollBar()->setRange(h.Min, h.Max);
    horizontalScrollBar()->setValue(h.Position);
    syncingBars_ = false;
}

void TAdvStringGrid::scrollBarsStyleChanged() {
    const TScrollStyle s = ScrollBars();
    const bool vert = s == TScrollStyle::ssVertical || s == TScrollStyle::ssBoth;
    const bool horz = s == TScrollStyle::ssHorizontal || s == TScrollStyle::ssBoth;
    setVerticalScrollBarPolicy(vert ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(horz ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    if (BorderStyle() == TBorderStyle::bsSingle)
        setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    else
        setFrameStyle(QFrame::NoFrame);
}

void TAdvStringGrid::sizingLineChanged() {
    const TGridDrawInfo info = CalcDrawInfo();
    TRect line;
    switch (MouseMode()) {
    case TGridMouseMode::SizingColumn:
        line = {SizingPos() - 1, 0, SizingPos() + 2, info.Vert.GridBoundary};
        break;
    case TGridMouseMode::SizingRow:
        line = {0, SizingPos() - 1, info.Horz.GridBoundary, SizingPos() + 2};
        break;
    case TGridMouseMode::MovingColumn:
    case TGridMouseMode::MovingRow:
        line = {0, 0, clientWidth(), clientHeight()};
        break;
    default:
        break;
    }
    if (!dragLine_.isEmpty())
        viewport()->update(dragLine_.toQRect());
    if (!line.isEmpty())
        viewport()->update(line.toQRect());
    dragLine_ = line;
}

void TAdvStringGrid::startSelectTimer() {
    selectTimer_.start();
}

void TAdvStringGrid::stopSelectTimer() {
    selectTimer_.stop();
}

bool TAdvStringGrid::sendKeyDown(Word key) {
    // A message of its own: keyPressEvent runs it through the key preview and its guard.
    QKeyEvent event(QEvent::KeyPress, qtKeyOf(key), lastModifiers_);
    QCoreApplication::sendEvent(this, &event);
    return true;
}

bool TAdvStringGrid::sendEditorCharacter(char32_t key) {
    // A character message of its own for the editor, under its own guard.
    guarded(this, [&] { EditorCharacter(key); });
    return true;
}

void TAdvStringGrid::fontChanged() {
    if (editor_)
        editor_->setFont(toQFont(Font()));
}

void TAdvStringGrid::currentCellChanged() {
    notifyCurrentCell(*this);
}

QPaintDevice* TAdvStringGrid::measuringDevice() const {
    return viewport();
}

// ---- editor hooks

void TAdvStringGrid::createEditor() {
    editor_ = new TInplaceEdit(this);
    QPalette palette = editor_->palette();
    palette.setColor(QPalette::Base, toQColor(EditColor()));
    editor_->setPalette(palette);
    editor_->setFont(toQFont(Font()));
    editor_->hide();
}

std::string TAdvStringGrid::editorText() const {
    return editor_->text().toStdString();
}

void TAdvStringGrid::setEditorText(const std::string& text) {
    editor_->setProgramText(text);
}

bool TAdvStringGrid::editorModified() const {
    return editor_->isModified();
}

void TAdvStringGrid::setEditorLimits(int maxBytes, bool readOnly) {
    editor_->setMaxBytes(maxBytes);
    editor_->setReadOnly(readOnly);
}

void TAdvStringGrid::editorTypeCharacter(char32_t key) {
    if (editor_)
        editor_->typeCharacter(key);
}

void TAdvStringGrid::editorSelectAll() {
    editor_->selectAll();
}

void TAdvStringGrid::editorDeselect() {
    editor_->deselect();
    editor_->end(false);
}

void TAdvStringGrid::editorSelection(int& start, int& end, int& length) const {
    length = static_cast<int>(editor_->text().length());
    if (editor_->hasSelectedText()) {
        start = editor_->selectionStart();
        end = editor_->selectionEnd();
    } else {
        start = end = editor_->cursorPosition();
    }
}

void TAdvStringGrid::moveEditor(const TRect& rect, bool redraw) {
    if (rect.isEmpty()) {
        hideEditor();
        return;
    }
    const bool wasHidden = !editor_->isVisible();
    viewport()->update(rect.toQRect());
    editor_->setGeometry(rect.toQRect());
    editor_->show();
    if (redraw || wasHidden)
        editor_->update();
    if (hasFocus())
        editor_->setFocus(Qt::OtherFocusReason);
}

void TAdvStringGrid::hideEditor() {
    if (!editor_ || !editor_->isVisible())
        return;
    viewport()->update(editor_->geometry());
    if (editor_->hasFocus())
        setFocus(Qt::OtherFocusReason); // before hiding, so the focus stays in the grid
    editor_->hide();
}

bool TAdvStringGrid::editorVisible() const {
    return editor_ && editor_->isVisible();
}

// ---- events

bool TAdvStringGrid::event(QEvent* e) {
    if (e->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(e);
        const QPoint at = viewport()->mapFrom(this, help->pos());
        const TGridCoord cell = MouseCoord(at.x(), at.y());
        const std::string hint = cell.Y >= FixedRows() ? RowHint(cell.Y) : std::string();
        if (hint.empty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), QString::fromStdString(hint), this);
        return true;
    }
    if (e->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(e);
        if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) &&
            Options().contains(goTabs)) {
            keyPressEvent(key);
            return true;
        }
    }
    return QAbstractScrollArea::event(e);
}

GridViewState TAdvStringGrid::viewState() const {
    GridViewState view;
    view.active = isActiveControl();
    view.gridFocused = hasFocus();
    if (editor_ && editor_->isVisible())
        view.editorRect = TRect::fromQRect(editor_->geometry());
    return view;
}

void TAdvStringGrid::paintEvent(QPaintEvent* e) {
    guarded(this, [&] {
        QPainter painter(viewport());
        TCanvas canvas(painter);
        canvas.setClipRegion(e->region());
        draw(canvas, viewState());
    });
}

void TAdvStringGrid::resizeEvent(QResizeEvent* e) {
    QAbstractScrollArea::resizeEvent(e);
    guarded(this, [&] { setClientSize(viewport()->width(), viewport()->height()); });
}

void TAdvStringGrid::showEvent(QShowEvent* e) {
    QAbstractScrollArea::showEvent(e);
    guarded(this, [&] {
        setClientSize(viewport()->width(), viewport()->height());
        if (!shownOnce_) {
            shownOnce_ = true;
            ensureColumns();
            SyncEditor();
        }
    });
}

KeyHandlers TAdvStringGrid::gridKeyHandlers() {
    KeyHandlers h;
    h.keyDown = [this](Word& key, TShiftState shift) { KeyDown(key, shift); };
    h.keyPress = [this](char32_t& ch) {
        GridCharacter(ch);
        ch = 0;
    };
    h.keyUp = [this](Word& key, TShiftState shift) { KeyUp(key, shift); };
    return h;
}

void TAdvStringGrid::keyPressEvent(QKeyEvent* e) {
    lastModifiers_ = e->modifiers();
    guarded(this, [&] { runKeyPress(this, *e, gridKeyHandlers()); });
    e->setAccepted(ClaimsKey(virtualKeyOf(*e)));
}

void TAdvStringGrid::keyReleaseEvent(QKeyEvent* e) {
    lastModifiers_ = e->modifiers();
    guarded(this, [&] { runKeyRelease(this, *e, gridKeyHandlers()); });
    e->accept();
}

void TAdvStringGrid::inputMethodEvent(QInputMethodEvent* e) {
    // A composition starting on the grid continues in the editor, where it can be shown.
    if (commitIsEmpty(e) && !e->preeditString().isEmpty() && Options().contains(goEditing)) {
        guarded(this, [&] { OpenEditor(); });
        if (editor_ && editor_->isVisible())
            QCoreApplication::sendEvent(editor_, e);
        e->accept();
        return;
    }
    // Committed text is typed character by character, like keys.
    const QString commit = e->commitString();
    for (char32_t ch : commit.toUcs4()) {
        guarded(this, [&] {
            QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier,
                          QString::fromUcs4(&ch, 1));
            runKeyPress(this, key, gridKeyHandlers());
        });
    }
    e->accept();
}

void TAdvStringGrid::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton)
        lastGridPress_.restart();
    lastModifiers_ = e->modifiers();
    const QPoint p = e->position().toPoint();
    guarded(this, [&] {
        MouseDown(buttonOf(e->button()), mouseShift(e->modifiers(), e->buttons(), false), p.x(),
                  p.y(), false);
    });
    e->accept();
}

void TAdvStringGrid::mouseDoubleClickEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    guarded(this, [&] {
        MouseDown(buttonOf(e->button()), mouseShift(e->modifiers(), e->buttons(), true), p.x(),
                  p.y(), true);
    });
    e->accept();
}

void TAdvStringGrid::mouseMoveEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    guarded(this, [&] {
        if (MouseMode() == TGridMouseMode::Idle) {
            const SizingHit hit = HitSizingZone(p.x(), p.y(), CalcDrawInfo());
            if (hit.mode == TGridMouseMode::SizingColumn)
                viewport()->setCursor(Qt::SplitHCursor);
            else if (hit.mode == TGridMouseMode::SizingRow)
                viewport()->setCursor(Qt::SplitVCursor);
            else
                viewport()->unsetCursor();
        }
        MouseMove(mouseShift(e->modifiers(), e->buttons(), false), p.x(), p.y());
    });
    e->accept();
}

void TAdvStringGrid::mouseReleaseEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    guarded(this, [&] {
        MouseUp(buttonOf(e->button()), mouseShift(e->modifiers(), e->buttons(), false), p.x(),
                p.y());
    });
    e->accept();
}

void TAdvStringGrid::wheelEvent(QWheelEvent* e) {
    const QPoint p = e->position().toPoint();
    const int delta = e->angleDelta().y();
    if (delta != 0)
        guarded(this, [&] { MouseWheel(delta < 0, shiftStateOf(e->modifiers()), p.x(), p.y()); });
    e->accept();
}

void TAdvStringGrid::focusInEvent(QFocusEvent* e) {
    if (destroying_)
        return;
    QAbstractScrollArea::focusInEvent(e);
    const bool fromEditor = focusFromEditor_;
    focusFromEditor_ = false;
    guarded(this, [&] { FocusGained(fromEditor); });
}

void TAdvStringGrid::focusOutEvent(QFocusEvent* e) {
    if (destroying_)
        return;
    QAbstractScrollArea::focusOutEvent(e);
    QWidget* next = QApplication::focusWidget();
    const bool toEditor = editor_ && next == editor_;
    focusToEditor_ = toEditor;
    guarded(this, [&] {
        if (MouseMode() != TGridMouseMode::Idle)
            CancelMouseMode();
        FocusLost(toEditor);
        if (!toEditor && next)
            Exited();
    });
}

// ---- editor callbacks

void TAdvStringGrid::editorTextEdited() {
    if (destroying_)
        return;
    guarded(this, [&] { CommitEditorText(); });
}

void TAdvStringGrid::runEditorKeyPress(QKeyEvent& e) {
    const bool carriesText = !charactersOf(e).isEmpty();
    KeyHandlers h;
    h.keyDown = [&](Word& key, TShiftState shift) {
        EditorKeyDown(key, shift);
        if (key != 0 && !carriesText && editor_)
            editor_->controlKeyDown(&e);
    };
    h.keyPress = [&](char32_t& ch) {
        EditorCharacter(ch);
        ch = 0;
    };
    runKeyPress(editor_, e, h);
}

void TAdvStringGrid::editorKeyPressEvent(QKeyEvent* e) {
    if (destroying_)
        return;
    lastModifiers_ = e->modifiers();
    guarded(this, [&] { runEditorKeyPress(*e); });
    e->accept();
}

void TAdvStringGrid::editorKeyReleaseEvent(QKeyEvent* e) {
    if (destroying_)
        return;
    lastModifiers_ = e->modifiers();
    guarded(this, [&] { runKeyRelease(editor_, *e, gridKeyHandlers()); });
    e->accept();
}

void TAdvStringGrid::editorCharacters(const QString& text) {
    if (destroying_)
        return;
    for (char32_t ch : text.toUcs4()) {
        guarded(this, [&] {
            QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier,
                          QString::fromUcs4(&ch, 1));
            runEditorKeyPress(key);
        });
    }
}

void TAdvStringGrid::editorFocusIn() {
    if (destroying_)
        return;
    const bool fromGrid = focusToEditor_;
    focusToEditor_ = false;
    guarded(this, [&] { EditorFocusGained(fromGrid); });
}

void TAdvStringGrid::editorFocusOut() {
    if (destroying_)
        return;
    QWidget* next = QApplication::focusWidget();
    if (next == this) {
        focusFromEditor_ = true;
        return;
    }
    if (next)
        guarded(this, [&] { Exited(); });
}

void TAdvStringGrid::editorDoubleClick() {
    if (destroying_)
        return;
    guarded(this, [&] { EditorDoubleClicked(); });
}

void TAdvStringGrid::editorWheel(QWheelEvent* e) {
    if (destroying_)
        return;
    wheelEvent(e);
}

qint64 TAdvStringGrid::msSinceLastGridPress() const {
    return lastGridPress_.isValid() ? lastGridPress_.elapsed() : -1;
}

// ---- scroll bars

void TAdvStringGrid::scrollBarAction(bool vertical, int action) {
    if (syncingBars_)
        return;
    QScrollBar* bar = vertical ? verticalScrollBar() : horizontalScrollBar();
    guarded(this, [&] {
        if (isVisible() && TabStop() && !hasFocus())
            setFocus(Qt::OtherFocusReason);
        switch (action) {
        case QAbstractSlider::SliderSingleStepAdd:
            ScrollCommand(vertical, ScrollCode::LineDown);
            break;
        case QAbstractSlider::SliderSingleStepSub:
            ScrollCommand(vertical, ScrollCode::LineUp);
            break;
        case QAbstractSlider::SliderPageStepAdd:
            ScrollCommand(vertical, ScrollCode::PageDown);
            break;
        case QAbstractSlider::SliderPageStepSub:
            ScrollCommand(vertical, ScrollCode::PageUp);
            break;
        case QAbstractSlider::SliderToMinimum:
            ScrollCommand(vertical, ScrollCode::Top);
            break;
        case QAbstractSlider::SliderToMaximum:
            ScrollCommand(vertical, ScrollCode::Bottom);
            break;
        case QAbstractSlider::SliderMove:
            if (bar->isSliderDown()) {
                ScrollCommand(vertical, ScrollCode::ThumbTrack, bar->sliderPosition());
                return; // the thumb follows the pointer while it is dragged
            }
            ScrollCommand(vertical, ScrollCode::ThumbPosition, bar->sliderPosition());
            break;
        default:
            return;
        }
    });
    const ScrollBarState s = vertical ? VertScroll() : HorzScroll();
    bar->setSliderPosition(s.Position);
}

void TAdvStringGrid::scrollBarReleased(bool vertical) {
    QScrollBar* bar = vertical ? verticalScrollBar() : horizontalScrollBar();
    guarded(this,
            [&] { ScrollCommand(vertical, ScrollCode::ThumbPosition, bar->sliderPosition()); });
    const ScrollBarState s = vertical ? VertScroll() : HorzScroll();
    syncingBars_ = true;
    bar->setValue(s.Position);
    syncingBars_ = false;
}

} // namespace grid
