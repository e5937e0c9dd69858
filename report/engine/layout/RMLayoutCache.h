#pragma once

// Memo layouts of one preparation. A memo is measured (CalcHeight) and then written
// (PrintToStream) with the same text, and a two-pass preparation measures every row in
// both passes: the cache keeps each layout from its first use until the view is written
// in a pass whose pages are kept, so no text is broken into lines twice.
//
// What it keeps is bounded (`maxBytes`, estimated heap bytes), so a report of a million
// rows does not hold a million layouts between its passes: once the bound is reached, new
// layouts are kept among a small set of recent ones instead (enough for a band's measure
// and write), and the rows past the bound are laid out again in the final pass.

#include "report/engine/layout/RMMemoLayout.h"
#include "report/engine/model/RMMemoView.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace report {

class TRMLayoutCache {
public:
    static constexpr std::size_t kDefaultMaxBytes = std::size_t{32} << 20;
    // Recent layouts kept once the bound is reached (dropped as a whole when full).
    static constexpr std::size_t kRecentEntries = 512;

    explicit TRMLayoutCache(std::size_t maxBytes = kDefaultMaxBytes)
        : maxBytes_(maxBytes) {}

    // Layout of `text` in `view` as it stands (the width it breaks to, font, flags). With
    // `keep` off the entry is not needed again and leaves the cache. The reference stays
    // valid until the next call.
    const TRMMemoLayout& layout(const TRMMemoView& view, const TRMStrings& text, bool keep);
    void clear();
    std::size_t size() const { return live_; }
    // Estimated heap bytes of the layouts kept within the bound.
    std::size_t bytes() const { return bytes_; }
    // Layouts made by every cache of the process (benchmarks count line breaking with it).
    static std::size_t layoutsMade();

private:
    struct Entry {
        std::size_t hash = 0; // of the other members
        const TRMMemoView* view = nullptr;
        std::uint64_t settings = 0; // everything besides the text that layout reads
        TRMStrings text;
        TRMMemoLayout layout;
        std::uint32_t slot = 0; // where the table points to it
        std::size_t bytes = 0;  // counted against the bound; 0 for a recent one
        bool recent = false;
    };
    // Open addressing over the entries: a slot holds part of the hash, so a probe touches
    // an entry only when the hash matches. The entry after the last one found is tried
    // first: the final pass asks for the first pass's layouts in the order they were made,
    // and walking the entries in order spares the random reads of a table of every row.
    struct Slot {
        std::uint32_t tag = 0;   // the hash's upper half
        std::uint32_t entry = 0; // index + 1; 0 free, `removed` once taken out
    };
    static constexpr std::uint32_t removed = 0xFFFFFFFFu;
    void grow();
    void remove(std::uint32_t index);
    // Index + 1 of the entry with that key; 0 when none.
    std::uint32_t find(std::size_t hash, const TRMMemoView& view, std::uint64_t settings,
                       const TRMStrings& text) const;

    std::vector<Slot> slots_;          // power-of-two size
    std::deque<Entry> entries_;        // indexes stay; removed ones are reused
    std::vector<std::uint32_t> spare_; // removed entries
    std::size_t live_ = 0, taken_ = 0; // entries in use; slots not free (removed included)
    std::size_t next_ = 0;             // the entry after the last one found
    std::size_t maxBytes_;
    std::size_t bytes_ = 0;
    std::vector<std::uint32_t> recent_; // entries kept past the bound
    TRMMemoLayout scratch_;             // a layout not kept
};

} // namespace report
