#include "plugin/TFrmBase.h"

#include "platform/Guard.h"
#include "plugin/HostContext.h"
#include "plugin/JobFlag.h"
#include "plugin/plugin_abi.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFont>
#include <QFrame>
#include <QGuiApplication>
#include <QScreen>

#include <limits>

namespace plugin {
namespace {

int clampToInt(qintptr value) {
    if (value < 0)
        return 0;
    if (value > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    return int(value);
}

} // namespace

TFrmBase::TFrmBase(QWidget* owner)
    : TFrmBase(owner, LayoutOnly{}) {
    FormCreate();
}

TFrmBase::TFrmBase(QWidget* owner, LayoutOnly)
    : QWidget(owner, Qt::Window | Qt::FramelessWindowHint) {
    buildLayout();
    platform::handleOf(this);
}

TFrmBase::~TFrmBase() = default;

void TFrmBase::buildLayout() {
    setObjectName(QStringLiteral("FrmBase"));
    setWindowTitle(QStringLiteral("FrmBase"));
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(12); // height -12: 9 points at 96 pixels per inch
    setFont(font);
    // Button face, set explicitly so that an embedding container's colours do not show.
    QPalette face = palette();
    face.setColor(QPalette::Window, QApplication::palette().color(QPalette::Button));
    setPalette(face);
    setAutoFillBackground(true);
    resize(kDesignClientWidth, kDesignClientHeight);

    PanelMain = new QFrame(this);
    PanelMain->setObjectName(QStringLiteral("PanelMain"));
    PanelMain->setFrameShape(QFrame::NoFrame);
    PanelMain->setGeometry(0, 0, kDesignPanelWidth, kDesignPanelHeight);
    PanelMain->setFocusPolicy(Qt::NoFocus);

    alignToWorkArea();
}

void TFrmBase::alignToWorkArea() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect workArea = screen ? screen->availableGeometry() : QRect(0, 0, 800, 600);
    if (isWindow())
        setGeometry(workArea);
    else
        setGeometry(QRect(QPoint(0, 0), workArea.size()));
}

void TFrmBase::FormCreate() {
    HostContext& context = hostContext();
    context.ApplicationHandle = context.AppHandle;
    if (std::optional<std::string> flag = readJobFlag())
        context.JobFlag = std::move(*flag);
}

void TFrmBase::FormClose(TCloseAction& Action) {
    if (!closeNotified_) {
        closeNotified_ = true;
        platform::sendMessage(hostContext().NotifyControl, platform::WM_PLUGIN_CLOSING, 0, 0);
    }
    Action = TCloseAction::caFree;
}

qintptr TFrmBase::windowMessage(uint message, quintptr wParam, qintptr lParam) {
    if (message == kPrintToFileMessage) {
        qintptr result = HSDW_PRINT_FILE_REFUSED;
        const char* path = reinterpret_cast<const char*>(lParam);
        if (path != nullptr)
            platform::guarded(this, [&] { result = WMPrintToFile(wParam, path); });
        return result;
    }
    if (message != platform::WM_RESIZE_PANEL)
        return 0;
    platform::guarded(this, [&] { WMResizePanel(qintptr(wParam), lParam); });
    return 0;
}

qintptr TFrmBase::WMPrintToFile(quintptr, const char*) {
    return HSDW_PRINT_FILE_REFUSED;
}

void TFrmBase::WMResizePanel(qintptr height, qintptr width) {
    PanelMain->resize(PanelMain->width(), clampToInt(height));
    PanelMain->resize(clampToInt(width), PanelMain->height());
}

void TFrmBase::closeEvent(QCloseEvent* event) {
    TCloseAction action = TCloseAction::caHide;
    const bool completed = platform::guarded(this, [&] { FormClose(action); });
    if (!completed || action == TCloseAction::caNone) {
        event->ignore();
        return;
    }
    event->accept();
    switch (action) {
    case TCloseAction::caFree:
        deleteLater();
        break;
    case TCloseAction::caMinimize:
        if (isWindow()) {
            event->ignore();
            showMinimized();
        }
        break;
    default:
        break;
    }
}

quintptr TFrmBase::appHandle() const {
    return hostContext().AppHandle;
}
quintptr TFrmBase::notifyControl() const {
    return hostContext().NotifyControl;
}
QString TFrmBase::operatorCode() const {
    return QString::fromStdString(hostContext().OperatorCode);
}
QString TFrmBase::jobFlag() const {
    return QString::fromStdString(hostContext().JobFlag);
}

} // namespace plugin
