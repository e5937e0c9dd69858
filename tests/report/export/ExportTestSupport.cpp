#include "tests/report/export/ExportTestSupport.h"

#include "report/engine/expressions/RMDateTime.h"
#include "report/engine/expressions/RMDisplayFormat.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QStringList>

#include <cstdio>
#include <gtest/gtest.h>

using namespace report;

namespace exporttest {

int PreparedPages::addPage(bool landscape) {
    flush();
    TRMPage templatePage;
    templatePage.ChangePaper(9, 2100, 2970, -1, landscape ? poLandscape : poPortrait);
    report.EMFPages.AddPage(templatePage);
    return report.EMFPages.pageCount() - 1;
}

TRMMemoView& PreparedPages::memo(int page, int left, int top, int width, int height,
                                 const std::string& text, bool framed) {
    flush();
    page_ = page;
    pending_ = TRMMemoView();
    pending_.StreamMode = smPrepared;
    pending_.Font.Name = "宋体";
    pending_.Font.Size = 10;
    pending_.SetBounds(left, top, width, height);
    TRMStrings lines;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    pending_.Memo1 = lines;
    if (framed)
        pending_.setFrameTyp(15);
    hasPending_ = true;
    return pending_;
}

void PreparedPages::flush() {
    if (!hasPending_)
        return;
    TRMEMFPages::WriteView(report.EMFPages[page_]->Stream, pending_);
    hasPending_ = false;
}

void PreparedPages::declareFormat(const std::string& name, std::int32_t code,
                                  const std::string& text) {
    if (report.Pages.Count() == 0)
        report.Pages.Add();
    auto view = std::make_unique<TRMMemoView>();
    view->Name = name;
    view->DisplayFormat = code;
    view->DisplayFormatText = text;
    report.Pages[0]->Objects().push_back(std::move(view));
}

std::string unitCode(int n) {
    char code[16];
    std::snprintf(code, sizeof code, "%04d", n);
    return code;
}

std::string unitName(int n) {
    return "单位" + std::to_string(n);
}

void tableReport(PreparedPages& doc, int pages, int rows) {
    constexpr int left = 40, rowHeight = 20;
    const int widths[] = {80, 200, 120, 100};
    const char* titles[] = {"编码", "名称", "金额", "日期"};
    doc.declareFormat("Amount", amountFormat);
    doc.declareFormat("Date", dateFormat);
    int unit = 1;
    for (int p = 0; p < pages; ++p) {
        const int page = doc.addPage();
        TRMMemoView& title = doc.memo(page, left, 30, 500, 30, "核算单位档案", false);
        title.Font.Size = 14;
        title.Font.Style = fontstyle::Bold;
        title.setAlignment(2);
        int top = 70, x = left;
        for (int c = 0; c < 4; ++c) {
            TRMMemoView& head = doc.memo(page, x, top, widths[c], rowHeight, titles[c]);
            head.FillColor = 0xC0C0C0;
            head.Font.Style = fontstyle::Bold;
            x += widths[c];
        }
        for (int r = 0; r < rows; ++r, ++unit) {
            top += rowHeight;
            x = left;
            doc.memo(page, x, top, widths[0], rowHeight, unitCode(unit));
            x += widths[0];
            doc.memo(page, x, top, widths[1], rowHeight, unitName(unit));
            x += widths[1];
            const platform::Variant amount(unit * 1.5);
            TRMMemoView& a =
                doc.memo(page, x, top, widths[2], rowHeight, formatValue(amount, amountFormat, ""));
            a.Name = "Amount";
            a.setAlignment(1);
            x += widths[2];
            const double day = encodeDate(2026, 1, 1) + unit;
            TRMMemoView& d =
                doc.memo(page, x, top, widths[3], rowHeight, formatDateTime("yyyy.mm.dd", day));
            d.Name = "Date";
        }
        doc.memo(page, left, top + 40, 500, rowHeight,
                 "第" + std::to_string(p + 1) + "页/共" + std::to_string(pages) + "页", false)
            .setAlignment(2);
    }
    doc.flush();
}

QJsonObject readXlsx(const QString& path) {
    QProcess python;
    python.start("/usr/bin/python3",
                 {QStringLiteral(PROJECT_SOURCE_DIR "/tests/report/export/xlsx_dump.py"), path});
    if (!python.waitForFinished(60000) || python.exitStatus() != QProcess::NormalExit ||
        python.exitCode() != 0) {
        ADD_FAILURE() << "reading " << path.toStdString()
                      << " with openpyxl failed (is python3-openpyxl installed?): "
                      << python.readAllStandardError().toStdString();
        return {};
    }
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(python.readAllStandardOutput(), &error);
    if (!doc.isObject())
        ADD_FAILURE() << "the workbook dump is not JSON: " << error.errorString().toStdString();
    return doc.object();
}

QJsonObject cellsByRef(const QJsonObject& sheet) {
    QJsonObject out;
    for (const QJsonValue& cell : sheet["cells"].toArray())
        out[cell["ref"].toString()] = cell;
    return out;
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace exporttest
