#include "report/engine/model/RMStream.h"

#include "platform/Gbk.h"

#include <QByteArray>

#include <algorithm>
#include <atomic>
#include <cstring>

namespace report {

void RMStream::pack() {
    if (isPacked_ || buffer_.size() < 512)
        return;
    const QByteArray packed = qCompress(reinterpret_cast<const uchar*>(buffer_.data()),
                                        static_cast<qsizetype>(buffer_.size()), 1);
    if (static_cast<std::size_t>(packed.size()) >= buffer_.size())
        return;
    packedBytes_.assign(packed.constData(), static_cast<std::size_t>(packed.size()));
    std::string().swap(buffer_);
    isPacked_ = true;
}

void RMStream::unpack() const {
    const QByteArray bytes = qUncompress(reinterpret_cast<const uchar*>(packedBytes_.data()),
                                         static_cast<qsizetype>(packedBytes_.size()));
    buffer_.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    std::string().swap(packedBytes_);
    isPacked_ = false;
}

std::string RMStream::contents() const {
    if (!isPacked_)
        return buffer_;
    const QByteArray bytes = qUncompress(reinterpret_cast<const uchar*>(packedBytes_.data()),
                                         static_cast<qsizetype>(packedBytes_.size()));
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

void RMStream::seek(std::size_t position) {
    if (isPacked_)
        unpack();
    if (position > buffer_.size())
        throw EStreamError("stream position out of range");
    pos_ = position;
}

void RMStream::touch() {
    // Streams are also made on the print thread (decoding handed-over pages).
    static std::atomic<std::uint64_t> counter{0};
    rev_ = counter.fetch_add(1, std::memory_order_relaxed) + 1;
}

void RMStream::writeBytes(std::string_view bytes) {
    if (isPacked_)
        unpack();
    touch();
    if (pos_ == buffer_.size()) { // appending: the common case
        buffer_.append(bytes);
        pos_ += bytes.size();
        return;
    }
    if (pos_ + bytes.size() > buffer_.size())
        buffer_.resize(pos_ + bytes.size());
    std::memcpy(buffer_.data() + pos_, bytes.data(), bytes.size());
    pos_ += bytes.size();
}

void RMStream::writeByte(std::uint8_t value) {
    const char c = static_cast<char>(value);
    writeBytes(std::string_view(&c, 1));
}

void RMStream::writeInt16(std::int16_t value) {
    const auto v = static_cast<std::uint16_t>(value);
    const char b[2] = {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
    writeBytes(std::string_view(b, 2));
}

void RMStream::writeInt32(std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    const char b[4] = {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF),
                       static_cast<char>((v >> 16) & 0xFF), static_cast<char>(v >> 24)};
    writeBytes(std::string_view(b, 4));
}

namespace {

// Cuts GBK bytes to at most `limit` without splitting a double-byte character.
std::string_view cutGbk(std::string_view gbk, std::size_t limit) {
    if (gbk.size() <= limit)
        return gbk;
    std::size_t i = 0;
    while (i < gbk.size()) {
        const std::size_t step = platform::isGbkLeadByte(static_cast<std::uint8_t>(gbk[i])) ? 2 : 1;
        if (i + step > limit)
            break;
        i += step;
    }
    return gbk.substr(0, i);
}

} // namespace

void RMStream::noteLoss(std::vector<std::string>& list) {
    if (std::find(list.begin(), list.end(), subject_) == list.end())
        list.push_back(subject_);
}

std::string RMStream::storedText(std::string_view utf8) {
    std::string gbk = platform::toGbk(utf8);
    // toGbk writes "?" for what GBK cannot hold; "?" is never part of a double-byte
    // character (trail bytes start at 0x40), so more of them than in the text means a loss.
    if (std::count(gbk.begin(), gbk.end(), '?') > std::count(utf8.begin(), utf8.end(), '?'))
        noteLoss(losses_.replaced);
    if (gbk.size() > 0xFFFF) {
        noteLoss(losses_.cut);
        gbk.resize(cutGbk(gbk, 0xFFFF).size());
    }
    return gbk;
}

void RMStream::writeString(std::string_view utf8) {
    const std::string stored = storedText(utf8);
    writeUInt16(static_cast<std::uint16_t>(stored.size()));
    writeBytes(stored);
    writeByte(0);
}

void RMStream::writeStrings(const TRMStrings& lines) {
    if (lines.size() > 0xFFFF)
        noteLoss(losses_.cut);
    writeUInt16(static_cast<std::uint16_t>(lines.size() > 0xFFFF ? 0xFFFF : lines.size()));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            writeByte(13);
        const std::string stored = storedText(lines[i]);
        writeUInt16(static_cast<std::uint16_t>(stored.size()));
        writeBytes(stored);
    }
    writeByte(0);
}

std::size_t RMStream::beginEndOffset() {
    const std::size_t slot = pos_;
    writeInt32(0);
    return slot;
}

void RMStream::patchEndOffset(std::size_t slot) {
    const std::size_t end = pos_;
    if (end > 0x7FFFFFFF)
        throw EStreamError("stream too large");
    pos_ = slot;
    writeInt32(static_cast<std::int32_t>(end));
    pos_ = end;
}

void RMStream::need(std::size_t count) const {
    if (isPacked_)
        unpack();
    if (count > buffer_.size() - pos_)
        throw EStreamError("unexpected end of stream");
}

std::uint8_t RMStream::readByte() {
    need(1);
    return static_cast<std::uint8_t>(buffer_[pos_++]);
}

std::int16_t RMStream::readInt16() {
    need(2);
    const auto* p = reinterpret_cast<const unsigned char*>(buffer_.data() + pos_);
    pos_ += 2;
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | (p[1] << 8)));
}

