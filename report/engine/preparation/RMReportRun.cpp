// The report façade's preparation and output: PrepareReport, ShowReport, PrintReport.
#include "platform/Abort.h"
#include "platform/EngineTexts.h"
#include "platform/MessageBox.h"
#include "report/engine/model/RMReport.h"
#include "report/engine/preparation/RMPreparation.h"

#include <algorithm>

namespace report {

namespace {

std::unique_ptr<TRMProgress> progressFor(const TRMReport& report, const std::string& caption) {
    const auto& create = reportWindows().ProgressWindow;
    if (report.OnProgress || !report.ShowProgress || !create)
        return nullptr;
    return create(caption);
}

} // namespace

bool TRMReport::PrepareReport() {
    if (Preparing || Preparation != nullptr)
        return false; // one preparation at a time
    std::string caption = platform::engineText(47203, "正在准备报表");
    if (!ReportInfo.Title().empty())
        caption += " - " + ReportInfo.Title();
    std::unique_ptr<TRMProgress> progress = progressFor(*this, caption);
    TRMPreparation preparation(*this, progress.get());
    return preparation.prepare({this});
}

bool TRMCompositeReport::PrepareReport() {
    if (Preparing || Preparation != nullptr)
        return false;
    std::vector<TRMReport*> members;
    for (TRMReport* r : Reports)
        if (r != nullptr && r != this && r->Preparation == nullptr &&
            std::find(members.begin(), members.end(), r) == members.end())
            members.push_back(r);
    EMFPages.Clear();
    if (members.empty())
        return false;
    std::unique_ptr<TRMProgress> progress =
        progressFor(*this, platform::engineText(47203, "正在准备报表"));
    TRMPreparation preparation(*this, progress.get());
    Preparation = &preparation; // the composite's own template is not prepared
    struct Reset {
        TRMReport& r;
        ~Reset() { r.Preparation = nullptr; }
    } reset{*this};
    return preparation.prepare(members, CompositeMode == rmPagePerPage);
}

std::string TRMReport::previewCaption() const {
    std::string title = ReportInfo.Title();
    if (title.empty()) {
        title = FileName;
        const std::size_t slash = title.find_last_of("/\\");
        if (slash != std::string::npos)
            title.erase(0, slash + 1);
    }
    if (title.empty())
        title = platform::engineText(47209, "Untitled");
    return platform::engineText(47207, "预览") + " - " + title;
}

void TRMReport::ShowPreparedReport() {
    if (EMFPages.Count() == 0)
        return;
    if (Preview != nullptr) {
        Preview->Deliver(*this);
        return;
    }
    if (const auto& window = reportWindows().PreviewWindow)
        if (const std::unique_ptr<TRMReportOutput> preview = window())
            preview->Deliver(*this);
}

void TRMReport::ShowReport() {
    try {
        if (PrepareReport())
            ShowPreparedReport();
    } catch (const platform::EAbort&) {
        throw;
    } catch (const std::exception& e) {
        platform::MessageBox(platform::WindowHandle{0}, std::string("异常错误,原因:") + e.what(),
                             "", platform::MB_OK);
    }
}

void TRMReport::PrintReport(TRMReportOutput& output) {
    TRMReportOutput* const preview = Preview;
    Preview = nullptr;
    struct Restore {
        TRMReport& r;
        TRMReportOutput* preview;
        ~Restore() { r.Preview = preview; }
    } restore{*this, preview};
    if (output.DeliverWhilePreparing(*this))
        return;
    if (!PrepareReport() || EMFPages.Count() == 0)
        return;
    output.Deliver(*this);
}

} // namespace report
