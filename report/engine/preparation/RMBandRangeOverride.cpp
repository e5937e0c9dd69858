#include "report/engine/preparation/RMBandRangeOverride.h"

#include "report/engine/model/RMBandView.h"
#include "report/engine/model/RMDataset.h"

#include <utility>

namespace report {

TRMBandRangeOverride::~TRMBandRangeOverride() {
    restoreQuietly();
}

void TRMBandRangeOverride::restoreQuietly() noexcept {
    try {
        restore();
    } catch (...) {
        // Exit failed while the band went away; the ranges are back all the same.
    }
}

TRMBandRangeOverride::TRMBandRangeOverride(TRMBandRangeOverride&& other) noexcept {
    *this = std::move(other);
}

TRMBandRangeOverride& TRMBandRangeOverride::operator=(TRMBandRangeOverride&& other) noexcept {
    if (this == &other)
        return *this;
    restoreQuietly();
    dataset_ = std::exchange(other.dataset_, nullptr);
    owned_ = std::move(other.owned_);
    overridden_ = std::exchange(other.overridden_, false);
    savedBegin_ = other.savedBegin_;
    savedEnd_ = other.savedEnd_;
    savedCount_ = other.savedCount_;
    return *this;
}

void TRMBandRangeOverride::attach(TRMDataset& dataset, std::uint8_t rangeBegin,
                                  std::uint8_t rangeEnd, std::int32_t rangeEndCount) {
    restore();
    dataset_ = &dataset;
    savedBegin_ = dataset.RangeBegin;
    savedEnd_ = dataset.RangeEnd;
    savedCount_ = dataset.RangeEndCount;
    overridden_ = false;
    if (rangeBegin == rbFirst || rangeBegin == rbCurrent) {
        dataset.RangeBegin = static_cast<TRMRangeBegin>(rangeBegin);
        overridden_ = true;
    }
    if (rangeEnd == reLast || rangeEnd == reCurrent || rangeEnd == reCount) {
        dataset.RangeEnd = static_cast<TRMRangeEnd>(rangeEnd);
        overridden_ = true;
    }
    if (rangeEndCount > 0) {
        dataset.RangeEndCount = rangeEndCount;
        overridden_ = true;
    }
}

void TRMBandRangeOverride::attach(TRMDataset& dataset, const TRMBandView& bandView) {
    attach(dataset, bandView.RangeBegin, bandView.RangeEnd, bandView.RangeEndCount);
}

void TRMBandRangeOverride::attachOwned(std::unique_ptr<TRMDataset> dataset,
                                       const TRMBandView& bandView) {
    TRMDataset& adapter = *dataset;
    attach(adapter, bandView);
    owned_ = std::move(dataset);
}

void TRMBandRangeOverride::restore() {
    TRMDataset* dataset = std::exchange(dataset_, nullptr);
    if (dataset == nullptr)
        return;
    std::unique_ptr<TRMDataset> owned = std::move(owned_);
    const bool overridden = std::exchange(overridden_, false);
    // Exit runs with the ranges the band iterated with, so that a band's rbCurrent or
    // reCurrent also brings the adapter back to the record it started on.
    struct PutBack {
        TRMDataset& dataset;
        bool overridden;
        std::uint8_t begin, end;
        std::int32_t count;
        ~PutBack() {
            if (!overridden)
                return;
            dataset.RangeBegin = static_cast<TRMRangeBegin>(begin);
            dataset.RangeEnd = static_cast<TRMRangeEnd>(end);
            dataset.RangeEndCount = count;
        }
    } putBack{*dataset, overridden, savedBegin_, savedEnd_, savedCount_};
    dataset->Exit();
}

} // namespace report
