#pragma once

// A recording of canvas calls: every call a TMetafileCanvas receives becomes one record
// with the geometry and the Pen, Brush and Font in force. A metafile replays onto any
// canvas at any scale (preview zoom, printing, PDF) and its records can be walked in
// drawing order (text search, tests).

#include "platform/Canvas.h"
#include "platform/GdiObjects.h"

#include <QImage>
#include <QRegion>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QPicture;

namespace platform {

enum class TMetaRecordKind : std::uint8_t {
    Line,         // Points: start, end (lineTo)
    Polyline,     // Points
    PolyPolyline, // Points, Counts
    Polygon,      // Points
    FillRect,     // Rect
    FrameRect,    // Rect
    Rectangle,    // Rect
    Ellipse,      // Rect
    RoundRect,    // Rect, Corner
    PatBlt,       // Rect, Flags = raster operation
    FocusRect,    // Rect
    Edge,         // Rect, Flags = BF_* flags, Extra = BDR_* edge
    TextOut,      // Points[0] = reference point, Text
    TextRect,     // Rect = clip, Points[0] = reference point, Text, Flags = ETO_* options
    DrawText,     // Rect = layout rectangle, Text, Flags = DT_* format
    Image,        // Rect = destination, Image, Flags = raster operation
    Raw,          // Rect = bounds, Drawing, Text
};

// Name of a kind ("TextOut", ...), for messages and dumps.
const char* kindName(TMetaRecordKind kind);

struct TMetaRecord {
    TMetaRecordKind Kind{TMetaRecordKind::Line};
    // State in force when the call was made (device coordinates of the metafile: fonts and
    // pens carry their scaled height and width).
    TPen Pen;
    TBrush Brush;
    TFont Font;
    TBkMode BkMode{TBkMode::Opaque};
    int CharacterExtra{0};
    // Clip region in force; nullopt = unclipped.
    std::optional<QRegion> Clip;

    TRect Rect;
    std::vector<QPoint> Points;
    std::vector<int> Counts;
    QSize Corner;
    std::string Text; // UTF-8
    unsigned Flags{0};
    unsigned Extra{0};
    QImage Image;
    std::shared_ptr<const QPicture> Drawing; // Raw records

    // Area the record may paint (for text: the text's extent, clipped to its rectangle).
    TRect Bounds;

    bool isText() const {
        return Kind == TMetaRecordKind::TextOut || Kind == TMetaRecordKind::TextRect ||
               Kind == TMetaRecordKind::DrawText || (Kind == TMetaRecordKind::Raw && !Text.empty());
    }
};

class TMetafile {
public:
    TMetafile() = default;
    TMetafile(int width, int height)
        : width_(width)
        , height_(height) {}

    // Frame size in the metafile's pixels: what play(target, dest) stretches onto dest.
    int width() const { return width_; }
    int height() const { return height_; }
    void setSize(int width, int height) {
        width_ = width;
        height_ = height;
    }

    bool isEmpty() const { return records_.empty(); }
    void clear() { records_.clear(); }

    const std::vector<TMetaRecord>& records() const { return records_; }
    void append(TMetaRecord record);

    // Records of one kind, in drawing order.
    std::vector<const TMetaRecord*> recordsOf(TMetaRecordKind kind) const;
    // Text records in drawing order, and just their texts.
    std::vector<const TMetaRecord*> textRecords() const;
    std::vector<std::string> texts() const;
    // Union of every record's bounds.
    TRect bounds() const;
    // One line per record ("TextOut (8,24) 核算单位 ..."), for test failure messages.
    std::string dump() const;

    // Replays every record onto `target`: metafile point p lands at logical p * scale +
    // origin of the target.
    void play(TCanvas& target, QPointF origin, double scaleX, double scaleY) const;
    // Replays with the frame (width x height) stretched onto `dest`.
    void play(TCanvas& target, const TRect& dest) const;
    // The frame scaled by `scale` as an image filled with `background` first.
    QImage toImage(double scale = 1.0, TColor background = clWhite) const;

private:
    int width_{0};
    int height_{0};
    std::vector<TMetaRecord> records_;
};

} // namespace platform
