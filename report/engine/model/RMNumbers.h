#pragma once

// Whole numbers from the doubles expressions compute with. A double may be NaN, infinite or
// far beyond any integer type, and converting such a value is undefined behaviour; every
// place that turns an expression's number into an integer goes through these.

#include "platform/Variant.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

namespace report {

// The whole part of `x` (truncated towards zero) when it fits a 64-bit integer; nothing for
// NaN, infinities and values beyond the 64-bit range.
inline std::optional<std::int64_t> wholeInt64(double x) {
    // 2^63 is exact as a double; every double below it truncates into range.
    constexpr double limit = 9223372036854775808.0;
    const double whole = std::trunc(x);
    if (!(whole >= -limit && whole < limit))
        return std::nullopt;
    return static_cast<std::int64_t>(whole);
}

// `x` truncated and clamped into [lo, hi]; NaN gives `nanValue`.
template <typename Int>
Int clampedWhole(double x, Int lo = std::numeric_limits<Int>::min(),
                 Int hi = std::numeric_limits<Int>::max(), Int nanValue = 0) {
    if (std::isnan(x))
        return nanValue;
    const double whole = std::trunc(x);
    if (whole <= static_cast<double>(lo))
        return lo;
    if (whole >= static_cast<double>(hi))
        return hi;
    return static_cast<Int>(whole);
}

inline int clampedInt(double x) {
    return clampedWhole<int>(x);
}

inline long long clampedInt64(double x) {
    return clampedWhole<long long>(x);
}

// `x` as a float: beyond float's range it saturates, NaN stays NaN.
inline float clampedFloat(double x) {
    constexpr double most = std::numeric_limits<float>::max();
    if (x > most)
        return std::numeric_limits<float>::max();
    if (x < -most)
        return -std::numeric_limits<float>::max();
    return static_cast<float>(x);
}

// A whole number as a value: an integer while doubles still hold every integer exactly
// (below 9e15), else the double itself (NaN and infinities included).
inline platform::Variant wholeValue(double x) {
    if (std::fabs(x) < 9e15)
        return platform::Variant(static_cast<long long>(x));
    return platform::Variant(x);
}

// Integer division and remainder of the expression language (DIV, MOD): the whole parts
// divided, truncating towards zero. Two 64-bit integers divide exactly; a quotient that
// leaves the 64-bit range (INT64_MIN DIV -1) and operands beyond it are computed on
// doubles. A divisor whose whole part is 0 raises platform::EVariantError.
inline platform::Variant wholeDiv(std::int64_t a, std::int64_t b) {
    if (b == 0)
        throw platform::EVariantError("Division by zero");
    if (b == -1)
        return a == std::numeric_limits<std::int64_t>::min()
                   ? platform::Variant(-static_cast<double>(a))
                   : platform::Variant(static_cast<long long>(-a));
    return platform::Variant(static_cast<long long>(a / b));
}

inline platform::Variant wholeMod(std::int64_t a, std::int64_t b) {
    if (b == 0)
        throw platform::EVariantError("Division by zero");
    if (b == -1) // the remainder is 0; a % -1 traps for INT64_MIN
        return platform::Variant(0);
    return platform::Variant(static_cast<long long>(a % b));
}

inline platform::Variant wholeDiv(double a, double b) {
    const double x = std::trunc(a), y = std::trunc(b);
    if (y == 0)
        throw platform::EVariantError("Division by zero");
    const std::optional<std::int64_t> ix = wholeInt64(x), iy = wholeInt64(y);
    if (ix && iy)
        return wholeDiv(*ix, *iy);
    return wholeValue(std::trunc(x / y));
}

inline platform::Variant wholeMod(double a, double b) {
    const double x = std::trunc(a), y = std::trunc(b);
    if (y == 0)
        throw platform::EVariantError("Division by zero");
    const std::optional<std::int64_t> ix = wholeInt64(x), iy = wholeInt64(y);
    if (ix && iy)
        return wholeMod(*ix, *iy);
    return wholeValue(std::fmod(x, y)); // exact; NaN for infinite or NaN operands
}

} // namespace report
