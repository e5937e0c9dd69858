#pragma once

// The grid's column collection: per-column editor limits (Width in GBK bytes, ReadOnly),
// visibility, merging, alignment, password character, font and the title caption that the
// title row is built from.

#include "grid/GridTypes.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace grid {

class GridControl;
class TGridColumns;

struct TColumnTitle {
    std::string Caption;
};

class TColumn {
public:
    // Which properties were assigned (only those are stored).
    enum Assigned : std::uint16_t {
        cvWidth = 1,
        cvFont = 2,
        cvAlignment = 4,
        cvReadOnly = 8,
        cvTitleCaption = 16,
        cvVisible = 32,
        cvMerge = 64,
        cvPasswordChar = 128,
    };

    explicit TColumn(TGridColumns* collection);
    TColumn(const TColumn&) = delete;
    TColumn& operator=(const TColumn&) = delete;

    int Index() const;
    std::uint16_t AssignedValues() const { return assigned_; }

    TAlignment Alignment() const { return alignment_; }
    void setAlignment(TAlignment value);
    // While not assigned, reading re-copies the grid's font when the two differ.
    const TFont& Font();
    // The font object as it is now, without the re-copy (what painting uses).
    const TFont& currentFont() const { return font_; }
    void setFont(const TFont& value);
    // Editor text limit in GBK bytes; 0 = unlimited. Not a pixel width.
    int Width() const { return width_; }
    void setWidth(int value);
    bool ReadOnly() const { return readOnly_; }
    void setReadOnly(bool value);
    bool Visible() const { return visible_; }
    void setVisible(bool value);
    bool Merge() const { return merge_; }
    void setMerge(bool value);
    const TColumnTitle& Title() const { return title_; }
    void setTitleCaption(const std::string& caption);
    // 0 = none.
    char32_t PasswordChar() const { return passwordChar_; }
    void setPasswordChar(char32_t value);

private:
    void changed();
    GridControl* grid() const;

    TGridColumns* collection_;
    std::uint16_t assigned_ = 0;
    TAlignment alignment_ = TAlignment::taLeftJustify;
    TFont font_;
    int width_ = 0;
    bool readOnly_ = false;
    bool visible_ = true;
    bool merge_ = false;
    bool readOnlyBeforeHide_ = false;
    bool readOnlyBeforeMerge_ = false;
    // Pixel widths of hidden columns, by column index (the collection's index at hiding).
    std::map<int, int> hiddenWidths_;
    TColumnTitle title_;
    char32_t passwordChar_ = 0;
};

class TGridColumns {
public:
    explicit TGridColumns(GridControl* grid);
    ~TGridColumns();
    TGridColumns(const TGridColumns&) = delete;
    TGridColumns& operator=(const TGridColumns&) = delete;

    int Count() const { return static_cast<int>(items_.size()); }
    TColumn& operator[](int index) const { return *items_.at(static_cast<std::size_t>(index)); }
    TColumn& Items(int index) const { return (*this)[index]; }
    // Appends a column; ColCount grows to the number of columns when it was smaller.
    TColumn& Add();
    // Removes one column; with two or more columns before, ColCount follows the count.
    void Delete(int index);
    void Clear();
    // Copies captions, widths and the other settings item by item.
    void Assign(const TGridColumns& other);
    int indexOf(const TColumn* column) const;
    GridControl* Grid() const { return grid_; }

private:
    friend class TColumn;
    void itemChanged();

    GridControl* grid_;
    std::vector<std::unique_ptr<TColumn>> items_;
};

} // namespace grid
