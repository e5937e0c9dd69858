#pragma once

// Pages that draw "第N页" through the canvas, a device that records each printed page as a
// metafile, and PDF read-back through pdftotext / pdfinfo.

#include "platform/Metafile.h"
#include "report/print/RMPageSource.h"
#include "report/print/RMPrintDevice.h"

#include <QSizeF>
#include <QString>

#include <memory>
#include <string>
#include <vector>

namespace printtest {

class TestPages : public report::TRMPageSource {
public:
    // `landscape[i]` turns page i; A4 unless `paper` says otherwise.
    explicit TestPages(int count, std::vector<bool> landscape = {});

    int PageCount() const override { return static_cast<int>(pages.size()); }
    report::TRMPageInfo Page(int index) const override { return pages.at(index); }
    std::optional<report::TRMSourceBackground> Background(int index) const override;
    void DrawPage(int index, platform::TCanvas& canvas, const platform::TRect& target,
                  const report::TRMDrawContext& context) override;

    struct Drawn {
        int index;
        platform::TRect target;
        report::TRMDrawContext context;
    };
    std::vector<report::TRMPageInfo> pages;
    std::vector<Drawn> drawn;
    platform::Picture backgroundPicture; // given to every page when not empty
    report::TRMSourceBackground backgroundPlace;
};

// Records every page; jobs are kept as lists of metafiles.
class RecordingDevice : public report::TRMPrintDevice {
public:
    bool BeginDoc(const report::TRMPrintJob& job) override;
    bool NewPage() override;
    platform::TCanvas& Canvas() override { return *canvas_; }
    bool EndDoc() override;
    void Abort() override;
    bool Printing() const override { return printing_; }
    std::string ErrorText() const override { return {}; }

    struct Job {
        report::TRMPrintJob job;
        std::vector<std::shared_ptr<platform::TMetafile>> pages;
        bool finished = false;
    };
    std::vector<Job> jobs;

private:
    void startPage();
    std::unique_ptr<platform::TMetafileCanvas> canvas_;
    bool printing_ = false;
};

// Points libcups at a socket in `folder` where no server listens, so that the printer list
// holds only the fixed entries and the PDF printer, and selects the default printer.
void withoutPrintServer(const QString& folder);

// Texts "第N页" of a PDF in reading order, as page numbers.
std::vector<int> printedPageNumbers(const QString& pdf);
int pdfPageCount(const QString& pdf);
// Size of each page in points.
std::vector<QSizeF> pdfPageSizes(const QString& pdf);
// Runs a program, returns its standard output ("" and a test failure when it fails).
QString runTool(const QString& program, const QStringList& arguments);

} // namespace printtest
