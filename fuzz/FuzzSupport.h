#pragma once

// Start-up shared by the fuzz targets: a headless GUI application (the engine needs no
// widgets) with the platform's font substitutions, and scripted message boxes, so that
// error messages never wait for a person.

namespace fuzzsupport {

void initialize(int* argc, char*** argv);

} // namespace fuzzsupport
