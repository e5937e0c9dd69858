#include "platform/DataPacket.h"

#include <array>
#include <cstring>
#include <limits>

namespace platform {

namespace detail {
namespace {

constexpr std::array<std::uint8_t, 4> kMagic = {'Q', 'D', 'P', 'K'};
constexpr std::uint16_t kVersion = 1;
constexpr std::uint32_t kMaxFields = 65535;
constexpr std::uint8_t kNullCell = 0;
constexpr std::uint8_t kTextCell = 1;

void putU16(ByteArray& out, std::uint16_t v) {
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(v >> 8));
}

void putU32(ByteArray& out, std::uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(std::uint8_t(v >> shift));
}

void putText(ByteArray& out, std::string_view text, const char* what) {
    if (text.size() > std::numeric_limits<std::uint32_t>::max())
        throw EDataPacketError(std::string("数据包内容过长：") + what);
    if (!isValidUtf8(text))
        throw EDataPacketError(std::string("数据包文本不是有效的 UTF-8 编码：") + what);
    putU32(out, static_cast<std::uint32_t>(text.size()));
    out.insert(out.end(), text.begin(), text.end());
}

void encodeRow(ByteArray& out, const DataPacketRow& row, std::size_t fieldCount) {
    if (row.size() != fieldCount)
        throw EDataPacketError("数据行的值个数(" + std::to_string(row.size()) + ")与字段个数(" +
                               std::to_string(fieldCount) + ")不符");
    for (const auto& cell : row) {
        if (!cell) {
            out.push_back(kNullCell);
        } else {
            out.push_back(kTextCell);
            putText(out, *cell, "字段值");
        }
    }
}

ByteArray encodeHeader(const std::vector<std::string>& fields, std::uint64_t rowCount) {
    if (fields.size() > kMaxFields)
        throw EDataPacketError("数据包字段过多");
    if (rowCount > std::numeric_limits<std::uint32_t>::max())
        throw EDataPacketError("数据包行数过多");
    if (fields.empty() && rowCount != 0)
        throw EDataPacketError("没有字段的数据包不能有数据行");
    ByteArray out(kMagic.begin(), kMagic.end());
    putU16(out, kVersion);
    putU16(out, 0); // flags
    putU32(out, static_cast<std::uint32_t>(fields.size()));
    putU32(out, static_cast<std::uint32_t>(rowCount));
    for (const auto& name : fields)
        putText(out, name, "字段名");
    return out;
}

// Bounds-checked reading; every failure names what was being read.
class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> bytes)
        : bytes_(bytes) {}

    std::size_t remaining() const { return bytes_.size() - pos_; }

    void need(std::size_t count, const char* what) const {
        if (remaining() < count)
            fail(std::string("数据在") + what + "处提前结束");
    }
    std::uint8_t u8(const char* what) {
        need(1, what);
        return bytes_[pos_++];
    }
    std::uint16_t u16(const char* what) {
        need(2, what);
        std::uint16_t v = std::uint16_t(bytes_[pos_] | (bytes_[pos_ + 1] << 8));
        pos_ += 2;
        return v;
    }
    std::uint32_t u32(const char* what) {
        need(4, what);
        std::uint32_t v = 0;
        for (int k = 3; k >= 0; --k)
            v = (v << 8) | bytes_[pos_ + std::size_t(k)];
        pos_ += 4;
        return v;
    }
    std::string text(const char* what) {
        std::uint32_t length = u32(what);
        need(length, what);
        std::string value(reinterpret_cast<const char*>(bytes_.data() + pos_), length);
        pos_ += length;
        if (!isValidUtf8(value))
            fail(std::string(what) + "不是有效的 UTF-8 文本");
        return value;
    }
    [[noreturn]] void fail(const std::string& reason) const {
        throw EDataPacketError("数据包已损坏：" + reason + "(位置 " + std::to_string(pos_) + ")");
    }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
};

} // namespace
} // namespace detail

using namespace detail;

