#pragma once

// Byte stream of the report file formats: little-endian numbers, GBK strings with a
// uint16 length and a trailing 0, string lists with 13/0 separators. Every read is
// checked against the bytes present; a short or malformed stream throws EStreamError,
// never reads past the end and never allocates more than the stream holds.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace report {

using TRMStrings = std::vector<std::string>; // UTF-8 lines

class EStreamError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What writing could not keep as it was, by the name of the object whose texts they were
// (RMStream::setSubject; "" for the stream's own texts), each name once.
struct RMWriteLosses {
    // A text longer than its uint16 length holds (stored cut) or a list of more lines.
    std::vector<std::string> cut;
    // Characters GBK cannot hold (stored as "?").
    std::vector<std::string> replaced;
};

class RMStream {
public:
    RMStream() = default;
    explicit RMStream(std::string bytes)
        : buffer_(std::move(bytes)) {
        touch();
    }

    const std::string& bytes() const {
        if (isPacked_)
            unpack();
        return buffer_;
    }
    std::string takeBytes() {
        if (isPacked_)
            unpack();
        pos_ = 0;
        touch();
        return std::move(buffer_);
    }
    std::size_t size() const {
        if (isPacked_)
            unpack();
        return buffer_.size();
    }
    std::size_t position() const { return pos_; }
    // Changes with every write: two equal revisions mean equal bytes (caches compare it).
    std::uint64_t revision() const { return rev_; }
    std::size_t remaining() const { return size() - pos_; }
    bool atEnd() const { return pos_ >= size(); }
    // Positions past the end are refused: offsets read from files go through here.
    void seek(std::size_t position);
    void clear() {
        buffer_.clear();
        packedBytes_.clear();
        isPacked_ = false;
        pos_ = 0;
        losses_ = {};
        touch();
    }

    // Keeps the bytes compressed in memory until they are next read, written or asked for
    // (finished prepared pages are packed). The bytes and the revision do not change.
    void pack();
    bool packed() const { return isPacked_; }
    // The bytes, without unpacking a packed stream.
    std::string contents() const;
    // Memory the bytes take now (the compressed size of a packed stream).
    std::size_t heldBytes() const { return isPacked_ ? packedBytes_.size() : buffer_.size(); }

    // Writers overwrite at the position and extend the stream as needed.
    void writeByte(std::uint8_t value);
    void writeBool(bool value) { writeByte(value ? 1 : 0); }
    void writeInt16(std::int16_t value);
    void writeUInt16(std::uint16_t value) { writeInt16(static_cast<std::int16_t>(value)); }
    void writeBool16(bool value) { writeInt16(value ? -1 : 0); }
    void writeInt32(std::int32_t value);
    void writeBytes(std::string_view bytes);
    // UTF-8 text stored as GBK; longer texts are cut at 65535 bytes on a character boundary.
    // Both, and characters GBK cannot hold, are noted in losses() for the current subject.
    void writeString(std::string_view utf8);
    void writeStrings(const TRMStrings& lines);
    // The object whose texts are written from now on (a view's name; "" for none).
    void setSubject(std::string name) { subject_ = std::move(name); }
    const std::string& subject() const { return subject_; }
    const RMWriteLosses& losses() const { return losses_; }
    // Reserves an int32 for an absolute end offset; patchEndOffset fills it with the position.
    std::size_t beginEndOffset();
    void patchEndOffset(std::size_t slot);

    std::uint8_t readByte();
    bool readBool() { return readByte() != 0; }
    std::int16_t readInt16();
    std::uint16_t readUInt16() { return static_cast<std::uint16_t>(readInt16()); }
    bool readBool16() { return readInt16() != 0; }
    std::int32_t readInt32();
    // A position or distance in page pixels: kept within ±kMaxGeometry, about 280 m at 96
    // pixels an inch, so that sums and products of a few of them cannot overflow an int.
    static constexpr std::int32_t kMaxGeometry = 1 << 20;
    std::int32_t readGeometry();
    // A length in thousandths of a millimetre (paper, margins, gaps): within ±100 m.
    static constexpr std::int32_t kMaxLength = 100'000'000;
    std::int32_t readLength();
    std::string readBytes(std::size_t count);
    void skip(std::size_t count);
    std::string readString();
    TRMStrings readStrings();
    // An end offset read from the stream, checked to lie inside it, not before `from` and
    // not before the position after it.
    std::size_t readEndOffset(std::size_t from);

private:
    void need(std::size_t count) const;
    void touch();
    void unpack() const;
    // GBK bytes of `utf8`, at most 65535 of them; what was lost is noted.
    std::string storedText(std::string_view utf8);
    void noteLoss(std::vector<std::string>& list);

    mutable std::string buffer_;
    mutable std::string packedBytes_; // zlib form while packed
    mutable bool isPacked_ = false;
    std::size_t pos_ = 0; // invariant: pos_ <= buffer_.size()
    std::uint64_t rev_ = 0;
    std::string subject_;
    RMWriteLosses losses_;
};

// Why a file cannot be saved whole: texts of these objects are longer than their length
// field holds ("" names the file's own texts).
std::string cutTextsMessage(const std::vector<std::string>& names);
// What a caller shows after a save that wrote "?" for characters of these objects.
std::string replacedCharactersMessage(const std::vector<std::string>& names);
// The objects named in a list of losses: "" becomes "报表", others get `prefix` in front.
std::vector<std::string> lossNames(const std::vector<std::string>& names,
                                   const std::string& prefix = {});

// Encoding of a GBK string list as stored (helpers for memo text).
std::string joinLines(const TRMStrings& lines); // lines joined by CR LF
TRMStrings splitLines(std::string_view text);   // at CR LF, CR or LF

} // namespace report
