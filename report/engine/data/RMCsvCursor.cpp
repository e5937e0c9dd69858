#include "report/engine/data/RMCsvCursor.h"

#include "platform/ClientDataSet.h"

#include <QFile>

namespace report {
namespace {

// Splits CSV text into lines of fields.
class CsvParser {
public:
    explicit CsvParser(std::string_view text)
        : text_(text) {
        if (text_.substr(0, 3) == "\xEF\xBB\xBF")
            pos_ = 3;
    }

    // The next non-empty line's fields; false at the end of the text.
    bool nextLine(std::vector<std::string>& fields) {
        fields.clear();
        while (pos_ < text_.size()) {
            if (atLineEnd()) { // an empty line
                skipLineEnd();
                continue;
            }
            readLine(fields);
            return true;
        }
        return false;
    }

private:
    bool atLineEnd() const { return text_[pos_] == '\n' || text_[pos_] == '\r'; }

    void skipLineEnd() {
        if (text_[pos_] == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n')
            ++pos_;
        ++pos_;
        ++line_;
    }

    void readLine(std::vector<std::string>& fields) {
        for (;;) {
            fields.push_back(readField());
            if (pos_ >= text_.size())
                return;
            if (text_[pos_] == ',') {
                ++pos_;
                if (pos_ >= text_.size() || atLineEnd())
                    fields.emplace_back(); // a trailing comma ends with an empty field
                else
                    continue;
            }
            if (pos_ < text_.size())
                skipLineEnd();
            return;
        }
    }

    std::string readField() {
        std::string value;
        if (pos_ < text_.size() && text_[pos_] == '"') {
            const int openedOn = line_;
            ++pos_;
            for (;;) {
                if (pos_ >= text_.size())
                    throw platform::EDatabaseError("CSV 文本第 " + std::to_string(openedOn) +
                                                   " 行的引号没有闭合");
                const char c = text_[pos_++];
                if (c == '"') {
                    if (pos_ < text_.size() && text_[pos_] == '"') {
                        value += '"';
                        ++pos_;
                        continue;
                    }
                    break;
                }
                if (c == '\n' || (c == '\r' && (pos_ >= text_.size() || text_[pos_] != '\n')))
                    ++line_;
                value += c;
            }
        }
        // Unquoted text, or text after a closing quote, runs to the next comma or line end.
        while (pos_ < text_.size() && text_[pos_] != ',' && !atLineEnd())
            value += text_[pos_++];
        return value;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    int line_ = 1;
};

} // namespace

TRMCsvCursor::TRMCsvCursor(std::string_view text) {
    CsvParser parser(text);
    parser.nextLine(names_);
    std::vector<std::string> fields;
    while (parser.nextLine(fields)) {
        fields.resize(names_.size());
        rows_.push_back(std::move(fields));
        fields = {};
    }
}

TRMCsvCursor TRMCsvCursor::fromFile(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        throw platform::EDatabaseError("无法读取 CSV 文件 " + path + ": " +
                                       file.errorString().toStdString());
    const QByteArray bytes = file.readAll();
    return TRMCsvCursor(
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

std::string TRMCsvCursor::fieldName(int index) const {
    if (index < 0 || index >= fieldCount())
        return {};
    return names_[static_cast<std::size_t>(index)];
}

platform::Variant TRMCsvCursor::fieldValue(int index) const {
    const int row = currentRow();
    if (row < 0 || index < 0 || index >= fieldCount())
        return platform::null;
    return rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(index)];
}

} // namespace report
