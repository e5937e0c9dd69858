// A report goes to the output its caller names: a print to a file and a print on the
// printer started while it runs each reach their own output.

#include "platform/MessageBox.h"
#include "report/engine/model/RMProgress.h"
#include "report/export/RMFileOutput.h"
#include "report/export/RMPdfExportFilter.h"
#include "report/preview/RMReportPrinting.h"
#include "report/print/RMPdfPrinter.h"
#include "tests/report/engine/TemplateBuilder.h"
#include "tests/report/print/PrintTestSupport.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace report;

namespace {

// One page with a title line.
struct TitledReport {
    explicit TitledReport(const std::string& title) {
        TRMBandView& band = t.band(rmbtReportTitle, 40);
        t.memo(band, 0, 0, 400, 30, {title});
        report.ShowProgress = false;
        report.ShowPrintDialog = false;
    }
    TRMReport report;
    testreport::TemplateBuilder t{report};
};

// A format that does something while the first page of its file is being written.
class WhileWriting : public TRMFileFormat {
public:
    WhileWriting(TRMFileFormat& format, std::function<void()> meanwhile)
        : format_(format)
        , meanwhile_(std::move(meanwhile)) {}
    std::string description() const override { return format_.description(); }
    std::string fileMask() const override { return format_.fileMask(); }
    TRMExportResult writeFile(const TRMEMFPages& pages, const std::string& fileName,
                              const std::vector<int>& pageIndexes, TRMProgress*,
                              const std::string& title) override {
        Meanwhile progress(std::move(meanwhile_));
        return format_.writeFile(pages, fileName, pageIndexes, &progress, title);
    }

private:
    struct Meanwhile : TRMHeadlessProgress {
        explicit Meanwhile(std::function<void()> run)
            : run_(std::move(run)) {}
        void setLine(const std::string& line) override {
            TRMHeadlessProgress::setLine(line);
            if (run_)
                std::exchange(run_, nullptr)();
        }
        std::function<void()> run_;
    };
    TRMFileFormat& format_;
    std::function<void()> meanwhile_;
};

QString pdfText(const QString& file) {
    return printtest::runTool("pdftotext", {file, "-"});
}

} // namespace

TEST(ReportOutputs, APrintStartedDuringAPrintToFileGoesToItsOwnPrinter) {
    QTemporaryDir dir;
    printtest::withoutPrintServer(dir.path());
    const QString printed = dir.filePath("printer");
    QDir().mkpath(printed);
    setPdfOutputFolder(printed.toStdString());
    platform::ScriptedMessageBoxes boxes;

    TitledReport archive("核算单位档案甲"), other("另一份报表乙");
    TRMPrinterOutput printer;
    TRMPdfExportFilter pdf;
    WhileWriting format(pdf, [&] { other.report.PrintReport(printer); });
    TRMFileOutput file(format, dir.filePath("archive.pdf").toStdString());
    archive.report.PrintReport(file);

    ASSERT_TRUE(file.Delivered());
    EXPECT_EQ(file.Result().status, TRMExportStatus::Exported) << file.Result().message;
    const QString written = pdfText(dir.filePath("archive.pdf"));
    EXPECT_TRUE(written.contains("核算单位档案甲"));
    EXPECT_FALSE(written.contains("另一份报表乙")) << "the other print stays out of the file";

    EXPECT_EQ(printer.Result().status, TRMPrintStatus::Printed) << printer.Result().message;
    const QStringList jobs = QDir(printed).entryList({"*.pdf"}, QDir::Files);
    ASSERT_EQ(jobs.size(), 1);
    const QString onPrinter = pdfText(QDir(printed).filePath(jobs.front()));
    EXPECT_TRUE(onPrinter.contains("另一份报表乙"));
    EXPECT_FALSE(onPrinter.contains("核算单位档案甲"));
}
