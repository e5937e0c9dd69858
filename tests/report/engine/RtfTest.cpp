// Rich text: the archive's caption texts, code pages and escapes, font and colour tables,
// paragraphs and character formats, skipped destinations, writing and reading back, and
// damaged text.

#include "RichTextSupport.h"
#include "report/engine/layout/RMRtfReader.h"
#include "report/engine/layout/RMRtfWriter.h"
#include "tests/report/engine/ArchiveCaptions.h"
#include "tests/support/TestSupport.h"

#include <QFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextFragment>

#include <gtest/gtest.h>

using report::rtf::readRtf;
using report::rtf::writeRtf;
using testrich::describe;

namespace {

// The archive window's header, footer and column-footer captions as the rich-edit control
// saved them (lines joined with CR LF, as the caption's lines are); the corpus keeps the
// same bytes as samples.
std::string caption(const char* name, std::string_view text) {
    QFile file(testsupport::dataPath(QStringLiteral("report/r_archive_%1.rtf").arg(name)));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    EXPECT_EQ(file.readAll().toStdString(), text) << "corpus sample differs from " << name;
    return std::string(text);
}

std::string read(const std::string& rtf) {
    QTextDocument doc;
    std::string error;
    EXPECT_TRUE(readRtf(rtf, doc, &error)) << error;
    return describe(doc);
}

// The text as stored: paragraphs joined with line feeds, line breaks and hard blanks kept.
QString plainText(const std::string& rtf) {
    QTextDocument doc;
    EXPECT_TRUE(readRtf(rtf, doc));
    return doc.toRawText().replace(QChar::ParagraphSeparator, u'\n');
}

// Writes, reads back and writes again: the document and the bytes must not change.
void expectRoundTrip(const QTextDocument& doc) {
    const std::string first = writeRtf(doc);
    QTextDocument again;
    ASSERT_TRUE(readRtf(first, again)) << first;
    EXPECT_EQ(describe(again), describe(doc)) << first;
    EXPECT_EQ(writeRtf(again), first);
}

} // namespace

TEST(Rtf, ArchiveCaptionsLoadWithTheirParagraphsAndFonts) {
    const std::string header = caption("header", report::ArchivePageHeaderCaption);
    const std::string footer = caption("footer", report::ArchivePageFooterCaption);
    const std::string columnFooter = caption("column_footer", report::ArchiveColumnFooterCaption);
    EXPECT_EQ(read(header), "C \"[Title]\"<黑体 22> |黑体 22\n"
                            "R \"" +
                                std::string(32, ' ') + "\"<黑体 8 fg#000000> |黑体 8 fg#000000\n");
    // One empty 9-point paragraph: its height comes from the block's own format.
    EXPECT_EQ(read(footer), "L |宋体 9\n");
    EXPECT_EQ(read(columnFooter),
              "L \"打印日期:[Date]  打印时间:[Time]          \"<宋体 9> |宋体 9\n"
              "L \"操 作 员:[Oper]  \"<宋体 9> |宋体 9\n"
              "L \"页    数:第[Page#]页/共[TotalPages#]页\"<宋体 9> |MS Sans Serif 8.5\n");

    for (const std::string* text : {&header, &footer, &columnFooter}) {
        QTextDocument doc;
        ASSERT_TRUE(readRtf(*text, doc));
        expectRoundTrip(doc);
    }
}

TEST(Rtf, GbkTextFromEscapesAndRawBytes) {
    // A double-byte character split over two escapes, raw GBK bytes, and both mixed.
    EXPECT_EQ(plainText("{\\rtf1\\ansi\\ansicpg936 \\'ba\\'cb\\'cb\\'e3}"), QString("核算"));
    EXPECT_EQ(plainText("{\\rtf1 \xba\xcb\\'cb\xe3}"), QString("核算"));
    // An unknown word between lead and trail byte does not split the character.
    EXPECT_EQ(plainText("{\\rtf1 \\'ba\\lang2052\\'cb}"), QString("核"));
    // A lead byte without its trail byte stands for nothing readable.
    EXPECT_EQ(plainText("{\\rtf1 A\\'ba}"), QString("A\uFFFD"));
    // Without \ansicpg the system's code page (936) applies; \ansicpg1252 reads Latin text.
    EXPECT_EQ(plainText("{\\rtf1\\ansi \\'b5\\'a5}"), QString("单"));
    EXPECT_EQ(plainText("{\\rtf1\\ansi\\ansicpg1252 caf\\'e9}"), QString("café"));
}

