#pragma once

// Parses a script into its syntax tree. The grammar (keywords without regard to case):
//
//   script     = statements [ "." ]
//   statements = [ statement ] { separator [ statement ] }
//   separator  = ";" | a line end between two statements
//   statement  = "begin" statements "end"
//              | "if" expr "then" statement [ "else" statement ]
//              | "while" expr "do" statement
//              | "for" name ":=" expr ( "to" | "downto" ) expr "do" statement
//              | "repeat" statements "until" expr
//              | "break" | "continue" | "exit"
//              | name ":=" expr
//              | name [ "(" [ expr { "," expr } ] ")" ]
//
// Expressions are the engine's expression language (operators, bracketed names, function
// calls); the parser checks that each one is complete and where it ends, so that a script
// which does not parse is refused as a whole before anything of it runs.

#include "report/engine/expressions/RMScriptTree.h"

#include <string_view>

namespace report {

class TRMScriptParser {
public:
    // The program of `source` (the script's lines joined by line ends); ERMScriptError
    // naming `scriptName` and the line of the first fault.
    static TRMScriptProgram parse(std::string_view source, std::string_view scriptName);

    // Deepest nesting of statements and of parentheses the parser accepts.
    static constexpr int kMaxDepth = 100;
};

} // namespace report
