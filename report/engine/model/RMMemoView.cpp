#include "report/engine/model/RMMemoView.h"

#include "platform/Gbk.h"

#include <QStringDecoder>

namespace report {

bool TRMMemoView::DoMethod(std::string_view name, const std::vector<platform::Variant>& args) {
    if (!sameText(name, "LOADFROMFILE"))
        return TRMStretcheable::DoMethod(name, args);
    const std::string bytes = loadedFile(args);
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    Memo = splitLines(utf8.hasError() ? platform::fromGbk(bytes) : text.toStdString());
    return true;
}

TRMMemoView::TRMMemoView() {
    ObjectType = gtMemo;
    BaseName = "Memo";
    Version2 = 12;
    Flags |= flag::HideZeros;
}

void TRMMemoView::SaveState() {
    TRMStretcheable::SaveState();
    savedAdjust_ = Adjust;
}

void TRMMemoView::RestoreState() {
    TRMStretcheable::RestoreState();
    Adjust = savedAdjust_;
}

void TRMMemoView::setWordBreak(bool on) {
    setFlag(flag::WordBreak, on);
    if (on)
        setFlag2(flag2::ScaleFontSize, false);
}

void TRMMemoView::setAutoWidth(bool on) {
    setFlag(flag::AutoWidth, on);
    if (on)
        setFlag2(flag2::ScaleFontSize, false);
}

void TRMMemoView::saveExtra(RMStream& stream) const {
    stream.writeString(Font.Name);
    stream.writeInt32(Font.Size);
    stream.writeInt16(Font.Style);
    stream.writeInt32(static_cast<std::int32_t>(Font.Color));
    stream.writeInt32(Adjust);
    stream.writeInt16(Font.Charset);
    if (StreamMode == smTemplate) {
        stream.writeInt16(HighlightAttr.FontStyle);
        stream.writeInt32(static_cast<std::int32_t>(HighlightAttr.FontColor));
        stream.writeInt32(static_cast<std::int32_t>(HighlightAttr.FillColor));
        stream.writeString(Highlight);
    }
    stream.writeInt32(CharSpacing);
    stream.writeInt32(LineSpacing);
    stream.writeByte(RotationType);
    stream.writeByte(ScaleFontType);
    stream.writeInt16(FontScaleWidth);
    stream.writeString(MasterMemoView);
}

void TRMMemoView::loadExtra(RMStream& stream) {
    Font.Name = stream.readString();
    Font.Size = TRMFont::sane(stream.readInt32());
    Font.Style = stream.readInt16();
    Font.Color = static_cast<TColor>(stream.readInt32());
    Adjust = stream.readInt32();
    Font.Charset = stream.readInt16();
    if (StreamMode == smTemplate) {
        HighlightAttr.FontStyle = stream.readInt16();
        HighlightAttr.FontColor = static_cast<TColor>(stream.readInt32());
        HighlightAttr.FillColor = static_cast<TColor>(stream.readInt32());
        Highlight = stream.readString();
    }
    CharSpacing = stream.readGeometry();
    LineSpacing = stream.readGeometry();
    RotationType = stream.readByte();
    ScaleFontType = stream.readByte();
    FontScaleWidth = stream.readInt16();
    MasterMemoView = stream.readString();
}

bool TRMMemoView::SetPropValue(std::string_view name, const platform::Variant& value) {
    auto is = [&](std::string_view n) { return sameText(name, n); };
    if (is("WordBreak"))
        setWordBreak(value.toBool());
    else if (is("AutoWidth"))
        setAutoWidth(value.toBool());
    else if (is("FontName") || is("Font.Name"))
        Font.Name = value.toString();
    else if (is("FontSize") || is("Font.Size"))
        Font.Size = TRMFont::sane(value.toInt());
    else if (is("FontStyle") || is("Font.Style"))
        Font.Style = static_cast<std::int16_t>(value.toInt());
    else if (is("FontColor") || is("Font.Color"))
        Font.Color = static_cast<TColor>(value.toInt64());
    else if (is("Alignment") || is("HAlign"))
        setAlignment(value.toInt());
    else if (is("Layout") || is("VAlign"))
        setLayout(value.toInt() * 8);
    else if (is("Highlight"))
        Highlight = value.toString();
    else if (is("CharSpacing"))
        CharSpacing = value.toInt();
    else if (is("LineSpacing"))
        LineSpacing = value.toInt();
    else if (is("RotationType"))
        RotationType = static_cast<std::uint8_t>(value.toInt());
    else if (is("ScaleFontType"))
        ScaleFontType = static_cast<std::uint8_t>(value.toInt());
    else if (is("FontScaleWidth"))
        FontScaleWidth = static_cast<std::int16_t>(value.toInt());
    else if (is("MasterMemoView"))
        MasterMemoView = value.toString();
    else if (is("ScaleFontSize"))
        setFlag2(flag2::ScaleFontSize, value.toBool());
    else if (is("MangeTag"))
        setFlag2(flag2::MangeTag, value.toBool());
    else if (is("PrintAtAppendBlank"))
        setFlag2(flag2::PrintAtAppendBlank, value.toBool());
    else if (is("DataFieldOnly"))
        setFlag2(flag2::DataFieldOnly, value.toBool());
    else
        return TRMStretcheable::SetPropValue(name, value);
    return true;
}

bool TRMMemoView::GetPropValue(std::string_view name, platform::Variant& value) const {
    auto is = [&](std::string_view n) { return sameText(name, n); };
    if (is("FontName") || is("Font.Name"))
        value = Font.Name;
    else if (is("FontSize") || is("Font.Size"))
        value = Font.Size;
    else if (is("FontStyle") || is("Font.Style"))
        value = static_cast<int>(Font.Style);
    else if (is("FontColor") || is("Font.Color"))
        value = static_cast<std::int64_t>(Font.Color);
    else if (is("Alignment") || is("HAlign"))
        value = Alignment();
    else if (is("Layout") || is("VAlign"))
        value = Layout() / 8;
    else if (is("Highlight"))
        value = Highlight;
    else if (is("CharSpacing"))
        value = CharSpacing;
    else if (is("LineSpacing"))
        value = LineSpacing;
    else if (is("RotationType"))
        value = static_cast<int>(RotationType);
    else if (is("ScaleFontType"))
        value = static_cast<int>(ScaleFontType);
    else if (is("FontScaleWidth"))
        value = static_cast<int>(FontScaleWidth);
    else if (is("MasterMemoView"))
        value = MasterMemoView;
    else if (is("ScaleFontSize"))
        value = flag2(flag2::ScaleFontSize);
    else if (is("MangeTag"))
        value = flag2(flag2::MangeTag);
    else if (is("PrintAtAppendBlank"))
        value = flag2(flag2::PrintAtAppendBlank);
    else if (is("DataFieldOnly"))
        value = flag2(flag2::DataFieldOnly);
    else
        return TRMStretcheable::GetPropValue(name, value);
    return true;
}

TRMMoneyView::TRMMoneyView() {
    ObjectType = gtMoneyView;
    BaseName = "MoneyMemo";
}

void TRMMoneyView::saveExtra(RMStream& stream) const {
    TRMMemoView::saveExtra(stream);
    stream.writeInt32(static_cast<std::int32_t>(DecimalLineColor));
    stream.writeInt32(static_cast<std::int32_t>(KLineColor));
    stream.writeInt32(static_cast<std::int32_t>(LineColor));
    stream.writeBool(TitleMode);
    stream.writeInt32(LineWidth);
    stream.writeInt32(DigitCount);
    stream.writeInt32(Decimals);
    stream.writeString(MoneySymbol);
}

void TRMMoneyView::loadExtra(RMStream& stream) {
    TRMMemoView::loadExtra(stream);
    DecimalLineColor = static_cast<TColor>(stream.readInt32());
    KLineColor = static_cast<TColor>(stream.readInt32());
    LineColor = static_cast<TColor>(stream.readInt32());
    TitleMode = stream.readBool();
    LineWidth = stream.readGeometry();
    DigitCount = stream.readInt32();
    Decimals = stream.readInt32();
    MoneySymbol = stream.readString();
}

bool TRMMoneyView::SetPropValue(std::string_view name, const platform::Variant& value) {
    auto is = [&](std::string_view n) { return sameText(name, n); };
    if (is(" 标题"))
        TitleMode = value.toBool();
    else if (is(" 货币符号"))
        MoneySymbol = value.toString();
    else if (is(" 数字位数"))
        DigitCount = value.toInt();
    else if (is(" 小数点位数"))
        Decimals = value.toInt();
    else if (is(" 分割线宽度"))
        LineWidth = value.toInt();
    else if (is(" 分割线颜色"))
        LineColor = static_cast<TColor>(value.toInt64());
    else if (is(" 千位分割线颜色"))
        KLineColor = static_cast<TColor>(value.toInt64());
    else if (is(" 小数点分割线颜色"))
        DecimalLineColor = static_cast<TColor>(value.toInt64());
    else
        return TRMMemoView::SetPropValue(name, value);
    return true;
}

bool TRMMoneyView::GetPropValue(std::string_view name, platform::Variant& value) const {
    auto is = [&](std::string_view n) { return sameText(name, n); };
    if (is(" 标题"))
        value = TitleMode;
    else if (is(" 货币符号"))
        value = MoneySymbol;
    else if (is(" 数字位数"))
        value = DigitCount;
    else if (is(" 小数点位数"))
        value = Decimals;
    else if (is(" 分割线宽度"))
        value = LineWidth;
    else if (is(" 分割线颜色"))
        value = static_cast<std::int64_t>(LineColor);
    else if (is(" 千位分割线颜色"))
        value = static_cast<std::int64_t>(KLineColor);
    else if (is(" 小数点分割线颜色"))
        value = static_cast<std::int64_t>(DecimalLineColor);
    else
        return TRMMemoView::GetPropValue(name, value);
    return true;
}

TRMDiagonalView::TRMDiagonalView() {
    ObjectType = gtAddIn;
    BaseName = "Diagonal";
}

void TRMDiagonalView::saveExtra(RMStream& stream) const {
    TRMMemoView::saveExtra(stream);
    stream.writeInt32(static_cast<std::int32_t>(LineColor));
    stream.writeInt32(LineWidth);
}

void TRMDiagonalView::loadExtra(RMStream& stream) {
    TRMMemoView::loadExtra(stream);
    LineColor = static_cast<TColor>(stream.readInt32());
    LineWidth = stream.readGeometry();
}

bool TRMDiagonalView::SetPropValue(std::string_view name, const platform::Variant& value) {
    if (sameText(name, " 分割线宽度"))
        LineWidth = value.toInt();
    else if (sameText(name, " 分割线颜色"))
        LineColor = static_cast<TColor>(value.toInt64());
    else
        return TRMMemoView::SetPropValue(name, value);
    return true;
}

bool TRMDiagonalView::GetPropValue(std::string_view name, platform::Variant& value) const {
    if (sameText(name, " 分割线宽度"))
        value = LineWidth;
    else if (sameText(name, " 分割线颜色"))
        value = static_cast<std::int64_t>(LineColor);
    else
        return TRMMemoView::GetPropValue(name, value);
    return true;
}

} // namespace report
