#pragma once

// Memo layouts of one preparation. A memo is measured (CalcHeight) and then written
// (PrintToStream) with the same text, and a two-pass preparation measures every row in
// both passes: the cache keeps each layout from its first use until the view is written
// in a pass whose pages are kept, so no text is broken into lines twice.

#include "report/engine/layout/RMMemoLayout.h"
#include "report/engine/model/RMMemoView.h"

#include <string>
#include <unordered_map>

namespace report {

class TRMLayoutCache {
public:
    // Layout of `text` in `view` as it stands (the width it breaks to, font, flags). With
    // `keep` off the entry is not needed again and leaves the cache. The reference stays
    // valid until the next call.
    const TRMMemoLayout& layout(const TRMMemoView& view, const TRMStrings& text, bool keep);
    void clear() { entries_.clear(); }
    std::size_t size() const { return entries_.size(); }
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
    std::unordered_map<Key, TRMMemoLayout, KeyHash, KeyEqual> entries_;
    TRMMemoLayout scratch_; // a layout not kept
};

} // namespace report
