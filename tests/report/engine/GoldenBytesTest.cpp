// The stream formats checked against bytes written by hand from the format's description
// (tests/data/golden/*.hex), not against our own writer: the reader must read each fixture
// to the objects it describes, and the writer must write those objects to the same bytes.

#include "platform/MessageBox.h"
#include "report/engine/model/RMBandView.h"
#include "report/engine/model/RMEMFPages.h"
#include "report/engine/model/RMMemoView.h"
#include "report/engine/model/RMReport.h"
#include "tests/support/TestSupport.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace report;

namespace {

// Reads an annotated fixture: hexadecimal byte pairs, "text" for ASCII bytes, # comments.
std::string readFixture(const char* name) {
    QFile file(testsupport::dataPath(QStringLiteral("golden/") + QString::fromLatin1(name)));
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "fixture missing: " << file.fileName().toStdString();
        return {};
    }
    const std::string text = file.readAll().toStdString();
    std::string out;
    std::size_t i = 0;
    auto hexValue = [](char c) {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        return -1;
    };
    while (i < text.size()) {
        const char c = text[i];
        if (c == '#') {
            i = text.find('\n', i);
            if (i == std::string::npos)
                break;
        } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            ++i;
        } else if (c == '"') {
            const std::size_t close = text.find('"', i + 1);
            if (close == std::string::npos) {
                ADD_FAILURE() << name << ": unterminated text at " << i;
                return {};
            }
            out += text.substr(i + 1, close - i - 1);
            i = close + 1;
        } else {
            const int high = hexValue(c);
            const int low = i + 1 < text.size() ? hexValue(text[i + 1]) : -1;
            if (high < 0 || low < 0) {
                ADD_FAILURE() << name << ": not a byte at " << i;
                return {};
            }
            out += static_cast<char>(high * 16 + low);
            i += 2;
        }
    }
    return out;
}

TRMFrameLine frame(bool visible, std::uint8_t style, TColor color, float width) {
    TRMFrameLine line;
    line.Visible = visible;
    line.Style = style;
    line.Color = color;
    line.Width = width;
    return line;
}

// What memo_record.hex describes.
TRMMemoView describedMemo() {
    TRMMemoView m;
    m.Name = "Memo1";
    m.Left = 20;
    m.Top = 8;
    m.Width = 150;
    m.Height = 24;
    m.Flags = flag::Wordwrap | flag::HideZeros | flag::PrintFrame | flag::PrintVisible;
    m.Flags2 = flag2::ScaleFontSize;
    m.LeftFrame = frame(true, psSolid, clBlack, 1.0f);
    m.TopFrame = frame(false, psSolid, clBlack, 1.0f);
    m.RightFrame = frame(true, psDash, 0x0000FF, 0.5f);
    m.BottomFrame = frame(true, psSolid, 0xFF0000, 2.0f);
    m.GapX = 2;
    m.GapY = 1;
    m.FillColor = clNone;
    m.DisplayFormat = '.' + 512;
    m.Memo = {"[Units.Code]", "核算"};
    m.OnAfterPrint = {""};
    m.Restrictions = 0x10;
    m.Tag = "u";
    m.Font.Name = "宋体";
    m.Font.Size = 9;
    m.Font.Style = fontstyle::Bold;
    m.Font.Color = clBlack;
    m.Font.Charset = 134;
    m.Adjust = 2 | 8;
    m.HighlightAttr.FontStyle = fontstyle::Bold;
    m.HighlightAttr.FontColor = 0x0000FF;
    m.HighlightAttr.FillColor = clWhite;
    m.Highlight = "Value > 0";
    m.LineSpacing = 2;
    return m;
}

// What band_record.hex describes.
TRMBandView describedBand() {
    TRMBandView b;
    b.Name = "MasterData1";
    b.Top = 60;
    b.Width = 718;
    b.Height = 24;
    b.Flags = bandflag::Stretched | bandflag::OnFirstPage | bandflag::OnLastPage |
              bandflag::PrintColFirst;
    b.setBandType(rmbtMasterData);
    b.DisplayFormatText = "Units";
    b.Tag = "[Units.Code] = ''";
    b.ChildBand = "Child1";
    b.ColumnGap = 20;
    b.Columns = 2;
    b.ColumnWidth = 300;
    b.LinesPerPage = 40;
    b.RangeBegin = rbFirst;
    b.RangeEnd = reCount;
    b.RangeEndCount = 10;
    return b;
}

