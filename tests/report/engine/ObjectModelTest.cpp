#include "report/engine/model/RMBandView.h"
#include "report/engine/model/RMCalcMemoView.h"
#include "report/engine/model/RMGraphicViews.h"
#include "report/engine/model/RMMemoView.h"
#include "report/engine/model/RMPage.h"
#include "report/engine/model/RMUnits.h"
#include "report/engine/model/RMViewFactory.h"

#include <gtest/gtest.h>

using namespace report;
using platform::Variant;

namespace {

// Writes a view, reads it back into a fresh one of the same type and writes that again.
std::string roundTrip(const TRMView& view, std::uint8_t mode) {
    RMStream first;
    auto copy = view.clone();
    copy->StreamMode = mode;
    copy->SaveToStream(first);
    auto back = createView(view.ObjectType, view.ClassName());
    back->StreamMode = mode;
    first.seek(0);
    back->LoadFromStream(first);
    EXPECT_TRUE(first.atEnd()) << view.ClassName();
    RMStream second;
    back->SaveToStream(second);
    EXPECT_EQ(first.bytes(), second.bytes()) << view.ClassName();
    return first.takeBytes();
}

} // namespace

TEST(ObjectModel, DefaultsOfViews) {
    TRMMemoView memo;
    EXPECT_EQ(memo.ObjectType, gtMemo);
    EXPECT_EQ(memo.BaseName, "Memo");
    EXPECT_TRUE(memo.flag(flag::HideZeros));
    EXPECT_TRUE(memo.flag(flag::PrintFrame));
    EXPECT_TRUE(memo.flag(flag::PrintVisible));
    EXPECT_EQ(memo.DisplayFormat, 0x22E);
    EXPECT_EQ(memo.FillColor, clNone);
    EXPECT_EQ(memo.GapX, 2);
    EXPECT_EQ(memo.Font.Name, "Arial");
    EXPECT_EQ(memo.Font.Size, 10);
    EXPECT_EQ(memo.LineSpacing, 2);
    EXPECT_EQ(memo.HighlightAttr.FillColor, clWhite);

    TRMBandView band;
    // Band flags reuse the bits: PrintColFirst is the PrintFrame bit of other views.
    EXPECT_EQ(band.Flags, bandflag::OnFirstPage | bandflag::OnLastPage | bandflag::PrintColFirst);
    EXPECT_TRUE(band.flag(bandflag::OnFirstPage));
    EXPECT_TRUE(band.flag(bandflag::OnLastPage));
    EXPECT_TRUE(band.flag(bandflag::PrintColFirst));
    EXPECT_EQ(band.DisplayFormat, 0);
    EXPECT_EQ(band.ColumnWidth, 200);
    EXPECT_EQ(band.RangeEnd, reDefault);

    TRMLineView line;
    EXPECT_TRUE(line.LeftFrame.Visible);
    EXPECT_EQ(line.FillColor, clWhite);
    TRMPictureView picture;
    EXPECT_TRUE(picture.flag(TRMPictureView::Stretched));
    EXPECT_TRUE(picture.flag(TRMPictureView::KeepAspect));
    TRMMoneyView money;
    EXPECT_EQ(money.DigitCount, 12);
    EXPECT_EQ(money.MoneySymbol, "￥");
}

TEST(ObjectModel, FlagRules) {
    TRMMemoView memo;
    memo.setFlag2(flag2::ScaleFontSize, true);
    memo.setWordBreak(true);
    EXPECT_FALSE(memo.flag2(flag2::ScaleFontSize));
    memo.setFlag2(flag2::ScaleFontSize, true);
    memo.setAutoWidth(true);
    EXPECT_FALSE(memo.flag2(flag2::ScaleFontSize));

    TRMBandView header;
    header.setBandType(rmbtPageHeader);
    header.setBandFlag(bandflag::RepeatHeader1, true);
    EXPECT_TRUE(header.flag(bandflag::RepeatHeader));
    TRMBandView data;
    data.setBandType(rmbtMasterData);
    data.setBandFlag(bandflag::RepeatHeader1, true);
    EXPECT_FALSE(data.flag(bandflag::RepeatHeader));

    memo.setFrameTyp(1 | 8);
    EXPECT_TRUE(memo.RightFrame.Visible);
    EXPECT_TRUE(memo.TopFrame.Visible);
    EXPECT_FALSE(memo.LeftFrame.Visible);
    EXPECT_EQ(memo.FrameTyp(), 9);
}

