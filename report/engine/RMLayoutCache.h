#pragma once

// Memo layouts of one preparation. A memo is measured (CalcHeight) and then written
// (PrintToStream) with the same text, and a two-pass preparation measures every row in
// both passes: the cache keeps each layout from its first use until the view is written
// in a pass whose pages are kept, so no text is broken into lines twice.

#include "report/engine/RMMemoView.h"

#include <memory>
#include <string>
#include <unordered_map>

namespace report {

class TRMLayoutCache {
public:
    // Layout of `text` in `view` as it stands (geometry, font, flags). With `keep` off the
    // entry is dropped after this use.
    std::shared_ptr<const TRMMemoLayout> layout(const TRMMemoView& view, const TRMStrings& text,
                                                bool keep);
    void clear() { entries.clear(); }
    std::size_t size() const { return entries.size(); }
    std::size_t hits() const { return hitCount; }
    std::size_t misses() const { return missCount; }
    // Layouts made by every cache of the process (benchmarks count line breaking with it).
    static std::size_t layoutsMade();

private:
    struct Key {
        const TRMMemoView* view;
        std::uint64_t settings; // hash of everything besides the text that layout reads
        std::string text;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        std::size_t operator()(const Key& k) const noexcept;
    };
    std::unordered_map<Key, std::shared_ptr<const TRMMemoLayout>, KeyHash> entries;
    std::size_t hitCount = 0, missCount = 0;
};

} // namespace report
