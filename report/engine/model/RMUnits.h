#pragma once

// Report units: view geometry in screen pixels, pages in thousandths of a millimetre,
// page properties in tenths of a millimetre.

#include <cstdint>

namespace report {

enum TRMUnitType { rmutScreenPixels = 0, rmutMillimeters = 1, rmutInches = 2 };

// Pixels per inch of the screen; read once from the screen at start-up (96 headless).
int screenPixelsPerInchX();
int screenPixelsPerInchY();
// Tests and tools pin the resolution so that layouts are reproducible.
void setScreenPixelsPerInch(int x, int y);

double RMToScreenPixels(double value, int unit);
double RMFromScreenPixels(double pixels, int unit);

// A margin stored in thousandths of a millimetre as pixels, rounded.
int marginToPixels(std::int32_t thousandthsMm);
// Pixels back to thousandths of a millimetre, rounded.
std::int32_t pixelsToMargin(int pixels);

// Geometry of files older than format 38.1 (value × 50 ÷ 18, then × 96 ÷ 254, each rounded).
std::int32_t convertOldUnit(std::int32_t value);

} // namespace report
