#include "report/engine/model/RMTemplateJson.h"

#include "platform/Colors.h"
#include "platform/Gbk.h"
#include "report/engine/model/RMBandView.h"
#include "report/engine/model/RMGraphicViews.h"
#include "report/engine/model/RMPage.h"
#include "report/engine/model/RMPaper.h"
#include "report/engine/model/RMReport.h"
#include "report/engine/model/RMStream.h"
#include "report/engine/model/RMViewFactory.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <span>

namespace report {

namespace {

// ---------------------------------------------------------------------------------------
// Values that keep the order of their keys (the normal form is written from these).

struct Value {
    enum Kind { Null, Bool, Int, Milli, Real, String, Array, Object };
    Kind kind = Null;
    bool b = false;
    std::int64_t i = 0; // Int; Milli: thousandths
    double d = 0;       // Real
    std::string s;      // String (UTF-8)
    std::vector<Value> items;
    std::vector<std::pair<std::string, Value>> members;

    static Value boolean(bool v) {
        Value x;
        x.kind = Bool;
        x.b = v;
        return x;
    }
    static Value integer(std::int64_t v) {
        Value x;
        x.kind = Int;
        x.i = v;
        return x;
    }
    static Value milli(std::int64_t v) {
        Value x;
        x.kind = Milli;
        x.i = v;
        return x;
    }
    static Value string(std::string v) {
        Value x;
        x.kind = String;
        x.s = std::move(v);
        return x;
    }
    static Value array() {
        Value x;
        x.kind = Array;
        return x;
    }
    static Value object() {
        Value x;
        x.kind = Object;
        return x;
    }
    const Value* find(std::string_view key) const {
        for (const auto& [k, v] : members)
            if (k == key)
                return &v;
        return nullptr;
    }
    Value* find(std::string_view key) {
        return const_cast<Value*>(static_cast<const Value&>(*this).find(key));
    }
    Value& member(std::string_view key) {
        for (auto& [k, v] : members)
            if (k == key)
                return v;
        members.emplace_back(std::string(key), Value());
        return members.back().second;
    }
    bool operator==(const Value&) const = default;
};

void writeJsonString(std::string& out, std::string_view text) {
    out += '"';
    for (const char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char buffer[8];
                std::snprintf(buffer, sizeof buffer, "\\u%04x", static_cast<unsigned>(c));
                out += buffer;
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

void writeValue(std::string& out, const Value& v, int indent) {
    const std::string inner(static_cast<std::size_t>(indent + 2), ' ');
    switch (v.kind) {
    case Value::Null:
        out += "null";
        break;
    case Value::Bool:
        out += v.b ? "true" : "false";
        break;
    case Value::Int:
        out += std::to_string(v.i);
        break;
    case Value::Milli: {
        const std::int64_t magnitude = v.i < 0 ? -v.i : v.i;
        if (v.i < 0)
            out += '-';
        out += std::to_string(magnitude / 1000);
        if (std::int64_t fraction = magnitude % 1000; fraction != 0) {
            std::string digits = std::to_string(fraction + 1000).substr(1);
            while (digits.back() == '0')
                digits.pop_back();
            out += '.' + digits;
        }
        break;
    }
    case Value::Real: {
        char buffer[40];
        std::snprintf(buffer, sizeof buffer, "%.17g", v.d);
        out += buffer;
        break;
    }
    case Value::String:
        writeJsonString(out, v.s);
        break;
    case Value::Array:
        if (v.items.empty()) {
            out += "[]";
            break;
        }
        out += "[\n";
        for (std::size_t n = 0; n < v.items.size(); ++n) {
            out += inner;
            writeValue(out, v.items[n], indent + 2);
            out += n + 1 < v.items.size() ? ",\n" : "\n";
        }
        out += std::string(static_cast<std::size_t>(indent), ' ') + ']';
        break;
    case Value::Object:
        if (v.members.empty()) {
            out += "{}";
            break;
        }
        out += "{\n";
        for (std::size_t n = 0; n < v.members.size(); ++n) {
            out += inner;
            writeJsonString(out, v.members[n].first);
            out += ": ";
            writeValue(out, v.members[n].second, indent + 2);
            out += n + 1 < v.members.size() ? ",\n" : "\n";
        }
        out += std::string(static_cast<std::size_t>(indent), ' ') + '}';
        break;
    }
}

Value fromQt(const QJsonValue& v) {
    switch (v.type()) {
    case QJsonValue::Bool:
        return Value::boolean(v.toBool());
    case QJsonValue::Double: {
        const double d = v.toDouble();
        if (std::floor(d) == d && std::fabs(d) < 9007199254740992.0)
            return Value::integer(static_cast<std::int64_t>(d));
        Value x;
        x.kind = Value::Real;
        x.d = d;
        return x;
    }
    case QJsonValue::String:
        return Value::string(v.toString().toStdString());
    case QJsonValue::Array: {
        Value x = Value::array();
        for (const QJsonValue& item : v.toArray())
            x.items.push_back(fromQt(item));
        return x;
    }
    case QJsonValue::Object: {
        Value x = Value::object();
        const QJsonObject object = v.toObject();
        for (auto it = object.begin(); it != object.end(); ++it)
            x.members.emplace_back(it.key().toStdString(), fromQt(it.value()));
        return x;
    }
    default:
        return {};
    }
}

// ---------------------------------------------------------------------------------------
// Names of enumerations, flags and colours.

struct Name {
    const char* name;
    std::int64_t value;
};
using Names = std::span<const Name>;

constexpr Name penStyles[] = {{"psSolid", psSolid},
                              {"psDash", psDash},
                              {"psDot", psDot},
                              {"psDashDot", psDashDot},
                              {"psDashDotDot", psDashDotDot},
                              {"psDouble", psDouble}};
constexpr Name bandAligns[] = {
    {"baNone", baNone},     {"baLeft", baLeft},     {"baRight", baRight}, {"baCenter", baCenter},
    {"baWidth", baWidth},   {"baBottom", baBottom}, {"baTop", baTop},     {"baClient", baClient},
    {"baHeight", baHeight}, {"baRest", baRest}};
constexpr Name bandTypes[] = {{"rmbtReportTitle", rmbtReportTitle},
                              {"rmbtReportSummary", rmbtReportSummary},
                              {"rmbtPageHeader", rmbtPageHeader},
                              {"rmbtPageFooter", rmbtPageFooter},
                              {"rmbtMasterHeader", rmbtMasterHeader},
                              {"rmbtMasterData", rmbtMasterData},
                              {"rmbtMasterFooter", rmbtMasterFooter},
                              {"rmbtDetailHeader", rmbtDetailHeader},
                              {"rmbtDetailData", rmbtDetailData},
                              {"rmbtDetailFooter", rmbtDetailFooter},
                              {"rmbtSubDetailHeader", rmbtSubDetailHeader},
                              {"rmbtSubDetailData", rmbtSubDetailData},
                              {"rmbtSubDetailFooter", rmbtSubDetailFooter},
                              {"rmbtOverlay", rmbtOverlay},
                              {"rmbtColumnHeader", rmbtColumnHeader},
                              {"rmbtColumnFooter", rmbtColumnFooter},
                              {"rmbtGroupHeader", rmbtGroupHeader},
                              {"rmbtGroupFooter", rmbtGroupFooter},
                              {"rmbtCrossHeader", rmbtCrossHeader},
                              {"rmbtCrossData", rmbtCrossData},
                              {"rmbtCrossFooter", rmbtCrossFooter},
                              {"rmbtChild", rmbtChild},
                              {"rmbtNone", rmbtNone}};
// The views' and bands' flags as their named properties call them, and the script flag.
std::vector<Name> withScriptHook(std::span<const TRMFlagName> flags) {
    std::vector<Name> names;
    for (const TRMFlagName& f : flags)
        names.push_back({f.name, f.bit});
    names.push_back({"ScriptHook", flag::ScriptHook});
    return names;
}
const std::vector<Name>& viewFlags() {
    static const std::vector<Name> names = withScriptHook(viewFlagNames());
    return names;
}
const std::vector<Name>& bandFlags() {
    static const std::vector<Name> names = withScriptHook(bandFlagNames());
    return names;
}
constexpr Name pictureFlags[] = {{"Stretched", TRMPictureView::Stretched},
                                 {"Center", TRMPictureView::Center},
                                 {"KeepAspect", TRMPictureView::KeepAspect},
                                 {"Transparent", TRMPictureView::Transparent},
                                 {"PrintFrame", flag::PrintFrame},
                                 {"PrintVisible", flag::PrintVisible},
                                 {"ScriptHook", flag::ScriptHook}};
constexpr Name flags2Names[] = {{"MangeTag", flag2::MangeTag},
                                {"ScaleFontSize", flag2::ScaleFontSize},
                                {"PrintAtAppendBlank", flag2::PrintAtAppendBlank},
                                {"DataFieldOnly", flag2::DataFieldOnly}};
constexpr Name fontStyles[] = {{"fsItalic", fontstyle::Italic},
                               {"fsBold", fontstyle::Bold},
                               {"fsUnderline", fontstyle::Underline},
                               {"fsStrikeOut", fontstyle::StrikeOut}};
constexpr Name rotationTypes[] = {
    {"rtNone", rtNone}, {"rt90", rt90}, {"rt180", rt180}, {"rt270", rt270}, {"rt360", rt360}};
constexpr Name scaleFontTypes[] = {{"ByWidth", ByWidth}, {"ByHeight", ByHeight}};
constexpr Name rangeBegins[] = {
    {"rbFirst", rbFirst}, {"rbCurrent", rbCurrent}, {"rbDefault", rbDefault}};
constexpr Name rangeEnds[] = {
    {"reLast", reLast}, {"reCurrent", reCurrent}, {"reCount", reCount}, {"reDefault", reDefault}};
constexpr Name calcTypes[] = {{"rmdcSum", rmdcSum}, {"rmdcCount", rmdcCount},
                              {"rmdcAvg", rmdcAvg}, {"rmdcMax", rmdcMax},
                              {"rmdcMin", rmdcMin}, {"rmdcUser", rmdcUser}};
constexpr Name pageTypes[] = {{"ptReport", ptReport}, {"ptDialog", ptDialog}};
constexpr Name orientations[] = {{"poPortrait", poPortrait}, {"poLandscape", poLandscape}};
constexpr Name pictureKinds[] = {{"None", TRMPicture::None},
                                 {"Bitmap", TRMPicture::Bitmap},
                                 {"Metafile", TRMPicture::Metafile},
                                 {"Icon", TRMPicture::Icon},
                                 {"Jpeg", TRMPicture::Jpeg}};
constexpr Name blobKinds[] = {{"btBMP", TRMPictureView::btBMP},
                              {"btJPG", TRMPictureView::btJPG},
                              {"btWMF", TRMPictureView::btWMF},
                              {"btICO", TRMPictureView::btICO}};

const std::vector<Name>& colorNames() {
    using namespace platform;
    static const std::vector<Name> names = {
        {"clNone", clNone},
        {"clDefault", clDefault},
        {"clScrollBar", clScrollBar},
        {"clBackground", clBackground},
        {"clActiveCaption", clActiveCaption},
        {"clInactiveCaption", clInactiveCaption},
        {"clMenu", clMenu},
        {"clWindow", clWindow},
        {"clWindowFrame", clWindowFrame},
        {"clMenuText", clMenuText},
        {"clWindowText", clWindowText},
        {"clCaptionText", clCaptionText},
        {"clActiveBorder", clActiveBorder},
        {"clInactiveBorder", clInactiveBorder},
        {"clAppWorkSpace", clAppWorkSpace},
        {"clHighlight", clHighlight},
        {"clHighlightText", clHighlightText},
        {"clBtnFace", clBtnFace},
        {"clBtnShadow", clBtnShadow},
        {"clGrayText", clGrayText},
        {"clBtnText", clBtnText},
        {"clInactiveCaptionText", clInactiveCaptionText},
        {"clBtnHighlight", clBtnHighlight},
        {"cl3DDkShadow", cl3DDkShadow},
        {"cl3DLight", cl3DLight},
        {"clInfoText", clInfoText},
        {"clInfoBk", clInfoBk},
        {"clHotLight", clHotLight},
        {"clGradientActiveCaption", clGradientActiveCaption},
        {"clGradientInactiveCaption", clGradientInactiveCaption},
        {"clMenuHighlight", clMenuHighlight},
        {"clMenuBar", clMenuBar},
    };
    return names;
}

// A stored text: a string when its bytes are GBK, else its bytes in base64.
Value textValue(const std::string& bytes) {
    std::string utf8 = platform::fromGbk(bytes);
    if (platform::toGbk(utf8) == bytes)
        return Value::string(std::move(utf8));
    Value x = Value::object();
    const QByteArray raw(bytes.data(), static_cast<qsizetype>(bytes.size()));
    x.member("base64") = Value::string(raw.toBase64().toStdString());
    return x;
}

std::string base64(const std::string& bytes) {
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())).toBase64().toStdString();
}

// ---------------------------------------------------------------------------------------
// Stream → values. Reads the fields in stream order and records every one of them.

class Decoder {
public:
    Decoder(RMStream& stream, Value& object)
        : s_(stream)
        , object_(&object) {}