TEST(Rtf, UnicodeEscapesSkipTheirFallback) {
    EXPECT_EQ(plainText("{\\rtf1\\uc1 \\u26680?\\u31639?}"), QString("核算"));
    // Negative values count from 65536; a pair of surrogates forms one character.
    EXPECT_EQ(plainText("{\\rtf1 \\u-4064?}"), QString(QChar(0xF020)));
    EXPECT_EQ(plainText("{\\rtf1 \\u-10179?\\u-8704?}"), QString::fromUtf8("\U0001F600"));
    // Two fallback bytes as escapes; \uc0 has none; the count is restored after a group.
    EXPECT_EQ(plainText("{\\rtf1\\uc2 \\u26680\\'ba\\'cbX}"), QString("核X"));
    EXPECT_EQ(plainText("{\\rtf1\\uc0 \\u26680 X}"), QString("核X"));
    EXPECT_EQ(plainText("{\\rtf1\\uc1{\\uc3 \\u26680abcX}\\u31639?Y}"), QString("核X算Y"));
    // A group boundary ends the fallback early.
    EXPECT_EQ(plainText("{\\rtf1\\uc5 \\u26680a{b}cdefgh}"), QString("核bcdefgh"));
}

TEST(Rtf, FontAndColourTables) {
    // Each font's character set decides how its bytes read: 134 GBK, 0 Western, 204 Cyrillic.
    const std::string rtf =
        "{\\rtf1\\ansi\\ansicpg936\\deff1{\\fonttbl\\f0\\fswiss\\fcharset0 Arial;"
        "\\f1\\fnil\\fcharset134 \\'cb\\'ce\\'cc\\'e5;{\\f2\\fcharset204 Courier"
        "{\\*\\falt Courier New};}}"
        "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green128\\blue255;}"
        "\\'b5\\'a5\\f0\\'e9\\f2\\'c0\\cf1 R\\cf2 B\\cf0 A\\cf9 X\\highlight1 H}";
    EXPECT_EQ(read(rtf), "L \"单\"<宋体 12> \"é\"<Arial 12> \"А\"<Courier 12>"
                         " \"R\"<Courier 12 fg#ff0000> \"B\"<Courier 12 fg#0080ff>"
                         " \"AX\"<Courier 12> \"H\"<Courier 12 bg#ff0000>"
                         " |Courier 12 bg#ff0000\n");
    // A font number not in the table keeps the document's code page and no face.
    EXPECT_EQ(read("{\\rtf1{\\fonttbl{\\f0\\fcharset0 Arial;}}\\f7\\'b5\\'a5}"),
              "L \"单\"< 12> | 12\n");
}

TEST(Rtf, ParagraphsAlignmentAndBreaks) {
    EXPECT_EQ(read("{\\rtf1 \\ql L\\par\\qr R\\par\\pard\\qc C\\par\\qj J\\par\\pard P}"),
              "L \"L\"< 12> | 12\nR \"R\"< 12> | 12\nC \"C\"< 12> | 12\nJ \"J\"< 12> | 12\n"
              "L \"P\"< 12> | 12\n");
    // Paragraph properties count at the paragraph's end; a group's alignment ends with it.
    EXPECT_EQ(read("{\\rtf1 {\\qc A}\\par B\\qr\\par}"), "L \"A\"< 12> | 12\nR \"B\"< 12> | 12\n");
    // A final \par starts no empty paragraph; two in a row leave an empty one between.
    EXPECT_EQ(plainText("{\\rtf1 A\\par}"), QString("A"));
    EXPECT_EQ(plainText("{\\rtf1 A\\par\\par B}"), QString("A\n\nB"));
    EXPECT_EQ(plainText("{\\rtf1 A\\line B\\tab C\\\r\nD}"), QString("A\u2028B\tC\nD"));
    QTextDocument doc;
    ASSERT_TRUE(readRtf("{\\rtf1 A\\line B}", doc));
    EXPECT_EQ(doc.blockCount(), 1);
    EXPECT_EQ(doc.begin().text(), QString("A\u2028B"));
}

TEST(Rtf, CharacterFormatsFollowGroupsAndPlain) {
    EXPECT_EQ(
        read("{\\rtf1 \\b B{\\i I\\ul U}\\strike S\\b0 N\\plain P\\fs21 H{\\super 2}{\\sub 3}}"),
        "L \"B\"< 12 b> \"I\"< 12 b i> \"U\"< 12 b i u> \"S\"< 12 b s> \"N\"< 12 s>"
        " \"P\"< 12> \"H\"< 10.5> \"2\"< 10.5 sup> \"3\"< 10.5 sub> | 10.5\n");
    EXPECT_EQ(read("{\\rtf1 \\ul A\\ul0 B\\uldb C\\ulnone D}"),
              "L \"A\"< 12 u> \"B\"< 12> \"C\"< 12 u> \"D\"< 12> | 12\n");
}

