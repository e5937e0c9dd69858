// The archive window's form report: its settings, and the template it builds from the
// window (title row and every unit of the grid, header and footer bands).

#include "archive/ArchiveCaptions.h"
#include "grid/TAdvStringGrid.h"
#include "platform/Modal.h"
#include "report/engine/model/RMBandView.h"
#include "report/engine/model/RMDataset.h"
#include "report/engine/model/RMMemoView.h"
#include "report/engine/model/RMReport.h"
#include "report/engine/model/RMRichView.h"
#include "report/formreport/RMFormReport.h"
#include "report/preview/RMPreview.h"
#include "report/preview/RMPreviewForm.h"
#include "report/preview/RMPreviewSearch.h"
#include "tests/archive/ArchiveWindowFixture.h"

#include <QDir>
#include <QTest>

#include <stdexcept>

namespace archivetest {
namespace {

using namespace report;

class ArchiveReportTest : public ArchiveWindowTest {
protected:
    TRMFormReport& formReport() const { return *window->RMFormReport1; }
    TRMPage& page() const { return *formReport().ReportEngine().Pages[0]; }
    TRMBandView* band(int type) const {
        for (const auto& v : page().Objects())
            if (auto* b = dynamic_cast<TRMBandView*>(v.get()); b && b->bandType() == type)
                return b;
        return nullptr;
    }
    // The rich text of the caption views lying in band `b`.
    std::vector<std::string> captionsIn(const TRMBandView& b) const {
        std::vector<std::string> out;
        for (const auto& v : page().Objects())
            if (auto* rich = dynamic_cast<TRMRichView*>(v.get());
                rich && v->Top >= b.Top && v->Top < b.Top + std::max(b.Height, 1))
                out.push_back(rich->RichText);
        return out;
    }
    std::vector<std::string> textsIn(const TRMBandView& b) const {
        std::vector<std::string> out;
        for (const auto& v : page().Objects())
            if (dynamic_cast<TRMMemoView*>(v.get()) && v->Top >= b.Top &&
                v->Top < b.Top + std::max(b.Height, 1))
                out.push_back(v->Memo.empty() ? "" : v->Memo[0]);
        return out;
    }
};

TEST_F(ArchiveReportTest, SettingsOfTheArchiveReport) {
    open();
    const TRMFormReport& r = formReport();
    EXPECT_EQ(r.objectName(), "RMFormReport1");
    EXPECT_EQ(r.PrintControl, &grid());
    EXPECT_EQ(r.ReportOptions, (TRMGridReportOptions{rmgoStretch, rmgoWordWrap, rmgoGridLines}));
    const TRMPageLayout& l = window->RMFormReport1->PageLayout();
    EXPECT_EQ(l.LeftMargin, 38);
    EXPECT_EQ(l.BottomMargin, 38);
    EXPECT_EQ(l.Columns, 1);
    EXPECT_EQ(l.Width, 2100);
    EXPECT_EQ(l.Height, 2970);
    EXPECT_EQ(l.PrinterName, "默认打印机");
    EXPECT_TRUE(l.DoublePass);
    EXPECT_FALSE(l.PrintBackColor);
    EXPECT_EQ(r.PreviewButtons, 1 | 2 | 4 | 8 | 16 | 32 | 64 | 256);
    EXPECT_FALSE(r.ShowPrintDialog);
    EXPECT_TRUE(r.PageHeaderOnly1); // the footer prints
    EXPECT_EQ(window->RMFormReport1->GridFontOptions().Font.Height, -11);
    EXPECT_EQ(window->RMFormReport1->GridFontOptions().Font.Name, "MS Sans Serif");

    // The captions, their lines forming the RTF documents as the rich edit saved them.
    const auto lines = [](std::string_view rtf) {
        return std::string(rtf.substr(0, rtf.size() - 2)); // without the final line break
    };
    EXPECT_EQ(formReport().PageHeader().CaptionText(), lines(archive::ArchivePageHeaderCaption));
    EXPECT_EQ(formReport().PageFooter().CaptionText(), lines(archive::ArchivePageFooterCaption));
    EXPECT_EQ(formReport().ColumnFooter().CaptionText(),
              lines(archive::ArchiveColumnFooterCaption));
    EXPECT_EQ(formReport().PageHeader().Caption().size(), 5u);
    EXPECT_EQ(formReport().ColumnFooter().Caption().size(), 5u);
    EXPECT_EQ(formReport().PageHeader().Height(), 0);
    EXPECT_EQ(formReport().PageFooter().Height(), 0);
    EXPECT_EQ(formReport().ColumnFooter().Height(), 0);
}

TEST_F(ArchiveReportTest, TheTemplateHoldsTheTitleRowAndEveryUnit) {
    open();
    formReport().RebuildFromControls();
    ASSERT_EQ(formReport().ReportEngine().Pages.Count(), 1);
    TRMBandView* header = band(rmbtPageHeader);
    TRMBandView* master = band(rmbtMasterData);
    TRMBandView* columnFooter = band(rmbtColumnFooter);
    ASSERT_TRUE(header && master && columnFooter);
    EXPECT_TRUE(columnFooter->Visible);
    EXPECT_TRUE(band(rmbtPageFooter)->Visible);
    EXPECT_EQ(textsIn(*header), (std::vector<std::string>{"核算单位编码", "核算单位名称"}));
    EXPECT_EQ(textsIn(*master), (std::vector<std::string>{"", ""}));
    // The header caption heads the page header, the column footer's caption follows the
    // grid, the page footer's closes the page.
    ASSERT_EQ(captionsIn(*header).size(), 1u);
    EXPECT_NE(captionsIn(*header)[0].find("[Title]"), std::string::npos);
    ASSERT_EQ(captionsIn(*columnFooter).size(), 1u);
    EXPECT_NE(captionsIn(*columnFooter)[0].find("[TotalPages#]"), std::string::npos);
    EXPECT_EQ(captionsIn(*band(rmbtPageFooter)).size(), 1u);

    // The in-place editor is part of the grid: it prints no view of its own.
    int memos = 0;
    for (const auto& v : page().Objects())
        memos += dynamic_cast<TRMMemoView*>(v.get()) != nullptr;
    EXPECT_EQ(memos, 4);

    TRMDataset& rows = *formReport().ReportEngine().Dataset;
    Rows printed;
    for (rows.First(); !rows.Eof(); rows.Next()) {
        const std::vector<std::string> t = textsIn(*master);
        printed.push_back({t[0], t[1]});
    }
    EXPECT_EQ(printed, gridRows());
}

TEST_F(ArchiveReportTest, PreviewShowsTheUnitsWithTheTitleRowBlack) {
    open();
    std::vector<platform::TColor> whileShown;
    QString caption;
    int pages = 0;
    platform::ModalHook hook([&](QWidget* w) {
        caption = w->windowTitle();
        whileShown.push_back(grid().TitleFont().Color);
        if (auto* form = qobject_cast<TRMPreviewForm*>(w))
            pages = form->Preview()->PageCount();
        w->close();
    });
    key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(hook.count(), 1);
    EXPECT_EQ(caption, "预览 - Untitled");
    EXPECT_EQ(pages, 1);
    EXPECT_EQ(whileShown, std::vector<platform::TColor>{platform::clBlack});
    EXPECT_EQ(grid().TitleFont().Color, platform::clWhite);
    EXPECT_TRUE(takeBoxes().empty());
}

// Brackets in unit names are data: the preview shows them as typed, and no box or input
// window opens while the pages are made.
TEST_F(ArchiveReportTest, PreviewShowsUnitNamesWithBracketsAsTyped) {
    const std::vector<std::string> names = {"[1+1]号公司", "[Page#]", "[INPUT('x')]", "a]b[c",
                                            "[99999999999999999999 MOD -1]"};
    StartOptions options;
    options.units.clear();
    for (std::size_t i = 0; i < names.size(); ++i)
        options.units.push_back({"000" + std::to_string(i + 1), names[i]});
    open(options);
    // A name too long for its column wraps at the blank: each line shows a part.
    const auto shown = [](const TRMEMFPages& pages, const std::string& text) {
        for (const QString& part : QString::fromStdString(text).split(' ')) {
            TRMPreviewSearch search;
            search.Start(part.toStdString(), true, false, true, 0);
            if (!search.Find(pages))
                return false;
        }
        return true;
    };
    std::vector<std::string> found;
    bool sumShown = true;
    int windows = 0;
    platform::ModalHook hook([&](QWidget* w) {
        ++windows;
        if (auto* form = qobject_cast<TRMPreviewForm*>(w)) {
            const TRMEMFPages& pages = *form->Preview()->pages();
            for (const std::string& name : names)
                if (shown(pages, name))
                    found.push_back(name);
            sumShown = shown(pages, "2号公司");
        }
        w->close();
    });
    key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(windows, 1) << "the preview and nothing else";
    EXPECT_EQ(found, names);
    EXPECT_FALSE(sumShown) << "[1+1] was evaluated";
    EXPECT_TRUE(takeBoxes().empty());
}

// An error while the report is prepared: the preview's engine entry shows it itself and
// the command goes on (title font white again); in a print run it ends the command, the
// window's guard shows its text and the title row stays black.
TEST_F(ArchiveReportTest, AnEngineErrorInPreviewOrPrint) {
    open();
    formReport().OnBeginDoc = [] { throw std::runtime_error("报表出错"); };
    platform::ModalHook closePreview([](QWidget* w) { w->close(); });
    key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(closePreview.count(), 0);
    EXPECT_EQ(takeBoxes(), std::vector<std::string>{"异常错误,原因:报表出错"});
    EXPECT_EQ(grid().TitleFont().Color, platform::clWhite);

    boxes->answer(platform::IDOK);
    key(Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(takeBoxes(), (std::vector<std::string>{"请准备好打印机，进行打印!", "报表出错"}));
    EXPECT_EQ(grid().TitleFont().Color, platform::clBlack);
    EXPECT_TRUE(QDir(dir.path()).entryList({"*.pdf"}, QDir::Files).isEmpty());
}

} // namespace
} // namespace archivetest
