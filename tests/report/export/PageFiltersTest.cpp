// The CSV, PDF and PNG filters, their registration order, and the Excel options dialog
// with the save dialog behind it; outputs read back with Python's csv module, pdftotext /
// pdfinfo / pdffonts and Qt's image reader.

#include "platform/MessageBox.h"
#include "platform/Modal.h"
#include "report/engine/model/RMProgress.h"
#include "report/export/RMCsvExportFilter.h"
#include "report/export/RMExportFilters.h"
#include "report/export/RMPageFormatRun.h"
#include "report/export/RMPdfExportFilter.h"
#include "report/export/RMPngExportFilter.h"
#include "report/export/RMStagedFile.h"
#include "report/export/RMXlsxExportFilter.h"
#include "report/export/RMXlsxOptionsForm.h"
#include "tests/report/export/ExportTestSupport.h"
#include "tests/report/print/PrintTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace report;
using namespace exporttest;

namespace {

class PageFilters : public ::testing::Test {
protected:
    void SetUp() override { printtest::withoutPrintServer(dir.path()); }
    QString path(const char* name) const { return dir.filePath(name); }
    QTemporaryDir dir;
};

// Rows of a CSV file as Python's csv module reads them (encoding "utf-8-sig" or "gbk").
QJsonArray csvRows(const QString& file, const char* encoding) {
    QProcess python;
    python.start("/usr/bin/python3",
                 {"-c",
                  "import csv,json,sys\n"
                  "with open(sys.argv[1], newline='', encoding=sys.argv[2]) as f:\n"
                  "    json.dump(list(csv.reader(f)), sys.stdout, ensure_ascii=False)\n",
                  file, encoding});
    if (!python.waitForFinished(30000) || python.exitCode() != 0) {
        ADD_FAILURE() << "python3 could not read the CSV: "
                      << python.readAllStandardError().toStdString();
        return {};
    }
    return QJsonDocument::fromJson(python.readAllStandardOutput()).array();
}

} // namespace

TEST_F(PageFilters, CsvIsTheCellGridOfAllPagesInOneTable) {
    PreparedPages doc;
    tableReport(doc, 2, 2);
    const int page = doc.addPage(); // a page with a quote, a comma and a line break
    doc.memo(page, 40, 30, 80, 40, "甲,\"乙\"\n丙");
    doc.flush();
    TRMCsvExportFilter csv;
    ASSERT_EQ(exportReport(doc.pages(), csv, path("t.csv").toStdString()).status,
              TRMExportStatus::Exported);
    const QByteArray bytes = fileBytes(path("t.csv"));
    EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    EXPECT_TRUE(bytes.contains("\r\n"));
    const QJsonArray rows = csvRows(path("t.csv"), "utf-8-sig");
    ASSERT_EQ(rows.size(), 11); // 2 × (title, column titles, 2 units, footer) + 1
    EXPECT_EQ(rows[0].toArray(), QJsonArray({"核算单位档案", "", "", ""}));
    EXPECT_EQ(rows[1].toArray(), QJsonArray({"编码", "名称", "金额", "日期"}));
    EXPECT_EQ(rows[2].toArray(), QJsonArray({"0001", "单位1", "1.5", "2026.01.02"}));
    EXPECT_EQ(rows[7].toArray()[0].toString(), "0003");
    EXPECT_EQ(rows[10].toArray(), QJsonArray({"甲,\"乙\"\n丙", "", "", ""}));

    csv.TextEncoding = TRMCsvExportFilter::Encoding::Gbk;
    ASSERT_EQ(exportReport(doc.pages(), csv, path("g.csv").toStdString()).status,
              TRMExportStatus::Exported);
    EXPECT_FALSE(fileBytes(path("g.csv")).startsWith("\xEF\xBB\xBF"));
    EXPECT_EQ(csvRows(path("g.csv"), "gbk")[2].toArray()[1].toString(), QStringLiteral("单位1"));
}

