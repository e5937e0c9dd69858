// The preview window with the system's filters registered: the save dialog lists them after
// the report file entry and exports through the chosen one, and "保存为excel格式文件" runs
// the Excel filter's options dialog and save dialog; the data conversion writes the pages
// through the CSV filter.

#include "platform/MessageBox.h"
#include "platform/Modal.h"
#include "report/export/RMCsvExportFilter.h"
#include "report/export/RMExportFilters.h"
#include "report/export/RMXlsxExportFilter.h"
#include "report/export/RMXlsxOptionsForm.h"
#include "report/preview/RMPreview.h"
#include "report/preview/RMPreviewForm.h"
#include "report/preview/RMSuperExpForm.h"
#include "tests/report/export/ExportTestSupport.h"
#include "tests/report/print/PrintTestSupport.h"

#include <QFileDialog>
#include <QJsonArray>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace report;
using namespace exporttest;

namespace {

struct PreviewExport : ::testing::Test {
    PreviewExport() {
        printtest::withoutPrintServer(dir.path());
        installExportFilters();
        tableReport(doc, 2, 3);
        doc.report.ReportInfo.Strings[0] = "单位档案";
        form.Show_Report(doc.report);
    }
    ~PreviewExport() override {
        xlsxExportFilter().Options = {};
        uninstallExportFilters();
    }
    QString path(const char* name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    PreparedPages doc;
    TRMPreviewForm form;
};

} // namespace

TEST_F(PreviewExport, SaveDialogOffersTheFiltersAfterTheReportFile) {
    QStringList offered;
    platform::ModalHook hook([&](QWidget* window) {
        auto* files = qobject_cast<QFileDialog*>(window);
        ASSERT_NE(files, nullptr);
        offered = files->nameFilters();
        files->selectNameFilter(offered.value(3));
        files->selectFile(path("saved")); // the CSV extension is added
        static_cast<QDialog*>(files)->accept();
    });
    form.Preview()->Save();
    ASSERT_EQ(offered.size(), 5);
    EXPECT_EQ(offered.mid(1), QStringList({"Excel 文件 (*.xlsx)", "PDF 文件 (*.pdf)",
                                           "CSV 文件 (*.csv)", "PNG 图像 (*.png)"}));
    EXPECT_TRUE(fileBytes(path("saved.csv")).contains("0004,单位4,6,2026.01.05"));
    EXPECT_EQ(form.Preview()->PageCount(), 2); // the pages stay in the preview
}

TEST_F(PreviewExport, SaveAsExcelRunsTheOptionsAndTheSaveDialog) {
    int dialogs = 0;
    platform::ModalHook hook([&](QWidget* window) {
        ++dialogs;
        if (auto* options = qobject_cast<TRMXlsxOptionsForm*>(window)) {
            EXPECT_TRUE(options->rbAllPages->isChecked());
            EXPECT_TRUE(options->rbOneSheet->isChecked());
            options->accept();
        } else if (auto* files = qobject_cast<QFileDialog*>(window)) {
            files->selectFile(path("excel.xlsx"));
            static_cast<QDialog*>(files)->accept();
        }
    });
    form.btnSaveToXLS->trigger();
    EXPECT_EQ(dialogs, 2);
    const QJsonObject book = readXlsx(path("excel.xlsx"));
    const QJsonObject sheet = book["sheets"].toArray()[0].toObject();
    EXPECT_EQ(sheet["name"].toString(), QStringLiteral("单位档案"));
    const QJsonObject cells = cellsByRef(sheet);
    EXPECT_EQ(cells["A8"]["value"].toString(), QStringLiteral("编码")); // page 2's header
    EXPECT_DOUBLE_EQ(cells["C9"]["value"].toDouble(), 6.0);             // values from the template

    // Cancelling the options writes nothing.
    platform::ModalHook cancel([&](QWidget* window) { static_cast<QDialog*>(window)->reject(); });
    QFile::remove(path("excel.xlsx"));
    form.btnSaveToXLS->trigger();
    EXPECT_FALSE(QFile::exists(path("excel.xlsx")));
}

TEST_F(PreviewExport, DataConversionWritesThePagesThroughTheCsvFilter) {
    const TRMEMFPages& pages = *form.Preview()->pages();
    ASSERT_EQ(csvExportFilter()
                  .writeFile(pages, path("saved.csv").toStdString(), {}, nullptr, "单位档案")
                  .status,
              TRMExportStatus::Exported);
    platform::ScriptedMessageBoxes boxes;
    QString target = path("转换.csv");
    std::vector<bool> openAfterOK;
    platform::ModalHook hook([&](QWidget* window) {
        auto* conversion = qobject_cast<TRM_SuperExp*>(window);
        ASSERT_NE(conversion, nullptr);
        EXPECT_EQ(conversion->windowTitle(), "数据转换");
        conversion->edtPath->setText(target);
        conversion->btnOK->click();
        openAfterOK.push_back(conversion->isVisible());
    });
    form.btnSuperExp->trigger();
    EXPECT_EQ(boxes.count(), 0u);
    EXPECT_FALSE(fileBytes(path("saved.csv")).isEmpty());
    EXPECT_EQ(fileBytes(target), fileBytes(path("saved.csv")));

    // An empty path and a folder that cannot be written (one that does not exist, which
    // holds even for root): the messages, and the dialog stays open.
    for (const QString& bad : {QString("  "), path("missing/out.csv")}) {
        target = bad;
        form.btnSuperExp->trigger();
    }
    EXPECT_EQ(openAfterOK, (std::vector<bool>{false, true, true}));
    ASSERT_EQ(boxes.count(), 2u);
    EXPECT_EQ(boxes.records()[0].text, "目标路径非法。");
    EXPECT_EQ(boxes.records()[1].text.rfind("错误原因1：目标文件属性不可以为只读。", 0), 0u);
    for (const auto& box : boxes.records())
        EXPECT_EQ(box.caption, "转换失败");
    EXPECT_FALSE(QFile::exists(path("missing/out.csv")));
}
