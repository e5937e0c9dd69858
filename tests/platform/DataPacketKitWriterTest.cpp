// The hosts' header-only packet writer (platform/datapacket_writer.h) against the plug-in's
// own encoder and reader: the same bytes for the same result, and refused what the reader
// refuses.

#include "platform/DataPacket.h"
#include "platform/Dispatch.h"
#include "platform/datapacket_writer.h"

#include <gtest/gtest.h>

extern "C" int cstyle_packet_write(PlatformVariant* out);

using platform::DataPacket;

namespace {

// Writes `packet` cell by cell; the writer's result.
int write(const DataPacket& packet, PlatformVariant& out) {
    HsdwPacketWriter w;
    hsdw_packet_begin(&w, static_cast<uint32_t>(packet.fields.size()));
    for (const std::string& name : packet.fields)
        hsdw_packet_add_field(&w, name.data(), name.size());
    for (const platform::DataPacketRow& row : packet.rows)
        for (const platform::DataPacketValue& cell : row) {
            if (cell)
                hsdw_packet_add_text(&w, cell->data(), cell->size());
            else
                hsdw_packet_add_null(&w);
        }
    return hsdw_packet_finish(&w, &out);
}

platform::ByteArray bytesOf(const PlatformVariant& v) {
    EXPECT_EQ(v.type, PV_BYTES);
    return {v.value.bytes.data, v.value.bytes.data + v.value.bytes.length};
}

TEST(DataPacketKitWriter, WritesTheBytesOfThePluginsEncoder) {
    DataPacket archive;
    archive.fields = {"f_Hsdwh", "f_Hsdwmc", "", "f_Hsdwh"};
    archive.rows = {{"0001", "集团总部  ", std::nullopt, ""},
                    {"0002", std::string("含\0零", 7), "𝄞", std::nullopt}};
    // Enough rows to grow the buffer many times.
    for (int i = 0; i < 5000; ++i)
        archive.rows.push_back({std::to_string(i), "分公司" + std::to_string(i), std::nullopt, ""});
    DataPacket none; // no fields, no rows: what a statement without a result gives
    DataPacket noRows;
    noRows.fields = {"f_zymc"};

    for (const DataPacket* packet : {&archive, &none, &noRows}) {
        platform::PlatformVariantHolder out;
        ASSERT_EQ(write(*packet, *out.get()), HSDW_PACKET_OK);
        const platform::ByteArray bytes = bytesOf(*out.get());
        EXPECT_EQ(bytes, platform::encodeDataPacket(*packet));
        const DataPacket read = platform::decodeDataPacket(bytes);
        EXPECT_EQ(read.fields, packet->fields);
        EXPECT_EQ(read.rows, packet->rows);
    }

    // From C, handed over as the PV_BYTES variant a host puts into the by-reference argument.
    platform::PlatformVariantHolder fromC;
    ASSERT_EQ(cstyle_packet_write(fromC.get()), HSDW_PACKET_OK);
    const DataPacket read = platform::decodeDataPacket(platform::fromPlatformVariant(*fromC.get()));
    EXPECT_EQ(read.fields, (std::vector<std::string>{"f_Hsdwh", "f_Hsdwmc"}));
    EXPECT_EQ(read.rows,
              (std::vector<platform::DataPacketRow>{{"0001", "集团总部"}, {"0002", std::nullopt}}));
}

TEST(DataPacketKitWriter, RefusesWhatTheReaderRefusesAndStopsThere) {
    const std::string notUtf8[] = {
        "\xC0\x80",         // overlong
        "\xED\xA0\x80",     // surrogate
        "\xF4\x90\x80\x80", // above U+10FFFF
        "\xE4\xB8",         // cut short
        "\xFF",
    };
    for (const std::string& bad : notUtf8) {
        DataPacket asCell;
        asCell.fields = {"f"};
        asCell.rows = {{bad}};
        DataPacket asName;
        asName.fields = {bad};
        for (const DataPacket* packet : {&asCell, &asName}) {
            EXPECT_THROW(platform::encodeDataPacket(*packet), platform::EDataPacketError);
            platform::PlatformVariantHolder out(platform::Variant("untouched"));
            EXPECT_EQ(write(*packet, *out.get()), HSDW_PACKET_NOT_UTF8);
            EXPECT_EQ(out.get()->type, PV_STRING) << "a failed packet leaves the target alone";
        }
    }

    // The first failure sticks: later good cells change nothing.
    HsdwPacketWriter w;
    ASSERT_EQ(hsdw_packet_begin(&w, 1), HSDW_PACKET_OK);
    EXPECT_EQ(hsdw_packet_add_text(&w, "x", 1), HSDW_PACKET_WRONG_ORDER) << "before the name";
    EXPECT_EQ(hsdw_packet_add_field(&w, "f", 1), HSDW_PACKET_WRONG_ORDER);
    EXPECT_EQ(hsdw_packet_add_null(&w), HSDW_PACKET_WRONG_ORDER);
    PlatformVariant out;
    platform_variant_init(&out);
    EXPECT_EQ(hsdw_packet_finish(&w, &out), HSDW_PACKET_WRONG_ORDER);
    EXPECT_EQ(out.type, PV_EMPTY);
    EXPECT_EQ(w.data, nullptr) << "a failed finish frees the buffer";

    // Names and rows must come out whole.
    ASSERT_EQ(hsdw_packet_begin(&w, 2), HSDW_PACKET_OK);
    hsdw_packet_add_field(&w, "a", 1);
    EXPECT_EQ(hsdw_packet_finish(&w, &out), HSDW_PACKET_WRONG_ORDER) << "a name missing";
    ASSERT_EQ(hsdw_packet_begin(&w, 2), HSDW_PACKET_OK);
    hsdw_packet_add_field(&w, "a", 1);
    hsdw_packet_add_field(&w, "b", 1);
    EXPECT_EQ(hsdw_packet_add_field(&w, "c", 1), HSDW_PACKET_WRONG_ORDER) << "a name too many";
    hsdw_packet_discard(&w); // begin takes an empty writer: the failed one still holds its bytes
    ASSERT_EQ(hsdw_packet_begin(&w, 2), HSDW_PACKET_OK);
    hsdw_packet_add_field(&w, "a", 1);
    hsdw_packet_add_field(&w, "b", 1);
    hsdw_packet_add_text(&w, "1", 1);
    hsdw_packet_add_text(&w, "2", 1);
    hsdw_packet_add_text(&w, "3", 1);
    EXPECT_EQ(hsdw_packet_row_count(&w), 1u);
    EXPECT_EQ(hsdw_packet_finish(&w, &out), HSDW_PACKET_WRONG_ORDER) << "a row cut short";
    ASSERT_EQ(hsdw_packet_begin(&w, 0), HSDW_PACKET_OK);
    EXPECT_EQ(hsdw_packet_add_null(&w), HSDW_PACKET_WRONG_ORDER) << "a cell without fields";
    hsdw_packet_discard(&w);

    EXPECT_EQ(hsdw_packet_begin(&w, HSDW_PACKET_MAX_FIELDS + 1), HSDW_PACKET_TOO_LARGE);
    EXPECT_EQ(hsdw_packet_finish(&w, &out), HSDW_PACKET_TOO_LARGE);
    EXPECT_EQ(out.type, PV_EMPTY);
}

} // namespace
