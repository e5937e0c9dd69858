#pragma once

// What a report asks of the preparation that is filling its pages: the script procedures
// that act on it (NEWPAGE, NEWCOLUMN, SHOWBAND, STOPREPORT) and whether it goes on. The preparation stage
// implements it; the model only holds the pointer while a preparation runs.

#include "platform/Variant.h"

#include <string>
#include <vector>

namespace report {

class TRMView;

class TRMPreparationCalls {
public:
    // False for names that are not the preparation's.
    virtual bool callFunction(const std::string& name, const std::vector<std::string>& args,
                              platform::Variant& result) = 0;
    // False once the preparation was cancelled, stopped or failed; work that adds no pages
    // (a script's loop, records that print nothing) asks it often, and it lets the progress
    // window's events through now and then so that Cancel can arrive.
    virtual bool keepRunning() = 0;
    // The display text of the data field `view` is bound to (its Memo is one bracketed
    // field reference); false when it is bound to none.
    virtual bool boundFieldText(const TRMView& view, std::string& text) = 0;

protected:
    ~TRMPreparationCalls() = default;
};

} // namespace report
