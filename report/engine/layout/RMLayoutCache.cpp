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

} // namespace

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
    auto it = entries_.find(probe);
    if (it != entries_.end()) {
        if (keep)
            return it->second;
        scratch_ = std::move(it->second);
        entries_.erase(it);
        return scratch_;
    }
    ++made;
    if (!keep) {
        scratch_ = view.LayoutText(text);
        return scratch_;
    }
    return entries_.emplace(Key{probe.hash, &view, settings, text}, view.LayoutText(text))
        .first->second;
}

} // namespace report
