#include "popup/TRopInst.h"

#include "platform/Canvas.h"
#include "platform/Guard.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>

namespace popup {
namespace {

// Dotted shadow: bit 7 is the leftmost pixel; 0 bits take the text colour, 1 bits the brush
// colour, and the result is ANDed with the screen.
constexpr std::array<std::uint8_t, 8> kShadowPattern{0xAA, 0x00, 0x55, 0x00,
                                                     0xAA, 0x00, 0x55, 0x00};
constexpr int kShadow = 16;
constexpr unsigned kTextFormat = platform::DT_LEFT | platform::DT_TOP | platform::DT_NOPREFIX;

std::string joinedLines(const std::vector<std::string>& lines) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            text += "\r\n";
        text += lines[i];
    }
    return text;
}

QScreen* screenOf() {
    return QGuiApplication::primaryScreen();
}

} // namespace

TRopInst::TRopInst(QWidget* parent)
    : QDialog(parent, Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint) {
    setWindowTitle("RopInst");
    setAttribute(Qt::WA_NoMouseReplay); // a click outside closes the note and goes nowhere
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    font.Name = "System";
    font.Height = -17;
    font.Style = platform::fsBold;
    font.Color = platform::clBlack;
    Timer1 = new QTimer(this);
    connect(Timer1, &QTimer::timeout, this,
            [this] { platform::guarded(this, [&] { Timer1Timer(); }); });
    FormCreate();
}

TRopInst::~TRopInst() = default;

void TRopInst::FormCreate() {
    lines.clear();
    brush = platform::TBrush{};
    x = 0;
    y = 0;
    closeTime = 0;
}

QSize TRopInst::textSize() const {
    QImage scratch(1, 1, QImage::Format_RGB32);
    QPainter painter(&scratch);
    platform::TCanvas canvas(painter);
    canvas.Font = font;
    platform::TRect r{0, 0, 0, 0};
    canvas.drawText(joinedLines(lines), r, kTextFormat | platform::DT_CALCRECT);
    return {r.width(), r.height()};
}

void TRopInst::place() {
    // Qt::Popup windows capture mouse and keyboard while shown; closing releases them.
    setFont(platform::toQFont(font));
    const QSize text = textSize();
    const QRect screen = screenOf() ? screenOf()->geometry() : QRect(0, 0, 800, 600);
    // Centred by the text's size, not the window's.
    const int left = x != 0 ? x : (screen.width() - text.width()) / 2;
    const int top = y != 0 ? y : (screen.height() - text.height()) / 2;
    const QRect frame(left, top, text.width() + 40, text.height() + 30);
    setGeometry(frame);
    setFixedSize(frame.size());
    background_ = captureBackground(frame);
    if (closeTime > 0) {
        Timer1->setInterval(closeTime);
        Timer1->start();
    }
}

QImage TRopInst::captureBackground(const QRect& screenRect) const {
    QImage image;
    if (QScreen* screen = screenOf())
        image = screen
                    ->grabWindow(0, screenRect.x(), screenRect.y(), screenRect.width(),
                                 screenRect.height())
                    .toImage();
    if (image.size() == screenRect.size())
        return image.convertToFormat(QImage::Format_RGB32);

    // The screen cannot be read (some platforms refuse): compose our own visible windows,
    // bottom to top as Qt lists them, over the desktop colour.
    image = QImage(screenRect.size(), QImage::Format_RGB32);
    image.fill(platform::toQColor(platform::clBackground));
    QPainter painter(&image);
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w == this || !w->isVisible())
            continue;
        const QRect global(w->mapToGlobal(QPoint(0, 0)), w->size());
        const QRect common = global.intersected(screenRect);
        if (common.isEmpty())
            continue;
        w->render(&painter, common.topLeft() - screenRect.topLeft(),
                  QRegion(common.translated(-global.topLeft())));
    }
    return image;
}

void TRopInst::paintNote(QImage& image) const {
    const int cw = image.width();
    const int ch = image.height();
    QPainter painter(&image);
    platform::TCanvas canvas(painter);
    canvas.Font = font;
    // The note with a 2-pixel black outline inside (1, 1, CW - 16, CH - 16): the 1-pixel
    // margin above and left of it keeps what was on screen.
    const platform::TRect note = platform::Rect(1, 1, cw - kShadow, ch - kShadow);
    canvas.Brush = brush;
    canvas.fillRect(note);
    canvas.Brush = platform::TBrush::solid(platform::clBlack);
    canvas.frameRect(note);
    canvas.frameRect(note.inflated(-1, -1));

    canvas.setBkMode(platform::TBkMode::Transparent);
    canvas.drawText(joinedLines(lines), platform::Rect(6, 6, cw - 21, ch - 21), kTextFormat);

    canvas.Brush = platform::TBrush::pattern(kShadowPattern, brush.Color);
    canvas.patBlt(platform::Rect(kShadow, ch - kShadow, cw, ch), platform::PATAND);
    canvas.patBlt(platform::Rect(cw - kShadow, kShadow, cw, ch), platform::PATAND);
}

void TRopInst::FormPaint() {
    QImage frame =
        background_.size() == size() ? background_ : QImage(size(), QImage::Format_RGB32);
    if (background_.size() != size())
        frame.fill(platform::toQColor(platform::clBtnFace));
    paintNote(frame);
    QPainter painter(this);
    painter.drawImage(0, 0, frame);
}

void TRopInst::paintEvent(QPaintEvent*) {
    platform::guarded(this, [&] { FormPaint(); });
}

void TRopInst::keyPressEvent(QKeyEvent*) {
    platform::guarded(this, [&] { FormKeyDown(); });
}

void TRopInst::mousePressEvent(QMouseEvent* event) {
    event->accept();
    platform::guarded(this, [&] { FormMouseDown(); });
}

void TRopInst::closeEvent(QCloseEvent* event) {
    platform::guarded(this, [&] { FormClose(); });
    QDialog::closeEvent(event);
}

void TRopInst::FormKeyDown() {
    close();
}

void TRopInst::FormMouseDown() {
    close();
}

void TRopInst::Timer1Timer() {
    close();
}

void TRopInst::FormClose() {
    Timer1->stop();
    releaseMouse();
}

} // namespace popup
