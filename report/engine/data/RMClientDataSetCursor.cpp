#include "report/engine/data/RMClientDataSetCursor.h"

#include "platform/ClientDataSet.h"

#include <cstdlib>

namespace report {

void TRMClientDataSetCursor::open() {
    if (dataSet_.Active())
        return;
    const std::string& name = dataSet_.Name();
    throw platform::EDatabaseError((name.empty() ? std::string() : name + ": ") +
                                   "数据集没有数据，不能打开");
}

void TRMClientDataSetCursor::close() {
    dataSet_.Close();
}

bool TRMClientDataSetCursor::isOpen() const {
    return dataSet_.Active();
}

void TRMClientDataSetCursor::first() {
    dataSet_.First();
}

void TRMClientDataSetCursor::next() {
    dataSet_.Next();
}

void TRMClientDataSetCursor::prior() {
    dataSet_.Prior();
}

bool TRMClientDataSetCursor::eof() const {
    return dataSet_.Eof();
}

TRMBookmark TRMClientDataSetCursor::bookmark() const {
    const int recNo = dataSet_.RecNo();
    return recNo == 0 ? kNoBookmark : recNo - 1;
}

bool TRMClientDataSetCursor::gotoBookmark(TRMBookmark bookmark) {
    if (bookmark < 0 || bookmark >= dataSet_.RecordCount())
        return false;
    // The dataset moves one record at a time; start from the first record when nearer.
    const int target = static_cast<int>(bookmark);
    int recNo = dataSet_.RecNo() - 1;
    if (target == 0 || target < std::abs(recNo - target)) {
        dataSet_.First();
        recNo = 0;
    }
    for (; recNo < target; ++recNo)
        dataSet_.Next();
    for (; recNo > target; --recNo)
        dataSet_.Prior();
    if (dataSet_.Eof()) { // on the last record after passing it: make it current again
        dataSet_.Prior();
        dataSet_.Next();
    }
    return true;
}

int TRMClientDataSetCursor::fieldCount() const {
    return dataSet_.Active() ? dataSet_.FieldCount() : 0;
}

std::string TRMClientDataSetCursor::fieldName(int index) const {
    return dataSet_.Fields(index).FieldName();
}

platform::Variant TRMClientDataSetCursor::fieldValue(int index) const {
    return dataSet_.Fields(index).AsVariant();
}

} // namespace report
