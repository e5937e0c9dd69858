#pragma once

// Prepared pages handed from the preparation to a drawer on another thread as they become
// final, so that printing overlaps preparing. The preparation's thread hands over copies:
// the two threads never share a page. What was handed over is checked again when the
// preparation ends; a handed page changed since, or a store cleared or reordered under it,
// revokes the hand-over, and whoever started it prints from the store instead.

#include "report/engine/model/RMEMFPages.h"

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

namespace report {

class TRMPageHandOver {
public:
    // A page and the backgrounds added to the store since the previous one (in order, so
    // that the drawer's store numbers them as the preparation's does).
    struct Item {
        std::unique_ptr<TRMEMFPage> page;
        std::vector<std::unique_ptr<TRMBkPicture>> backgrounds;
    };
    enum class Next { Page, End, Stopped };

    // ---- the preparation's thread
    // Pages [handed, count) of `pages` will not change any more: copies go to the drawer.
    void handOver(const TRMEMFPages& pages, int count);
    // The preparation ended with `pages`: the rest is handed over, then every page handed
    // before is checked against the store. False when the hand-over was revoked (the drawer
    // is then stopped).
    bool finish(const TRMEMFPages& pages);
    // The store changed under pages already handed over.
    void revoke();
    bool revoked() const { return revoked_; }
    int handed() const { return static_cast<int>(handed_.size()); }

    // ---- any thread
    // No page follows and whatever the drawer made is dropped (error, cancel, revoked).
    void stop();
    bool stopped() const;

    // ---- the drawer's thread
    // Waits for the next page; End after the last one, Stopped when stopped.
    Next take(Item& item);
    // The drawer takes no more pages: the preparation no longer waits for room.
    void drawerDone();

    // Pages waiting for the drawer at most: the preparation waits for room beyond that, so a
    // drawer slower than the preparation keeps the copies it holds bounded.
    static constexpr std::size_t MaxWaiting = 64;

private:
    void put(Item item);

    struct Handed {
        const TRMEMFPage* record;
        std::uint64_t revision;
        std::uint8_t backgroundIndex, templatePageNo;
        std::int16_t paperSize;
        std::int32_t paperWidth, paperHeight, bin;
        std::uint8_t orientation;
    };
    static Handed handedOf(const TRMEMFPage& page);
    static bool same(const Handed& a, const Handed& b);

    // The preparation's thread only.
    std::vector<Handed> handed_;
    int backgroundsHanded_ = 0;
    bool revoked_ = false;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Item> queue_;
    bool finished_ = false, stopped_ = false, drawerDone_ = false;
};

} // namespace report
