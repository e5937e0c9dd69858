#include "archive/ArchiveSql.h"

namespace archive::sql {

std::string quoted(std::string_view value) {
    std::string out;
    out.reserve(value.size() + 2);
    out += '\'';
    for (char c : value) {
        out += c;
        if (c == '\'')
            out += '\'';
    }
    out += '\'';
    return out;
}

std::string selectAll() {
    return "Select f_Hsdwh,f_Hsdwmc from tbHsdwda";
}

std::string selectCode(std::string_view code) {
    return "Select f_Hsdwh From tbHsdwda Where f_Hsdwh=" + quoted(code);
}

std::string insertUnit(std::string_view code, std::string_view name) {
    return "Insert Into tbHsdwda(f_Hsdwh,f_Hsdwmc) Values(" + quoted(code) + "," + quoted(name) +
           ")";
}

std::string updateName(std::string_view storedCode, std::string_view name) {
    return "Update tbHsdwda set f_Hsdwmc=" + quoted(name) + " where(f_Hsdwh=" + quoted(storedCode) +
           ")";
}

std::string updateUnit(std::string_view storedCode, std::string_view code, std::string_view name) {
    return "Update tbHsdwda set f_Hsdwh=" + quoted(code) + ",f_Hsdwmc=" + quoted(name) +
           " where(f_Hsdwh=" + quoted(storedCode) + ")";
}

std::string deleteUnit(std::string_view code) {
    return "Delete From tbHsdwda where(f_Hsdwh=" + quoted(code) + ")";
}

std::string selectOperatorName(std::string_view operatorCode) {
    return "select f_zymc from tbzyda where f_zybm=" + quoted(operatorCode);
}

std::vector<std::string> messageTexts(const platform::Variant& messages) {
    std::vector<std::string> texts;
    try {
        for (const platform::Variant& m : messages.arrayValue())
            texts.push_back(m.toString());
    } catch (const platform::EVariantError&) {
        texts.push_back("未知错误！");
    }
    return texts;
}

std::string failureText(std::string_view heading, const std::vector<std::string>& messages) {
    std::string text(heading);
    text += "\r\n";
    for (const std::string& m : messages) {
        text += m;
        text += "\n\r";
    }
    return text;
}

} // namespace archive::sql
