#pragma once

// Start-up shared by the fuzz targets: a headless application and scripted message boxes,
// so that the readers' error messages never wait for a person.

namespace fuzzsupport {

void initialize(int* argc, char*** argv);

} // namespace fuzzsupport
