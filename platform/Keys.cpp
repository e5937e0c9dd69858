#include "platform/Keys.h"

#include "platform/Guard.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QVariant>
#include <QWidget>

namespace platform {
namespace {

constexpr const char* kPreviewProperty = "platform.key-preview";
constexpr const char* kOwnPhasesProperty = "platform.own-key-phases";

struct KeyMapping {
    Qt::Key qt;
    Word vk;
};

constexpr KeyMapping kKeyTable[] = {
    {Qt::Key_Backspace, VK_BACK},  {Qt::Key_Tab, VK_TAB},       {Qt::Key_Backtab, VK_TAB},
    {Qt::Key_Return, VK_RETURN},   {Qt::Key_Enter, VK_RETURN},  {Qt::Key_Shift, VK_SHIFT},
    {Qt::Key_Control, VK_CONTROL}, {Qt::Key_Alt, VK_MENU},      {Qt::Key_Escape, VK_ESCAPE},
    {Qt::Key_Space, VK_SPACE},     {Qt::Key_PageUp, VK_PRIOR},  {Qt::Key_PageDown, VK_NEXT},
    {Qt::Key_End, VK_END},         {Qt::Key_Home, VK_HOME},     {Qt::Key_Left, VK_LEFT},
    {Qt::Key_Up, VK_UP},           {Qt::Key_Right, VK_RIGHT},   {Qt::Key_Down, VK_DOWN},
    {Qt::Key_Insert, VK_INSERT},   {Qt::Key_Delete, VK_DELETE}, {Qt::Key_Semicolon, 186},
    {Qt::Key_Colon, 186},          {Qt::Key_Equal, 187},        {Qt::Key_Plus, 187},
    {Qt::Key_Comma, 188},          {Qt::Key_Less, 188},         {Qt::Key_Minus, 189},
    {Qt::Key_Underscore, 189},     {Qt::Key_Period, 190},       {Qt::Key_Greater, 190},
    {Qt::Key_Slash, 191},          {Qt::Key_Question, 191},     {Qt::Key_QuoteLeft, 192},
    {Qt::Key_AsciiTilde, 192},     {Qt::Key_BracketLeft, 219},  {Qt::Key_BraceLeft, 219},
    {Qt::Key_Backslash, 220},      {Qt::Key_Bar, 220},          {Qt::Key_BracketRight, 221},
    {Qt::Key_BraceRight, 221},     {Qt::Key_Apostrophe, 222},   {Qt::Key_QuoteDbl, 222},
};

struct Preview {
    QWidget* form;
    KeyHandlers handlers;
};

Preview* previewFor(QWidget* target) {
    for (QWidget* w = target; w; w = w->parentWidget()) {
        const QVariant v = w->property(kPreviewProperty);
        if (v.isValid())
            return reinterpret_cast<Preview*>(v.value<quintptr>());
    }
    return nullptr;
}

} // namespace

Word virtualKeyOf(const QKeyEvent& event) {
    const int key = event.key();
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return static_cast<Word>(key);
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return static_cast<Word>(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return static_cast<Word>(VK_F1 + (key - Qt::Key_F1));
    for (const KeyMapping& m : kKeyTable)
        if (m.qt == key)
            return m.vk;
    return 0;
}

Qt::Key qtKeyOf(Word vk) {
    if ((vk >= VK_0 && vk <= VK_0 + 9) || (vk >= VK_A && vk <= VK_A + 25))
        return static_cast<Qt::Key>(vk);
    if (vk >= VK_F1 && vk <= VK_F1 + 23)
        return static_cast<Qt::Key>(Qt::Key_F1 + (vk - VK_F1));
    for (const KeyMapping& m : kKeyTable)
        if (m.vk == vk)
            return m.qt;
    return Qt::Key_unknown;
}

TShiftState shiftStateOf(Qt::KeyboardModifiers modifiers) {
    TShiftState s;
    if (modifiers & Qt::ShiftModifier)
        s |= ShiftFlag::Shift;
    if (modifiers & Qt::AltModifier)
        s |= ShiftFlag::Alt;
    if (modifiers & Qt::ControlModifier)
        s |= ShiftFlag::Ctrl;
    return s;
}

QString charactersOf(const QKeyEvent& event) {
    if (event.modifiers() & Qt::AltModifier)
        return {}; // Alt combinations are menu keys, not characters
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return QString(QChar(13));
    case Qt::Key_Backspace:
        return QString(QChar(8));
    case Qt::Key_Escape:
        return QString(QChar(27));
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return QString(QChar(9));
    case Qt::Key_Delete:
        return {};
    default:
        break;
    }
    if ((event.modifiers() & Qt::ControlModifier) && event.key() >= Qt::Key_A &&
        event.key() <= Qt::Key_Z)
        return QString(QChar(event.key() - Qt::Key_A + 1));
    QString text = event.text();
    text.remove(QChar(0x7F));
    return text;
}

KeyPressResult runKeyPress(QWidget* target, const QKeyEvent& event, const KeyHandlers& handlers) {
    Preview* preview = previewFor(target);
    if (preview && preview->form == target)
        preview = nullptr; // the form's own keys reach its handlers directly
    const TShiftState shift = shiftStateOf(event.modifiers());
    KeyPressResult result;
    result.key = virtualKeyOf(event);
    if (result.key != 0) {
        if (preview && preview->handlers.keyDown)
            preview->handlers.keyDown(result.key, shift);
        if (result.key != 0 && handlers.keyDown)
            handlers.keyDown(result.key, shift);
        if (result.key == 0)
            return result;
    }
    const QString text = charactersOf(event);
    for (char32_t ch : text.toUcs4()) {
        if (preview && preview->handlers.keyPress)
            preview->handlers.keyPress(ch);
        if (ch != 0 && handlers.keyPress)
            handlers.keyPress(ch);
        if (ch != 0)
            result.characters.append(QString::fromUcs4(&ch, 1));
    }
    return result;
}

void runKeyRelease(QWidget* target, const QKeyEvent& event, const KeyHandlers& handlers) {
    Preview* preview = previewFor(target);
    if (preview && preview->form == target)
        preview = nullptr;
    Word key = virtualKeyOf(event);
    if (key == 0)
        return;
    const TShiftState shift = shiftStateOf(event.modifiers());
    if (preview && preview->handlers.keyUp)
        preview->handlers.keyUp(key, shift);
    if (key != 0 && handlers.keyUp)
        handlers.keyUp(key, shift);
}

void markOwnKeyPhases(QWidget* widget) {
    widget->setProperty(kOwnPhasesProperty, true);
}

// Gives the form's handlers the first look at key events aimed at Qt's own controls.
class KeyPreview::Filter : public QObject {
public:
    Filter(QWidget* form, KeyHandlers handlers)
        : preview_{form, std::move(handlers)}
        , form_(form) {
        form->setProperty(kPreviewProperty,
                          QVariant::fromValue(reinterpret_cast<quintptr>(&preview_)));
        qApp->installEventFilter(this);
    }
    ~Filter() override {
        if (form_)
            form_->setProperty(kPreviewProperty, QVariant());
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
            return false;
        auto* target = qobject_cast<QWidget*>(watched);
        if (!target || target == form_ || !form_ || !form_->isAncestorOf(target) ||
            target->property(kOwnPhasesProperty).toBool() || rewriting_)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        bool eat = false;
        guarded(form_, [&] { eat = preview(target, *key); });
        return eat;
    }

private:
    // Returns true when the event must not reach the control as it is.
    bool preview(QWidget* target, const QKeyEvent& event) {
        const TShiftState shift = shiftStateOf(event.modifiers());
        Word vk = virtualKeyOf(event);
        if (event.type() == QEvent::KeyRelease) {
            if (vk != 0 && preview_.handlers.keyUp)
                preview_.handlers.keyUp(vk, shift);
            return vk == 0 && virtualKeyOf(event) != 0;
        }
        if (vk != 0 && preview_.handlers.keyDown) {
            preview_.handlers.keyDown(vk, shift);
            if (vk == 0)
                return true;
        }
        const QString original = charactersOf(event);
        if (original.isEmpty() || !preview_.handlers.keyPress)
            return false;
        QString kept;
        for (char32_t ch : original.toUcs4()) {
            preview_.handlers.keyPress(ch);
            if (ch != 0)
                kept.append(QString::fromUcs4(&ch, 1));
        }
        if (kept == original)
            return false;
        // Deliver the key-down part with the characters the preview left.
        QKeyEvent rewritten(QEvent::KeyPress,
                            kept.isEmpty() && event.key() == Qt::Key_unknown ? Qt::Key_unknown
                                                                             : event.key(),
                            event.modifiers(), kept);
        QPointer<QWidget> guard(target);
        rewriting_ = true;
        QApplication::sendEvent(target, &rewritten);
        rewriting_ = false;
        return true;
    }

    Preview preview_;
    QPointer<QWidget> form_;
    bool rewriting_ = false;
};

KeyPreview::KeyPreview(QWidget* form, KeyHandlers handlers)
    : filter_(new Filter(form, std::move(handlers))) {}

KeyPreview::~KeyPreview() {
    delete filter_;
}

} // namespace platform
