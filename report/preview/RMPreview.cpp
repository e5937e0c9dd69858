#include "report/preview/RMPreview.h"

#include "platform/Canvas.h"
#include "platform/EngineTexts.h"
#include "platform/Guard.h"
#include "platform/MessageBox.h"
#include "platform/Modal.h"
#include "report/engine/model/RMExportFilter.h"
#include "report/engine/model/RMReport.h"
#include "report/preview/RMPreviewIcons.h"
#include "report/preview/RMPreviewSearchForm.h"
#include "report/preview/RMProgressForm.h"
#include "report/preview/RMReportPrinting.h"
#include "report/print/RMPrinter.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStringList>

#include <cmath>

namespace report {

namespace {

constexpr int dragThreshold = 3;

QString reportFilter() {
    return QString::fromStdString(platform::engineText(47211)) + " (*.rmp)";
}

// "Excel 文件 (*.xlsx)" from a filter's description and mask.
QString filterEntry(const TRMFileFormat& filter) {
    return QString::fromStdString(filter.description()) + " (" +
           QString::fromStdString(filter.fileMask()) + ")";
}

// ".xlsx" from "*.xlsx" (the first pattern of a mask).
std::string extensionOf(const std::string& mask) {
    const std::string first = mask.substr(0, mask.find(';'));
    const std::size_t dot = first.rfind('.');
    return dot == std::string::npos || first.find('*', dot) != std::string::npos
               ? std::string()
               : first.substr(dot);
}

std::string withExtension(const std::string& fileName, const std::string& extension) {
    if (extension.empty())
        return fileName;
    const QString suffix = QFileInfo(QString::fromStdString(fileName)).suffix();
    if (("." + suffix).compare(QString::fromStdString(extension), Qt::CaseInsensitive) == 0)
        return fileName;
    return fileName + extension;
}

void showError(QWidget* owner, const std::string& text) {
    platform::MessageBox(owner, text, platform::engineText(47206),
                         platform::MB_OK | platform::MB_ICONERROR);
}

} // namespace

TRMPreview::TRMPreview(QWidget* parent)
    : QAbstractScrollArea(parent) {
    setObjectName("TRMPreview");
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    SetScrollBars(ssBoth);
    model_.PrinterRatio = []() -> std::optional<double> {
        TRMPrinter& printer = RMPrinter();
        if (!printer.HasDevice())
            return std::nullopt;
        return printer.FactorX();
    };
    model_.OnViewChanged = [this] { viewChanged(); };
    model_.OnStatusChange = [this] { statusChanged(); };
    model_.OnPageChanged = [this] {
        if (OnPageChanged)
            OnPageChanged();
    };
}

TRMPreview::~TRMPreview() {
    model_.OnViewChanged = nullptr;
    model_.OnStatusChange = nullptr;
    model_.OnPageChanged = nullptr;
}

void TRMPreview::SetScrollBars(TScrollStyle style) {
    scrollBars_ = style;
    const bool h = style == ssHorizontal || style == ssBoth;
    const bool v = style == ssVertical || style == ssBoth;
    setHorizontalScrollBarPolicy(h ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(v ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}

void TRMPreview::ShowDocument(TRMPreviewDocument document) {
    // The model lets the previous pages go before they are freed.
    model_.setPages(nullptr);
    document_ = std::move(document);
    InitialDir = document_.InitialDir;
    search_ = {};
    model_.setViewSize(viewport()->width(), viewport()->height());
    switch (document_.Print.Options.InitialZoom) {
    case pzPageWidth:
        model_.setMode(TRMScaleMode::PageWidth);
        break;
    case pzOnePage:
        model_.setMode(TRMScaleMode::OnePage);
        break;
    case pzTwoPages:
        model_.setMode(TRMScaleMode::TwoPages);
        break;
    default:
        model_.setZoomPercent(100);
        break;
    }
    model_.setPages(document_.Pages.get());
    model_.firstPage();
}

void TRMPreview::ShowReport(TRMReport& report) {
    ShowDocument(previewDocument(report));
}

void TRMPreview::Deliver(TRMReport& report) {
    ShowReport(report);
    QCoreApplication::processEvents();
}

void TRMPreview::PagesChanged() {
    model_.pagesChanged();
}

// --- zoom and paging

void TRMPreview::Zoom(double percent) {
    model_.setZoomPercent(percent);
}

void TRMPreview::PageWidth() {
    model_.setMode(TRMScaleMode::PageWidth);
}

void TRMPreview::OnePage() {
    model_.setMode(TRMScaleMode::OnePage);
}

void TRMPreview::TwoPages() {
    model_.setMode(TRMScaleMode::TwoPages);
}

void TRMPreview::PrinterZoom() {
    model_.setMode(TRMScaleMode::PrinterResolution);
}

void TRMPreview::First() {
    model_.firstPage();
}

void TRMPreview::Prev() {
    model_.priorPage();
}

void TRMPreview::Next() {
    model_.nextPage();
}

void TRMPreview::Last() {
    model_.lastPage();
}

void TRMPreview::GoToPage(int pageNo) {
    model_.goToPage(pageNo);
}

void TRMPreview::SetMagnifier(bool on) {
    magnifier_ = on;
    if (!on)
        viewport()->unsetCursor();
}

// --- search

void TRMPreview::Find() {
    if (!hasPages())
        return;
    TRMSearchRequest request{lastSearchText_, search_.CaseSensitive, search_.WholeWords,
                             lastFromFirst_};
    if (!ShowSearchForm(this, request))
        return;
    FindText(request.text, request.caseSensitive, request.wholeWords, request.fromFirst);
}

bool TRMPreview::FindText(const std::string& text, bool caseSensitive, bool wholeWords,
                          bool fromFirst) {
    if (!hasPages())
        return false;
    lastSearchText_ = text;
    lastFromFirst_ = fromFirst;
    search_.Start(text, caseSensitive, wholeWords, fromFirst, CurPage() - 1);
    const auto match = search_.Find(*document_.Pages);
    if (match)
        showMatch(*match);
    return match.has_value();
}

bool TRMPreview::FindNext() {
    if (!hasPages() || !search_.hasText())
        return false;
    search_.Continue(CurPage() - 1);
    const auto match = search_.Find(*document_.Pages);
    if (match)
        showMatch(*match);
    return match.has_value();
}

void TRMPreview::showMatch(const TRMPreviewSearch::Match& match) {
    if (match.page + 1 != CurPage())
        model_.goToPage(match.page + 1);
    const platform::TRect page = model_.pageRect(match.page);
    const double s = model_.scale();
    const platform::TRect found{page.Left + static_cast<int>(std::floor(match.rect.Left * s)),
                                page.Top + static_cast<int>(std::floor(match.rect.Top * s)),
                                page.Left + static_cast<int>(std::ceil(match.rect.Right * s)),
                                page.Top + static_cast<int>(std::ceil(match.rect.Bottom * s))};
    model_.setMarked(found);
    model_.ensureVisible(found);
    viewport()->update();
}

// --- files

void TRMPreview::Load() {
    if (document_.Pages == nullptr)
        return;
    QFileDialog dialog(this);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilter(reportFilter());
    dialog.setDefaultSuffix("rmp");
    if (!InitialDir.empty())
        dialog.setDirectory(QString::fromStdString(InitialDir));
    if (platform::execModal(dialog) != QDialog::Accepted)
        return;
    LoadFromFiles(dialog.selectedFiles());
}

bool TRMPreview::LoadFromFiles(const QStringList& files) {
    if (document_.Pages == nullptr || files.isEmpty())
        return false;
    // Every file is read before anything changes, so a bad one leaves the preview as it was.
    std::vector<std::unique_ptr<TRMEMFPages>> loaded;
    for (const QString& file : files) {
        auto pages = std::make_unique<TRMEMFPages>();
        std::string error;
        if (!pages->LoadFromFile(file.toStdString(), &error)) {
            showError(this, error.empty() ? platform::engineText(47345, "不支持的rmf格式") : error);
            return false;
        }
        loaded.push_back(std::move(pages));
    }
    // The first file's stationery switch applies to printing from here (its printer was
    // selected when it was read).
    TRMEMFPages& first = *loaded.front();
    document_.Print.Options.Taoda = first.Taoda;
    for (std::size_t i = 1; i < loaded.size(); ++i)
        first.appendPages(*loaded[i]);
    model_.setPages(nullptr);
    document_.Pages->swapPages(first);
    search_ = {};
    model_.setPages(document_.Pages.get());
    model_.firstPage();
    if (OnCaptionChange)
        OnCaptionChange(platform::engineText(47207) + " - " +
                        QFileInfo(files.front()).fileName().toStdString());
    return true;
}

void TRMPreview::Save() {
    if (!hasPages())
        return;
    QFileDialog dialog(this);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    QStringList filters{reportFilter()};
    for (const TRMFileFormat* filter : exportFilters())
        filters << filterEntry(*filter);
    dialog.setNameFilters(filters);
    if (!InitialDir.empty())
        dialog.setDirectory(QString::fromStdString(InitialDir));
    if (platform::execModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const int index = static_cast<int>(filters.indexOf(dialog.selectedNameFilter()));
    SaveToFile(dialog.selectedFiles().front().toStdString(), index < 0 ? 0 : index);
}

bool TRMPreview::SaveToFile(const std::string& fileName, int filterIndex) {
    if (!hasPages() || fileName.empty())
        return false;
    const auto& filters = exportFilters();
    if (filterIndex <= 0 || filterIndex > static_cast<int>(filters.size())) {
        const std::string name = withExtension(fileName, ".rmp");
        document_.Pages->Taoda = document_.Print.Options.Taoda;
        std::string error;
        std::vector<std::string> warnings;
        if (document_.Pages->SaveToFile(name, &error, &warnings)) {
            if (!warnings.empty())
                platform::MessageBox(this, replacedCharactersMessage(warnings), "警告",
                                     platform::MB_OK | platform::MB_ICONWARNING);
            return true;
        }
        showError(this, error);
        return false;
    }
    TRMFileFormat& filter = *filters[filterIndex - 1];
    const std::string name = withExtension(fileName, extensionOf(filter.fileMask()));
    TRMExportResult result;
    {
        TRMProgressForm progress(this);
        progress.setCaption("导出报表" + (reportTitle().empty() ? "" : " - " + reportTitle()));
        progress.Start();
        result = filter.writeFile(*document_.Pages, name, {}, &progress, reportTitle());
    }
    if (result.status == TRMExportStatus::Failed)
        showError(this, result.message);
    return result.status == TRMExportStatus::Exported;
}

void TRMPreview::SaveToXLS() {
    if (!hasPages())
        return;
    if (TRMFileFormat* filter = excelExportFilter())
        filter->exportInteractively(platform::handleOf(this), *document_.Pages, reportTitle(),
                                    InitialDir);
}

// --- widget

void TRMPreview::syncScrollBars() {
    syncing_ = true;
    QScrollBar* h = horizontalScrollBar();
    QScrollBar* v = verticalScrollBar();
    h->setRange(0, model_.maxX());
    h->setPageStep(model_.largeStepX());
    h->setSingleStep(model_.smallStep());
    h->setValue(model_.offsetX());
    h->setEnabled(model_.maxX() > 0);
    v->setRange(0, model_.maxY());
    v->setPageStep(model_.largeStepY());
    v->setSingleStep(model_.smallStep());
    v->setValue(model_.offsetY());
    v->setEnabled(model_.maxY() > 0);
    syncing_ = false;
}

void TRMPreview::viewChanged() {
    syncScrollBars();
    viewport()->update();
}

void TRMPreview::statusChanged() {
    if (OnStatusChange)
        OnStatusChange();
}

void TRMPreview::paintEvent(QPaintEvent* event) {
    platform::guarded(this, [&] {
        QPainter painter(viewport());
        platform::TCanvas canvas(painter);
        model_.setDevicePixelRatio(viewport()->devicePixelRatioF());
        model_.paint(canvas, platform::TRect::fromQRect(event->rect()), true);
    });
}

void TRMPreview::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    platform::guarded(this, [&] {
        model_.setViewSize(viewport()->width(), viewport()->height());
        syncScrollBars();
    });
}

void TRMPreview::scrollContentsBy(int, int) {
    if (syncing_)
        return;
    platform::guarded(this, [&] {
        model_.scrollTo(horizontalScrollBar()->value(), verticalScrollBar()->value());
    });
}

void TRMPreview::mousePressEvent(QMouseEvent* event) {
    platform::guarded(this, [&] {
        if (event->button() != Qt::LeftButton || !hasPages())
            return;
        const QPoint at = event->position().toPoint();
        QPoint pagePoint;
        const int page = model_.pageAt(at.x(), at.y(), &pagePoint);
        if (page < 0)
            return;
        if (OnObjectClick) {
            const auto views = document_.Pages->pageViews(page);
            if (const TRMView* view = document_.Pages->ObjectAt(page, pagePoint.x(), pagePoint.y());
                view != nullptr && OnObjectClick(page, *view))
                return;
        }
        dragging_ = true;
        dragStart_ = at;
        dragOffset_ = QPoint(model_.offsetX(), model_.offsetY());
        model_.setCurrentPage(page + 1);
    });
}

void TRMPreview::mouseMoveEvent(QMouseEvent* event) {
    platform::guarded(this, [&] {
        const QPoint at = event->position().toPoint();
        if (dragging_ && (event->buttons() & Qt::LeftButton)) {
            const QPoint moved = at - dragStart_;
            model_.scrollTo(dragOffset_.x() - moved.x(), dragOffset_.y() - moved.y());
            return;
        }
        updateCursor(at);
    });
}

void TRMPreview::mouseReleaseEvent(QMouseEvent* event) {
    platform::guarded(this, [&] {
        if (event->button() != Qt::LeftButton)
            return;
        const QPoint at = event->position().toPoint();
        const bool click = dragging_ && (at - dragStart_).manhattanLength() <= dragThreshold;
        dragging_ = false;
        if (magnifier_ && click)
            magnifyAt(at);
    });
}

void TRMPreview::magnifyAt(QPoint viewPoint) {
    QPoint pagePoint;
    const int page = model_.pageAt(viewPoint.x(), viewPoint.y(), &pagePoint);
    if (page < 0)
        return;
    if (model_.mode() == TRMScaleMode::OnePage)
        model_.setZoomPercent(100);
    else
        model_.setMode(TRMScaleMode::OnePage);
    model_.keepAt(page, pagePoint, viewPoint);
    if (OnZoomChange)
        OnZoomChange();
}

void TRMPreview::updateCursor(QPoint viewPoint) {
    if (!hasPages())
        return;
    QPoint pagePoint;
    const int page = model_.pageAt(viewPoint.x(), viewPoint.y(), &pagePoint);
    if (page >= 0 && magnifier_) {
        viewport()->setCursor(magnifierCursor());
        return;
    }
    Qt::CursorShape shape = Qt::ArrowCursor;
    if (page >= 0 && OnMouseOverObject) {
        const auto views = document_.Pages->pageViews(page);
        if (const TRMView* view = document_.Pages->ObjectAt(page, pagePoint.x(), pagePoint.y()))
            OnMouseOverObject(*view, shape);
    }
    viewport()->setCursor(shape);
}

} // namespace report