bool isValidUtf8(std::string_view text) {
    std::size_t i = 0;
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    while (i < n) {
        unsigned char c = s[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t length = 0;
        std::uint32_t cp = 0, min = 0;
        if ((c & 0xE0) == 0xC0) {
            length = 2, cp = c & 0x1F, min = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            length = 3, cp = c & 0x0F, min = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            length = 4, cp = c & 0x07, min = 0x10000;
        } else {
            return false;
        }
        if (n - i < length)
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            if ((s[i + k] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (s[i + k] & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

ByteArray encodeDataPacket(const DataPacket& packet) {
    ByteArray out = encodeHeader(packet.fields, packet.rows.size());
    std::size_t size = out.size();
    for (const auto& row : packet.rows) {
        for (const auto& cell : row)
            size += cell ? 5 + cell->size() : 1;
    }
    out.reserve(size);
    for (const auto& row : packet.rows)
        encodeRow(out, row, packet.fields.size());
    return out;
}

Variant dataPacketVariant(const DataPacket& packet) {
    return Variant(encodeDataPacket(packet));
}

DataPacket decodeDataPacket(std::span<const std::uint8_t> bytes) {
    Reader in(bytes);
    in.need(kMagic.size(), "文件头");
    if (std::memcmp(bytes.data(), kMagic.data(), kMagic.size()) != 0)
        throw EDataPacketError("数据包格式无法识别");
    for (std::size_t i = 0; i < kMagic.size(); ++i)
        in.u8("文件头");
    std::uint16_t version = in.u16("版本号");
    if (version != kVersion)
        throw EDataPacketError("不支持的数据包版本 " + std::to_string(version));
    std::uint16_t flags = in.u16("标志");
    if (flags != 0)
        in.fail("未知的标志 " + std::to_string(flags));
    std::uint32_t fieldCount = in.u32("字段个数");
    std::uint32_t rowCount = in.u32("行数");
    // Every field name takes at least 4 bytes and every cell at least 1, so the counts
    // are bounded by the packet's size before anything is allocated for them.
    if (fieldCount > kMaxFields || std::uint64_t(fieldCount) * 4 > in.remaining())
        in.fail("字段个数 " + std::to_string(fieldCount) + " 不合理");
    if (fieldCount == 0 && rowCount != 0)
        in.fail("没有字段却有 " + std::to_string(rowCount) + " 行");
    DataPacket packet;
    packet.fields.reserve(fieldCount);
    for (std::uint32_t i = 0; i < fieldCount; ++i)
        packet.fields.push_back(in.text("字段名"));
    if (std::uint64_t(rowCount) * fieldCount > in.remaining())
        in.fail("行数 " + std::to_string(rowCount) + " 不合理");
    packet.rows.reserve(rowCount);
    for (std::uint32_t r = 0; r < rowCount; ++r) {
        DataPacketRow row;
        row.reserve(fieldCount);
        for (std::uint32_t f = 0; f < fieldCount; ++f) {
            std::uint8_t tag = in.u8("字段值");
            if (tag == kNullCell)
                row.emplace_back(std::nullopt);
            else if (tag == kTextCell)
                row.emplace_back(in.text("字段值"));
            else
                in.fail("未知的值类型 " + std::to_string(tag));
        }
        packet.rows.push_back(std::move(row));
    }
    if (in.remaining() != 0)
        in.fail("末尾有多余的 " + std::to_string(in.remaining()) + " 字节");
    return packet;
}

DataPacket decodeDataPacket(const ByteArray& bytes) {
    return decodeDataPacket(std::span<const std::uint8_t>(bytes.data(), bytes.size()));
}

DataPacket decodeDataPacket(const Variant& packet) {
    if (!packet.isBytes())
        throw EDataPacketError("返回的数据不是数据包(类型 " + std::string(packet.typeName()) + ")");
    return decodeDataPacket(packet.bytesValue());
}

DataPacketWriter::DataPacketWriter(std::vector<std::string> fields)
    : fields_(std::move(fields)) {
    encodeHeader(fields_, 0); // validates the names now
}

void DataPacketWriter::addRow(const DataPacketRow& row) {
    if (fields_.empty())
        throw EDataPacketError("没有字段的数据包不能有数据行");
    std::size_t mark = body_.size();
    try {
        encodeRow(body_, row, fields_.size());
    } catch (...) {
        body_.resize(mark);
        throw;
    }
    ++rowCount_;
}

ByteArray DataPacketWriter::finish() {
    ByteArray out = encodeHeader(fields_, rowCount_);
    out.insert(out.end(), body_.begin(), body_.end());
    body_.clear();
    rowCount_ = 0;
    return out;
}

} // namespace platform
