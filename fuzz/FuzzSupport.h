#pragma once

// Start-up shared by the fuzz targets: a headless GUI application (the engine needs no
// widgets) with the platform's font substitutions, and scripted message boxes, so that
// error messages never wait for a person.

#include <QByteArray>

#include <string>
#include <utility>
#include <vector>

namespace fuzzsupport {

void initialize(int* argc, char*** argv);

// When the environment variable `envName` names a folder, writes each (file name, bytes)
// seed into it. The sanitizer stage seeds the corpora of inputs that no file of the
// repository holds (pictures, data packets) this way, from the same code the tests use.
void writeSeeds(const char* envName, const std::vector<std::pair<std::string, QByteArray>>& seeds);

} // namespace fuzzsupport
