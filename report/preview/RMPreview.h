#pragma once

// The preview control: a scroll area over TRMPreviewModel that shows a document of prepared
// pages, which it owns while it shows them. Commands page, zoom, search, load, save, print
// and set the page up; the window (TRMPreviewForm) and a host that places the control
// itself call them. A report given to it as its output (its Preview) hands its pages over.

#include "report/engine/model/RMReportOutput.h"
#include "report/preview/RMPreviewDocument.h"
#include "report/preview/RMPreviewModel.h"
#include "report/preview/RMPreviewSearch.h"

#include <QAbstractScrollArea>
#include <QStringList>

#include <functional>
#include <memory>
#include <string>

namespace report {

class TRMEMFPages;
class TRMPageSetting;
struct TRMPrintRunOptions;
class TRMReport;
class TRMView;

class TRMPreview : public QAbstractScrollArea, public TRMReportOutput {
    Q_OBJECT
public:
    enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

    explicit TRMPreview(QWidget* parent = nullptr);
    ~TRMPreview() override;

    // --- published
    std::string InitialDir; // start folder of the open and save dialogs
    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle style);
    std::function<void()> OnPageChanged;
    std::function<void()> OnStatusChange;
    // A click on a view of a page (page 0-based); true when the handler took it.
    std::function<bool(int page, const TRMView& view)> OnObjectClick;
    // The pointer over a view: the handler may set the cursor; true when it did.
    std::function<bool(const TRMView& view, Qt::CursorShape& cursor)> OnMouseOverObject;
    TRMPreviewModel& model() { return model_; }
    const TRMPreviewModel& model() const { return model_; }
    TRMPreviewSearch& search() { return search_; }
    // The shown pages (owned while shown; nullptr before the first document).
    TRMEMFPages* pages() const { return document_.Pages.get(); }
    const TRMPreviewDocument& document() const { return document_; }
    bool hasPages() const { return document_.Pages != nullptr && !model_.empty(); }

    // Shows `document`, applies its InitialZoom (pzDefault 100 %, pzPageWidth, pzOnePage,
    // pzTwoPages) and goes to page 1; the document shown before is dropped.
    void ShowDocument(TRMPreviewDocument document);
    // ShowDocument(previewDocument(report)): the report's prepared pages are taken over
    // (it keeps an empty set).
    void ShowReport(TRMReport& report);
    // As a report's output: ShowReport, then the pending window events.
    void Deliver(TRMReport& report) override;

    // --- zoom
    void Zoom(double percent);
    void PageWidth();
    void OnePage();
    void TwoPages();
    // Printer resolution; page width when the printer cannot say.
    void PrinterZoom();
    // --- paging (1-based page numbers)
    int CurPage() const { return model_.currentPage(); }
    int PageCount() const { return model_.pageCount(); }
    void First();
    void Prev();
    void Next();
    void Last();
    void GoToPage(int pageNo);
    // --- magnifier: a click switches between whole page and 100 %
    bool Magnifier() const { return magnifier_; }
    void SetMagnifier(bool on);
    // --- search
    // The find dialog, then the search.
    void Find();
    // Stores text and switches and searches (what the dialog's OK does).
    bool FindText(const std::string& text, bool caseSensitive, bool wholeWords, bool fromFirst);
    // F3: again with the stored text from the stored position.
    bool FindNext();
    // --- files
    // The open dialog (several .rmp files), then LoadFromFiles.
    void Load();
    // First file replaces the pages, the others are appended; a file that cannot be read
    // shows the engine's message and leaves the preview as it was. Goes to page 1.
    bool LoadFromFiles(const QStringList& files);
    // The save dialog: report file, or one of the registered export filters.
    void Save();
    // Entry 0 writes a prepared report file (".rmp" added when missing); entry k exports
    // through export filter k - 1 (exportReport, with the progress window; a failure is
    // shown in a box).
    bool SaveToFile(const std::string& fileName, int filterIndex = 0);
    // Runs the first filter that declares itself the Excel filter: its options dialog, the
    // file choice and the export (exportInteractively); with none registered nothing
    // happens.
    void SaveToXLS();
    // The zoom changed through the control itself (magnifier click).
    std::function<void()> OnZoomChange;
    // Caption the window shows after loading files ("预览 - name").
    std::function<void(const std::string& caption)> OnCaptionChange;

    // --- printing (nothing without a real printer)
    // The print dialog filled from the report when its ShowPrintDialog is on (current page
    // offered), else at once: all pages, no parity, no scaling, the report's copies,
    // collation, stationery switch and offsets.
    void Print();
    // The current page once, without a dialog, with the report's collation and stationery.
    void PrintCurrentPage();
    // The page setup dialog filled from the report and its first page; on OK the setting is
    // applied to the report (printer, title, switches, margins and paper of its template
    // pages, settings saved), the page-setup hook called, the report prepared again and
    // shown from page 1. A preparation that fails or is cancelled keeps the pages shown.
    void PageSetup();

    // Tells the widget that the shown pages changed outside (appended, re-prepared).
    void PagesChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool canPrint() const;
    void printWith(const TRMPrintRunOptions& options);
    void syncScrollBars();
    void viewChanged();
    void statusChanged();
    void showMatch(const TRMPreviewSearch::Match& match);
    void magnifyAt(QPoint viewPoint);
    void updateCursor(QPoint viewPoint);

    TRMPreviewModel model_;
    TRMPreviewSearch search_;
    std::string reportTitle() const { return document_.Print.ReportTitle; }
    TRMPreviewDocument document_;
    TScrollStyle scrollBars_ = ssBoth;
    bool magnifier_ = false;
    std::string lastSearchText_; // as typed, shown again by the find dialog
    bool lastFromFirst_ = true;
    bool syncing_ = false;
    // Hand scrolling: where the drag started and the scroll position then.
    bool dragging_ = false;
    QPoint dragStart_;
    QPoint dragOffset_;
};

} // namespace report
