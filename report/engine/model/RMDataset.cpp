#include "report/engine/model/RMDataset.h"

#include "report/engine/model/RMDBDataSet.h"
#include "report/engine/model/RMDatasetList.h"

namespace report {

TRMDataset::TRMDataset(std::string name)
    : Name(std::move(name)) {}

TRMDataset::~TRMDataset() {
    for (TRMDBDataSet* dependant : dependants_)
        dependant->master_ = nullptr;
    // Copy: forgetting edits lists_.
    const std::vector<TRMDatasetList*> lists = lists_;
    for (TRMDatasetList* list : lists)
        list->Remove(*this);
}

void TRMDataset::First() {
    recordNo_ = 0;
    // By index: a dependant's handler may attach or detach dependants.
    for (std::size_t i = 0; i < dependants_.size(); ++i)
        dependants_[i]->First();
    if (OnFirst)
        OnFirst(*this);
}

void TRMDataset::Next() {
    ++recordNo_;
    if (RangeEnd == reCount && recordNo_ >= RangeEndCount)
        return;
    for (std::size_t i = 0; i < dependants_.size(); ++i)
        dependants_[i]->Next();
    if (OnNext)
        OnNext(*this);
}

void TRMDataset::Prior() {
    --recordNo_;
    for (std::size_t i = 0; i < dependants_.size(); ++i)
        dependants_[i]->Prior();
    if (OnPrior)
        OnPrior(*this);
}

bool TRMDataset::Eof() {
    bool eof = RangeEnd == reCount && recordNo_ >= RangeEndCount;
    if (OnCheckEOF)
        OnCheckEOF(*this, eof);
    return eof;
}

} // namespace report
