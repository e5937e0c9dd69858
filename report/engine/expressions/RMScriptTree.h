#pragma once

// The syntax tree of a parsed script. Expressions stay text in the engine's expression
// language (checked when the script is parsed, evaluated by the report's parser when they
// run); statements are a tree the interpreter walks.

#include <cstdint>
#include <string>
#include <vector>

namespace report {

struct TRMScriptExpression {
    std::string text; // as the expression parser reads it
};

struct TRMScriptStatement {
    enum Kind : std::uint8_t {
        Block,    // begin … end: Body
        Assign,   // Target := Values[0]
        Call,     // Target[(Values…)]
        If,       // if Values[0] then Body[0] [else Body[1]]
        While,    // while Values[0] do Body[0]
        For,      // for Target := Values[0] to|downto Values[1] do Body[0]
        Repeat,   // repeat Body until Values[0]
        Break,    // leaves the innermost loop
        Continue, // goes on with the innermost loop's next round
        Exit,     // ends the script
    };
    Kind kind = Block;
    int line = 0;
    // A name split at its dots outside double quotes: "Memo1.Font.Size" is
    // {"Memo1", "Font", "Size"}.
    std::vector<std::string> Target;
    std::vector<TRMScriptExpression> Values;
    std::vector<TRMScriptStatement> Body;
    bool DownTo = false; // For
};

struct TRMScriptProgram {
    std::string Name; // "OnBeforePrint", "OnAfterPrint": named in messages
    TRMScriptStatement Root;
};

} // namespace report
