#include "grid/TInplaceEdit.h"

#include "grid/TAdvStringGrid.h"
#include "platform/Gbk.h"
#include "platform/Guard.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPointer>
#include <QRegularExpression>

namespace grid {

TInplaceEdit::TInplaceEdit(TAdvStringGrid* grid)
    : QLineEdit(grid->viewport())
    , grid_(grid) {
    setFrame(false);
    setFocusPolicy(Qt::ClickFocus); // no tab stop
    setDragEnabled(false);
    setAcceptDrops(false);
    setMaxLength(32767);
    setTextMargins(1, 0, 1, 0);
    platform::markOwnKeyPhases(this);
    connect(this, &QLineEdit::textEdited, this, [this] { grid_->editorTextEdited(); });
}

void TInplaceEdit::setProgramText(const std::string& text) {
    // setText never emits textEdited and clears the modification flag.
    setText(QString::fromStdString(text));
    setModified(false);
}

bool TInplaceEdit::insertLimited(const QString& input) {
    if (isReadOnly())
        return false;
    QString text = input;
    if (const auto lineEnd = text.indexOf(QRegularExpression(QStringLiteral("[\r\n]")));
        lineEnd >= 0)
        text.truncate(lineEnd); // a one-line editor takes the first line
    if (maxBytes_ > 0) {
        const QString current = this->text();
        const int start = hasSelectedText() ? selectionStart() : cursorPosition();
        const int length = hasSelectedText() ? static_cast<int>(selectedText().length()) : 0;
        const QString rest = current.left(start) + current.mid(start + length);
        std::size_t used = platform::gbkLength(rest.toStdString());
        QString fitting;
        for (char32_t ch : text.toUcs4()) {
            const QString one = QString::fromUcs4(&ch, 1);
            const std::size_t bytes = platform::gbkLength(one.toStdString());
            if (used + bytes > static_cast<std::size_t>(maxBytes_))
                break;
            used += bytes;
            fitting += one;
        }
        text = fitting;
    }
    if (text.isEmpty())
        return false;
    insert(text);
    return true;
}

void TInplaceEdit::pasteLimited() {
    if (isReadOnly())
        return;
    insertLimited(QGuiApplication::clipboard()->text());
}

void TInplaceEdit::typeCharacter(char32_t ch) {
    switch (ch) {
    case 1:
        selectAll();
        return;
    case 3:
        copy();
        return;
    case 8:
        if (!isReadOnly())
            backspace();
        return;
    case 22:
        pasteLimited();
        return;
    case 24:
        if (!isReadOnly())
            cut();
        return;
    case 26:
        undo();
        return;
    default:
        break;
    }
    if (ch >= 32)
        insertLimited(QString::fromUcs4(&ch, 1));
}

void TInplaceEdit::controlKeyDown(QKeyEvent* event) {
    if (event->matches(QKeySequence::Paste)) {
        pasteLimited();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

bool TInplaceEdit::event(QEvent* e) {
    if (e->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(e);
        if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) &&
            grid_->Options().contains(goTabs)) {
            keyPressEvent(key);
            return true;
        }
    }
    return QLineEdit::event(e);
}

void TInplaceEdit::keyPressEvent(QKeyEvent* event) {
    grid_->editorKeyPressEvent(event);
}

void TInplaceEdit::keyReleaseEvent(QKeyEvent* event) {
    grid_->editorKeyReleaseEvent(event);
}

void TInplaceEdit::inputMethodEvent(QInputMethodEvent* event) {
    if (event->commitString().isEmpty()) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    // The composition stays Qt's; committed text goes through the character phases.
    QInputMethodEvent preedit(event->preeditString(), event->attributes());
    QLineEdit::inputMethodEvent(&preedit);
    grid_->editorCharacters(event->commitString());
    event->accept();
}

void TInplaceEdit::mousePressEvent(QMouseEvent* event) {
    const qint64 since = grid_->msSinceLastGridPress();
    if (event->button() == Qt::LeftButton && since >= 0 &&
        since < QApplication::doubleClickInterval()) {
        QLineEdit::mousePressEvent(event);
        grid_->editorDoubleClick();
        return;
    }
    QLineEdit::mousePressEvent(event);
}

void TInplaceEdit::mouseDoubleClickEvent(QMouseEvent* event) {
    QLineEdit::mouseDoubleClickEvent(event);
    grid_->editorDoubleClick();
}

void TInplaceEdit::wheelEvent(QWheelEvent* event) {
    grid_->editorWheel(event);
}

void TInplaceEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    grid_->editorFocusIn();
}

void TInplaceEdit::focusOutEvent(QFocusEvent* event) {
    // The edit control keeps its selection without the focus (QLineEdit would drop it), so
    // a character typed on the grid later still replaces a loaded, all-selected text.
    const bool selected = hasSelectedText();
    const int start = selectionStart();
    const int length = selected ? static_cast<int>(selectedText().length()) : 0;
    const int cursor = cursorPosition();
    QLineEdit::focusOutEvent(event);
    if (selected) {
        if (cursor == start)
            setSelection(start + length, -length);
        else
            setSelection(start, length);
    } else {
        setCursorPosition(cursor);
    }
    grid_->editorFocusOut();
}

void TInplaceEdit::contextMenuEvent(QContextMenuEvent* event) {
    QPointer<QMenu> menu = createStandardContextMenu();
    const bool canModify = !isReadOnly();
    for (QAction* action : menu->actions()) {
        const QString name = action->objectName();
        if (name == QLatin1String("edit-paste")) {
            // Pasting obeys the column's byte budget.
            action->disconnect();
            action->setEnabled(canModify && !QGuiApplication::clipboard()->text().isEmpty());
            connect(action, &QAction::triggered, this,
                    [this] { platform::guarded(grid_, [&] { pasteLimited(); }); });
        } else if (name == QLatin1String("edit-cut") || name == QLatin1String("edit-delete")) {
            if (!canModify)
                action->setEnabled(false);
        }
    }
    menu->exec(event->globalPos());
    delete menu;
}

} // namespace grid
