#include "platform/Modal.h"

#include "platform/Guard.h"

#include <QCoreApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <QVariant>

namespace platform {
namespace {

const PlatformModalHook* installedHook() {
    const QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return nullptr;
    return reinterpret_cast<const PlatformModalHook*>(
        app->property(kModalHookProperty).value<quintptr>());
}

void setInstalledHook(const PlatformModalHook* hook) {
    if (QCoreApplication* app = QCoreApplication::instance())
        app->setProperty(kModalHookProperty,
                         hook ? QVariant::fromValue(reinterpret_cast<quintptr>(hook)) : QVariant());
}

} // namespace

int execModal(QDialog& dialog) {
    if (const PlatformModalHook* hook = installedHook()) {
        QPointer<QDialog> guard(&dialog);
        QTimer::singleShot(0, &dialog, [hook, guard] {
            hook->onModal(hook->context, static_cast<QWidget*>(guard.data()));
            if (guard && guard->isVisible())
                guard->reject();
        });
    }
    return dialog.exec();
}

ModalHook::ModalHook(std::function<void(QWidget*)> handler)
    : handler_(std::move(handler))
    , previous_(installedHook()) {
    hook_.onModal = &ModalHook::call;
    hook_.context = this;
    setInstalledHook(&hook_);
}

ModalHook::~ModalHook() {
    setInstalledHook(previous_);
}

void ModalHook::call(void* context, void* window) {
    auto* self = static_cast<ModalHook*>(context);
    auto* widget = static_cast<QWidget*>(window);
    ++self->count_;
    guarded(widget, [&] { self->handler_(widget); });
}

} // namespace platform
