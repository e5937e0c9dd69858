#pragma once

// The adapters a report can name: band data sources ("Owner.Name" or "Name") and data-field
// references in expressions. Attached to a data dictionary, it resolves
//   Owner.DataSet."Field"   DataSet."Field"   DataSet.Field
// and the dictionary's field aliases (alias → one of those) to the field's value in the
// current record, opening the adapter's cursor when it is closed. Names compare without
// regard to case. An adapter that is destroyed leaves the list by itself.

#include "platform/Variant.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace report {

class TRMDataDictionary;
class TRMDataset;
class TRMDBDataSet;

// A data field a reference names: the database adapter and the field's name.
struct TRMFieldBinding {
    TRMDBDataSet* DataSet = nullptr;
    std::string FieldName;
};

class TRMDatasetList {
public:
    TRMDatasetList() = default;
    ~TRMDatasetList();
    TRMDatasetList(const TRMDatasetList&) = delete;
    TRMDatasetList& operator=(const TRMDatasetList&) = delete;

    // Registers `dataset` (not owned) under its Name and `ownerName` + "." + its Name.
    // Registering it again changes its owner name.
    void Add(TRMDataset& dataset, std::string ownerName = {});
    void Remove(TRMDataset& dataset);
    int Count() const { return static_cast<int>(entries_.size()); }

    // The adapter a band's data source names; nullptr when none.
    TRMDataset* Find(std::string_view name) const;

    // The adapter and field a reference or alias names (for binding a view to a field);
    // nullopt when it names no database adapter of the list. Whether the field exists is
    // the cursor's to say.
    std::optional<TRMFieldBinding> FindField(std::string_view name,
                                             const TRMDataDictionary& dictionary) const;

    // Value of a field reference or alias. False when `name` names no field of a registered
    // database adapter (so other names resolve as usual). Raises platform::EDatabaseError
    // when the adapter has no cursor or the cursor has no such field.
    bool ResolveField(std::string_view name, const TRMDataDictionary& dictionary,
                      platform::Variant& value);

    // Installs ResolveField as the dictionary's field resolver; it answers nothing once
    // the list is destroyed.
    void attachTo(TRMDataDictionary& dictionary);

private:
    struct Entry {
        TRMDataset* dataset;
        std::string owner;
    };
    // A reference already resolved, with the adapter's part of it, checked on every use.
    struct Binding {
        TRMFieldBinding field;
        std::string path;
    };
    struct TextHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const {
            return std::hash<std::string_view>{}(text);
        }
    };

    std::optional<Binding> findReference(std::string_view reference) const;
    bool resolveReference(std::string_view reference, platform::Variant& value);
    bool matches(const Entry& entry, std::string_view path) const;

    std::vector<Entry> entries_;
    std::unordered_map<std::string, Binding, TextHash, std::equal_to<>> bindings_;
    std::shared_ptr<TRMDatasetList*> self_ = std::make_shared<TRMDatasetList*>(this);
};

} // namespace report
