#pragma once

// Prepared pages written view by view, the standard tabular report of the export tests,
// and read-back of exported files through independent readers.

#include "report/engine/model/RMMemoView.h"
#include "report/engine/model/RMReport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <ostream>
#include <string>
#include <vector>

// Readable failure messages.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QJsonArray& array, std::ostream* os) {
    *os << QJsonDocument(array).toJson(QJsonDocument::Compact).toStdString();
}

namespace exporttest {

class PreparedPages {
public:
    // Appends a page (A4, landscape when asked) and returns its index.
    int addPage(bool landscape = false);
    // A memo in prepared form on `page`; `text` is what the view prints ("\n" splits lines).
    report::TRMMemoView& memo(int page, int left, int top, int width, int height,
                              const std::string& text, bool framed = true);
    // Writes the memo last returned by memo() (after its properties were set).
    void flush();
    // A template view `name` with display format `code`: prepared views of that name print
    // with it (prepared pages keep only the text).
    void declareFormat(const std::string& name, std::int32_t code, const std::string& text = {});

    report::TRMReport report;
    report::TRMEMFPages& pages() { return report.EMFPages; }

private:
    int page_ = -1;
    report::TRMMemoView pending_;
    bool hasPending_ = false;
};

// Display format codes the tests use.
inline constexpr std::int32_t amountFormat = (1 << 24) | (2 << 16) | (2 << 8) | '.'; // #,##0.##
inline constexpr std::int32_t fixedFormat = (1 << 24) | (1 << 16) | (2 << 8) | '.';  // 0.00
inline constexpr std::int32_t dateFormat = (2 << 24) | (1 << 16);                    // yyyy.mm.dd

// `pages` pages of a table: the title "核算单位档案" over the columns, the column titles
// 编码 / 名称 / 金额 / 日期, `rows` units per page (code "%04d", name "单位n", amount n × 1.5 with
// grouping, date 2026-01-01 + n days) and the footer "第p页/共n页".
void tableReport(PreparedPages& doc, int pages, int rows);
// Code and name of unit `n` (from 1).
std::string unitCode(int n);
std::string unitName(int n);

// The workbook as tests/report/export/xlsx_dump.py prints it (test failure when the
// reader cannot run).
QJsonObject readXlsx(const QString& path);
// The cells of a sheet by reference ("A1").
QJsonObject cellsByRef(const QJsonObject& sheet);

// Whole file contents.
QByteArray fileBytes(const QString& path);

} // namespace exporttest
