#include "report/engine/model/RMEMFPages.h"

#include "platform/EngineTexts.h"
#include "report/engine/model/RMCompressor.h"
#include "report/engine/model/RMMemoView.h"
#include "report/engine/model/RMPageHandOver.h"
#include "report/engine/model/RMPaper.h"
#include "report/engine/model/RMUnits.h"
#include "report/engine/model/RMViewFactory.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <cstdint>
#include <limits>

namespace report {

namespace {

constexpr std::string_view preparedMagic = "Quarvelinthos Prepared Report File\x1A";

// AutoWidth memos get their final width once, when their page is decoded.
void finishLoadedView(TRMView& view) {
    auto* memo = dynamic_cast<TRMMemoView*>(&view);
    if (memo == nullptr || !memo->flag(flag::AutoWidth) || memo->Memo.empty())
        return;
    const int width = memo->TextWidth(memo->Memo);
    if (memo->vertical()) {
        memo->Height = width;
        return;
    }
    if (memo->Alignment() == 1) {
        // Right-aligned: the right edge stays. Positions come from the file, so the sum is
        // taken in 64 bits and kept within int.
        const std::int64_t left = std::int64_t(memo->Left) + memo->Width - width;
        memo->Left = static_cast<int>(std::clamp<std::int64_t>(
            left, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
    }
    memo->Width = width;
}

struct EPreparedError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Paper sizes from files are kept within 0 … 100 m so that unit conversions cannot overflow.
std::int32_t saneTenths(std::int32_t value) {
    return std::clamp<std::int32_t>(value, 0, 1000000);
}

} // namespace

TRMEMFPage* TRMEMFPages::operator[](int index) const {
    if (index < 0 || index >= Count())
        return nullptr;
    return pages_[static_cast<std::size_t>(index)].get();
}

void TRMEMFPages::revokeHandOver(int firstChanged) {
    if (HandOver != nullptr && firstChanged < HandOver->handed())
        HandOver->revoke();
}

void TRMEMFPages::pagesFinal(int count) {
    if (HandOver != nullptr)
        HandOver->handOver(*this, count);
}

void TRMEMFPages::adoptPage(std::unique_ptr<TRMEMFPage> page) {
    pages_.push_back(std::move(page));
}

void TRMEMFPages::adoptBackground(std::unique_ptr<TRMBkPicture> background) {
    backgrounds_.push_back(std::move(background));
}

void TRMEMFPages::releaseStream(int index) {
    if (TRMEMFPage* record = (*this)[index]) {
        std::erase_if(cache_, [&](const CacheEntry& e) { return e.record == record; });
        record->Stream = RMStream();
    }
}

void TRMEMFPages::clearAll() {
    revokeHandOver();
    cache_.clear();
    pages_.clear();
    backgrounds_.clear();
    CurrentBackground = 255;
}

void TRMEMFPages::Clear() {
    if (ClearHandler) {
        ClearHandler();
        return;
    }
    clearAll();
}

void TRMEMFPages::swapPages(TRMEMFPages& other) noexcept {
    revokeHandOver();
    other.revokeHandOver();
    std::swap(pages_, other.pages_);
    std::swap(backgrounds_, other.backgrounds_);
    std::swap(cache_, other.cache_);
    std::swap(CurrentBackground, other.CurrentBackground);
    std::swap(Taoda, other.Taoda);
    std::swap(PrinterName, other.PrinterName);
}

void TRMEMFPages::appendPages(TRMEMFPages& other) {
    if (&other == this)
        return;
    const int shift = BackgroundCount();
    for (auto& page : other.pages_) {
        if (page->BackgroundIndex != 255)
            page->BackgroundIndex =
                static_cast<std::uint8_t>(std::min(page->BackgroundIndex + shift, 254));
        pages_.push_back(std::move(page));
    }
    for (auto& background : other.backgrounds_)
        backgrounds_.push_back(std::move(background));
    other.clearAll();
}

std::unique_ptr<TRMEMFPage> TRMEMFPages::makePage(const TRMPage& t) {
    auto page = std::make_unique<TRMEMFPage>();
    page->PaperSize = static_cast<std::int16_t>(t.Size);
    page->PaperWidth = t.PageWidth / 100;
    page->PaperHeight = t.PageHeight / 100;
    page->Orientation = t.Orientation;
    page->Bin = t.PageBin;
    const TRMPage::PixelRect margins = t.marginsInPixels();
    page->LeftMargin = margins.left;
    page->TopMargin = margins.top;
    page->RightMargin = margins.right;
    page->BottomMargin = margins.bottom;
    page->PrinterInfo = t.PrinterInfo;
    page->Stream.writeByte(rmCurrentVersion);
    page->BackgroundIndex = t.ShowBackPicture ? static_cast<std::uint8_t>(CurrentBackground) : 255;
    if (TemplatePageIndex) {
        const int index = TemplatePageIndex(t);
        page->TemplatePageNo = static_cast<std::uint8_t>(index < 0 ? 1 : index + 1);
    }
    return page;
}

TRMEMFPage* TRMEMFPages::AddPage(const TRMPage& templatePage) {
    if (OnBeginPage)
        OnBeginPage(Count());
    pages_.push_back(makePage(templatePage));
    return pages_.back().get();
}

TRMEMFPage* TRMEMFPages::InsertPage(int index, const TRMPage& templatePage) {
    index = std::clamp(index, 0, Count());
    revokeHandOver(index);
    if (OnBeginPage)
        OnBeginPage(index);
    auto it = pages_.insert(pages_.begin() + index, makePage(templatePage));
    return it->get();
}

void TRMEMFPages::AddBackground(const TRMPage& t) {
    auto picture = std::make_unique<TRMBkPicture>();
    picture->Left = t.BackGroundLeft;
    picture->Top = t.BackGroundTop;
    picture->Width = t.BackGroundWidth;
    picture->Height = t.BackGroundHeight;
    picture->Picture = t.BackGround;
    backgrounds_.push_back(std::move(picture));
    CurrentBackground = backgrounds_.size() > 255 ? 255 : static_cast<int>(backgrounds_.size()) - 1;
}

void TRMEMFPages::Interleave(int templatePages) {
    if (templatePages < 2)
        return;
    revokeHandOver();
    std::vector<std::vector<std::unique_ptr<TRMEMFPage>>> runs(
        static_cast<std::size_t>(templatePages));
    for (auto& page : pages_) {
        const int no = std::clamp<int>(page->TemplatePageNo, 1, templatePages);
        runs[static_cast<std::size_t>(no - 1)].push_back(std::move(page));
    }
    pages_.clear();
    for (std::size_t round = 0;; ++round) {
        bool any = false;
        for (auto& run : runs) {
            if (round < run.size()) {
                pages_.push_back(std::move(run[round]));
                any = true;
            }
        }
        if (!any)
            break;
    }
    cache_.clear();
}

std::size_t TRMEMFPages::heldBytes() const {
    std::size_t total = 0;
    for (const auto& page : pages_)
        total += page->Stream.heldBytes();
    return total;
}

TRMBkPicture* TRMEMFPages::Background(int index) const {
    if (index < 0 || index >= BackgroundCount())
        return nullptr;
    return backgrounds_[static_cast<std::size_t>(index)].get();
}

void TRMEMFPages::WriteView(RMStream& stream, const TRMView& view) {
    stream.setSubject(view.Name);
    stream.writeByte(view.ObjectType);
    if (view.ObjectType == gtAddIn)
        stream.writeString(view.ClassName());
    const std::uint8_t mode = view.StreamMode;
    const_cast<TRMView&>(view).StreamMode = smPrepared;
    view.SaveToStream(stream);
    const_cast<TRMView&>(view).StreamMode = mode;
    stream.setSubject({});
}

std::unique_ptr<TRMPage> TRMEMFPages::decode(const TRMEMFPage& record) const {
    auto page = std::make_unique<TRMPage>();
    page->Size = record.PaperSize;
    page->PageWidth = saneTenths(record.PaperWidth) * 100;
    page->PageHeight = saneTenths(record.PaperHeight) * 100;
    page->Orientation = record.Orientation;
    page->PageBin = record.Bin;
    page->PrinterInfo = record.PrinterInfo;
    page->LeftMargin = pixelsToMargin(record.LeftMargin);
    page->TopMargin = pixelsToMargin(record.TopMargin);
    page->RightMargin = pixelsToMargin(record.RightMargin);
    page->BottomMargin = pixelsToMargin(record.BottomMargin);
    RMStream stream(record.Stream.contents());
    // Views without an end offset: a damaged record ends the page at that view.
    try {
        if (!stream.atEnd())
            stream.readByte();
        while (!stream.atEnd()) {
            const std::uint8_t type = stream.readByte();
            const std::string className = type == gtAddIn ? stream.readString() : std::string();
            std::unique_ptr<TRMView> view = createView(type, className);
            if (!view)
                break;
            view->StreamMode = smPrepared;
            view->LoadFromStream(stream);
            finishLoadedView(*view);
            page->addView(std::move(view));
        }
    } catch (const std::exception&) {
    }
    return page;
}

std::unique_ptr<TRMPage> TRMEMFPages::LoadPageViews(int index) const {
    const TRMEMFPage* record = (*this)[index];
    return record ? decode(*record) : nullptr;
}

std::shared_ptr<const TRMPage> TRMEMFPages::pageViews(int index) const {
    const TRMEMFPage* record = (*this)[index];
    if (record == nullptr)
        return nullptr;
    const std::uint64_t revision = record->Stream.revision();
    for (std::size_t i = 0; i < cache_.size(); ++i) {
        if (cache_[i].record == record && cache_[i].revision == revision) {
            std::rotate(cache_.begin(), cache_.begin() + static_cast<std::ptrdiff_t>(i),
                        cache_.begin() + static_cast<std::ptrdiff_t>(i) + 1);
            return cache_.front().views;
        }
    }
    std::shared_ptr<const TRMPage> views = decode(*record);
    std::erase_if(cache_, [&](const CacheEntry& e) { return e.record == record; });
    cache_.insert(cache_.begin(), CacheEntry{record, revision, views});
    if (cache_.size() > kCacheSize)
        cache_.pop_back();
    return views;
}

void TRMEMFPages::ObjectsToStream(int index, const TRMPage& views) {
    TRMEMFPage* record = (*this)[index];
    if (record == nullptr)
        return;
    revokeHandOver(index);
    record->Stream.clear();
    record->Stream.writeByte(rmCurrentVersion);
    for (const auto& view : views.Objects()) {
        std::unique_ptr<TRMView> copy = view->clone();
        copy->Memo1 = copy->Memo;
        WriteView(record->Stream, *copy);
    }
}

const TRMView* TRMEMFPages::ObjectAt(int index, int x, int y) const {
    const std::shared_ptr<const TRMPage> page = pageViews(index);
    if (!page)
        return nullptr;
    const auto& views = page->Objects();
    for (auto it = views.rbegin(); it != views.rend(); ++it) {
        const TRMView& v = **it;
        const std::int64_t right = std::int64_t{v.Left} + v.Width,
                           bottom = std::int64_t{v.Top} + v.Height;
        if (x >= v.Left && x <= right && y >= v.Top && y <= bottom)
            return it->get();
    }
    return nullptr;
}

void TRMEMFPages::SaveToStream(RMStream& s) {
    const bool compressed = RMCompressor().Enabled;
    s.writeByte(rmCurrentVersion);
    s.writeByte(10);
    s.writeString(preparedMagic);
    s.writeBool(compressed);
    s.writeBool(Taoda);
    s.writeInt32(BackgroundCount());
    for (const auto& b : backgrounds_) {
        s.writeInt32(b->Left);
        s.writeInt32(b->Top);
        s.writeInt32(b->Width);
        s.writeInt32(b->Height);
        writePicture(s, b->Picture, nullptr);
    }
    s.writeString(currentPrinter().printerName());
    s.writeInt32(Count());
    for (const auto& page : pages_) {
        const std::size_t slot = s.beginEndOffset();
        s.writeInt16(page->PaperSize);
        s.writeInt32(page->PaperWidth);
        s.writeInt32(page->PaperHeight);
        s.writeByte(page->Orientation);
        s.writeInt32(page->Bin);
        s.writeInt32(page->LeftMargin);
        s.writeInt32(page->TopMargin);
        s.writeInt32(page->RightMargin);
        s.writeInt32(page->BottomMargin);
        const std::string bytes = page->Stream.contents();
        if (compressed)
            s.writeBytes(RMCompressor().Compress(bytes));
        else
            s.writeBytes(bytes);
        s.patchEndOffset(slot);
    }
}

bool TRMEMFPages::LoadFromStream(RMStream& s, std::string* error) {
    clearAll();
    LoadError.clear();
    std::vector<std::unique_ptr<TRMEMFPage>> loaded;
    std::vector<std::unique_ptr<TRMBkPicture>> loadedBackgrounds;
    try {
        const int version = s.readByte();
        const int sub = version > 38 ? s.readByte() : 0;
        if (version > 43)
            throw EPreparedError(platform::engineText(47345, "不支持的rmf格式"));
        if (version * 100 + sub * 10 > 4119 && s.readString() != preparedMagic)
            throw EPreparedError(platform::engineText(47501, "不是Quarvelinthos报表文件!"));
        const bool compressed = s.readBool();
        if (compressed && !RMCompressor().Enabled)
            throw EPreparedError(platform::engineText(47345, "不支持的rmf格式"));
        if (sub > 9) {
            Taoda = s.readBool();
        }
        if (version > 37) {
            const std::int32_t count = s.readInt32();
            if (count < 0 || static_cast<std::size_t>(count) > s.remaining() / 14)
                throw EStreamError("bad background count");
            for (std::int32_t i = 0; i < count; ++i) {
                auto b = std::make_unique<TRMBkPicture>();
                b->Left = s.readGeometry();
                b->Top = s.readGeometry();
                if (version >= 40) {
                    b->Width = s.readGeometry();
                    b->Height = s.readGeometry();
                }
                b->Picture = readPicture(s, nullptr);
                loadedBackgrounds.push_back(std::move(b));
            }
        }
        PrinterName = s.readString();
        currentPrinter().selectPrinter(PrinterName);
        const std::int32_t count = s.readInt32();
        if (count < 0 || static_cast<std::size_t>(count) > s.remaining() / 15)
            throw EStreamError("bad page count");
        for (std::int32_t i = 0; i < count; ++i) {
            const std::size_t end = s.readEndOffset(s.position());
            auto page = std::make_unique<TRMEMFPage>();
            page->PaperSize = s.readInt16();
            page->PaperWidth = saneTenths(s.readInt32());
            page->PaperHeight = saneTenths(s.readInt32());
            page->Orientation = s.readByte();
            page->Bin = version > 28 ? s.readInt32() : -1;
            if (version * 100 + sub * 10 < 4010)
                s.readByte();
            if (version > 23) {
                page->LeftMargin = s.readGeometry();
                page->TopMargin = s.readGeometry();
                page->RightMargin = s.readGeometry();
                page->BottomMargin = s.readGeometry();
            }
            if (s.position() > end)
                throw EStreamError("page record overruns its end");
            std::string bytes = s.readBytes(end - s.position());
            if (compressed)
                bytes = RMCompressor().Decompress(bytes);
            page->Stream = RMStream(std::move(bytes));
            page->Stream.seek(page->Stream.size());
            std::int32_t width = page->PaperWidth, height = page->PaperHeight;
            if (page->Orientation == poLandscape && width > height)
                std::swap(width, height);
            currentPrinter().applyPaper(
                {page->PaperSize, width, height, page->Orientation, page->Bin}, page->PrinterInfo);
            loaded.push_back(std::move(page));
            s.seek(end);
        }
    } catch (const EPreparedError& e) {
        LoadError = e.what();
        if (error != nullptr)
            *error = e.what();
        return false;
    } catch (const std::exception& e) {
        LoadError = e.what();
        if (error != nullptr)
            *error = platform::engineText(47345, "不支持的rmf格式");
        return false;
    }
    pages_ = std::move(loaded);
    backgrounds_ = std::move(loadedBackgrounds);
    // Old files keep view geometry in an older unit: convert and rewrite the streams.
    for (int i = 0; i < Count(); ++i) {
        TRMEMFPage* page = pages_[static_cast<std::size_t>(i)].get();
        const std::string& bytes = page->Stream.bytes();
        if (!bytes.empty() && static_cast<unsigned char>(bytes[0]) < 39) {
            const std::unique_ptr<TRMPage> views = LoadPageViews(i);
            for (const auto& v : views->Objects()) {
                v->Left = convertOldUnit(v->Left);
                v->Top = convertOldUnit(v->Top);
                v->Width = convertOldUnit(v->Width);
                v->Height = convertOldUnit(v->Height);
            }
            ObjectsToStream(i, *views);
        }
    }
    return true;
}

bool TRMEMFPages::SaveToFile(const std::string& fileName, std::string* error,
                             std::vector<std::string>* warnings) {
    RMStream stream;
    SaveToStream(stream);
    std::vector<std::string> cut = lossNames(stream.losses().cut);
    std::vector<std::string> replaced = lossNames(stream.losses().replaced);
    for (std::size_t i = 0; i < pages_.size(); ++i) {
        const RMWriteLosses& losses = pages_[i]->Stream.losses();
        const std::string prefix = "第" + std::to_string(i + 1) + "页 ";
        for (std::string& name : lossNames(losses.cut, prefix))
            cut.push_back(std::move(name));
        for (std::string& name : lossNames(losses.replaced, prefix))
            replaced.push_back(std::move(name));
    }
    auto fail = [&](std::string message) {
        if (error != nullptr)
            *error = std::move(message);
        return false;
    };
    if (!cut.empty())
        return fail(cutTextsMessage(cut));
    QSaveFile file(QString::fromStdString(fileName)); // the old file stays until commit
    const std::string& bytes = stream.bytes();
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
            static_cast<qint64>(bytes.size()) ||
        !file.commit())
        return fail("无法写入文件 " + fileName);
    if (warnings != nullptr)
        *warnings = std::move(replaced);
    return true;
}

bool TRMEMFPages::LoadFromFile(const std::string& fileName, std::string* error) {
    QFile file(QString::fromStdString(fileName));
    if (!file.open(QIODevice::ReadOnly)) {
        if (error != nullptr)
            *error = file.errorString().toStdString();
        return false;
    }
    const QByteArray data = file.readAll();
    RMStream stream(std::string(data.constData(), static_cast<std::size_t>(data.size())));
    return LoadFromStream(stream, error);
}

} // namespace report