    std::int64_t u8(std::string_view key) { return put(key, s_.readByte()); }
    std::int64_t i16(std::string_view key) { return put(key, s_.readInt16()); }
    std::int64_t u16(std::string_view key) { return put(key, s_.readUInt16()); }
    std::int64_t i32(std::string_view key) { return put(key, s_.readInt32()); }
    std::int64_t geometry(std::string_view key) { return i32(key); }
    std::int64_t length(std::string_view key) { return i32(key); }
    std::int64_t fontSize(std::string_view key) { return i32(key); }
    bool b8(std::string_view key) {
        const bool v = s_.readBool();
        slot(key) = Value::boolean(v);
        return v;
    }
    bool b16(std::string_view key) {
        const bool v = s_.readBool16();
        slot(key) = Value::boolean(v);
        return v;
    }
    std::int64_t enum8(std::string_view key, Names names) {
        return named(key, s_.readByte(), names);
    }
    std::int64_t enum16(std::string_view key, Names names) {
        return named(key, s_.readInt16(), names);
    }
    void flags16(std::string_view key, Names names) { flags(key, s_.readUInt16(), names); }
    void flags32(std::string_view key, Names names) {
        flags(key, static_cast<std::uint32_t>(s_.readInt32()), names);
    }
    void color(std::string_view key) {
        const auto c = static_cast<std::uint32_t>(s_.readInt32());
        for (const Name& n : colorNames()) {
            if (static_cast<std::uint32_t>(n.value) == c) {
                slot(key) = Value::string(n.name);
                return;
            }
        }
        if (c <= 0xFFFFFF) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "#%02X%02X%02X", c & 0xFF, (c >> 8) & 0xFF,
                          (c >> 16) & 0xFF);
            slot(key) = Value::string(buffer);
        } else {
            slot(key) = Value::integer(c);
        }
    }
    void milli(std::string_view key) { slot(key) = Value::milli(s_.readInt32()); }
    void str(std::string_view key) { slot(key) = textValue(rawString()); }
    void lines(std::string_view key) {
        Value list = Value::array();
        if (s_.readUInt16() == 0) {
            s_.readByte();
        } else {
            for (;;) {
                const std::size_t length = s_.readUInt16();
                list.items.push_back(textValue(s_.readBytes(length)));
                const std::uint8_t separator = s_.readByte();
                if (separator == 0)
                    break;
                if (separator != 13)
                    throw EStreamError("malformed string list");
            }
        }
        slot(key) = std::move(list);
    }
    void picture(std::string_view key, bool withBlobType) {
        Value p = Value::object();
        p.member("Kind") = nameOf(s_.readByte(), pictureKinds);
        if (withBlobType)
            p.member("BlobType") = nameOf(s_.readByte(), blobKinds);
        const std::size_t end = s_.readEndOffset(0);
        p.member("Data") = Value::string(base64(s_.readBytes(end - s_.position())));
        slot(key) = std::move(p);
    }
    void rich(std::string_view key) {
        s_.readByte(); // 1 when there is text
        const std::size_t end = s_.readEndOffset(0);
        slot(key) = textValue(s_.readBytes(end - s_.position()));
    }
    void fixed(std::uint8_t) { s_.readByte(); }
    void fixed16(std::uint16_t) { s_.readUInt16(); }