TEST(Rtf, UnknownWordsAndDestinationsAreSkipped) {
    const std::string rtf =
        "{\\rtf1{\\stylesheet{\\s0 Normal;}}{\\info{\\title T}}{\\*\\generator G;}"
        "\\viewkind4\\madeupword12 A{\\*\\unknowndest hidden {nested}}"
        "{\\pict\\wmetafile8\\bin6 }{}{\\ 0102}B"
        "{\\field{\\*\\fldinst PAGE}{\\fldrslt 7}}{\\v secret}C\\~D\\-E\\_F}";
    EXPECT_EQ(plainText(rtf), QString("AB7C\u00A0DE\u2011F"));
    // Escaped braces and backslashes are text.
    EXPECT_EQ(plainText("{\\rtf1 \\{a\\\\b\\}}"), QString("{a\\b}"));
}

TEST(Rtf, WrittenDocumentsReadBackUnchanged) {
    QTextDocument doc;
    QTextCursor cursor(&doc);
    QTextCharFormat song;
    song.setFontFamilies({QStringLiteral("宋体")});
    song.setFontPointSize(10.5);
    QTextCharFormat bold = song;
    bold.setFontWeight(QFont::Bold);
    bold.setForeground(QColor(200, 0, 0));
    QTextCharFormat latin;
    latin.setFontFamilies({QStringLiteral("MS Sans Serif")});
    latin.setFontPointSize(8);
    latin.setFontItalic(true);
    latin.setBackground(QColor(255, 255, 0));
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    cursor.setBlockFormat(centred);
    cursor.setBlockCharFormat(song);
    cursor.insertText(QStringLiteral("核算单位档案 café ü € "), song);
    cursor.insertText(QStringLiteral("{重要}\\"), bold);
    QTextBlockFormat right;
    right.setAlignment(Qt::AlignRight);
    cursor.insertBlock(right, latin);
    cursor.insertText(QStringLiteral("Page\t1\u2028 😀"), latin);
    cursor.insertBlock(QTextBlockFormat(), song); // an empty paragraph keeps its format

    const std::string rtf = writeRtf(doc);
    // Chinese faces are GBK fonts named in GBK; Latin faces stay Western.
    EXPECT_NE(rtf.find("\\fcharset134 \\'cb\\'ce\\'cc\\'e5;"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("\\fcharset0 MS Sans Serif;"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("\\'ba\\'cb\\'cb\\'e3"), std::string::npos) << rtf; // 核算
    EXPECT_NE(rtf.find("\\u-10179?\\u-8704?"), std::string::npos) << rtf;  // outside GBK
    EXPECT_NE(rtf.find("\\{"), std::string::npos);
    expectRoundTrip(doc);

    QTextDocument back;
    ASSERT_TRUE(readRtf(rtf, back));
    EXPECT_EQ(back.toPlainText(), doc.toPlainText());
    EXPECT_EQ(back.blockCount(), 3);
}

TEST(Rtf, DamagedTextNeverCrashesOrRunsAway) {
    QTextDocument doc;
    std::string error;
    EXPECT_FALSE(readRtf("plain words", doc, &error));
    EXPECT_EQ(error, "不是RTF格式的文本");
    EXPECT_TRUE(doc.isEmpty());

    // Nesting: the limit is accepted, one group deeper is refused and leaves nothing.
    const int limit = report::rtf::kMaxGroupDepth;
    const std::string ok =
        "{\\rtf1 " + std::string(limit - 1, '{') + "deep" + std::string(limit, '}');
    EXPECT_EQ(plainText(ok), QString("deep"));
    ASSERT_TRUE(readRtf("{\\rtf1 before", doc));
    EXPECT_FALSE(readRtf("{\\rtf1 x" + std::string(limit, '{') + "deep", doc, &error));
    EXPECT_EQ(error, "RTF文本的分组嵌套过深");
    EXPECT_TRUE(doc.isEmpty());

    // Cut short: what was read stays; text after the document's end is ignored.
    EXPECT_EQ(plainText("{\\rtf1 {\\b open groups\\par more"), QString("open groups\nmore"));
    EXPECT_EQ(plainText("{\\rtf1 A} trailing"), QString("A"));
    // \bin cannot skip past the end; bad escapes and huge numbers are harmless.
    EXPECT_EQ(plainText("{\\rtf1 A\\bin2147483647 BCD}"), QString("A"));
    EXPECT_EQ(plainText("{\\rtf1 A\\bin-5 B}"), QString("AB"));
    EXPECT_EQ(plainText("{\\rtf1 \\'zzA\\'4"), QString("zzA"));
    EXPECT_EQ(read("{\\rtf1 \\fs999999999999999999 A\\fs-40 B\\f-99999999999 C\\u99999999999?D}"),
              "L \"ABC\uFFFDD\"< 1638> | 1638\n");
    EXPECT_EQ(plainText("{\\rtf1 \\" + std::string(100000, 'x') + " A\\"), QString("A"));
    EXPECT_EQ(plainText("{\\rtf1{\\fonttbl{\\f2147483647\\fcharset99999 ;\\f-1;}}"
                        "{\\colortbl\\red999\\green-1;}\\cf1 A\\f2147483647 B}"),
              QString("AB"));
}
