#include "bench/report/engine/TablePages.h"

#include "report/engine/model/RMMemoView.h"

#include <QPainter>

namespace benchtable {

namespace {

constexpr int rows = 40, cols = 6, cellW = 115, cellH = 22, left = 48, top = 80;

const char* const cellTexts[] = {
    "核算单位档案",
    "北京分公司 Beijing Branch",
    "0001",
    "财务部（会计核算中心）",
    "Accounting unit 12",
    "上海市浦东新区世纪大道100号环球金融中心",
    "2026-12-09",
    "张三、李四",
    "ABC-123 研发中心二部",
};

std::string cellText(int page, int row, int col) {
    return std::string(cellTexts[(page + row * 7 + col) % 9]).substr(0, col == 5 ? 18 : 36);
}

std::string footer(int page) {
    return "第" + std::to_string(page + 1) + "页/共" + std::to_string(pageCount) + "页";
}

} // namespace

const char* cellTextAt(int i) {
    return cellTexts[i % 9];
}

report::TRMReport& tableReport() {
    using namespace report;
    static TRMReport report;
    if (report.EMFPages.Count() > 0)
        return report;
    TRMPage templatePage;
    for (int p = 0; p < pageCount; ++p) {
        TRMEMFPage* page = report.EMFPages.AddPage(templatePage);
        TRMMemoView memo;
        memo.Font.Name = "宋体";
        memo.StreamMode = smPrepared;
        memo.SetBounds(left, 40, cols * cellW, 30);
        memo.setAlignment(2);
        memo.Font.Size = 14;
        memo.Memo1 = {"核算单位档案"};
        TRMEMFPages::WriteView(page->Stream, memo);
        memo.Font.Size = 9;
        memo.setAlignment(0);
        memo.setFrameTyp(15);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c) {
                memo.SetBounds(left + c * cellW, top + r * cellH, cellW, cellH);
                memo.Memo1 = {cellText(p, r, c)};
                TRMEMFPages::WriteView(page->Stream, memo);
            }
        memo.setFrameTyp(0);
        memo.setAlignment(2);
        memo.SetBounds(left, top + rows * cellH + 20, cols * cellW, 20);
        memo.Memo1 = {footer(p)};
        TRMEMFPages::WriteView(page->Stream, memo);
    }
    return report;
}

RawTablePainter::RawTablePainter(QPainter& painter, double scale)
    : painter_(painter)
    , s_(scale)
    , title_(QStringLiteral("宋体"))
    , body_(QStringLiteral("宋体"))
    , pen_(Qt::black, scale, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin) {
    title_.setPixelSize(static_cast<int>(19 * scale));
    body_.setPixelSize(static_cast<int>(12 * scale));
}

void RawTablePainter::paint(int p) {
    const double s = s_;
    painter_.setFont(title_);
    painter_.drawText(QRectF(left * s, 40 * s, cols * cellW * s, 30 * s),
                      Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("核算单位档案"));
    painter_.setFont(body_);
    painter_.setPen(pen_);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            const QRectF cell((left + c * cellW) * s, (top + r * cellH) * s, cellW * s, cellH * s);
            painter_.drawRect(cell);
            painter_.drawText(cell.adjusted(2 * s, 2 * s, -2 * s, -2 * s),
                              Qt::AlignLeft | Qt::AlignTop,
                              QString::fromStdString(cellText(p, r, c)));
        }
    painter_.drawText(QRectF(left * s, (top + rows * cellH + 20) * s, cols * cellW * s, 20 * s),
                      Qt::AlignHCenter | Qt::AlignTop, QString::fromStdString(footer(p)));
}

} // namespace benchtable
