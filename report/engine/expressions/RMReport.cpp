#include "report/engine/model/RMReport.h"

#include "platform/EngineTexts.h"
#include "platform/Gbk.h"
#include "platform/MessageBox.h"
#include "report/engine/expressions/RMDateTime.h"
#include "report/engine/expressions/RMDisplayFormat.h"
#include "report/engine/expressions/RMFunctionLibrary.h"
#include "report/engine/expressions/RMParser.h"
#include "report/engine/model/RMInputQuery.h"
#include "report/engine/model/RMMemoView.h"
#include "report/engine/model/RMNumbers.h"
#include "report/engine/model/RMQtValue.h"
#include "report/engine/model/RMTextScan.h"

#include <QCoreApplication>
#include <QMetaProperty>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <unordered_map>

namespace report {

using platform::Variant;

// A memo line taken apart once: the texts between brackets (escapes removed) and each
// bracket's expression with its inline format. Expanding it again only evaluates.
struct TRMExpansionPart {
    std::string text;            // literal text before the bracket
    bool bracket = false;        // false for the text after the last bracket
    bool followsBracket = false; // opens right where the previous bracket closed
    std::string expression;      // blanks trimmed
    bool inlineFormat = false;   // " #…" given: formatText replaces the view's
    std::optional<std::int32_t> inlineCode;
    std::string formatText;
};
using TRMExpansion = std::vector<TRMExpansionPart>;

class TRMExpansionCache {
public:
    std::shared_ptr<const TRMExpansion> find(std::string_view text) const {
        const auto it = lines_.find(text);
        return it == lines_.end() ? nullptr : it->second;
    }
    std::shared_ptr<const TRMExpansion> add(std::string_view text, TRMExpansion parts) {
        // Texts that scripts build row by row must not pile up.
        if (lines_.size() >= 4096)
            lines_.clear();
        auto shared = std::make_shared<const TRMExpansion>(std::move(parts));
        lines_.emplace(std::string(text), shared);
        return shared;
    }

private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const noexcept {
            return std::hash<std::string_view>{}(s);
        }
    };
    std::unordered_map<std::string, std::shared_ptr<const TRMExpansion>, Hash, std::equal_to<>>
        lines_;
};

void showEngineError(const std::string& text) {
    platform::MessageBox(platform::WindowHandle{0}, text, platform::engineText(47206, "错误"),
                         platform::MB_OK | platform::MB_ICONERROR);
}

TRMReport::TRMReport()
    : parser_(std::make_unique<TRMParser>()) {
    FileName = platform::engineText(47209, "Untitled");
    Pages.PrintPagePerPage = &PrintPagePerPage;
    EMFPages.OnBeginPage = [this](int index) {
        if (OnBeginPage)
            OnBeginPage(index);
    };
    EMFPages.TemplatePageIndex = [this](const TRMPage& page) { return Pages.IndexOf(&page); };
    EMFPages.TemplateFormats = [this] { return templateFormats(); };
    Datasets.attachTo(Dictionary);
    parser_->OnGetValue = [this](const std::string& name) { return resolveName(name); };
    parser_->OnFunction = [this](const std::string& name, const std::vector<std::string>& args) {
        return CallFunction(name, args);
    };
}

TRMReport::~TRMReport() = default;

TRMViewFormats TRMReport::templateFormats() const {
    TRMViewFormats formats;
    for (int p = 0; p < Pages.Count(); ++p)
        for (const auto& view : Pages[p]->Objects())
            if (dynamic_cast<const TRMMemoView*>(view.get()) != nullptr && !view->Name.empty())
                formats.emplace(view->Name,
                                TRMViewFormat{view->DisplayFormat, view->DisplayFormatText});
    return formats;
}

void TRMReport::Clear() {
    Pages.Clear();
    Dictionary.Clear();
    ReportInfo = {};
    DoublePass = false;
}

