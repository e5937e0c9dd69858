// Memo layout and drawing.
#include "report/engine/layout/RMMemoLayout.h"
#include "report/engine/layout/RMViewPainter.h"
#include "report/engine/model/RMExportFilter.h"
#include "report/engine/model/RMMemoView.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace report {

using platform::TCanvas;
using platform::TRect;

namespace {

int lround(double v) {
    return static_cast<int>(std::lround(v));
}

} // namespace

TRMTextFont TRMMemoView::TextFont(int size) const {
    TRMTextFont f;
    f.Metrics = &TRMFontMetrics::of(Font.Name, (Font.Style & fontstyle::Bold) != 0,
                                    (Font.Style & fontstyle::Italic) != 0);
    f.Em = emPixels(size);
    f.Spacing = CharSpacing;
    if (FontScaleWidth > 0 && f.Em > 0)
        f.Stretch = FontScaleWidth / (f.Metrics->averageWidth() * f.Em);
    return f;
}

int TRMMemoView::FrameAllowanceY() const {
    return detail::frameAllowance(TopFrame) + detail::frameAllowance(BottomFrame);
}

TRMMemoLayout TRMMemoView::LayoutText(const TRMStrings& text, bool designer) const {
    const bool sideways = RotationType == rt90 || RotationType == rt270;
    TRMWrapOptions opts;
    opts.Width = sideways ? Height - 2 * GapY : Width - 2 * GapX;
    if (flag(flag::AutoWidth) && !designer)
        opts.Width += 100;
    opts.WordWrap = flag(flag::Wordwrap);
    opts.WordBreak = flag(flag::WordBreak);
    opts.MangeTag = flag2(flag2::MangeTag);
    opts.Designer = designer;

    TRMMemoLayout layout;
    layout.Available = opts.Width;
    int size = Font.Size;
    auto wrapAt = [&](int points) {
        layout.FontSize = points;
        layout.Font = TextFont(points);
        TRMStrings lines = wrapText(text, layout.Font, opts);
        layout.Lines.clear();
        layout.Widths.clear();
        for (std::string& l : lines) {
            l.pop_back(); // the marker
            layout.Widths.push_back(layout.Font.width(l));
            layout.Lines.push_back(std::move(l));
        }
        layout.LineHeight = LineSpacing + emPixels(points);
        // 64-bit: many lines of a large spacing may exceed int; the height is kept within it.
        const std::int64_t height =
            layout.Lines.empty()
                ? 0
                : std::int64_t{layout.LineHeight} * static_cast<std::int64_t>(layout.Lines.size()) -
                      LineSpacing;
        layout.TextHeight = static_cast<int>(std::clamp<std::int64_t>(
            height, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
    };
    wrapAt(size);
    if (!flag2(flag2::ScaleFontSize) || designer)
        return layout;
    // The fitting below steps down a point at a time: from at most the largest font size.
    size = std::min(size, TRMFont::kMaxSize + 1);
    if (ScaleFontType == ByWidth) {
        if (isPreWrapped(text) || opts.Width <= 9)
            return layout;
        auto tooWide = [&] {
            return std::any_of(layout.Widths.begin(), layout.Widths.end(),
                               [&](double w) { return w > opts.Width; });
        };
        while (size > 1 && tooWide())
            wrapAt(--size);
    } else {
        const int available = std::abs((sideways ? Width - 2 * GapX : Height - 2 * GapY));
        while (size > 5 && layout.TextHeight > available)
            wrapAt(--size);
    }
    return layout;
}

int TRMMemoView::TextWidth(const TRMStrings& text) const {
    const TRMTextFont font = TextFont(Font.Size);
    double widest = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::string_view l = stripMarker(text[i]);
        if (i + 1 == text.size() && l.empty())
            break;
        widest = std::max(widest, font.width(l));
    }
    const double frames =
        LeftFrame.Visible * LeftFrame.Width / 2 + RightFrame.Visible * RightFrame.Width / 2;
    return static_cast<int>(std::lround(widest + 2 * GapX + frames + 1 - CharSpacing));
}

int TRMMemoView::LinesThatFit(const TRMMemoLayout& layout) const {
    // 64-bit: gaps, spacings and heights come from files and may be anywhere in int's range.
    const std::int64_t em = std::int64_t{layout.LineHeight} - LineSpacing;
    const std::int64_t bottom = std::int64_t{Height} - FrameAllowanceY() / 2;
    int count = 0;
    for (std::int64_t y = GapY; count < static_cast<int>(layout.Lines.size());
         y += layout.LineHeight) {
        if (y + em > bottom)
            break;
        ++count;
    }
    return count;
}

namespace {

// Draws the text lines of a laid-out memo in device pixels.
class MemoPainter {
public:
    MemoPainter(const TRMMemoView& v, TCanvas& canvas, const TRMDrawPlacement& at,
                const TRMDrawContext& ctx, const TRMMemoLayout& layout, const TRect& rect)
        : v_(v)
        , canvas_(canvas)
        , at_(at)
        , ctx_(ctx)
        , layout_(layout)
        , rect_(rect)
        , clip_{rect.Left + 1, rect.Top, rect.Right - 2, rect.Bottom - 1} {
        font_ = detail::deviceFont(v.Font, layout.FontSize, at.ScaleY);
        if (v.FontScaleWidth > 0)
            font_.Width = std::max(1, lround(v.FontScaleWidth * at.ScaleX));
        spacing_ = lround(v.CharSpacing * at.ScaleX);
    }

    void draw() {
        canvas_.Brush = platform::TBrush::clear();
        canvas_.setCharacterExtra(spacing_);
        switch (v_.RotationType) {
        case rt90:
        case rt270:
            drawSideways();
            break;
        case rt180:
            drawStacked();
            break;
        case rt360:
            if (ctx_.Export != nullptr)
                drawHorizontal(); // an export takes the lines as they read
            else
                drawTurnedCharacters();
            break;
        default:
            drawHorizontal();
            break;
        }
        canvas_.setCharacterExtra(0);
    }

private:
    double sx() const { return at_.ScaleX; }
    double sy() const { return at_.ScaleY; }

    void drawHorizontal() {
        const double textHeight = layout_.TextHeight * sy();
        double y = rect_.Top + v_.GapY * sy();
        if (v_.Layout() == 8)
            y = rect_.Top + (rect_.height() - textHeight) / 2;
        else if (v_.Layout() == 16)
            y = rect_.Bottom - v_.GapY * sy() - textHeight;
        const double lineStep = layout_.LineHeight * sy();
        for (std::size_t i = 0; i < layout_.Lines.size(); ++i, y += lineStep) {
            const std::string& text = layout_.Lines[i];
            const double w = layout_.Widths[i] * sx();
            double x = rect_.Left + v_.GapX * sx();
            switch (v_.Alignment()) {
            case 1:
                x = rect_.Right - w - v_.GapX * sx();
                break;
            case 2:
                x = rect_.Left + (rect_.width() - w) / 2;
                break;
            default:
                break;
            }
            if (ctx_.Export != nullptr) {
                exportLine(text, x, y, layout_.Widths[i]);
                continue;
            }
            if (v_.Alignment() == 3 && !text.empty())
                drawJustified(text, x, y, layout_.Widths[i]);
            else if (v_.flag2(flag2::MangeTag))
                drawTagged(text, x, y);
            else
                drawLine(text, lround(x), lround(y), w);
        }
    }

    void exportLine(const std::string& text, double x, double y, double width) {
        const int px = lround((x - at_.OffsetX) / sx()), py = lround((y - at_.OffsetY) / sy());
        ctx_.Export->line(v_, px, py, lround(width), text);
    }

    // One line at device (x, y); clipped only when it leaves the clip rectangle.
    void drawLine(std::string_view text, int x, int y, double width, int escapement = 0) {
        canvas_.Font = font_;
        canvas_.Font.Escapement = escapement;
        const int cellHeight = -font_.Height;
        const bool inside = escapement != 0 || (x >= clip_.Left && x + width <= clip_.Right &&
                                                y >= clip_.Top && y + cellHeight <= clip_.Bottom);
        if (!inside && !ctx_.IsPrinting && !ctx_.Designer && escapement == 0 &&
            width > clip_.width())
            canvas_.Font.Height = std::min(-1, font_.Height + 1);
        unsigned options = inside ? 0 : platform::ETO_CLIPPED;
        if (v_.flag(flag::RTLReading))
            options |= platform::ETO_RTLREADING;
        canvas_.extTextOut(x, y, options, &clip_, text);
    }

    void drawJustified(const std::string& text, double x, double y, double width) {
        std::vector<std::pair<std::size_t, std::size_t>> chars;
        for (std::size_t pos = 0; pos < text.size();) {
            const std::size_t begin = pos;
            nextCodePoint(text, pos);
            chars.emplace_back(begin, pos - begin);
        }
        const double spare = rect_.width() / sx() - width - 2 * v_.GapX;
        const double gap = chars.size() > 1 ? spare / static_cast<double>(chars.size() - 1) : 0;
        double pageX = 0;
        for (const auto& [begin, length] : chars) {
            const std::string_view c(text.data() + begin, length);
            const double cw = layout_.Font.width(c);
            drawLine(c, lround(x + pageX * sx()), lround(y), cw * sx());
            pageX += cw + gap;
        }
    }

    // Markup: "~" superscript, "_" subscript, "|" back to normal (not printed).
    void drawTagged(const std::string& text, double x, double y) {
        int size = layout_.FontSize;
        double baseline = 0;
        const platform::TFont normal = font_;
        for (std::size_t pos = 0; pos < text.size();) {
            const std::size_t begin = pos;
            const char32_t c = nextCodePoint(text, pos);
            if (c == U'~' || c == U'_' || c == U'|') {
                size = c == U'|' ? layout_.FontSize : std::max(6, layout_.FontSize / 2);
                baseline = c == U'_' ? (layout_.FontSize / 2 + 2) * sy() : 0;
                font_.Height = -std::max(1, lround(emPixels(size) * sy()));
                continue;
            }
            const std::string_view s(text.data() + begin, pos - begin);
            const double cw = v_.TextFont(size).width(s) * sx();
            drawLine(s, lround(x), lround(y + baseline), cw);
            x += cw;
        }
        font_ = normal;
    }

    // rt90 / rt270: lines run across the view, characters along its height.
    void drawSideways() {
        const bool up = v_.RotationType == rt90;
        const double lineStep = layout_.LineHeight * sx();
        const double textHeight = layout_.TextHeight * sx();
        double x = rect_.Left + v_.GapX * sx();
        if (v_.Layout() == 8)
            x = rect_.Left + (rect_.width() - textHeight) / 2;
        else if (v_.Layout() == 16)
            x = rect_.Right - v_.GapX * sx() - textHeight;
        for (std::size_t i = 0; i < layout_.Lines.size(); ++i, x += lineStep) {
            const double w = layout_.Widths[i] * sy();
            double start = v_.GapY * sy(); // distance from the line's start edge
            if (v_.Alignment() == 1)
                start = rect_.height() - w - v_.GapY * sy();
            else if (v_.Alignment() == 2)
                start = (rect_.height() - w) / 2;
            if (up)
                drawLine(layout_.Lines[i], lround(x), lround(rect_.Bottom - start), w, 900);
            else
                drawLine(layout_.Lines[i], lround(x + layout_.LineHeight * sx()) - 1,
                         lround(rect_.Top + start), w, -900);
        }
    }

    // rt180: upright characters one below the other, one column per line.
    void drawStacked() {
        const double step = layout_.LineHeight * sy();
        double x = rect_.Left + v_.GapX * sx();
        for (const std::string& line : layout_.Lines) {
            double y = rect_.Top + v_.GapY * sy();
            double widest = 0;
            for (std::size_t pos = 0; pos < line.size();) {
                const std::size_t begin = pos;
                nextCodePoint(line, pos);
                const std::string_view c(line.data() + begin, pos - begin);
                const double cw = layout_.Font.width(c) * sx();
                widest = std::max(widest, cw);
                drawLine(c, lround(x), lround(y), cw);
                y += step;
            }
            x += widest + v_.LineSpacing * sx();
        }
    }

    // rt360: lines run as usual, each character turned by 90° and taking its height
    // along the line.
    void drawTurnedCharacters() {
        const double em = (layout_.LineHeight - v_.LineSpacing) * sx();
        const double lineStep = layout_.LineHeight * sy();
        const double textHeight = layout_.TextHeight * sy();
        double y = rect_.Top + v_.GapY * sy();
        if (v_.Layout() == 8)
            y = rect_.Top + (rect_.height() - textHeight) / 2;
        else if (v_.Layout() == 16)
            y = rect_.Bottom - v_.GapY * sy() - textHeight;
        for (std::size_t i = 0; i < layout_.Lines.size(); ++i, y += lineStep) {
            const std::string& line = layout_.Lines[i];
            std::vector<std::pair<std::size_t, std::size_t>> chars;
            for (std::size_t pos = 0; pos < line.size();) {
                const std::size_t begin = pos;
                nextCodePoint(line, pos);
                chars.emplace_back(begin, pos - begin);
            }
            const double length = static_cast<double>(chars.size()) * em;
            double x = rect_.Left + v_.GapX * sx();
            if (v_.Alignment() == 1)
                x = rect_.Right - length - v_.GapX * sx();
            else if (v_.Alignment() == 2)
                x = rect_.Left + (rect_.width() - length) / 2;
            for (const auto& [begin, size] : chars) {
                const std::string_view c(line.data() + begin, size);
                const double cw = layout_.Font.width(c) * sy();
                // A 90° font draws upwards from its origin: the character's foot is there.
                drawLine(c, lround(x), lround(y + cw), cw, 900);
                x += em;
            }
        }
    }

    const TRMMemoView& v_;
    TCanvas& canvas_;
    const TRMDrawPlacement& at_;
    const TRMDrawContext& ctx_;
    const TRMMemoLayout& layout_;
    TRect rect_;
    TRect clip_;
    platform::TFont font_;
    int spacing_ = 0;
};

void drawUnderlines(const TRMMemoView& v, TCanvas& canvas, const TRect& r,
                    const TRMDrawPlacement& at, const TRMMemoLayout& layout) {
    const double step = layout.LineHeight * at.ScaleY;
    if (step < 1)
        return;
    canvas.Pen = detail::framePen(v.TopFrame, at.ScaleX);
    canvas.Pen.Style = platform::psSolid;
    for (double y = r.Top + v.GapY * at.ScaleY + step; y < r.Bottom; y += step)
        detail::line(canvas, r.Left, lround(y), r.Right, lround(y));
}

} // namespace

void TRMMemoView::Draw(TCanvas& canvas, const TRMDrawPlacement& at,
                       const TRMDrawContext& ctx) const {
    const TRect r = detail::deviceRect(*this, at);
    const TRMMemoLayout layout = LayoutText(DrawnText(), ctx.Designer);
    detail::drawFill(canvas, *this, r, ctx, FillColor);
    detail::drawFrame(canvas, *this, r, at, ctx);
    detail::drawDiagonals(canvas, BandType, r);
    if (flag(flag::Underlines) && !ctx.FirstPass)
        drawUnderlines(*this, canvas, r, at, layout);
    MemoPainter(*this, canvas, at, ctx, layout, r).draw();
}

} // namespace report
