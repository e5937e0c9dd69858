// Preparation: the passes, the builds of all pages, the running of one template page,
// new prepared pages and their footers, progress and the report-wide error message.
#include "platform/Abort.h"
#include "platform/EngineTexts.h"
#include "platform/Gbk.h"
#include "report/engine/expressions/RMDateTime.h"
#include "report/engine/expressions/RMDisplayFormat.h"
#include "report/engine/expressions/RMScriptLexer.h"
#include "report/engine/model/RMBandView.h"
#include "report/engine/model/RMCalcMemoView.h"
#include "report/engine/model/RMDataset.h"
#include "report/engine/model/RMReport.h"
#include "report/engine/model/RMUnits.h"
#include "report/engine/preparation/RMPreparation.h"

#include <QDateTime>

#include <algorithm>
#include <stdexcept>
#include <string>

namespace report {

namespace {

// Thrown by addPage beyond TRMReport::MaxPages; caught where a build ends.
class PageLimitReached : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

double currentDateTime() {
    const QDateTime now = QDateTime::currentDateTime();
    const QDate d = now.date();
    const QTime t = now.time();
    return encodeDate(d.year(), d.month(), d.day()) +
           encodeTime(t.hour(), t.minute(), t.second(), t.msec());
}

// Region views are a design aid: they never reach the pages.
void removeRegionViews(TRMPage& page) {
    auto& views = page.Objects();
    std::erase_if(views, [](const std::unique_ptr<TRMView>& v) {
        return dynamic_cast<TRMRegionView*>(v.get()) != nullptr;
    });
}

} // namespace

TRMPreparation::TRMPreparation(TRMReport& top, TRMProgress* progress)
    : top_(top)
    , out_(top.EMFPages)
    , progress_(progress) {}

TRMPreparation::~TRMPreparation() = default;

// ---------------------------------------------------------------- a preparation

bool TRMPreparation::prepare(const std::vector<TRMReport*>& reports, bool pagePerPage) {
    pagePerPage_ = pagePerPage;
    deadline_.reset();
    if (top_.MaxSeconds > 0)
        deadline_ = std::chrono::steady_clock::now() + std::chrono::seconds(top_.MaxSeconds);
    const double start = currentDateTime();
    members_.clear();
    members_.reserve(reports.size());
    // Whatever happens below, every member gets its own template back.
    struct Restore {
        TRMPreparation& p;
        ~Restore() {
            for (Member& m : p.members_) {
                m.Runs.clear(); // bands first: they undo their data sources' ranges
                TRMReport& r = *m.Report;
                r.Pages.swapPages(m.Template);
                r.ReportInfo.Strings = m.Info;
                r.PrintIfEmpty = m.PrintIfEmpty;
                r.ScriptObject = nullptr;
                r.Preparation = nullptr;
                r.LayoutCache = nullptr;
                r.OnAggregate = nullptr;
                r.FinalPass = false;
                r.Preparing = false;
                r.CurrentView = nullptr;
            }
            p.members_.clear();
        }
    } restore{*this};

    for (TRMReport* r : reports) {
        Member& m = members_.emplace_back();
        m.Report = r;
        r->Variables.Clear();
        currentPrinter().selectPrinter(r->PrinterName);
        r->State = {};
        r->State.StartDateTime = start;
        r->SavedDoublePass = r->DoublePass;
        m.Template = r->Pages.clonePages();
        m.Info = r->ReportInfo.Strings;
        m.PrintIfEmpty = r->PrintIfEmpty;
        r->Pages.swapPages(m.Template); // the report now works on the copies
        for (int i = 0; i < r->Pages.Count(); ++i)
            removeRegionViews(*r->Pages[i]);
        r->Preparation = this;
        r->LayoutCache = &layouts_;
        r->OnAggregate = [this](const std::string& name, const std::vector<std::string>& args) {
            return aggregate(name, args);
        };
        if (r->ClassNotFound.found && !error_) {
            error_ = true;
            errorMessage_ = r->ErrorMessage.empty() ? r->ClassNotFound.message : r->ErrorMessage;
        }
    }
    for (Member& m : members_)
        if (m.Report->OnBeginDoc)
            m.Report->OnBeginDoc();
    if (!error_)
        runPasses();
    for (Member& m : members_)
        if (m.Report->OnEndDoc)
            m.Report->OnEndDoc();

    const bool single = members_.size() == 1;
    const int templatePages = single ? members_.front().Report->Pages.Count() : 0;
    for (Member& m : members_)
        m.Runs.clear();
    if (error_) {
        top_.ErrorMessage = errorMessage_;
        out_.Clear();
        showEngineError(errorMessage_);
        return false;
    }
    if (cancelled_)
        return false;
    const bool built = out_.Count() > 0;
    if (built && single && top_.PrintPagePerPage && templatePages >= 2)
        out_.Interleave(templatePages);
    return built;
}

// ---------------------------------------------------------------- the passes

bool TRMPreparation::runPasses() {
    twoPass_ = top_.DoublePass;
    auto startPass = [&](bool first) {
        firstPass_ = first;
        out_.Clear();
        continuePage_ = {};
        packedPages_ = 0;
        footed_.clear();
        crossMerges_.clear();
        for (Member& m : members_) {
            m.Report->Terminated = false;
            m.Report->FinalPass = !first;
            m.Report->State.PageNo = 0;
        }
    };
    auto buildAll = [&] {
        for (std::size_t i = 0; i < members_.size() && !error_ && !cancelled_; ++i) {
            // A composite in page-per-page mode continues each member on the last page.
            if (i > 0 && pagePerPage_ && out_.Count() > 0)
                continuePage_.Active = true;
            build(members_[i]);
        }
    };
    int totalPages = 0;
    if (twoPass_) {
        startPass(true);
        buildAll();
        totalPages = out_.Count();
        if (cancelled_ || error_) {
            out_.Clear();
            return false;
        }
    }
    for (Member& m : members_)
        m.Report->State.TotalPages = totalPages;
    startPass(false);
    buildAll();
    return !cancelled_ && !error_;
}

// ---------------------------------------------------------------- building the bands

bool TRMPreparation::compileScripts(TRMReport& r) {
    const TRMObject* object = nullptr;
    try {
        for (int i = 0; i < r.Pages.Count(); ++i) {
            TRMPage& page = *r.Pages[i];
            if (page.Type != ptReport)
                continue;
            object = &page;
            scripts_.compile(page.Script, &page);
            for (const auto& view : page.Objects()) {
                object = view.get();
                scripts_.compile(view->OnBeforePrint, view.get());
                scripts_.compile(view->OnAfterPrint, view.get());
            }
        }
    } catch (const ERMScriptError& e) {
        fail(object, e.what());
        return false;
    }
    return true;
}

void TRMPreparation::buildBands(Member& member) {
    TRMReport& r = *member.Report;
    member.Runs.clear();
    if (!compileScripts(r))
        return;
    member.Runs.resize(static_cast<std::size_t>(r.Pages.Count()));
    for (int i = 0; i < r.Pages.Count(); ++i) {
        TRMPage* page = r.Pages[i];
        page->IsSubReport = false;
        page->ParentPage = nullptr;
    }
    member.Aggregates.clear();
    for (int i = 0; i < r.Pages.Count(); ++i) {
        TRMPage* page = r.Pages[i];
        PageRun& run = member.Runs[static_cast<std::size_t>(i)];
        run.Page = page;
        if (page->Type != ptReport)
            continue;
        run.Bands = TRMBandBuilder(r, *page).build();
        member.Aggregates.registerPage(*run.Bands);
    }
}

void TRMPreparation::build(Member& member) {
    processEvents();
    member_ = &member;
    report_ = member.Report;
    TRMReport& r = *report_;
    r.Preparing = true;
    r.State.PageNo = std::max(0, out_.Count() - (continuePage_.Active ? 1 : 0));
    if (member.Runs.empty())
        buildBands(member);
    const auto pass = !twoPass_    ? TRMCalcMemoView::Pass::Single
                      : firstPass_ ? TRMCalcMemoView::Pass::First
                                   : TRMCalcMemoView::Pass::Final;
    for (PageRun& run : member.Runs) {
        if (!run.Bands)
            continue;
        for (TRMCalcMemoView* calc : run.Bands->CalcMemos)
            calc->BuildStart(pass);
        for (const auto& v : run.Page->Objects())
            if (auto* memo = dynamic_cast<TRMMemoView*>(v.get()))
                memo->LastValue.clear();
    }

    TRMDataset* multiple = r.ReportType == rtMultiple ? r.Dataset : nullptr;
    bool multipleBroken = false;
    if (multiple != nullptr) {
        try {
            multiple->Init();
            multiple->First();
        } catch (const std::exception&) {
            multipleBroken = true; // counts as an empty data source
        }
    }
    auto recordsLeft = [&] { return multiple == nullptr || (!multipleBroken && !multiple->Eof()); };

    try {
        while (!error_ && !r.Terminated && recordsLeft()) {
            progress();
            for (std::size_t j = 0; j < member.Runs.size() && !r.Terminated; ++j) {
                PageRun& run = member.Runs[j];
                TRMPage& page = *run.Page;
                if (page.Type != ptReport || !run.Bands)
                    continue; // dialog pages are not shown by this engine
                out_.AddBackground(page);
                setPage(run);
                if (!run.ScriptDone) {
                    run.ScriptDone = true;
                    runScript(page.Script, &page);
                }
                if (!page.IsSubReport && page.Visible)
                    runPage(run);
                const PageRun* next = nullptr;
                for (std::size_t k = j + 1; k < member.Runs.size() && next == nullptr; ++k)
                    if (member.Runs[k].Page->Type == ptReport)
                        next = &member.Runs[k];
                const bool nextRecordContinues = next == nullptr && multiple != nullptr &&
                                                 member.Runs.front().Page->PrintToPrevPage;
                if ((next != nullptr && next->Page->PrintToPrevPage) || nextRecordContinues) {
                    r.State.PageNo = std::max(0, out_.Count() - 1);
                    continuePage_.Active = out_.Count() > 0;
                } else {
                    continuePage_.Active = false;
                    r.State.PageNo = out_.Count();
                    progress();
                }
            }
            progress();
            if (multiple == nullptr)
                break;
            multiple->Next();
        }
    } catch (const platform::EAbort&) {
        throw;
    } catch (const PageLimitReached& e) {
        // Not an evaluation error: the message stands alone.
        if (!error_) {
            error_ = true;
            errorMessage_ = e.what();
        }
    } catch (const std::exception& e) {
        fail(currentObject_, e.what());
    }
    if (multiple != nullptr && !multipleBroken) {
        try {
            multiple->Exit();
        } catch (const std::exception&) {
        }
    }
    if (!(twoPass_ && firstPass_))
        member.Runs.clear();
    r.Preparing = false;
    run_ = nullptr;
}

// ---------------------------------------------------------------- pages

void TRMPreparation::setPage(PageRun& run) {
    run_ = &run;
    TRMPage& page = *run.Page;
    const TRMPage::PixelRect m = page.marginsInPixels();
    run.Left = m.left;
    run.Top = m.top;
    run.Right = page.paperWidthPixels() - m.right;
    run.PaperBottom = page.paperHeightPixels() - m.bottom;
    run.ColumnGap =
        static_cast<int>(std::lround(RMToScreenPixels(page.ColumnGap / 1000.0, rmutMillimeters)));
    const int columns = page.columnCount();
    run.ColumnWidth = (run.Right - run.Left - (columns - 1) * run.ColumnGap) / columns;
    report_->State.PageWidth = run.Right;
}

TRMBand* TRMPreparation::band(int type) const {
    if (source_ != nullptr && type != rmbtOverlay && type != rmbtNone && type != rmbtPageHeader &&
        type != rmbtPageFooter && type != rmbtColumnHeader && type != rmbtColumnFooter)
        return source_->head(type);
    return run_ && run_->Bands ? run_->Bands->head(type) : nullptr;
}

int TRMPreparation::bottomLimit() const {
    const TRMBand* footer = band(rmbtPageFooter);
    return run_->PaperBottom - (footer != nullptr && footer->visible() ? footer->dy : 0);
}

void TRMPreparation::addPage() {
    const int index = out_.Count();
    if (top_.MaxPages > 0 && index >= top_.MaxPages) {
        // Stops every loop at its next check; the throw leaves the band being placed now.
        for (Member& m : members_)
            m.Report->Terminated = true;
        throw PageLimitReached("报表超过 " + std::to_string(top_.MaxPages) + " 页的上限");
    }
    out_.AddPage(*run_->Page);
    if (report_ != &top_ && report_->OnBeginPage)
        report_->OnBeginPage(index);
    TRMEMFPage* page = out_[index];
    const int templateIndex = report_->Pages.IndexOf(run_->Page);
    page->TemplatePageNo = static_cast<std::uint8_t>(std::clamp(templateIndex + 1, 1, 255));
    report_->State.PageNo = index;
    // Pages before the previous one are finished: keep them packed.
    for (; packedPages_ < index - 1; ++packedPages_)
        out_[packedPages_]->Stream.pack();
    freshPage_ = true;
}

// Runs one template page: its data loop (or the page's manual build), then its footers.
void TRMPreparation::runPage(PageRun& run) {
    TRMReport& r = *report_;
    TRMPrepareState& state = r.State;
    if (TRMBand* master = band(rmbtMasterData); master != nullptr && master->DataSet != nullptr) {
        dsFirst(*master);
        if (dsEof(*master) && !r.PrintIfEmpty)
            return;
    }
    state.BlankRowMode = false;
    state.CurrentRow = 1;
    run.Column = 0;
    run.CurX = run.Left;
    const bool continuing = continuePage_.Active && out_.Count() > 0;
    continuePage_.Active = false;
    if (continuing) {
        state.CurY = continuePage_.CurY;
        state.PageBottom = continuePage_.Bottom;
        state.PageNo = out_.Count() - 1;
        freshPage_ = false;
    } else {
        state.PageBottom = bottomLimit();
        addPage();
        state.CurY = run.Top;
        inPageSetup_ = true;
        showBand(band(rmbtOverlay));
        showBand(band(rmbtNone));
        inPageSetup_ = false;
    }
    run.FirstPage = state.PageNo;
    run.ColumnTop = state.CurY;
    for (const auto& b : run.Bands->all()) {
        b->ColumnIndex = 1;
        b->PrintAtDesignPos = b->flag(bandflag::PrintAtDesignPos);
    }

    if (!r.OnManualBuild) {
        const int pagesBefore = out_.Count();
        showBand(band(rmbtReportTitle));
        if (out_.Count() == pagesBefore) {
            TRMBand* header = band(rmbtPageHeader);
            if (header != nullptr && header->flag(bandflag::OnFirstPage))
                showBand(header);
            showBand(band(rmbtColumnHeader));
        }
        dataLoop(1);
    }
    if (r.OnManualBuild) {
        r.OnManualBuild(*run.Page);
    } else {
        printColumnFooter();
        summaryPrinting_ = true;
        showBand(band(rmbtReportSummary));
        summaryPrinting_ = false;
    }
    continuePage_.CurY = run.Column > 0 ? state.PageBottom : state.CurY;
    continuePage_.Bottom = state.PageBottom;
    run.CurX = run.Left;
    const int index = state.PageNo;
    if (!r.OnManualBuild)
        printPageFooters(true);
    if (r.OnEndPage)
        r.OnEndPage(index);
    state.PageNo = index + 1;
}

// Page footers of the pages from the current one to the last (after a page break, and
// in their final form at the end of a template page).
void TRMPreparation::printPageFooters(bool finalForm) {
    TRMPrepareState& state = report_->State;
    TRMBand* footer = band(rmbtPageFooter);
    if (firstPass_)
        recordCalcMemos(band(rmbtPageHeader));
    const int savedY = state.CurY;
    footed_.resize(static_cast<std::size_t>(out_.Count()), false);
    for (int i = state.PageNo; i < out_.Count(); ++i) {
        if (footed_[static_cast<std::size_t>(i)])
            continue;
        state.PageNo = i;
        const bool first = i == run_->FirstPage;
        const bool wanted =
            footer != nullptr && (first ? footer->flag(bandflag::OnFirstPage)
                                        : (!finalForm || footer->flag(bandflag::OnLastPage)));
        // A page whose band set has no page footer can still get one from the next run.
        footed_[static_cast<std::size_t>(i)] = footer != nullptr;
        if (finalForm && !wanted)
            continue;
        if (report_->OnEndPage)
            report_->OnEndPage(i);
        if (wanted)
            showBand(footer);
    }
    state.CurY = savedY;
    state.PageNo = out_.Count() > 0 ? out_.Count() - 1 : 0;
    if (finalForm)
        state.PageNo = out_.Count();
}

// ---------------------------------------------------------------- progress and errors

std::string TRMPreparation::progressLine(int page) const {
    if (twoPass_ && firstPass_)
        return platform::engineText(47204, "进行第一次处理:") + "  " + std::to_string(page);
    std::string line = platform::engineText(47205, "正在处理页:") + "  " + std::to_string(page);
    if (twoPass_)
        line += " " + platform::engineText(47199, "从") + " " +
                std::to_string(report_->State.TotalPages);
    return line;
}

void TRMPreparation::progress() {
    const int page = report_->State.PageNo + 1;
    if (report_->OnProgress)
        report_->OnProgress(page);
    else if (top_.OnProgress)
        top_.OnProgress(page);
    else if (progress_ != nullptr)
        progress_->setLine(progressLine(page));
    processEvents();
}

void TRMPreparation::checkTimeLimit() {
    if (!deadline_ || error_ || cancelled_ || std::chrono::steady_clock::now() < *deadline_)
        return;
    error_ = true;
    errorMessage_ = "报表准备超过 " + std::to_string(top_.MaxSeconds) + " 秒的上限";
    for (Member& m : members_)
        m.Report->Terminated = true;
}

void TRMPreparation::processEvents() {
    checkTimeLimit();
    if (progress_ == nullptr)
        return;
    lastEvents_ = std::chrono::steady_clock::now();
    progress_->processEvents();
    if (progress_->cancelled() && !cancelled_) {
        cancelled_ = true;
        for (Member& m : members_)
            m.Report->Terminated = true;
    }
}

bool TRMPreparation::keepRunning() {
    checkTimeLimit();
    if (progress_ != nullptr) {
        if (std::chrono::steady_clock::now() - lastEvents_ >= kEventInterval) {
            processEvents();
        } else if (progress_->cancelled() && !cancelled_) {
            cancelled_ = true;
            for (Member& m : members_)
                m.Report->Terminated = true;
        }
    }
    return !cancelled_ && !error_ && (report_ == nullptr || !report_->Terminated);
}

void TRMPreparation::fail(const TRMObject* object, const std::string& message) {
    if (error_)
        return;
    error_ = true;
    std::string text = platform::engineText(47200, "计算时发生错误");
    std::string name;
    if (const auto* view = dynamic_cast<const TRMView*>(object)) {
        for (const std::string& line : view->Memo)
            text += "\n" + line;
        name = view->Name;
    } else if (const auto* page = dynamic_cast<const TRMPage*>(object)) {
        name = page->Name;
    }
    text += "\n\n" + platform::engineText(47201, "报表:") + " " + report_->Name + "\n" +
            platform::engineText(47202, "对象:") + " " + name + "\n" + message;
    errorMessage_ = std::move(text);
    for (Member& m : members_)
        m.Report->Terminated = true;
}

// ---------------------------------------------------------------- scripts and functions

void TRMPreparation::runScript(const TRMStrings& script, TRMObject* self) {
    if (TRMScript::empty(script))
        return;
    const TRMObject* saved = currentObject_;
    currentObject_ = self;
    scripts_.run(*report_, script, self);
    currentObject_ = saved;
}

bool TRMPreparation::callFunction(const std::string& name, const std::vector<std::string>& args,
                                  platform::Variant& result) {
    if (report_ == nullptr)
        return false;
    if (name == "NEWPAGE") {
        ++forcedPages_;
    } else if (name == "NEWCOLUMN") {
        ++forcedColumns_;
    } else if (name == "STOPREPORT") {
        report_->Terminated = true;
    } else if (name == "SHOWBAND") {
        const std::string text = args.empty() ? std::string() : platform::trimBlanks(args[0]);
        std::string bandName = valueText(report_->Evaluate(text));
        if (bandName.empty())
            bandName = text;
        if (run_ != nullptr)
            if (TRMBand* b = dataBands().find(bandName); b != nullptr && b != currentBand_) {
                // The band's own views and scripts are not the calling script's.
                TRMObject* const scriptObject = report_->ScriptObject;
                report_->ScriptObject = nullptr;
                showBand(b);
                report_->ScriptObject = scriptObject;
            }
    } else {
        return false;
    }
    result = platform::Variant();
    return true;
}

platform::Variant TRMPreparation::aggregate(const std::string& name,
                                            const std::vector<std::string>& args) {
    if (member_ == nullptr)
        return platform::Variant(0);
    return member_->Aggregates.value(currentBand_, name, args);
}

} // namespace report
