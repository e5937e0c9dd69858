#include "SampleReport.h"

#include "report/engine/model/RMBandView.h"
#include "report/engine/model/RMCalcMemoView.h"
#include "report/engine/model/RMGraphicViews.h"
#include "report/engine/model/RMMemoView.h"

using namespace report;

namespace testsample {

void fillSampleReport(TRMReport& report) {
    report.ReportInfo.Strings = {"核算单位档案", "作者", "", "备注", "x"};
    report.PrintOffsetLeft = 3;
    report.PrintOffsetTop = -2;
    report.Taoda = true;
    report.DoublePass = true;
    TRMPage* page = report.Pages.Add();
    page->Script = {"begin", "end"};
    page->BackGround = {TRMPicture::Bitmap, "BM fake bitmap"};
    TRMPage* second = report.Pages.Add();
    second->ChangePaper(9, 2100, 2970, -1, poLandscape);

    auto band = std::make_unique<TRMBandView>();
    band->Name = "MasterData1";
    band->setBandType(rmbtMasterData);
    band->DisplayFormatText = "frmArchive.cdsMain";
    band->SetBounds(0, 100, 700, 24);
    page->addView(std::move(band));

    auto memo = std::make_unique<TRMMemoView>();
    memo->Name = "Memo1";
    memo->Memo = {"[Title]", "第[Page#]页", ""};
    memo->Font = {"宋体", 9, fontstyle::Bold, 0xFF, 134};
    memo->setFrameTyp(15);
    memo->SetBounds(10, 100, 200, 24);
    memo->Highlight = "[VALUE] < 0";
    memo->OnBeforePrint = {"Memo1.Visible := True"};
    page->addView(std::move(memo));

    auto calc = std::make_unique<TRMCalcMemoView>();
    calc->Name = "CalcMemo1";
    calc->DataBand = "MasterData1";
    page->addView(std::move(calc));
    auto money = std::make_unique<TRMMoneyView>();
    money->Name = "MoneyMemo1";
    page->addView(std::move(money));
    auto diagonal = std::make_unique<TRMDiagonalView>();
    diagonal->Name = "Diagonal1";
    diagonal->Memo = {"项目;金额"};
    page->addView(std::move(diagonal));
    auto picture = std::make_unique<TRMPictureView>();
    picture->Name = "Picture1";
    picture->Picture = {TRMPicture::Jpeg, std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF rest", 15)};
    page->addView(std::move(picture));
    auto line = std::make_unique<TRMLineView>();
    line->Name = "Line1";
    page->addView(std::move(line));
    auto shape = std::make_unique<TRMShapeView>();
    shape->Name = "Shape1";
    page->addView(std::move(shape));
    auto check = std::make_unique<TRMCheckBoxView>();
    check->Name = "Check1";
    page->addView(std::move(check));
    auto rich = std::make_unique<TRMRichView>();
    rich->Name = "Rich1";
    rich->RichText = "{\\rtf1\\ansi 核算}";
    page->addView(std::move(rich));
    auto sub = std::make_unique<TRMSubReportView>();
    sub->Name = "SubReport1";
    sub->SubPage = 1;
    page->addView(std::move(sub));
    auto region = std::make_unique<TRMRegionView>();
    region->Name = "Region1";
    second->addView(std::move(region));

    report.Dictionary.Variables = {{" 分类", ""}, {"Total", "2 * 21"}};
    report.Dictionary.FieldAliases = {{"单位", "cdsMain.f_Hsdwmc"}};
}

std::string sampleTemplateBytes() {
    TRMReport report;
    fillSampleReport(report);
    RMStream stream;
    report.SaveToStream(stream);
    return stream.takeBytes();
}

std::string samplePreparedBytes() {
    TRMReport report;
    fillSampleReport(report);
    report.EMFPages.AddBackground(*report.Pages[0]);
    for (int p = 0; p < 2; ++p) {
        TRMEMFPage* page = report.EMFPages.AddPage(*report.Pages[p]);
        for (const auto& view : report.Pages[p]->Objects()) {
            view->Memo1 = view->Memo;
            TRMEMFPages::WriteView(page->Stream, *view);
        }
    }
    RMStream stream;
    report.EMFPages.Taoda = report.Taoda; // as SavePreparedReport records it
    report.EMFPages.SaveToStream(stream);
    return stream.takeBytes();
}

} // namespace testsample
