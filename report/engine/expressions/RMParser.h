#pragma once

// Expression evaluator of bracketed expressions: converts an expression to postfix form
// and calculates it. Names and function calls it does not know itself go to two hooks
// its owner sets.

#include "platform/Variant.h"

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace report {

// Raised for malformed expressions (unbalanced parentheses in a call: empty message).
class EParserError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TRMToken {
    enum Kind : std::uint8_t { Number, String, Name, Bracket, Indexed, Call, Operator };
    Kind kind = Number;
    char op = 0;       // operator code (see RMParser.cpp)
    std::string text;  // literal text, name, or function name
    std::string extra; // index expression or argument-list text
    double number = 0;
};

using TRMPostfix = std::vector<TRMToken>;

class TRMParser {
public:
    using ValueHook = std::function<platform::Variant(const std::string& name)>;
    using FunctionHook = std::function<platform::Variant(const std::string& name,
                                                         const std::vector<std::string>& args)>;

    ValueHook OnGetValue;
    FunctionHook OnFunction;

    TRMPostfix Str2OPZ(std::string_view expression) const;
    platform::Variant CalcOPZ(const TRMPostfix& postfix);
    platform::Variant Calc(std::string_view expression) { return CalcOPZ(Str2OPZ(expression)); }

    // Splits an argument list at commas outside quotes and nested parentheses (at most 10,
    // missing ones empty); EParserError when parentheses do not balance.
    static std::vector<std::string> splitArguments(std::string_view list);

private:
    platform::Variant callFunction(const std::string& name, const std::string& argumentList);
    int depth_ = 0; // nesting of evaluations through functions; bounded
};

// Converts text to a number the way literals are read: "." and "," are both decimal
// separators; raises platform::EVariantError ("'x' is not a valid floating point value").
double textToFloat(std::string_view text);

} // namespace report