    std::string rawString() {
        const std::size_t length = s_.readUInt16();
        std::string bytes = s_.readBytes(length);
        s_.readByte();
        return bytes;
    }

private:
    Value& slot(std::string_view key) {
        Value* at = object_;
        for (std::size_t dot; (dot = key.find('.')) != std::string_view::npos;) {
            Value& child = at->member(key.substr(0, dot));
            if (child.kind != Value::Object)
                child = Value::object();
            at = &child;
            key = key.substr(dot + 1);
        }
        return at->member(key);
    }
    std::int64_t put(std::string_view key, std::int64_t v) {
        slot(key) = Value::integer(v);
        return v;
    }
    static Value nameOf(std::int64_t v, Names names) {
        for (const Name& n : names)
            if (n.value == v)
                return Value::string(n.name);
        return Value::integer(v);
    }
    std::int64_t named(std::string_view key, std::int64_t v, Names names) {
        slot(key) = nameOf(v, names);
        return v;
    }
    void flags(std::string_view key, std::uint32_t bits, Names names) {
        Value list = Value::array();
        for (const Name& n : names) {
            if ((bits & static_cast<std::uint32_t>(n.value)) != 0) {
                list.items.push_back(Value::string(n.name));
                bits &= ~static_cast<std::uint32_t>(n.value);
            }
        }
        if (bits != 0)
            list.items.push_back(Value::integer(bits));
        slot(key) = std::move(list);
    }

    RMStream& s_;
    Value* object_;
};

// ---------------------------------------------------------------------------------------
// Values → stream. Every field is present (defaults were merged in); wrong values are
// recorded with their path and written as 0 so that every problem is found in one go.

class Encoder {
public:
    Encoder(RMStream& stream, const Value& object, std::string path,
            std::vector<std::string>& errors)
        : s_(stream)
        , object_(object)
        , path_(std::move(path))
        , errors_(errors) {}

