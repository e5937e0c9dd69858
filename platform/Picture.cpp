#include "platform/Picture.h"

#include "platform/Canvas.h"
#include "platform/Jpeg.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QSaveFile>

#include <cmath>
#include <cstring>

namespace platform {

namespace {

std::uint32_t le32(const QByteArray& d, qsizetype at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | uchar(d[at + i]);
    return v;
}

std::int16_t le16s(const QByteArray& d, qsizetype at) {
    return std::int16_t(uchar(d[at]) | (uchar(d[at + 1]) << 8));
}

bool isEmf(const QByteArray& d) {
    // EMR_HEADER record (type 1) with the " EMF" signature at offset 40.
    return d.size() >= 88 && le32(d, 0) == 1 && std::memcmp(d.constData() + 40, " EMF", 4) == 0;
}

bool isPlaceableWmf(const QByteArray& d) {
    return d.size() >= 22 && le32(d, 0) == 0x9AC6CDD7u;
}

bool isPlainWmf(const QByteArray& d) {
    return d.size() >= 18 && (le16s(d, 0) == 1 || le16s(d, 0) == 2) && le16s(d, 2) == 9;
}

// Size in pixels at 96 per inch of a metafile, from its header.
QSize metafileSize(const QByteArray& d) {
    if (isEmf(d)) {
        // rclFrame in hundredths of a millimetre.
        const auto frame = [&](qsizetype at) { return double(std::int32_t(le32(d, at))); };
        const double w = frame(32) - frame(24);
        const double h = frame(36) - frame(28);
        return QSize(int(std::lround(w / 2540.0 * 96.0)), int(std::lround(h / 2540.0 * 96.0)));
    }
    if (isPlaceableWmf(d)) {
        const int inch = uchar(d[14]) | (uchar(d[15]) << 8);
        const int w = le16s(d, 10) - le16s(d, 6);
        const int h = le16s(d, 12) - le16s(d, 8);
        if (inch > 0)
            return QSize(int(std::lround(w * 96.0 / inch)), int(std::lround(h * 96.0 / inch)));
    }
    return {0, 0}; // a plain metafile states no size
}

QImage readWithQt(const QByteArray& data, const char* format, std::string* error) {
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setAutoTransform(false);
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > 100'000'000) {
        if (error)
            *error = "图片尺寸超出允许范围";
        return {};
    }
    QImage image = reader.read();
    if (image.isNull() && error)
        *error = "图片数据已损坏或格式不受支持：" + reader.errorString().toStdString();
    return image;
}

} // namespace

TPictureKind Picture::detectKind(const QByteArray& data) {
    if (looksLikeJpeg(data))
        return TPictureKind::Jpeg;
    if (data.size() >= 2 && data[0] == 'B' && data[1] == 'M')
        return TPictureKind::Bitmap;
    if (data.size() >= 6 && le16s(data, 0) == 0 && le16s(data, 2) == 1 && le16s(data, 4) > 0)
        return TPictureKind::Icon;
    if (isEmf(data) || isPlaceableWmf(data) || isPlainWmf(data))
        return TPictureKind::Metafile;
    return TPictureKind::None;
}

bool Picture::loadFromBytes(const QByteArray& data, TPictureKind kind, std::string* error) {
    std::string message;
    const TPictureKind detected = detectKind(data);
    if (kind == TPictureKind::None)
        kind = detected;
    // The signature wins over a stated kind that the data plainly is not.
    if (detected != TPictureKind::None && detected != kind)
        kind = detected;
    QImage image;
    QSize size;
    switch (kind) {
    case TPictureKind::None:
        message = "无法识别的图片格式";
        break;
    case TPictureKind::Jpeg:
        image = decodeJpeg(data, &message);
        break;
    case TPictureKind::Bitmap:
        image = readWithQt(data, "BMP", &message);
        break;
    case TPictureKind::Icon:
        image = readWithQt(data, "ICO", &message);
        break;
    case TPictureKind::Metafile:
        size = metafileSize(data);
        // A frame whose right or bottom edge lies before its left or top is damaged: a
        // negative size would turn every rectangle the picture is drawn into inside out.
        if ((!isEmf(data) && !isPlaceableWmf(data) && !isPlainWmf(data)) || size.width() < 0 ||
            size.height() < 0)
            message = "图元文件数据已损坏";
        break;
    }
    if (kind != TPictureKind::Metafile && image.isNull()) {
        if (error)
            *error = message.empty() ? "图片数据已损坏" : message;
        return false;
    }
    if (kind == TPictureKind::Metafile && !message.empty()) {
        if (error)
            *error = message;
        return false;
    }
    kind_ = kind;
    bytes_ = data;
    image_ = image;
    if (!image.isNull())
        size = image.size();
    width_ = size.width();
    height_ = size.height();
    return true;
}

bool Picture::loadFromFile(const QString& path, TPictureKind kind, std::string* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error =
                "无法打开图片文件 " + path.toStdString() + "：" + file.errorString().toStdString();
        return false;
    }
    return loadFromBytes(file.readAll(), kind, error);
}

bool Picture::saveToFile(const QString& path, std::string* error) const {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes_) != bytes_.size() || !file.commit()) {
        if (error)
            *error =
                "无法保存图片文件 " + path.toStdString() + "：" + file.errorString().toStdString();
        return false;
    }
    return true;
}

Picture Picture::fromImage(const QImage& image, TPictureKind kind, int jpegQuality) {
    Picture picture;
    if (image.isNull())
        return picture;
    QByteArray bytes;
    if (kind == TPictureKind::Jpeg) {
        bytes = encodeJpeg(image, jpegQuality);
    } else {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.convertToFormat(QImage::Format_RGB32).save(&buffer, "BMP");
        kind = TPictureKind::Bitmap;
    }
    picture.loadFromBytes(bytes, kind);
    return picture;
}

void Picture::clear() {
    *this = Picture();
}

void Picture::draw(TCanvas& canvas, const TRect& dest, bool transparent) const {
    canvas.stretchDraw(dest, *this, transparent ? SRCAND : SRCCOPY);
}

} // namespace platform
