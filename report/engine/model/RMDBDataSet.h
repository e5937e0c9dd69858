#pragma once

// The database adapter: walks a data cursor (given directly or through a data source) with
// the ranges of TRMDataset, remembers the record that was current at Init, and gives
// preparation the cursor's fields.

#include "report/engine/model/RMDataCursor.h"
#include "report/engine/model/RMDataset.h"

#include <optional>

namespace report {

class TRMDBDataSet : public TRMDataset {
public:
    using TRMDataset::TRMDataset;
    ~TRMDBDataSet() override;

    // Setting one clears the other; neither is owned and both must outlive their use here.
    TRMDataCursor* DataSet() const { return dataSet_; }
    void setDataSet(TRMDataCursor* dataSet);
    TRMDataSource* DataSource() const { return dataSource_; }
    void setDataSource(TRMDataSource* dataSource);

    // Setting it registers this adapter among the master's dependants (and leaves the
    // previous master's). A master that would make a cycle raises platform::EDatabaseError.
    TRMDataset* MasterDataset() const { return master_; }
    void setMasterDataset(TRMDataset* master);

    bool OpenDataSource = true;
    bool CloseDataSource = false;
    std::function<void(TRMDataset& Sender)> OnOpen;
    std::function<void(TRMDataset& Sender)> OnClose;

    // The cursor the adapter walks: the data source's when set, else DataSet(); nullptr
    // when there is neither.
    TRMDataCursor* GetDataSet() const;

    // Every operation raises platform::EDatabaseError "Unable to open dataset " + Name when
    // there is no cursor (Exit excepted: with no cursor nothing was opened).
    void Init() override;
    void Exit() override;
    void First() override;
    void Next() override;
    void Prior() override;
    bool Eof() override;
    // Moves the cursor (script method MOVEBY); returns the records moved.
    int MoveBy(int distance);

    // Field access for bound views; opens the cursor when it is closed. False when the
    // cursor has no such field.
    bool FieldValue(std::string_view fieldName, platform::Variant& value);
    std::vector<std::string> FieldNames();

    bool HasBookmark() const { return bookmark_.has_value(); }

private:
    friend class TRMDataset;
    TRMDataCursor& cursor() const;

    TRMDataCursor* dataSet_ = nullptr;
    TRMDataSource* dataSource_ = nullptr;
    TRMDataset* master_ = nullptr;
    std::optional<TRMBookmark> bookmark_; // the record current at Init
    bool endFlag_ = false;                // reCurrent reached the bookmarked record
};

} // namespace report
