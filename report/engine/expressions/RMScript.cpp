#include "report/engine/expressions/RMScript.h"

#include "report/engine/expressions/RMScriptHost.h"
#include "report/engine/expressions/RMScriptInterpreter.h"
#include "report/engine/expressions/RMScriptLexer.h"
#include "report/engine/expressions/RMScriptParser.h"
#include "report/engine/model/RMPage.h"
#include "report/engine/model/RMPreparationCalls.h"
#include "report/engine/model/RMReport.h"
#include "report/engine/model/RMTextScan.h"

#include <stdexcept>

namespace report {

using platform::Variant;

struct TRMScript::Compiled {
    TRMStrings source;
    TRMScriptProgram program;
};

namespace {

// The report as scripts see it: its objects by name, its expressions, procedures and
// variables, and the preparation's check for a cancel.
class ReportHost : public TRMScriptHost {
public:
    ReportHost(TRMReport& report, TRMObject* self)
        : report_(report)
        , self_(self) {}

    Variant evaluate(const std::string& expression) override {
        return report_.Evaluate(expression);
    }

    bool hasObject(std::string_view name) override {
        return report_.FindObject(name) != nullptr || report_.isReportName(name);
    }

    bool setProperty(std::string_view object, std::string_view property,
                     const Variant& value) override {
        if (!object.empty() && report_.FindObject(object) == nullptr &&
            report_.isReportName(object))
            return report_.SetPropValue(property, value);
        TRMObject* target = object.empty() ? self_ : report_.FindObject(object);
        if (auto* view = dynamic_cast<TRMView*>(target))
            return view->SetPropValue(property, value);
        if (auto* page = dynamic_cast<TRMPage*>(target))
            return page->SetPropValue(property, value);
        return false;
    }

    bool callMethod(std::string_view object, std::string_view method,
                    const std::vector<Variant>& args) override {
        TRMObject* target = object.empty() ? self_ : report_.FindObject(object);
        if (auto* view = dynamic_cast<TRMView*>(target))
            return view->DoMethod(method, args);
        if (auto* page = dynamic_cast<TRMPage*>(target))
            return page->DoMethod(method, args);
        return false;
    }

    bool callProcedure(const std::string& name, const std::vector<std::string>& args) override {
        Variant result;
        return report_.dispatchFunction(upperCase(name), padded(args), result);
    }

    bool callUserFunction(const std::string& name, const std::vector<std::string>& args) override {
        if (!report_.OnUserFunction)
            return false;
        Variant result;
        report_.OnUserFunction(upperCase(name), padded(args), result);
        return true;
    }

    bool setVariable(const std::string& name, const Variant& value) override {
        if (report_.isReservedName(name))
            return false;
        report_.Variables.SetVariable(name, value);
        return true;
    }

    bool keepRunning() override {
        return report_.Preparation != nullptr ? report_.Preparation->keepRunning()
                                              : !report_.Terminated;
    }

private:
    // Functions see ten argument texts, missing ones empty, as the expression parser
    // hands them.
    static std::vector<std::string> padded(std::vector<std::string> args) {
        if (args.size() < 10)
            args.resize(10);
        return args;
    }

    TRMReport& report_;
    TRMObject* self_;
};

std::string joinedLines(const TRMStrings& script) {
    std::string text;
    for (const std::string& line : script) {
        text += line;
        text += '\n';
    }
    return text;
}

} // namespace

TRMScript::TRMScript() = default;
TRMScript::~TRMScript() = default;

bool TRMScript::empty(const TRMStrings& script) {
    for (const std::string& line : script)
        for (const char c : line)
            if (static_cast<unsigned char>(c) > ' ')
                return false;
    return true;
}

std::string TRMScript::nameOf(const TRMObject* self, const TRMStrings& script) {
    const auto* view = dynamic_cast<const TRMView*>(self);
    return view != nullptr && &view->OnAfterPrint == &script ? "OnAfterPrint" : "OnBeforePrint";
}

std::shared_ptr<const TRMScript::Compiled> TRMScript::program(const TRMStrings& script,
                                                              const TRMObject* self) {
    std::shared_ptr<const Compiled>& entry = compiled_[&script];
    if (!entry || entry->source != script) {
        auto compiled = std::make_shared<Compiled>();
        compiled->program = TRMScriptParser::parse(joinedLines(script), nameOf(self, script));
        compiled->source = script;
        entry = std::move(compiled);
    }
    return entry;
}

void TRMScript::compile(const TRMStrings& script, const TRMObject* self) {
    if (!empty(script))
        program(script, self);
}

void TRMScript::run(TRMReport& report, const TRMStrings& script, TRMObject* self) {
    if (empty(script))
        return;
    const std::shared_ptr<const Compiled> compiled = program(script, self);
    if (nesting_ >= kMaxNesting)
        throw std::runtime_error("脚本嵌套调用超过 " + std::to_string(kMaxNesting) +
                                 " 层 (ShowBand 相互调用?)");
    ++nesting_;
    TRMObject* const savedObject = report.ScriptObject;
    report.ScriptObject = self;
    struct Restore {
        TRMScript& s;
        TRMReport& r;
        TRMObject* object;
        ~Restore() {
            --s.nesting_;
            r.ScriptObject = object;
        }
    } restore{*this, report, savedObject};
    ReportHost host(report, self);
    TRMScriptInterpreter(host).run(compiled->program);
}

} // namespace report
