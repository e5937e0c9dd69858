#pragma once

// Data-source adapters that data bands iterate: the base with its ranges, record number,
// dependants and events, and the event-driven user dataset. The database adapter is
// TRMDBDataSet (RMDBDataSet.h).

#include "report/engine/model/RMTypes.h"

#include <functional>
#include <string>
#include <vector>

namespace report {

class TRMDBDataSet;
class TRMDatasetList;

class TRMDataset {
public:
    explicit TRMDataset(std::string name = {});
    virtual ~TRMDataset();
    TRMDataset(const TRMDataset&) = delete;
    TRMDataset& operator=(const TRMDataset&) = delete;

    std::string Name;
    TRMRangeBegin RangeBegin = rbFirst; // rbFirst or rbCurrent
    TRMRangeEnd RangeEnd = reLast;      // reLast, reCurrent or reCount
    std::int32_t RangeEndCount = 0;     // records for reCount

    // Called after the move.
    std::function<void(TRMDataset& Sender)> OnFirst;
    std::function<void(TRMDataset& Sender)> OnNext;
    std::function<void(TRMDataset& Sender)> OnPrior;
    // May change the end-of-data answer.
    std::function<void(TRMDataset& Sender, bool& Eof)> OnCheckEOF;

    // 0-based position since First.
    int RecordNo() const { return recordNo_; }
    // Adapters whose MasterDataset is this one, in the order they were attached.
    const std::vector<TRMDBDataSet*>& Dependants() const { return dependants_; }

    virtual void Init() {}
    virtual void Exit() {}
    virtual void First();
    virtual void Next();
    virtual void Prior();
    virtual bool Eof();

private:
    friend class TRMDBDataSet;
    friend class TRMDatasetList;

    int recordNo_ = 0;
    std::vector<TRMDBDataSet*> dependants_; // not owned; they unregister when destroyed
    std::vector<TRMDatasetList*> lists_;    // lists this adapter is registered in
};

// Driven entirely by its events; the end of data comes only from OnCheckEOF or a reCount
// range, so whoever iterates it must provide one of them.
class TRMUserDataset : public TRMDataset {
public:
    using TRMDataset::TRMDataset;
};

} // namespace report
