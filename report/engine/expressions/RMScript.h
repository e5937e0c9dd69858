#pragma once

// The scripts of views, bands and pages (OnBeforePrint, OnAfterPrint, page scripts): a
// small statement language over the expression evaluator. Statements end at a line end or
// ";"; "begin" and "end" only group. A statement is
//   name := expression            a property of the script's own object, else a variable
//   Object.Property := expression a property of a named report object
//   if condition then statement [else statement]
//   Object.Method[(arguments)]    a method of a named object ("Memo1.Hide")
//   Name[(arguments)]             a method of the own object, else a function
//                                 (NewPage, NewColumn, ShowBand('Band1'), StopReport, …)

#include "report/engine/model/RMStream.h"

namespace report {

class TRMObject;
class TRMReport;

class TRMScript {
public:
    // Runs `script` for `self` (may be null). Errors of the expressions propagate.
    static void run(TRMReport& report, const TRMStrings& script, TRMObject* self);
    // Whether the script has anything to run.
    static bool empty(const TRMStrings& script);
};

} // namespace report
