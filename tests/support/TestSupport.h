#pragma once

// Small helpers shared by the tests of every module.

#include <QString>

#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace platform {
class ScriptedMessageBoxes;
}

namespace testsupport {

// Runs the Qt event loop until `done` returns true or `timeoutMs` passes; returns `done()`.
bool waitUntil(const std::function<bool()>& done, int timeoutMs = 5000);

// Processes pending events (posted messages, deferred deletes) once.
void processEvents();

// Types `text` the way an operator does, one character at a time into whatever
// `target()` returns at that moment (the focus may move to an editor after the first key):
// ASCII as real keys with their key codes, other characters as key-less text, the way
// an input method delivers them. Processes events afterwards.
void typeText(const std::function<QWidget*()>& target, const QString& text);

// Texts of the boxes `boxes` recorded, which it then forgets.
std::vector<std::string> takeBoxTexts(platform::ScriptedMessageBoxes& boxes);

// Path of a file under the source tree's tests/data folder.
QString dataPath(const QString& relative);

} // namespace testsupport