bool TRMReport::ChangePrinter(const std::string& name) {
    if (!currentPrinter().selectPrinter(name)) {
        showEngineError(platform::engineText(47210, "所选打印机错误"));
        for (int i = 0; i < Pages.Count(); ++i)
            Pages[i]->applyPaperToPrinter();
        return false;
    }
    PrinterName = name.empty() ? std::string("Default Printer") : name;
    for (int i = 0; i < Pages.Count(); ++i)
        Pages[i]->applyPaperToPrinter();
    return true;
}

// ---------------------------------------------------------------- expressions

namespace {

bool isZeroNumber(const Variant& v) {
    if (v.isEmptyOrNull() || v.isString() || v.isArray() || v.isBytes())
        return false;
    return v.toDouble() == 0.0;
}

} // namespace

namespace {

// The same walk as expandSlowly, in positions of the unexpanded text: a value replaces its
// bracket and the search goes on after it, so the brackets do not depend on the values;
// only a backslash that ends the value before a bracket (followsBracket) does.
TRMExpansion parseExpansion(std::string_view input) {
    TRMExpansion parts;
    std::string text;
    std::size_t done = 0;
    std::size_t pos = input.find('[');
    while (pos != std::string_view::npos && pos + 1 < input.size()) {
        if (pos > done && input[pos - 1] == '\\') {
            text.append(input.substr(done, pos - 1 - done));
            text += '[';
            done = pos + 1;
            pos = input.find('[', pos + 1);
            continue;
        }
        TRMExpansionPart part;
        part.followsBracket = pos == done && !parts.empty() && pos > 0;
        std::size_t end = detail::matchGroup(input, pos, '[', ']');
        std::string_view content;
        if (end == std::string_view::npos) {
            end = input.size();
            content = input.substr(pos + 1);
        } else {
            content = input.substr(pos + 1, end - pos - 2);
        }
        text.append(input.substr(done, pos - done));
        part.text = std::move(text);
        text.clear();
        part.bracket = true;
        constexpr std::int32_t noCode = std::numeric_limits<std::int32_t>::min();
        std::int32_t code = noCode;
        part.inlineFormat = content.find(" #") != std::string_view::npos;
        part.expression =
            platform::trimBlanks(TRMReport::splitInlineFormat(content, code, part.formatText));
        if (code != noCode)
            part.inlineCode = code;
        parts.push_back(std::move(part));
        done = end;
        pos = input.find('[', end);
    }
    text.append(input.substr(done));
    TRMExpansionPart last;
    last.text = std::move(text);
    parts.push_back(std::move(last));
    return parts;
}

} // namespace

std::string TRMReport::expandSlowly(std::string_view input) {
    std::string text(input);
    std::size_t pos = text.find('[');
    while (pos != std::string::npos && pos + 1 < text.size()) {
        if (pos > 0 && text[pos - 1] == '\\') {
            text.erase(pos - 1, 1);
            pos = text.find('[', pos);
            continue;
        }
        std::size_t end = detail::matchGroup(text, pos, '[', ']');
        std::string content;
        if (end == std::string::npos) { // unclosed: the group runs to the end of the text
            end = text.size();
            content = text.substr(pos + 1);
        } else {
            content = text.substr(pos + 1, end - pos - 2);
        }
        const std::string value = EvaluateBracket(content);
        text.replace(pos, end - pos, value);
        pos = text.find('[', pos + value.size());
    }
    return text;
}

std::string TRMReport::ExpandVariables(std::string_view input) {
    if (input.find('[') == std::string_view::npos)
        return std::string(input);
    if (!expansions_)
        expansions_ = std::make_unique<TRMExpansionCache>();
    // Held while evaluating: an expression may expand other texts and renew the cache.
    std::shared_ptr<const TRMExpansion> parts = expansions_->find(input);
    if (!parts)
        parts = expansions_->add(input, parseExpansion(input));
    std::string out;
    for (const TRMExpansionPart& part : *parts) {
        out += part.text;
        if (!part.bracket)
            break;
        if (part.followsBracket && !out.empty() && out.back() == '\\')
            return expandSlowly(input); // the value before escapes this bracket
        std::int32_t code = CurrentView ? CurrentView->DisplayFormat : 0;
        std::string formatText;
        if (part.inlineFormat)
            formatText = part.formatText;
        else if (CurrentView)
            formatText = CurrentView->DisplayFormatText;
        if (part.inlineCode)
            code = *part.inlineCode;
        out += evaluateExpression(part.expression, code, formatText);
    }
    return out;
}

