#include "plugin/EntryCall.h"

#include "platform/Gbk.h"
#include "platform/GuiStartup.h"
#include "platform/MessageBox.h"
#include "platform/Modal.h"
#include "plugin/HostContext.h"
#include "plugin/TFrmBase.h"

#include <QApplication>
#include <QFrame>
#include <QPointer>
#include <QScreen>

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <type_traits>

namespace plugin {
namespace {

// The hooks plugin_abi.h documents for hosts are the platform layer's own.
static_assert(sizeof(HsdwMessageBoxHook) == sizeof(platform::PlatformMessageBoxHook));
static_assert(offsetof(HsdwMessageBoxHook, context) ==
              offsetof(platform::PlatformMessageBoxHook, context));
// A host's function is called through the platform's pointer type: the types must be the
// same, not merely the same size (uintptr_t and quintptr are different types).
static_assert(std::is_same_v<decltype(HsdwMessageBoxHook::show),
                             decltype(platform::PlatformMessageBoxHook::show)>);
static_assert(std::is_same_v<decltype(HsdwModalHook::onModal),
                             decltype(platform::PlatformModalHook::onModal)>);
static_assert(sizeof(HsdwModalHook) == sizeof(platform::PlatformModalHook));
static_assert(offsetof(HsdwModalHook, context) == offsetof(platform::PlatformModalHook, context));
static_assert(HSDW_MB_OKCANCEL == platform::MB_OKCANCEL && HSDW_MB_YESNO == platform::MB_YESNO &&
              HSDW_MB_ICONERROR == platform::MB_ICONERROR && HSDW_IDNO == platform::IDNO);

constexpr bool sameText(const char* a, const char* b) {
    return std::char_traits<char>::compare(a, b, std::char_traits<char>::length(b) + 1) == 0;
}
static_assert(sameText(HSDW_MESSAGE_BOX_HOOK_PROPERTY, platform::kMessageBoxHookProperty));
static_assert(sameText(HSDW_MODAL_HOOK_PROPERTY, platform::kModalHookProperty));

void reportFailure(HsdwWindowHandle owner, const char* text) noexcept {
    try {
        platform::MessageBox(owner, text, "错误", platform::MB_OK | platform::MB_ICONERROR);
    } catch (...) {
        std::fprintf(stderr, "error: %s\n", text);
    }
}

// Destroys a window that never reached the screen when a later step fails.
struct PendingWindow {
    QPointer<TFrmBase> window;
    ~PendingWindow() {
        if (window)
            window->deleteLater();
    }
    TFrmBase* release() {
        TFrmBase* w = window;
        window = nullptr;
        return w;
    }
};

void embed(TFrmBase& window, QWidget& container, const HsdwHostContainer& geometry) {
    // Now a child: the container owns and clips it. (The owner already is its parent, as a
    // window; only the flags make it a child.)
    window.setParent(&container, Qt::Widget);
    window.alignToWorkArea();
    QFrame* panel = window.PanelMain;
    panel->resize(panel->width(), std::max(0, int(geometry.height)));
    panel->resize(std::max(0, int(geometry.width)), panel->height());
}

void centreOnScreen(TFrmBase& window) {
    const QScreen* screen = window.screen() ? window.screen() : QApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = window.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window.move(frame.topLeft());
}

void enter(FormMode mode, HsdwWindowHandle appWindow, HsdwWindowHandle notifyControl,
           const unsigned char* operatorCode, const HsdwHostContainer* container,
           PlatformDispatch* dataService, WindowFactory factory) {
    if (!QApplication::instance())
        throw std::runtime_error("宿主没有创建应用程序对象，无法打开窗口。");
    // The window's Windows font names, mapped once for the process (the host need not know
    // them).
    platform::startGui();
    // The host's own object addresses become registered handles.
    appWindow = platform::adoptHandle(appWindow);
    notifyControl = platform::adoptHandle(notifyControl);

    // 1. Copies of the call's inputs; the call holds its own service reference.
    std::string code = operatorCodeFrom(operatorCode);
    const platform::DispatchRef callReference = platform::DispatchRef::retain(dataService);

    // 2.-6. The host context.
    HostContext& context = hostContext();
    context.AppHandle = appWindow;
    context.ApplicationHandle = 0;
    context.DataService = ICoorDisp(callReference);
    context.NotifyControl = notifyControl;
    context.OperatorCode = std::move(code);

    QWidget* host = nullptr;
    if (mode == FormMode::Embedded) {
        host = container ? platform::widgetOf(platform::adoptHandle(container->handle)) : nullptr;
        if (!host)
            throw std::runtime_error("宿主没有提供有效的容器，无法嵌入核算单位档案窗口。");
    }

    // 7. Create (runs FormCreate and the window's own start-up).
    PendingWindow pending;
    pending.window = factory(mode, host);
    if (!pending.window)
        throw std::runtime_error("无法创建核算单位档案窗口。");
    context.CurrentWindow = pending.window;

    if (mode == FormMode::Embedded) {
        // 8.-9. Re-parent, then size the main panel: height first, then width.
        embed(*pending.window, *host, *container);
    } else if (QWidget* application = platform::widgetOf(context.AppHandle)) {
        // The application window owns the dialog (it stays above it and goes with it).
        pending.window->setParent(application, pending.window->windowFlags() | Qt::Window);
        centreOnScreen(*pending.window);
    } else {
        centreOnScreen(*pending.window);
    }

    // 10. Show without waiting; the window lives on in the host's event loop.
    pending.release()->show();
    // 11. `callReference` goes here; the context keeps its own.
}

} // namespace

std::string operatorCodeFrom(const unsigned char* lengthPrefixedGbk) {
    if (!lengthPrefixedGbk)
        return {};
    const std::size_t length = lengthPrefixedGbk[0];
    return platform::fromGbk(
        std::string_view(reinterpret_cast<const char*>(lengthPrefixedGbk + 1), length));
}

void runEntryCall(FormMode mode, HsdwWindowHandle appWindow, HsdwWindowHandle notifyControl,
                  const unsigned char* operatorCode, const HsdwHostContainer* container,
                  PlatformDispatch* dataService, WindowFactory factory) noexcept {
    try {
        enter(mode, appWindow, notifyControl, operatorCode, container, dataService, factory);
    } catch (const std::exception& e) {
        reportFailure(platform::adoptHandle(appWindow), e.what());
    } catch (...) {
        reportFailure(platform::adoptHandle(appWindow), "未知错误");
    }
}

} // namespace plugin
