#pragma once

// The ranges a band view sets on the adapter its band iterates, for as long as the band
// lives: attaching saves the adapter's RangeBegin, RangeEnd and RangeEndCount and applies
// the band view's (a RangeBegin other than rbDefault, a RangeEnd other than reDefault, a
// positive RangeEndCount); restoring runs the adapter's Exit, puts the saved ranges back when
// the band view changed one, and frees an adapter the band made itself.

#include <cstdint>
#include <memory>

namespace report {

class TRMBandView;
class TRMDataset;

class TRMBandRangeOverride {
public:
    TRMBandRangeOverride() = default;
    // Restores; errors of the adapter's Exit are dropped here (call restore() to see them).
    ~TRMBandRangeOverride();
    TRMBandRangeOverride(TRMBandRangeOverride&& other) noexcept;
    TRMBandRangeOverride& operator=(TRMBandRangeOverride&& other) noexcept;
    TRMBandRangeOverride(const TRMBandRangeOverride&) = delete;
    TRMBandRangeOverride& operator=(const TRMBandRangeOverride&) = delete;

    // Restores what was attached before, then attaches `dataset` (not owned). Values that
    // are no range of an adapter (a damaged template's) count as the default.
    void attach(TRMDataset& dataset, std::uint8_t rangeBegin, std::uint8_t rangeEnd,
                std::int32_t rangeEndCount);
    void attach(TRMDataset& dataset, const TRMBandView& bandView);
    // As attach, for an adapter the band created: it is freed by restore().
    void attachOwned(std::unique_ptr<TRMDataset> dataset, const TRMBandView& bandView);

    // Exit, saved ranges back, owned adapter freed; nothing when nothing is attached. The
    // ranges are back and the adapter is detached even when Exit raises.
    void restore();

    TRMDataset* dataset() const { return dataset_; }
    bool overridden() const { return overridden_; }

private:
    void restoreQuietly() noexcept;

    TRMDataset* dataset_ = nullptr;
    std::unique_ptr<TRMDataset> owned_;
    bool overridden_ = false;
    std::uint8_t savedBegin_ = 0;
    std::uint8_t savedEnd_ = 0;
    std::int32_t savedCount_ = 0;
};

} // namespace report
