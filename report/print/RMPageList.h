#pragma once

// The print dialog's page list: "1,3,5-7", "5-" (to the last page), "" (every page).

#include <set>
#include <stdexcept>
#include <string>

namespace report {

// A text that is not made of numbers, commas and hyphens.
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Page numbers (from 1) the text names; empty for an empty text, meaning every page.
// Blanks are ignored; a trailing "-" runs to `pageCount`. Throws EConvertError.
std::set<int> parsePageList(const std::string& text, int pageCount);

// Whether a text may be typed into the page list edit (digits, "," and "-" only).
bool isPageListText(const std::string& text);

} // namespace report
