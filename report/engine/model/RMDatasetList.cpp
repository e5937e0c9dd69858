#include "report/engine/model/RMDatasetList.h"

#include "platform/ClientDataSet.h"
#include "report/engine/model/RMDBDataSet.h"
#include "report/engine/model/RMDataDictionary.h"
#include "report/engine/model/RMTextScan.h"

#include <algorithm>
#include <cctype>
#include <optional>

namespace report {
namespace {

struct Reference {
    std::string_view path;  // "Owner.DataSet" or "DataSet"
    std::string_view field; // without its quotes
};

// Splits `path."field"` or `path.field`; nullopt when the name has no such shape.
std::optional<Reference> splitReference(std::string_view name) {
    if (name.size() >= 4 && name.back() == '"') {
        const std::size_t open = name.rfind('"', name.size() - 2);
        if (open == std::string_view::npos || open < 2 || name[open - 1] != '.')
            return std::nullopt;
        return Reference{name.substr(0, open - 1), name.substr(open + 1, name.size() - open - 2)};
    }
    // Unquoted, the field is one word: anything else is an expression around a reference.
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0 || dot + 1 == name.size())
        return std::nullopt;
    const std::string_view field = name.substr(dot + 1);
    const bool word = std::all_of(field.begin(), field.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u >= 0x80 || std::isalnum(u) || c == '_' || c == '#';
    });
    if (!word)
        return std::nullopt;
    return Reference{name.substr(0, dot), field};
}

[[noreturn]] void noSuchField(const TRMDBDataSet& dataset, std::string_view field) {
    throw platform::EDatabaseError(dataset.Name + ": 字段 '" + std::string(field) + "' 不存在");
}

} // namespace

TRMDatasetList::~TRMDatasetList() {
    for (const Entry& entry : entries_)
        std::erase(entry.dataset->lists_, this);
}

void TRMDatasetList::Add(TRMDataset& dataset, std::string ownerName) {
    bindings_.clear();
    for (Entry& entry : entries_) {
        if (entry.dataset == &dataset) {
            entry.owner = std::move(ownerName);
            return;
        }
    }
    entries_.push_back({&dataset, std::move(ownerName)});
    dataset.lists_.push_back(this);
}

void TRMDatasetList::Remove(TRMDataset& dataset) {
    bindings_.clear();
    std::erase_if(entries_, [&](const Entry& entry) { return entry.dataset == &dataset; });
    std::erase(dataset.lists_, this);
}

bool TRMDatasetList::matches(const Entry& entry, std::string_view path) const {
    const std::string& name = entry.dataset->Name;
    if (sameText(path, name))
        return !name.empty();
    const std::string& owner = entry.owner;
    return !owner.empty() && path.size() == owner.size() + 1 + name.size() &&
           path[owner.size()] == '.' && sameText(path.substr(0, owner.size()), owner) &&
           sameText(path.substr(owner.size() + 1), name);
}

TRMDataset* TRMDatasetList::Find(std::string_view name) const {
    for (const Entry& entry : entries_)
        if (matches(entry, name))
            return entry.dataset;
    return nullptr;
}

std::optional<TRMDatasetList::Binding>
TRMDatasetList::findReference(std::string_view reference) const {
    const std::optional<Reference> parts = splitReference(reference);
    if (!parts)
        return std::nullopt;
    auto* dataset = dynamic_cast<TRMDBDataSet*>(Find(parts->path));
    if (dataset == nullptr)
        return std::nullopt;
    return Binding{{dataset, std::string(parts->field)}, std::string(parts->path)};
}

std::optional<TRMFieldBinding>
TRMDatasetList::FindField(std::string_view name, const TRMDataDictionary& dictionary) const {
    if (std::optional<Binding> binding = findReference(name))
        return binding->field;
    for (const auto& [alias, target] : dictionary.FieldAliases)
        if (sameText(alias, name))
            if (std::optional<Binding> binding = findReference(target))
                return binding->field;
    return std::nullopt;
}

bool TRMDatasetList::resolveReference(std::string_view reference, platform::Variant& value) {
    auto bound = bindings_.find(reference);
    if (bound != bindings_.end() && Find(bound->second.path) != bound->second.field.DataSet) {
        bindings_.erase(bound); // renamed since: look it up afresh
        bound = bindings_.end();
    }
    if (bound == bindings_.end()) {
        std::optional<Binding> binding = findReference(reference);
        if (!binding)
            return false;
        bound = bindings_.emplace(std::string(reference), std::move(*binding)).first;
    }
    const TRMFieldBinding& field = bound->second.field;
    if (!field.DataSet->FieldValue(field.FieldName, value))
        noSuchField(*field.DataSet, field.FieldName);
    return true;
}

bool TRMDatasetList::ResolveField(std::string_view name, const TRMDataDictionary& dictionary,
                                  platform::Variant& value) {
    if (resolveReference(name, value))
        return true;
    for (const auto& [alias, target] : dictionary.FieldAliases)
        if (sameText(alias, name))
            return resolveReference(target, value);
    return false;
}

void TRMDatasetList::attachTo(TRMDataDictionary& dictionary) {
    std::weak_ptr<TRMDatasetList*> list = self_;
    dictionary.FieldResolver = [list, &dictionary](const std::string& name,
                                                   platform::Variant& value) {
        const std::shared_ptr<TRMDatasetList*> alive = list.lock();
        return alive && (*alive)->ResolveField(name, dictionary, value);
    };
}

} // namespace report
