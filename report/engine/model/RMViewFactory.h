#pragma once

// Creating views from their stream type code and, for add-ins, their class name.

#include "report/engine/model/RMView.h"

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace report {

// Raised for an add-in class name nobody registered; the message lists the missing names.
class EClassNotFound : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Report-wide record of missing add-in classes (each name followed by a carriage return).
struct TRMClassNotFoundLog {
    bool found = false;
    std::string message;
    void clear() {
        found = false;
        message.clear();
    }
};

using TRMViewCreator = std::function<std::unique_ptr<TRMView>()>;

// Add-in view classes known by name (compared without regard to case). The engine
// registers TRMRichView, TRMShapeView, TRMCheckBoxView and TRMDiagonalView itself.
void registerAddInView(std::string_view className, TRMViewCreator creator);
void unregisterAddInView(std::string_view className);
bool isAddInViewRegistered(std::string_view className);

// New view for `objectType` (className used for gtAddIn). Codes without a class give
// nullptr; an unknown add-in name is logged (when a log is given) and raises EClassNotFound.
std::unique_ptr<TRMView> createView(std::uint8_t objectType, std::string_view className,
                                    TRMClassNotFoundLog* log = nullptr);

} // namespace report
