#pragma once

// Client dataset: the rows of a data packet (DataPacket.h) with a cursor, named fields,
// locate and close — what the plug-in and the report engine's data sources read query
// results through.

#include "platform/DataPacket.h"
#include "platform/Variant.h"

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Dataset errors (closed dataset, unknown field), with Chinese texts.
class EDatabaseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TClientDataSet;

// A field of an open dataset; reads the value of the current record. A reference to it stays
// valid until the dataset is closed or loaded again.
class TField {
public:
    const std::string& FieldName() const { return name_; }
    int Index() const { return index_; }

    // Value of the current record. At end of file of an empty dataset the field is null.
    bool IsNull() const;
    // Text (trailing blanks removed when the dataset trims); "" when null.
    std::string AsString() const;
    // String Variant, or Null.
    Variant AsVariant() const;
    // Numeric readings of the text; EVariantError when it is not a number ("" and null: 0).
    std::int64_t AsInteger() const;
    double AsFloat() const;
    bool AsBoolean() const;

private:
    friend class TClientDataSet;
    TField(const TClientDataSet* owner, std::string name, int index)
        : owner_(owner)
        , name_(std::move(name))
        , index_(index) {}

    const TClientDataSet* owner_;
    std::string name_;
    int index_;
};

class TClientDataSet {
public:
    // `name` appears in error texts (e.g. "cdsMain").
    explicit TClientDataSet(std::string name = {});
    TClientDataSet(const TClientDataSet&) = delete;
    TClientDataSet& operator=(const TClientDataSet&) = delete;

    const std::string& Name() const { return name_; }

    // Whether text values lose their trailing blanks (characters <= U+0020) when read.
    // On by default; a dataset that must see stored values unchanged turns it off.
    bool TrimTrailingBlanks() const { return trimTrailingBlanks_; }
    void setTrimTrailingBlanks(bool on) { trimTrailingBlanks_ = on; }

    // Loads a packet Variant (byte array), opens the dataset and goes to the first record.
    // Raises EDataPacketError when the packet is malformed; the dataset is then closed.
    void setData(const Variant& packet);
    void setData(DataPacket packet);
    // The current rows as a packet Variant; Null when closed.
    Variant Data() const;

    bool Active() const { return active_; }
    // Closes: fields and rows are dropped. Closing a closed dataset does nothing.
    void Close();

    // Cursor. Raise EDatabaseError when closed.
    void First();
    void Next();  // past the last record: Eof becomes true, the cursor stays on the last one
    void Prior(); // before the first record: Bof becomes true
    void Last();
    bool Eof() const;
    bool Bof() const;
    bool IsEmpty() const;
    int RecordCount() const;
    // 1-based number of the current record; 0 when empty.
    int RecNo() const;

    int FieldCount() const;
    TField& Fields(int index);
    // Field by name, ignoring case; EDatabaseError when absent or closed.
    TField& FieldByName(std::string_view name);
    // nullptr when absent.
    TField* FindField(std::string_view name);

    // Moves to the first record whose field `fieldName` equals `value` (as the field's
    // text reads, i.e. trimmed when the dataset trims; a null field matches nothing) and
    // returns true; returns false and leaves the cursor where it was when none does.
    // EDatabaseError when the field is absent.
    bool Locate(std::string_view fieldName, std::string_view value, bool caseInsensitive);

private:
    friend class TField;
    void requireActive() const;
    const DataPacketValue* current(int fieldIndex) const;
    std::string textOf(const DataPacketValue& value) const;

    std::string name_;
    bool trimTrailingBlanks_ = true;
    bool active_ = false;
    DataPacket packet_;
    // One per field, stable addresses for the references FieldByName returns.
    std::vector<std::unique_ptr<TField>> fields_;
    // Current record, 0 ≤ recNo_ < rows when not empty; eof_/bof_ as after the last move.
    int recNo_ = 0;
    bool eof_ = true;
    bool bof_ = true;
};

} // namespace platform
