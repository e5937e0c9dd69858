#pragma once

// Memo layouts of one preparation. A memo is measured (CalcHeight) and then written
// (PrintToStream) with the same text, and a two-pass preparation measures every row in
// both passes: the cache keeps each layout from its first use until the view is written
// in a pass whose pages are kept, so no text is broken into lines twice.
//
// What it keeps is bounded (`maxBytes`, estimated heap bytes), so a report of a million
// rows does not hold a million layouts between its passes: once the bound is reached, new
// layouts go to a small set of recent ones instead (enough for a band's measure and
// write), and the rows past the bound are laid out again in the final pass.

#include "report/engine/layout/RMMemoLayout.h"
#include "report/engine/model/RMMemoView.h"

#include <cstddef>
#include <string>
#include <unordered_map>

namespace report {

class TRMLayoutCache {
public:
    static constexpr std::size_t kDefaultMaxBytes = std::size_t{32} << 20;
    // Recent layouts kept once the bound is reached (cleared as a whole when full).
    static constexpr std::size_t kRecentEntries = 512;

    explicit TRMLayoutCache(std::size_t maxBytes = kDefaultMaxBytes)
        : maxBytes_(maxBytes) {}

    // Layout of `text` in `view` as it stands (the width it breaks to, font, flags). With
    // `keep` off the entry is not needed again and leaves the cache. The reference stays
    // valid until the next call.
    const TRMMemoLayout& layout(const TRMMemoView& view, const TRMStrings& text, bool keep);
    void clear() {
        entries_.clear();
        recent_.clear();
        bytes_ = 0;
    }
    std::size_t size() const { return entries_.size() + recent_.size(); }
    // Estimated heap bytes of the layouts kept within the bound.
    std::size_t bytes() const { return bytes_; }
    // Layouts made by every cache of the process (benchmarks count line breaking with it).
    static std::size_t layoutsMade();

private:
    struct Key {
        std::size_t hash; // of the other members, computed once
        const TRMMemoView* view;
        std::uint64_t settings; // everything besides the text that layout reads
        TRMStrings text;
    };
    // A key to look up without copying the text.
    struct Probe {
        std::size_t hash;
        const TRMMemoView* view;
        std::uint64_t settings;
        const TRMStrings* text;
    };
    struct KeyHash {
        using is_transparent = void;
        std::size_t operator()(const Key& k) const noexcept { return k.hash; }
        std::size_t operator()(const Probe& p) const noexcept { return p.hash; }
    };
    struct KeyEqual {
        using is_transparent = void;
        bool operator()(const Key& a, const Key& b) const {
            return a.hash == b.hash && a.view == b.view && a.settings == b.settings &&
                   a.text == b.text;
        }
        bool operator()(const Probe& p, const Key& k) const {
            return p.hash == k.hash && p.view == k.view && p.settings == k.settings &&
                   *p.text == k.text;
        }
        bool operator()(const Key& k, const Probe& p) const { return (*this)(p, k); }
    };
    using Map = std::unordered_map<Key, TRMMemoLayout, KeyHash, KeyEqual>;
    static std::size_t bytesOf(const Key& key, const TRMMemoLayout& layout);

    std::size_t maxBytes_;
    std::size_t bytes_ = 0;
    Map entries_;           // within maxBytes_
    Map recent_;            // kept past the bound, at most kRecentEntries
    TRMMemoLayout scratch_; // a layout not kept
};

} // namespace report
