#include "report/engine/RMLayoutCache.h"

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

std::string joined(const TRMStrings& lines) {
    std::size_t size = lines.size();
    for (const std::string& l : lines)
        size += l.size();
    std::string text;
    text.reserve(size);
    for (const std::string& l : lines) {
        text += l;
        text += '\0';
    }
    return text;
}

std::size_t made = 0;

} // namespace

std::size_t TRMLayoutCache::layoutsMade() {
    return made;
}

std::size_t TRMLayoutCache::KeyHash::operator()(const Key& k) const noexcept {
    return static_cast<std::size_t>(mix(mix(k.settings, reinterpret_cast<std::uintptr_t>(k.view)),
                                        std::hash<std::string>{}(k.text)));
}

std::shared_ptr<const TRMMemoLayout> TRMLayoutCache::layout(const TRMMemoView& view,
                                                            const TRMStrings& text, bool keep) {
    Key key{&view, settingsOf(view), joined(text)};
    auto it = entries.find(key);
    if (it != entries.end()) {
        ++hitCount;
        std::shared_ptr<const TRMMemoLayout> found = it->second;
        if (!keep)
            entries.erase(it);
        return found;
    }
    ++missCount;
    ++made;
    auto layout = std::make_shared<const TRMMemoLayout>(view.LayoutText(text));
    if (keep)
        entries.emplace(std::move(key), layout);
    return layout;
}

} // namespace report