std::string TRMReport::splitInlineFormat(std::string_view content, std::int32_t& code,
                                         std::string& formatText) {
    std::string expression(content);
    const std::size_t hash = expression.find(" #");
    if (hash == std::string::npos)
        return expression;
    std::string suffix = expression.substr(hash + 2, 256);
    expression.erase(hash);
    const char kind = suffix.empty() ? '\0' : suffix.front();
    auto select = [&](std::int32_t inlineCode) {
        code = inlineCode;
        suffix.erase(0, 1);
    };
    if (kind == 'N' || kind == 'n')
        select(rmInlineNumber);
    else if (kind >= '0' && kind <= '9')
        code = rmInlineNumber; // a digit starts the pattern and stays in it
    else if (kind == 'B' || kind == 'b')
        select(rmInlineBoolean);
    else if (kind == 'D' || kind == 'd')
        select(rmInlineDate);
    else if (kind == 'T' || kind == 't')
        select(rmInlineTime);
    formatText = suffix.substr(0, 255);
    return expression;
}

std::string TRMReport::EvaluateBracket(std::string_view content) {
    std::int32_t code = CurrentView ? CurrentView->DisplayFormat : 0;
    std::string formatText = CurrentView ? CurrentView->DisplayFormatText : std::string();
    const std::string expression = splitInlineFormat(content, code, formatText);
    return evaluateExpression(platform::trimBlanks(expression), code, formatText);
}

std::string TRMReport::evaluateExpression(const std::string& expression, std::int32_t code,
                                          std::string_view formatText) {
    Variant value = resolveName(expression);
    if (CurrentView != nullptr && CurrentView->flag(flag::HideZeros) && isZeroNumber(value))
        value = Variant("");
    return formatValue(value, code, formatText);
}

Variant TRMReport::Evaluate(std::string_view expression) {
    return parser_->Calc(expression);
}

TRMObject* TRMReport::FindObject(std::string_view name) const {
    if (TRMView* view = Pages.FindObject(name))
        return view;
    for (int i = 0; i < Pages.Count(); ++i)
        if (sameText(Pages[i]->Name, name))
            return Pages[i];
    return nullptr;
}

namespace {

bool propertyOf(const TRMObject* object, std::string_view property, Variant& value) {
    if (const auto* view = dynamic_cast<const TRMView*>(object))
        return view->GetPropValue(property, value);
    if (const auto* page = dynamic_cast<const TRMPage*>(object))
        return page->GetPropValue(property, value);
    return false;
}

} // namespace

bool TRMReport::getObjectProperty(std::string_view objectName, std::string_view property,
                                  Variant& value) const {
    if (ScriptObject != nullptr && sameText(objectName, "Self"))
        return propertyOf(ScriptObject, property, value);
    if (const TRMObject* object = FindObject(objectName))
        return propertyOf(object, property, value);
    if (isReportName(objectName) && GetPropValue(property, value))
        return true;
    return getOwnerProperty(objectName, property, value);
}