TEST(ObjectModel, NamedProperties) {
    TRMMemoView memo;
    EXPECT_TRUE(memo.SetPropValue("left", 15));
    EXPECT_TRUE(memo.SetPropValue("MEMO", "a\r\nb"));
    EXPECT_TRUE(memo.SetPropValue("FrameWidth", 2.5));
    EXPECT_TRUE(memo.SetPropValue("FontSize", 12));
    EXPECT_TRUE(memo.SetPropValue("WordWrap", true));
    EXPECT_FALSE(memo.SetPropValue("NoSuchThing", 1));
    EXPECT_EQ(memo.Left, 15);
    EXPECT_EQ(memo.Memo, (TRMStrings{"a", "b"}));
    EXPECT_FLOAT_EQ(memo.BottomFrame.Width, 2.5f);
    EXPECT_TRUE(memo.flag(flag::Wordwrap));
    Variant v;
    ASSERT_TRUE(memo.GetPropValue("Font.Size", v));
    EXPECT_EQ(v.toInt(), 12);
    ASSERT_TRUE(memo.GetPropValue("memo", v));
    EXPECT_EQ(v.toString(), "a\r\nb");
    EXPECT_THROW(memo.SetPropValue("Left", "abc"), platform::EVariantError);

    TRMMoneyView money;
    EXPECT_TRUE(money.SetPropValue(" 数字位数", 10));
    EXPECT_EQ(money.DigitCount, 10);
}

TEST(ObjectModel, EveryViewRecordRoundTrips) {
    TRMMemoView memo;
    memo.Name = "Memo1";
    memo.Memo = {"[Title]", "核算单位"};
    memo.Font = {"宋体", 9, fontstyle::Bold, 0x0000FF, 134};
    memo.Highlight = "Value > 0";
    memo.LeftFrame = {true, psDash, 0x123456, 1.5f};
    memo.SetBounds(1, 2, 300, 40);
    TRMCalcMemoView calc;
    calc.DataBand = "MasterData1";
    calc.Filter = "x > 1";
    calc.DBCalcType = rmdcAvg;
    TRMMoneyView money;
    money.TitleMode = true;
    TRMDiagonalView diagonal;
    diagonal.LineWidth = 3;
    TRMBandView band;
    band.setBandType(rmbtMasterData);
    band.DisplayFormatText = "Form1.cds";
    band.Master = "Band1";
    TRMSubReportView sub;
    sub.SubPage = 2;
    TRMPictureView picture;
    picture.Picture = {TRMPicture::Jpeg, std::string("\xFF\xD8\xFF\xE0 jpeg bytes", 15)};
    picture.BlobType = 1;
    TRMLineView line;
    TRMShapeView shape;
    shape.Shape = TRMShapeView::skEllipse;
    TRMCheckBoxView check;
    check.CheckStyle = TRMCheckBoxView::csCheck;
    TRMRichView rich;
    rich.RichText = "{\\rtf1 abc}";
    TRMRegionView region;
    const TRMView* views[] = {&memo,    &calc, &money, &diagonal, &band, &sub,
                              &picture, &line, &shape, &check,    &rich, &region};
    for (const TRMView* view : views) {
        roundTrip(*view, smTemplate);
        roundTrip(*view, smPrepared);
    }
    // The memo fields survive the trip.
    RMStream s;
    memo.SaveToStream(s);
    s.seek(0);
    TRMMemoView back;
    back.LoadFromStream(s);
    EXPECT_EQ(back.Name, "Memo1");
    EXPECT_EQ(back.Memo, memo.Memo);
    EXPECT_EQ(back.Font, memo.Font);
    EXPECT_EQ(back.LeftFrame, memo.LeftFrame);
    EXPECT_EQ(back.Highlight, "Value > 0");
    EXPECT_EQ(back.Version2, 12);
}