// The memo on the page of prepared_page.hex, as preparation leaves it before writing.
TRMMemoView describedPreparedMemo() {
    TRMMemoView m;
    m.Name = "Memo1";
    m.Left = 77;
    m.Top = 100;
    m.Width = 150;
    m.Height = 24;
    m.Flags = flag::Wordwrap | flag::HideZeros | flag::PrintFrame | flag::PrintVisible;
    for (TRMFrameLine* side : {&m.LeftFrame, &m.TopFrame, &m.RightFrame, &m.BottomFrame})
        *side = frame(true, psSolid, clBlack, 1.0f);
    m.FillColor = clWhite;
    m.Memo1 = {"核算单位"};
    return m;
}

void expectSameView(const TRMView& got, const TRMView& want) {
    EXPECT_EQ(got.Name, want.Name);
    EXPECT_EQ(got.Version1, want.Version1);
    EXPECT_EQ(got.Version2, want.Version2);
    EXPECT_EQ(got.Left, want.Left);
    EXPECT_EQ(got.Top, want.Top);
    EXPECT_EQ(got.Width, want.Width);
    EXPECT_EQ(got.Height, want.Height);
    EXPECT_EQ(got.Flags, want.Flags);
    EXPECT_EQ(got.Flags2, want.Flags2);
    EXPECT_EQ(got.LeftFrame, want.LeftFrame);
    EXPECT_EQ(got.TopFrame, want.TopFrame);
    EXPECT_EQ(got.RightFrame, want.RightFrame);
    EXPECT_EQ(got.BottomFrame, want.BottomFrame);
    EXPECT_EQ(got.BandType, want.BandType);
    EXPECT_EQ(got.GapX, want.GapX);
    EXPECT_EQ(got.GapY, want.GapY);
    EXPECT_EQ(got.FillColor, want.FillColor);
    EXPECT_EQ(got.BandAlign, want.BandAlign);
    EXPECT_EQ(got.Restrictions, want.Restrictions);
    EXPECT_EQ(got.Tag, want.Tag);
}

void expectSameTemplateView(const TRMView& got, const TRMView& want) {
    expectSameView(got, want);
    EXPECT_EQ(got.DisplayFormat, want.DisplayFormat);
    EXPECT_EQ(got.DisplayFormatText, want.DisplayFormatText);
    EXPECT_EQ(got.Memo, want.Memo);
    EXPECT_EQ(got.OnBeforePrint, want.OnBeforePrint);
    EXPECT_EQ(got.OnAfterPrint, want.OnAfterPrint);
    EXPECT_EQ(got.Visible, want.Visible);
}

void expectSameMemoPart(const TRMMemoView& got, const TRMMemoView& want) {
    EXPECT_EQ(got.Font, want.Font);
    EXPECT_EQ(got.Adjust, want.Adjust);
    EXPECT_EQ(got.CharSpacing, want.CharSpacing);
    EXPECT_EQ(got.LineSpacing, want.LineSpacing);
    EXPECT_EQ(got.RotationType, want.RotationType);
    EXPECT_EQ(got.ScaleFontType, want.ScaleFontType);
    EXPECT_EQ(got.FontScaleWidth, want.FontScaleWidth);
    EXPECT_EQ(got.MasterMemoView, want.MasterMemoView);
}

} // namespace

TEST(GoldenBytes, MemoRecordReadsAndWritesAsWrittenByHand) {
    const std::string golden = readFixture("memo_record.hex");
    ASSERT_EQ(golden.size(), 194u);

    RMStream in(golden);
    TRMMemoView read;
    read.LoadFromStream(in);
    EXPECT_TRUE(in.atEnd()) << "record read to " << in.position();
    const TRMMemoView want = describedMemo();
    expectSameTemplateView(read, want);
    expectSameMemoPart(read, want);
    EXPECT_EQ(read.HighlightAttr, want.HighlightAttr);
    EXPECT_EQ(read.Highlight, want.Highlight);

    RMStream out;
    want.SaveToStream(out);
    EXPECT_EQ(out.bytes(), golden);
}

