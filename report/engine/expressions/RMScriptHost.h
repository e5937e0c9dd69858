#pragma once

// What the script interpreter asks of the report it runs in. Objects are named as scripts
// name them; an empty object name is the script's own object (the view, band view or page
// whose script runs).

#include "platform/Variant.h"

#include <string>
#include <string_view>
#include <vector>

namespace report {

class TRMScriptHost {
public:
    virtual ~TRMScriptHost() = default;

    // Value of an expression in the engine's expression language; its errors propagate.
    virtual platform::Variant evaluate(const std::string& expression) = 0;
    // Whether a report object has this name.
    virtual bool hasObject(std::string_view name) = 0;
    // Sets a property of an object; false when the object has no such property.
    virtual bool setProperty(std::string_view object, std::string_view property,
                             const platform::Variant& value) = 0;
    // Calls a method of an object; false when it has no such method.
    virtual bool callMethod(std::string_view object, std::string_view method,
                            const std::vector<platform::Variant>& args) = 0;
    // Calls an engine procedure or function (NewPage, ShowBand, ShowMessage, …) with the
    // texts of its arguments, which it evaluates itself; false when none has the name.
    virtual bool callProcedure(const std::string& name, const std::vector<std::string>& args) = 0;
    // Hands a name no procedure and no method answers, with its argument texts, to the
    // report's own handler of unknown functions; false when the report has none.
    virtual bool callUserFunction(const std::string& name,
                                  const std::vector<std::string>& args) = 0;
    // Sets a script variable (variables need no declaration); false for a name a script
    // cannot set, because the report answers it before its variables (a built-in name such
    // as "Page#", a global or data-dictionary variable).
    virtual bool setVariable(const std::string& name, const platform::Variant& value) = 0;
    // Asked every few statements while loops run: false ends the script at once (the run
    // was cancelled, stopped or failed elsewhere).
    virtual bool keepRunning() = 0;
};

} // namespace report
