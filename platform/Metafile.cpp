#include "platform/Metafile.h"

#include <QPainter>

#include <cstdio>

namespace platform {

const char* kindName(TMetaRecordKind kind) {
    switch (kind) {
    case TMetaRecordKind::Line:
        return "Line";
    case TMetaRecordKind::Polyline:
        return "Polyline";
    case TMetaRecordKind::PolyPolyline:
        return "PolyPolyline";
    case TMetaRecordKind::Polygon:
        return "Polygon";
    case TMetaRecordKind::FillRect:
        return "FillRect";
    case TMetaRecordKind::FrameRect:
        return "FrameRect";
    case TMetaRecordKind::Rectangle:
        return "Rectangle";
    case TMetaRecordKind::Ellipse:
        return "Ellipse";
    case TMetaRecordKind::RoundRect:
        return "RoundRect";
    case TMetaRecordKind::PatBlt:
        return "PatBlt";
    case TMetaRecordKind::FocusRect:
        return "FocusRect";
    case TMetaRecordKind::Edge:
        return "Edge";
    case TMetaRecordKind::TextOut:
        return "TextOut";
    case TMetaRecordKind::TextRect:
        return "TextRect";
    case TMetaRecordKind::DrawText:
        return "DrawText";
    case TMetaRecordKind::Image:
        return "Image";
    case TMetaRecordKind::Raw:
        return "Raw";
    }
    return "?";
}

void TMetafile::append(TMetaRecord record) {
    records_.push_back(std::move(record));
}

std::vector<const TMetaRecord*> TMetafile::recordsOf(TMetaRecordKind kind) const {
    std::vector<const TMetaRecord*> out;
    for (const TMetaRecord& r : records_)
        if (r.Kind == kind)
            out.push_back(&r);
    return out;
}

std::vector<const TMetaRecord*> TMetafile::textRecords() const {
    std::vector<const TMetaRecord*> out;
    for (const TMetaRecord& r : records_)
        if (r.isText())
            out.push_back(&r);
    return out;
}

std::vector<std::string> TMetafile::texts() const {
    std::vector<std::string> out;
    for (const TMetaRecord& r : records_)
        if (r.isText())
            out.push_back(r.Text);
    return out;
}

TRect TMetafile::bounds() const {
    TRect b{};
    for (const TMetaRecord& r : records_)
        b = unionRect(b, r.Bounds);
    return b;
}

std::string TMetafile::dump() const {
    std::string out;
    char buffer[128];
    const auto rect = [&](const TRect& r) {
        std::snprintf(buffer, sizeof buffer, "[%d,%d,%d,%d]", r.Left, r.Top, r.Right, r.Bottom);
        out += buffer;
    };
    for (const TMetaRecord& r : records_) {
        out += kindName(r.Kind);
        if (!r.Rect.isEmpty()) {
            out += ' ';
            rect(r.Rect);
        }
        for (const QPoint& p : r.Points) {
            std::snprintf(buffer, sizeof buffer, " (%d,%d)", p.x(), p.y());
            out += buffer;
        }
        if (!r.Text.empty()) {
            out += " \"";
            out += r.Text;
            out += '"';
        }
        std::snprintf(buffer, sizeof buffer,
                      " pen=%08X/%d brush=%08X font=%d/%08X bounds=", r.Pen.Color, r.Pen.Width,
                      r.Brush.Color, r.Font.Height, r.Font.Color);
        out += buffer;
        rect(r.Bounds);
        out += '\n';
    }
    return out;
}

void TMetafile::play(TCanvas& target, QPointF origin, double scaleX, double scaleY) const {
    if (scaleX <= 0 || scaleY <= 0)
        return;
    const int level = target.saveDC();
    const double sx = target.scaleX();
    const double sy = target.scaleY();
    const QPointF o = target.viewportOrigin();
    target.setViewport(sx * scaleX, sy * scaleY,
                       QPointF(o.x() + origin.x() * sx, o.y() + origin.y() * sy));
    for (const TMetaRecord& r : records_)
        target.replay(r);
    target.restoreDC(level);
}

void TMetafile::play(TCanvas& target, const TRect& dest) const {
    if (width_ <= 0 || height_ <= 0 || dest.isEmpty())
        return;
    play(target, QPointF(dest.Left, dest.Top), double(dest.width()) / width_,
         double(dest.height()) / height_);
}

QImage TMetafile::toImage(double scale, TColor background) const {
    const int w = std::max(1, int(std::lround(width_ * scale)));
    const int h = std::max(1, int(std::lround(height_ * scale)));
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(toQColor(background == clNone ? clWhite : background));
    QPainter painter(&image);
    TCanvas canvas(painter);
    play(canvas, QPointF(0, 0), scale, scale);
    return image;
}

} // namespace platform
