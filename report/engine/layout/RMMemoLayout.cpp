#include "report/engine/layout/RMMemoLayout.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace report {

namespace {

constexpr std::array<char32_t, 42> lineStartPunctuation = {
    U'。', U'，', U'、', U'；', U'：', U'？', U'！', U'…',  U'—',  U'·',  U'ˉ',
    U'‘',  U'’',  U'“',  U'”',  U'～', U'∶',  U'＂', U'＇', U'｀', U'｜', U'〔',
    U'〕', U'〈', U'〉', U'《', U'》', U'「', U'」', U'『', U'』', U'．', U'〖',
    U'〗', U'【', U'】', U'（', U'）', U'［', U'］', U'｛', U'｝'};

bool isDelimiter(char c) {
    return c == '\r' || c == ' ' || c == '-';
}

// Tokens of one piece of a line: [begin, end) byte ranges with their widths.
struct Token {
    std::size_t begin, end;
    double width;
    bool doubleByte;
    char32_t first;
};

void tokenize(std::string_view s, const TRMTextFont& font, std::vector<Token>& out) {
    out.clear();
    std::size_t pos = 0;
    while (pos < s.size()) {
        const std::size_t begin = pos;
        if (static_cast<unsigned char>(s[pos]) >= 0x80) {
            const char32_t c = nextCodePoint(s, pos);
            out.push_back({begin, pos, font.charWidth(c), true, c});
            continue;
        }
        double w = 0;
        while (pos < s.size() && static_cast<unsigned char>(s[pos]) < 0x80) {
            const char c = s[pos++];
            w += font.charWidth(static_cast<char32_t>(c));
            if (isDelimiter(c))
                break;
        }
        out.push_back({begin, pos, w, false, static_cast<char32_t>(s[begin])});
    }
}

class LineBreaker {
public:
    LineBreaker(const TRMTextFont& font, const TRMWrapOptions& opts, TRMStrings& out)
        : font_(font)
        , opts_(opts)
        , out_(out) {}

    void piece(std::string_view s) {
        tokenize(s, font_, tokens_);
        line_.clear();
        width_ = 0;
        for (std::size_t i = 0; i < tokens_.size(); ++i) {
            const Token& t = tokens_[i];
            const std::string_view text = s.substr(t.begin, t.end - t.begin);
            if (width_ + t.width <= opts_.Width) {
                if (opts_.WordBreak && !line_.empty() && i + 1 < tokens_.size()) {
                    const Token& next = tokens_[i + 1];
                    if (next.doubleByte && isLineStartPunctuation(next.first) &&
                        width_ + t.width + next.width > opts_.Width) {
                        flush();
                    }
                }
                append(text, t.width);
                continue;
            }
            if (!line_.empty())
                flush();
            if (t.width <= opts_.Width)
                append(text, t.width);
            else
                cut(text);
        }
        flush();
    }

private:
    void append(std::string_view text, double width) {
        line_ += text;
        width_ += width;
    }
    void flush() {
        line_ += rmLineMarker;
        out_.push_back(std::move(line_));
        line_.clear();
        width_ = 0;
    }
    // A token wider than the line, character by character (at least one per line).
    void cut(std::string_view text) {
        for (std::size_t pos = 0; pos < text.size();) {
            const std::size_t begin = pos;
            const double w = font_.charWidth(nextCodePoint(text, pos));
            if (!line_.empty() && width_ + w > opts_.Width)
                flush();
            append(text.substr(begin, pos - begin), w);
        }
    }

    const TRMTextFont& font_;
    const TRMWrapOptions& opts_;
    TRMStrings& out_;
    std::vector<Token> tokens_;
    std::string line_;
    double width_ = 0;
};

// Splits a line at CR (and backquotes with MangeTag), line feeds removed.
template <typename Fn>
void forEachPiece(std::string_view line, bool mangeTag, Fn&& fn) {
    std::string cleaned;
    if (line.find('\n') != std::string_view::npos) {
        cleaned.reserve(line.size());
        for (char c : line)
            if (c != '\n')
                cleaned += c;
        line = cleaned;
    }
    std::size_t start = 0;
    for (std::size_t i = 0; i <= line.size(); ++i) {
        if (i == line.size() || line[i] == '\r' || (mangeTag && line[i] == '`')) {
            fn(line.substr(start, i - start));
            start = i + 1;
        }
    }
}

} // namespace

bool isLineStartPunctuation(char32_t c) {
    return std::find(lineStartPunctuation.begin(), lineStartPunctuation.end(), c) !=
           lineStartPunctuation.end();
}

bool isPreWrapped(const TRMStrings& lines) {
    return std::any_of(lines.begin(), lines.end(), [](const std::string& l) {
        return l.find(rmLineMarker) != std::string::npos;
    });
}

std::string_view stripMarker(std::string_view line) {
    while (!line.empty() && line.back() == rmLineMarker)
        line.remove_suffix(1);
    return line;
}

int emPixels(int points) {
    return static_cast<int>(std::lround(points * 96.0 / 72.0));
}

TRMStrings wrapText(const TRMStrings& lines, const TRMTextFont& font, const TRMWrapOptions& opts) {
    TRMStrings out;
    out.reserve(lines.size());
    if (isPreWrapped(lines)) {
        for (const std::string& l : lines) {
            std::string s(stripMarker(l));
            s += rmLineMarker;
            out.push_back(std::move(s));
        }
        return out;
    }
    if (opts.Designer && lines.size() == 1 && !lines[0].empty() && lines[0][0] == '[' &&
        font.width(lines[0]) > opts.Width) {
        out.push_back(lines[0] + rmLineMarker);
        return out;
    }
    if (!opts.WordWrap) {
        for (const std::string& l : lines) {
            if (opts.MangeTag) {
                forEachPiece(l, true, [&](std::string_view p) {
                    out.push_back(std::string(p) + rmLineMarker);
                });
            } else {
                out.push_back(l + rmLineMarker);
            }
        }
        return out;
    }
    LineBreaker breaker(font, opts, out);
    for (const std::string& l : lines)
        forEachPiece(l, opts.MangeTag, [&](std::string_view p) { breaker.piece(p); });
    return out;
}

} // namespace report
