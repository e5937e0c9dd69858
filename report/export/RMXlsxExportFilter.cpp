#include "report/export/RMXlsxExportFilter.h"

#include "platform/Colors.h"
#include "report/export/RMExportSession.h"
#include "report/export/RMXlsxOptionsForm.h"

#include <QFile>

#include <cmath>
#include <stdexcept>
#include <xlsxwriter.h>

namespace report {

namespace {

constexpr int maxRows = 1048576;
constexpr int maxColumns = 16384;
constexpr std::size_t maxPageBreaks = 1023;

lxw_color_t excelColor(TColor colour) {
    const TColor rgb = platform::ColorToRGB(colour);
    return (static_cast<lxw_color_t>(platform::GetRValue(rgb)) << 16) |
           (static_cast<lxw_color_t>(platform::GetGValue(rgb)) << 8) |
           static_cast<lxw_color_t>(platform::GetBValue(rgb));
}

std::uint8_t borderStyle(const TRMFrameLine& side) {
    if (!side.Visible)
        return LXW_BORDER_NONE;
    if ((side.Style & 0x10) != 0 || side.Style == psDouble)
        return LXW_BORDER_DOUBLE;
    const bool medium = side.Width >= 1.5f;
    switch (side.Style & 0x0F) {
    case psDash:
        return medium ? LXW_BORDER_MEDIUM_DASHED : LXW_BORDER_DASHED;
    case psDot:
        return LXW_BORDER_DOTTED;
    case psDashDot:
        return medium ? LXW_BORDER_MEDIUM_DASH_DOT : LXW_BORDER_DASH_DOT;
    case psDashDotDot:
        return medium ? LXW_BORDER_MEDIUM_DASH_DOT_DOT : LXW_BORDER_DASH_DOT_DOT;
    default:
        return side.Width >= 2.5f ? LXW_BORDER_THICK : medium ? LXW_BORDER_MEDIUM : LXW_BORDER_THIN;
    }
}

// Excel sheet names: at most 31 characters, none of []:*?/\ and not empty.
std::string sheetName(const std::string& wanted, const std::string& fallback) {
    QString name = QString::fromStdString(wanted).trimmed();
    for (QChar& c : name)
        if (QStringLiteral("[]:*?/\\").contains(c) || c.unicode() < 0x20)
            c = u'_';
    while (name.startsWith(u'\''))
        name.remove(0, 1);
    name = name.left(31);
    return name.isEmpty() ? fallback : name.toStdString();
}

void check(lxw_error status, const char* what) {
    if (status != LXW_NO_ERROR)
        throw std::runtime_error(std::string("写入 Excel 文件失败（") + what + "）：" +
                                 lxw_strerror(status));
}

} // namespace

TRMXlsxExportFilter::TRMXlsxExportFilter() = default;

TRMXlsxExportFilter::~TRMXlsxExportFilter() {
    discardOutput();
}

bool TRMXlsxExportFilter::exportInteractively(platform::WindowHandle owner,
                                              const TRMEMFPages& pages, const std::string& title,
                                              const std::string& initialDir) {
    TRMXlsxOptionsModel model(pages.pageCount());
    model.SheetPerPage = Options.SheetPerPage;
    if (!showXlsxOptionsForm(owner, model))
        return false;
    Options.SheetPerPage = model.SheetPerPage;
    return exportWithSaveDialog(owner, *this, pages, model.pageIndexes(), title, initialDir);
}

bool TRMXlsxExportFilter::openOutput(const TRMExportDocument& document,
                                     const TRMColumnLayout& columns, bool rowSpans,
                                     std::string* error) {
    discardOutput();
    if (!file_.create(document.FileName, error))
        return false;
    streamed_ = !rowSpans;
    lxw_workbook_options options{};
    options.constant_memory = streamed_ ? LXW_TRUE : LXW_FALSE;
    options.tmpdir = nullptr;
    options.use_zip64 = LXW_TRUE;
    workbook_ = workbook_new_opt(file_.tempPath().c_str(), &options);
    if (workbook_ == nullptr) {
        file_.discard();
        if (error != nullptr)
            *error = "无法建立 Excel 文件 " + document.FileName;
        return false;
    }
    lxw_doc_properties properties{};
    std::string title = document.Title;
    properties.title = title.data();
    workbook_set_properties(workbook_, &properties);
    nextRow_ = 0;
    firstPage_ = true;
    pageBreaks_.clear();
    formats_.clear();
    sheet_ = nullptr;
    columns_ = &columns;
    sheetName_ = sheetName(document.Title, "报表");
    if (columns.columnCount() > maxColumns) {
        discardOutput();
        if (error != nullptr)
            *error = "报表的列数超过了 Excel 工作表的上限";
        return false;
    }
    return true;
}

lxw_worksheet* TRMXlsxExportFilter::addSheet(const std::string& name,
                                             const TRMColumnLayout& columns,
                                             const TRMPageInfo& info) {
    lxw_worksheet* sheet = workbook_add_worksheet(workbook_, name.c_str());
    if (sheet == nullptr)
        throw std::runtime_error("无法在 Excel 文件中建立工作表 " + name);
    for (int c = 0; c < columns.columnCount(); ++c)
        check(worksheet_set_column_pixels(sheet, static_cast<lxw_col_t>(c),
                                          static_cast<lxw_col_t>(c),
                                          static_cast<std::uint32_t>(columns.width(c)), nullptr),
              "列宽");
    // Printing the sheet uses the report's paper.
    if (info.PaperSize >= 1 && info.PaperSize <= 41)
        worksheet_set_paper(sheet, static_cast<std::uint8_t>(info.PaperSize));
    if (info.Orientation == poLandscape)
        worksheet_set_landscape(sheet);
    worksheet_set_margins(sheet, info.LeftMargin / 96.0, info.RightMargin / 96.0,
                          info.TopMargin / 96.0, info.BottomMargin / 96.0);
    worksheet_gridlines(sheet, LXW_HIDE_ALL_GRIDLINES);
    return sheet;
}

lxw_format* TRMXlsxExportFilter::formatFor(const TRMExportCell& cell) {
    const TRMExportCellStyle& s = cell.Style;
    std::string key = s.Font.Name + '\x1f' + std::to_string(s.Font.Size) + '/' +
                      std::to_string(s.Font.Style) + '/' + std::to_string(s.Font.Color) + '/' +
                      std::to_string(s.Fill) + '/' + std::to_string(s.HAlign) + '/' +
                      std::to_string(s.VAlign) + '/' + std::to_string(s.Rotation) + '/' +
                      std::to_string(s.Diagonal) + '/' + (s.Wrap ? "w" : "") + '/';
    for (const TRMFrameLine& f : s.Frames)
        key += std::to_string(borderStyle(f)) + ':' + std::to_string(f.Color) + '/';
    key += '\x1f' + cell.Value.excelFormat;
    if (auto it = formats_.find(key); it != formats_.end())
        return it->second;

    lxw_format* format = workbook_add_format(workbook_);
    if (!s.Font.Name.empty())
        format_set_font_name(format, s.Font.Name.c_str());
    format_set_font_size(format, s.Font.Size > 0 ? s.Font.Size : 10);
    if ((s.Font.Style & fontstyle::Bold) != 0)
        format_set_bold(format);
    if ((s.Font.Style & fontstyle::Italic) != 0)
        format_set_italic(format);
    if ((s.Font.Style & fontstyle::Underline) != 0)
        format_set_underline(format, LXW_UNDERLINE_SINGLE);
    if ((s.Font.Style & fontstyle::StrikeOut) != 0)
        format_set_font_strikeout(format);
    if (platform::ColorToRGB(s.Font.Color) != clBlack)
        format_set_font_color(format, excelColor(s.Font.Color));
    if (s.Fill != clNone) {
        format_set_pattern(format, LXW_PATTERN_SOLID);
        format_set_bg_color(format, excelColor(s.Fill));
    }
    static constexpr std::uint8_t horizontal[] = {LXW_ALIGN_LEFT, LXW_ALIGN_RIGHT, LXW_ALIGN_CENTER,
                                                  LXW_ALIGN_JUSTIFY};
    static constexpr std::uint8_t vertical[] = {LXW_ALIGN_VERTICAL_TOP, LXW_ALIGN_VERTICAL_CENTER,
                                                LXW_ALIGN_VERTICAL_BOTTOM};
    format_set_align(format, horizontal[s.HAlign & 3]);
    format_set_align(format, vertical[std::clamp(s.VAlign, 0, 2)]);
    if (s.Rotation != 0)
        format_set_rotation(format, static_cast<std::int16_t>(s.Rotation));
    if (s.Wrap)
        format_set_text_wrap(format);
    const TRMFrameLine& left = s.Frames[0];
    const TRMFrameLine& top = s.Frames[1];
    const TRMFrameLine& right = s.Frames[2];
    const TRMFrameLine& bottom = s.Frames[3];
    format_set_left(format, borderStyle(left));
    format_set_top(format, borderStyle(top));
    format_set_right(format, borderStyle(right));
    format_set_bottom(format, borderStyle(bottom));
    if (left.Visible)
        format_set_left_color(format, excelColor(left.Color));
    if (top.Visible)
        format_set_top_color(format, excelColor(top.Color));
    if (right.Visible)
        format_set_right_color(format, excelColor(right.Color));
    if (bottom.Visible)
        format_set_bottom_color(format, excelColor(bottom.Color));
    if (s.Diagonal != 0) {
        format_set_diag_type(format, static_cast<std::uint8_t>(s.Diagonal));
        format_set_diag_border(format, LXW_BORDER_THIN);
    }
    if (!cell.Value.excelFormat.empty())
        format_set_num_format(format, cell.Value.excelFormat.c_str());
    else if (cell.Value.kind == TRMCellValue::Text)
        format_set_num_format(format, "@"); // typed-over text stays text ("0009")
    formats_.emplace(std::move(key), format);
    return format;
}

void TRMXlsxExportFilter::writePage(const TRMGridPage& page, const TRMPageInfo& info) {
    int firstRow = nextRow_;
    if (Options.SheetPerPage) {
        sheet_ = addSheet("第" + std::to_string(page.PageIndex + 1) + "页", *page.Columns, info);
        firstRow = 0;
    } else if (sheet_ == nullptr) {
        sheet_ = addSheet(sheetName_, *columns_, info);
    } else if (!firstPage_ && pageBreaks_.size() < maxPageBreaks) {
        pageBreaks_.push_back(static_cast<unsigned>(firstRow));
    }
    firstPage_ = false;
    const int rows = static_cast<int>(page.RowHeights.size());
    if (firstRow + rows > maxRows)
        throw std::runtime_error("报表的行数超过了 Excel 工作表的上限（1048576 行），"
                                 "请选择每页一个工作表或减少导出的页");
    std::size_t next = 0;
    for (int r = 0; r < rows; ++r) {
        const auto row = static_cast<lxw_row_t>(firstRow + r);
        // Row heights are points in the file: 96 pixels make 72 points.
        check(worksheet_set_row_pixels(
                  sheet_, row,
                  static_cast<std::uint32_t>(page.RowHeights[static_cast<std::size_t>(r)]),
                  nullptr),
              "行高");
        for (; next < page.Cells.size() && page.Cells[next].Row == r; ++next) {
            const TRMExportCell& cell = page.Cells[next];
            lxw_format* format = formatFor(cell);
            const auto col = static_cast<lxw_col_t>(cell.Col);
            if (cell.LastRow != cell.Row || cell.LastCol != cell.Col)
                check(worksheet_merge_range(sheet_, row, col,
                                            static_cast<lxw_row_t>(firstRow + cell.LastRow),
                                            static_cast<lxw_col_t>(cell.LastCol), "", format),
                      "合并单元格");
            if (cell.Value.kind != TRMCellValue::Text)
                check(worksheet_write_number(sheet_, row, col, cell.Value.number, format), "数值");
            else if (!cell.Text.empty())
                check(worksheet_write_string(sheet_, row, col, cell.Text.c_str(), format), "文本");
            else if (cell.LastRow == cell.Row && cell.LastCol == cell.Col)
                check(worksheet_write_blank(sheet_, row, col, format), "单元格");
        }
    }
    nextRow_ = firstRow + rows;
}

bool TRMXlsxExportFilter::closeOutput(std::string* error) {
    if (workbook_ == nullptr) {
        if (error != nullptr)
            *error = "没有正在写入的 Excel 文件";
        return false;
    }
    if (sheet_ == nullptr)
        sheet_ = workbook_add_worksheet(workbook_, sheetName_.c_str()); // a report without cells
    std::vector<lxw_row_t> breaks(pageBreaks_.begin(), pageBreaks_.end());
    if (!breaks.empty() && sheet_ != nullptr) {
        breaks.push_back(0);
        worksheet_set_h_pagebreaks(sheet_, breaks.data());
    }
    const lxw_error status = workbook_close(workbook_);
    workbook_ = nullptr;
    sheet_ = nullptr;
    formats_.clear();
    if (status != LXW_NO_ERROR) {
        if (error != nullptr)
            *error = "写入 Excel 文件 " + file_.target() + " 失败：" + lxw_strerror(status);
        file_.discard();
        return false;
    }
    return file_.commit(error);
}

void TRMXlsxExportFilter::closeWorkbook() {
    if (workbook_ != nullptr)
        workbook_close(workbook_); // frees it; the file is discarded below
    workbook_ = nullptr;
    sheet_ = nullptr;
    formats_.clear();
}

void TRMXlsxExportFilter::discardOutput() {
    closeWorkbook();
    file_.discard();
}

} // namespace report