namespace {

QObject* componentNamed(QObject& window, std::string_view name) {
    const QString wanted = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    if (window.objectName().compare(wanted, Qt::CaseInsensitive) == 0)
        return &window;
    for (QObject* o : window.findChildren<QObject*>())
        if (o->objectName().compare(wanted, Qt::CaseInsensitive) == 0)
            return o;
    return nullptr;
}

bool qtProperty(const QObject& object, std::string_view name, Variant& value) {
    const QMetaObject& meta = *object.metaObject();
    for (int i = 0; i < meta.propertyCount(); ++i) {
        const QMetaProperty p = meta.property(i);
        if (sameText(p.name(), name)) {
            value = variantFromQt(p.read(&object));
            return true;
        }
    }
    for (const QByteArray& dynamic : object.dynamicPropertyNames())
        if (sameText(dynamic.toStdString(), name)) {
            value = variantFromQt(object.property(dynamic.constData()));
            return true;
        }
    return false;
}

} // namespace

bool TRMReport::getOwnerProperty(std::string_view objectName, std::string_view property,
                                 Variant& value) const {
    if (OwnerForm.isNull() || objectName.empty())
        return false;
    QObject* component = componentNamed(*OwnerForm, objectName);
    if (component == OwnerForm.data()) {
        // "Window.Control.Property"
        const std::size_t dot = property.find('.');
        if (dot != std::string_view::npos) {
            component = componentNamed(*OwnerForm, property.substr(0, dot));
            property = property.substr(dot + 1);
        }
    }
    return component != nullptr && qtProperty(*component, property, value);
}

bool TRMReport::isReportName(std::string_view name) const {
    return sameText(name, "Report") || (!Name.empty() && sameText(name, Name));
}

bool TRMReport::SetPropValue(std::string_view name, const Variant& value) {
    if (sameText(name, "Title"))
        ReportInfo.Strings[0] = value.toString();
    else if (sameText(name, "PrintIfEmpty"))
        PrintIfEmpty = value.toBool();
    else
        return false;
    return true;
}

bool TRMReport::GetPropValue(std::string_view name, Variant& value) const {
    if (sameText(name, "Title"))
        value = ReportInfo.Title();
    else if (sameText(name, "PrintIfEmpty"))
        value = PrintIfEmpty;
    else if (sameText(name, "Name"))
        value = Name;
    else if (sameText(name, "FileName"))
        value = FileName;
    else if (sameText(name, "DoublePass"))
        value = DoublePass;
    else if (sameText(name, "FinalPass"))
        value = FinalPass;
    else
        return false;
    return true;
}

bool TRMReport::isReservedName(std::string_view name) const {
    static constexpr std::string_view builtIn[] = {
        "VALUE",   "Page#",     "ApplicationPath#", "Date#",      "Date",
        "Time#",   "Time",      "DateTime#",        "Line#",      "LineThough#",
        "Column#", "Current#",  "TotalPages#",      "TotalPages", "CALCWIDTH",
        "CURY",    "FREESPACE", "FINALPASS",        "PAGEHEIGHT", "PAGEWIDTH",
        "TRUE",    "FALSE"};
    for (std::string_view b : builtIn)
        if (sameText(name, b))
            return true;
    return Dictionary.variable(name) != nullptr || GlobalVariables().find(name) != nullptr;
}

Variant TRMReport::evaluateGuarded(const std::string& name, const std::string& expression,
                                   bool dictionaryVariable) {
    for (const std::string& busy : evaluating_)
        if (sameText(busy, name))
            return evaluatingDictionary_ ? Variant(name) : Variant();
    evaluating_.push_back(name);
    const bool savedMode = evaluatingDictionary_;
    evaluatingDictionary_ = evaluatingDictionary_ || dictionaryVariable;
    struct Restore {
        TRMReport& r;
        bool mode;
        ~Restore() {
            r.evaluating_.pop_back();
            r.evaluatingDictionary_ = mode;
        }
    } restore{*this, savedMode};
    return parser_->Calc(expression);
}

Variant TRMReport::ResolveName(std::string_view name) {
    return resolveName(std::string(name));
}

