// Pictures and JPEG: libjpeg round trips, damaged data rejected cleanly, original bytes
// kept, BMP and ICO through Qt, drawing stretched and ANDed.

#include "platform/Picture.h"

#include "platform/Canvas.h"
#include "platform/Jpeg.h"
#include "platform/Metafile.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <cstdlib>
#include <gtest/gtest.h>

using namespace platform;

namespace {

QImage gradient(int w = 64, int h = 48) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb(x * 255 / w, y * 255 / h, 128));
    return img;
}

int maxDifference(const QImage& a, const QImage& b) {
    int worst = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q))});
        }
    return worst;
}

QByteArray encodeWithQt(const QImage& img, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, format);
    return bytes;
}

} // namespace

TEST(Jpeg, EncodeDecodeRoundTrip) {
    const QImage source = gradient();
    std::string error;
    const QByteArray jpeg = encodeJpeg(source, 95, &error);
    ASSERT_FALSE(jpeg.isEmpty()) << error;
    EXPECT_TRUE(looksLikeJpeg(jpeg));
    EXPECT_EQ(jpeg.mid(6, 4), QByteArray("JFIF"));
    const QImage decoded = decodeJpeg(jpeg, &error);
    ASSERT_FALSE(decoded.isNull()) << error;
    EXPECT_EQ(decoded.size(), source.size());
    EXPECT_LE(maxDifference(decoded, source), 12);

    // Lower quality is smaller; grey stays grey.
    EXPECT_LT(encodeJpeg(source, 20).size(), jpeg.size());
    const QImage grey = source.convertToFormat(QImage::Format_Grayscale8);
    const QImage greyBack = decodeJpeg(encodeJpeg(grey, 90));
    ASSERT_FALSE(greyBack.isNull());
    const QRgb p = greyBack.pixel(30, 20);
    EXPECT_EQ(qRed(p), qGreen(p));
    EXPECT_EQ(qGreen(p), qBlue(p));

    // Files of other encoders decode too.
    const QImage viaQt = decodeJpeg(encodeWithQt(source, "JPG"));
    ASSERT_FALSE(viaQt.isNull());
    EXPECT_LE(maxDifference(viaQt, source), 40);
}

TEST(Jpeg, DamagedDataIsRejectedWithAMessage) {
    const QByteArray good = encodeJpeg(gradient(), 90);
    std::string error;

    EXPECT_TRUE(decodeJpeg(QByteArray("not a jpeg"), &error).isNull());
    EXPECT_FALSE(error.empty());

    // A JPEG signature followed by rubbish.
    QByteArray rubbish("\xFF\xD8\xFF\xE0", 4);
    rubbish += QByteArray(200, '\x13');
    error.clear();
    EXPECT_TRUE(decodeJpeg(rubbish, &error).isNull());
    EXPECT_NE(error.find("JPEG"), std::string::npos);

    // Image dimensions zeroed in the frame header.
    QByteArray noSize = good;
    const qsizetype sof = noSize.indexOf(QByteArray("\xFF\xC0", 2));
    ASSERT_GT(sof, 0);
    noSize[sof + 5] = 0;
    noSize[sof + 6] = 0;
    noSize[sof + 7] = 0;
    noSize[sof + 8] = 0;
    error.clear();
    EXPECT_TRUE(decodeJpeg(noSize, &error).isNull());
    EXPECT_FALSE(error.empty());

    // Cut anywhere: never a crash; cut inside the headers: rejected.
    for (qsizetype cut = 3; cut < good.size(); cut += 37)
        (void)decodeJpeg(good.left(cut));
    EXPECT_TRUE(decodeJpeg(good.left(sof + 4)).isNull());

    // Corrupted entropy data: decoded as far as possible or rejected, never a crash.
    QByteArray scrambled = good;
    for (qsizetype i = good.size() / 2; i < good.size() - 2; i += 3)
        scrambled[i] = char(i * 7);
    (void)decodeJpeg(scrambled);

    EXPECT_TRUE(encodeJpeg(QImage(), 90, &error).isEmpty());
    EXPECT_FALSE(error.empty());
}

