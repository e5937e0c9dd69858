#pragma once

// Data packets: how query results travel from the host to a client dataset, as a byte
// array in a Variant. Named fields, rows of text-or-null values. The byte format is
// described in docs/datapacket.md.
//
// The decoder checks everything it reads: a damaged or hostile packet is rejected with
// EDataPacketError, never read out of bounds, and never makes it allocate more than a
// small multiple of the packet's own size.

#include "platform/Variant.h"

#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class EDataPacketError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One cell: text, or no value (SQL null).
using DataPacketValue = std::optional<std::string>;
using DataPacketRow = std::vector<DataPacketValue>;

// A decoded packet. Invariant (kept by the encoder and checked by the decoder): every row
// has exactly fields.size() values; all texts are valid UTF-8.
struct DataPacket {
    std::vector<std::string> fields;
    std::vector<DataPacketRow> rows;
};

// Whether `text` is strict UTF-8 (no overlongs, no surrogates, nothing above U+10FFFF), as
// every text of a packet must be.
bool isValidUtf8(std::string_view text);

// Encodes `packet`. EDataPacketError when a row's width differs from the field count or a
// text is not valid UTF-8.
ByteArray encodeDataPacket(const DataPacket& packet);
// The packet as the Variant the host hands back (a byte array).
Variant dataPacketVariant(const DataPacket& packet);

// Decodes a packet; EDataPacketError (Chinese text) on anything malformed.
DataPacket decodeDataPacket(std::span<const std::uint8_t> bytes);
DataPacket decodeDataPacket(const ByteArray& bytes);
// Same, from a Variant that must hold a byte array.
DataPacket decodeDataPacket(const Variant& packet);

// Builds a packet row by row without holding a DataPacket (the host's query loop).
class DataPacketWriter {
public:
    explicit DataPacketWriter(std::vector<std::string> fields);
    // EDataPacketError when the width differs from the field count or a text is not UTF-8.
    void addRow(const DataPacketRow& row);
    std::size_t rowCount() const { return rowCount_; }
    // The finished packet; the writer is then empty (fields kept, no rows).
    ByteArray finish();

private:
    std::vector<std::string> fields_;
    ByteArray body_; // encoded rows so far
    std::uint64_t rowCount_ = 0;
};

} // namespace platform
