#include "report/preview/RMPreviewModel.h"

#include "platform/Canvas.h"
#include "platform/EngineTexts.h"
#include "report/engine/model/RMEMFPages.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace report {

using platform::TRect;

namespace {

// Larger page images are not kept: such zooms draw straight onto the screen.
constexpr qint64 maxImagePixels = 8'000'000;

int scaled(int pagePixels, double scale) {
    return static_cast<int>(std::lround(pagePixels * scale));
}

} // namespace

int TRMPreviewModel::pageCount() const {
    return pages_ != nullptr ? pages_->pageCount() : 0;
}

void TRMPreviewModel::setPages(const TRMEMFPages* pages) {
    pages_ = pages;
    images_.clear();
    marked_ = {};
    current_ = pageCount() > 0 ? 1 : 0;
    offsetX_ = offsetY_ = 0;
    layout();
}

void TRMPreviewModel::pagesChanged() {
    images_.clear();
    marked_ = {};
    const int count = pageCount();
    current_ = count == 0 ? 0 : std::clamp(current_, 1, count);
    layout();
}

void TRMPreviewModel::setViewSize(int width, int height) {
    if (width == viewWidth_ && height == viewHeight_)
        return;
    viewWidth_ = std::max(width, 0);
    viewHeight_ = std::max(height, 0);
    layout();
}

void TRMPreviewModel::setMode(TRMScaleMode mode) {
    mode_ = mode;
    layout();
}

void TRMPreviewModel::setZoomPercent(double percent) {
    mode_ = TRMScaleMode::Percent;
    scale_ = std::clamp(percent, 1.0, 1000.0) / 100.0;
    layout();
}

void TRMPreviewModel::setDevicePixelRatio(double ratio) {
    if (ratio > 0 && ratio != devicePixelRatio_) {
        devicePixelRatio_ = ratio;
        images_.clear();
    }
}

void TRMPreviewModel::computeScale() {
    const TRMPageInfo page = pages_->pageInfo(std::max(current_, 1) - 1);
    const int width = std::max(page.Width, 1), height = std::max(page.Height, 1);
    double fitted = 0;
    switch (mode_) {
    case TRMScaleMode::Percent:
        return;
    case TRMScaleMode::PrinterResolution:
        if (PrinterRatio) {
            if (const std::optional<double> ratio = PrinterRatio(); ratio && *ratio > 0) {
                scale_ = *ratio;
                return;
            }
        }
        [[fallthrough]];
    case TRMScaleMode::PageWidth:
        fitted = static_cast<double>(viewWidth_ - 2 * Gap) / width;
        break;
    case TRMScaleMode::OnePage:
        fitted = static_cast<double>(viewHeight_ - 2 * Gap) / height;
        break;
    case TRMScaleMode::TwoPages:
        fitted = static_cast<double>(viewWidth_ - 3 * Gap) / (2.0 * width);
        break;
    }
    // A view not laid out yet (or tiny) still gets a drawable scale.
    scale_ = std::max(fitted, 0.01);
}

void TRMPreviewModel::layout() {
    images_.clear();
    rects_.clear();
    const int count = pageCount();
    if (count == 0) {
        perRow_ = 1;
        maxX_ = maxY_ = offsetX_ = offsetY_ = 0;
        if (OnStatusChange)
            OnStatusChange();
        notifyView();
        return;
    }
    computeScale();

    std::vector<std::pair<int, int>> sizes(count);
    for (int i = 0; i < count; ++i) {
        const TRMPageInfo page = pages_->pageInfo(i);
        sizes[i] = {scaled(page.Width, scale_), scaled(page.Height, scale_)};
    }

    if (mode_ == TRMScaleMode::TwoPages) {
        perRow_ = 2;
    } else if (mode_ == TRMScaleMode::OnePage) {
        perRow_ = 1;
    } else {
        int x = Gap, inRow = 0, best = 0;
        for (const auto& [w, h] : sizes) {
            x += w + Gap;
            if (x > viewWidth_) {
                best = std::max(best, inRow);
                inRow = 0;
                x = Gap;
            } else {
                ++inRow;
            }
        }
        perRow_ = std::max(std::max(best, inRow), 1);
    }

    rects_.reserve(count);
    int y = Gap, right = 0, bottom = 0;
    for (int first = 0; first < count; first += perRow_) {
        const int last = std::min(first + perRow_, count);
        int x = Gap, rowHeight = 0;
        for (int i = first; i < last; ++i) {
            const auto [w, h] = sizes[i];
            if (perRow_ == 1 && w < viewWidth_)
                x = (viewWidth_ - w) / 2;
            rects_.push_back(platform::Bounds(x, y, w, h));
            right = std::max(right, x + w);
            bottom = std::max(bottom, y + h);
            x += w + Gap;
            rowHeight = std::max(rowHeight, h);
        }
        y += rowHeight + Gap;
    }
    maxX_ = std::max(right - viewWidth_ + Gap, 0);
    maxY_ = std::max(bottom - viewHeight_ + Gap, 0);

    offsetX_ = std::clamp(offsetX_, 0, maxX_);
    offsetY_ = std::clamp(rects_[current_ - 1].Top - Gap, 0, maxY_);
    if (OnStatusChange)
        OnStatusChange();
    notifyView();
}

