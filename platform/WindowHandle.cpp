#include "platform/WindowHandle.h"

#include <QApplication>
#include <QCoreApplication>
#include <QHash>
#include <QMetaObject>
#include <QPointer>
#include <QWidget>

namespace platform {
namespace detail {

// Process-wide handle table. Only reached through invokeMethod by name, so that every
// copy of this layer in the process uses whichever instance was created first.
class HandleRegistry : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kObjectName = "platform.window-handles";

    explicit HandleRegistry(QObject* parent)
        : QObject(parent) {
        setObjectName(QLatin1String(kObjectName));
    }

    Q_INVOKABLE quintptr add(QObject* object) {
        if (!object)
            return 0;
        const QVariant existing = object->property(kHandleProperty);
        if (existing.isValid() && objects_.contains(existing.value<quintptr>()))
            return existing.value<quintptr>();
        const quintptr handle = next_++;
        objects_.insert(handle, object);
        object->setProperty(kHandleProperty, QVariant::fromValue(handle));
        connect(object, &QObject::destroyed, this, [this, handle] { objects_.remove(handle); });
        return handle;
    }

    Q_INVOKABLE QObject* find(quintptr handle) const { return objects_.value(handle).data(); }

private:
    static constexpr const char* kHandleProperty = "platform.handle";
    QHash<quintptr, QPointer<QObject>> objects_;
    quintptr next_ = 0x10000;
};

namespace {

bool acceptsMessages(const QObject* target) {
    return target->metaObject()->indexOfMethod("windowMessage(uint,quintptr,qintptr)") >= 0;
}

QObject* registry() {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return nullptr;
    if (QObject* found = app->findChild<QObject*>(QLatin1String(HandleRegistry::kObjectName),
                                                  Qt::FindDirectChildrenOnly))
        return found;
    return new HandleRegistry(app);
}

} // namespace
} // namespace detail

WindowHandle handleOf(QObject* object) {
    QObject* reg = detail::registry();
    if (!object || !reg)
        return 0;
    quintptr handle = 0;
    QMetaObject::invokeMethod(reg, "add", Qt::DirectConnection, Q_RETURN_ARG(quintptr, handle),
                              Q_ARG(QObject*, object));
    return handle;
}

WindowHandle adoptHandle(quintptr value) {
    if (!value)
        return 0;
    if (objectOf(value))
        return value;
    const auto matches = [value](const QObject* object) {
        return reinterpret_cast<quintptr>(object) == value;
    };
    const QWidgetList widgets = QApplication::allWidgets();
    for (QWidget* widget : widgets)
        if (matches(widget))
            return handleOf(widget);
    // Objects that are no widgets: below the application or below a top-level widget.
    QObjectList roots;
    if (QCoreApplication* app = QCoreApplication::instance())
        roots.append(app);
    for (QWidget* widget : QApplication::topLevelWidgets())
        roots.append(widget);
    for (QObject* root : roots)
        for (QObject* object : root->findChildren<QObject*>())
            if (matches(object))
                return handleOf(object);
    return 0;
}

QObject* objectOf(WindowHandle handle) {
    QObject* reg = detail::registry();
    if (!handle || !reg)
        return nullptr;
    QObject* object = nullptr;
    QMetaObject::invokeMethod(reg, "find", Qt::DirectConnection, Q_RETURN_ARG(QObject*, object),
                              Q_ARG(quintptr, handle));
    return object;
}

QWidget* widgetOf(WindowHandle handle) {
    return qobject_cast<QWidget*>(objectOf(handle));
}

qintptr sendMessage(WindowHandle handle, unsigned message, quintptr wParam, qintptr lParam) {
    QObject* target = objectOf(handle);
    if (!target || !detail::acceptsMessages(target))
        return 0;
    qintptr result = 0;
    QMetaObject::invokeMethod(target, "windowMessage", Qt::DirectConnection,
                              Q_RETURN_ARG(qintptr, result), Q_ARG(uint, message),
                              Q_ARG(quintptr, wParam), Q_ARG(qintptr, lParam));
    return result;
}

bool postMessage(WindowHandle handle, unsigned message, quintptr wParam, qintptr lParam) {
    QObject* target = objectOf(handle);
    if (!target || !detail::acceptsMessages(target))
        return false;
    // Queued calls copy their arguments, which needs the typedef names registered.
    static const bool registered = [] {
        qRegisterMetaType<quintptr>("quintptr");
        qRegisterMetaType<qintptr>("qintptr");
        return true;
    }();
    Q_UNUSED(registered);
    return QMetaObject::invokeMethod(target, "windowMessage", Qt::QueuedConnection,
                                     Q_ARG(uint, message), Q_ARG(quintptr, wParam),
                                     Q_ARG(qintptr, lParam));
}

} // namespace platform

#include "WindowHandle.moc"