    std::int64_t u8(std::string_view key) {
        const std::int64_t v = integer(key, 0, 255);
        s_.writeByte(static_cast<std::uint8_t>(v));
        return v;
    }
    std::int64_t i16(std::string_view key) {
        const std::int64_t v = integer(key, -32768, 32767);
        s_.writeInt16(static_cast<std::int16_t>(v));
        return v;
    }
    std::int64_t u16(std::string_view key) {
        const std::int64_t v = integer(key, 0, 65535);
        s_.writeUInt16(static_cast<std::uint16_t>(v));
        return v;
    }
    std::int64_t i32(std::string_view key) {
        const std::int64_t v = integer(key, INT32_MIN, INT32_MAX);
        s_.writeInt32(static_cast<std::int32_t>(v));
        return v;
    }
    // Fields the reader of template files keeps within its limits are refused beyond them.
    std::int64_t geometry(std::string_view key) { return limited(key, RMStream::kMaxGeometry); }
    std::int64_t length(std::string_view key) { return limited(key, RMStream::kMaxLength); }
    std::int64_t fontSize(std::string_view key) { return limited(key, TRMFont::kMaxSize); }
    bool b8(std::string_view key) {
        const bool v = boolean(key);
        s_.writeBool(v);
        return v;
    }
    bool b16(std::string_view key) {
        const bool v = boolean(key);
        s_.writeBool16(v);
        return v;
    }
    std::int64_t enum8(std::string_view key, Names names) {
        const std::int64_t v = named(get(key), path(key), names, 0, 255);
        s_.writeByte(static_cast<std::uint8_t>(v));
        return v;
    }
    std::int64_t enum16(std::string_view key, Names names) {
        const std::int64_t v = named(get(key), path(key), names, -32768, 32767);
        s_.writeInt16(static_cast<std::int16_t>(v));
        return v;
    }
    void flags16(std::string_view key, Names names) {
        s_.writeUInt16(static_cast<std::uint16_t>(flags(key, names, 0xFFFF)));
    }
    void flags32(std::string_view key, Names names) {
        s_.writeInt32(static_cast<std::int32_t>(flags(key, names, 0xFFFFFFFF)));
    }
    void color(std::string_view key) {
        const Value& v = get(key);
        std::uint32_t c = 0;
        if (v.kind == Value::String) {
            bool found = false;
            for (const Name& n : colorNames()) {
                if (v.s == n.name) {
                    c = static_cast<std::uint32_t>(n.value);
                    found = true;
                }
            }
            if (!found) {
                bool ok = v.s.size() == 7 && v.s[0] == '#' &&
                          v.s.find_first_not_of("0123456789ABCDEFabcdef", 1) == std::string::npos;
                const std::uint32_t rgb =
                    ok ? QString::fromStdString(v.s.substr(1)).toUInt(&ok, 16) : 0;
                if (ok)
                    c = ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
                else
                    error(key, "需要 \"#RRGGBB\" 或颜色名，不能是 \"" + v.s + "\"");
            }
        } else {
            c = static_cast<std::uint32_t>(integer(key, 0, 0xFFFFFFFF));
        }
        s_.writeInt32(static_cast<std::int32_t>(c));
    }
    void milli(std::string_view key) {
        const Value& v = get(key);
        std::int64_t thousandths = 0;
        if (v.kind == Value::Milli)
            thousandths = v.i;
        else if (v.kind == Value::Int)
            thousandths = std::llabs(v.i) < 3'000'000 ? v.i * 1000 : INT64_MAX;
        else if (v.kind == Value::Real && std::fabs(v.d) < 3e6)
            thousandths = std::llround(v.d * 1000.0);
        else if (v.kind == Value::Real)
            thousandths = INT64_MAX; // out of range below
        else
            error(key, "需要一个数字");
        if (thousandths < INT32_MIN || thousandths > INT32_MAX) {
            error(key, "数值超出范围");
            thousandths = 0;
        }
        s_.writeInt32(static_cast<std::int32_t>(thousandths));
    }
    void str(std::string_view key) {
        std::string bytes = text(get(key), path(key));
        if (bytes.size() > 0xFFFF) {
            error(key, "文本超过 65535 字节");
            bytes.clear();
        }
        s_.writeUInt16(static_cast<std::uint16_t>(bytes.size()));
        s_.writeBytes(bytes);
        s_.writeByte(0);
    }
    void lines(std::string_view key) {
        const Value& v = get(key);
        std::vector<std::string> list;
        if (v.kind != Value::Array) {
            error(key, "需要一个由文本行组成的数组");
        } else if (v.items.size() > 0xFFFF) {
            error(key, "最多 65535 行");
        } else {
            for (std::size_t n = 0; n < v.items.size(); ++n) {
                list.push_back(text(v.items[n], path(key) + '[' + std::to_string(n) + ']'));
                if (list.back().size() > 0xFFFF) {
                    errors_.push_back(path(key) + '[' + std::to_string(n) +
                                      "]: 文本超过 65535 字节");
                    list.back().clear();
                }
            }
        }
        s_.writeUInt16(static_cast<std::uint16_t>(list.size()));
        for (std::size_t n = 0; n < list.size(); ++n) {
            if (n > 0)
                s_.writeByte(13);
            s_.writeUInt16(static_cast<std::uint16_t>(list[n].size()));
            s_.writeBytes(list[n]);
        }
        s_.writeByte(0);
    }
    void picture(std::string_view key, bool withBlobType) {
        const Value& p = get(key);
        const std::string at = path(key);
        const std::int64_t kind = named(*p.find("Kind"), at + ".Kind", pictureKinds, 0, 0);
        s_.writeByte(static_cast<std::uint8_t>(kind));
        if (withBlobType)
            s_.writeByte(static_cast<std::uint8_t>(
                named(*p.find("BlobType"), at + ".BlobType", blobKinds, 0, 255)));
        std::string data;
        if (const Value& d = *p.find("Data"); d.kind != Value::String)
            errors_.push_back(at + ".Data: 需要一个 base64 文本");
        else
            data = fromBase64(d.s, at + ".Data");
        if (kind == TRMPicture::None && !data.empty())
            errors_.push_back(at + ".Data: Kind 为 \"None\" 的图片不能有数据");
        else if (kind != TRMPicture::None && data.empty())
            errors_.push_back(at + ".Data: 图片需要数据（没有图片时 Kind 为 \"None\"）");
        const std::size_t slot = s_.beginEndOffset();
        s_.writeBytes(data);
        s_.patchEndOffset(slot);
    }
    void rich(std::string_view key) {
        const std::string bytes = text(get(key), path(key));
        s_.writeByte(bytes.empty() ? 0 : 1);
        const std::size_t slot = s_.beginEndOffset();
        s_.writeBytes(bytes);
        s_.patchEndOffset(slot);
    }
    void fixed(std::uint8_t value) { s_.writeByte(value); }
    void fixed16(std::uint16_t value) { s_.writeUInt16(value); }