// Texts a spreadsheet would run as formulas get a leading apostrophe; numbers stay as they
// are.
TEST_F(PageFilters, CsvNeverHandsASpreadsheetAFormula) {
    PreparedPages doc;
    const int page = doc.addPage();
    const std::vector<std::string> texts = {"=1+1", "@SUM(A1)",  "+cmd", "-2+3", "\tx", "-3",
                                            "+1.5", "-1,234.50", "-2E3", "-E3",  "a=b"};
    for (std::size_t i = 0; i < texts.size(); ++i) {
        doc.memo(page, 40 + 60 * static_cast<int>(i), 30, 60, 20, texts[i]);
        doc.flush();
    }
    TRMCsvExportFilter csv;
    ASSERT_EQ(exportReport(doc.pages(), csv, path("f.csv").toStdString()).status,
              TRMExportStatus::Exported);
    QJsonArray rows = csvRows(path("f.csv"), "utf-8-sig");
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].toArray(), QJsonArray({"'=1+1", "'@SUM(A1)", "'+cmd", "'-2+3", "'\tx", "-3",
                                             "+1.5", "-1,234.50", "-2E3", "'-E3", "a=b"}));

    csv.EscapeFormulas = false; // rmtool export --csv-formulas
    ASSERT_EQ(exportReport(doc.pages(), csv, path("r.csv").toStdString()).status,
              TRMExportStatus::Exported);
    rows = csvRows(path("r.csv"), "utf-8-sig");
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].toArray()[0].toString(), "=1+1");
    EXPECT_EQ(rows[0].toArray()[4].toString(), "\tx");
}

// A killed export leaves its staged file unlocked; the next staged file in the folder
// removes it, never one a live writer holds, nor a file merely named like one.
TEST_F(PageFilters, StagedFilesOfDeadWritersGoWithTheNextExport) {
    TRMStagedFile live;
    ASSERT_TRUE(live.create(path("a.pdf").toStdString(), nullptr));
    const QString leftover = path(".b.xlsx.staged-Ab12Cd");
    const QString other = path(".b.xlsx.Ab12Cd");
    for (const QString& name : {leftover, other}) {
        QFile f(name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("partial");
    }
    EXPECT_TRUE(TRMStagedFile::isStagedName(".b.xlsx.staged-Ab12Cd"));
    EXPECT_FALSE(TRMStagedFile::isStagedName(".staged-Ab12Cd"));

    PreparedPages doc;
    tableReport(doc, 1, 2);
    TRMCsvExportFilter csv;
    ASSERT_EQ(exportReport(doc.pages(), csv, path("c.csv").toStdString()).status,
              TRMExportStatus::Exported);
    EXPECT_FALSE(QFile::exists(leftover));
    EXPECT_TRUE(QFile::exists(other));
    EXPECT_TRUE(QFile::exists(QString::fromStdString(live.tempPath())));
    live.discard();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList({".b.xlsx.Ab12Cd", "c.csv"}));
}

TEST_F(PageFilters, PdfIsWhatThePdfPrinterPrintsInOneFile) {
    PreparedPages doc;
    tableReport(doc, 2, 3);
    const int landscape = doc.addPage(true);
    doc.memo(landscape, 40, 30, 300, 30, "横向页");
    doc.flush();
    TRMPdfExportFilter pdf;
    const TRMExportResult result = pdf.writeFile(doc.pages(), path("t.pdf").toStdString());
    ASSERT_EQ(result.status, TRMExportStatus::Exported) << result.message;
    EXPECT_EQ(printtest::pdfPageCount(path("t.pdf")), 3);
    const std::vector<QSizeF> sizes = printtest::pdfPageSizes(path("t.pdf"));
    ASSERT_EQ(sizes.size(), 3u);
    EXPECT_NEAR(sizes[0].width(), 595, 2);
    EXPECT_NEAR(sizes[0].height(), 842, 2);
    EXPECT_NEAR(sizes[2].width(), 842, 2); // the landscape page keeps its paper
    const QString text = printtest::runTool("pdftotext", {"-layout", path("t.pdf"), "-"});
    EXPECT_TRUE(text.contains(QStringLiteral("核算单位档案")));
    EXPECT_TRUE(text.contains(QStringLiteral("单位6")));
    EXPECT_TRUE(text.contains(QStringLiteral("第2页/共2页")));
    EXPECT_TRUE(text.contains(QStringLiteral("横向页")));
    // The Chinese font is embedded, and only the glyphs used: the file stays far smaller
    // than the font file (megabytes).
    const QString fonts = printtest::runTool("pdffonts", {path("t.pdf")});
    EXPECT_TRUE(fonts.contains(QRegularExpression("CID TrueType\\s+Identity-H\\s+yes")))
        << fonts.toStdString();
    EXPECT_LT(QFileInfo(path("t.pdf")).size(), 300 * 1024);
    EXPECT_EQ(pdf.description(), "PDF 文件");
}

