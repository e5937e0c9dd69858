#include "report/formreport/RMGridReportSettings.h"

#include "platform/EngineTexts.h"
#include "report/engine/model/RMUnits.h"

#include <cmath>

namespace report {

namespace {

// The source as T, or the incompatible-assignment error of `target`.
template <class T>
const T& sameClass(const platform::TPersistent& source, const T& target) {
    if (const auto* s = dynamic_cast<const T*>(&source))
        return *s;
    throw platform::EConvertError(std::string("Cannot assign a ") + source.ClassName() + " to a " +
                                  target.ClassName());
}

} // namespace

int tenMillimetresInPixels() {
    return static_cast<int>(std::lround(RMToScreenPixels(10, rmutMillimeters)));
}

// ---- TRMPageLayout

TRMPageLayout::TRMPageLayout()
    : LeftMargin(tenMillimetresInPixels())
    , TopMargin(LeftMargin)
    , RightMargin(LeftMargin)
    , BottomMargin(LeftMargin)
    , PrinterName(platform::engineText(47007, "默认打印机")) {}

void TRMPageLayout::Assign(const platform::TPersistent& source) {
    const TRMPageLayout& s = sameClass(source, *this);
    if (&s != this)
        *this = s;
}

// ---- TRMPageHeaderFooter

std::string TRMPageHeaderFooter::CaptionText() const {
    return joinLines(caption_);
}

void TRMPageHeaderFooter::setCaptionText(std::string_view text) {
    caption_ = splitLines(text);
}

bool TRMPageHeaderFooter::hasText() const {
    for (const std::string& line : caption_)
        if (!line.empty())
            return true;
    return false;
}

void TRMPageHeaderFooter::setHeight(std::int32_t value) {
    if (value >= 0)
        height_ = value;
}

void TRMPageHeaderFooter::Assign(const platform::TPersistent& source) {
    const TRMPageHeaderFooter& s = sameClass(source, *this);
    setCaption(s.caption_);
    setHeight(s.height_);
}

// ---- the small option objects

void TRMScaleOptions::Assign(const platform::TPersistent& source) {
    const TRMScaleOptions& s = sameClass(source, *this);
    if (&s != this)
        *this = s;
}

void TRMMasterDataBandOptions::Assign(const platform::TPersistent& source) {
    const TRMMasterDataBandOptions& s = sameClass(source, *this);
    if (&s != this)
        *this = s;
}

void TRMGridNumOptions::setNumber(std::int32_t value) {
    if (value >= 0)
        number_ = value;
}

void TRMGridNumOptions::Assign(const platform::TPersistent& source) {
    const TRMGridNumOptions& s = sameClass(source, *this);
    Text = s.Text;
    setNumber(s.number_);
}

void TRMGridFontOptions::Assign(const platform::TPersistent& source) {
    const TRMGridFontOptions& s = sameClass(source, *this);
    if (&s != this)
        *this = s;
}

void TRMGroupItem::Assign(const platform::TPersistent& source) {
    const TRMGroupItem& s = sameClass(source, *this);
    GroupFieldName = s.GroupFieldName;
    FormNewPage = s.FormNewPage;
}

// ---- TRMGroupItems

TRMGroupItem& TRMGroupItems::Add() {
    items_.push_back(std::make_unique<TRMGroupItem>());
    return *items_.back();
}

void TRMGroupItems::Delete(int index) {
    if (index >= 0 && index < Count())
        items_.erase(items_.begin() + index);
}

void TRMGroupItems::Assign(const platform::TPersistent& source) {
    const TRMGroupItems& s = sameClass(source, *this);
    if (&s == this)
        return;
    items_.clear();
    for (const auto& item : s.items_)
        Add().Assign(*item);
}

} // namespace report
