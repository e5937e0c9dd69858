#include "platform/Jpeg.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <jpeglib.h>

namespace platform {

namespace {

// Larger images are refused before any pixel memory is taken.
constexpr unsigned long MaxPixels = 100'000'000UL;

// libjpeg's error handler jumps back here instead of ending the process. Everything that
// must survive the jump lives in this struct, which the caller owns.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void errorExit(j_common_ptr info) {
    auto* err = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, err->message);
    std::longjmp(err->jump, 1);
}

// Warnings (corrupt but decodable data) are counted by libjpeg; nothing is printed.
void outputMessage(j_common_ptr) {}

struct DecodeJob {
    const QByteArray* data;
    QImage* image;
    const char* failure; // static text, or nullptr
};

// No C++ object with a destructor lives in this frame across setjmp.
bool runDecode(DecodeJob* job, ErrorManager* err, jpeg_decompress_struct* info) {
    info->err = jpeg_std_error(&err->base);
    err->base.error_exit = errorExit;
    err->base.output_message = outputMessage;
    err->message[0] = '\0';
    if (setjmp(err->jump)) {
        jpeg_destroy_decompress(info);
        return false;
    }
    jpeg_create_decompress(info);
    jpeg_mem_src(info, reinterpret_cast<const unsigned char*>(job->data->constData()),
                 static_cast<unsigned long>(job->data->size()));
    jpeg_save_markers(info, JPEG_APP0 + 14, 0xFFFF);
    jpeg_read_header(info, TRUE);
    const bool cmyk = info->jpeg_color_space == JCS_CMYK || info->jpeg_color_space == JCS_YCCK;
    info->out_color_space =
        cmyk ? JCS_CMYK : (info->jpeg_color_space == JCS_GRAYSCALE ? JCS_GRAYSCALE : JCS_RGB);
    jpeg_calc_output_dimensions(info);
    if (info->output_width == 0 || info->output_height == 0 ||
        static_cast<unsigned long>(info->output_width) * info->output_height > MaxPixels) {
        job->failure = "图片尺寸超出允许范围";
        jpeg_destroy_decompress(info);
        return false;
    }
    *job->image = QImage(int(info->output_width), int(info->output_height), QImage::Format_RGB32);
    if (job->image->isNull()) {
        job->failure = "内存不足，无法解码图片";
        jpeg_destroy_decompress(info);
        return false;
    }
    jpeg_start_decompress(info);
    const int components = info->output_components;
    const bool adobeInverted = cmyk && info->saw_Adobe_marker;
    unsigned char* row = static_cast<unsigned char*>(
        (*info->mem->alloc_small)(reinterpret_cast<j_common_ptr>(info), JPOOL_IMAGE,
                                  info->output_width * unsigned(components)));
    while (info->output_scanline < info->output_height) {
        const int y = int(info->output_scanline);
        JSAMPROW rows[1] = {row};
        jpeg_read_scanlines(info, rows, 1);
        auto* out = reinterpret_cast<QRgb*>(job->image->scanLine(y));
        for (unsigned x = 0; x < info->output_width; ++x) {
            const unsigned char* p = row + x * unsigned(components);
            if (components == 1) {
                out[x] = qRgb(p[0], p[0], p[0]);
            } else if (components == 3) {
                out[x] = qRgb(p[0], p[1], p[2]);
            } else {
                int c = p[0], m = p[1], ye = p[2], k = p[3];
                if (!adobeInverted) {
                    c = 255 - c;
                    m = 255 - m;
                    ye = 255 - ye;
                    k = 255 - k;
                }
                out[x] = qRgb(c * k / 255, m * k / 255, ye * k / 255);
            }
        }
    }
    jpeg_finish_decompress(info);
    jpeg_destroy_decompress(info);
    return true;
}

struct EncodeJob {
    const QImage* image; // RGB32 or Grayscale8
    int quality;
    unsigned char* buffer;
    unsigned long size;
};

bool runEncode(EncodeJob* job, ErrorManager* err, jpeg_compress_struct* info) {
    info->err = jpeg_std_error(&err->base);
    err->base.error_exit = errorExit;
    err->base.output_message = outputMessage;
    err->message[0] = '\0';
    if (setjmp(err->jump)) {
        jpeg_destroy_compress(info);
        return false;
    }
    jpeg_create_compress(info);
    jpeg_mem_dest(info, &job->buffer, &job->size);
    const bool grey = job->image->format() == QImage::Format_Grayscale8;
    info->image_width = JDIMENSION(job->image->width());
    info->image_height = JDIMENSION(job->image->height());
    info->input_components = grey ? 1 : 3;
    info->in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(info);
    jpeg_set_quality(info, job->quality, TRUE);
    jpeg_start_compress(info, TRUE);
    unsigned char* row = static_cast<unsigned char*>(
        (*info->mem->alloc_small)(reinterpret_cast<j_common_ptr>(info), JPOOL_IMAGE,
                                  info->image_width * unsigned(info->input_components)));
    while (info->next_scanline < info->image_height) {
        const uchar* src = job->image->constScanLine(int(info->next_scanline));
        if (grey) {
            std::memcpy(row, src, info->image_width);
        } else {
            const auto* px = reinterpret_cast<const QRgb*>(src);
            for (unsigned x = 0; x < info->image_width; ++x) {
                row[3 * x] = static_cast<unsigned char>(qRed(px[x]));
                row[3 * x + 1] = static_cast<unsigned char>(qGreen(px[x]));
                row[3 * x + 2] = static_cast<unsigned char>(qBlue(px[x]));
            }
        }
        JSAMPROW rows[1] = {row};
        jpeg_write_scanlines(info, rows, 1);
    }
    jpeg_finish_compress(info);
    jpeg_destroy_compress(info);
    return true;
}

} // namespace

bool looksLikeJpeg(const QByteArray& data) {
    return data.size() >= 3 && uchar(data[0]) == 0xFF && uchar(data[1]) == 0xD8 &&
           uchar(data[2]) == 0xFF;
}

QImage decodeJpeg(const QByteArray& data, std::string* error) {
    QImage image;
    if (!looksLikeJpeg(data)) {
        if (error)
            *error = "不是有效的 JPEG 图片数据";
        return {};
    }
    DecodeJob job{&data, &image, nullptr};
    ErrorManager err{};
    jpeg_decompress_struct info{};
    if (runDecode(&job, &err, &info))
        return image;
    if (error) {
        if (job.failure)
            *error = job.failure;
        else
            *error = std::string("JPEG 图片数据已损坏：") + err.message;
    }
    return {};
}

QByteArray encodeJpeg(const QImage& image, int quality, std::string* error) {
    if (image.isNull()) {
        if (error)
            *error = "没有可保存的图片";
        return {};
    }
    const QImage source = image.format() == QImage::Format_Grayscale8
                              ? image
                              : image.convertToFormat(QImage::Format_RGB32);
    EncodeJob job{&source, quality < 1 ? 1 : (quality > 100 ? 100 : quality), nullptr, 0};
    ErrorManager err{};
    jpeg_compress_struct info{};
    const bool ok = runEncode(&job, &err, &info);
    QByteArray out;
    if (ok && job.buffer)
        out = QByteArray(reinterpret_cast<const char*>(job.buffer), qsizetype(job.size));
    std::free(job.buffer);
    if (!ok && error)
        *error = std::string("JPEG 图片编码失败：") + err.message;
    return out;
}

} // namespace platform
