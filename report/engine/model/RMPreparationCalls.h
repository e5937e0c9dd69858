#pragma once

// What a report asks of the preparation that is filling its pages: the script procedures
// that act on it (NEWPAGE, NEWCOLUMN, SHOWBAND, STOPREPORT). The preparation stage
// implements it; the model only holds the pointer while a preparation runs.

#include "platform/Variant.h"

#include <string>
#include <vector>

namespace report {

class TRMPreparationCalls {
public:
    // False for names that are not the preparation's.
    virtual bool callFunction(const std::string& name, const std::vector<std::string>& args,
                              platform::Variant& result) = 0;

protected:
    ~TRMPreparationCalls() = default;
};

} // namespace report
