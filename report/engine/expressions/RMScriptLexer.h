#pragma once

// Tokens of the script language. Names keep their dots and double-quoted parts together
// ("Memo1.Font.Size", "Units.\"Amount\"", "Page#"), as the expression parser reads them; a
// bracketed expression ("[Line#]") and a quoted string are one token each. Comments
// ("//", "{ }", "(* *)") and blanks are dropped, but every token remembers whether
// something stood before it and whether a line ended there: expressions are handed to the
// expression parser with their spacing, and a line end may end a statement.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace report {

// A script that does not parse, or a statement that cannot be carried out. The message
// names the script and the line ("OnBeforePrint 第 3 行: …").
class ERMScriptError : public std::runtime_error {
public:
    ERMScriptError(std::string_view script, int line, const std::string& message);
    int line() const { return line_; }

private:
    int line_;
};

struct TRMScriptToken {
    enum Kind : std::uint8_t { End, Name, Number, String, Bracket, Symbol };
    Kind kind = End;
    std::string text; // as written; a hexadecimal number ("$FF") as its decimal value
    int line = 1;
    bool spaced = false;  // a blank, line end or comment stands before it
    bool newLine = false; // a line end stands before it

    bool is(Kind k, std::string_view t) const { return kind == k && text == t; }
    bool isSymbol(std::string_view t) const { return is(Symbol, t); }
    // A name that is this word, compared without regard to case.
    bool isWord(std::string_view word) const;
};

// ASCII letters compared without regard to case.
bool sameWord(std::string_view a, std::string_view b);

// The tokens of `source` (the script's lines joined by line ends), ending with an End
// token. ERMScriptError for an unterminated string, bracket or comment and for characters
// the language has no use for.
std::vector<TRMScriptToken> scanScript(std::string_view source, std::string_view scriptName);

} // namespace report
