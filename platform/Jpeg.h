#pragma once

// JPEG through libjpeg. Damaged or truncated data is reported, never a crash: the library's
// fatal errors return to the caller instead of ending the process.

#include <QByteArray>
#include <QImage>

#include <string>

namespace platform {

// True when the data starts with a JPEG start-of-image marker (FF D8 FF).
bool looksLikeJpeg(const QByteArray& data);

// Decodes grey, RGB/YCbCr and CMYK/YCCK images (baseline or progressive) into RGB32.
// Returns a null image and a message in *error when the data cannot be decoded.
QImage decodeJpeg(const QByteArray& data, std::string* error = nullptr);

// Encodes as a baseline JFIF file (quality 1..100; grey images stay grey). Returns an empty
// array and a message in *error on failure.
QByteArray encodeJpeg(const QImage& image, int quality = 90, std::string* error = nullptr);

} // namespace platform
