#include "report/engine/expressions/RMScript.h"

#include "platform/Gbk.h"
#include "report/engine/expressions/RMParser.h"
#include "report/engine/model/RMPage.h"
#include "report/engine/model/RMReport.h"
#include "report/engine/model/RMTextScan.h"

namespace report {

using platform::Variant;

namespace {

// Calls `fn(i)` for every index of `text` outside quotes and outside brackets and
// parentheses; `fn` returns false to stop.
template <typename Fn>
void scanOutside(std::string_view text, Fn&& fn) {
    char quote = 0;
    int depth = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quote != 0) {
            if (c == quote)
                quote = 0;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == '(' || c == '[') {
            ++depth;
        } else if ((c == ')' || c == ']') && depth > 0) {
            --depth;
        } else if (depth == 0 && !fn(i)) {
            return;
        }
    }
}

// Statements: the text split at ";" and line ends.
std::vector<std::string> statements(std::string_view text) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    scanOutside(text, [&](std::size_t i) {
        if (text[i] == ';' || text[i] == '\n' || text[i] == '\r') {
            parts.emplace_back(text.substr(start, i - start));
            start = i + 1;
        }
        return true;
    });
    parts.emplace_back(text.substr(start));
    return parts;
}

// Position of the keyword `word` (between blanks) outside quotes; npos when none.
std::size_t findKeyword(std::string_view text, std::string_view word) {
    std::size_t found = std::string_view::npos;
    scanOutside(text, [&](std::size_t i) {
        if (i + word.size() > text.size() || !sameText(text.substr(i, word.size()), word))
            return true;
        const bool before = i == 0 || static_cast<unsigned char>(text[i - 1]) <= ' ';
        const bool after = i + word.size() == text.size() ||
                           static_cast<unsigned char>(text[i + word.size()]) <= ' ';
        if (before && after)
            found = i;
        return found == std::string_view::npos;
    });
    return found;
}

std::size_t findAssignment(std::string_view text) {
    std::size_t found = std::string_view::npos;
    scanOutside(text, [&](std::size_t i) {
        if (text[i] == ':' && i + 1 < text.size() && text[i + 1] == '=')
            found = i;
        return found == std::string_view::npos;
    });
    return found;
}

bool setProperty(TRMObject* object, std::string_view name, const Variant& value) {
    if (auto* view = dynamic_cast<TRMView*>(object))
        return view->SetPropValue(name, value);
    if (auto* page = dynamic_cast<TRMPage*>(object))
        return page->SetPropValue(name, value);
    return false;
}

bool callMethod(TRMObject* object, std::string_view name, const std::vector<Variant>& args) {
    if (auto* view = dynamic_cast<TRMView*>(object))
        return view->DoMethod(name, args);
    if (auto* page = dynamic_cast<TRMPage*>(object))
        return page->DoMethod(name, args);
    return false;
}

class Runner {
public:
    Runner(TRMReport& report, TRMObject* self)
        : report_(report)
        , self_(self) {}

    void statement(std::string text) {
        text = platform::trimBlanks(text);
        while (true) { // "begin" and "end" only group statements
            if (sameText(text, "begin") || sameText(text, "end") || text.empty())
                return;
            if (text.size() > 6 && sameText(text.substr(0, 6), "begin "))
                text = platform::trimBlanks(text.substr(6));
            else if (text.size() > 4 && sameText(text.substr(text.size() - 4), " end"))
                text = platform::trimBlanks(text.substr(0, text.size() - 4));
            else
                break;
        }
        if (text.size() > 3 && sameText(text.substr(0, 3), "if ")) {
            conditional(text.substr(3));
            return;
        }
        if (const std::size_t at = findAssignment(text); at != std::string::npos) {
            assign(platform::trimBlanks(text.substr(0, at)),
                   platform::trimBlanks(text.substr(at + 2)));
            return;
        }
        call(text);
    }

private:
    void conditional(std::string_view rest) {
        const std::size_t then = findKeyword(rest, "then");
        if (then == std::string_view::npos)
            throw EParserError("then expected");
        const Variant condition = report_.Evaluate(rest.substr(0, then));
        std::string_view branches = rest.substr(then + 4);
        const std::size_t otherwise = findKeyword(branches, "else");
        const bool holds = !condition.isEmptyOrNull() && condition.toDouble() != 0;
        if (holds)
            statement(std::string(branches.substr(0, otherwise)));
        else if (otherwise != std::string_view::npos)
            statement(std::string(branches.substr(otherwise + 4)));
    }

    void assign(const std::string& target, const std::string& expression) {
        const Variant value = report_.Evaluate(expression);
        const std::size_t dot = target.rfind('.');
        if (dot != std::string::npos) {
            if (TRMObject* object = report_.FindObject(target.substr(0, dot)))
                if (setProperty(object, target.substr(dot + 1), value))
                    return;
        } else if (setProperty(self_, target, value)) {
            return;
        }
        report_.Variables.SetVariable(target, value);
    }

    void call(const std::string& text) {
        std::string name = text;
        std::vector<std::string> args;
        if (const std::size_t open = text.find('('); open != std::string::npos) {
            if (text.back() != ')')
                throw EParserError("')' expected");
            name = platform::trimBlanks(text.substr(0, open));
            args = TRMParser::splitArguments(text.substr(open + 1, text.size() - open - 2));
            while (!args.empty() && platform::trimBlanks(args.back()).empty())
                args.pop_back();
        }
        std::vector<Variant> values;
        auto evaluated = [&] {
            if (values.empty())
                for (const std::string& a : args)
                    values.push_back(report_.Evaluate(a));
            return values;
        };
        if (const std::size_t dot = name.rfind('.'); dot != std::string::npos) {
            if (TRMObject* object = report_.FindObject(name.substr(0, dot)))
                if (callMethod(object, name.substr(dot + 1), evaluated()))
                    return;
        } else if (self_ != nullptr && callMethod(self_, name, evaluated())) {
            return;
        }
        report_.CallFunction(upperCase(name), args);
    }

    TRMReport& report_;
    TRMObject* self_;
};

} // namespace

bool TRMScript::empty(const TRMStrings& script) {
    for (const std::string& line : script)
        for (const char c : line)
            if (static_cast<unsigned char>(c) > ' ')
                return false;
    return true;
}

void TRMScript::run(TRMReport& report, const TRMStrings& script, TRMObject* self) {
    if (empty(script))
        return;
    std::string text;
    for (const std::string& line : script) {
        text += line;
        text += '\n';
    }
    Runner runner(report, self);
    for (std::string& statement : statements(text))
        runner.statement(std::move(statement));
}

} // namespace report
