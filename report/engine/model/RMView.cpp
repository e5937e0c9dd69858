#include "report/engine/model/RMView.h"

#include "report/engine/model/RMEMFPages.h"
#include "report/engine/model/RMNumbers.h"

#include <QFile>
#include <QFileInfo>

#include <cctype>
#include <cmath>
#include <stdexcept>

namespace report {

void writeFrameLine(RMStream& stream, const TRMFrameLine& line) {
    stream.writeBool(line.Visible);
    stream.writeByte(line.Style);
    stream.writeInt32(static_cast<std::int32_t>(line.Color));
    stream.writeInt32(static_cast<std::int32_t>(std::lround(line.Width * 1000.0)));
}

TRMFrameLine readFrameLine(RMStream& stream) {
    TRMFrameLine line;
    line.Visible = stream.readBool();
    line.Style = stream.readByte();
    line.Color = static_cast<TColor>(stream.readInt32());
    line.Width = static_cast<float>(stream.readInt32() / 1000.0);
    return line;
}

void writePicture(RMStream& stream, const TRMPicture& picture, const std::uint8_t* blobType) {
    const std::uint8_t kind = picture.data.empty() ? std::uint8_t(TRMPicture::None) : picture.kind;
    stream.writeByte(kind);
    if (blobType != nullptr)
        stream.writeByte(*blobType);
    const std::size_t slot = stream.beginEndOffset();
    if (kind != TRMPicture::None)
        stream.writeBytes(picture.data);
    stream.patchEndOffset(slot);
}

TRMPicture readPicture(RMStream& stream, std::uint8_t* blobType) {
    TRMPicture picture;
    picture.kind = stream.readByte();
    if (picture.kind > TRMPicture::Jpeg)
        throw EStreamError("unknown picture kind");
    if (blobType != nullptr)
        *blobType = stream.readByte();
    const std::size_t end = stream.readEndOffset(0);
    picture.data = stream.readBytes(end - stream.position());
    if (picture.kind == TRMPicture::None)
        picture.data.clear();
    return picture;
}

TRMView::TRMView() = default;

std::unique_ptr<TRMView> TRMView::clone() const {
    return std::make_unique<TRMView>(*this);
}

void TRMView::setFlag(std::uint16_t bit, bool on) {
    Flags = static_cast<std::uint16_t>(on ? (Flags | bit) : (Flags & ~bit));
}

void TRMView::setFlag2(std::int32_t bit, bool on) {
    Flags2 = on ? (Flags2 | bit) : (Flags2 & ~bit);
}

int TRMView::FrameTyp() const {
    return (RightFrame.Visible ? 1 : 0) | (BottomFrame.Visible ? 2 : 0) |
           (LeftFrame.Visible ? 4 : 0) | (TopFrame.Visible ? 8 : 0);
}

void TRMView::setFrameTyp(int value) {
    RightFrame.Visible = (value & 1) != 0;
    BottomFrame.Visible = (value & 2) != 0;
    LeftFrame.Visible = (value & 4) != 0;
    TopFrame.Visible = (value & 8) != 0;
}

void TRMView::setFrameWidth(float width) {
    for (TRMFrameLine* side : {&LeftFrame, &TopFrame, &RightFrame, &BottomFrame})
        side->Width = width;
}

void TRMView::setFrameColor(TColor color) {
    for (TRMFrameLine* side : {&LeftFrame, &TopFrame, &RightFrame, &BottomFrame})
        side->Color = color;
}

void TRMView::setFrameStyle(std::uint8_t style) {
    for (TRMFrameLine* side : {&LeftFrame, &TopFrame, &RightFrame, &BottomFrame})
        side->Style = style;
}

void TRMView::SaveState() {
    saved_ = {GapX,
              GapY,
              Left,
              Top,
              Width,
              Height,
              {LeftFrame.Width, TopFrame.Width, RightFrame.Width, BottomFrame.Width}};
}

void TRMView::RestoreState() {
    GapX = saved_.GapX;
    GapY = saved_.GapY;
    Left = saved_.Left;
    Top = saved_.Top;
    Width = saved_.Width;
    Height = saved_.Height;
    LeftFrame.Width = saved_.frames[0];
    TopFrame.Width = saved_.frames[1];
    RightFrame.Width = saved_.frames[2];
    BottomFrame.Width = saved_.frames[3];
}

void TRMView::SetBounds(int left, int top, int width, int height) {
    Left = left;
    Top = top;
    Width = width;
    Height = height;
}

void TRMView::SaveToStream(RMStream& stream) const {
    stream.writeString(Name);
    stream.writeByte(Version1);
    stream.writeByte(Version2);
    stream.writeInt32(Left);
    stream.writeInt32(Top);
    stream.writeInt32(Width);
    stream.writeInt32(Height);
    stream.writeUInt16(Flags);
    stream.writeInt32(Flags2);
    writeFrameLine(stream, LeftFrame);
    writeFrameLine(stream, TopFrame);
    writeFrameLine(stream, RightFrame);
    writeFrameLine(stream, BottomFrame);
    stream.writeInt16(BandType);
    stream.writeInt32(GapX);
    stream.writeInt32(GapY);
    stream.writeInt32(static_cast<std::int32_t>(FillColor));
    stream.writeByte(BandAlign);
    const bool isTemplate = StreamMode == smTemplate;
    if (isTemplate) {
        stream.writeInt32(DisplayFormat);
        stream.writeString(DisplayFormatText);
        stream.writeStrings(Memo);
        stream.writeStrings(OnBeforePrint);
        stream.writeStrings(OnAfterPrint);
        stream.writeBool16(Visible);
    } else {
        stream.writeStrings(Memo1);
    }
    stream.writeUInt16(Restrictions);
    stream.writeString(Tag);
    saveExtra(stream);
}

void TRMView::LoadFromStream(RMStream& stream) {
    Name = stream.readString();
    Version1 = stream.readByte();
    Version2 = stream.readByte();
    Left = stream.readGeometry();
    Top = stream.readGeometry();
    Width = stream.readGeometry();
    Height = stream.readGeometry();
    Flags = stream.readUInt16();
    Flags2 = stream.readInt32();
    LeftFrame = readFrameLine(stream);
    TopFrame = readFrameLine(stream);
    RightFrame = readFrameLine(stream);
    BottomFrame = readFrameLine(stream);
    BandType = stream.readInt16();
    GapX = stream.readGeometry();
    GapY = stream.readGeometry();
    FillColor = static_cast<TColor>(stream.readInt32());
    BandAlign = stream.readByte();
    if (StreamMode == smTemplate) {
        DisplayFormat = stream.readInt32();
        DisplayFormatText = stream.readString();
        Memo = stream.readStrings();
        OnBeforePrint = stream.readStrings();
        OnAfterPrint = stream.readStrings();
        Visible = stream.readBool16();
    } else {
        Memo = stream.readStrings(); // drawing copies it to Memo1
    }
    Restrictions = stream.readUInt16();
    Tag = stream.readString();
    loadExtra(stream);
}

namespace {

// Flag properties shared by all non-band views.
constexpr TRMFlagName kViewFlagNames[] = {
    {"Stretched", flag::Stretched},       {"WordWrap", flag::Wordwrap},
    {"WordBreak", flag::WordBreak},       {"AutoWidth", flag::AutoWidth},
    {"TextOnly", flag::TextOnly},         {"Suppress", flag::Suppress},
    {"HideZeros", flag::HideZeros},       {"Underlines", flag::Underlines},
    {"RTLReading", flag::RTLReading},     {"PrintFrame", flag::PrintFrame},
    {"PrintVisible", flag::PrintVisible}, {"MergeRepeated", flag::MergeRepeated},
};

} // namespace

std::span<const TRMFlagName> viewFlagNames() {
    return kViewFlagNames;
}

bool TRMView::SetPropValue(std::string_view name, const platform::Variant& value) {
    auto is = [&](std::string_view n) { return sameText(name, n); };
    if (is("Name"))
        Name = value.toString();
    else if (is("Left"))
        Left = value.toInt();
    else if (is("Top"))
        Top = value.toInt();
    else if (is("Width"))
        Width = value.toInt();
    else if (is("Height"))
        Height = value.toInt();
    else if (is("GapX"))
        GapX = value.toInt();
    else if (is("GapY"))
        GapY = value.toInt();
    else if (is("FillColor") || is("Color"))
        FillColor = static_cast<TColor>(value.toInt64());
    else if (is("Visible"))
        Visible = value.toBool();
    else if (is("Memo") || is("Text"))
        Memo = splitLines(value.toString());
    else if (is("Tag"))
        Tag = value.toString();
    else if (is("FrameTyp"))
        setFrameTyp(value.toInt());
    else if (is("FrameWidth"))
        setFrameWidth(clampedFloat(value.toDouble()));
    else if (is("FrameColor"))
        setFrameColor(static_cast<TColor>(value.toInt64()));
    else if (is("FrameStyle"))
        setFrameStyle(static_cast<std::uint8_t>(value.toInt()));
    else if (is("BandAlign"))
        BandAlign = static_cast<std::uint8_t>(value.toInt());
    else if (is("Restrictions"))
        Restrictions = static_cast<std::uint16_t>(value.toInt());
    else if (is("DisplayFormat"))
        DisplayFormatText = value.toString();
    else if (is("Flags"))
        Flags = static_cast<std::uint16_t>(value.toInt());
    else {
        for (const TRMFlagName& f : kViewFlagNames) {
            if (is(f.name)) {
                setFlag(f.bit, value.toBool());
                return true;
            }
        }
        return false;
    }
    return true;
}

bool TRMView::GetPropValue(std::string_view name, platform::Variant& value) const {
    auto is = [&](std::string_view n) { return sameText(name, n); };
    if (is("Name"))
        value = Name;
    else if (is("Left"))
        value = Left;
    else if (is("Top"))
        value = Top;
    else if (is("Width"))
        value = Width;
    else if (is("Height"))
        value = Height;
    else if (is("GapX"))
        value = GapX;
    else if (is("GapY"))
        value = GapY;
    else if (is("FillColor") || is("Color"))
        value = static_cast<std::int64_t>(FillColor);
    else if (is("Visible"))
        value = Visible;
    else if (is("Memo") || is("Text"))
        value = joinLines(Memo);
    else if (is("Tag"))
        value = Tag;
    else if (is("FrameTyp"))
        value = FrameTyp();
    else if (is("FrameWidth"))
        value = static_cast<double>(LeftFrame.Width);
    else if (is("FrameColor"))
        value = static_cast<std::int64_t>(LeftFrame.Color);
    else if (is("FrameStyle"))
        value = static_cast<int>(LeftFrame.Style);
    else if (is("BandAlign"))
        value = static_cast<int>(BandAlign);
    else if (is("Restrictions"))
        value = static_cast<int>(Restrictions);
    else if (is("DisplayFormat"))
        value = DisplayFormatText;
    else if (is("Flags"))
        value = static_cast<int>(Flags);
    else {
        for (const TRMFlagName& f : kViewFlagNames) {
            if (is(f.name)) {
                value = flag(f.bit);
                return true;
            }
        }
        return false;
    }
    return true;
}

std::string TRMView::loadedFile(const std::vector<platform::Variant>& args) {
    const std::string path = args.empty() ? std::string() : args[0].toString();
    const QString name = QString::fromStdString(path);
    QFile file(name);
    // Devices and pipes could be read for ever.
    if (!QFileInfo(name).isFile() || !file.open(QIODevice::ReadOnly))
        throw std::runtime_error("无法打开文件 \"" + path + "\"");
    if (file.size() > kMaxLoadedFile)
        throw std::runtime_error("文件 \"" + path + "\" 太大");
    const QByteArray bytes = file.readAll();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

bool TRMView::DoMethod(std::string_view name, const std::vector<platform::Variant>&) {
    if (sameText(name, "HIDE"))
        Visible = false;
    else if (sameText(name, "SHOW"))
        Visible = true;
    else
        return false;
    return true;
}

TRMRegionView::TRMRegionView() {
    ObjectType = gtRegion;
    BaseName = "Region";
}

int TRMView::CalcHeight(TRMReport&) {
    return Height;
}

bool TRMView::PrintToStream(TRMReport&, RMStream& stream) {
    if (!Visible)
        return false;
    TRMEMFPages::WriteView(stream, *this);
    return true;
}

} // namespace report
