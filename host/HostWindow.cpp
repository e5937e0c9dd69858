#include "host/HostWindow.h"

#include "host/HostOptions.h"
#include "host/PluginLibrary.h"
#include "platform/Dispatch.h"
#include "platform/Guard.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenuBar>
#include <QResizeEvent>
#include <QScreen>
#include <QSet>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

namespace host {
namespace {

bool acceptsMessages(const QObject* object) {
    return object->metaObject()->indexOfMethod("windowMessage(uint,quintptr,qintptr)") >= 0;
}

} // namespace

NotifyControl::NotifyControl(QWidget* parent)
    : QLabel(parent) {
    setObjectName(QStringLiteral("NotifyControl"));
    platform::handleOf(this);
}

qintptr NotifyControl::windowMessage(uint message, quintptr, qintptr) {
    if (message != platform::WM_PLUGIN_CLOSING)
        return 0;
    // Called from the plug-in's side of the C boundary: nothing may escape to it.
    platform::guarded(this, [&] {
        ++closingNotices_;
        Q_EMIT pluginClosing();
    });
    return 0;
}

HostContainer::HostContainer(QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("HostContainer"));
    platform::handleOf(this);
}

void HostContainer::resizeEvent(QResizeEvent* event) {
    platform::guarded(this, [&] {
        QWidget::resizeEvent(event);
        const QSize size = event->size();
        for (QObject* child : children()) {
            auto* widget = qobject_cast<QWidget*>(child);
            if (!widget || !acceptsMessages(widget))
                continue;
            platform::sendMessage(platform::handleOf(widget), platform::WM_RESIZE_PANEL,
                                  quintptr(size.height()), qintptr(size.width()));
            ++resizeMessagesSent_;
        }
    });
}

HostWindow::HostWindow(PluginLibrary& plugin, const platform::DispatchRef& dataService,
                       std::string operatorCode, QWidget* parent)
    : QMainWindow(parent)
    , plugin_(plugin)
    , dataService_(std::make_unique<platform::DispatchRef>(dataService))
    , operatorCode_(lengthPrefixedGbk(operatorCode).value_or(std::string(1, '\0'))) {
    setObjectName(QStringLiteral("HostWindow"));
    setWindowTitle(QStringLiteral("参考宿主 — 核算单位档案"));
    platform::handleOf(this);

    container_ = new HostContainer(this);
    container_->setAutoFillBackground(true);
    QPalette palette = container_->palette();
    palette.setColor(QPalette::Window, QColor(0xE8, 0xEC, 0xF2));
    container_->setPalette(palette);
    setCentralWidget(container_);

    notify_ = new NotifyControl(this);
    statusBar()->addPermanentWidget(notify_);
    statusBar()->showMessage(QStringLiteral("操作员 %1").arg(QString::fromStdString(operatorCode)));

    openEmbeddedAction_ = new QAction(QStringLiteral("嵌入打开(&E)"), this);
    openDialogAction_ = new QAction(QStringLiteral("对话框打开(&D)"), this);
    closeAction_ = new QAction(QStringLiteral("关闭档案(&C)"), this);
    auto* quitAction = new QAction(QStringLiteral("退出(&X)"), this);
    connect(openEmbeddedAction_, &QAction::triggered, this,
            [this] { platform::guarded(this, [&] { openEmbedded(); }); });
    connect(openDialogAction_, &QAction::triggered, this,
            [this] { platform::guarded(this, [&] { openDialog(); }); });
    connect(closeAction_, &QAction::triggered, this,
            [this] { platform::guarded(this, [&] { closePluginWindow(); }); });
    connect(quitAction, &QAction::triggered, this, &QWidget::close);

    QMenu* menu = menuBar()->addMenu(QStringLiteral("核算单位档案(&A)"));
    menu->addAction(openEmbeddedAction_);
    menu->addAction(openDialogAction_);
    menu->addAction(closeAction_);
    menu->addSeparator();
    menu->addAction(quitAction);
    QToolBar* tools = addToolBar(QStringLiteral("档案"));
    tools->setObjectName(QStringLiteral("HostToolBar"));
    tools->setMovable(false);
    tools->addAction(openEmbeddedAction_);
    tools->addAction(openDialogAction_);
    tools->addAction(closeAction_);

    connect(notify_, &NotifyControl::pluginClosing, this, &HostWindow::onPluginClosing);
    // The embedded window is as large as the work area; a host no larger shows all of it.
    QSize size(960, 640);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size());
    resize(size);
    updateActions();
}

HostWindow::~HostWindow() = default;

bool HostWindow::openEmbedded() {
    return open(true);
}
bool HostWindow::openDialog() {
    return open(false);
}

bool HostWindow::open(bool embedded) {
    if (pluginWindow_)
        return false; // one archive window at a time

    const QWidgetList windowsBefore = QApplication::topLevelWidgets();
    const QSet<QWidget*> before(windowsBefore.begin(), windowsBefore.end());
    const QObjectList childrenBefore = container_->children();

    const auto code = reinterpret_cast<const unsigned char*>(operatorCode_.data());
    if (embedded) {
        const HsdwHostContainer target{platform::handleOf(container_), container_->width(),
                                       container_->height()};
        plugin_.getFormOne()(platform::handleOf(this), platform::handleOf(notify_), code, &target,
                             dataService_->get());
        for (QObject* child : container_->children())
            if (!childrenBefore.contains(child) && child->isWidgetType() && acceptsMessages(child))
                track(static_cast<QWidget*>(child));
    } else {
        plugin_.getFormOneHsdw()(platform::handleOf(this), platform::handleOf(notify_), code,
                                 nullptr, dataService_->get());
        for (QWidget* w : QApplication::topLevelWidgets())
            if (!before.contains(w) && acceptsMessages(w) && w != this)
                track(w);
    }
    updateActions();
    return pluginWindow_ != nullptr;
}

void HostWindow::track(QWidget* window) {
    pluginWindow_ = window;
    statusBar()->showMessage(QStringLiteral("核算单位档案已打开"));
    connect(window, &QObject::destroyed, this, [this] {
        // The window frees itself after closing, or went with its container.
        QTimer::singleShot(0, this, [this] {
            platform::guarded(this, [&] {
                updateActions();
                Q_EMIT pluginWindowGone();
            });
        });
    });
}

bool HostWindow::closePluginWindow() {
    if (!pluginWindow_)
        return true;
    return pluginWindow_->close();
}

void HostWindow::onPluginClosing() {
    notify_->setText(QStringLiteral("档案窗口已关闭（%1）").arg(notify_->closingNotices()));
    statusBar()->showMessage(QStringLiteral("核算单位档案已关闭，可以再次打开"));
    // The window deletes itself once its close handler returned; then the actions follow.
}

void HostWindow::updateActions() {
    const bool open = pluginWindow_ != nullptr;
    openEmbeddedAction_->setEnabled(!open);
    openDialogAction_->setEnabled(!open);
    closeAction_->setEnabled(open);
}

void HostWindow::closeEvent(QCloseEvent* event) {
    // The plug-in window closes first, so it can write or refuse pending input.
    if (pluginWindow_ && !pluginWindow_->close()) {
        event->ignore();
        return;
    }
    event->accept();
}

} // namespace host
