#pragma once

// Start-up steps of the platform layer that need a QGuiApplication: the substitutions
// that map the Windows face names the system uses onto installed fonts, and the screen's
// pixels per inch.

namespace platform {

// Idempotent; call once the QApplication exists.
void startGui();

// Logical pixels per inch of the primary screen (96 unless the screen says otherwise).
int screenPixelsPerInch();

} // namespace platform
