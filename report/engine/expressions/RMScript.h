#pragma once

// The scripts of views, band views and pages (OnBeforePrint, OnAfterPrint, the page
// script) in one preparation: each is parsed once (RMScriptParser.h, the language is in
// docs/scripts.md) and run by the interpreter against the report. A preparation parses
// every script of its pages before anything runs, so a script that does not parse stops
// it with one message naming the object and the line.

#include "report/engine/model/RMStream.h"

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

namespace report {

class TRMObject;
class TRMReport;
struct TRMScriptProgram;

class TRMScript {
public:
    TRMScript();
    ~TRMScript();
    TRMScript(const TRMScript&) = delete;
    TRMScript& operator=(const TRMScript&) = delete;

    // Parses `script` (of `self`) unless it is parsed already; ERMScriptError naming the
    // script and the line when it does not parse.
    void compile(const TRMStrings& script, const TRMObject* self);
    // Runs `script` for `self` (may be null), parsing it first when it is new. Errors of
    // its expressions propagate; a cancel, StopReport or an error elsewhere ends its loops.
    void run(TRMReport& report, const TRMStrings& script, TRMObject* self);

    // Whether the script has anything to run.
    static bool empty(const TRMStrings& script);
    // What `script` is of `self`: "OnBeforePrint" (also a page's script) or "OnAfterPrint".
    static std::string nameOf(const TRMObject* self, const TRMStrings& script);

    // Scripts running inside scripts (ShowBand from a band's script prints a band whose
    // scripts run): deeper than this is an error, not a stack overflow.
    static constexpr int kMaxNesting = 32;

private:
    struct Compiled;
    std::shared_ptr<const Compiled> program(const TRMStrings& script, const TRMObject* self);

    // By the script's address; the text is kept to notice a script that changed. Shared, so
    // that a program stays alive while it runs.
    std::unordered_map<const TRMStrings*, std::shared_ptr<const Compiled>> compiled_;
    int nesting_ = 0;
};

} // namespace report
