#include "report/engine/model/RMPage.h"

#include "report/engine/model/RMUnits.h"

#include <cmath>

namespace report {

TRMPage::TRMPage() {
    ChangePaper(9, 2100, 2970, 0xFFFF, poPortrait);
}

TRMPage::~TRMPage() = default;

TRMPage::ViewList::ViewList(const ViewList& other)
    : std::vector<std::unique_ptr<TRMView>>() {
    reserve(other.size());
    for (const auto& view : other)
        push_back(view->clone());
}

std::unique_ptr<TRMPage> TRMPage::clone() const {
    std::unique_ptr<TRMPage> copy(new TRMPage(*this));
    copy->Bands.fill(nullptr);
    for (const auto& view : copy->objects_)
        view->ParentBand = nullptr;
    return copy;
}

TRMView* TRMPage::addView(std::unique_ptr<TRMView> view) {
    objects_.push_back(std::move(view));
    return objects_.back().get();
}

void TRMPage::deleteView(TRMView* view) {
    std::erase_if(objects_, [view](const std::unique_ptr<TRMView>& v) { return v.get() == view; });
}

TRMView* TRMPage::FindObject(std::string_view name) const {
    for (const auto& view : objects_)
        if (sameText(view->Name, name))
            return view.get();
    return nullptr;
}

void TRMPage::moveViews(int dx, int dy) {
    if (dx == 0 && dy == 0)
        return;
    for (const auto& view : objects_) {
        view->Left += dx;
        view->Top += dy;
    }
}

void TRMPage::setLeftMargin(std::int32_t value) {
    if (value == LeftMargin || IsSubReport)
        return;
    moveViews(marginToPixels(value) - marginToPixels(LeftMargin), 0);
    LeftMargin = value;
}

void TRMPage::setTopMargin(std::int32_t value) {
    if (value == TopMargin)
        return;
    moveViews(0, marginToPixels(value) - marginToPixels(TopMargin));
    TopMargin = value;
}

TRMPage::PixelRect TRMPage::marginsInPixels() const {
    return {marginToPixels(LeftMargin), marginToPixels(TopMargin), marginToPixels(RightMargin),
            marginToPixels(BottomMargin)};
}

void TRMPage::setMarginsInPixels(const PixelRect& margins) {
    const PixelRect old = marginsInPixels();
    if (margins.left != old.left || margins.top != old.top)
        moveViews(IsSubReport ? 0 : margins.left - old.left, margins.top - old.top);
    LeftMargin = pixelsToMargin(margins.left);
    TopMargin = pixelsToMargin(margins.top);
    RightMargin = pixelsToMargin(margins.right);
    BottomMargin = pixelsToMargin(margins.bottom);
}

void TRMPage::ChangePaper(int size, std::int32_t width, std::int32_t height, std::int32_t bin,
                          std::uint8_t orientation) {
    Size = size;
    Orientation = orientation;
    PageBin = bin;
    TRMPaperRequest request{size, width, height, orientation, bin};
    if (size != rmCustomPaperSize) {
        std::int32_t w = 0, h = 0;
        if (currentPrinter().paperSize(size, w, h)) {
            request.width = w;
            request.height = h;
        }
    }
    PageWidth = request.width * 100;
    PageHeight = request.height * 100;
    if (orientation == poLandscape && PageWidth < PageHeight)
        std::swap(PageWidth, PageHeight);
    if (orientation == poPortrait && PageWidth > PageHeight && size != rmCustomPaperSize)
        std::swap(PageWidth, PageHeight);
    currentPrinter().applyPaper(request, PrinterInfo);
}

void TRMPage::applyPaperToPrinter() {
    std::int32_t width = PageWidth / 100, height = PageHeight / 100;
    if (Orientation == poLandscape)
        std::swap(width, height);
    currentPrinter().applyPaper({Size, width, height, Orientation, PageBin}, PrinterInfo);
}

int TRMPage::paperWidthPixels() const {
    if (PrinterInfo.paperWidth > 0)
        return PrinterInfo.paperWidth;
    return static_cast<int>(std::lround(RMToScreenPixels(PageWidth / 1000.0, rmutMillimeters)));
}

int TRMPage::paperHeightPixels() const {
    if (PrinterInfo.paperHeight > 0)
        return PrinterInfo.paperHeight;
    return static_cast<int>(std::lround(RMToScreenPixels(PageHeight / 1000.0, rmutMillimeters)));
}

bool TRMPage::SetPropValue(std::string_view name, const platform::Variant& value) {
    auto is = [&](std::string_view n) { return sameText(name, n); };
    if (is("Name"))
        Name = value.toString();
    else if (is("LeftMargin"))
        setLeftMargin(value.toInt());
    else if (is("TopMargin"))
        setTopMargin(value.toInt());
    else if (is("RightMargin"))
        RightMargin = value.toInt();
    else if (is("BottomMargin"))
        BottomMargin = value.toInt();
    else if (is("Width"))
        ChangePaper(rmCustomPaperSize, value.toInt(), PageHeight / 100, PageBin, Orientation);
    else if (is("Height"))
        ChangePaper(rmCustomPaperSize, PageWidth / 100, value.toInt(), PageBin, Orientation);
    else if (is("Size"))
        ChangePaper(value.toInt(), PageWidth / 100, PageHeight / 100, PageBin, Orientation);
    else if (is("Orientation"))
        ChangePaper(Size, PageWidth / 100, PageHeight / 100, PageBin,
                    static_cast<std::uint8_t>(value.toInt()));
    else if (is("Columns"))
        Columns = value.toInt();
    else if (is("ColumnGap"))
        ColumnGap = value.toInt();
    else if (is("PrintToPrevPage"))
        PrintToPrevPage = value.toBool();
    else if (is("ShowBackPicture"))
        ShowBackPicture = value.toBool();
    else if (is("AutoHCenter"))
        AutoHCenter = value.toBool();
    else if (is("Visible"))
        Visible = value.toBool();
    else if (is("Caption"))
        Caption = value.toString();
    else if (is("PrintPagePerPage")) {
        if (PrintPagePerPage)
            *PrintPagePerPage = value.toBool();
    } else
        return false;
    return true;
}

bool TRMPage::GetPropValue(std::string_view name, platform::Variant& value) const {
    auto is = [&](std::string_view n) { return sameText(name, n); };
    if (is("Name"))
        value = Name;
    else if (is("LeftMargin"))
        value = LeftMargin;
    else if (is("TopMargin"))
        value = TopMargin;
    else if (is("RightMargin"))
        value = RightMargin;
    else if (is("BottomMargin"))
        value = BottomMargin;
    else if (is("Width"))
        value = widthTenths();
    else if (is("Height"))
        value = heightTenths();
    else if (is("Size"))
        value = Size;
    else if (is("Orientation"))
        value = static_cast<int>(Orientation);
    else if (is("Columns"))
        value = Columns;
    else if (is("ColumnGap"))
        value = ColumnGap;
    else if (is("PrintToPrevPage"))
        value = PrintToPrevPage;
    else if (is("ShowBackPicture"))
        value = ShowBackPicture;
    else if (is("AutoHCenter"))
        value = AutoHCenter;
    else if (is("Visible"))
        value = Visible;
    else if (is("Caption"))
        value = Caption;
    else if (is("PrintPagePerPage"))
        value = PrintPagePerPage ? *PrintPagePerPage : false;
    else
        return false;
    return true;
}

void TRMPage::SaveHeaderToStream(RMStream& s) const {
    s.writeByte(Type);
    s.writeString(Caption);
    s.writeString(Name);
    s.writeInt32(DialogLeft);
    s.writeInt32(DialogTop);
    s.writeInt32(DialogWidth);
    s.writeInt32(DialogHeight);
    s.writeInt32(static_cast<std::int32_t>(Color));
    s.writeByte(BorderStyle);
    s.writeByte(Position);
    s.writeInt32(Size);
    s.writeInt32(PageWidth);
    s.writeInt32(PageHeight);
    s.writeInt32(LeftMargin);
    s.writeInt32(TopMargin);
    s.writeInt32(RightMargin);
    s.writeInt32(BottomMargin);
    s.writeByte(Orientation);
    s.writeBool16(PrintToPrevPage);
    s.writeInt32(Columns);
    s.writeInt32(ColumnGap);
    s.writeInt32(PageBin);
    s.writeStrings(Script);
    writePicture(s, BackGround, nullptr);
    s.writeInt32(BackGroundLeft);
    s.writeInt32(BackGroundTop);
    s.writeInt32(BackGroundWidth);
    s.writeInt32(BackGroundHeight);
    s.writeBool(AutoHCenter);
}

void TRMPage::LoadHeaderFromStream(RMStream& s) {
    Type = s.readByte();
    Caption = s.readString();
    Name = s.readString();
    DialogLeft = s.readGeometry();
    DialogTop = s.readGeometry();
    DialogWidth = s.readGeometry();
    DialogHeight = s.readGeometry();
    Color = static_cast<TColor>(s.readInt32());
    BorderStyle = s.readByte();
    Position = s.readByte();
    Size = s.readInt32();
    PageWidth = s.readLength();
    PageHeight = s.readLength();
    LeftMargin = s.readLength();
    TopMargin = s.readLength();
    RightMargin = s.readLength();
    BottomMargin = s.readLength();
    Orientation = s.readByte();
    PrintToPrevPage = s.readBool16();
    Columns = s.readInt32();
    ColumnGap = s.readLength();
    PageBin = s.readInt32();
    Script = s.readStrings();
    BackGround = readPicture(s, nullptr);
    BackGroundLeft = s.readGeometry();
    BackGroundTop = s.readGeometry();
    BackGroundWidth = s.readGeometry();
    BackGroundHeight = s.readGeometry();
    AutoHCenter = s.readBool();
    applyPaperToPrinter();
}

bool TRMPage::DoMethod(std::string_view name, const std::vector<platform::Variant>& args) {
    if (!sameText(name, "CHANGEPAPER"))
        return false;
    auto arg = [&](std::size_t i, int fallback) {
        return i < args.size() && !args[i].isEmpty() ? args[i].toInt() : fallback;
    };
    ChangePaper(arg(0, Size), arg(1, PageWidth / 100), arg(2, PageHeight / 100), arg(3, PageBin),
                static_cast<std::uint8_t>(arg(4, Orientation)));
    return true;
}

TRMPage* TRMPages::Page(int index) const {
    if (index < 0 || index >= Count())
        return nullptr;
    return pages_[static_cast<std::size_t>(index)].get();
}

std::vector<std::unique_ptr<TRMPage>> TRMPages::clonePages() const {
    std::vector<std::unique_ptr<TRMPage>> copies;
    copies.reserve(pages_.size());
    for (const auto& page : pages_)
        copies.push_back(page->clone());
    return copies;
}

TRMPage* TRMPages::Add() {
    auto page = std::make_unique<TRMPage>();
    for (int n = 1; n <= 10000; ++n) {
        const std::string candidate = "Page" + std::to_string(n);
        bool used = false;
        for (const auto& p : pages_)
            used = used || sameText(p->Name, candidate);
        if (!used) {
            page->Name = candidate;
            break;
        }
    }
    page->PrintPagePerPage = PrintPagePerPage;
    page->ChangePaper(defaultPaper.size, defaultPaper.width, defaultPaper.height, defaultPaper.bin,
                      defaultPaper.orientation);
    pages_.push_back(std::move(page));
    return pages_.back().get();
}

void TRMPages::Delete(int index) {
    if (index >= 0 && index < Count())
        pages_.erase(pages_.begin() + index);
}

int TRMPages::IndexOf(const TRMPage* page) const {
    for (int i = 0; i < Count(); ++i)
        if (pages_[static_cast<std::size_t>(i)].get() == page)
            return i;
    return -1;
}

TRMView* TRMPages::FindObject(std::string_view name) const {
    for (const auto& page : pages_)
        if (TRMView* view = page->FindObject(name))
            return view;
    return nullptr;
}

std::string TRMPages::makeUniqueName(std::string_view baseName) const {
    for (long n = 1;; ++n) {
        std::string candidate = std::string(baseName) + std::to_string(n);
        if (FindObject(candidate) == nullptr)
            return candidate;
    }
}

} // namespace report