TRect TRMPreviewModel::pageRect(int index) const {
    return index >= 0 && index < static_cast<int>(rects_.size()) ? rects_[index] : TRect{};
}

void TRMPreviewModel::scrollTo(int x, int y) {
    x = std::clamp(x, 0, maxX_);
    y = std::clamp(y, 0, maxY_);
    if (x == offsetX_ && y == offsetY_)
        return;
    const bool vertical = y != offsetY_;
    offsetX_ = x;
    offsetY_ = y;
    if (vertical)
        updateCurrentFromScroll();
    notifyView();
}

void TRMPreviewModel::ensureVisible(const TRect& rect) {
    int x = offsetX_, y = offsetY_;
    if (rect.Right > x + viewWidth_)
        x = rect.Right - viewWidth_;
    if (rect.Left < x)
        x = rect.Left;
    if (rect.Bottom > y + viewHeight_)
        y = rect.Bottom - viewHeight_;
    if (rect.Top < y)
        y = rect.Top;
    scrollTo(x, y);
}

void TRMPreviewModel::updateCurrentFromScroll() {
    const int line = offsetY_ + Gap + 1;
    const auto it = std::find_if(rects_.begin(), rects_.end(), [line](const TRect& r) {
        return r.Top <= line && line < r.Bottom;
    });
    if (it != rects_.end())
        setCurrent(static_cast<int>(it - rects_.begin()) + 1, true);
}

void TRMPreviewModel::setCurrent(int pageNo, bool notify) {
    if (pageNo == current_)
        return;
    current_ = pageNo;
    if (notify) {
        if (OnPageChanged)
            OnPageChanged();
        if (OnStatusChange)
            OnStatusChange();
    }
}

void TRMPreviewModel::setCurrentPage(int pageNo) {
    if (empty())
        return;
    setCurrent(std::clamp(pageNo, 1, pageCount()), true);
}

void TRMPreviewModel::goToPage(int pageNo) {
    if (empty())
        return;
    pageNo = std::clamp(pageNo, 1, pageCount());
    const bool changed = pageNo != current_;
    current_ = pageNo;
    const TRect& r = rects_[pageNo - 1];
    int x = offsetX_;
    if (r.Left < x || r.Left >= x + viewWidth_)
        x = r.Left - Gap;
    offsetX_ = std::clamp(x, 0, maxX_);
    offsetY_ = std::clamp(r.Top - Gap, 0, maxY_);
    if (changed && OnPageChanged)
        OnPageChanged();
    if (OnStatusChange)
        OnStatusChange();
    notifyView();
}

std::string TRMPreviewModel::statusText() const {
    return platform::engineText(47004) + " " + std::to_string(current_) + "/" +
           std::to_string(pageCount());
}

int TRMPreviewModel::pageAt(int viewX, int viewY, QPoint* pagePoint) const {
    const int x = viewX + offsetX_, y = viewY + offsetY_;
    for (int i = 0; i < static_cast<int>(rects_.size()); ++i) {
        const TRect& r = rects_[i];
        if (r.Top > y)
            break;
        if (!r.contains(x, y))
            continue;
        if (pagePoint != nullptr)
            *pagePoint = QPoint(static_cast<int>((x - r.Left) / scale_),
                                static_cast<int>((y - r.Top) / scale_));
        return i;
    }
    return -1;
}

QPoint TRMPreviewModel::viewPointOf(int index, QPointF pagePoint) const {
    const TRect r = pageRect(index);
    return QPoint(static_cast<int>(std::lround(r.Left + pagePoint.x() * scale_)) - offsetX_,
                  static_cast<int>(std::lround(r.Top + pagePoint.y() * scale_)) - offsetY_);
}

void TRMPreviewModel::keepAt(int index, QPointF pagePoint, QPoint at) {
    const QPoint now = viewPointOf(index, pagePoint);
    scrollBy(now.x() - at.x(), now.y() - at.y());
}

bool TRMPreviewModel::pageVisible(int index) const {
    const TRect r = pageRect(index).offset(-offsetX_, -offsetY_);
    return r.Bottom > 0 && r.Top <= KeepBelow;
}

