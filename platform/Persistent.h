#pragma once

// Settings objects that copy themselves from another object of their class (Assign), and
// the error an assignment between incompatible classes raises.

#include <stdexcept>
#include <string>

namespace platform {

class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TPersistent {
public:
    virtual ~TPersistent() = default;
    virtual const char* ClassName() const = 0;
    // Copies `source` into this object; an object of another class is refused.
    virtual void Assign(const TPersistent& source) { assignError(source); }

protected:
    TPersistent() = default;
    TPersistent(const TPersistent&) = default;
    TPersistent& operator=(const TPersistent&) = default;

    // Raises EConvertError "Cannot assign a <source> to a <this>".
    [[noreturn]] void assignError(const TPersistent& source) const {
        throw EConvertError(std::string("Cannot assign a ") + source.ClassName() + " to a " +
                            ClassName());
    }
};

} // namespace platform
