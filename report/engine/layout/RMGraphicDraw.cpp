// Drawing of pictures, lines, shapes, check boxes, diagonal header cells and money cells.
#include "platform/Canvas.h"
#include "platform/EngineTexts.h"
#include "platform/Gbk.h"
#include "platform/Picture.h"
#include "report/engine/layout/RMMemoLayout.h"
#include "report/engine/layout/RMViewPainter.h"
#include "report/engine/model/RMExportFilter.h"
#include "report/engine/model/RMGraphicViews.h"
#include "report/engine/model/RMMemoView.h"
#include "report/engine/model/RMReport.h"

#include <QByteArray>

#include <algorithm>
#include <cmath>
#include <map>

namespace report {

using platform::TCanvas;
using platform::TRect;

namespace {

int lround(double v) {
    return static_cast<int>(std::lround(v));
}

platform::TPictureKind platformKind(std::uint8_t kind) {
    switch (kind) {
    case TRMPicture::Bitmap:
        return platform::TPictureKind::Bitmap;
    case TRMPicture::Metafile:
        return platform::TPictureKind::Metafile;
    case TRMPicture::Icon:
        return platform::TPictureKind::Icon;
    case TRMPicture::Jpeg:
        return platform::TPictureKind::Jpeg;
    default:
        return platform::TPictureKind::None;
    }
}

// Decoded pictures by their bytes, so that drawing a page again does not decode again. A
// picture that does not decode is remembered as empty. Per thread, as a print draws on its own.
const platform::Picture& decodedPicture(const TRMPicture& picture) {
    thread_local std::map<std::size_t, std::pair<std::string, platform::Picture>> cache;
    const std::size_t key = std::hash<std::string>{}(picture.data) ^ picture.kind;
    auto it = cache.find(key);
    if (it != cache.end() && it->second.first == picture.data)
        return it->second.second;
    if (cache.size() > 64)
        cache.clear();
    platform::Picture decoded;
    const QByteArray bytes(picture.data.data(), static_cast<qsizetype>(picture.data.size()));
    if (!decoded.loadFromBytes(bytes, platformKind(picture.kind)))
        decoded.clear();
    auto& slot = cache[key];
    slot = {picture.data, std::move(decoded)};
    return slot.second;
}

void textAt(TCanvas& canvas, int x, int y, std::string_view text) {
    canvas.Brush = platform::TBrush::clear();
    canvas.textOut(x, y, text);
}

} // namespace

// ------------------------------------------------------------------------------ picture

bool TRMPictureView::LoadBlob(const std::string& bytes) {
    Picture = {};
    if (bytes.empty())
        return false;
    const std::string_view head(bytes.data(), std::min<std::size_t>(bytes.size(), 10));
    static constexpr char jfif[] = "\xFF\xD8\xFF\xE0\x00\x10JFIF";
    if (head.size() == 10 && head == std::string_view(jfif, 10)) {
        BlobType = btJPG;
    } else if (head.find("GIF") != std::string_view::npos) {
        return false;
    }
    const std::uint8_t kind[] = {TRMPicture::Bitmap, TRMPicture::Jpeg, TRMPicture::Metafile,
                                 TRMPicture::Icon};
    Picture.kind = BlobType < 4 ? kind[BlobType] : std::uint8_t{TRMPicture::Bitmap};
    Picture.data = bytes;
    return true;
}

TRect TRMPictureView::PictureRect(const TRect& rect, int pw, int ph,
                                  const TRMDrawPlacement& at) const {
    TRect target = rect;
    if (flag(Stretched)) {
        if (flag(KeepAspect) && pw > 0 && ph > 0) {
            const double kx = static_cast<double>(rect.width()) / pw;
            const double ky = static_cast<double>(rect.height()) / ph;
            if (kx >= ky)
                target.Right = rect.Left + lround(pw * ky);
            else
                target.Bottom = rect.Top + lround(ph * kx);
        }
    } else {
        target.Right = rect.Left + lround(pw * at.ScaleX);
        target.Bottom = rect.Top + lround(ph * at.ScaleY);
    }
    if (flag(Center))
        target = target.offset((rect.width() - target.width()) / 2,
                               (rect.height() - target.height()) / 2);
    return target;
}

void TRMPictureView::Draw(TCanvas& canvas, const TRMDrawPlacement& at,
                          const TRMDrawContext& ctx) const {
    const TRect r = detail::deviceRect(*this, at);
    detail::drawFill(canvas, *this, r, ctx, FillColor);
    const platform::Picture* picture = Picture.empty() ? nullptr : &decodedPicture(Picture);
    if (picture != nullptr && !picture->isEmpty() && !picture->image().isNull()) {
        const int level = canvas.saveDC();
        canvas.intersectClipRect(r);
        picture->draw(canvas, PictureRect(r, picture->width(), picture->height(), at),
                      flag(Transparent));
        canvas.restoreDC(level);
    } else if (picture != nullptr) {
        return; // damaged or undrawable data: the fill only
    } else if (ctx.Designer) {
        canvas.Font = platform::TFont{};
        canvas.Font.Color = platform::clBlack;
        textAt(canvas, r.Left + 20, r.Top + 3, platform::engineText(47228, "图片"));
    }
    detail::drawFrame(canvas, *this, r, at, ctx);
}

// --------------------------------------------------------------------------------- line

void TRMLineView::Draw(TCanvas& canvas, const TRMDrawPlacement& at,
                       const TRMDrawContext& ctx) const {
    TRMLineView v = *this;
    if (v.Height < v.Width) {
        v.Height = 0;
        v.TopFrame.Visible = true;
        v.LeftFrame.Visible = false;
    } else {
        v.Width = 0;
        v.LeftFrame.Visible = true;
        v.TopFrame.Visible = false;
    }
    v.RightFrame.Visible = v.BottomFrame.Visible = false;
    detail::drawFrame(canvas, v, detail::deviceRect(v, at), at, ctx);
}

// -------------------------------------------------------------------------------- shape

void TRMShapeView::Draw(TCanvas& canvas, const TRMDrawPlacement& at,
                        const TRMDrawContext& ctx) const {
    if (ctx.FirstPass)
        return;
    const TRect r = detail::deviceRect(*this, at);
    canvas.Pen = detail::framePen(TopFrame, at.ScaleX);
    canvas.Pen.Cap = platform::TPenCap::Round;
    const bool fill = FillColor != clNone && !(ctx.IsPrinting && !ctx.PrintBackColor);
    canvas.Brush = fill ? platform::TBrush::solid(FillColor) : platform::TBrush::clear();
    const int side = std::min(r.width(), r.height());
    const int midX = (r.Left + r.Right) / 2, midY = (r.Top + r.Bottom) / 2;
    using detail::line;
    switch (Shape) {
    case skRectangle:
        canvas.rectangle(r.Left, r.Top, r.Right + 1, r.Bottom + 1);
        break;
    case skRoundRectangle:
        canvas.roundRect({r.Left, r.Top, r.Right + 1, r.Bottom + 1}, side / 4, side / 4);
        break;
    case skEllipse:
        canvas.ellipse({r.Left, r.Top, r.Right + 1, r.Bottom + 1});
        break;
    case skTriangle: {
        const QPoint points[] = {{r.Left, r.Bottom}, {r.Right, r.Bottom}, {midX, r.Top}};
        canvas.polygon(points);
        break;
    }
    case skDiagonal1:
        line(canvas, r.Left, r.Bottom, r.Right, r.Top);
        break;
    case skDiagonal2:
        line(canvas, r.Left, r.Top, r.Right, r.Bottom);
        break;
    case skSquare:
        canvas.rectangle(platform::Bounds(r.Left, r.Top, side + 1, side + 1));
        break;
    case skRoundSquare:
        canvas.roundRect(platform::Bounds(r.Left, r.Top, side + 1, side + 1), side / 4, side / 4);
        break;
    case skCircle:
        canvas.ellipse(platform::Bounds(r.Left, r.Top, side + 1, side + 1));
        break;
    case 103:
        line(canvas, r.Left, midY, r.Right, midY);
        break;
    case 104:
        line(canvas, r.Left, r.Top, r.Left, r.Bottom);
        line(canvas, r.Right, r.Top, r.Right, r.Bottom);
        break;
    case 105:
        line(canvas, r.Left, r.Top, r.Right, r.Top);
        line(canvas, r.Left, r.Bottom, r.Right, r.Bottom);
        break;
    case 106:
        line(canvas, midX, r.Top, midX, r.Bottom);
        break;
    default:
        break;
    }
}

// ----------------------------------------------------------------------------- check box

bool TRMCheckBoxView::Checked() const {
    const TRMStrings& text = StreamMode == smPrepared ? Memo : Memo1;
    return !text.empty() && !text[0].empty() && text[0][0] != '0';
}

void TRMCheckBoxView::EvaluateState(TRMReport& report) {
    const std::string expression = Memo.empty() ? std::string() : Memo[0];
    double value = 0;
    if (!expression.empty()) {
        TRMView* saved = report.CurrentView;
        report.CurrentView = this;
        value = report.Evaluate(expression).toDouble();
        report.CurrentView = saved;
    }
    Memo1 = {std::to_string(std::lround(value))};
}

void TRMCheckBoxView::Draw(TCanvas& canvas, const TRMDrawPlacement& at,
                           const TRMDrawContext& ctx) const {
    const TRect r = detail::deviceRect(*this, at);
    if (ctx.Export != nullptr) {
        ctx.Export->line(*this, Left, Top, Width, Checked() ? "X" : "");
        return;
    }
    detail::drawFill(canvas, *this, r, ctx, FillColor);
    if (Checked() || ctx.Designer) {
        // The symbol face's check (0xFC) and cross (0xFB) marks as Unicode characters.
        const std::string mark = CheckStyle == csCheck ? "\u2714" : "\u2718";
        canvas.Font = platform::TFont{};
        canvas.Font.Name = "DejaVu Sans";
        canvas.Font.Height = -std::max(1, r.height());
        canvas.Font.Color = CheckColor;
        canvas.Font.Charset = platform::SYMBOL_CHARSET;
        textAt(canvas, r.Left + (r.width() - canvas.textWidth(mark)) / 2, r.Top, mark);
    }
    detail::drawFrame(canvas, *this, r, at, ctx);
}

// -------------------------------------------------------------------------- diagonal cell

void TRMDiagonalView::Draw(TCanvas& canvas, const TRMDrawPlacement& at,
                           const TRMDrawContext& ctx) const {
    const TRect r = detail::deviceRect(*this, at);
    if (ctx.Export == nullptr) {
        detail::drawFill(canvas, *this, r, ctx, FillColor);
        detail::drawFrame(canvas, *this, r, at, ctx);
    }
    std::string text;
    for (const std::string& l : DrawnText())
        text += stripMarker(l);
    text = platform::trimBlanks(text) + ";;;";
    std::string parts[4];
    for (int i = 0, start = 0; i < 4; ++i) {
        const std::size_t semi = text.find(';', static_cast<std::size_t>(start));
        parts[i] =
            text.substr(static_cast<std::size_t>(start), semi - static_cast<std::size_t>(start));
        start = static_cast<int>(semi + 1);
    }
    const bool p1 = !parts[0].empty(), p2 = !parts[1].empty(), p3 = !parts[2].empty(),
               p4 = !parts[3].empty();
    const int key = p1 | p2 << 1 | p3 << 2 | p4 << 3;
    const int midX = (r.Left + r.Right) / 2, midY = (r.Top + r.Bottom) / 2;
    const QPoint tl{r.Left, r.Top}, tr{r.Right, r.Top}, br{r.Right, r.Bottom}, bl{r.Left, r.Bottom};
    const QPoint mt{midX, r.Top}, mb{midX, r.Bottom}, ml{r.Left, midY}, mr{r.Right, midY};
    std::vector<std::pair<QPoint, QPoint>> lines;
    switch (key) {
    case 0b1010:
        lines = {{tl, br}};
        break;
    case 0b1110:
        lines = {{tl, mb}, {tl, mr}};
        break;
    case 0b1011:
        lines = {{br, mt}, {br, ml}};
        break;
    case 0b0111:
        lines = {{bl, mt}, {bl, mr}};
        break;
    case 0b0101:
        lines = {{bl, tr}};
        break;
    case 0b1101:
        lines = {{tr, mb}, {tr, ml}};
        break;
    case 0b1001:
        lines = {{ml, mr}};
        break;
    case 0b0011:
        lines = {{mt, mb}};
        break;
    case 0b1111:
        lines = {{mt, mb}, {ml, mr}};
        break;
    default:
        lines = {{tl, br}};
        break;
    }
    if (ctx.Export == nullptr) {
        canvas.Pen = platform::TPen{};
        canvas.Pen.Color = LineColor;
        canvas.Pen.Width = std::max(1, lround(LineWidth * at.ScaleX));
        for (const auto& [a, b] : lines)
            detail::line(canvas, a.x(), a.y(), b.x(), b.y());
    }
    const TRMTextFont font = TextFont(Font.Size);
    canvas.Font = detail::deviceFont(Font, Font.Size, at.ScaleY);
    const int inset = lround(5 * at.ScaleX), em = -canvas.Font.Height;
    for (int i = 0; i < 4; ++i) {
        if (parts[i].empty())
            continue;
        const int w = lround(font.width(parts[i]) * at.ScaleX);
        const bool right = i == 1 || i == 2, bottom = i == 2 || i == 3;
        const int x = right ? r.Right - inset - w : r.Left + inset;
        const int y = bottom ? r.Bottom - inset - em : r.Top + inset;
        if (ctx.Export != nullptr)
            ctx.Export->line(*this, lround((x - at.OffsetX) / at.ScaleX),
                             lround((y - at.OffsetY) / at.ScaleY), lround(font.width(parts[i])),
                             parts[i]);
        else
            textAt(canvas, x, y, parts[i]);
    }
}

// ----------------------------------------------------------------------------- money cell

namespace {

const char* const integerUnits[] = {"元", "十", "百", "千", "万", "十", "百", "千",
                                    "亿", "十", "百", "千", "万", "兆", "十"};
const char* const decimalUnits[] = {"角", "分", "厘", "毫", "微"};

} // namespace

void TRMMoneyView::Draw(TCanvas& canvas, const TRMDrawPlacement& at,
                        const TRMDrawContext& ctx) const {
    const TRect r = detail::deviceRect(*this, at);
    detail::drawFill(canvas, *this, r, ctx, FillColor);
    const int n = std::clamp(DigitCount, 1, 64);
    const int decimals = std::clamp(Decimals, 0, n);
    const int w = std::max(0, LineWidth);
    const int c = std::max(1, (Width - (n - 1) * w) / n);
    const int rest = std::max(0, Width - (n - 1) * w - c * n);
    const auto pageX = [&](double x) { return lround((Left + x) * at.ScaleX + at.OffsetX); };
    const auto separators = [&] {
        if (ctx.FirstPass)
            return;
        for (int i = 1; i < n; ++i) {
            TColor colour = LineColor;
            if (i == n - decimals && decimals > 0)
                colour = DecimalLineColor;
            else if (i < n - decimals && (n - decimals - i) % 3 == 0)
                colour = KLineColor;
            canvas.Pen = platform::TPen{};
            canvas.Pen.Color = colour;
            canvas.Pen.Width = std::max(1, lround(w * at.ScaleX));
            const int x = pageX(rest + i * (c + w) - w);
            detail::line(canvas, x, r.Top, x, r.Bottom);
        }
    };
    // Column j spans [x0, x1) in page pixels from the left edge.
    const auto column = [&](int j) {
        const int x0 = j == 0 ? 0 : rest + j * (c + w);
        return std::pair{x0, rest + (j + 1) * (c + w) - w};
    };
    const TRMTextFont font = TextFont(Font.Size);
    canvas.Font = detail::deviceFont(Font, Font.Size, at.ScaleY);
    const int em = -canvas.Font.Height;
    const auto cell = [&](int j, const std::string& s) {
        const auto [x0, x1] = column(j);
        const double width = font.width(s);
        const int x = pageX((x0 + x1 - width) / 2.0);
        const int y = r.Top + (r.height() - em) / 2;
        if (ctx.Export != nullptr)
            ctx.Export->line(*this, Left + lround((x0 + x1 - width) / 2.0),
                             Top + (Height - emPixels(Font.Size)) / 2, lround(width), s);
        else
            textAt(canvas, x, y, s);
    };
    separators();
    if (TitleMode) {
        if (n < 20 && decimals <= 5) {
            for (int j = 0; j < n; ++j) {
                const int fromPoint = n - decimals - 1 - j; // 0 for the units column
                if (fromPoint >= 0)
                    cell(j, fromPoint < 15 ? integerUnits[fromPoint] : "");
                else
                    cell(j, decimalUnits[-fromPoint - 1]);
            }
        }
    } else {
        std::string text;
        for (const std::string& l : DrawnText())
            text += stripMarker(l);
        text = platform::trimBlanks(text);
        std::erase(text, ',');
        char* end = nullptr;
        const double value = text.empty() ? 0 : std::strtod(text.c_str(), &end);
        if (!text.empty() && end != nullptr && *end == '\0' && std::isfinite(value)) {
            const double shifted = std::round(std::fabs(value) * std::pow(10.0, decimals));
            std::string digits = shifted < 1e18 ? std::to_string(static_cast<long long>(shifted))
                                                : std::string(64, '9');
            if (digits.size() < static_cast<std::size_t>(decimals + 1))
                digits.insert(0, static_cast<std::size_t>(decimals + 1) - digits.size(), '0');
            const int needed = static_cast<int>(digits.size()) + (MoneySymbol.empty() ? 0 : 1);
            if (needed > n) {
                for (int j = 0; j < n; ++j)
                    cell(j, "*");
            } else {
                const int first = n - static_cast<int>(digits.size());
                for (int j = first; j < n; ++j)
                    cell(j, std::string(1, digits[static_cast<std::size_t>(j - first)]));
                if (!MoneySymbol.empty())
                    cell(first - 1, MoneySymbol);
            }
        }
    }
    separators();
    detail::drawFrame(canvas, *this, r, at, ctx);
}

} // namespace report