    // Bytes of a text value: a string (stored as GBK) or {"base64": ...}.
    std::string text(const Value& v, const std::string& at) {
        if (v.kind == Value::String) {
            std::string gbk = platform::toGbk(v.s);
            if (platform::fromGbk(gbk) != v.s)
                errors_.push_back(at +
                                  ": 含有 GBK 无法表示的字符（可用 {\"base64\": ...} 给出字节）");
            return gbk;
        }
        if (v.kind == Value::Object && v.members.size() == 1 && v.find("base64") != nullptr &&
            v.find("base64")->kind == Value::String)
            return fromBase64(v.find("base64")->s, at + ".base64");
        errors_.push_back(at + ": 需要一个字符串（或 {\"base64\": ...}）");
        return {};
    }

private:
    const Value& get(std::string_view key) const {
        const Value* at = &object_;
        for (std::size_t dot; (dot = key.find('.')) != std::string_view::npos;) {
            at = at->find(key.substr(0, dot));
            key = key.substr(dot + 1);
        }
        return *at->find(key);
    }
    std::string path(std::string_view key) const {
        return path_.empty() ? std::string(key) : path_ + '.' + std::string(key);
    }
    void error(std::string_view key, const std::string& message) {
        errors_.push_back(path(key) + ": " + message);
    }
    std::string fromBase64(const std::string& text, const std::string& at) {
        const auto decoded = QByteArray::fromBase64Encoding(
            QByteArray::fromStdString(text), QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded) {
            errors_.push_back(at + ": 不是有效的 base64");
            return {};
        }
        return decoded.decoded.toStdString();
    }
    std::int64_t checkedInteger(const Value& v, const std::string& at, std::int64_t low,
                                std::int64_t high) {
        if (v.kind == Value::Int) {
            if (v.i >= low && v.i <= high)
                return v.i;
            errors_.push_back(at + ": 需要 " + std::to_string(low) + " 到 " + std::to_string(high) +
                              " 之间的整数");
        } else if (v.kind == Value::Real) {
            errors_.push_back(at + ": 需要一个整数");
        } else {
            errors_.push_back(at + ": 需要一个数字");
        }
        return 0;
    }
    std::int64_t integer(std::string_view key, std::int64_t low, std::int64_t high) {
        return checkedInteger(get(key), path(key), low, high);
    }
    std::int64_t limited(std::string_view key, std::int64_t limit) {
        const std::int64_t v = integer(key, -limit, limit);
        s_.writeInt32(static_cast<std::int32_t>(v));
        return v;
    }
    bool boolean(std::string_view key) {
        const Value& v = get(key);
        if (v.kind != Value::Bool)
            error(key, "需要 true 或 false");
        return v.b;
    }
    // A name of `names`, or (when low < high) a number in [low, high].
    std::int64_t named(const Value& v, const std::string& at, Names names, std::int64_t low,
                       std::int64_t high) {
        if (v.kind == Value::String) {
            for (const Name& n : names)
                if (v.s == n.name)
                    return n.value;
            std::string known;
            for (const Name& n : names)
                known += (known.empty() ? "" : "、") + std::string(n.name);
            errors_.push_back(at + ": 未知的名称 \"" + v.s + "\"（可用：" + known + "）");
            return 0;
        }
        if (low < high)
            return checkedInteger(v, at, low, high);
        errors_.push_back(at + ": 需要一个名称");
        return 0;
    }
    std::uint32_t flags(std::string_view key, Names names, std::uint32_t mask) {
        const Value& v = get(key);
        if (v.kind != Value::Array) {
            error(key, "需要一个由标志名组成的数组");
            return 0;
        }
        std::uint32_t bits = 0;
        for (std::size_t n = 0; n < v.items.size(); ++n)
            bits |= static_cast<std::uint32_t>(
                named(v.items[n], path(key) + '[' + std::to_string(n) + ']', names, 0, mask));
        return bits;
    }

    RMStream& s_;
    const Value& object_;
    std::string path_;
    std::vector<std::string>& errors_;
};

// ---------------------------------------------------------------------------------------
// The records of the template stream, one description for both directions.

enum class Kind {
    Memo,
    CalcMemo,
    Money,
    Diagonal,
    Picture,
    Band,
    SubReport,
    Line,
    Region,
    Shape,
    CheckBox,
    Rich,
    Other
};

struct ViewClass {
    const char* name;
    std::uint8_t objectType;
    Kind kind;
};

constexpr ViewClass viewClasses[] = {
    {"TRMMemoView", gtMemo, Kind::Memo},
    {"TRMPictureView", gtPicture, Kind::Picture},
    {"TRMBandView", gtBand, Kind::Band},
    {"TRMSubReportView", gtSubReport, Kind::SubReport},
    {"TRMLineView", gtLine, Kind::Line},
    {"TRMCalcMemoView", gtCalcMemo, Kind::CalcMemo},
    {"TRMMoneyView", gtMoneyView, Kind::Money},
    {"TRMRegionView", gtRegion, Kind::Region},
    {"TRMRichView", gtAddIn, Kind::Rich},
    {"TRMShapeView", gtAddIn, Kind::Shape},
    {"TRMCheckBoxView", gtAddIn, Kind::CheckBox},
    {"TRMDiagonalView", gtAddIn, Kind::Diagonal},
};

const ViewClass* classByName(std::string_view name) {
    for (const ViewClass& c : viewClasses)
        if (sameText(c.name, name))
            return &c;
    return nullptr;
}

const ViewClass* classByType(std::uint8_t objectType) {
    for (const ViewClass& c : viewClasses)
        if (c.objectType == objectType && objectType != gtAddIn)
            return &c;
    return nullptr;
}

template <class C>
void frameLayout(C& c, const std::string& side) {
    c.b8(side + ".Visible");
    c.enum8(side + ".Style", penStyles);
    c.color(side + ".Color");
    c.milli(side + ".Width");
}

