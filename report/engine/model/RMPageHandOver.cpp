#include "report/engine/model/RMPageHandOver.h"

namespace report {

TRMPageHandOver::Handed TRMPageHandOver::handedOf(const TRMEMFPage& page) {
    return {&page,           page.Stream.revision(), page.BackgroundIndex, page.TemplatePageNo,
            page.PaperSize,  page.PaperWidth,        page.PaperHeight,     page.Bin,
            page.Orientation};
}

bool TRMPageHandOver::same(const Handed& a, const Handed& b) {
    return a.record == b.record && a.revision == b.revision &&
           a.backgroundIndex == b.backgroundIndex && a.templatePageNo == b.templatePageNo &&
           a.paperSize == b.paperSize && a.paperWidth == b.paperWidth &&
           a.paperHeight == b.paperHeight && a.bin == b.bin && a.orientation == b.orientation;
}

void TRMPageHandOver::handOver(const TRMEMFPages& pages, int count) {
    if (revoked_ || stopped())
        return;
    count = std::min(count, pages.Count());
    for (int i = handed(); i < count; ++i) {
        const TRMEMFPage& page = *pages[i];
        Item item;
        item.page = std::make_unique<TRMEMFPage>(page);
        for (; backgroundsHanded_ < pages.BackgroundCount(); ++backgroundsHanded_)
            item.backgrounds.push_back(
                std::make_unique<TRMBkPicture>(*pages.Background(backgroundsHanded_)));
        handed_.push_back(handedOf(page));
        put(std::move(item));
    }
}

bool TRMPageHandOver::finish(const TRMEMFPages& pages) {
    if (!revoked_ && pages.Count() >= handed())
        for (int i = 0; i < handed(); ++i)
            if (!same(handed_[static_cast<std::size_t>(i)], handedOf(*pages[i]))) {
                revoked_ = true;
                break;
            }
    if (pages.Count() < handed())
        revoked_ = true;
    if (revoked_) {
        stop();
        return false;
    }
    handOver(pages, pages.Count());
    const std::lock_guard lock(mutex_);
    finished_ = true;
    changed_.notify_all();
    return !stopped_;
}

void TRMPageHandOver::revoke() {
    revoked_ = true;
    stop();
}

void TRMPageHandOver::stop() {
    const std::lock_guard lock(mutex_);
    stopped_ = true;
    queue_.clear();
    changed_.notify_all();
}

bool TRMPageHandOver::stopped() const {
    const std::lock_guard lock(mutex_);
    return stopped_;
}

void TRMPageHandOver::put(Item item) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return stopped_ || drawerDone_ || queue_.size() < MaxWaiting; });
    if (stopped_)
        return;
    queue_.push_back(std::move(item));
    changed_.notify_all();
}

TRMPageHandOver::Next TRMPageHandOver::take(Item& item) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return stopped_ || finished_ || !queue_.empty(); });
    if (stopped_)
        return Next::Stopped;
    if (queue_.empty())
        return Next::End;
    item = std::move(queue_.front());
    queue_.pop_front();
    changed_.notify_all();
    return Next::Page;
}

void TRMPageHandOver::drawerDone() {
    const std::lock_guard lock(mutex_);
    drawerDone_ = true;
    changed_.notify_all();
}

} // namespace report
