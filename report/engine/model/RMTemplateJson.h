#pragma once

// Templates as JSON text. Every field the template stream records has a named key, in
// stream order; values equal to those of a new object of the same class are left out.
// The text is written in one normal form (two-space indentation, UTF-8), so that the
// dump of a template diffs well and dump(build(text)) gives the normal form back.
//
//   pages[i]            page header (paper, margins, columns, background, script)
//   pages[i].views[j]   the views of the page: "Class", then the fields of the class
//   Dictionary          variables, field aliases and extra entries
//
// Texts are JSON strings; a stored text whose bytes are not GBK becomes {"base64": ...}.
// Enumerations and flags are written by name, colours as "#RRGGBB" or their names; values
// without a name stay numbers, so nothing the stream holds is lost.

#include <string>
#include <string_view>
#include <vector>

namespace report {

class TRMReport;

// The template bytes as this version writes them (TRMReport::SaveToStream) as JSON text.
// Throws EStreamError when the bytes are not such a template.
std::string templateBytesToJson(const std::string& bytes);

// What saving `report` writes, as JSON text.
std::string templateToJson(const TRMReport& report);

// Template bytes from JSON text. False with every problem found (each "path: what is
// wrong", in Chinese) when the text is not a template; `bytes` is then left empty.
bool templateFromJson(std::string_view json, std::string& bytes, std::vector<std::string>& errors);

} // namespace report