TEST(ObjectModel, CommonRecordLayout) {
    TRMView view;
    view.Name = "V";
    view.StreamMode = smPrepared;
    view.Memo1 = {"x"};
    RMStream s;
    view.SaveToStream(s);
    // name(4) + versions(2) + geometry(16) + flags(2) + flags2(4) + frames(40) + bandtype(2)
    // + gaps(8) + fill(4) + align(1) + Memo1 (2+2+1+1) + restrictions(2) + tag(3)
    EXPECT_EQ(s.size(), 4u + 2 + 16 + 2 + 4 + 40 + 2 + 8 + 4 + 1 + 6 + 2 + 3);
    EXPECT_EQ(static_cast<unsigned char>(s.bytes()[4]), 10u);
    EXPECT_EQ(static_cast<unsigned char>(s.bytes()[5]), 0u);
}

TEST(ObjectModel, FactoryAndAddInRegistry) {
    EXPECT_EQ(createView(gtMemo, "")->ClassName(), "TRMMemoView");
    EXPECT_EQ(createView(gtMoneyView, "")->ClassName(), "TRMMoneyView");
    EXPECT_EQ(createView(6, ""), nullptr);
    EXPECT_EQ(createView(9, ""), nullptr);
    EXPECT_EQ(createView(11, ""), nullptr);
    EXPECT_EQ(createView(gtAddIn, "trmshapeview")->ClassName(), "TRMShapeView");
    TRMClassNotFoundLog log;
    EXPECT_THROW(createView(gtAddIn, "TRMChartView", &log), EClassNotFound);
    EXPECT_THROW(createView(gtAddIn, "TRMGaugeView", &log), EClassNotFound);
    EXPECT_TRUE(log.found);
    EXPECT_EQ(log.message, "TRMChartView\rTRMGaugeView\r");
    registerAddInView("TRMChartView", [] { return std::make_unique<TRMRegionView>(); });
    EXPECT_NE(createView(gtAddIn, "TRMChartView"), nullptr);
    unregisterAddInView("TRMChartView");
    EXPECT_FALSE(isAddInViewRegistered("TRMChartView"));
}

TEST(ObjectModel, PageNamesAndUniqueViewNames) {
    TRMPages pages;
    EXPECT_EQ(pages.Add()->Name, "Page1");
    EXPECT_EQ(pages.Add()->Name, "Page2");
    pages.Delete(0);
    EXPECT_EQ(pages.Add()->Name, "Page1");
    TRMPage* page = pages[0];
    auto memo = std::make_unique<TRMMemoView>();
    memo->Name = "Memo1";
    page->addView(std::move(memo));
    auto other = std::make_unique<TRMMemoView>();
    other->Name = "Memo3";
    pages[1]->addView(std::move(other));
    EXPECT_EQ(pages.makeUniqueName("Memo"), "Memo2");
    EXPECT_EQ(pages.FindObject("memo3")->Name, "Memo3");
    EXPECT_EQ(page->FindObject("MEMO1")->Name, "Memo1");
    EXPECT_EQ(page->FindObject("nothing"), nullptr);
}

TEST(ObjectModel, MarginSettersMoveViews) {
    setScreenPixelsPerInch(96, 96);
    TRMPage page;
    page.addView(std::make_unique<TRMMemoView>())->SetBounds(100, 100, 10, 10);
    TRMView* view = page.Objects()[0].get();
    const int before = marginToPixels(15000);
    page.setLeftMargin(25000);
    EXPECT_EQ(view->Left, 100 + marginToPixels(25000) - before);
    EXPECT_EQ(page.LeftMargin, 25000);
    page.setTopMargin(20000); // unchanged: nothing moves
    EXPECT_EQ(view->Top, 100);
    page.setRightMargin(1000);
    EXPECT_EQ(view->Left, 100 + marginToPixels(25000) - before);

    page.IsSubReport = true;
    const int left = view->Left;
    page.setLeftMargin(5000);
    EXPECT_EQ(page.LeftMargin, 25000);
    EXPECT_EQ(view->Left, left);
    page.setMarginsInPixels({10, 20, 30, 40});
    EXPECT_EQ(view->Left, left); // horizontal move skipped on a subreport page
    EXPECT_EQ(view->Top, 100 + 20 - marginToPixels(20000));
    EXPECT_EQ(page.marginsInPixels(), (TRMPage::PixelRect{10, 20, 30, 40}));
    EXPECT_EQ(page.LeftMargin, pixelsToMargin(10));
}

