#include "report/engine/model/RMStream.h"

#include <gtest/gtest.h>

using report::EStreamError;
using report::RMStream;

namespace {

std::string bytes(std::initializer_list<int> list) {
    std::string out;
    for (int b : list)
        out += static_cast<char>(b);
    return out;
}

} // namespace

TEST(RMStream, NumbersAreLittleEndianAndBooleansAsStored) {
    RMStream s;
    s.writeInt16(0x1234);
    s.writeInt32(-2);
    s.writeBool16(true);
    s.writeBool(true);
    EXPECT_EQ(s.bytes(), bytes({0x34, 0x12, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x01}));
    s.seek(0);
    EXPECT_EQ(s.readInt16(), 0x1234);
    EXPECT_EQ(s.readInt32(), -2);
    EXPECT_TRUE(s.readBool16());
    EXPECT_TRUE(s.readBool());
    EXPECT_TRUE(s.atEnd());
}

TEST(RMStream, StringIsGbkWithLengthAndTrailingZero) {
    RMStream s;
    s.writeString("核算");
    EXPECT_EQ(s.bytes(), bytes({4, 0, 0xBA, 0xCB, 0xCB, 0xE3, 0}));
    s.seek(0);
    EXPECT_EQ(s.readString(), "核算");
}

TEST(RMStream, StringListEncodings) {
    struct Case {
        report::TRMStrings lines;
        std::string encoded;
    };
    const Case cases[] = {
        {{}, bytes({0, 0, 0})},
        {{""}, bytes({1, 0, 0, 0, 0})},
        {{"ab", "c"}, bytes({2, 0, 2, 0, 'a', 'b', 13, 1, 0, 'c', 0})},
        {{"", ""}, bytes({2, 0, 0, 0, 13, 0, 0, 0})},
    };
    for (const Case& c : cases) {
        RMStream s;
        s.writeStrings(c.lines);
        EXPECT_EQ(s.bytes(), c.encoded);
        s.seek(0);
        EXPECT_EQ(s.readStrings(), c.lines);
        EXPECT_TRUE(s.atEnd());
    }
}

TEST(RMStream, ReaderIgnoresTheStoredCount) {
    // Count says 5 but the separators say two lines.
    RMStream s(bytes({5, 0, 1, 0, 'x', 13, 1, 0, 'y', 0, 0x77}));
    EXPECT_EQ(s.readStrings(), (report::TRMStrings{"x", "y"}));
    EXPECT_EQ(s.readByte(), 0x77);
}

TEST(RMStream, DamagedInputThrowsWithoutReadingPastTheEnd) {
    RMStream shortString(bytes({5, 0, 'a'}));
    EXPECT_THROW(shortString.readString(), EStreamError);
    const std::string damaged[] = {
        bytes({1, 0, 0xFF, 0xFF, 'a'}), // line length beyond the end
        bytes({1, 0, 1, 0, 'a', 7}),    // bad separator
        bytes({1, 0, 1, 0, 'a', 13}),   // list cut after a separator
        bytes({0, 0}),                  // empty list without its terminator
    };
    for (const std::string& d : damaged) {
        RMStream s(d);
        EXPECT_THROW(s.readStrings(), EStreamError) << d.size();
    }
    RMStream s(bytes({1, 2, 3}));
    EXPECT_THROW(s.readInt32(), EStreamError);
    EXPECT_EQ(s.position(), 0u);
    EXPECT_THROW(s.seek(4), EStreamError);
    RMStream offsets(bytes({100, 0, 0, 0}));
    EXPECT_THROW(offsets.readEndOffset(0), EStreamError);
    RMStream negative(bytes({0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_THROW(negative.readEndOffset(0), EStreamError);
}

TEST(RMStream, EndOffsetIsPatchedAtTheSlot) {
    RMStream s;
    s.writeByte(9);
    const std::size_t slot = s.beginEndOffset();
    s.writeBytes("abc");
    s.patchEndOffset(slot);
    EXPECT_EQ(s.bytes(), bytes({9, 8, 0, 0, 0, 'a', 'b', 'c'}));
    s.seek(1);
    EXPECT_EQ(s.readEndOffset(0), 8u);
}

TEST(RMStream, OverlongTextIsCutOnACharacterBoundary) {
    std::string text;
    text += "a";
    for (int i = 0; i < 40000; ++i)
        text += "中";
    RMStream s;
    s.writeString(text);
    s.seek(0);
    const std::uint16_t length = s.readUInt16();
    EXPECT_EQ(length, 65535u); // 'a' + 32767 double-byte characters
    s.seek(0);
    const std::string back = s.readString();
    EXPECT_EQ(back.substr(0, 4), "a中");
    EXPECT_EQ(back.find("\xEF\xBF\xBD"), std::string::npos); // no broken character
}

TEST(RMStream, SplitAndJoinLines) {
    EXPECT_EQ(report::splitLines("a\r\nb\nc\rd"), (report::TRMStrings{"a", "b", "c", "d"}));
    EXPECT_EQ(report::splitLines("a\r\n"), (report::TRMStrings{"a"}));
    EXPECT_EQ(report::splitLines(""), report::TRMStrings{});
    EXPECT_EQ(report::joinLines({"x", "y"}), "x\r\ny");
}

TEST(RMStream, PackedStreamsKeepTheirBytesAndUnpackWhenUsed) {
    RMStream s;
    for (int i = 0; i < 200; ++i)
        s.writeString("核算单位" + std::to_string(i % 7));
    const std::string bytes = s.bytes();
    const std::uint64_t revision = s.revision();
    s.pack();
    ASSERT_TRUE(s.packed());
    EXPECT_LT(s.heldBytes(), bytes.size() / 4);
    EXPECT_EQ(s.contents(), bytes);
    EXPECT_TRUE(s.packed()) << "contents() reads without unpacking";
    EXPECT_EQ(s.revision(), revision);
    s.seek(0);
    EXPECT_FALSE(s.packed());
    EXPECT_EQ(s.readString(), "核算单位0");
    s.pack();
    s.seek(s.size());
    s.writeByte(7);
    EXPECT_EQ(s.bytes(), bytes + '\x07');
    RMStream small;
    small.writeByte(1);
    small.pack();
    EXPECT_FALSE(small.packed()) << "a few bytes are not worth packing";
}