Variant TRMReport::resolveName(const std::string& name) {
    if (name.empty())
        return {};
    if (OnGetValue) {
        Variant value;
        OnGetValue(name, value);
        if (!value.isEmpty())
            return value;
    }
    if (Dictionary.FieldResolver) {
        Variant value;
        if (Dictionary.FieldResolver(name, value))
            return value;
    }
    if (const std::string* expression = Dictionary.variable(name))
        return evaluateGuarded(name, *expression, true);
    if (name == "VALUE")
        return CurrentValue;

    const double start = State.StartDateTime;
    if (sameText(name, "Page#"))
        return Variant(State.PageNo + 1);
    if (sameText(name, "ApplicationPath#")) {
        std::string path = QCoreApplication::instance()
                               ? QCoreApplication::applicationDirPath().toStdString()
                               : ".";
        return Variant(path + "/");
    }
    if (sameText(name, "Date#") || sameText(name, "Date"))
        return Variant(platform::DateTime{std::floor(start)});
    if (sameText(name, "Time#") || sameText(name, "Time"))
        return Variant(platform::DateTime{start - std::floor(start)});
    if (sameText(name, "DateTime#"))
        return Variant(platform::DateTime{start});
    if (sameText(name, "Line#"))
        return Variant(State.LineNo);
    if (sameText(name, "LineThough#"))
        return Variant(State.LineThough);
    if (sameText(name, "Column#"))
        return Variant(State.ColumnNo);
    if (sameText(name, "Current#"))
        return Variant(State.CurrentRow);
    if (sameText(name, "TotalPages#") || sameText(name, "TotalPages"))
        return Variant(State.TotalPages);
    if (name == "CALCWIDTH") {
        if (CurrentView == nullptr)
            return Variant(0);
        if (OnCalcWidth && dynamic_cast<TRMMemoView*>(CurrentView) != nullptr)
            return Variant(OnCalcWidth(*CurrentView));
        return Variant(CurrentView->Width);
    }
    if (const Variant* global = GlobalVariables().find(name))
        return *global;
    if (const Variant* own = Variables.find(name))
        return *own;
    if (name == "CURY")
        return Variant(State.CurY);
    if (name == "FREESPACE")
        return Variant(State.PageBottom - State.CurY);
    if (name == "FINALPASS")
        return Variant(FinalPass);
    if (name == "PAGEHEIGHT")
        return Variant(State.PageBottom);
    if (name == "PAGEWIDTH")
        return Variant(State.PageWidth);
    const std::size_t dot = name.find('.');
    if (ScriptObject != nullptr && dot == std::string::npos) {
        Variant value;
        if (propertyOf(ScriptObject, name, value))
            return value;
    }
    if (dot != std::string::npos && name.find('"') == std::string::npos) {
        Variant value;
        if (getObjectProperty(std::string_view(name).substr(0, dot),
                              std::string_view(name).substr(dot + 1), value))
            return value;
    }
    if (const Variant* constant = EngineConstants().find(name))
        return *constant;
    return evaluateGuarded(name, name, false);
}

// ---------------------------------------------------------------- functions

namespace {

double numberOf(const Variant& v) {
    return v.isEmpty() ? 0.0 : v.toDouble();
}

double daysOf(const Variant& v) {
    if (v.isString())
        return parseDate(v.stringValue());
    return v.toDateTime().days;
}

// Edit-mask formatting: 0 9 # L l A a C c take a character of the text; "\" quotes the
// next mask character; ";…" sections are ignored; other characters are inserted.
std::string formatMaskText(std::string_view mask, std::string_view text) {
    const std::size_t semicolon = mask.find(';');
    mask = mask.substr(0, semicolon);
    std::string out;
    std::size_t t = 0;
    for (std::size_t i = 0; i < mask.size(); ++i) {
        const char m = mask[i];
        if (m == '\\' && i + 1 < mask.size()) {
            out += mask[++i];
        } else if (std::string_view("09#LlAaCc").find(m) != std::string_view::npos) {
            if (t < text.size())
                out += text[t++];
        } else if (m == '!' || m == '>' || m == '<') {
            continue;
        } else {
            out += m;
        }
    }
    return out;
}

std::string nameCase(std::string_view text) {
    std::string out(text);
    bool start = true;
    for (char& c : out) {
        const auto u = static_cast<unsigned char>(c);
        if (std::isalpha(u)) {
            c = static_cast<char>(start ? std::toupper(u) : std::tolower(u));
            start = false;
        } else {
            start = u < 0x80;
        }
    }
    return out;
}

} // namespace