// Pages go to the temporary file on disk as they are done, not into memory until the end;
// a cancel leaves neither that file nor a partial target, and the older file stays.
TEST_F(PageFilters, PdfPagesReachTheDiskAsTheyAreDoneAndACancelKeepsTheOlderFile) {
    PreparedPages doc;
    tableReport(doc, 80, 40);
    TRMPdfExportFilter pdf;
    ASSERT_EQ(pdf.writeFile(doc.pages(), path("full.pdf").toStdString()).status,
              TRMExportStatus::Exported);
    const qint64 fullSize = QFileInfo(path("full.pdf")).size();
    {
        QFile older(path("t.pdf"));
        ASSERT_TRUE(older.open(QIODevice::WriteOnly));
        older.write("older");
    }
    auto stagedFiles = [&] {
        return QDir(dir.path()).entryInfoList({".t.pdf.staged-*"}, QDir::Files | QDir::Hidden);
    };
    qint64 writtenAt60 = -1;
    TRMHeadlessProgress progress;
    progress.onLine = [&](const std::string& line) {
        if (line != "正在导出页:60")
            return;
        const QFileInfoList staged = stagedFiles();
        writtenAt60 = staged.size() == 1 ? staged.front().size() : -1;
        progress.cancel();
    };
    const TRMExportResult result =
        pdf.writeFile(doc.pages(), path("t.pdf").toStdString(), {}, &progress);
    EXPECT_EQ(result.status, TRMExportStatus::Cancelled);
    EXPECT_GT(writtenAt60, fullSize / 2) << "of " << fullSize << " bytes";
    EXPECT_TRUE(stagedFiles().isEmpty());
    QFile older(path("t.pdf"));
    ASSERT_TRUE(older.open(QIODevice::ReadOnly));
    EXPECT_EQ(older.readAll(), QByteArray("older"));
}

TEST_F(PageFilters, PageFormatsAreOnePrintRunInTheirOrder) {
    PreparedPages doc;
    tableReport(doc, 2, 3);
    doc.addPage(true);
    doc.memo(2, 40, 30, 300, 30, "横向页");
    doc.flush();
    // Pages 3, 1, 2: a job per run of equal paper, pages in the order asked.
    printtest::RecordingDevice device;
    TRMExportDocument document{&doc.pages(), {2, 0, 1}, "unused.pdf", "档案"};
    TRMHeadlessProgress progress;
    const TRMExportResult result = runPageFormat(document, device, &progress);
    ASSERT_EQ(result.status, TRMExportStatus::Exported) << result.message;
    EXPECT_EQ(result.pages, 3);
    ASSERT_EQ(device.jobs.size(), 2u);
    EXPECT_EQ(device.jobs[0].pages.size(), 1u);
    EXPECT_EQ(device.jobs[1].pages.size(), 2u);
    EXPECT_GT(device.jobs[0].job.paperWidth, device.jobs[0].job.paperHeight);
    EXPECT_EQ(device.jobs[1].job.title, "档案");
    EXPECT_EQ(progress.lines,
              (std::vector<std::string>{"正在导出页:3", "正在导出页:1", "正在导出页:2"}));

    // A cancel between pages stops the run.
    TRMHeadlessProgress cancelling;
    cancelling.onLine = [&](const std::string&) { cancelling.cancel(); };
    printtest::RecordingDevice stopped;
    EXPECT_EQ(runPageFormat(document, stopped, &cancelling).status, TRMExportStatus::Cancelled);
    EXPECT_EQ(cancelling.lines.size(), 1u);
}

