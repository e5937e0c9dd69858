#include "report/engine/expressions/RMParser.h"

#include "platform/Gbk.h"
#include "report/engine/expressions/RMChineseNumerals.h"
#include "report/engine/expressions/RMDateTime.h"
#include "report/engine/expressions/RMDisplayFormat.h"
#include "report/engine/model/RMNumbers.h"
#include "report/engine/model/RMTextScan.h"
#include "report/engine/model/RMVariables.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace report {

using platform::Variant;
using platform::VarType;

namespace {

// Operator codes of the postfix form.
constexpr char opNotEqual = 'N', opGreaterEqual = 'G', opLessEqual = 'L', opMod = 'M', opAnd = 'A',
               opOr = 'O', opNot = '!', opInt = 'i', opFrac = 'f', opRound = 'r', opStr = 's',
               opNegate = 'u', opPlus = 'p', opParen = '(';

constexpr int maxDepth = 64; // nested evaluations (function arguments, names)

bool isPrefix(char op) {
    return op == opNot || op == opInt || op == opFrac || op == opRound || op == opStr ||
           op == opNegate || op == opPlus;
}

int precedence(char op) {
    switch (op) {
    case opInt:
    case opFrac:
    case opRound:
    case opStr:
        return 4;
    case '*':
    case '/':
    case opMod:
    case opAnd:
    case opOr:
    case opNot:
        return 3;
    case '+':
    case '-':
    case opNegate:
    case opPlus:
        return 2;
    case '=':
    case '<':
    case '>':
    case opNotEqual:
    case opGreaterEqual:
    case opLessEqual:
        return 1;
    default:
        return 0;
    }
}

bool isOperatorChar(char c) {
    return c == '+' || c == '-' || c == '*' || c == '/' || c == '<' || c == '>' || c == '=';
}

bool endsIdentifier(char c) {
    return isOperatorChar(c) || c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '[' ||
           c == ']' || c == '(' || c == ')' || c == ';';
}

char operatorWord(std::string_view word) {
    if (sameText(word, "INT"))
        return opInt;
    if (sameText(word, "FRAC"))
        return opFrac;
    if (sameText(word, "ROUND"))
        return opRound;
    if (sameText(word, "STR"))
        return opStr;
    if (sameText(word, "NOT"))
        return opNot;
    if (sameText(word, "MOD"))
        return opMod;
    if (sameText(word, "AND"))
        return opAnd;
    if (sameText(word, "OR"))
        return opOr;
    return 0;
}

bool isInteger(const Variant& v) {
    return v.type() == VarType::Integer;
}

double wholeSnap(double x) {
    const double nearest = std::round(x);
    return std::fabs(x - nearest) < 1e-10 ? nearest : x;
}

Variant fromWhole(double x) {
    return wholeValue(x);
}

// Operands for arithmetic: empty counts as 0.
double numberOf(const Variant& v) {
    return v.isEmpty() ? 0.0 : v.toDouble();
}

Variant add(const Variant& a, const Variant& b) {
    if (a.isNull() || b.isNull())
        return Variant(platform::null);
    if (a.isEmpty())
        return b;
    if (b.isEmpty())
        return a;
    if (a.isString() && b.isString())
        return Variant(a.stringValue() + b.stringValue());
    if (a.isString() || b.isString()) {
        // A text that reads as a number adds; any other text is joined.
        try {
            return Variant(a.toDouble() + b.toDouble());
        } catch (const platform::EVariantError&) {
            return Variant(valueText(a) + valueText(b));
        }
    }
    if (isInteger(a) && isInteger(b)) {
        long long r = 0;
        if (!__builtin_add_overflow(a.toInt64(), b.toInt64(), &r))
            return Variant(r);
    }
    if (a.type() == VarType::Date || b.type() == VarType::Date)
        return Variant(platform::DateTime{a.toDouble() + b.toDouble()});
    return Variant(a.toDouble() + b.toDouble());
}

Variant subtract(const Variant& a, const Variant& b) {
    if (a.isNull() || b.isNull())
        return Variant(platform::null);
    if (isInteger(a) && isInteger(b)) {
        long long r = 0;
        if (!__builtin_sub_overflow(a.toInt64(), b.toInt64(), &r))
            return Variant(r);
    }
    if (a.type() == VarType::Date && b.type() != VarType::Date)
        return Variant(platform::DateTime{numberOf(a) - numberOf(b)});
    return Variant(numberOf(a) - numberOf(b));
}

Variant multiply(const Variant& a, const Variant& b) {
    if (a.isNull() || b.isNull())
        return Variant(platform::null);
    if ((isInteger(a) || a.type() == VarType::Boolean) &&
        (isInteger(b) || b.type() == VarType::Boolean)) {
        long long r = 0;
        if (!__builtin_mul_overflow(a.toInt64(), b.toInt64(), &r))
            return Variant(r);
    }
    return Variant(numberOf(a) * numberOf(b));
}

// Comparison with empty read as 0 or "" to match the other operand.
int compareValues(const Variant& a, const Variant& b) {
    Variant x = a, y = b;
    if (x.isEmpty())
        x = y.isString() ? Variant("") : Variant(0);
    if (y.isEmpty())
        y = x.isString() ? Variant("") : Variant(0);
    const std::weak_ordering order = x.compare(y);
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

bool truthOf(const Variant& v) {
    if (v.isEmptyOrNull())
        return false;
    if (v.type() == VarType::Boolean)
        return v.toBool();
    return v.toDouble() != 0.0;
}

} // namespace

double textToFloat(std::string_view input) {
    std::string text = platform::trimBlanks(input);
    for (char& c : text)
        if (c == ',')
            c = '.';
    if (text.empty())
        throw platform::EVariantError("'' is not a valid floating point value");
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (end == nullptr || *end != '\0' || text.find_first_of("xXnN") != std::string::npos)
        throw platform::EVariantError("'" + std::string(input) +
                                      "' is not a valid floating point value");
    return value;
}

TRMPostfix TRMParser::Str2OPZ(std::string_view s) const {
    TRMPostfix out;
    std::vector<char> ops;
    bool lastWasOperand = false;

    auto pushOperator = [&](char op) {
        if (isPrefix(op)) {
            ops.push_back(op);
            return;
        }
        while (!ops.empty() && ops.back() != opParen && precedence(ops.back()) >= precedence(op)) {
            out.push_back({TRMToken::Operator, ops.back(), {}, {}, 0});
            ops.pop_back();
        }
        ops.push_back(op);
    };

    std::size_t i = 0;
    while (i < s.size()) {
        const char c = s[i];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            ++i;
            continue;
        }
        if (c == ';')
            break;
        if (c == '(') {
            ops.push_back(opParen);
            lastWasOperand = false;
            ++i;
            continue;
        }
        if (c == ')') {
            while (!ops.empty() && ops.back() != opParen) {
                out.push_back({TRMToken::Operator, ops.back(), {}, {}, 0});
                ops.pop_back();
            }
            if (!ops.empty())
                ops.pop_back();
            lastWasOperand = true;
            ++i;
            continue;
        }
        if (isOperatorChar(c)) {
            char op = c;
            if (c == '<' && i + 1 < s.size() && s[i + 1] == '>') {
                op = opNotEqual;
                ++i;
            } else if (c == '>' && i + 1 < s.size() && s[i + 1] == '=') {
                op = opGreaterEqual;
                ++i;
            } else if (c == '<' && i + 1 < s.size() && s[i + 1] == '=') {
                op = opLessEqual;
                ++i;
            } else if ((c == '-' || c == '+') && !lastWasOperand)
                op = c == '-' ? opNegate : opPlus;
            ++i;
            pushOperator(op);
            lastWasOperand = false;
            continue;
        }
        if (c == '\'') {
            std::string literal;
            ++i;
            while (i < s.size()) {
                if (s[i] == '\'') {
                    if (i + 1 < s.size() && s[i + 1] == '\'') {
                        literal += '\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                literal += s[i++];
            }
            out.push_back({TRMToken::String, 0, std::move(literal), {}, 0});
            lastWasOperand = true;
            continue;
        }
        if (c == '[') {
            const std::size_t end = detail::matchGroup(s, i, '[', ']');
            const std::size_t stop = end == std::string_view::npos ? s.size() : end - 1;
            out.push_back(
                {TRMToken::Bracket, 0, std::string(s.substr(i + 1, stop - i - 1)), {}, 0});
            i = end == std::string_view::npos ? s.size() : end;
            lastWasOperand = true;
            continue;
        }
        if ((c >= '0' && c <= '9') || c == '.' || c == ',') {
            const std::size_t start = i;
            while (i < s.size() && ((s[i] >= '0' && s[i] <= '9') || s[i] == '.' || s[i] == ','))
                ++i;
            TRMToken token{TRMToken::Number, 0, std::string(s.substr(start, i - start)), {}, 0};
            out.push_back(std::move(token));
            lastWasOperand = true;
            continue;
        }
        // Identifier: ends at an operator, blank, bracket or parenthesis outside double quotes.
        const std::size_t start = i;
        bool inQuotes = false;
        while (i < s.size()) {
            if (s[i] == '"')
                inQuotes = !inQuotes;
            else if (!inQuotes && endsIdentifier(s[i]))
                break;
            ++i;
        }
        if (i == start) { // a stray "]" or ";" inside: skip it
            ++i;
            continue;
        }
        const std::string name(s.substr(start, i - start));
        if (const char op = operatorWord(name)) {
            pushOperator(op);
            lastWasOperand = false;
            continue;
        }
        std::size_t next = i;
        while (next < s.size() && s[next] == ' ')
            ++next;
        if (next < s.size() && s[next] == '(') {
            const std::size_t end = detail::matchGroup(s, next, '(', ')');
            if (end == std::string_view::npos)
                throw EParserError("");
            out.push_back(
                {TRMToken::Call, 0, name, std::string(s.substr(next + 1, end - next - 2)), 0});
            i = end;
        } else if (i < s.size() && s[i] == '[') {
            const std::size_t end = detail::matchGroup(s, i, '[', ']');
            const std::size_t stop = end == std::string_view::npos ? s.size() : end - 1;
            out.push_back(
                {TRMToken::Indexed, 0, name, std::string(s.substr(i + 1, stop - i - 1)), 0});
            i = end == std::string_view::npos ? s.size() : end;
        } else {
            out.push_back({TRMToken::Name, 0, name, {}, 0});
        }
        lastWasOperand = true;
    }
    while (!ops.empty()) {
        if (ops.back() != opParen)
            out.push_back({TRMToken::Operator, ops.back(), {}, {}, 0});
        ops.pop_back();
    }
    return out;
}

std::vector<std::string> TRMParser::splitArguments(std::string_view list) {
    std::vector<std::string> args;
    std::string current;
    int level = 0;
    bool inSingle = false, inDouble = false;
    for (char c : list) {
        if (c == '\'' && !inDouble)
            inSingle = !inSingle;
        else if (c == '"' && !inSingle)
            inDouble = !inDouble;
        else if (!inSingle && !inDouble) {
            if (c == '(')
                ++level;
            else if (c == ')' && --level < 0)
                throw EParserError("");
            else if (c == ',' && level == 0) {
                if (args.size() < 9)
                    args.push_back(platform::trimBlanks(current));
                current.clear();
                continue;
            }
        }
        current += c;
    }
    if (level != 0)
        throw EParserError("");
    args.push_back(platform::trimBlanks(current));
    args.resize(10);
    return args;
}

Variant TRMParser::callFunction(const std::string& rawName, const std::string& argumentList) {
    const std::string name = upperCase(rawName);
    const std::vector<std::string> args = splitArguments(argumentList);
    if (name == "COPY") {
        const std::string text = platform::toGbk(valueText(Calc(args[0])));
        const long long from = clampedInt64(numberOf(Calc(args[1])));
        const long long count = clampedInt64(numberOf(Calc(args[2])));
        if (from < 1 || count <= 0 || static_cast<std::size_t>(from) > text.size())
            return Variant("");
        return Variant(platform::fromGbk(
            text.substr(static_cast<std::size_t>(from - 1), static_cast<std::size_t>(count))));
    }
    if (name == "IF")
        return truthOf(Calc(args[0])) ? Calc(args[1]) : Calc(args[2]);
    if (name == "STRTODATE")
        return Variant(platform::DateTime{parseDate(valueText(Calc(args[0])))});
    if (name == "STRTOTIME")
        return Variant(platform::DateTime{parseTime(valueText(Calc(args[0])))});
    if (name == "CNUMBER") {
        const Variant value = Calc(args[0]);
        return Variant(
            CNUMBER(value.isString() ? textToFloat(value.stringValue()) : numberOf(value)));
    }
    if (OnFunction)
        return OnFunction(name, args);
    return {};
}

Variant TRMParser::CalcOPZ(const TRMPostfix& postfix) {
    if (depth_ >= maxDepth)
        throw EParserError("表达式嵌套过深");
    ++depth_;
    struct DepthGuard {
        int& d;
        ~DepthGuard() { --d; }
    } guard{depth_};

    std::vector<Variant> stack;
    auto pop = [&]() -> Variant {
        if (stack.empty())
            return {};
        Variant v = std::move(stack.back());
        stack.pop_back();
        return v;
    };
    for (const TRMToken& token : postfix) {
        switch (token.kind) {
        case TRMToken::Number:
            stack.emplace_back(textToFloat(token.text));
            if (token.text.find_first_of(".,") == std::string::npos && token.text.size() < 16)
                if (const std::optional<std::int64_t> whole = wholeInt64(stack.back().toDouble()))
                    if (static_cast<double>(*whole) == stack.back().toDouble())
                        stack.back() = Variant(static_cast<long long>(*whole));
            break;
        case TRMToken::String:
            stack.emplace_back(token.text);
            break;
        case TRMToken::Bracket:
            stack.push_back(OnGetValue ? OnGetValue(token.text) : Variant());
            break;
        case TRMToken::Name:
            if (sameText(token.text, "TRUE"))
                stack.emplace_back(1);
            else if (sameText(token.text, "FALSE"))
                stack.emplace_back(0);
            else
                stack.push_back(OnGetValue ? OnGetValue(upperCase(token.text)) : Variant());
            break;
        case TRMToken::Indexed: {
            std::vector<std::string> args(10);
            args[0] = token.text;
            args[1] = token.extra;
            stack.push_back(OnFunction ? OnFunction("GETARRAY", args) : Variant());
            break;
        }
        case TRMToken::Call:
            stack.push_back(callFunction(token.text, token.extra));
            break;
        case TRMToken::Operator: {
            const char op = token.op;
            if (isPrefix(op)) {
                Variant top = pop();
                switch (op) {
                case opNot:
                    top = Variant(truthOf(top) ? 0 : 1);
                    break;
                case opNegate:
                    top =
                        isInteger(top) && top.toInt64() != std::numeric_limits<std::int64_t>::min()
                            ? Variant(static_cast<long long>(-top.toInt64()))
                            : Variant(-numberOf(top));
                    break;
                case opPlus:
                    break;
                case opInt:
                    top = fromWhole(std::trunc(wholeSnap(numberOf(top))));
                    break;
                case opFrac: {
                    const double x = wholeSnap(numberOf(top));
                    top = Variant(x - std::trunc(x));
                    break;
                }
                case opRound:
                    top = fromWhole(std::nearbyint(numberOf(top)));
                    break;
                case opStr:
                    top = Variant(valueText(top));
                    break;
                default:
                    break;
                }
                stack.push_back(std::move(top));
                break;
            }
            const Variant b = pop();
            const Variant a = pop();
            switch (op) {
            case '+':
            case opOr:
                stack.push_back(add(a, b));
                break;
            case '-':
                stack.push_back(subtract(a, b));
                break;
            case '*':
            case opAnd:
                stack.push_back(multiply(a, b));
                break;
            case '/': {
                const double divisor = numberOf(b);
                stack.emplace_back(divisor == 0.0 ? 0.0 : numberOf(a) / divisor);
                break;
            }
            case opMod:
                stack.push_back(isInteger(a) && isInteger(b) ? wholeMod(a.toInt64(), b.toInt64())
                                                             : wholeMod(numberOf(a), numberOf(b)));
                break;
            default: {
                const int c = compareValues(a, b);
                bool holds = false;
                switch (op) {
                case '=':
                    holds = c == 0;
                    break;
                case '<':
                    holds = c < 0;
                    break;
                case '>':
                    holds = c > 0;
                    break;
                case opNotEqual:
                    holds = c != 0;
                    break;
                case opGreaterEqual:
                    holds = c >= 0;
                    break;
                case opLessEqual:
                    holds = c <= 0;
                    break;
                default:
                    break;
                }
                stack.emplace_back(holds ? 1 : 0);
            }
            }
            break;
        }
        }
    }
    return stack.empty() ? Variant() : std::move(stack.back());
}

} // namespace report
