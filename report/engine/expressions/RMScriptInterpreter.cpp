#include "report/engine/expressions/RMScriptInterpreter.h"

#include "report/engine/expressions/RMScriptLexer.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace report {

using platform::Variant;

namespace {

std::string joined(const std::vector<std::string>& parts, std::size_t from, std::size_t to) {
    std::string text;
    for (std::size_t i = from; i < to; ++i) {
        if (i > from)
            text += '.';
        text += parts[i];
    }
    return text;
}

bool isSelf(const std::vector<std::string>& path) {
    return path.size() > 1 && sameWord(path.front(), "Self");
}

std::string quoted(const std::string& name) {
    return "\"" + name + "\"";
}

} // namespace

bool TRMScriptInterpreter::truth(const Variant& value) {
    if (value.isEmptyOrNull())
        return false;
    if (value.isString())
        return !value.stringValue().empty() && value.stringValue() != "0";
    if (value.isNumeric())
        return value.toDouble() != 0;
    return true;
}

void TRMScriptInterpreter::run(const TRMScriptProgram& program) {
    const TRMScriptProgram* saved = program_;
    program_ = &program;
    struct Restore {
        const TRMScriptProgram*& p;
        const TRMScriptProgram* saved;
        ~Restore() { p = saved; }
    } restore{program_, saved};
    execute(program.Root);
}

void TRMScriptInterpreter::fail(const TRMScriptStatement& s, const std::string& message) const {
    throw ERMScriptError(program_ ? program_->Name : std::string(), s.line, message);
}

TRMScriptInterpreter::Flow TRMScriptInterpreter::execute(const TRMScriptStatement& s) {
    ++sinceCheck_;
    switch (s.kind) {
    case TRMScriptStatement::Block:
        for (const TRMScriptStatement& inner : s.Body)
            if (const Flow flow = execute(inner); flow != Flow::Next)
                return flow;
        return Flow::Next;
    case TRMScriptStatement::Assign:
        assign(s, s.Target, host_.evaluate(s.Values[0].text));
        return Flow::Next;
    case TRMScriptStatement::Call:
        call(s);
        return Flow::Next;
    case TRMScriptStatement::If:
        if (truth(host_.evaluate(s.Values[0].text)))
            return execute(s.Body[0]);
        return s.Body.size() > 1 ? execute(s.Body[1]) : Flow::Next;
    case TRMScriptStatement::While:
        while (truth(host_.evaluate(s.Values[0].text))) {
            bool stop = false;
            const Flow flow = loopRound(s.Body[0], stop);
            if (flow == Flow::Exit)
                return flow;
            if (stop)
                break;
        }
        return Flow::Next;
    case TRMScriptStatement::Repeat:
        while (true) {
            Flow flow = Flow::Next;
            for (const TRMScriptStatement& inner : s.Body)
                if ((flow = execute(inner)) != Flow::Next)
                    break;
            if (flow == Flow::Exit)
                return flow;
            if (flow == Flow::Break || truth(host_.evaluate(s.Values[0].text)))
                break;
            if (!checkDue())
                return Flow::Exit;
        }
        return Flow::Next;
    case TRMScriptStatement::For: {
        // Bounds are taken once, as whole numbers; the loop counts on its own, whatever
        // the body does to the variable.
        auto bound = [&](const TRMScriptExpression& e) {
            const Variant v = host_.evaluate(e.text);
            const double d = v.isEmpty() ? 0.0 : v.toDouble();
            if (!std::isfinite(d))
                fail(s, "for 循环的界限不是有限的数: " + v.toString());
            constexpr double limit = 9.2e18;
            return static_cast<long long>(std::trunc(std::clamp(d, -limit, limit)));
        };
        const long long from = bound(s.Values[0]);
        const long long to = bound(s.Values[1]);
        if (s.DownTo ? from < to : from > to)
            return Flow::Next;
        for (long long i = from;; s.DownTo ? --i : ++i) {
            assign(s, s.Target, Variant(i));
            bool stop = false;
            const Flow flow = loopRound(s.Body[0], stop);
            if (flow == Flow::Exit)
                return flow;
            if (stop || i == to)
                break;
        }
        return Flow::Next;
    }
    case TRMScriptStatement::Break:
        return Flow::Break;
    case TRMScriptStatement::Continue:
        return Flow::Continue;
    case TRMScriptStatement::Exit:
        return Flow::Exit;
    }
    return Flow::Next;
}

