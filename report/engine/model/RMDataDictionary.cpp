#include "report/engine/model/RMDataDictionary.h"

#include "report/engine/model/RMVariables.h"

namespace report {

void TRMDataDictionary::Clear() {
    Variables.clear();
    FieldAliases.clear();
    Extra.clear();
}

const std::string* TRMDataDictionary::variable(std::string_view name) const {
    if (name.empty() || name.front() == ' ')
        return nullptr;
    for (const auto& [key, value] : Variables)
        if (!key.empty() && key.front() != ' ' && sameText(key, name))
            return &value;
    return nullptr;
}

void TRMDataDictionary::setVariable(std::string_view name, std::string_view expression) {
    for (auto& [key, value] : Variables) {
        if (sameText(key, name)) {
            value = std::string(expression);
            return;
        }
    }
    Variables.emplace_back(std::string(name), std::string(expression));
}

namespace {

void writeList(RMStream& stream, const TRMDataDictionary::NameValues& list) {
    stream.writeInt32(static_cast<std::int32_t>(list.size()));
    for (const auto& [name, value] : list) {
        stream.writeString(name);
        stream.writeString(value);
    }
}

TRMDataDictionary::NameValues readList(RMStream& stream) {
    const std::int32_t count = stream.readInt32();
    // Each entry takes at least 6 bytes: a bad count cannot make us allocate or loop long.
    if (count < 0 || static_cast<std::size_t>(count) > stream.remaining() / 6)
        throw EStreamError("bad dictionary count");
    TRMDataDictionary::NameValues list;
    list.reserve(static_cast<std::size_t>(count));
    for (std::int32_t i = 0; i < count; ++i) {
        std::string name = stream.readString();
        std::string value = stream.readString();
        list.emplace_back(std::move(name), std::move(value));
    }
    return list;
}

} // namespace

void TRMDataDictionary::SaveToStream(RMStream& stream) const {
    stream.writeUInt16(1);
    writeList(stream, Variables);
    writeList(stream, FieldAliases);
    writeList(stream, Extra);
}

void TRMDataDictionary::LoadFromStream(RMStream& stream) {
    Clear();
    stream.readUInt16(); // version
    Variables = readList(stream);
    FieldAliases = readList(stream);
    Extra = readList(stream);
}

} // namespace report
