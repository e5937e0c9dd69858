#include "report/engine/model/RMGraphicViews.h"

#include "platform/Picture.h"

#include <stdexcept>

namespace report {

TRMPictureView::TRMPictureView() {
    ObjectType = gtPicture;
    BaseName = "Picture";
    Flags |= Stretched | KeepAspect;
}

void TRMPictureView::saveExtra(RMStream& stream) const {
    writePicture(stream, Picture, &BlobType);
}

void TRMPictureView::loadExtra(RMStream& stream) {
    Picture = readPicture(stream, &BlobType);
}

bool TRMPictureView::DoMethod(std::string_view name, const std::vector<platform::Variant>& args) {
    if (!sameText(name, "LOADFROMFILE"))
        return TRMView::DoMethod(name, args);
    const std::string data = loadedFile(args);
    const QByteArray bytes(data.data(), static_cast<qsizetype>(data.size()));
    using platform::TPictureKind;
    switch (platform::Picture::detectKind(bytes)) {
    case TPictureKind::Bitmap:
        Picture.kind = TRMPicture::Bitmap;
        BlobType = btBMP;
        break;
    case TPictureKind::Jpeg:
        Picture.kind = TRMPicture::Jpeg;
        BlobType = btJPG;
        break;
    case TPictureKind::Icon:
        Picture.kind = TRMPicture::Icon;
        BlobType = btICO;
        break;
    case TPictureKind::Metafile:
        Picture.kind = TRMPicture::Metafile;
        BlobType = btWMF;
        break;
    case TPictureKind::None:
        throw std::runtime_error("\"" + args[0].toString() + "\" 不是 BMP、JPEG、图标或图元文件");
    }
    Picture.data = data;
    return true;
}

bool TRMPictureView::SetPropValue(std::string_view name, const platform::Variant& value) {
    auto is = [&](std::string_view n) { return sameText(name, n); };
    if (is("Stretched"))
        setFlag(Stretched, value.toBool());
    else if (is("Center"))
        setFlag(Center, value.toBool());
    else if (is("KeepAspect"))
        setFlag(KeepAspect, value.toBool());
    else if (is("Transparent"))
        setFlag(Transparent, value.toBool());
    else if (is("BlobType"))
        BlobType = static_cast<std::uint8_t>(value.toInt());
    else
        return TRMView::SetPropValue(name, value);
    return true;
}

bool TRMPictureView::GetPropValue(std::string_view name, platform::Variant& value) const {
    auto is = [&](std::string_view n) { return sameText(name, n); };
    if (is("Stretched"))
        value = flag(Stretched);
    else if (is("Center"))
        value = flag(Center);
    else if (is("KeepAspect"))
        value = flag(KeepAspect);
    else if (is("Transparent"))
        value = flag(Transparent);
    else if (is("BlobType"))
        value = static_cast<int>(BlobType);
    else
        return TRMView::GetPropValue(name, value);
    return true;
}

TRMLineView::TRMLineView() {
    ObjectType = gtLine;
    BaseName = "Line";
    LeftFrame.Visible = true;
    FillColor = clWhite;
}

TRMSubReportView::TRMSubReportView() {
    ObjectType = gtSubReport;
    BaseName = "SubReport";
}

TRMShapeView::TRMShapeView() {
    ObjectType = gtAddIn;
    BaseName = "Shape";
}

void TRMShapeView::saveExtra(RMStream& stream) const {
    stream.writeByte(Shape);
    stream.writeByte(PenMode);
}

void TRMShapeView::loadExtra(RMStream& stream) {
    Shape = stream.readByte();
    PenMode = stream.readByte();
}

bool TRMShapeView::SetPropValue(std::string_view name, const platform::Variant& value) {
    if (sameText(name, "Shape"))
        Shape = static_cast<std::uint8_t>(value.toInt());
    else if (sameText(name, "PenMode"))
        PenMode = static_cast<std::uint8_t>(value.toInt());
    else
        return TRMView::SetPropValue(name, value);
    return true;
}

bool TRMShapeView::GetPropValue(std::string_view name, platform::Variant& value) const {
    if (sameText(name, "Shape"))
        value = static_cast<int>(Shape);
    else if (sameText(name, "PenMode"))
        value = static_cast<int>(PenMode);
    else
        return TRMView::GetPropValue(name, value);
    return true;
}

TRMCheckBoxView::TRMCheckBoxView() {
    ObjectType = gtAddIn;
    BaseName = "Check";
}

void TRMCheckBoxView::saveExtra(RMStream& stream) const {
    stream.writeByte(CheckStyle);
    stream.writeInt32(static_cast<std::int32_t>(CheckColor));
}

void TRMCheckBoxView::loadExtra(RMStream& stream) {
    CheckStyle = stream.readByte();
    CheckColor = static_cast<TColor>(stream.readInt32());
}

bool TRMCheckBoxView::SetPropValue(std::string_view name, const platform::Variant& value) {
    if (sameText(name, "CheckStyle"))
        CheckStyle = static_cast<std::uint8_t>(value.toInt());
    else if (sameText(name, "CheckColor"))
        CheckColor = static_cast<TColor>(value.toInt64());
    else
        return TRMView::SetPropValue(name, value);
    return true;
}

bool TRMCheckBoxView::GetPropValue(std::string_view name, platform::Variant& value) const {
    if (sameText(name, "CheckStyle"))
        value = static_cast<int>(CheckStyle);
    else if (sameText(name, "CheckColor"))
        value = static_cast<std::int64_t>(CheckColor);
    else
        return TRMView::GetPropValue(name, value);
    return true;
}

} // namespace report
