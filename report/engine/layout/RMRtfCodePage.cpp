#include "report/engine/layout/RMRtfCodePage.h"

#include "platform/Gbk.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>
#include <map>
#include <memory>

namespace report::rtf::detail {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

// One iconv decoder per code page and thread, opened on first use; null when the C library
// does not know the code page.
class Decoder {
public:
    explicit Decoder(int codePage) {
        const std::string name = codePage == 1361    ? "JOHAB"
                                 : codePage == 10000 ? "MACINTOSH"
                                                     : "CP" + std::to_string(codePage);
        handle_ = iconv_open("UTF-16LE", name.c_str());
    }
    ~Decoder() {
        if (valid())
            iconv_close(handle_);
    }
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

    QString decode(std::string_view bytes) {
        QString out;
        out.reserve(static_cast<qsizetype>(bytes.size()));
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(bytes.data());
        std::size_t inLeft = bytes.size();
        while (inLeft > 0) {
            char buffer[512];
            char* outPtr = buffer;
            std::size_t outLeft = sizeof buffer;
            const std::size_t rc = iconv(handle_, &in, &inLeft, &outPtr, &outLeft);
            const auto units = static_cast<qsizetype>((outPtr - buffer) / 2);
            out.append(QStringView(reinterpret_cast<const char16_t*>(buffer), units));
            if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
                // A byte that starts no character of this code page: replace it, go on.
                out.append(QChar(kReplacement));
                ++in;
                --inLeft;
                iconv(handle_, nullptr, nullptr, nullptr, nullptr);
            }
        }
        return out;
    }

private:
    iconv_t handle_;
};

Decoder* decoderFor(int codePage) {
    thread_local std::map<int, std::unique_ptr<Decoder>> decoders;
    auto [it, inserted] = decoders.try_emplace(codePage);
    if (inserted)
        it->second = std::make_unique<Decoder>(codePage);
    return it->second->valid() ? it->second.get() : nullptr;
}

QString latin1(std::string_view bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

} // namespace

int codePageOfCharset(int charset, int documentCodePage) {
    switch (charset) {
    case 0:
        return 1252; // ANSI
    case 2:
        return 28591; // symbol: bytes are glyph numbers, read them as Latin-1
    case 77:
        return 10000; // Macintosh
    case 128:
        return 932; // Shift-JIS
    case 129:
        return 949; // Hangul
    case 130:
        return 1361; // Johab
    case 134:
        return 936; // GB2312 / GBK
    case 136:
        return 950; // Big5
    case 161:
        return 1253; // Greek
    case 162:
        return 1254; // Turkish
    case 163:
        return 1258; // Vietnamese
    case 177:
        return 1255; // Hebrew
    case 178:
        return 1256; // Arabic
    case 186:
        return 1257; // Baltic
    case 204:
        return 1251; // Cyrillic
    case 222:
        return 874; // Thai
    case 238:
        return 1250; // Central European
    case 255:
        return 437; // OEM
    default:
        return documentCodePage;
    }
}

QString decodeBytes(std::string_view bytes, int codePage) {
    if (bytes.empty())
        return {};
    switch (codePage) {
    case 936:
        return QString::fromStdString(platform::fromGbk(bytes));
    case 65001:
        return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    case 28591:
        return latin1(bytes);
    default:
        break;
    }
    // Only code pages a font can stand for: the set of decoders stays small and known.
    static constexpr int known[] = {437,  850,  874,  932,  949,  950,  1250, 1251, 1252,
                                    1253, 1254, 1255, 1256, 1257, 1258, 1361, 10000};
    if (std::find(std::begin(known), std::end(known), codePage) != std::end(known))
        if (Decoder* decoder = decoderFor(codePage))
            return decoder->decode(bytes);
    if (Decoder* fallback = decoderFor(1252))
        return fallback->decode(bytes);
    return latin1(bytes);
}

QString cleanFaceName(const QString& face) {
    QString clean;
    clean.reserve(face.size());
    for (QChar c : face)
        if (isDocumentText(c.unicode()) && c != u'\t' && c != u';')
            clean.append(c);
    return clean.trimmed();
}

std::string gbkBytesOf(const QString& character) {
    const std::string utf8 = character.toStdString();
    std::string gbk = platform::toGbk(utf8);
    if (gbk.find('?') != std::string::npos && utf8.find('?') == std::string::npos)
        return {};
    return gbk;
}

} // namespace report::rtf::detail
