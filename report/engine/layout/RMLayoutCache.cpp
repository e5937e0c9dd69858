#include "report/engine/layout/RMLayoutCache.h"

#include <functional>
#include <string_view>

namespace report {

namespace {

std::uint64_t mix(std::uint64_t h, std::uint64_t v) {
    // 64-bit FNV-style combine; collisions only matter for one view with one text.
    h ^= v + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2);
    return h * 0x100000001B3ull;
}

std::uint64_t settingsOf(const TRMMemoView& v) {
    constexpr std::uint16_t layoutFlags = flag::Wordwrap | flag::WordBreak | flag::AutoWidth;
    constexpr std::int32_t layoutFlags2 = flag2::MangeTag | flag2::ScaleFontSize;
    // Lines are broken to the width (the height for text turned by 90°); the other side
    // counts only when the font shrinks to fit it. A stretched cell keeps its layout.
    const bool sideways = v.RotationType == rt90 || v.RotationType == rt270;
    const bool byHeight = v.flag2(flag2::ScaleFontSize) && v.ScaleFontType == ByHeight;
    const std::int64_t across = sideways ? v.Height : v.Width;
    const std::int64_t along = byHeight ? (sideways ? v.Width : v.Height) : 0;
    std::uint64_t h = std::hash<std::string_view>{}(v.Font.Name);
    for (const std::int64_t value :
         {std::int64_t{v.Font.Size}, std::int64_t{v.Font.Style}, across, along,
          std::int64_t{v.GapX}, std::int64_t{v.GapY}, std::int64_t{v.Flags & layoutFlags},
          std::int64_t{v.Flags2 & layoutFlags2}, std::int64_t{v.CharSpacing},
          std::int64_t{v.LineSpacing}, std::int64_t{v.RotationType}, std::int64_t{v.ScaleFontType},
          std::int64_t{v.FontScaleWidth}})
        h = mix(h, static_cast<std::uint64_t>(value));
    return h;
}

std::size_t made = 0;

// What the allocator adds to each block it hands out (its header, rounding).
constexpr std::size_t kBlockOverhead = 16;

std::size_t blockBytes(std::size_t size) {
    return size == 0 ? 0 : size + kBlockOverhead;
}

// Heap bytes of strings: the array and every text beyond its short-string buffer.
std::size_t stringsBytes(const TRMStrings& strings) {
    std::size_t bytes = blockBytes(strings.capacity() * sizeof(std::string));
    for (const std::string& s : strings)
        if (s.capacity() > std::string().capacity())
            bytes += blockBytes(s.capacity() + 1);
    return bytes;
}

} // namespace

std::size_t TRMLayoutCache::bytesOf(const Key& key, const TRMMemoLayout& layout) {
    // The hash node with its key and layout, its bucket, the texts and the line widths.
    constexpr std::size_t node =
        sizeof(void*) + sizeof(Key) + sizeof(TRMMemoLayout) + sizeof(std::size_t) + sizeof(void*);
    return blockBytes(node) + stringsBytes(key.text) + stringsBytes(layout.Lines) +
           blockBytes(layout.Widths.capacity() * sizeof(double));
}

std::size_t TRMLayoutCache::layoutsMade() {
    return made;
}

const TRMMemoLayout& TRMLayoutCache::layout(const TRMMemoView& view, const TRMStrings& text,
                                            bool keep) {
    const std::uint64_t settings = settingsOf(view);
    std::uint64_t h = mix(settings, reinterpret_cast<std::uintptr_t>(&view));
    for (const std::string& line : text)
        h = mix(h, std::hash<std::string>{}(line));
    const Probe probe{static_cast<std::size_t>(h), &view, settings, &text};
    for (Map* map : {&entries_, &recent_}) {
        const auto it = map->find(probe);
        if (it == map->end())
            continue;
        if (keep)
            return it->second;
        if (map == &entries_)
            bytes_ -= bytesOf(it->first, it->second);
        scratch_ = std::move(it->second);
        map->erase(it);
        return scratch_;
    }
    ++made;
    if (!keep) {
        scratch_ = view.LayoutText(text);
        return scratch_;
    }
    Key key{probe.hash, &view, settings, text};
    TRMMemoLayout laidOut = view.LayoutText(text);
    const std::size_t bytes = bytesOf(key, laidOut);
    if (bytes_ + bytes <= maxBytes_) {
        bytes_ += bytes;
        return entries_.emplace(std::move(key), std::move(laidOut)).first->second;
    }
    if (recent_.size() >= kRecentEntries)
        recent_.clear();
    return recent_.emplace(std::move(key), std::move(laidOut)).first->second;
}

} // namespace report
