#pragma once

// The preview without its widgets: which pages are shown at what zoom, where every page
// stands in the scrolled area, the scroll ranges and position, the current page, and the
// painting of the visible part onto a canvas. TRMPreview is a thin widget over it; tests
// drive it directly.

#include "platform/GdiObjects.h"

#include <QImage>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace platform {
class TCanvas;
}

namespace report {

class TRMEMFPages;

enum class TRMScaleMode { Percent, PageWidth, OnePage, TwoPages, PrinterResolution };

class TRMPreviewModel {
public:
    // Distance between pages and from the pages to the edges of the scrolled area.
    static constexpr int Gap = 10;
    // Pages starting further below the top of the view release their rendered image.
    static constexpr int KeepBelow = 2000;

    // The shown document (not owned; nullptr = nothing shown). Goes to page 1.
    void setPages(const TRMEMFPages* pages);
    const TRMEMFPages* pages() const { return pages_; }
    int pageCount() const;
    bool empty() const { return pageCount() == 0; }
    // The same pages, now held by another set (lent to the report while it prints): layout,
    // position and images stay.
    void rebind(const TRMEMFPages* pages) { pages_ = pages; }
    // The page set changed (pages appended, edited, or prepared again): lays out anew and
    // keeps the current page where it still exists.
    void pagesChanged();

    // Size of the area the pages are shown in (the panel without its scroll bars).
    void setViewSize(int width, int height);
    int viewWidth() const { return viewWidth_; }
    int viewHeight() const { return viewHeight_; }

    // --- zoom
    TRMScaleMode mode() const { return mode_; }
    // Screen pixels per page pixel.
    double scale() const { return scale_; }
    void setMode(TRMScaleMode mode);
    // Percent mode at `percent` / 100.
    void setZoomPercent(double percent);
    // Printer pixels per page pixel for the printer-resolution mode; nullopt when the
    // printer cannot say (the mode then acts as page width).
    std::function<std::optional<double>()> PrinterRatio;

    // --- layout (after every zoom, resize or change of the page set)
    const std::vector<platform::TRect>& pageRects() const { return rects_; }
    // Rectangle of page `index` (0-based) in the scrolled area.
    platform::TRect pageRect(int index) const;
    int pagesPerRow() const { return perRow_; }
    int maxX() const { return maxX_; }
    int maxY() const { return maxY_; }

    // --- scrolling; positions are clamped to 0 … max
    int offsetX() const { return offsetX_; }
    int offsetY() const { return offsetY_; }
    void scrollTo(int x, int y);
    void scrollBy(int dx, int dy) { scrollTo(offsetX_ + dx, offsetY_ + dy); }
    int smallStep() const { return 16; }
    int largeStepX() const { return viewWidth_ > 1 ? viewWidth_ : 1; }
    int largeStepY() const { return viewHeight_ > 1 ? viewHeight_ : 1; }
    // Scrolls just enough that `rect` (scrolled-area coordinates) is in view.
    void ensureVisible(const platform::TRect& rect);

    // --- pages
    // 1-based; 0 with no pages.
    int currentPage() const { return current_; }
    // Clamped to 1 … page count; scrolls the page's top 10 pixels below the view's top.
    void goToPage(int pageNo);
    void firstPage() { goToPage(1); }
    void priorPage() { goToPage(current_ - 1); }
    void nextPage() { goToPage(current_ + 1); }
    void lastPage() { goToPage(pageCount()); }
    // Makes a page current without scrolling (a click on it).
    void setCurrentPage(int pageNo);
    // "页 3/10".
    std::string statusText() const;

    // Page (0-based) under a point of the view, or -1; `pagePoint` receives the point in
    // page pixels.
    int pageAt(int viewX, int viewY, QPoint* pagePoint = nullptr) const;
    // A page pixel of page `index` in view coordinates.
    QPoint viewPointOf(int index, QPointF pagePoint) const;
    // Scrolls so that page pixel `pagePoint` of page `index` lands at view point `at`.
    void keepAt(int index, QPointF pagePoint, QPoint at);

    // --- painting
    // Paints the part `area` (view coordinates) of the view: grey around the pages, each
    // visible page white with a black outline and a one-pixel shadow, and its content.
    // With `useImages` page content is rendered once per zoom into an image that the page
    // keeps while it is visible; otherwise it is drawn straight onto the canvas.
    void paint(platform::TCanvas& canvas, const platform::TRect& area, bool useImages);
    // Pages (0-based) holding a rendered image.
    std::vector<int> pagesWithImages() const;
    // Whether page `index` counts as visible (ends below the view's top and starts at most
    // 2000 pixels below it).
    bool pageVisible(int index) const;
    // Drops every rendered image (zoom, edits).
    void releaseImages() { images_.clear(); }
    // Device pixels per view pixel of the screen that shows the images.
    void setDevicePixelRatio(double ratio);

    // A rectangle (scrolled-area coordinates) inverted on top of the pages (the last match
    // of a search); empty for none.
    void setMarked(const platform::TRect& rect) { marked_ = rect; }
    const platform::TRect& marked() const { return marked_; }

    // Told after every layout, page change and scroll that moved the current page.
    std::function<void()> OnStatusChange;
    std::function<void()> OnPageChanged;
    // Told when the scroll position or the layout changed (the widget repaints).
    std::function<void()> OnViewChanged;

    // Internal consistency (tests): rectangles inside the scrolled area, rows in order.
    bool consistent(std::string* why = nullptr) const;

private:
    void layout();
    void computeScale();
    void setCurrent(int pageNo, bool notify);
    void updateCurrentFromScroll();
    void notifyView() const {
        if (OnViewChanged)
            OnViewChanged();
    }
    const QImage& pageImage(int index, const platform::TRect& rect);

    const TRMEMFPages* pages_ = nullptr;
    int viewWidth_ = 0, viewHeight_ = 0;
    TRMScaleMode mode_ = TRMScaleMode::Percent;
    double scale_ = 1.0;
    std::vector<platform::TRect> rects_; // one per page, scrolled-area coordinates
    int perRow_ = 1;
    int maxX_ = 0, maxY_ = 0;
    int offsetX_ = 0, offsetY_ = 0;
    int current_ = 0;
    platform::TRect marked_;
    double devicePixelRatio_ = 1.0;
    std::map<int, QImage> images_; // page index → content rendered at the current zoom
};

} // namespace report