template <class C>
void memoLayout(C& c) {
    c.str("Font.Name");
    c.fontSize("Font.Size");
    c.flags16("Font.Style", fontStyles);
    c.color("Font.Color");
    c.i32("Adjust");
    c.i16("Font.Charset");
    c.flags16("HighlightAttr.FontStyle", fontStyles);
    c.color("HighlightAttr.FontColor");
    c.color("HighlightAttr.FillColor");
    c.str("Highlight");
    c.geometry("CharSpacing");
    c.geometry("LineSpacing");
    c.enum8("RotationType", rotationTypes);
    c.enum8("ScaleFontType", scaleFontTypes);
    c.i16("FontScaleWidth");
    c.str("MasterMemoView");
}

// A view record after its class and page: the common part, then the class's own fields.
// Other add-in classes keep their own fields as bytes ("ExtraBytes").
template <class C>
void viewLayout(C& c, Kind kind) {
    const bool band = kind == Kind::Band;
    c.str("Name");
    c.u8("Version1");
    c.u8("Version2");
    c.geometry("Left");
    c.geometry("Top");
    c.geometry("Width");
    c.geometry("Height");
    c.flags16("Flags", band                    ? Names(bandFlags())
                       : kind == Kind::Picture ? Names(pictureFlags)
                                               : Names(viewFlags()));
    c.flags32("Flags2", flags2Names);
    frameLayout(c, "LeftFrame");
    frameLayout(c, "TopFrame");
    frameLayout(c, "RightFrame");
    frameLayout(c, "BottomFrame");
    if (band)
        c.enum16("BandType", bandTypes);
    else
        c.i16("BandType");
    c.geometry("GapX");
    c.geometry("GapY");
    c.color("FillColor");
    c.enum8("BandAlign", bandAligns);
    c.i32("DisplayFormat");
    c.str(band ? "DataSource" : "DisplayFormatText");
    c.lines("Memo");
    c.lines("OnBeforePrint");
    c.lines("OnAfterPrint");
    c.b16("Visible");
    c.u16("Restrictions");
    c.str(band ? "NewPageCondition" : "Tag");
    switch (kind) {
    case Kind::Memo:
        memoLayout(c);
        break;
    case Kind::CalcMemo:
        memoLayout(c);
        c.fixed(1);
        c.b8("ResetAfterPrint");
        c.enum8("DBCalcType", calcTypes);
        c.str("DataBand");
        c.str("Filter");
        c.str("IntalizeValue");
        c.str("AggregateValue");
        break;
    case Kind::Money:
        memoLayout(c);
        c.color("DecimalLineColor");
        c.color("KLineColor");
        c.color("LineColor");
        c.b8("TitleMode");
        c.geometry("LineWidth");
        c.i32("DigitCount");
        c.i32("Decimals");
        c.str("MoneySymbol");
        break;
    case Kind::Diagonal:
        memoLayout(c);
        c.color("LineColor");
        c.geometry("LineWidth");
        break;
    case Kind::Picture:
        c.picture("Picture", true);
        break;
    case Kind::Band:
        c.str("ChildBand");
        c.geometry("ColumnGap");
        c.i32("Columns");
        c.geometry("ColumnWidth");
        c.str("Master");
        c.u16("LinesPerPage");
        c.enum8("RangeBegin", rangeBegins);
        c.enum8("RangeEnd", rangeEnds);
        c.i32("RangeEndCount");
        break;
    case Kind::SubReport:
        c.i32("SubPage");
        break;
    case Kind::Shape:
        c.u8("Shape");
        c.u8("PenMode");
        break;
    case Kind::CheckBox:
        c.u8("CheckStyle");
        c.color("CheckColor");
        break;
    case Kind::Rich:
        c.rich("RichText");
        break;
    case Kind::Line:
    case Kind::Region:
    case Kind::Other:
        break;
    }
}

template <class C>
void pageLayout(C& c) {
    c.enum8("Type", pageTypes);
    c.str("Caption");
    c.str("Name");
    c.geometry("DialogLeft");
    c.geometry("DialogTop");
    c.geometry("DialogWidth");
    c.geometry("DialogHeight");
    c.color("Color");
    c.u8("BorderStyle");
    c.u8("Position");
    c.i32("Size");
    c.length("PageWidth");
    c.length("PageHeight");
    c.length("LeftMargin");
    c.length("TopMargin");
    c.length("RightMargin");
    c.length("BottomMargin");
    c.enum8("Orientation", orientations);
    c.b16("PrintToPrevPage");
    c.i32("Columns");
    c.length("ColumnGap");
    c.i32("PageBin");
    c.lines("Script");
    c.picture("BackGround", false);
    c.geometry("BackGroundLeft");
    c.geometry("BackGroundTop");
    c.geometry("BackGroundWidth");
    c.geometry("BackGroundHeight");
    c.b8("AutoHCenter");
}

constexpr std::string_view templateMagic = "Quarvelinthos Report File\x1A";
constexpr const char* reportInfoKeys[] = {"ReportInfo[0]", "ReportInfo[1]", "ReportInfo[2]",
                                          "ReportInfo[3]", "ReportInfo[4]"};

template <class C>
void reportLayout(C& c) {
    c.b8("PrintBackColor");
    c.geometry("PrintOffsetTop");
    c.geometry("PrintOffsetLeft");
    c.b8("PrintPagePerPage");
}

template <class C>
void reportTailLayout(C& c) {
    c.b8("Taoda");
    c.b16("DoublePass");
    c.str("PrinterName");
}

// Values left out of a dump: those of a new object of the same kind.
Value& defaultsOf(const std::string& key, const std::function<Value()>& make) {
    static std::map<std::string, Value> cache;
    auto it = cache.find(key);
    if (it == cache.end())
        it = cache.emplace(key, make()).first;
    return it->second;
}

Value decodeView(RMStream& s, Kind kind, std::size_t end) {
    Value v = Value::object();
    Decoder d(s, v);
    viewLayout(d, kind);
    if (kind == Kind::Other)
        v.member("ExtraBytes") = Value::string(base64(s.readBytes(end - s.position())));
    if (s.position() != end)
        throw EStreamError("view record longer than its fields");
    return v;
}

const Value& viewDefaults(const std::string& className, Kind kind) {
    return defaultsOf("view:" + upperCase(className), [&] {
        const ViewClass* c = classByName(className);
        std::unique_ptr<TRMView> view =
            createView(c != nullptr ? c->objectType : std::uint8_t(gtAddIn),
                       c != nullptr && c->objectType != gtAddIn ? std::string() : className);
        RMStream s;
        view->StreamMode = smTemplate;
        view->SaveToStream(s);
        s.seek(0);
        return decodeView(s, kind, s.size());
    });
}

