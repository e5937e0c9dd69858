#pragma once

// The SQL texts of the archive. Values go between single quotes with every embedded quote
// doubled, so a name such as O'Brien is stored as typed and no value can change a statement.

#include "platform/Variant.h"

#include <string>
#include <string_view>
#include <vector>

namespace archive::sql {

// `value` between single quotes, embedded quotes doubled.
std::string quoted(std::string_view value);

std::string selectAll();                       // every unit, in table order
std::string selectCode(std::string_view code); // duplicate check
std::string insertUnit(std::string_view code, std::string_view name);
std::string updateName(std::string_view storedCode, std::string_view name);
std::string updateUnit(std::string_view storedCode, std::string_view code, std::string_view name);
std::string deleteUnit(std::string_view code);
std::string selectOperatorName(std::string_view operatorCode);

// The texts of a message array handed back by the data service; a value that is no array,
// or an element without text, ends the list with "未知错误！".
std::vector<std::string> messageTexts(const platform::Variant& messages);

// Text of the box shown when a statement fails: the heading, CR LF, then every message
// followed by LF CR (the order the operators' screenshots and help desk scripts know).
std::string failureText(std::string_view heading, const std::vector<std::string>& messages);

} // namespace archive::sql