TEST(GoldenBytes, BandRecordReadsAndWritesAsWrittenByHand) {
    const std::string golden = readFixture("band_record.hex");
    ASSERT_EQ(golden.size(), 170u);

    RMStream in(golden);
    TRMBandView read;
    read.LoadFromStream(in);
    EXPECT_TRUE(in.atEnd()) << "record read to " << in.position();
    const TRMBandView want = describedBand();
    expectSameTemplateView(read, want);
    EXPECT_EQ(read.bandType(), rmbtMasterData);
    EXPECT_EQ(read.DataSource(), "Units");
    EXPECT_EQ(read.NewPageCondition(), "[Units.Code] = ''");
    EXPECT_EQ(read.ChildBand, want.ChildBand);
    EXPECT_EQ(read.ColumnGap, want.ColumnGap);
    EXPECT_EQ(read.Columns, want.Columns);
    EXPECT_EQ(read.ColumnWidth, want.ColumnWidth);
    EXPECT_EQ(read.Master, want.Master);
    EXPECT_EQ(read.LinesPerPage, want.LinesPerPage);
    EXPECT_EQ(read.RangeBegin, want.RangeBegin);
    EXPECT_EQ(read.RangeEnd, want.RangeEnd);
    EXPECT_EQ(read.RangeEndCount, want.RangeEndCount);

    RMStream out;
    want.SaveToStream(out);
    EXPECT_EQ(out.bytes(), golden);
}

TEST(GoldenBytes, PreparedPageReadsAndWritesAsWrittenByHand) {
    platform::ScriptedMessageBoxes boxes;
    const std::string golden = readFixture("prepared_page.hex");
    ASSERT_EQ(golden.size(), 249u);

    TRMReport read;
    RMStream in(golden);
    std::string error;
    ASSERT_TRUE(read.EMFPages.LoadFromStream(in, &error)) << error;
    EXPECT_FALSE(read.EMFPages.Taoda);
    EXPECT_EQ(read.EMFPages.PrinterName, "Virtual Printer");
    EXPECT_EQ(read.EMFPages.BackgroundCount(), 0);
    ASSERT_EQ(read.EMFPages.Count(), 1);
    const TRMEMFPage& page = *read.EMFPages[0];
    EXPECT_EQ(page.PaperSize, 9);
    EXPECT_EQ(page.PaperWidth, 2100);
    EXPECT_EQ(page.PaperHeight, 2970);
    EXPECT_EQ(page.Orientation, poPortrait);
    EXPECT_EQ(page.Bin, -1);
    EXPECT_EQ(page.LeftMargin, 57);
    EXPECT_EQ(page.TopMargin, 76);
    EXPECT_EQ(page.RightMargin, 57);
    EXPECT_EQ(page.BottomMargin, 76);
    const std::unique_ptr<TRMPage> views = read.EMFPages.LoadPageViews(0);
    ASSERT_NE(views, nullptr);
    ASSERT_EQ(views->Objects().size(), 1u);
    const auto* memo = dynamic_cast<const TRMMemoView*>(views->Objects().front().get());
    ASSERT_NE(memo, nullptr);
    const TRMMemoView want = describedPreparedMemo();
    EXPECT_EQ(memo->StreamMode, smPrepared);
    expectSameView(*memo, want);
    expectSameMemoPart(*memo, want);
    // A view read from a prepared page keeps its evaluated text in Memo.
    EXPECT_EQ(memo->Memo, want.Memo1);

    TRMReport written;
    TRMPage templatePage;
    TRMEMFPage& out = *written.EMFPages.AddPage(templatePage);
    out.PaperSize = 9;
    out.PaperWidth = 2100;
    out.PaperHeight = 2970;
    out.Orientation = poPortrait;
    out.Bin = -1;
    out.LeftMargin = out.RightMargin = 57;
    out.TopMargin = out.BottomMargin = 76;
    TRMEMFPages::WriteView(out.Stream, want);
    ASSERT_TRUE(currentPrinter().selectPrinter("Virtual Printer"));
    RMStream file;
    written.EMFPages.SaveToStream(file);
    EXPECT_EQ(file.bytes(), golden);
}
