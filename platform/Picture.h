#pragma once

// A picture as reports and forms hold it: the original bytes of a BMP, JPEG, icon or
// metafile, kept so that they can be written back unchanged, and the decoded image for
// drawing.

#include "platform/GdiObjects.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <cstdint>
#include <string>

namespace platform {

class TCanvas;

enum class TPictureKind : std::uint8_t {
    None,   // empty, or "find out from the data" when loading
    Bitmap, // BMP / DIB file
    Jpeg,
    Icon,     // ICO file
    Metafile, // Windows metafile (WMF / EMF): kept and sized, not drawn
};

class Picture {
public:
    Picture() = default;

    // Kind from the data's signature; None when it is none of the known kinds.
    static TPictureKind detectKind(const QByteArray& data);

    // Takes `data` as a picture of `kind` (None: detect). On failure returns false, leaves
    // the picture as it was and puts a message in *error.
    bool loadFromBytes(const QByteArray& data, TPictureKind kind = TPictureKind::None,
                       std::string* error = nullptr);
    bool loadFromFile(const QString& path, TPictureKind kind = TPictureKind::None,
                      std::string* error = nullptr);
    // Writes the original bytes.
    bool saveToFile(const QString& path, std::string* error = nullptr) const;

    // A new picture of `kind` (Bitmap or Jpeg) encoded from `image`.
    static Picture fromImage(const QImage& image, TPictureKind kind = TPictureKind::Bitmap,
                             int jpegQuality = 90);

    void clear();
    bool isEmpty() const { return kind_ == TPictureKind::None; }
    TPictureKind kind() const { return kind_; }
    // The bytes as loaded (empty for an empty picture).
    const QByteArray& bytes() const { return bytes_; }
    // Decoded image; null for an empty picture and for metafiles.
    const QImage& image() const { return image_; }
    int width() const { return width_; }
    int height() const { return height_; }

    // Stretches the picture onto `dest`; with `transparent` it is ANDed with what is there
    // (white parts let the background through).
    void draw(TCanvas& canvas, const TRect& dest, bool transparent = false) const;

    bool operator==(const Picture& other) const {
        return kind_ == other.kind_ && bytes_ == other.bytes_;
    }

private:
    TPictureKind kind_{TPictureKind::None};
    QByteArray bytes_;
    QImage image_;
    int width_{0};
    int height_{0};
};

} // namespace platform
