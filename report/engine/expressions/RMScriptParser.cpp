#include "report/engine/expressions/RMScriptParser.h"

#include "report/engine/expressions/RMScriptLexer.h"

#include <algorithm>
#include <initializer_list>

namespace report {

namespace {

bool isAnyWord(const TRMScriptToken& t, std::initializer_list<std::string_view> words) {
    return std::any_of(words.begin(), words.end(), [&](std::string_view w) { return t.isWord(w); });
}

// Words of the statements.
bool isKeyword(const TRMScriptToken& t) {
    return isAnyWord(t, {"begin", "end", "if", "then", "else", "while", "do", "for", "to", "downto",
                         "repeat", "until"});
}

// Pascal words this language has no statement for: named in the message instead of a
// puzzling "expected".
bool isUnsupported(const TRMScriptToken& t) {
    return isAnyWord(t, {"var", "const", "type", "case", "of", "with", "procedure", "function",
                         "goto", "label", "try", "except", "finally", "raise", "uses", "program"});
}

// Words of the expression language (TRMParser's operators).
bool isPrefixWord(const TRMScriptToken& t) {
    return isAnyWord(t, {"not", "int", "frac", "round", "str"});
}

bool isBinaryWord(const TRMScriptToken& t) {
    return isAnyWord(t, {"and", "or", "mod"});
}

bool isBinaryOperator(const TRMScriptToken& t) {
    if (t.kind == TRMScriptToken::Symbol)
        return t.text == "+" || t.text == "-" || t.text == "*" || t.text == "/" || t.text == "=" ||
               t.text == "<>" || t.text == "<" || t.text == ">" || t.text == "<=" || t.text == ">=";
    return isBinaryWord(t);
}

bool isPrefixOperator(const TRMScriptToken& t) {
    return t.isSymbol("+") || t.isSymbol("-") || isPrefixWord(t);
}

bool isPlainName(const TRMScriptToken& t) {
    return t.kind == TRMScriptToken::Name && !isKeyword(t) && !isPrefixWord(t) &&
           !isBinaryWord(t) && !isUnsupported(t);
}

// Could start an operand: after a complete operand it means an operator is missing.
bool startsOperand(const TRMScriptToken& t) {
    return t.kind == TRMScriptToken::Number || t.kind == TRMScriptToken::String ||
           t.kind == TRMScriptToken::Bracket || t.isSymbol("(") || isPrefixWord(t) ||
           (t.kind == TRMScriptToken::Name && !isKeyword(t) && !isBinaryWord(t));
}

std::string describe(const TRMScriptToken& t) {
    if (t.kind == TRMScriptToken::End)
        return "脚本结尾";
    std::string text = t.text.substr(0, 24);
    if (text.size() < t.text.size())
        text += "…";
    return "\"" + text + "\"";
}

// "Memo1.Font.Size" → {"Memo1", "Font", "Size"}; dots inside double quotes stay.
std::vector<std::string> splitPath(const std::string& name) {
    std::vector<std::string> parts(1);
    bool quoted = false;
    for (const char c : name) {
        if (c == '"')
            quoted = !quoted;
        if (c == '.' && !quoted)
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

class Parser {
public:
    Parser(std::string_view source, std::string_view name)
        : name_(name)
        , tokens_(scanScript(source, name)) {}

    TRMScriptProgram program() {
        TRMScriptProgram program;
        program.Name = std::string(name_);
        program.Root.line = 1;
        program.Root.Body = statements(0);
        // "begin … end." as a Pascal program ends.
        if (peek().isSymbol(".") && index_ > 0 && tokens_[index_ - 1].isWord("end"))
            next();
        if (peek().kind != TRMScriptToken::End)
            unexpected(peek());
        return program;
    }

private:
    const TRMScriptToken& peek() const { return tokens_[index_]; }
    const TRMScriptToken& next() {
        const TRMScriptToken& t = tokens_[index_];
        if (t.kind != TRMScriptToken::End)
            ++index_;
        return t;
    }

    [[noreturn]] void fail(const TRMScriptToken& at, const std::string& message) const {
        throw ERMScriptError(name_, at.line, message);
    }
    [[noreturn]] void expected(std::string_view what, const TRMScriptToken& got) const {
        fail(got, "应为 " + std::string(what) + "，遇到 " + describe(got));
    }
    [[noreturn]] void unexpected(const TRMScriptToken& t) const {
        if (t.isWord("end") || t.isWord("until"))
            fail(t, "多余的 " + describe(t));
        if (t.isWord("else") && index_ > 0 && tokens_[index_ - 1].isSymbol(";"))
            fail(t, "\"else\" 前面不能有 \";\"");
        if (isUnsupported(t))
            fail(t, "脚本不支持 " + describe(t));
        fail(t, "意外的 " + describe(t));
    }

    void expectWord(std::string_view word) {
        if (!peek().isWord(word))
            expected("\"" + std::string(word) + "\"", peek());
        next();
    }
    void expectSymbol(std::string_view symbol) {
        if (!peek().isSymbol(symbol))
            expected("\"" + std::string(symbol) + "\"", peek());
        next();
    }

    void enter(int depth) const {
        if (depth > TRMScriptParser::kMaxDepth)
            fail(peek(), "嵌套太深");
    }

    // Statements up to (not including) "end", "until" or the end of the script.
    std::vector<TRMScriptStatement> statements(int depth) {
        std::vector<TRMScriptStatement> list;
        while (true) {
            while (peek().isSymbol(";"))
                next();
            if (endsList(peek()))
                return list;
            TRMScriptStatement s = statement(depth);
            if (s.kind != TRMScriptStatement::Block || !s.Body.empty())
                list.push_back(std::move(s));
            if (peek().isSymbol(";") || endsList(peek()) || peek().newLine)
                continue;
            if (depth == 0 && peek().isSymbol(".") && tokens_[index_ - 1].isWord("end"))
                return list; // "begin … end." ends the script
            expected("\";\"", peek());
        }
    }

    static bool endsList(const TRMScriptToken& t) {
        return t.kind == TRMScriptToken::End || t.isWord("end") || t.isWord("until");
    }

    // A statement, or nothing where a branch or body is left empty ("if c then ;").
    TRMScriptStatement optionalStatement(int depth) {
        const TRMScriptToken& t = peek();
        if (t.isSymbol(";") || t.isWord("else") || endsList(t)) {
            TRMScriptStatement empty;
            empty.line = t.line;
            return empty;
        }
        return statement(depth);
    }

    TRMScriptStatement statement(int depth) {
        enter(depth);
        const TRMScriptToken& t = peek();
        TRMScriptStatement s;
        s.line = t.line;
        if (t.isWord("begin")) {
            next();
            s.kind = TRMScriptStatement::Block;
            s.Body = statements(depth + 1);
            expectWord("end");
        } else if (t.isWord("if")) {
            next();
            s.kind = TRMScriptStatement::If;
            s.Values.push_back(expression());
            expectWord("then");
            s.Body.push_back(optionalStatement(depth + 1));
            if (peek().isWord("else")) {
                next();
                s.Body.push_back(optionalStatement(depth + 1));
            }
        } else if (t.isWord("while")) {
            next();
            s.kind = TRMScriptStatement::While;
            s.Values.push_back(expression());
            expectWord("do");
            s.Body.push_back(loopBody(depth));
        } else if (t.isWord("for")) {
            next();
            s.kind = TRMScriptStatement::For;
            if (!isPlainName(peek()) || splitPath(peek().text).size() != 1)
                expected("循环变量", peek());
            s.Target = {next().text};
            expectSymbol(":=");
            s.Values.push_back(expression());
            if (peek().isWord("downto"))
                s.DownTo = true;
            else if (!peek().isWord("to"))
                expected("\"to\" 或 \"downto\"", peek());
            next();
            s.Values.push_back(expression());
            expectWord("do");
            s.Body.push_back(loopBody(depth));
        } else if (t.isWord("repeat")) {
            next();
            s.kind = TRMScriptStatement::Repeat;
            ++loops_;
            s.Body = statements(depth + 1);
            --loops_;
            expectWord("until");
            s.Values.push_back(expression());
        } else if (t.isWord("break") || t.isWord("continue")) {
            if (loops_ == 0)
                fail(t, describe(t) + " 只能用在循环里");
            s.kind = t.isWord("break") ? TRMScriptStatement::Break : TRMScriptStatement::Continue;
            next();
        } else if (t.isWord("exit")) {
            s.kind = TRMScriptStatement::Exit;
            next();
        } else if (isPlainName(t)) {
            s.Target = splitPath(next().text);
            if (peek().isSymbol(":=")) {
                next();
                s.kind = TRMScriptStatement::Assign;
                s.Values.push_back(expression());
            } else {
                s.kind = TRMScriptStatement::Call;
                if (peek().isSymbol("("))
                    arguments(s.Values);
            }
        } else {
            unexpected(t);
        }
        return s;
    }

    TRMScriptStatement loopBody(int depth) {
        ++loops_;
        TRMScriptStatement body = optionalStatement(depth + 1);
        --loops_;
        return body;
    }

    void arguments(std::vector<TRMScriptExpression>& into) {
        expectSymbol("(");
        if (!peek().isSymbol(")")) {
            into.push_back(expression());
            while (peek().isSymbol(",")) {
                next();
                into.push_back(expression());
            }
        }
        expectSymbol(")");
    }

    // An expression, checked and handed on as text.
    TRMScriptExpression expression() {
        const std::size_t start = index_;
        sequence(0);
        TRMScriptExpression e;
        for (std::size_t k = start; k < index_; ++k) {
            if (k > start && tokens_[k].spaced)
                e.text += ' ';
            e.text += tokens_[k].text;
        }
        return e;
    }

    // operand { operator operand }
    void sequence(int depth) {
        enter(depth);
        operand(depth);
        while (isBinaryOperator(peek())) {
            next();
            operand(depth);
        }
    }

    // { prefix operator } ( number | string | [bracket] | name [ (arguments) | [index] ]
    //                      | "(" sequence ")" )
    void operand(int depth) {
        while (isPrefixOperator(peek()))
            next();
        const TRMScriptToken& t = peek();
        if (t.kind == TRMScriptToken::Number || t.kind == TRMScriptToken::String ||
            t.kind == TRMScriptToken::Bracket) {
            next();
        } else if (t.isSymbol("(")) {
            next();
            sequence(depth + 1);
            expectSymbol(")");
        } else if (t.kind == TRMScriptToken::Name && !isKeyword(t) && !isBinaryWord(t) &&
                   !isUnsupported(t)) {
            next();
            if (peek().isSymbol("(")) {
                next();
                if (!peek().isSymbol(")")) {
                    sequence(depth + 1);
                    while (peek().isSymbol(",")) {
                        next();
                        sequence(depth + 1);
                    }
                }
                expectSymbol(")");
            } else if (peek().kind == TRMScriptToken::Bracket && !peek().spaced) {
                next(); // an array element: Name[index]
            }
        } else {
            expected("表达式", t);
        }
        const TRMScriptToken& after = peek();
        if (after.isWord("div"))
            fail(after, "整数除法请写成 DIV(a, b)");
        if (startsOperand(after) && !after.newLine) {
            if (after.kind == TRMScriptToken::Name && tokens_[index_ + 1].isSymbol(":="))
                expected("\";\"", after); // the next statement on the same line
            fail(after, "缺少运算符: " + describe(after) + " 前面");
        }
    }

    std::string_view name_;
    std::vector<TRMScriptToken> tokens_;
    std::size_t index_ = 0;
    int loops_ = 0; // loops around the statement being parsed (break, continue)
};

} // namespace

TRMScriptProgram TRMScriptParser::parse(std::string_view source, std::string_view scriptName) {
    return Parser(source, scriptName).program();
}

} // namespace report
