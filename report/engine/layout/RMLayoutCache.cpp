#include "report/engine/layout/RMLayoutCache.h"

#include <algorithm>
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

std::size_t TRMLayoutCache::layoutsMade() {
    return made;
}

void TRMLayoutCache::clear() {
    slots_.clear();
    entries_.clear();
    spare_.clear();
    live_ = taken_ = 0;
    next_ = 0;
    bytes_ = 0;
    recent_.clear();
}

void TRMLayoutCache::remove(std::uint32_t index) {
    Entry& e = entries_[index];
    e.layout = {};
    e.text.clear();
    e.view = nullptr;
    slots_[e.slot].entry = removed;
    bytes_ -= e.bytes;
    spare_.push_back(index);
    --live_;
}

void TRMLayoutCache::grow() {
    std::vector<Slot> old = std::move(slots_);
    const std::size_t wanted = std::max<std::size_t>(64, live_ * 2);
    std::size_t size = 64;
    while (size < wanted)
        size *= 2;
    slots_.assign(size, Slot{});
    const std::size_t mask = size - 1;
    for (const Slot& s : old) {
        if (s.entry == 0 || s.entry == removed)
            continue;
        Entry& e = entries_[s.entry - 1];
        std::size_t i = e.hash & mask;
        while (slots_[i].entry != 0)
            i = (i + 1) & mask;
        slots_[i] = s;
        e.slot = static_cast<std::uint32_t>(i);
    }
    taken_ = live_;
}

std::uint32_t TRMLayoutCache::find(std::size_t hash, const TRMMemoView& view,
                                   std::uint64_t settings, const TRMStrings& text) const {
    const auto same = [&](const Entry& e) {
        return e.hash == hash && e.view == &view && e.settings == settings && e.text == text;
    };
    // The final pass asks for the layouts in the order the first pass made them.
    if (next_ < entries_.size() && same(entries_[next_]))
        return static_cast<std::uint32_t>(next_ + 1);
    if (slots_.empty())
        return 0;
    const auto tag = static_cast<std::uint32_t>(hash >> 32);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask; slots_[i].entry != 0; i = (i + 1) & mask) {
        const Slot& slot = slots_[i];
        if (slot.entry != removed && slot.tag == tag && same(entries_[slot.entry - 1]))
            return slot.entry;
    }
    return 0;
}

const TRMMemoLayout& TRMLayoutCache::layout(const TRMMemoView& view, const TRMStrings& text,
                                            bool keep) {
    const std::uint64_t settings = settingsOf(view);
    std::uint64_t h = mix(settings, reinterpret_cast<std::uintptr_t>(&view));
    for (const std::string& line : text)
        h = mix(h, std::hash<std::string>{}(line));
    const auto hash = static_cast<std::size_t>(h);
    if (const std::uint32_t found = find(hash, view, settings, text)) {
        next_ = found; // the entry after it
        Entry& e = entries_[found - 1];
        if (keep)
            return e.layout;
        scratch_ = std::move(e.layout);
        remove(found - 1);
        return scratch_;
    }
    ++made;
    if (!keep) {
        scratch_ = view.LayoutText(text);
        return scratch_;
    }
    if (recent_.size() >= kRecentEntries) {
        for (const std::uint32_t r : recent_)
            if (entries_[r].recent && entries_[r].view != nullptr)
                remove(r);
        recent_.clear();
    }
    if ((taken_ + 1) * 10 > slots_.size() * 7)
        grow();
    std::uint32_t index;
    if (!spare_.empty()) {
        index = spare_.back();
        spare_.pop_back();
    } else {
        index = static_cast<std::uint32_t>(entries_.size());
        entries_.emplace_back();
    }
    Entry& e = entries_[index];
    e.hash = hash;
    e.view = &view;
    e.settings = settings;
    e.text = text;
    e.layout = view.LayoutText(text);
    // The entry (its share of the table included), the texts and the line widths.
    const std::size_t bytes = sizeof(Entry) + 2 * sizeof(Slot) + stringsBytes(e.text) +
                              stringsBytes(e.layout.Lines) +
                              blockBytes(e.layout.Widths.capacity() * sizeof(double));
    e.recent = bytes_ + bytes > maxBytes_;
    e.bytes = e.recent ? 0 : bytes;
    bytes_ += e.bytes;
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = hash & mask;
    while (slots_[i].entry != 0 && slots_[i].entry != removed)
        i = (i + 1) & mask;
    if (slots_[i].entry == 0)
        ++taken_;
    slots_[i] = {static_cast<std::uint32_t>(hash >> 32), index + 1};
    e.slot = static_cast<std::uint32_t>(i);
    ++live_;
    if (e.recent)
        recent_.push_back(index);
    return e.layout;
}

} // namespace report
