#pragma once

// The engine's prepared pages as a page source: paper and geometry from the page records,
// backgrounds from the background list, drawing through TRMEMFPages::paintPage.

#include "report/print/RMPageSource.h"

#include <map>

namespace report {

class TRMPreparedPageSource : public TRMPageSource {
public:
    explicit TRMPreparedPageSource(const TRMEMFPages& pages)
        : pages_(pages) {}

    int PageCount() const override { return pages_.pageCount(); }
    TRMPageInfo Page(int index) const override { return pages_.pageInfo(index); }
    std::optional<TRMSourceBackground> Background(int index) const override;
    void DrawPage(int index, platform::TCanvas& canvas, const platform::TRect& target,
                  const TRMDrawContext& context) override {
        pages_.paintPage(index, canvas, target, context);
    }

private:
    const TRMEMFPages& pages_;
    // Decoded background pictures by their index in the background list.
    mutable std::map<int, platform::Picture> decoded_;
};

} // namespace report
