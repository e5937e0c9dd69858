#include "report/engine/model/RMUnits.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace report {

namespace {

struct Resolution {
    int x = 0;
    int y = 0;
};

Resolution& resolution() {
    static Resolution value;
    if (value.x <= 0) {
        value = {96, 96};
        if (QGuiApplication::instance() != nullptr) {
            if (const QScreen* screen = QGuiApplication::primaryScreen()) {
                value.x = std::max(1, qRound(screen->logicalDotsPerInchX()));
                value.y = std::max(1, qRound(screen->logicalDotsPerInchY()));
            }
        }
    }
    return value;
}

} // namespace

int screenPixelsPerInchX() {
    return resolution().x;
}
int screenPixelsPerInchY() {
    return resolution().y;
}

void setScreenPixelsPerInch(int x, int y) {
    resolution() = {x > 0 ? x : 96, y > 0 ? y : 96};
}

double RMToScreenPixels(double value, int unit) {
    switch (unit) {
    case rmutMillimeters:
        return value * screenPixelsPerInchX() * 0.03937;
    case rmutInches:
        return value * screenPixelsPerInchX();
    default:
        return value;
    }
}

double RMFromScreenPixels(double pixels, int unit) {
    switch (unit) {
    case rmutMillimeters:
        return pixels / screenPixelsPerInchX() / 0.03937;
    case rmutInches:
        return pixels / screenPixelsPerInchX();
    default:
        return pixels;
    }
}

int marginToPixels(std::int32_t thousandthsMm) {
    return static_cast<int>(std::lround(RMToScreenPixels(thousandthsMm / 1000.0, rmutMillimeters)));
}

std::int32_t pixelsToMargin(int pixels) {
    return static_cast<std::int32_t>(
        std::lround(RMFromScreenPixels(pixels, rmutMillimeters) * 1000.0));
}

std::int32_t convertOldUnit(std::int32_t value) {
    const double step = std::round(value * 50.0 / 18.0);
    const double converted = std::round(step * 96.0 / 254.0);
    return static_cast<std::int32_t>(std::clamp(converted, -2147483648.0, 2147483647.0));
}

} // namespace report
