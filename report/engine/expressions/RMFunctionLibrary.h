#pragma once

// Function libraries callable from expressions, their registry, and the splitter that
// finds calls of given functions inside an expression.

#include "platform/Variant.h"
#include "report/engine/expressions/RMParser.h"
#include "report/engine/model/RMVariables.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace report {

class TRMReport;

class TRMFunctionLibrary {
public:
    struct Description {
        std::string name, category, argumentKinds, help; // kinds: S N D B V E per argument
    };

    virtual ~TRMFunctionLibrary() = default;
    virtual std::string ClassName() const = 0;

    // Looks the name up (case-insensitive); when found calls DoFunction and returns true.
    bool OnFunction(TRMReport& report, const std::string& name,
                    const std::vector<std::string>& args, platform::Variant& result);
    // Arguments are expression texts; the function evaluates those it needs.
    virtual void DoFunction(int index, TRMReport& report, const std::vector<std::string>& args,
                            platform::Variant& result) = 0;

    const std::vector<std::string>& names() const { return List; }
    const std::vector<Description>& descriptions() const { return FunctionDescriptions; }

protected:
    std::vector<std::string> List;
    std::vector<Description> FunctionDescriptions;
};

class TRMStdFunctionLibrary : public TRMFunctionLibrary {
public:
    TRMStdFunctionLibrary();
    std::string ClassName() const override { return "TRMStdFunctionLibrary"; }
    void DoFunction(int index, TRMReport& report, const std::vector<std::string>& args,
                    platform::Variant& result) override;
};

// Ordered registry of library instances; one instance per class name.
using TRMLibraryFactory = std::function<std::unique_ptr<TRMFunctionLibrary>()>;
void RMRegisterFunctionLibrary(const TRMLibraryFactory& factory);
void RMUnregisterFunctionLibrary(std::string_view className);
std::vector<TRMFunctionLibrary*> FunctionLibraries();

// Collects the calls of `functionNames` inside expressions (the aggregates of a view).
class TRMFunctionSplitter {
public:
    TRMFunctionSplitter(std::vector<std::string> functionNames, const TRMVariables* variables);
    void Split(std::string_view expression);
    std::vector<std::string> Result; // whole call texts, in the order found

private:
    void scan(std::string_view expression, int depth);

    std::vector<std::string> names_;
    const TRMVariables* variables_; // values are expressions; may be null
};

} // namespace report