TEST(ObjectModel, UnitsAndPaper) {
    setScreenPixelsPerInch(96, 96);
    EXPECT_NEAR(RMToScreenPixels(25.4, rmutMillimeters), 96.0, 0.01);
    EXPECT_DOUBLE_EQ(RMToScreenPixels(2, rmutInches), 192.0);
    EXPECT_DOUBLE_EQ(RMToScreenPixels(7, rmutScreenPixels), 7.0);
    EXPECT_NEAR(RMFromScreenPixels(96, rmutMillimeters), 25.4, 0.01);
    EXPECT_EQ(marginToPixels(15000), 57);
    EXPECT_EQ(convertOldUnit(18), 19); // 18 × 50 ÷ 18 = 50; 50 × 96 ÷ 254 = 18.9

    const TRMPaperInfo* a4 = findBuiltinPaper(9);
    ASSERT_NE(a4, nullptr);
    EXPECT_EQ(a4->width, 2100);
    EXPECT_EQ(a4->height, 2970);
    EXPECT_EQ(findBuiltinPaper(8)->height, 4200);
    EXPECT_EQ(findBuiltinPaper(1)->width, 2159);
    EXPECT_EQ(findBuiltinPaper(48), nullptr);
    EXPECT_EQ(builtinPapers().size(), 66u);

    TRMPage page;
    EXPECT_EQ(page.PageWidth, 210000);
    EXPECT_EQ(page.widthTenths(), 2100);
    EXPECT_EQ(page.PrinterInfo.paperWidth, 794);
    EXPECT_EQ(page.PrinterInfo.paperHeight, 1123);
    EXPECT_EQ(page.PrinterInfo.printableLeft, 18);
    EXPECT_EQ(page.PrinterInfo.printableWidth, 794 - 36);
    page.ChangePaper(9, 0, 0, -1, poLandscape);
    EXPECT_EQ(page.PageWidth, 297000);
    EXPECT_EQ(page.PrinterInfo.paperWidth, 1123);
    page.ChangePaper(rmCustomPaperSize, 1000, 500, -1, poPortrait);
    EXPECT_EQ(page.PageWidth, 100000);
    EXPECT_EQ(page.PageHeight, 50000);
}

TEST(ObjectModel, BandAndPaperNamesComeFromEngineTexts) {
    EXPECT_EQ(bandTypeName(rmbtReportTitle), "标题");
    EXPECT_EQ(bandTypeName(rmbtMasterData), "主项数据");
    EXPECT_EQ(bandTypeName(rmbtNone), "无");
    EXPECT_EQ(bandTypeName(23), "");
    EXPECT_TRUE(isCrossBand(rmbtCrossData));
    EXPECT_FALSE(isCrossBand(rmbtChild));
    EXPECT_EQ(paperName(rmCustomPaperSize), "自定义大小");
    EXPECT_FALSE(paperName(9).empty());
}

TEST(ObjectModel, ExtraPaperSizes) {
    const auto extra = extraPapers();
    ASSERT_EQ(extra.size(), 5u);
    EXPECT_EQ(extra[0].code, 800);
    EXPECT_EQ(extra[0].width, 1840);
    EXPECT_EQ(extra[3].width, 3778);
    EXPECT_EQ(paperName(800), "16开(18.4 x 26 厘米)");
    EXPECT_EQ(paperName(804), "窄行连续纸");
}

TEST(ObjectModel, ScriptMethods) {
    TRMMemoView memo;
    EXPECT_TRUE(memo.DoMethod("hide", {}));
    EXPECT_FALSE(memo.Visible);
    EXPECT_TRUE(memo.DoMethod("SHOW", {}));
    EXPECT_TRUE(memo.Visible);
    EXPECT_FALSE(memo.DoMethod("FLY", {}));
    TRMPage page;
    EXPECT_TRUE(page.DoMethod("ChangePaper",
                              {Variant(8), Variant(0), Variant(0), Variant(-1), Variant(1)}));
    EXPECT_EQ(page.Size, 8);
    EXPECT_EQ(page.PageWidth, 420000); // A3 landscape
    EXPECT_EQ(page.Orientation, poLandscape);
}