TEST_F(PageFilters, PngGivesOneImagePerPageAtTheResolution) {
    PreparedPages doc;
    tableReport(doc, 2, 3);
    TRMPngExportFilter png;
    png.Dpi = 100;
    ASSERT_EQ(png.writeFile(doc.pages(), path("p.png").toStdString()).status,
              TRMExportStatus::Exported);
    EXPECT_EQ(png.Outputs(), (std::vector<std::string>{path("p-1.png").toStdString(),
                                                       path("p-2.png").toStdString()}));
    for (const char* name : {"p-1.png", "p-2.png"}) {
        QImageReader reader(path(name));
        EXPECT_EQ(reader.format(), "png");
        const QImage image = reader.read();
        ASSERT_FALSE(image.isNull()) << name << ": " << reader.errorString().toStdString();
        EXPECT_EQ(image.size(), QSize(827, 1169)); // A4 at 100 dpi
        EXPECT_EQ(image.pixel(2, 2), qRgb(255, 255, 255));
        // Frames and text of the table (x 40-540, y 70-150 page pixels) drawn dark, the
        // margin beside it left white.
        auto darkPixels = [&](int left, int top, int right, int bottom) {
            int n = 0;
            for (int y = top * 100 / 96; y < bottom * 100 / 96; ++y)
                for (int x = left * 100 / 96; x < right * 100 / 96; ++x)
                    n += qGray(image.pixel(x, y)) < 100 ? 1 : 0;
            return n;
        };
        EXPECT_GT(darkPixels(40, 70, 540, 150), 500) << name;
        EXPECT_EQ(darkPixels(560, 70, 700, 150), 0) << name;
    }
    // One page: exactly the file chosen.
    ASSERT_EQ(png.writeFile(doc.pages(), path("one.png").toStdString(), {1}).status,
              TRMExportStatus::Exported);
    EXPECT_TRUE(QFile::exists(path("one.png")));
    png.Dpi = 5;
    EXPECT_EQ(png.writeFile(doc.pages(), path("bad.png").toStdString()).status,
              TRMExportStatus::Failed);
}

TEST_F(PageFilters, FiltersRegisterInOrderAndTheExcelOneRunsItsDialogs) {
    installExportFilters();
    installExportFilters(); // once only
    std::vector<std::string> names;
    for (const TRMFileFormat* f : exportFilters())
        names.push_back(f->description() + " " + f->fileMask());
    EXPECT_EQ(names, (std::vector<std::string>{"Excel 文件 *.xlsx", "PDF 文件 *.pdf",
                                               "CSV 文件 *.csv", "PNG 图像 *.png"}));
    ASSERT_EQ(excelExportFilter(), &xlsxExportFilter());

    PreparedPages doc;
    tableReport(doc, 3, 2);
    platform::ScriptedMessageBoxes boxes;
    boxes.answer(platform::IDOK); // the bad page list
    int step = 0;
    platform::ModalHook hook([&](QWidget* window) {
        if (auto* form = qobject_cast<TRMXlsxOptionsForm*>(window)) {
            // A page list that is not one first: the box, and the dialog stays open.
            form->rbPageList->setChecked(true);
            form->edPages->setText("9");
            form->accept();
            EXPECT_TRUE(form->isVisible());
            form->edPages->setText("2-3");
            form->rbSheetPerPage->setChecked(true);
            form->accept();
            ++step;
        } else if (auto* files = qobject_cast<QFileDialog*>(window)) {
            EXPECT_EQ(files->nameFilters(), QStringList{QStringLiteral("Excel 文件 (*.xlsx)")});
            files->selectFile(path("chosen")); // the extension is added
            static_cast<QDialog*>(files)->accept();
            ++step;
        }
    });
    EXPECT_TRUE(
        excelExportFilter()->exportInteractively(0, doc.pages(), "档案", dir.path().toStdString()));
    EXPECT_EQ(step, 2);
    ASSERT_EQ(boxes.records().size(), 1u);
    EXPECT_NE(boxes.records()[0].text.find("没有第 9 页"), std::string::npos);
    const QJsonArray sheets = readXlsx(path("chosen.xlsx"))["sheets"].toArray();
    ASSERT_EQ(sheets.size(), 2);
    EXPECT_EQ(sheets[0]["name"].toString(), QStringLiteral("第2页"));
    xlsxExportFilter().Options = {};
    uninstallExportFilters();
    EXPECT_TRUE(exportFilters().empty());
}