const Value& pageDefaults() {
    return defaultsOf("page", [] {
        // A new page of a report: the default paper request's bin, no name yet.
        TRMPage page;
        page.PageBin = TRMPaperRequest{}.bin;
        RMStream s;
        page.SaveHeaderToStream(s);
        s.seek(0);
        Value v = Value::object();
        Decoder d(s, v);
        pageLayout(d);
        return v;
    });
}

// The report settings ahead of the pages.
Value decodeSettings(RMStream& s) {
    Value full = Value::object();
    Decoder d(s, full);
    if (s.readByte() != rmCurrentVersion || s.readByte() != 0 || s.readByte() != 11 ||
        d.rawString() != templateMagic)
        throw EStreamError("not a template of this version");
    reportLayout(d);
    Value info = Value::array();
    for (int n = 0; n < 5; ++n)
        info.items.push_back(textValue(d.rawString()));
    full.member("ReportInfo") = std::move(info);
    s.readByte();
    reportTailLayout(d);
    return full;
}

const Value& reportDefaults() {
    return defaultsOf("report", [] {
        TRMReport report;
        report.Pages.Clear();
        RMStream s;
        report.SaveToStream(s);
        s.seek(0);
        return decodeSettings(s);
    });
}

// `full` without the members equal to those of `defaults`.
Value pruned(const Value& full, const Value& defaults) {
    Value out = Value::object();
    for (const auto& [key, value] : full.members) {
        const Value* d = defaults.find(key);
        if (d != nullptr && value.kind == Value::Object && d->kind == Value::Object) {
            Value inner = pruned(value, *d);
            if (!inner.members.empty())
                out.members.emplace_back(key, std::move(inner));
        } else if (d == nullptr || !(*d == value)) {
            out.members.emplace_back(key, value);
        }
    }
    return out;
}

// `defaults` with the members `given` sets; members `defaults` does not know are errors.
Value merged(const Value& defaults, const Value& given, const std::string& path,
             std::vector<std::string>& errors, std::initializer_list<std::string_view> skip = {}) {
    Value out = defaults;
    if (given.kind != Value::Object) {
        errors.push_back(path + ": 需要一个对象");
        return out;
    }
    for (const auto& [key, value] : given.members) {
        if (std::find(skip.begin(), skip.end(), key) != skip.end())
            continue;
        const std::string at = path.empty() ? key : path + '.' + key;
        Value* slot = nullptr;
        for (auto& [k, v] : out.members)
            if (k == key)
                slot = &v;
        if (slot == nullptr) {
            errors.push_back(at + ": 未知的键");
            continue;
        }
        if (slot->kind == Value::Object && slot->find("base64") == nullptr)
            *slot = merged(*slot, value, at, errors);
        else
            *slot = value;
    }
    return out;
}

Value decodeDictionaryList(RMStream& s, Decoder& d) {
    const std::int32_t count = s.readInt32();
    if (count < 0 || static_cast<std::size_t>(count) > s.remaining() / 6)
        throw EStreamError("bad dictionary count");
    Value list = Value::array();
    for (std::int32_t n = 0; n < count; ++n) {
        Value entry = Value::object();
        entry.member("Name") = textValue(d.rawString());
        entry.member("Value") = textValue(d.rawString());
        list.items.push_back(std::move(entry));
    }
    return list;
}

} // namespace

std::string templateBytesToJson(const std::string& bytes) {
    RMStream s(bytes);
    Value root = Value::object();
    Decoder d(s, root);
    for (auto& member : pruned(decodeSettings(s), reportDefaults()).members)
        root.members.push_back(std::move(member));
    if (Value* info = root.find("ReportInfo"))
        while (!info->items.empty() && info->items.back() == Value::string(""))
            info->items.pop_back(); // build fills up to five

    Value pages = Value::array();
    std::vector<Value> views;
    while (!s.atEnd()) {
        const std::uint8_t record = s.readByte();
        if (record == 255) {
            Value page = Value::object();
            Decoder pd(s, page);
            pageLayout(pd);
            pages.items.push_back(pruned(page, pageDefaults()));
            views.push_back(Value::array());
            continue;
        }
        if (record == 252)
            break;
        std::string className;
        Kind kind = Kind::Other;
        if (record == gtAddIn) {
            className = platform::fromGbk(d.rawString());
            if (const ViewClass* c = classByName(className);
                c != nullptr && c->objectType == gtAddIn)
                kind = c->kind, className = c->name;
        } else if (const ViewClass* c = classByType(record)) {
            className = c->name;
            kind = c->kind;
        } else {
            throw EStreamError("bad object type");
        }
        const std::uint8_t pageIndex = s.readByte();
        if (pageIndex >= views.size())
            throw EStreamError("view of a page that does not exist");
        const std::size_t end = s.readEndOffset(s.position());
        Value view = Value::object();
        view.member("Class") = Value::string(className);
        for (auto& member : pruned(decodeView(s, kind, end), viewDefaults(className, kind)).members)
            view.members.push_back(std::move(member));
        views[pageIndex].items.push_back(std::move(view));
    }
    for (std::size_t n = 0; n < pages.items.size(); ++n)
        if (!views[n].items.empty())
            pages.items[n].member("views") = std::move(views[n]);
    root.member("pages") = std::move(pages);

    Value dictionary = Value::object();
    if (!s.atEnd()) {
        s.readUInt16();
        for (const char* key : {"Variables", "FieldAliases", "Extra"})
            if (Value list = decodeDictionaryList(s, d); !list.items.empty())
                dictionary.member(key) = std::move(list);
    }
    if (!dictionary.members.empty())
        root.member("Dictionary") = std::move(dictionary);
    if (!s.atEnd())
        throw EStreamError("bytes after the dictionary");

    std::string out;
    writeValue(out, root, 0);
    out += '\n';
    return out;
}

std::string templateToJson(const TRMReport& report) {
    RMStream s;
    report.SaveToStream(s);
    return templateBytesToJson(s.bytes());
}

