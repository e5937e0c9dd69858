#pragma once

// Small helpers shared by the tests of every module.

#include <QString>

#include <functional>

namespace testsupport {

// Runs the Qt event loop until `done` returns true or `timeoutMs` passes; returns `done()`.
bool waitUntil(const std::function<bool()>& done, int timeoutMs = 5000);

// Processes pending events (posted messages, deferred deletes) once.
void processEvents();

// Path of a file under the source tree's tests/data folder.
QString dataPath(const QString& relative);

} // namespace testsupport
