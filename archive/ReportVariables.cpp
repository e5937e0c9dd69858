#include "archive/ReportVariables.h"

#include "report/engine/model/RMVariables.h"

namespace archive {

void setReportVariable(std::string_view name, const std::string& value) {
    report::GlobalVariables().SetVariable(name, platform::Variant(value));
}

std::string reportVariable(std::string_view name) {
    return report::GlobalVariables().GetVariable(name).toString();
}

} // namespace archive
