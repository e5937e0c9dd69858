#include "grid/GridColumns.h"

#include "grid/GridControl.h"

#include <algorithm>

namespace grid {

TColumn::TColumn(TGridColumns* collection)
    : collection_(collection) {
    if (GridControl* g = grid())
        font_ = g->Font();
}

GridControl* TColumn::grid() const {
    return collection_ ? collection_->Grid() : nullptr;
}

int TColumn::Index() const {
    return collection_ ? collection_->indexOf(this) : -1;
}

void TColumn::changed() {
    if (collection_)
        collection_->itemChanged();
}

void TColumn::setAlignment(TAlignment value) {
    assigned_ |= cvAlignment;
    alignment_ = value;
    changed();
}

const TFont& TColumn::Font() {
    if (!(assigned_ & cvFont))
        if (GridControl* g = grid(); g && !(font_ == g->Font()))
            font_ = g->Font();
    return font_;
}

void TColumn::setFont(const TFont& value) {
    assigned_ |= cvFont;
    font_ = value;
    changed();
}

void TColumn::setWidth(int value) {
    assigned_ |= cvWidth;
    width_ = value;
    changed();
}

void TColumn::setReadOnly(bool value) {
    assigned_ |= cvReadOnly;
    readOnly_ = value;
    changed();
}

void TColumn::setVisible(bool value) {
    GridControl* g = grid();
    const int index = Index();
    if (g && index >= 0 && index < g->ColCount()) {
        if (!value && visible_) {
            hiddenWidths_[index] = g->ColWidths(index);
            readOnlyBeforeHide_ = readOnly_;
            readOnly_ = true;
            visible_ = false;
            g->setColWidths(index, -1);
        } else if (value && !visible_) {
            visible_ = true;
            if (auto it = hiddenWidths_.find(index); it != hiddenWidths_.end()) {
                const int width = it->second;
                hiddenWidths_.erase(it);
                if (!readOnlyBeforeHide_)
                    readOnly_ = false;
                g->setColWidths(index, width);
            }
        }
    }
    visible_ = value;
    assigned_ |= cvVisible;
    changed();
}

void TColumn::setMerge(bool value) {
    if (visible_) {
        if (value) {
            readOnlyBeforeMerge_ = readOnly_;
            readOnly_ = true;
        } else if (!readOnlyBeforeMerge_) {
            readOnly_ = false;
        }
    }
    merge_ = value;
    assigned_ |= cvMerge;
    changed();
}

void TColumn::setTitleCaption(const std::string& caption) {
    title_.Caption = caption;
    assigned_ |= cvTitleCaption;
    changed();
}

void TColumn::setPasswordChar(char32_t value) {
    passwordChar_ = value;
    assigned_ |= cvPasswordChar;
    changed();
}

TGridColumns::TGridColumns(GridControl* grid)
    : grid_(grid) {}

TGridColumns::~TGridColumns() = default;

TColumn& TGridColumns::Add() {
    items_.push_back(std::make_unique<TColumn>(this));
    TColumn& column = *items_.back();
    if (grid_)
        grid_->columnCreated();
    itemChanged();
    return column;
}

void TGridColumns::Delete(int index) {
    const int before = Count();
    items_.erase(items_.begin() + index);
    if (grid_)
        grid_->columnDestroyed(Count(), before);
    itemChanged();
}

void TGridColumns::Clear() {
    while (Count() > 0)
        Delete(Count() - 1);
}

void TGridColumns::Assign(const TGridColumns& other) {
    if (&other == this)
        return;
    while (Count() > other.Count())
        Delete(Count() - 1);
    while (Count() < other.Count())
        Add();
    for (int i = 0; i < Count(); ++i) {
        const TColumn& from = other[i];
        TColumn& to = (*this)[i];
        const auto a = from.AssignedValues();
        if (a & TColumn::cvAlignment)
            to.setAlignment(from.Alignment());
        if (a & TColumn::cvFont)
            to.setFont(from.currentFont());
        if (a & TColumn::cvWidth)
            to.setWidth(from.Width());
        if (a & TColumn::cvReadOnly)
            to.setReadOnly(from.ReadOnly());
        if (a & TColumn::cvTitleCaption)
            to.setTitleCaption(from.Title().Caption);
        if (a & TColumn::cvVisible)
            to.setVisible(from.Visible());
        if (a & TColumn::cvMerge)
            to.setMerge(from.Merge());
        if (a & TColumn::cvPasswordChar)
            to.setPasswordChar(from.PasswordChar());
    }
}

int TGridColumns::indexOf(const TColumn* column) const {
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i].get() == column)
            return static_cast<int>(i);
    return -1;
}

void TGridColumns::itemChanged() {
    if (grid_)
        grid_->columnsChanged();
}

} // namespace grid