TEST(Picture, KeepsTheOriginalBytesAndKind) {
    const QByteArray jpeg = encodeWithQt(gradient(40, 30), "JPG");
    Picture picture;
    EXPECT_TRUE(picture.isEmpty());
    EXPECT_EQ(picture.kind(), TPictureKind::None);
    std::string error;
    ASSERT_TRUE(picture.loadFromBytes(jpeg, TPictureKind::None, &error)) << error;
    EXPECT_EQ(picture.kind(), TPictureKind::Jpeg);
    EXPECT_EQ(picture.bytes(), jpeg);
    EXPECT_EQ(picture.width(), 40);
    EXPECT_EQ(picture.height(), 30);

    QTemporaryDir dir;
    const QString path = dir.filePath("p.jpg");
    ASSERT_TRUE(picture.saveToFile(path, &error)) << error;
    Picture back;
    ASSERT_TRUE(back.loadFromFile(path, TPictureKind::None, &error)) << error;
    EXPECT_EQ(back.bytes(), jpeg);
    EXPECT_EQ(back, picture);

    // A failed load leaves the picture as it was.
    QByteArray broken = jpeg.left(20);
    EXPECT_FALSE(picture.loadFromBytes(broken + QByteArray(10, 'x'), TPictureKind::Jpeg, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(picture.bytes(), jpeg);
    EXPECT_FALSE(picture.loadFromBytes(QByteArray("BMxxxx"), TPictureKind::Bitmap, &error));
    EXPECT_FALSE(picture.loadFromFile(dir.filePath("missing.bmp"), TPictureKind::None, &error));
    EXPECT_EQ(picture.kind(), TPictureKind::Jpeg);

    picture.clear();
    EXPECT_TRUE(picture.isEmpty());
    EXPECT_TRUE(picture.bytes().isEmpty());
    EXPECT_EQ(picture.width(), 0);
}

TEST(Picture, BitmapsIconsAndMetafiles) {
    QImage img(16, 8, QImage::Format_RGB32);
    img.fill(qRgb(10, 200, 30));
    const QByteArray bmp = encodeWithQt(img, "BMP");
    Picture picture;
    ASSERT_TRUE(picture.loadFromBytes(bmp));
    EXPECT_EQ(picture.kind(), TPictureKind::Bitmap);
    EXPECT_EQ(QSize(picture.width(), picture.height()), QSize(16, 8));
    EXPECT_EQ(picture.image().pixel(3, 3) & 0xFFFFFF, 0x0AC81Eu);
    // The stated kind yields to the data's signature.
    ASSERT_TRUE(picture.loadFromBytes(bmp, TPictureKind::Jpeg));
    EXPECT_EQ(picture.kind(), TPictureKind::Bitmap);

    QImage icon(32, 32, QImage::Format_ARGB32);
    icon.fill(Qt::red);
    const QByteArray ico = encodeWithQt(icon, "ICO");
    ASSERT_FALSE(ico.isEmpty());
    ASSERT_TRUE(picture.loadFromBytes(ico));
    EXPECT_EQ(picture.kind(), TPictureKind::Icon);
    EXPECT_EQ(picture.width(), 32);

    const Picture encoded = Picture::fromImage(img, TPictureKind::Jpeg);
    EXPECT_EQ(encoded.kind(), TPictureKind::Jpeg);
    EXPECT_TRUE(looksLikeJpeg(encoded.bytes()));

    // An enhanced metafile header of 2540 x 1270 hundredths of a millimetre: 96 x 48 pixels.
    QByteArray emf(88, '\0');
    const auto put = [&](int at, std::int32_t v) {
        for (int i = 0; i < 4; ++i)
            emf[at + i] = char((v >> (8 * i)) & 0xFF);
    };
    put(0, 1);
    put(4, 88);
    put(24, 0);
    put(28, 0);
    put(32, 2540);
    put(36, 1270);
    emf.replace(40, 4, " EMF");
    ASSERT_TRUE(picture.loadFromBytes(emf));
    EXPECT_EQ(picture.kind(), TPictureKind::Metafile);
    EXPECT_EQ(QSize(picture.width(), picture.height()), QSize(96, 48));
    EXPECT_EQ(picture.bytes(), emf);
    EXPECT_TRUE(picture.image().isNull());

    // A frame turned inside out (right before left) is damaged: refused, the picture kept.
    QByteArray inverted = emf;
    for (int i = 0; i < 4; ++i)
        inverted[24 + i] = char((5080 >> (8 * i)) & 0xFF); // left 5080 > right 2540
    std::string error;
    EXPECT_FALSE(picture.loadFromBytes(inverted, TPictureKind::None, &error));
    EXPECT_EQ(error, "图元文件数据已损坏");
    EXPECT_EQ(picture.bytes(), emf);

    // A plain metafile states no size: 0 x 0, never negative.
    QByteArray wmf(18, '\0');
    wmf[0] = 1;
    wmf[2] = 9;
    ASSERT_TRUE(picture.loadFromBytes(wmf));
    EXPECT_EQ(QSize(picture.width(), picture.height()), QSize(0, 0));
}

TEST(Picture, DrawsStretchedAndAnded) {
    QImage src(2, 2, QImage::Format_RGB32);
    src.fill(Qt::white);
    src.setPixel(0, 0, qRgb(0, 0, 255));
    const Picture picture = Picture::fromImage(src);
    ASSERT_EQ(picture.kind(), TPictureKind::Bitmap);

    QImage img(40, 40, QImage::Format_RGB32);
    img.fill(qRgb(255, 0, 0));
    {
        QPainter painter(&img);
        TCanvas c(painter);
        picture.draw(c, {0, 0, 20, 20});
        picture.draw(c, {20, 20, 40, 40}, true);
    }
    EXPECT_EQ(img.pixel(5, 5) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(img.pixel(15, 15) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(img.pixel(25, 25) & 0xFFFFFF, 0u);        // blue AND red
    EXPECT_EQ(img.pixel(35, 35) & 0xFFFFFF, 0xFF0000u); // white lets red through
    EXPECT_EQ(img.pixel(25, 5) & 0xFFFFFF, 0xFF0000u);

    // Recorded as an image record that replays the same way.
    TMetafile mf(40, 40);
    {
        TMetafileCanvas c(mf);
        picture.draw(c, {0, 0, 20, 20});
    }
    ASSERT_EQ(mf.recordsOf(TMetaRecordKind::Image).size(), 1u);
    EXPECT_EQ(mf.toImage(2.0).pixel(10, 10) & 0xFFFFFF, 0x0000FFu);
}

TEST(Picture, RandomAndTruncatedDataNeverCrash) {
    QImage img(24, 16, QImage::Format_RGB32);
    img.fill(qRgb(40, 80, 120));
    QImage icon(16, 16, QImage::Format_ARGB32);
    icon.fill(Qt::green);
    const QByteArray samples[] = {encodeJpeg(img, 80), encodeWithQt(img, "BMP"),
                                  encodeWithQt(icon, "ICO")};
    std::uint32_t seed = 12345;
    const auto next = [&] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    int loaded = 0;
    for (const QByteArray& sample : samples) {
        ASSERT_FALSE(sample.isEmpty());
        for (int round = 0; round < 60; ++round) {
            QByteArray data = sample.left(qsizetype(next() % std::uint32_t(sample.size() + 1)));
            if (round % 2 == 1) {
                data = sample;
                for (int k = 0; k < 8; ++k)
                    data[qsizetype(next() % std::uint32_t(data.size()))] = char(next());
            }
            Picture p;
            std::string error;
            if (p.loadFromBytes(data, TPictureKind::None, &error)) {
                ++loaded;
                EXPECT_EQ(p.bytes(), data);
                EXPECT_GT(p.width(), 0);
            } else {
                EXPECT_FALSE(error.empty());
                EXPECT_TRUE(p.isEmpty());
            }
        }
    }
    EXPECT_GT(loaded, 0);
}
