#pragma once

// The platform's client dataset as a cursor. The dataset is opened by loading a data
// packet, so opening a dataset that has none fails; closing it drops its rows. The bookmark
// is the record number.

#include "report/engine/model/RMDataCursor.h"

namespace platform {
class TClientDataSet;
}

namespace report {

class TRMClientDataSetCursor : public TRMDataCursor {
public:
    explicit TRMClientDataSetCursor(platform::TClientDataSet& dataSet)
        : dataSet_(dataSet) {}

    platform::TClientDataSet& dataSet() const { return dataSet_; }

    void open() override;
    void close() override;
    bool isOpen() const override;

    void first() override;
    void next() override;
    void prior() override;
    bool eof() const override;

    TRMBookmark bookmark() const override;
    bool gotoBookmark(TRMBookmark bookmark) override;

    int fieldCount() const override;
    std::string fieldName(int index) const override;
    platform::Variant fieldValue(int index) const override;
    using TRMDataCursor::fieldValue;

private:
    platform::TClientDataSet& dataSet_;
};

} // namespace report