Variant TRMReport::CallFunction(const std::string& name, const std::vector<std::string>& args) {
    Variant result;
    if (!dispatchFunction(name, args, result) && OnUserFunction)
        OnUserFunction(name, args, result);
    return result;
}

bool TRMReport::dispatchFunction(const std::string& name, const std::vector<std::string>& args,
                                 Variant& result) {
    if (std::optional<Variant> own = ownFunction(name, args)) {
        result = std::move(*own);
        return true;
    }
    for (TRMFunctionLibrary* library : FunctionLibraries())
        if (library->OnFunction(*this, name, args, result))
            return true;
    // The script procedures that act on a preparation (NewPage, ShowBand, …).
    return Preparation != nullptr && Preparation->callFunction(name, args, result);
}

std::optional<Variant> TRMReport::ownFunction(const std::string& name,
                                              const std::vector<std::string>& args) {
    auto arg = [&](std::size_t i) { return Evaluate(i < args.size() ? args[i] : std::string()); };
    auto text = [&](std::size_t i) { return valueText(arg(i)); };
    if (name == "FORMATDATETIME")
        return Variant(formatDateTime(text(0), daysOf(arg(1))));
    if (name == "FORMATFLOAT")
        return Variant(formatFloat(text(0), numberOf(arg(1))));
    if (name == "FORMATTEXT")
        return Variant(formatMaskText(text(0), text(1)));
    if (name == "LENGTH")
        return Variant(static_cast<long long>(platform::gbkLength(text(0))));
    if (name == "LOWERCASE")
        return Variant(lowerCase(text(0)));
    if (name == "UPPERCASE")
        return Variant(upperCase(text(0)));
    if (name == "NAMECASE")
        return Variant(nameCase(text(0)));
    if (name == "POS") {
        const std::string part = platform::toGbk(text(0));
        const std::string whole = platform::toGbk(text(1));
        const std::size_t at = part.empty() ? std::string::npos : whole.find(part);
        return Variant(at == std::string::npos ? 0LL : static_cast<long long>(at + 1));
    }
    if (name == "TRIM")
        return Variant(platform::trimBlanks(text(0)));
    if (name == "DIV") {
        const Variant a = arg(0), b = arg(1);
        if (a.type() == platform::VarType::Integer && b.type() == platform::VarType::Integer)
            return wholeDiv(a.toInt64(), b.toInt64());
        return wholeDiv(numberOf(a), numberOf(b));
    }
    if (name == "MAXNUM" || name == "MINNUM") {
        const Variant a = arg(0), b = arg(1);
        const bool aFirst = (a.compare(b) > 0) == (name == "MAXNUM");
        return aFirst ? a : b;
    }
    if (name == "DAY" || name == "MONTH" || name == "YEAR") {
        const TRMDateParts parts = decodeDateTime(daysOf(arg(0)));
        return Variant(name == "DAY" ? parts.day : (name == "MONTH" ? parts.month : parts.year));
    }
    if (name == "INPUT") {
        const std::string prompt = text(0), preset = text(1);
        return Variant(OnInput ? OnInput(prompt, preset) : inputQuery(prompt, preset));
    }
    if (name == "MESSAGEBOX")
        return Variant(platform::MessageBox(platform::WindowHandle{0}, text(0), text(1),
                                            clampedWhole<unsigned>(numberOf(arg(2)))));
    if (name == "SHOWMESSAGE") {
        platform::MessageBox(platform::WindowHandle{0}, text(0), "", platform::MB_OK);
        return Variant();
    }
    return std::nullopt;
}

} // namespace report
