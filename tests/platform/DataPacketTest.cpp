#include "platform/DataPacket.h"

#include <gtest/gtest.h>
#include <random>

using platform::ByteArray;
using platform::DataPacket;
using platform::DataPacketWriter;
using platform::EDataPacketError;

namespace {

DataPacket sample() {
    DataPacket packet;
    packet.fields = {"f_Hsdwh", "f_Hsdwmc", ""};
    packet.rows = {{"0001", "总部  ", std::nullopt},
                   {"0002", std::string("含\0零", 7), ""},
                   {std::nullopt, std::nullopt, "x"}};
    return packet;
}

std::string decodeError(const ByteArray& bytes) {
    try {
        platform::decodeDataPacket(bytes);
    } catch (const EDataPacketError& error) {
        return error.what();
    }
    return "accepted";
}

void putU32(ByteArray& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + std::size_t(i)] = std::uint8_t(value >> (8 * i));
}

TEST(DataPacketTest, RoundTripKeepsFieldsRowsNullsAndBlanks) {
    DataPacket packet = sample();
    DataPacket decoded = platform::decodeDataPacket(platform::dataPacketVariant(packet));
    EXPECT_EQ(decoded.fields, packet.fields);
    EXPECT_EQ(decoded.rows, packet.rows);

    DataPacket empty;
    empty.fields = {"a"};
    decoded = platform::decodeDataPacket(platform::encodeDataPacket(empty));
    EXPECT_EQ(decoded.fields, empty.fields);
    EXPECT_TRUE(decoded.rows.empty());
    EXPECT_TRUE(
        platform::decodeDataPacket(platform::encodeDataPacket(DataPacket{})).fields.empty());
}

TEST(DataPacketTest, WriterProducesTheSameBytes) {
    DataPacket packet = sample();
    DataPacketWriter writer(packet.fields);
    for (const auto& row : packet.rows)
        writer.addRow(row);
    EXPECT_THROW(writer.addRow({"only one"}), EDataPacketError);
    EXPECT_THROW(writer.addRow({"a", "\xff", "b"}), EDataPacketError);
    EXPECT_EQ(writer.rowCount(), 3u); // refused rows left nothing behind
    EXPECT_EQ(writer.finish(), platform::encodeDataPacket(packet));
    EXPECT_EQ(writer.rowCount(), 0u);
}

TEST(DataPacketTest, EncoderRefusesInconsistentPackets) {
    DataPacket packet = sample();
    packet.rows[1].pop_back();
    EXPECT_THROW(platform::encodeDataPacket(packet), EDataPacketError);
    DataPacket noFields;
    noFields.rows = {{}};
    EXPECT_THROW(platform::encodeDataPacket(noFields), EDataPacketError);
    DataPacket badName;
    badName.fields = {"\xc0\x80"}; // overlong encoding
    EXPECT_THROW(platform::encodeDataPacket(badName), EDataPacketError);
}

TEST(DataPacketTest, DamagedPacketsAreRejectedWithAReason) {
    const ByteArray good = platform::encodeDataPacket(sample());
    // Every truncation fails cleanly.
    for (std::size_t length = 0; length < good.size(); ++length) {
        ByteArray cut(good.begin(), good.begin() + std::ptrdiff_t(length));
        EXPECT_THROW(platform::decodeDataPacket(cut), EDataPacketError) << length;
    }
    ByteArray extra = good;
    extra.push_back(0);
    EXPECT_NE(decodeError(extra).find("多余"), std::string::npos);

    ByteArray magic = good;
    magic[0] = 'X';
    EXPECT_EQ(decodeError(magic), "数据包格式无法识别");
    ByteArray version = good;
    version[4] = 9;
    EXPECT_NE(decodeError(version).find("版本"), std::string::npos);

    // Counts far beyond the packet's size are refused before anything is allocated.
    ByteArray hugeRows = good;
    putU32(hugeRows, 12, 0xFFFFFFFFu);
    EXPECT_NE(decodeError(hugeRows).find("行数"), std::string::npos);
    ByteArray hugeFields = good;
    putU32(hugeFields, 8, 0x7FFFFFFFu);
    EXPECT_NE(decodeError(hugeFields).find("字段个数"), std::string::npos);
    ByteArray hugeText = good;
    putU32(hugeText, 16, 0xFFFFFFF0u); // first field name's length
    EXPECT_NE(decodeError(hugeText).find("提前结束"), std::string::npos);

    ByteArray badTag = good;
    // First cell tag follows the header and the three names.
    std::size_t firstCell = 16 + 4 + 7 + 4 + 8 + 4;
    ASSERT_EQ(badTag[firstCell], 1);
    badTag[firstCell] = 7;
    EXPECT_NE(decodeError(badTag).find("值类型"), std::string::npos);

    ByteArray badUtf8 = good;
    badUtf8[20] = 0xFF; // inside "f_Hsdwh"
    EXPECT_NE(decodeError(badUtf8).find("UTF-8"), std::string::npos);

    EXPECT_THROW(platform::decodeDataPacket(platform::Variant("not bytes")), EDataPacketError);
    EXPECT_THROW(platform::decodeDataPacket(platform::Variant(platform::null)), EDataPacketError);
}

TEST(DataPacketTest, RandomCorruptionNeverCrashes) {
    const ByteArray good = platform::encodeDataPacket(sample());
    std::mt19937 random(20261209);
    int accepted = 0;
    for (int round = 0; round < 3000; ++round) {
        ByteArray bytes = good;
        int flips = 1 + int(random() % 4);
        for (int i = 0; i < flips; ++i)
            bytes[random() % bytes.size()] = std::uint8_t(random());
        try {
            DataPacket packet = platform::decodeDataPacket(bytes);
            for (const auto& row : packet.rows)
                ASSERT_EQ(row.size(), packet.fields.size());
            ++accepted;
        } catch (const EDataPacketError&) {
        }
    }
    EXPECT_LT(accepted, 3000); // most corruptions are caught
}

} // namespace
