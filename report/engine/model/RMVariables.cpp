#include "report/engine/model/RMVariables.h"

#include <algorithm>
#include <cctype>

namespace report {

int TRMVariables::IndexOf(std::string_view name) const {
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (sameText(entries_[i].first, name))
            return static_cast<int>(i);
    return -1;
}

const platform::Variant* TRMVariables::find(std::string_view name) const {
    const int index = IndexOf(name);
    return index < 0 ? nullptr : &entries_[static_cast<std::size_t>(index)].second;
}

void TRMVariables::SetVariable(std::string_view name, platform::Variant value) {
    const int index = IndexOf(name);
    if (index >= 0) {
        entries_[static_cast<std::size_t>(index)].second = std::move(value);
        return;
    }
    entries_.emplace_back(std::string(name), std::move(value));
    if (sorted_)
        sort();
}

platform::Variant TRMVariables::GetVariable(std::string_view name) const {
    const platform::Variant* value = find(name);
    return value ? *value : platform::Variant();
}

void TRMVariables::SetValue(int index, platform::Variant value) {
    if (index >= 0 && index < Count())
        entries_[static_cast<std::size_t>(index)].second = std::move(value);
}

platform::Variant TRMVariables::Value(int index) const {
    if (index < 0 || index >= Count())
        return {};
    return entries_[static_cast<std::size_t>(index)].second;
}

std::string TRMVariables::Name(int index) const {
    if (index < 0 || index >= Count())
        return {};
    return entries_[static_cast<std::size_t>(index)].first;
}

void TRMVariables::Rename(int index, std::string_view name) {
    if (index < 0 || index >= Count())
        return;
    // Renaming onto another entry's name would create a duplicate: refuse it.
    const int other = IndexOf(name);
    if (other >= 0 && other != index)
        return;
    entries_[static_cast<std::size_t>(index)].first = std::string(name);
    if (sorted_)
        sort();
}

void TRMVariables::Delete(int index) {
    if (index >= 0 && index < Count())
        entries_.erase(entries_.begin() + index);
}

void TRMVariables::setSorted(bool on) {
    sorted_ = on;
    if (on)
        sort();
}

void TRMVariables::sort() {
    std::stable_sort(entries_.begin(), entries_.end(), [](const auto& a, const auto& b) {
        return upperCase(a.first) < upperCase(b.first);
    });
}

TRMVariables& GlobalVariables() {
    static TRMVariables variables;
    return variables;
}

const TRMVariables& EngineConstants() {
    static const TRMVariables constants = [] {
        TRMVariables c;
        const std::pair<const char*, int> numbers[] = {
            {"rmtaLeftJustify", 0},
            {"rmtaRightJustify", 1},
            {"rmtaCenterJustify", 2},
            {"rmtaEuqalJustify", 3},
            {"rmtlTop", 0},
            {"rmtlCenter", 1},
            {"rmtlBottom", 2},
            {"mrNone", 0},
            {"mrOk", 1},
            {"mrCancel", 2},
            {"mrYes", 6},
            {"mrNo", 7},
        };
        for (const auto& [name, value] : numbers)
            c.SetVariable(name, value);
        c.SetVariable("CRLF", "\r\n");
        c.SetVariable("Null", platform::null);
        const std::pair<const char*, int> more[] = {
            {"fsBold", 2},
            {"fsItalic", 1},
            {"fsUnderline", 4},
            {"RMftNone", 0},
            {"RMftRight", 1},
            {"RMftBottom", 2},
            {"RMftLeft", 4},
            {"RMftTop", 8},
            {"RMtaLeft", 0},
            {"RMtaRight", 1},
            {"RMtaCenter", 2},
            {"RMtaVertical", 4},
            {"RMtaMiddle", 8},
            {"RMtaDown", 16},
            {"baNone", 0},
            {"baLeft", 1},
            {"baRight", 2},
            {"baCenter", 3},
            {"baWidth", 4},
            {"baBottom", 5},
            {"psSolid", 0},
            {"psDash", 1},
            {"psDot", 2},
            {"psDashDot", 3},
            {"psDashDotDot", 4},
            {"psDouble", 7},
            {"rbFirst", 0},
            {"rbCurrent", 1},
            {"rbDefault", 2},
            {"reLast", 0},
            {"reCurrent", 1},
            {"reCount", 2},
            {"reDefault", 3},
            {"mb_Ok", 0},
            {"mb_OkCancel", 1},
            {"mb_YesNo", 4},
            {"mb_YesNoCancel", 3},
            {"mb_IconError", 16},
            {"mb_IconQuestion", 32},
            {"mb_IconInformation", 64},
            {"mb_IconWarning", 48},
        };
        for (const auto& [name, value] : more)
            c.SetVariable(name, value);
        // Calculated totals, pen modes of shapes, and picture blob kinds as the picture
        // loader reads them (metafile 2, icon 3).
        const std::pair<const char*, int> views[] = {
            {"rmdcSum", 0},       {"rmdcCount", 1},    {"rmdcAvg", 2},       {"rmdcMax", 3},
            {"rmdcMin", 4},       {"rmdcUser", 5},     {"pmBlack", 0},       {"pmWhite", 1},
            {"pmNop", 2},         {"pmNot", 3},        {"pmCopy", 4},        {"pmNotCopy", 5},
            {"pmMergePenNot", 6}, {"pmMaskPenNot", 7}, {"pmMergeNotPen", 8}, {"pmMaskNotPen", 9},
            {"pmMerge", 10},      {"pmNotMerge", 11},  {"pmMask", 12},       {"pmNotMask", 13},
            {"pmXor", 14},        {"pmNotXor", 15},    {"btBMP", 0},         {"btJPG", 1},
            {"btWMF", 2},         {"btICO", 3},        {"btGIF", 4},
        };
        for (const auto& [name, value] : views)
            c.SetVariable(name, value);
        return c;
    }();
    return constants;
}

} // namespace report