std::vector<int> TRMPreviewModel::pagesWithImages() const {
    std::vector<int> result;
    for (const auto& entry : images_)
        result.push_back(entry.first);
    return result;
}

const QImage& TRMPreviewModel::pageImage(int index, const TRect& rect) {
    const QSize size(static_cast<int>(std::ceil(rect.width() * devicePixelRatio_)),
                     static_cast<int>(std::ceil(rect.height() * devicePixelRatio_)));
    QImage& image = images_[index];
    if (image.size() == size)
        return image;
    image = QImage(size, QImage::Format_RGB32);
    image.setDevicePixelRatio(devicePixelRatio_);
    image.fill(Qt::white);
    QPainter painter(&image);
    platform::TCanvas canvas(painter);
    pages_->paintPage(index, canvas, platform::Bounds(0, 0, rect.width(), rect.height()),
                      TRMDrawContext::screen());
    return image;
}

void TRMPreviewModel::paint(platform::TCanvas& canvas, const TRect& area, bool useImages) {
    using namespace platform;
    for (auto it = images_.begin(); it != images_.end();)
        it = pageVisible(it->first) ? std::next(it) : images_.erase(it);

    // Pages meeting the area; rows are in order, so the walk stops below it.
    std::vector<int> shown;
    const TRect scrolledArea = area.offset(offsetX_, offsetY_);
    for (int i = 0; i < static_cast<int>(rects_.size()); ++i) {
        const TRect& r = rects_[i];
        if (r.Top >= scrolledArea.Bottom)
            break;
        if (!intersectRect(r.inflated(1, 1), scrolledArea).isEmpty())
            shown.push_back(i);
    }

    canvas.saveDC();
    for (int i : shown) {
        const TRect r = rects_[i].offset(-offsetX_, -offsetY_);
        canvas.excludeClipRect({r.Left, r.Top, r.Right + 1, r.Bottom + 1});
    }
    canvas.Brush = TBrush::solid(RGB(128, 128, 128));
    canvas.fillRect(area);
    canvas.restoreDC();

    for (int i : shown) {
        const TRect r = rects_[i].offset(-offsetX_, -offsetY_);
        canvas.Pen = TPen{};
        canvas.Brush = TBrush::solid(clWhite);
        canvas.rectangle(r);
        canvas.moveTo(r.Right, r.Top + 1);
        canvas.lineTo(r.Right, r.Bottom + 1);
        canvas.moveTo(r.Left + 1, r.Bottom);
        canvas.lineTo(r.Right + 1, r.Bottom);

        const int level = canvas.saveDC();
        canvas.intersectClipRect(r.inflated(-1, -1));
        const qint64 pixels = static_cast<qint64>(r.width()) * r.height() *
                              static_cast<qint64>(devicePixelRatio_ * devicePixelRatio_);
        if (useImages && pixels <= maxImagePixels && pageVisible(i))
            canvas.drawImage(r, pageImage(i, r));
        else
            pages_->paintPage(i, canvas, r, TRMDrawContext::screen());
        canvas.restoreDC(level);
    }

    if (!marked_.isEmpty()) {
        const TRect m = marked_.offset(-offsetX_, -offsetY_);
        canvas.Pen = TPen{clWhite, 1, platform::psSolid, platform::pmXor};
        for (int y = m.Top; y < m.Bottom; ++y) {
            canvas.moveTo(m.Left, y);
            canvas.lineTo(m.Right, y);
        }
        canvas.Pen = TPen{};
    }
}

bool TRMPreviewModel::consistent(std::string* why) const {
    auto fail = [why](std::string text) {
        if (why != nullptr)
            *why = std::move(text);
        return false;
    };
    if (static_cast<int>(rects_.size()) != pageCount())
        return fail("one rectangle per page");
    int right = 0, bottom = 0, previousTop = 0;
    for (const TRect& r : rects_) {
        if (r.Left < 0 || r.Top < Gap)
            return fail("page outside the scrolled area");
        if (r.Top < previousTop)
            return fail("rows out of order");
        previousTop = r.Top;
        right = std::max(right, r.Right);
        bottom = std::max(bottom, r.Bottom);
    }
    if (!rects_.empty() && (maxX_ != std::max(right - viewWidth_ + Gap, 0) ||
                            maxY_ != std::max(bottom - viewHeight_ + Gap, 0)))
        return fail("scroll range does not match the pages");
    if (offsetX_ < 0 || offsetX_ > maxX_ || offsetY_ < 0 || offsetY_ > maxY_)
        return fail("scroll position outside its range");
    if (pageCount() > 0 && (current_ < 1 || current_ > pageCount()))
        return fail("current page outside the document");
    return true;
}

} // namespace report
