// Data packet decoder and the client dataset over it: any byte string is either refused
// with EDataPacketError or decodes to a packet that encodes to bytes decoding to the same
// packet, and a dataset over it walks every record and field.

#include "fuzz/FuzzSupport.h"
#include "platform/ClientDataSet.h"
#include "platform/DataPacket.h"

#include <cstdlib>

namespace {

QByteArray packetBytes(const platform::DataPacket& packet) {
    const platform::ByteArray bytes = platform::encodeDataPacket(packet);
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzzsupport::initialize(argc, argv);
    using platform::DataPacket;
    fuzzsupport::writeSeeds(
        "FUZZ_SEEDS",
        {{"empty.pkt", packetBytes(DataPacket{})},
         {"fields_only.pkt", packetBytes(DataPacket{{"code", "name"}, {}})},
         {"archive.pkt", packetBytes(DataPacket{{"hsdw_code", "hsdw_name", "hsdw_parent"},
                                                {{"01", "总公司", std::nullopt},
                                                 {"0101", "北京分公司", "01"},
                                                 {"0102", "上海分公司  ", std::string("01")}}})}});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    platform::DataPacket packet;
    try {
        packet = platform::decodeDataPacket(std::span<const std::uint8_t>(data, size));
    } catch (const platform::EDataPacketError&) {
        return 0;
    }
    for (const auto& row : packet.rows)
        if (row.size() != packet.fields.size())
            std::abort();
    const platform::ByteArray encoded = platform::encodeDataPacket(packet);
    const platform::DataPacket again = platform::decodeDataPacket(encoded);
    if (again.fields != packet.fields || again.rows != packet.rows)
        std::abort();

    platform::TClientDataSet dataset("fuzz");
    try {
        dataset.setData(std::move(packet));
    } catch (const platform::EDataPacketError&) {
        return 0; // e.g. two fields of the same name
    }
    for (dataset.First(); !dataset.Eof(); dataset.Next())
        for (int i = 0; i < dataset.FieldCount(); ++i)
            (void)dataset.Fields(i).AsString();
    return 0;
}
