// Picture loading (BMP, icon, JPEG and metafile headers): any byte string, read as each
// kind, either loads to a picture of a sane size that draws, or is refused leaving the
// picture as it was.

#include "fuzz/FuzzSupport.h"
#include "platform/Jpeg.h"
#include "platform/Metafile.h"
#include "platform/Picture.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>

#include <cstdlib>

namespace {

QByteArray encoded(const QImage& image, const char* format, int quality = -1) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    writer.write(image);
    return bytes;
}

QImage sampleImage(QImage::Format format) {
    QImage image(13, 7, format);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x * 19, y * 36, (x + y) * 12));
    return image;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzzsupport::initialize(argc, argv);
    const QImage rgb = sampleImage(QImage::Format_RGB32);
    const QImage indexed = rgb.convertToFormat(QImage::Format_Indexed8);
    const QImage grey = rgb.convertToFormat(QImage::Format_Grayscale8);
    fuzzsupport::writeSeeds(
        "FUZZ_SEEDS",
        {{"rgb.bmp", platform::Picture::fromImage(rgb, platform::TPictureKind::Bitmap).bytes()},
         {"indexed.bmp", encoded(indexed, "BMP")},
         {"rgb.jpg", platform::Picture::fromImage(rgb, platform::TPictureKind::Jpeg).bytes()},
         {"grey.jpg", encoded(grey, "JPEG", 50)},
         {"rgb.ico", encoded(rgb, "ICO")},
         {"argb.ico", encoded(rgb.convertToFormat(QImage::Format_ARGB32), "ICO")}});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    using platform::TPictureKind;
    for (const TPictureKind kind :
         {TPictureKind::None, TPictureKind::Bitmap, TPictureKind::Jpeg, TPictureKind::Icon}) {
        platform::Picture picture;
        std::string error;
        if (!picture.loadFromBytes(bytes, kind, &error)) {
            if (!picture.isEmpty() || error.empty())
                std::abort();
            continue;
        }
        if (picture.width() < 0 || picture.height() < 0 || picture.bytes() != bytes)
            std::abort();
        platform::TMetafile metafile(64, 64);
        platform::TMetafileCanvas canvas(metafile);
        picture.draw(canvas, {0, 0, 64, 64});
    }
    std::string error;
    const QImage image = platform::decodeJpeg(bytes, &error);
    if (image.isNull() == error.empty())
        std::abort();
    return 0;
}
