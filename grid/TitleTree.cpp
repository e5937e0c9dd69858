#include "grid/TitleTree.h"

#include "platform/Gbk.h"

#include <cmath>
#include <functional>

namespace grid {
namespace {

std::vector<std::string> splitParts(const std::string& caption) {
    std::vector<std::string> parts;
    std::string::size_type start = 0;
    for (;;) {
        const auto bar = caption.find('|', start);
        parts.push_back(
            caption.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
        if (bar == std::string::npos)
            return parts;
        start = bar + 1;
    }
}

int roundHalfUp(double v) {
    return static_cast<int>(std::floor(v + 0.5));
}

} // namespace

TitleTree::TitleTree()
    : root_(std::make_unique<THeadTreeNode>()) {
    root_->TitlePart = "Root";
}

void TitleTree::build(const std::vector<ColumnInput>& columns, int lw) {
    root_ = std::make_unique<THeadTreeNode>();
    root_->TitlePart = "Root";
    visible_.clear();
    for (const auto& c : columns)
        visible_.push_back(c.visible);
    for (int i = 0; i < static_cast<int>(columns.size()); ++i) {
        const ColumnInput& col = columns[static_cast<std::size_t>(i)];
        const std::vector<std::string> parts = splitParts(platform::trimBlanks(col.caption));
        THeadTreeNode* node = root_.get();
        for (int k = 0; k < static_cast<int>(parts.size()); ++k) {
            const std::string part = platform::trimBlanks(parts[static_cast<std::size_t>(k)]);
            THeadTreeNode* found = nullptr;
            if (!part.empty())
                for (auto& child : node->Children)
                    if (platform::trimBlanks(child->TitlePart) == part && child->LastCol == i - 1) {
                        found = child.get();
                        break;
                    }
            if (found) {
                node = found;
                if (!col.bounds.isEmpty())
                    node->Width += col.colWidth + lw;
                else
                    node->Width = -1;
            } else {
                auto child = std::make_unique<THeadTreeNode>();
                child->TitlePart = parts[static_cast<std::size_t>(k)];
                child->Width = col.colWidth + lw;
                child->Left = col.bounds.Left;
                if (child->Left == 0)
                    child->Width = col.bounds.Right + lw - col.bounds.Left;
                if (col.bounds.isEmpty()) {
                    child->Left = -1;
                    child->Width = -1;
                }
                child->Column = i;
                child->Parent = node;
                node->Level = k;
                node->Children.push_back(std::move(child));
                node = node->Children.back().get();
            }
            if (node->Parent != root_.get())
                node->Parent->LastCol = i;
            node->Level = k + 1;
            node->LastCol = i;
        }
    }
    int maxDepth = 0;
    std::function<void(THeadTreeNode&)> extents = [&](THeadTreeNode& n) {
        if (!n.Children.empty()) {
            THeadTreeNode& first = *n.Children.front();
            if (!first.Children.empty())
                extents(first);
            else
                first.Depth = 1;
            int width = 0;
            for (const auto& c : n.Children)
                width += c->Width;
            n.Width = width;
            n.Depth = first.Depth + 1;
        }
        maxDepth = std::max(maxDepth, n.Depth);
    };
    for (auto& top : root_->Children)
        extents(*top);
    levels_ = maxDepth == 0 ? 1 : maxDepth;
}

std::vector<TitleTree::Box> TitleTree::layout(int titleHeight, int lw) const {
    std::vector<Box> boxes;
    int prevLevel = 0, prevEdgeTop = 0, prevEdgeBottom = 0, prevCellTop = 0, prevCellBottom = 0;
    for (const auto& topNode : root_->Children) {
        const int depth = topNode->Depth == 0 ? 1 : topNode->Depth;
        const double h = static_cast<double>(titleHeight) / depth;
        std::function<void(const THeadTreeNode&)> draw = [&](const THeadTreeNode& m) {
            const int level = m.Level;
            int edgeTop = prevLevel == level ? prevEdgeTop : roundHalfUp((level - 1) * h);
            if (edgeTop - prevEdgeBottom > 0)
                edgeTop -= lw;
            if (prevLevel != level) {
                if (edgeTop <= prevEdgeBottom)
                    ++edgeTop;
                if (edgeTop > prevEdgeBottom)
                    --edgeTop;
            }
            int edgeBottom = roundHalfUp(edgeTop + h);
            int cellTop = 0, cellBottom = 0;
            if (prevLevel == level) {
                cellTop = prevCellTop;
                cellBottom = roundHalfUp(cellTop + h) + lw;
            } else {
                cellTop = roundHalfUp((level - 1) * h);
                if (cellTop >= prevCellBottom) {
                    cellTop = prevCellBottom - 1;
                    cellBottom = roundHalfUp(cellTop + h) + lw + 1;
                } else {
                    cellBottom = roundHalfUp(cellTop + h) + lw;
                }
            }
            if (m.Parent != root_.get() && level < m.Parent->Depth && m.Children.empty()) {
                cellTop = roundHalfUp((level - 1) * h);
                edgeTop = cellTop + 1;
                cellBottom = edgeBottom = titleHeight;
            }
            const int cellLeft = m.Left - lw;
            const int cellRight = cellLeft + m.Width + lw;
            prevLevel = level;
            prevEdgeTop = edgeTop;
            prevEdgeBottom = edgeBottom;
            prevCellTop = cellTop;
            prevCellBottom = cellBottom;
            cellBottom = std::min(cellBottom, titleHeight);
            Box box;
            box.cell = {cellLeft, cellTop, cellRight, cellBottom};
            box.edge = {m.Left, edgeTop, m.Left + m.Width, edgeBottom};
            box.text = m.TitlePart;
            box.column = m.Column;
            box.level = level;
            const bool visible = m.Column >= 0 && m.Column < static_cast<int>(visible_.size()) &&
                                 visible_[static_cast<std::size_t>(m.Column)];
            box.drawn = visible && m.Width > lw;
            boxes.push_back(std::move(box));
            for (const auto& child : m.Children)
                draw(*child);
        };
        draw(*topNode);
    }
    return boxes;
}

} // namespace grid
