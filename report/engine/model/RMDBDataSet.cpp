#include "report/engine/model/RMDBDataSet.h"

#include "platform/ClientDataSet.h"

#include <algorithm>

namespace report {

TRMDBDataSet::~TRMDBDataSet() {
    setMasterDataset(nullptr);
}

void TRMDBDataSet::setDataSet(TRMDataCursor* dataSet) {
    dataSet_ = dataSet;
    if (dataSet != nullptr)
        dataSource_ = nullptr;
}

void TRMDBDataSet::setDataSource(TRMDataSource* dataSource) {
    dataSource_ = dataSource;
    if (dataSource != nullptr)
        dataSet_ = nullptr;
}

void TRMDBDataSet::setMasterDataset(TRMDataset* master) {
    if (master == master_)
        return;
    for (TRMDataset* m = master; m != nullptr;) {
        if (m == this)
            throw platform::EDatabaseError("数据集 " + Name + " 不能成为自己的主数据集");
        auto* database = dynamic_cast<TRMDBDataSet*>(m);
        m = database ? database->master_ : nullptr;
    }
    if (master_ != nullptr)
        std::erase(master_->dependants_, this);
    master_ = master;
    if (master_ != nullptr)
        master_->dependants_.push_back(this);
}

TRMDataCursor* TRMDBDataSet::GetDataSet() const {
    if (dataSource_ != nullptr)
        return dataSource_->DataSet;
    return dataSet_;
}

TRMDataCursor& TRMDBDataSet::cursor() const {
    TRMDataCursor* cursor = GetDataSet();
    if (cursor == nullptr)
        throw platform::EDatabaseError("Unable to open dataset " + Name);
    return *cursor;
}

void TRMDBDataSet::Init() {
    TRMDataCursor& c = cursor();
    if (OpenDataSource)
        c.open();
    if (OnOpen)
        OnOpen(*this);
    bookmark_ = c.bookmark();
    endFlag_ = false;
}

void TRMDBDataSet::Exit() {
    TRMDataCursor* c = GetDataSet();
    if (c == nullptr)
        return;
    if (bookmark_) {
        if ((RangeBegin == rbCurrent || RangeEnd == reCurrent) && c->isOpen())
            c->gotoBookmark(*bookmark_);
        bookmark_.reset();
    }
    if (OnClose)
        OnClose(*this);
    if (CloseDataSource)
        c->close();
}

void TRMDBDataSet::First() {
    TRMDataCursor& c = cursor();
    if (RangeBegin == rbCurrent && bookmark_)
        c.gotoBookmark(*bookmark_);
    else if (RangeBegin != rbCurrent)
        c.first();
    endFlag_ = false;
    TRMDataset::First();
}

void TRMDBDataSet::Next() {
    TRMDataCursor& c = cursor();
    if (RangeEnd == reCurrent && bookmark_ && c.compareBookmarks(c.bookmark(), *bookmark_) == 0) {
        endFlag_ = true;
        return;
    }
    c.next();
    TRMDataset::Next();
}

void TRMDBDataSet::Prior() {
    cursor().prior();
    TRMDataset::Prior();
}

bool TRMDBDataSet::Eof() {
    TRMDataCursor& c = cursor();
    const bool base = TRMDataset::Eof();
    return base || c.eof() || endFlag_;
}

int TRMDBDataSet::MoveBy(int distance) {
    const int moved = cursor().moveBy(distance);
    recordNo_ += moved; // the record number stays the position since First
    return moved;
}

bool TRMDBDataSet::FieldValue(std::string_view fieldName, platform::Variant& value) {
    TRMDataCursor& c = cursor();
    if (!c.isOpen())
        c.open();
    return c.fieldValue(fieldName, value);
}

std::vector<std::string> TRMDBDataSet::FieldNames() {
    TRMDataCursor& c = cursor();
    if (!c.isOpen())
        c.open();
    return c.fieldNames();
}

} // namespace report
