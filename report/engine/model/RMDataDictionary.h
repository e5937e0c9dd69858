#pragma once

// Variables and field aliases of a report. Variable values are expressions (texts);
// names beginning with a blank are category entries.

#include "platform/Variant.h"
#include "report/engine/model/RMStream.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace report {

class TRMDataDictionary {
public:
    using NameValues = std::vector<std::pair<std::string, std::string>>;

    NameValues Variables;    // name → expression; " Category" entries have empty values
    NameValues FieldAliases; // alias → "dataset.field"
    NameValues Extra;        // kept as read; not used when printing

    void Clear();
    bool empty() const { return Variables.empty() && FieldAliases.empty() && Extra.empty(); }
    // A variable (not a category) of that name, compared without regard to case.
    const std::string* variable(std::string_view name) const;
    void setVariable(std::string_view name, std::string_view expression);

    // Resolves data-field references ("Form.DataSet.\"Field\"") and field aliases;
    // installed by TRMDatasetList::attachTo. Returns false when the name is not a field it
    // knows.
    std::function<bool(const std::string& name, platform::Variant& value)> FieldResolver;

    void SaveToStream(RMStream& stream) const;
    void LoadFromStream(RMStream& stream);
};

} // namespace report
