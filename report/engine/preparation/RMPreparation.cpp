// Preparation: the passes, the builds of all pages, the running of one template page,
// scripts and the script functions, progress, cancel, the time limit and the error message.
#include "report/engine/preparation/RMPreparation.h"

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

#include <QDateTime>

#include <algorithm>
#include <stdexcept>
#include <string>

namespace report {

namespace {

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
    , progress_(progress)
    , state_(out_)
    , totals_(state_)
    , breaks_(top, state_, *this, printer_, totals_)
    , printer_(state_, *this, breaks_, loop_, totals_)
    , loop_(state_, *this, printer_, breaks_, totals_) {}

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
    state_.TwoPass = top_.DoublePass;
    auto startPass = [&](bool first) {
        state_.FirstPass = first;
        out_.Clear();
        continuePage_ = {};
        breaks_.restart();
        printer_.restart();
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
    if (state_.TwoPass) {
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
    for (int i = 0; i < r.Pages.Count(); ++i) {
        TRMPage* page = r.Pages[i];
        TRMPageRun& run = member.Runs[static_cast<std::size_t>(i)];
        run.Page = page;
        if (page->Type != ptReport)
            continue;
        run.Bands = TRMBandBuilder(r, *page).build();
    }
    totals_.registerPages();
}

void TRMPreparation::build(Member& member) {
    processEvents();
    state_.Report = member.Report;
    state_.Runs = &member.Runs;
    state_.Aggregates = &member.Aggregates;
    TRMReport& r = *state_.Report;
    r.Preparing = true;
    r.State.PageNo = std::max(0, out_.Count() - (continuePage_.Active ? 1 : 0));
    if (member.Runs.empty())
        buildBands(member);
    const auto pass = !state_.TwoPass    ? TRMCalcMemoView::Pass::Single
                      : state_.FirstPass ? TRMCalcMemoView::Pass::First
                                         : TRMCalcMemoView::Pass::Final;
    totals_.startBuild(pass);
    for (TRMPageRun& run : member.Runs) {
        if (!run.Bands)
            continue;
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
                TRMPageRun& run = member.Runs[j];
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
                const TRMPageRun* next = nullptr;
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
        fail(state_.CurrentObject, e.what());
    }
    if (multiple != nullptr && !multipleBroken) {
        try {
            multiple->Exit();
        } catch (const std::exception&) {
        }
    }
    if (!(state_.TwoPass && state_.FirstPass))
        member.Runs.clear();
    r.Preparing = false;
    state_.Run = nullptr;
}

// ---------------------------------------------------------------- pages

void TRMPreparation::setPage(TRMPageRun& run) {
    state_.Run = &run;
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
    state_.Report->State.PageWidth = run.Right;
}

// Runs one template page: its data loop (or the page's manual build), then its footers.
void TRMPreparation::runPage(TRMPageRun& run) {
    TRMReport& r = *state_.Report;
    TRMPrepareState& state = r.State;
    if (TRMBand* master = state_.band(rmbtMasterData);
        master != nullptr && master->DataSet != nullptr) {
        TRMDataLoop::dsFirst(*master);
        if (TRMDataLoop::dsEof(*master) && !r.PrintIfEmpty)
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
        state_.FreshPage = false;
    } else {
        state.PageBottom = breaks_.bottomLimit();
        breaks_.addPage();
        state.CurY = run.Top;
        state_.InPageSetup = true;
        printer_.showBand(state_.band(rmbtOverlay));
        printer_.showBand(state_.band(rmbtNone));
        state_.InPageSetup = false;
    }
    run.FirstPage = state.PageNo;
    run.ColumnTop = state.CurY;
    for (const auto& b : run.Bands->all()) {
        b->ColumnIndex = 1;
        b->PrintAtDesignPos = b->flag(bandflag::PrintAtDesignPos);
    }

    if (!r.OnManualBuild) {
        const int pagesBefore = out_.Count();
        printer_.showBand(state_.band(rmbtReportTitle));
        if (out_.Count() == pagesBefore) {
            TRMBand* header = state_.band(rmbtPageHeader);
            if (header != nullptr && header->flag(bandflag::OnFirstPage))
                printer_.showBand(header);
            printer_.showBand(state_.band(rmbtColumnHeader));
        }
        loop_.run(1);
    }
    if (r.OnManualBuild) {
        r.OnManualBuild(*run.Page);
    } else {
        breaks_.printColumnFooter();
        state_.SummaryPrinting = true;
        printer_.showBand(state_.band(rmbtReportSummary));
        state_.SummaryPrinting = false;
    }
    continuePage_.CurY = run.Column > 0 ? state.PageBottom : state.CurY;
    continuePage_.Bottom = state.PageBottom;
    run.CurX = run.Left;
    const int index = state.PageNo;
    if (!r.OnManualBuild)
        breaks_.printPageFooters(true);
    if (r.OnEndPage)
        r.OnEndPage(index);
    state.PageNo = index + 1;
}

// ---------------------------------------------------------------- progress and errors

std::string TRMPreparation::progressLine(int page) const {
    if (state_.TwoPass && state_.FirstPass)
        return platform::engineText(47204, "进行第一次处理:") + "  " + std::to_string(page);
    std::string line = platform::engineText(47205, "正在处理页:") + "  " + std::to_string(page);
    if (state_.TwoPass)
        line += " " + platform::engineText(47199, "从") + " " +
                std::to_string(state_.Report->State.TotalPages);
    return line;
}

void TRMPreparation::progress() {
    const int page = state_.Report->State.PageNo + 1;
    if (state_.Report->OnProgress)
        state_.Report->OnProgress(page);
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
    terminate();
}

void TRMPreparation::processEvents() {
    checkTimeLimit();
    if (progress_ == nullptr)
        return;
    lastEvents_ = std::chrono::steady_clock::now();
    progress_->processEvents();
    if (progress_->cancelled() && !cancelled_) {
        cancelled_ = true;
        terminate();
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
    return !cancelled_ && !error_ && (state_.Report == nullptr || !state_.Report->Terminated);
}

void TRMPreparation::terminate() {
    for (Member& m : members_)
        m.Report->Terminated = true;
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
    text += "\n\n" + platform::engineText(47201, "报表:") + " " + state_.Report->Name + "\n" +
            platform::engineText(47202, "对象:") + " " + name + "\n" + message;
    errorMessage_ = std::move(text);
    terminate();
}

// ---------------------------------------------------------------- scripts and functions

void TRMPreparation::runScript(const TRMStrings& script, TRMObject* self) {
    if (TRMScript::empty(script))
        return;
    const TRMObject* saved = state_.CurrentObject;
    state_.CurrentObject = self;
    scripts_.run(*state_.Report, script, self);
    state_.CurrentObject = saved;
}

bool TRMPreparation::callFunction(const std::string& name, const std::vector<std::string>& args,
                                  platform::Variant& result) {
    if (state_.Report == nullptr)
        return false;
    if (name == "NEWPAGE") {
        ++state_.ForcedPages;
    } else if (name == "NEWCOLUMN") {
        ++state_.ForcedColumns;
    } else if (name == "STOPREPORT") {
        state_.Report->Terminated = true;
    } else if (name == "SHOWBAND") {
        const std::string text = args.empty() ? std::string() : platform::trimBlanks(args[0]);
        std::string bandName = valueText(state_.Report->Evaluate(text));
        if (bandName.empty())
            bandName = text;
        if (state_.Run != nullptr)
            if (TRMBand* b = state_.dataBands().find(bandName);
                b != nullptr && b != state_.CurrentBand) {
                // The band's own views and scripts are not the calling script's.
                TRMObject* const scriptObject = state_.Report->ScriptObject;
                state_.Report->ScriptObject = nullptr;
                printer_.showBand(b);
                state_.Report->ScriptObject = scriptObject;
            }
    } else {
        return false;
    }
    result = platform::Variant();
    return true;
}

bool TRMPreparation::boundFieldText(const TRMView& view, std::string& text) {
    return printer_.boundFieldText(view, text);
}

platform::Variant TRMPreparation::aggregate(const std::string& name,
                                            const std::vector<std::string>& args) {
    return totals_.value(name, args);
}

} // namespace report