// One round of a while or for loop: the body, then the host's check when it is due.
// `stop` is set by break and by the host.
TRMScriptInterpreter::Flow TRMScriptInterpreter::loopRound(const TRMScriptStatement& body,
                                                           bool& stop) {
    const Flow flow = execute(body);
    if (flow == Flow::Exit)
        return flow;
    stop = flow == Flow::Break;
    return checkDue() ? Flow::Next : Flow::Exit;
}

bool TRMScriptInterpreter::checkDue() {
    // A round counts as a statement: a loop with an empty body runs none.
    if (++sinceCheck_ < kCheckEvery)
        return true;
    sinceCheck_ = 0;
    return host_.keepRunning();
}

void TRMScriptInterpreter::assign(const TRMScriptStatement& s,
                                  const std::vector<std::string>& target, const Variant& value) {
    if (target.size() == 1) {
        if (!host_.setProperty({}, target[0], value) && !host_.setVariable(target[0], value))
            fail(s, quoted(target[0]) + " 是报表的名称，脚本不能给它赋值");
        return;
    }
    if (isSelf(target)) {
        if (!host_.setProperty({}, joined(target, 1, target.size()), value))
            fail(s, "没有属性 " + quoted(joined(target, 1, target.size())));
        return;
    }
    std::size_t found = 0; // length of the first leading part that names an object
    for (std::size_t k = 1; k < target.size(); ++k) {
        const std::string object = joined(target, 0, k);
        if (!host_.hasObject(object))
            continue;
        found = found == 0 ? k : found;
        if (host_.setProperty(object, joined(target, k, target.size()), value))
            return;
    }
    const std::string whole = joined(target, 0, target.size());
    if (host_.setProperty({}, whole, value)) // an own property with a dot ("Font.Size")
        return;
    if (found > 0)
        fail(s, "对象 " + quoted(joined(target, 0, found)) + " 没有属性 " +
                    quoted(joined(target, found, target.size())));
    fail(s, "找不到对象 " + quoted(joined(target, 0, target.size() - 1)));
}

std::vector<Variant> TRMScriptInterpreter::values(const TRMScriptStatement& s) {
    std::vector<Variant> out;
    out.reserve(s.Values.size());
    for (const TRMScriptExpression& e : s.Values)
        out.push_back(host_.evaluate(e.text));
    return out;
}

void TRMScriptInterpreter::call(const TRMScriptStatement& s) {
    const std::vector<std::string>& path = s.Target;
    if (path.size() == 1 || isSelf(path)) {
        const std::string name = isSelf(path) ? joined(path, 1, path.size()) : path[0];
        std::vector<std::string> texts;
        for (const TRMScriptExpression& e : s.Values)
            texts.push_back(e.text);
        if (!isSelf(path) && host_.callProcedure(name, texts))
            return;
        if (host_.callMethod({}, name, values(s)))
            return;
        if (!isSelf(path) && host_.callUserFunction(name, texts))
            return;
        fail(s, "未知的过程或方法 " + quoted(name));
    }
    std::size_t found = 0;
    std::optional<std::vector<Variant>> args; // evaluated once, when an object is found
    for (std::size_t k = 1; k < path.size(); ++k) {
        const std::string object = joined(path, 0, k);
        if (!host_.hasObject(object))
            continue;
        found = found == 0 ? k : found;
        if (!args)
            args = values(s);
        if (host_.callMethod(object, joined(path, k, path.size()), *args))
            return;
    }
    if (found > 0)
        fail(s, "对象 " + quoted(joined(path, 0, found)) + " 没有方法 " +
                    quoted(joined(path, found, path.size())));
    fail(s, "找不到对象 " + quoted(joined(path, 0, path.size() - 1)));
}

} // namespace report
