#pragma once

// The multi-level title row: column captions split at "|" form a tree whose top parts span
// the adjacent columns that share them. Built from the columns' captions and title-row
// bounds (by the title layout for its levels, by each paint for its boxes); layout() yields
// the rectangles the title row draws.

#include "grid/GridTypes.h"

#include <memory>
#include <string>
#include <vector>

namespace grid {

struct THeadTreeNode {
    std::string TitlePart;
    int Width = 0; // pixels, -1 when the column is off screen
    int Left = 0;  // x of the node's first column, -1 when off screen
    int Level = 0; // 1 for top-level parts, 0 for the root
    int Depth = 0; // levels below and including the node along its first child
    int LastCol = -1;
    int Column = -1; // index of the column whose caption created the node
    THeadTreeNode* Parent = nullptr;
    std::vector<std::unique_ptr<THeadTreeNode>> Children; // in ring order
};

class TitleTree {
public:
    struct ColumnInput {
        std::string caption;
        TRect bounds;     // CellBounds(i, 0)
        int colWidth = 0; // ColWidths[i]
        bool visible = true;
    };
    // One part to draw, in drawing order.
    struct Box {
        TRect cell; // outlined and filled; its bottom is clipped to the title height
        TRect edge; // the 3-D edge rectangle
        std::string text;
        int column = -1;
        int level = 0;
        bool drawn = false; // column visible and wider than the line width
    };

    TitleTree();
    // The tree and the node extents.
    void build(const std::vector<ColumnInput>& columns, int gridLineWidth);
    // Largest depth, at least 1.
    int levels() const { return levels_; }
    const THeadTreeNode& root() const { return *root_; }
    // The boxes of a title row `titleHeight` pixels high.
    std::vector<Box> layout(int titleHeight, int gridLineWidth) const;

private:
    std::unique_ptr<THeadTreeNode> root_;
    std::vector<bool> visible_;
    int levels_ = 1;
};

} // namespace grid
