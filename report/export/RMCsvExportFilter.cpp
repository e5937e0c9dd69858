#include "report/export/RMCsvExportFilter.h"

#include "platform/Gbk.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace report {

std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
    return out;
}

bool startsLikeFormula(const std::string& text) {
    if (text.empty() || std::strchr("=+-@\t\r", text.front()) == nullptr)
        return false;
    // A number as a spreadsheet reads one is no formula: a sign, digits with grouping
    // commas and at most one point, an exponent, a per-cent sign at the end. The export
    // of a prepared file without its template sees "-1,234.50" only as text.
    std::size_t i = text.front() == '+' || text.front() == '-' ? 1 : 0;
    bool digits = false, point = false;
    for (; i < text.size() && (std::isdigit(static_cast<unsigned char>(text[i])) ||
                               text[i] == ',' || (text[i] == '.' && !point));
         ++i) {
        digits = digits || std::isdigit(static_cast<unsigned char>(text[i]));
        point = point || text[i] == '.';
    }
    if (!digits)
        return true;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t e = i + 1;
        if (e < text.size() && (text[e] == '+' || text[e] == '-'))
            ++e;
        const std::size_t start = e;
        while (e < text.size() && std::isdigit(static_cast<unsigned char>(text[e])))
            ++e;
        if (e == start)
            return true;
        i = e;
    }
    if (i < text.size() && text[i] == '%')
        ++i;
    return i != text.size();
}

TRMCsvExportFilter::~TRMCsvExportFilter() {
    discardOutput();
}

bool TRMCsvExportFilter::openOutput(const TRMExportDocument& document,
                                    const TRMColumnLayout& columns, bool, std::string* error) {
    discardOutput();
    if (!file_.create(document.FileName, error))
        return false;
    out_ = std::fopen(file_.tempPath().c_str(), "wb");
    if (out_ == nullptr) {
        if (error != nullptr)
            *error = "无法建立文件 " + document.FileName + "：" + std::strerror(errno);
        file_.discard();
        return false;
    }
    columns_ = columns.columnCount();
    if (TextEncoding == Encoding::Utf8Bom)
        write("\xEF\xBB\xBF");
    return true;
}

void TRMCsvExportFilter::write(const std::string& text) {
    if (std::fwrite(text.data(), 1, text.size(), out_) != text.size())
        throw std::runtime_error("写入文件 " + file_.target() + " 失败：" + std::strerror(errno));
}

void TRMCsvExportFilter::writePage(const TRMGridPage& page, const TRMPageInfo&) {
    std::vector<std::string> fields(static_cast<std::size_t>(columns_));
    std::size_t next = 0;
    const int rows = static_cast<int>(page.RowHeights.size());
    for (int r = 0; r < rows; ++r) {
        std::fill(fields.begin(), fields.end(), std::string());
        for (; next < page.Cells.size() && page.Cells[next].Row == r; ++next) {
            const TRMExportCell& cell = page.Cells[next];
            if (cell.Col >= columns_)
                continue;
            std::string& field = fields[static_cast<std::size_t>(cell.Col)];
            field = cell.Text;
            if (EscapeFormulas && cell.Value.kind == TRMCellValue::Text && startsLikeFormula(field))
                field.insert(0, 1, '\'');
        }
        line_.clear();
        for (std::size_t c = 0; c < fields.size(); ++c) {
            if (c > 0)
                line_ += ',';
            line_ += csvField(fields[c]);
        }
        line_ += "\r\n";
        write(TextEncoding == Encoding::Gbk ? platform::toGbk(line_) : line_);
    }
}

bool TRMCsvExportFilter::closeOutput(std::string* error) {
    if (out_ == nullptr) {
        if (error != nullptr)
            *error = "没有正在写入的文件";
        return false;
    }
    const bool flushed = std::fflush(out_) == 0 && std::ferror(out_) == 0;
    const int reason = errno;
    const bool closed = std::fclose(out_) == 0;
    out_ = nullptr;
    if (!flushed || !closed) {
        if (error != nullptr)
            *error = "写入文件 " + file_.target() + " 失败：" + std::strerror(reason);
        file_.discard();
        return false;
    }
    return file_.commit(error);
}

void TRMCsvExportFilter::discardOutput() {
    if (out_ != nullptr)
        std::fclose(out_);
    out_ = nullptr;
    file_.discard();
}

} // namespace report
