#include "report/export/RMExportGrid.h"

#include "platform/Gbk.h"
#include "report/engine/expressions/RMDisplayFormat.h"
#include "report/engine/model/RMGraphicViews.h"
#include "report/engine/model/RMMemoView.h"
#include "report/engine/model/RMReport.h"
#include "report/engine/model/RMRichView.h"

#include <algorithm>

namespace report {

namespace {

constexpr int tolerance = TRMColumnLayout::Tolerance;

bool hasText(const TRMStrings& lines) {
    return std::any_of(lines.begin(), lines.end(), [](const std::string& l) {
        return l.find_first_not_of(" \x01") != std::string::npos;
    });
}

bool framed(const TRMView& v) {
    return v.LeftFrame.Visible || v.TopFrame.Visible || v.RightFrame.Visible ||
           v.BottomFrame.Visible;
}

// Tops clustered: the first top of each run of tops at most `tolerance` apart.
std::vector<int> clustered(std::vector<int> values) {
    std::sort(values.begin(), values.end());
    std::vector<int> out;
    for (int v : values)
        if (out.empty() || v - out.back() > tolerance)
            out.push_back(v);
    return out;
}

// Index of the cluster a start edge belongs to: the last cluster at or before it.
int clusterOf(const std::vector<int>& clusters, int edge) {
    const auto it = std::upper_bound(clusters.begin(), clusters.end(), edge + tolerance);
    return std::max(0, static_cast<int>(it - clusters.begin()) - 1);
}

// Last cluster that starts before `end` (at least `first`).
int lastClusterBefore(const std::vector<int>& clusters, int first, int end) {
    const auto it = std::lower_bound(clusters.begin(), clusters.end(), end - tolerance);
    return std::max(first, static_cast<int>(it - clusters.begin()) - 1);
}

TRMExportCellStyle styleOf(const TRMView& view) {
    TRMExportCellStyle style;
    style.Fill = view.FillColor;
    const TRMFrameLine* sides[4] = {&view.LeftFrame, &view.TopFrame, &view.RightFrame,
                                    &view.BottomFrame};
    for (int i = 0; i < 4; ++i)
        if (sides[i]->Visible)
            style.Frames[static_cast<std::size_t>(i)] = *sides[i];
    if (const auto* memo = dynamic_cast<const TRMMemoView*>(&view)) {
        style.Font = memo->Font;
        style.HAlign = memo->Alignment();
        style.VAlign = memo->Layout() == 8 ? 1 : memo->Layout() == 16 ? 2 : 0;
        switch (memo->RotationType) {
        case rt90:
            style.Rotation = 90;
            break;
        case rt270:
            style.Rotation = -90;
            break;
        case rt180:
            style.Rotation = 270;
            break;
        default:
            break;
        }
        if (dynamic_cast<const TRMDiagonalView*>(&view) == nullptr) {
            // Diagonal kinds: 1-3 from the top-left corner down, 4-6 from the bottom-left up.
            const int kind = view.BandType;
            style.Diagonal = kind >= 1 && kind <= 3 ? 2 : kind >= 4 && kind <= 6 ? 1 : 0;
        } else {
            style.Diagonal = 2;
        }
    } else {
        style.HAlign = 2; // a check box's mark stands in the middle
        style.VAlign = 1;
    }
    return style;
}

} // namespace

TRMFormatTable formatTableOf(const TRMEMFPages& pages) {
    TRMFormatTable table;
    if (!pages.TemplateFormats)
        return table;
    for (auto& [name, format] : pages.TemplateFormats())
        if (formatKind(format.Code) != fkText)
            table.emplace(name, std::move(format));
    return table;
}

bool isCellView(const TRMView& view) {
    if (!view.Visible)
        return false;
    if (const auto* memo = dynamic_cast<const TRMMemoView*>(&view))
        return hasText(memo->DrawnText()) || framed(view) || view.FillColor != clNone;
    if (dynamic_cast<const TRMCheckBoxView*>(&view) != nullptr)
        return true;
    // A rich view (a caption, a title) becomes a cell with the plain text of its laid-out
    // lines, which it hands over in export mode like a memo.
    if (const auto* rich = dynamic_cast<const TRMRichView*>(&view))
        return !rich->RichText.empty() || framed(view) || view.FillColor != clNone;
    return false;
}

// ------------------------------------------------------------------------ column layout

void TRMColumnLayout::addView(int left, int right) {
    edges_.push_back(left);
    right_ = std::max(right_, right);
}

void TRMColumnLayout::finish() {
    lefts_ = clustered(std::move(edges_));
    edges_.clear();
}

int TRMColumnLayout::columnOf(int left) const {
    return clusterOf(lefts_, left);
}

int TRMColumnLayout::lastColumnOf(int first, int right) const {
    return lastClusterBefore(lefts_, first, right);
}

int TRMColumnLayout::width(int column) const {
    const auto c = static_cast<std::size_t>(column);
    if (c + 1 < lefts_.size())
        return lefts_[c + 1] - lefts_[c];
    return std::max(1, right_ - lefts_[c]);
}

// ---------------------------------------------------------------------------- page cells

void TRMPageCells::clear() {
    pending_.clear();
}

void TRMPageCells::addView(const TRMView& view, const platform::TRect& rect) {
    if (!isCellView(view))
        return;
    Pending cell;
    cell.view = &view;
    cell.rect = rect;
    cell.style = styleOf(view);
    cell.displayFormat = 0; // text
    if (formats_ != nullptr && !view.Name.empty())
        if (const auto it = formats_->find(view.Name); it != formats_->end()) {
            cell.displayFormat = it->second.Code;
            cell.formatText = it->second.Text;
        }
    if (const auto* money = dynamic_cast<const TRMMoneyView*>(&view); money && !money->TitleMode) {
        cell.money = true;
        for (const std::string& l : money->DrawnText())
            cell.moneyText += l;
        cell.moneyText.erase(std::remove(cell.moneyText.begin(), cell.moneyText.end(), '\x01'),
                             cell.moneyText.end());
        cell.moneyText = platform::trimBlanks(cell.moneyText);
        // The amount prints with the view's decimals.
        cell.displayFormat =
            (1 << 24) | (1 << 16) | (std::clamp(money->Decimals, 0, 15) << 8) | '.';
        cell.formatText.clear();
    }
    pending_.push_back(std::move(cell));
}

void TRMPageCells::addLine(const TRMView& view, int x, int y, std::string_view text) {
    if (pending_.empty() || pending_.back().view != &view)
        return;
    pending_.back().lines.push_back({x, y, std::string(text)});
}

std::string TRMPageCells::textOf(const Pending& cell) {
    if (cell.money)
        return cell.moneyText;
    // Lines on one baseline (the parts of a split cell) join with a blank, others with a
    // line break.
    std::vector<Line> lines = cell.lines;
    std::stable_sort(lines.begin(), lines.end(), [](const Line& a, const Line& b) {
        return a.y + tolerance < b.y || (std::abs(a.y - b.y) <= tolerance && a.x < b.x);
    });
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            text += std::abs(lines[i].y - lines[i - 1].y) <= tolerance ? " " : "\n";
        text += lines[i].text;
    }
    return text;
}

