#pragma once

// Runs a parsed script against a TRMScriptHost.
//
// Names: `x := …` sets a property of the script's own object when it has one, else a
// variable. In `A.B := …` the shortest leading part of the name that names an object is
// the object and the rest its property ("Memo1.Font.Size" is property "Font.Size" of
// Memo1); `Self` is the own object. A call `Name[(…)]` is an engine procedure, else a
// method of the own object, else the report's handler of unknown functions; `A.M[(…)]` is
// method M of object A. Whatever no one answers is an error naming the line.
//
// Loops ask the host whether to go on every kCheckEvery statements, so a loop that never
// ends is stopped by Cancel; the script then ends quietly and the report stops as a
// cancel stops it.

#include "platform/Variant.h"
#include "report/engine/expressions/RMScriptHost.h"
#include "report/engine/expressions/RMScriptTree.h"

namespace report {

class TRMScriptInterpreter {
public:
    explicit TRMScriptInterpreter(TRMScriptHost& host)
        : host_(host) {}

    // Runs `program` to its end, an `exit`, or until the host says to stop. Errors of
    // expressions propagate; statements no one can carry out raise ERMScriptError.
    void run(const TRMScriptProgram& program);

    // Truth of a condition: empty and null are false, texts are true unless empty or "0",
    // other values unless 0.
    static bool truth(const platform::Variant& value);

    static constexpr unsigned kCheckEvery = 16;

private:
    enum class Flow { Next, Break, Continue, Exit };

    Flow execute(const TRMScriptStatement& s);
    Flow loopRound(const TRMScriptStatement& body, bool& stop);
    // The host's check, when kCheckEvery statements and loop rounds have run since the
    // last one.
    bool checkDue();
    void assign(const TRMScriptStatement& s, const std::vector<std::string>& target,
                const platform::Variant& value);
    void call(const TRMScriptStatement& s);
    std::vector<platform::Variant> values(const TRMScriptStatement& s);
    [[noreturn]] void fail(const TRMScriptStatement& s, const std::string& message) const;

    TRMScriptHost& host_;
    const TRMScriptProgram* program_ = nullptr;
    unsigned sinceCheck_ = 0;
};

} // namespace report
