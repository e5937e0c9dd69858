#include "report/engine/expressions/RMScriptLexer.h"

namespace report {

namespace {

bool isLetter(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c >= 0x80;
}

bool isDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}

int hexDigit(unsigned char c) {
    if (isDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// A character of a name after its first ("Page#", "Line#" end in "#").
bool isNameChar(unsigned char c) {
    return isLetter(c) || isDigit(c) || c == '#';
}

std::string shown(std::string_view text) {
    return std::string(text.substr(0, 20));
}

class Scanner {
public:
    Scanner(std::string_view source, std::string_view name)
        : s_(source)
        , name_(name) {}

    std::vector<TRMScriptToken> run() {
        std::vector<TRMScriptToken> tokens;
        while (true) {
            skipBlanksAndComments();
            TRMScriptToken token;
            token.line = line_;
            token.spaced = spaced_;
            token.newLine = newLine_;
            spaced_ = newLine_ = false;
            if (i_ >= s_.size()) {
                tokens.push_back(std::move(token));
                return tokens;
            }
            scanToken(token);
            tokens.push_back(std::move(token));
        }
    }

private:
    [[noreturn]] void fail(int line, const std::string& message) const {
        throw ERMScriptError(name_, line, message);
    }

    unsigned char at(std::size_t k) const {
        return k < s_.size() ? static_cast<unsigned char>(s_[k]) : 0;
    }

    // Steps over one character, counting line ends ("\r\n", "\n" or a lone "\r").
    void step() {
        const char c = s_[i_++];
        if (c == '\n' || (c == '\r' && at(i_) != '\n')) {
            ++line_;
            newLine_ = true;
        }
    }

    void skipBlanksAndComments() {
        while (i_ < s_.size()) {
            const unsigned char c = at(i_);
            if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v') {
                step();
            } else if (c == '/' && at(i_ + 1) == '/') {
                while (i_ < s_.size() && s_[i_] != '\n' && s_[i_] != '\r')
                    ++i_;
            } else if (c == '{') {
                skipComment(1, "}");
            } else if (c == '(' && at(i_ + 1) == '*') {
                skipComment(2, "*)");
            } else {
                return;
            }
            spaced_ = true;
        }
    }

    void skipComment(std::size_t open, std::string_view close) {
        const int line = line_;
        i_ += open;
        while (i_ < s_.size() && s_.substr(i_, close.size()) != close)
            step();
        if (i_ >= s_.size())
            fail(line, "注释没有结束");
        i_ += close.size();
    }

    void scanToken(TRMScriptToken& token) {
        const std::size_t start = i_;
        const unsigned char c = at(i_);
        if (isLetter(c) || c == '"') {
            token.kind = TRMScriptToken::Name;
            scanName();
        } else if (isDigit(c) || (c == '.' && isDigit(at(i_ + 1)))) {
            token.kind = TRMScriptToken::Number;
            while (isDigit(at(i_)))
                ++i_;
            if (at(i_) == '.' && isDigit(at(i_ + 1))) {
                ++i_;
                while (isDigit(at(i_)))
                    ++i_;
            }
        } else if (c == '$') {
            token.kind = TRMScriptToken::Number;
            token.text = hexNumber(token.line);
            return;
        } else if (c == '\'') {
            token.kind = TRMScriptToken::String;
            scanString(token.line);
        } else if (c == '[') {
            token.kind = TRMScriptToken::Bracket;
            scanBracket(token.line);
        } else {
            token.kind = TRMScriptToken::Symbol;
            scanSymbol(token.line);
        }
        token.text = std::string(s_.substr(start, i_ - start));
    }

    // Segments of letters, digits and "#", or double-quoted text, joined by dots.
    void scanName() {
        while (true) {
            if (at(i_) == '"') {
                const int line = line_;
                ++i_;
                while (i_ < s_.size() && s_[i_] != '"' && s_[i_] != '\n' && s_[i_] != '\r')
                    ++i_;
                if (at(i_) != '"')
                    fail(line, "名称里的引号没有结束");
                ++i_;
            } else if (isNameChar(at(i_))) {
                ++i_;
            } else if (at(i_) == '.' && (isLetter(at(i_ + 1)) || at(i_ + 1) == '"')) {
                ++i_;
            } else {
                return;
            }
        }
    }

    std::string hexNumber(int line) {
        const std::size_t start = i_++;
        unsigned long long value = 0;
        int digits = 0;
        for (int d; (d = hexDigit(at(i_))) >= 0; ++i_, ++digits) {
            if (digits == 16)
                fail(line, "十六进制数太大: " + shown(s_.substr(start)));
            value = value * 16 + static_cast<unsigned>(d);
        }
        if (digits == 0)
            fail(line, "\"$\" 后面应为十六进制数字");
        return std::to_string(value);
    }

    // Single quotes; two of them inside stand for one. A string ends on its line.
    void scanString(int line) {
        ++i_;
        while (true) {
            if (i_ >= s_.size() || s_[i_] == '\n' || s_[i_] == '\r')
                fail(line, "字符串没有结束");
            if (s_[i_] == '\'') {
                if (at(i_ + 1) != '\'') {
                    ++i_;
                    return;
                }
                ++i_;
            }
            ++i_;
        }
    }

    // To the matching "]": brackets count only outside quotes, as the expression parser
    // matches them.
    void scanBracket(int line) {
        int depth = 0;
        bool inSingle = false, inDouble = false;
        while (i_ < s_.size()) {
            const char c = s_[i_];
            if (c == '\'' && !inDouble)
                inSingle = !inSingle;
            else if (c == '"' && !inSingle)
                inDouble = !inDouble;
            else if (!inSingle && !inDouble && c == '[')
                ++depth;
            else if (!inSingle && !inDouble && c == ']' && --depth == 0) {
                ++i_;
                return;
            }
            step();
        }
        fail(line, "方括号没有闭合");
    }

    void scanSymbol(int line) {
        const unsigned char c = at(i_);
        const unsigned char next = at(i_ + 1);
        if ((c == ':' && next == '=') || (c == '<' && (next == '>' || next == '=')) ||
            (c == '>' && next == '=')) {
            i_ += 2;
            return;
        }
        if (std::string_view("()+-*/=<>;,.").find(static_cast<char>(c)) != std::string_view::npos) {
            ++i_;
            return;
        }
        if (c == ':')
            fail(line, "应为 \":=\"");
        if (c < 0x20 || c == 0x7F)
            fail(line, "无效的字符 (代码 " + std::to_string(c) + ")");
        fail(line, "无效的字符 \"" + std::string(1, static_cast<char>(c)) + "\"");
    }

    std::string_view s_;
    std::string_view name_;
    std::size_t i_ = 0;
    int line_ = 1;
    bool spaced_ = false, newLine_ = false;
};

} // namespace

ERMScriptError::ERMScriptError(std::string_view script, int line, const std::string& message)
    : std::runtime_error(std::string(script) + (script.empty() ? "" : " ") + "第 " +
                         std::to_string(line) + " 行: " + message)
    , line_(line) {}

bool sameWord(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

bool TRMScriptToken::isWord(std::string_view word) const {
    return kind == Name && sameWord(text, word);
}

std::vector<TRMScriptToken> scanScript(std::string_view source, std::string_view scriptName) {
    return Scanner(source, scriptName).run();
}

} // namespace report
