#pragma once

// Band objects of a template page: one chain per band type, built from the page's band
// views when a preparation starts. Views are given to the band they lie in, headers and
// footers are linked to their data bands, group headers to their footers and master band,
// and data bands to their data sources (with the band views' range overrides, undone when
// the bands go).

#include "report/engine/model/RMBand.h"
#include "report/engine/model/RMDatasetList.h"
#include "report/engine/preparation/RMBandRangeOverride.h"

#include <array>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace report {

class TRMCalcMemoView;
class TRMReport;

class TRMPageBands {
public:
    TRMPageBands() = default;
    ~TRMPageBands();
    TRMPageBands(const TRMPageBands&) = delete;
    TRMPageBands& operator=(const TRMPageBands&) = delete;

    TRMBand* head(int bandType) const { return chains_[static_cast<std::size_t>(bandType)]; }
    // The band whose band view has that name (case-insensitive); nullptr when none.
    TRMBand* find(std::string_view name) const;
    const std::vector<std::unique_ptr<TRMBand>>& all() const { return bands_; }
    // Data band type of level 1 (master), 2 (detail), 3 (subdetail).
    static int dataType(int level);
    // The deepest level whose data band exists (0: none).
    int deepestLevel() const;

    TRMPage* Page = nullptr;
    std::vector<TRMCalcMemoView*> CalcMemos;
    // Views whose text is one data-field reference, with their field.
    std::unordered_map<const TRMView*, TRMFieldBinding> Bindings;
    // Views of cross bands (their Left is relative to the cross band) and their band.
    std::unordered_map<const TRMView*, TRMBand*> CrossOf;

private:
    friend class TRMBandBuilder;
    std::array<TRMBand*, rmBandTypeCount> chains_{};
    std::vector<std::unique_ptr<TRMBand>> bands_;
    std::vector<TRMBandRangeOverride> ranges_; // the data sources the bands iterate
};

class TRMBandBuilder {
public:
    TRMBandBuilder(TRMReport& report, TRMPage& page)
        : report_(report)
        , page_(page) {}
    std::unique_ptr<TRMPageBands> build();

private:
    TRMBand& addBand(int type, TRMBandView* view);
    void attachDataSet(TRMBand& band);
    void assignViews(TRMBand& band);
    void linkChains();
    void linkLevels();
    void pairGroups();
    void resolveLinks();
    void bindFields();

    TRMReport& report_;
    TRMPage& page_;
    std::unique_ptr<TRMPageBands> result_;
};

} // namespace report
