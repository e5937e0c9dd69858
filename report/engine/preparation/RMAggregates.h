#pragma once

// SUM, COUNT, AVG, MAX and MIN of bracket expressions: the calls found in the footer
// bands of a page are registered on the data band they count over; each printed row of
// that band adds to them and the footer's output reads them.

#include "platform/Variant.h"

#include <memory>
#include <string>
#include <vector>

namespace report {

class TRMBand;
class TRMPageBands;
class TRMReport;

class TRMAggregates {
public:
    // Function codes as aggregates keep them.
    enum Code { Sum = 11, Max = 12, Min = 13, Avg = 14, Count = 15 };

    // Registers the calls in the memos and scripts of the page's footer bands.
    void registerPage(const TRMPageBands& bands);
    void clear() { items_.clear(); }
    std::size_t count() const { return items_.size(); }

    // A row of `dataBand` was printed: every expression counted over it is evaluated once.
    void countRow(TRMReport& report, const TRMBand& dataBand);
    // The footer printed: its aggregates start again (running totals excepted).
    void resetFooter(const TRMBand& footer);
    // Every aggregate counted over `dataBand` starts again.
    void resetDataBand(const TRMBand& dataBand);
    // Value of a call while `band` prints; 0 for a call that was not registered.
    platform::Variant value(const TRMBand* band, const std::string& name,
                            const std::vector<std::string>& args) const;

private:
    struct Item {
        const TRMBand* data;
        const TRMBand* footer;
        int code;
        std::string expression;
        std::string crossColumn = "0";
        bool running = false; // flag 2: never reset by the footer
        double sum = 0, extreme = 0;
        long long rows = 0;
    };
    static void reset(Item& item);
    const Item* find(const TRMBand* band, int code, const std::string& expression,
                     const std::string& bandName) const;

    std::vector<Item> items_;
};

// Function code of an aggregate name ("SUM" …); 0 for other names.
int aggregateCode(std::string_view name);

} // namespace report