bool templateFromJson(std::string_view json, std::string& bytes, std::vector<std::string>& errors) {
    bytes.clear();
    const std::size_t errorsBefore = errors.size();
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(
        QByteArray(json.data(), static_cast<qsizetype>(json.size())), &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        // The offset Qt reports can lie past the end of the text.
        const std::string_view before = json.substr(
            0, std::min<std::size_t>(json.size(),
                                     static_cast<std::size_t>(std::max(0, parseError.offset))));
        const int line = static_cast<int>(std::count(before.begin(), before.end(), '\n')) + 1;
        errors.push_back("第 " + std::to_string(line) + " 行: 不是有效的 JSON（" +
                         parseError.errorString().toStdString() + "）");
        return false;
    }
    if (!document.isObject()) {
        errors.push_back("$: 需要一个对象");
        return false;
    }
    const Value root = fromQt(document.object());
    RMStream s;

    // Report settings.
    Value settings = merged(reportDefaults(), root, "", errors, {"pages", "Dictionary"});
    const Value& info = *settings.find("ReportInfo");
    if (info.kind != Value::Array || info.items.size() > 5) {
        errors.push_back("ReportInfo: 需要一个最多 5 个文本的数组");
    } else {
        Value& slot = settings.member("ReportInfo");
        slot.items.resize(5, Value::string(""));
    }
    s.writeByte(rmCurrentVersion);
    s.writeByte(0);
    s.writeByte(11);
    s.writeString(templateMagic);
    Encoder top(s, settings, "", errors);
    reportLayout(top);
    for (int n = 0; n < 5; ++n) {
        const Value& item = info.kind == Value::Array && n < static_cast<int>(info.items.size())
                                ? info.items[static_cast<std::size_t>(n)]
                                : Value::string("");
        const std::string text = top.text(item, reportInfoKeys[n]);
        s.writeUInt16(static_cast<std::uint16_t>(std::min<std::size_t>(text.size(), 0xFFFF)));
        s.writeBytes(std::string_view(text).substr(0, 0xFFFF));
        s.writeByte(0);
    }
    s.writeByte(0);
    reportTailLayout(top);

    // Page headers, then the views of every page.
    const Value* pages = root.find("pages");
    std::vector<const Value*> pageValues;
    if (pages == nullptr || pages->kind != Value::Array) {
        errors.push_back("pages: 需要一个数组");
    } else {
        if (pages->items.size() > 255)
            errors.push_back("pages: 最多 255 页");
        for (std::size_t n = 0; n < pages->items.size() && n < 255; ++n)
            pageValues.push_back(&pages->items[n]);
    }
    for (std::size_t n = 0; n < pageValues.size(); ++n) {
        const std::string at = "pages[" + std::to_string(n) + "]";
        const Value page = merged(pageDefaults(), *pageValues[n], at, errors, {"views"});
        s.writeByte(255);
        Encoder e(s, page, at, errors);
        pageLayout(e);
    }
    for (std::size_t n = 0; n < pageValues.size(); ++n) {
        const Value* views =
            pageValues[n]->kind == Value::Object ? pageValues[n]->find("views") : nullptr;
        if (views == nullptr)
            continue;
        const std::string pageAt = "pages[" + std::to_string(n) + "].views";
        if (views->kind != Value::Array) {
            errors.push_back(pageAt + ": 需要一个数组");
            continue;
        }
        for (std::size_t v = 0; v < views->items.size(); ++v) {
            const Value& view = views->items[v];
            const std::string at = pageAt + '[' + std::to_string(v) + ']';
            const Value* className = view.kind == Value::Object ? view.find("Class") : nullptr;
            if (className == nullptr || className->kind != Value::String) {
                errors.push_back(at + ".Class: 需要视图的类名");
                continue;
            }
            const ViewClass* known = classByName(className->s);
            if (known == nullptr && !isAddInViewRegistered(className->s)) {
                errors.push_back(at + ".Class: 未知的视图类 \"" + className->s + "\"");
                continue;
            }
            const Kind kind = known != nullptr ? known->kind : Kind::Other;
            const std::string name = known != nullptr ? known->name : className->s;
            const Value fields = merged(viewDefaults(name, kind), view, at, errors, {"Class"});
            const std::uint8_t objectType =
                known != nullptr ? known->objectType : std::uint8_t(gtAddIn);
            s.writeByte(objectType);
            if (objectType == gtAddIn)
                s.writeString(name);
            s.writeByte(static_cast<std::uint8_t>(n));
            const std::size_t slot = s.beginEndOffset();
            Encoder e(s, fields, at, errors);
            viewLayout(e, kind);
            if (kind == Kind::Other) {
                const Value& extra = *fields.find("ExtraBytes");
                const auto decoded = QByteArray::fromBase64Encoding(
                    QByteArray::fromStdString(extra.kind == Value::String ? extra.s : "?"),
                    QByteArray::AbortOnBase64DecodingErrors);
                if (!decoded)
                    errors.push_back(at + ".ExtraBytes: 不是有效的 base64");
                else
                    s.writeBytes(decoded.decoded.toStdString());
            }
            s.patchEndOffset(slot);
        }
    }

    // Dictionary.
    s.writeByte(252);
    s.writeUInt16(1);
    const Value* dictionary = root.find("Dictionary");
    if (dictionary != nullptr && dictionary->kind != Value::Object) {
        errors.push_back("Dictionary: 需要一个对象");
        dictionary = nullptr;
    }
    if (dictionary != nullptr)
        for (const auto& [key, value] : dictionary->members)
            if (key != "Variables" && key != "FieldAliases" && key != "Extra")
                errors.push_back("Dictionary." + key + ": 未知的键");
    for (const char* key : {"Variables", "FieldAliases", "Extra"}) {
        const Value* list = dictionary != nullptr ? dictionary->find(key) : nullptr;
        const std::string at = std::string("Dictionary.") + key;
        if (list != nullptr && list->kind != Value::Array) {
            errors.push_back(at + ": 需要一个数组");
            list = nullptr;
        }
        const std::size_t count = list != nullptr ? list->items.size() : 0;
        s.writeInt32(static_cast<std::int32_t>(count));
        for (std::size_t n = 0; n < count; ++n) {
            const std::string itemAt = at + '[' + std::to_string(n) + ']';
            Value entry = Value::object();
            entry.member("Name") = Value::string("");
            entry.member("Value") = Value::string("");
            entry = merged(entry, list->items[n], itemAt, errors);
            Encoder e(s, entry, itemAt, errors);
            e.str("Name");
            e.str("Value");
        }
    }
    if (errors.size() != errorsBefore)
        return false;
    bytes = s.takeBytes();
    return true;
}

} // namespace report