std::int32_t RMStream::readInt32() {
    need(4);
    const auto* p = reinterpret_cast<const unsigned char*>(buffer_.data() + pos_);
    pos_ += 4;
    return static_cast<std::int32_t>(std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) |
                                     (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24));
}

std::int32_t RMStream::readGeometry() {
    return std::clamp(readInt32(), -kMaxGeometry, kMaxGeometry);
}

std::int32_t RMStream::readLength() {
    return std::clamp(readInt32(), -kMaxLength, kMaxLength);
}

std::string RMStream::readBytes(std::size_t count) {
    need(count);
    std::string out = buffer_.substr(pos_, count);
    pos_ += count;
    return out;
}

void RMStream::skip(std::size_t count) {
    need(count);
    pos_ += count;
}

std::string RMStream::readString() {
    const std::size_t length = readUInt16();
    need(length + 1);
    std::string text = platform::fromGbk(std::string_view(buffer_).substr(pos_, length));
    pos_ += length + 1; // the trailing 0 is not checked: old writers left garbage there
    return text;
}

TRMStrings RMStream::readStrings() {
    TRMStrings lines;
    if (readUInt16() == 0) {
        readByte();
        return lines;
    }
    for (;;) {
        const std::size_t length = readUInt16();
        need(length + 1);
        lines.push_back(platform::fromGbk(std::string_view(buffer_).substr(pos_, length)));
        pos_ += length;
        const std::uint8_t separator = readByte();
        if (separator == 0)
            return lines;
        if (separator != 13)
            throw EStreamError("malformed string list");
    }
}

std::size_t RMStream::readEndOffset(std::size_t from) {
    const std::int32_t value = readInt32();
    if (value < 0 || static_cast<std::size_t>(value) > size() ||
        static_cast<std::size_t>(value) < from || static_cast<std::size_t>(value) < pos_)
        throw EStreamError("end offset out of range");
    return static_cast<std::size_t>(value);
}

std::vector<std::string> lossNames(const std::vector<std::string>& names,
                                   const std::string& prefix) {
    std::vector<std::string> out;
    out.reserve(names.size());
    for (const std::string& name : names)
        out.push_back(name.empty() ? std::string("报表") : prefix + name);
    return out;
}

namespace {

std::string listed(const std::vector<std::string>& names) {
    std::string list;
    for (const std::string& name : names)
        list += (list.empty() ? "" : "，") + name;
    return list;
}

} // namespace

std::string cutTextsMessage(const std::vector<std::string>& names) {
    return "文字超过 65535 字节，文件保存不下，未保存: " + listed(names);
}

std::string replacedCharactersMessage(const std::vector<std::string>& names) {
    return "已保存；GBK 不能表示的字符存为 \"?\": " + listed(names);
}

std::string joinLines(const TRMStrings& lines) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            text += "\r\n";
        text += lines[i];
    }
    return text;
}

TRMStrings splitLines(std::string_view text) {
    TRMStrings lines;
    if (text.empty())
        return lines;
    std::string current;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(std::move(current));
            current.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            current += c;
        }
    }
    // A final line break does not add an empty line (as a text list behaves).
    if (!current.empty() || (text.back() != '\r' && text.back() != '\n'))
        lines.push_back(std::move(current));
    return lines;
}

} // namespace report