void TRMPageCells::addEdgesTo(TRMColumnLayout& columns) const {
    for (const Pending& cell : pending_)
        columns.addView(cell.rect.Left, cell.rect.Right);
}

std::vector<TRMExportCell> TRMPageCells::place(const TRMColumnLayout& columns,
                                               std::vector<int>& rowHeights) const {
    rowHeights.clear();
    std::vector<TRMExportCell> cells;
    if (pending_.empty() || columns.empty())
        return cells;
    std::vector<int> tops;
    tops.reserve(pending_.size());
    for (const Pending& cell : pending_)
        tops.push_back(cell.rect.Top);
    const std::vector<int> rows = clustered(std::move(tops));
    const int rowCount = static_cast<int>(rows.size());
    const int colCount = columns.columnCount();
    rowHeights.assign(static_cast<std::size_t>(rowCount), 1);
    for (int r = 0; r + 1 < rowCount; ++r)
        rowHeights[static_cast<std::size_t>(r)] =
            rows[static_cast<std::size_t>(r) + 1] - rows[static_cast<std::size_t>(r)];

    // Owner of each grid cell (index into `cells`), -1 when free.
    std::vector<int> owner(static_cast<std::size_t>(rowCount) * static_cast<std::size_t>(colCount),
                           -1);
    auto at = [&](int r, int c) -> int& {
        return owner[static_cast<std::size_t>(r) * static_cast<std::size_t>(colCount) +
                     static_cast<std::size_t>(c)];
    };
    auto isFree = [&](int r0, int c0, int r1, int c1) {
        for (int r = r0; r <= r1; ++r)
            for (int c = c0; c <= c1; ++c)
                if (at(r, c) >= 0)
                    return false;
        return true;
    };
    for (const Pending& p : pending_) {
        const int r0 = clusterOf(rows, p.rect.Top);
        const int c0 = columns.columnOf(p.rect.Left);
        int r1 = lastClusterBefore(rows, r0, p.rect.Bottom);
        int c1 = columns.lastColumnOf(c0, p.rect.Right);
        const std::string text = textOf(p);
        if (r1 == rowCount - 1) {
            int& last = rowHeights[static_cast<std::size_t>(r1)];
            last = std::max(last, p.rect.Bottom - rows[static_cast<std::size_t>(r1)]);
        }
        if (const int taken = at(r0, c0); taken >= 0) {
            TRMExportCell& cell = cells[static_cast<std::size_t>(taken)];
            if (!text.empty()) {
                cell.Text += cell.Text.empty() ? text : "\n" + text;
                cell.Value = {};
                cell.Style.Wrap = cell.Text.find('\n') != std::string::npos;
            }
            continue;
        }
        while (r1 > r0 && !isFree(r0, c0, r1, c1))
            --r1;
        while (c1 > c0 && !isFree(r0, c0, r1, c1))
            --c1;
        TRMExportCell cell;
        cell.Row = r0;
        cell.Col = c0;
        cell.LastRow = r1;
        cell.LastCol = c1;
        cell.Text = text;
        cell.Style = p.style;
        cell.Style.Wrap = text.find('\n') != std::string::npos;
        if (!cell.Style.Wrap)
            cell.Value = cellValueOf(text, p.displayFormat, p.formatText);
        const int index = static_cast<int>(cells.size());
        for (int r = r0; r <= r1; ++r)
            for (int c = c0; c <= c1; ++c)
                at(r, c) = index;
        cells.push_back(std::move(cell));
    }
    std::sort(cells.begin(), cells.end(), [](const TRMExportCell& a, const TRMExportCell& b) {
        return a.Row != b.Row ? a.Row < b.Row : a.Col < b.Col;
    });
    return cells;
}

bool pageHasRowSpans(const std::vector<platform::TRect>& cellRects) {
    std::vector<int> tops;
    tops.reserve(cellRects.size());
    for (const platform::TRect& r : cellRects)
        tops.push_back(r.Top);
    const std::vector<int> rows = clustered(std::move(tops));
    for (const platform::TRect& r : cellRects) {
        const int first = clusterOf(rows, r.Top);
        if (lastClusterBefore(rows, first, r.Bottom) > first)
            return true;
    }
    return false;
}

} // namespace report
