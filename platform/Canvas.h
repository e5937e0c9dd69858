#pragma once

// A GDI-style canvas: the drawing calls the system's painting code is written for, on top
// of QPainter (widgets, images, PDF writers and printers) or recording into a TMetafile.
//
// Coordinates are logical pixels mapped to the device by the viewport (scale and origin,
// identity by default). Rectangles exclude their right and bottom edge. The current Font,
// Pen and Brush are public values that every call reads; like the system's canvas, changing
// Brush also resets the background mode (opaque for a solid brush, else transparent) the next
// time something is drawn, while setBkMode() overrides it until Brush changes again.

#include "platform/Colors.h"
#include "platform/GdiObjects.h"

#include <QPoint>
#include <QRegion>
#include <QSize>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class QImage;
class QPainter;
class QPaintDevice;

namespace platform {

class Picture;
class TMetafile;
struct TMetaRecord;

enum class TBkMode : std::uint8_t { Transparent = 1, Opaque = 2 };

// drawText formats.
constexpr unsigned DT_TOP = 0x0;
constexpr unsigned DT_LEFT = 0x0;
constexpr unsigned DT_CENTER = 0x1;
constexpr unsigned DT_RIGHT = 0x2;
constexpr unsigned DT_VCENTER = 0x4;
constexpr unsigned DT_BOTTOM = 0x8;
constexpr unsigned DT_WORDBREAK = 0x10;
constexpr unsigned DT_SINGLELINE = 0x20;
constexpr unsigned DT_EXPANDTABS = 0x40;
constexpr unsigned DT_NOCLIP = 0x100;
constexpr unsigned DT_CALCRECT = 0x400;
constexpr unsigned DT_NOPREFIX = 0x800;
constexpr unsigned DT_RTLREADING = 0x20000;

// extTextOut options.
constexpr unsigned ETO_OPAQUE = 0x2;
constexpr unsigned ETO_CLIPPED = 0x4;
constexpr unsigned ETO_RTLREADING = 0x80;

// drawEdge edges and borders.
constexpr unsigned BDR_RAISEDOUTER = 0x1;
constexpr unsigned BDR_SUNKENOUTER = 0x2;
constexpr unsigned BDR_RAISEDINNER = 0x4;
constexpr unsigned BDR_SUNKENINNER = 0x8;
constexpr unsigned EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER;
constexpr unsigned EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER;
constexpr unsigned EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER;
constexpr unsigned EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER;
constexpr unsigned BF_LEFT = 0x1;
constexpr unsigned BF_TOP = 0x2;
constexpr unsigned BF_RIGHT = 0x4;
constexpr unsigned BF_BOTTOM = 0x8;
constexpr unsigned BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM;
constexpr unsigned BF_MIDDLE = 0x800;
constexpr unsigned BF_ADJUST = 0x2000;
constexpr unsigned BF_FLAT = 0x4000;
constexpr unsigned BF_MONO = 0x8000;

// Raster operations of patBlt and drawImage (D destination, P brush pattern, S source).
constexpr std::uint32_t SRCCOPY = 0x00CC0020;   // S
constexpr std::uint32_t SRCAND = 0x008800C6;    // D and S
constexpr std::uint32_t SRCPAINT = 0x00EE0086;  // D or S
constexpr std::uint32_t SRCINVERT = 0x00660046; // D xor S
constexpr std::uint32_t PATCOPY = 0x00F00021;   // P
constexpr std::uint32_t PATINVERT = 0x005A0049; // D xor P
constexpr std::uint32_t PATAND = 0x00A000C9;    // D and P
constexpr std::uint32_t DSTINVERT = 0x00550009; // not D
constexpr std::uint32_t BLACKNESS = 0x00000042;
constexpr std::uint32_t WHITENESS = 0x00FF0062;

// Font measures in logical pixels (the system's TEXTMETRIC subset).
struct TTextMetric {
    int Height{0}; // Ascent + Descent
    int Ascent{0};
    int Descent{0};
    int InternalLeading{0}; // Height - em size
    int ExternalLeading{0};
    int AveCharWidth{0};
    int MaxCharWidth{0};
};

class TCanvas {
public:
    // Draws through `painter`, which stays owned by the caller and must outlive the canvas.
    // The painter's state is saved here and restored by the destructor, so the canvas can
    // work inside any paintEvent or printing loop.
    explicit TCanvas(QPainter& painter);
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;
    virtual ~TCanvas();

    TFont Font;
    TPen Pen;
    TBrush Brush;

    TBkMode bkMode() const;
    void setBkMode(TBkMode mode);
    // Extra pixels added after every character of text output and measuring.
    int characterExtra() const { return characterExtra_; }
    void setCharacterExtra(int pixels) { characterExtra_ = pixels; }

    // Lines (Pen).
    QPoint penPos() const { return penPos_; }
    void moveTo(int x, int y);
    // Line from the pen position to (x, y), which becomes the pen position. The end point
    // itself is not drawn by a one-pixel pen.
    void lineTo(int x, int y);
    void polyline(std::span<const QPoint> points);
    // Several separate polylines in one call: counts[i] points each, taken in order.
    void polyPolyline(std::span<const QPoint> points, std::span<const int> counts);

    // Areas.
    void fillRect(const TRect& rect);  // Brush, no outline
    void frameRect(const TRect& rect); // one-pixel border in the Brush colour
    // Outline with Pen, inside filled with Brush (nothing for bsClear). The outline of a
    // one-pixel pen covers the rectangle's outermost pixels.
    void rectangle(const TRect& rect);
    void rectangle(int left, int top, int right, int bottom) {
        rectangle({left, top, right, bottom});
    }
    void ellipse(const TRect& rect);
    void roundRect(const TRect& rect, int cornerWidth, int cornerHeight);
    void polygon(std::span<const QPoint> points);
    // Fills with Brush combined with the destination by a raster operation (PATCOPY,
    // PATINVERT, PATAND, DSTINVERT, BLACKNESS, WHITENESS). Devices without raster operations
    // (PDF) get the nearest plain drawing.
    void patBlt(const TRect& rect, std::uint32_t rop);
    // Inverts the pixels of the dotted border (every other pixel); drawing it twice erases it.
    void drawFocusRect(const TRect& rect);
    // A 3-D border of `edge` (BDR_*/EDGE_*) on the sides `flags` (BF_*) names, in the button
    // shadow and highlight colours. Returns the rectangle inside the edge.
    TRect drawEdge(const TRect& rect, unsigned edge, unsigned flags);

    // Text in Font, top-left reference. An opaque background fills the text cell with the
    // Brush colour.
    void textOut(int x, int y, std::string_view text);
    // Text at (x, y) clipped to `rect`; `rect` is filled with the Brush colour first unless
    // Brush is bsClear.
    void textRect(const TRect& rect, int x, int y, std::string_view text);
    // ETO_CLIPPED clips to *rect, ETO_OPAQUE fills *rect with the Brush colour; rect may be
    // null when neither option is given.
    void extTextOut(int x, int y, unsigned options, const TRect* rect, std::string_view text);
    // Text laid out in `rect` by DT_* format. Lines break at line feeds (CR LF counts as one)
    // and, with DT_WORDBREAK, between words. DT_CALCRECT measures only: rect's right and
    // bottom are set to the text's extent. Returns the height of the text.
    int drawText(std::string_view text, TRect& rect, unsigned format);
    int drawText(std::string_view text, const TRect& rect, unsigned format) {
        TRect r = rect;
        return drawText(text, r, format);
    }

    QSize textExtent(std::string_view text) const;
    int textWidth(std::string_view text) const;
    // Cell height of Font (the same for every text).
    int textHeight(std::string_view text) const;
    TTextMetric textMetrics() const;

    // Pictures and images stretched into `dest`.
    void stretchDraw(const TRect& dest, const Picture& picture, std::uint32_t rop = SRCCOPY);
    void draw(int x, int y, const Picture& picture);
    void drawImage(const TRect& dest, const QImage& image, std::uint32_t rop = SRCCOPY);
    // Replays a metafile with its Width x Height frame stretched onto `dest`.
    void stretchDraw(const TRect& dest, const TMetafile& metafile);

    // Drawing not covered by the calls above (laid-out rich text): `paint` receives a painter
    // in this canvas's logical coordinates, clipped like the canvas. A recording canvas keeps
    // it as a picture record with `text` for searching.
    void paintRaw(const TRect& bounds, const std::function<void(QPainter&)>& paint,
                  std::string_view text = {});

    // Clip region, in logical coordinates; none means the whole device.
    void setClipRect(const TRect& rect);
    void setClipRegion(const QRegion& region);
    void clearClip();
    void intersectClipRect(const TRect& rect);
    void excludeClipRect(const TRect& rect);
    bool hasClip() const { return clip_.has_value(); }
    // Bounding rectangle of the clip region (the device rectangle without one).
    TRect clipRect() const;
    bool rectVisible(const TRect& rect) const;

    // Saves Font, Pen, Brush, background mode, character spacing, clip, viewport and pen
    // position; returns the new save level (1, 2, ...).
    int saveDC();
    // Back to the state saved at `level`, or the most recent one for -1; false when there
    // is no such level.
    bool restoreDC(int level = -1);

    // Viewport: device = logical * scale + origin (origin in device pixels). Text is drawn
    // with fonts of the scaled height and pens of the scaled width (at least one pixel).
    void setViewport(double scaleX, double scaleY, QPointF origin = {});
    double scaleX() const { return scaleX_; }
    double scaleY() const { return scaleY_; }
    QPointF viewportOrigin() const { return origin_; }

    // Device resolution (96 for a recording canvas without a reference device).
    int pixelsPerInchX() const;
    int pixelsPerInchY() const;
    // Device size in logical pixels (the metafile's frame when recording).
    QSize size() const;

    // The painter drawn on; null for a recording canvas.
    QPainter* painter() const { return painter_; }
    bool isRecording() const { return recording_ != nullptr; }

protected:
    // Recording canvas (TMetafileCanvas): measures text on `reference` (96 dpi image when
    // null).
    TCanvas(TMetafile& target, QPaintDevice* reference);

private:
    struct SavedState;
    struct Cache;

    // Applies a recorded call, used by TMetafile::play.
    friend class TMetafile;
    void replay(const TMetaRecord& record);

    void syncBkMode() const;
    QPaintDevice* measureDevice() const;

    // Logical to device coordinates through the viewport.
    QPoint mapPoint(QPoint p) const;
    TRect mapRect(const TRect& r) const;
    // Pen width in device pixels (at least one).
    int devicePenWidth() const;

    // Recording. `kind` is a TMetaRecordKind; the record carries the state in force.
    using RecordExtra = std::function<void(TMetaRecord&)>;
    TMetaRecord makeRecord(int kind) const;
    void addRecord(TMetaRecord&& record);
    // Appends a record with device rectangle `rect`, painted area `bounds` and `flags`;
    // `extra` fills in whatever else the call keeps.
    void recordRect(int kind, const TRect& rect, const TRect& bounds, unsigned flags = 0,
                    const RecordExtra& extra = {});
    // Line and polygon calls: device points (and polyline groups); the bounds are the
    // points' pixels widened by half the pen.
    void recordPoints(int kind, std::vector<QPoint> points, std::vector<int> counts = {});
    // Start of a call filling a rectangle: maps it; a recording canvas records the call with
    // that rectangle as Rect and Bounds. Returns the device rectangle still to paint, nullopt
    // when recorded or empty.
    std::optional<TRect> paintArea(int kind, const TRect& rect, unsigned flags = 0,
                                   const RecordExtra& extra = {});
    // rectangle, ellipse and roundRect: outline with Pen, inside filled with Brush.
    void outlinedShape(int kind, const TRect& rect, QSize corner);

    // Applies the canvas clip and GDI-like rendering for one drawing call; `mode` is a
    // QPainter::CompositionMode, used only where the device has raster operations. The
    // painter is saved (and restored at the end of the call) only when the call changes its
    // clip, composition mode or, with `keep`, anything else a later call must not see: on PDF
    // devices every restore writes the whole graphics state again. Pens, brushes and fonts
    // are set by every call that uses them.
    class PainterScope {
    public:
        PainterScope(QPainter& painter, const std::optional<QRegion>& clip, int mode = 0,
                     bool keep = false);
        ~PainterScope();
        PainterScope(const PainterScope&) = delete;
        PainterScope& operator=(const PainterScope&) = delete;
        // Intersects the clip with `rect` for this call.
        void clipTo(const QRect& rect);

    private:
        QPainter& p_;
        bool saved_{false};
    };
    // Whether the device has raster operations (widgets and images do, PDF does not).
    static bool hasRasterOps(const QPainter& p);

    QPainter* painter_{nullptr};
    TMetafile* recording_{nullptr};
    QPaintDevice* reference_{nullptr};
    // Background mode and the Brush it was derived from (see the file comment).
    mutable TBkMode bkMode_{TBkMode::Opaque};
    mutable TBrush bkModeBrush_{};
    int characterExtra_{0};
    QPoint penPos_{};
    // Clip region in device coordinates; nullopt = unclipped. clearClip() goes back to the
    // painter's own clip at construction (baseClip_).
    std::optional<QRegion> clip_;
    std::optional<QRegion> baseClip_;
    double scaleX_{1.0};
    double scaleY_{1.0};
    QPointF origin_{};
    std::vector<SavedState> saved_;
    std::unique_ptr<Cache> cache_;
};

// A canvas that records into a metafile instead of drawing; the metafile must outlive it.
class TMetafileCanvas : public TCanvas {
public:
    explicit TMetafileCanvas(TMetafile& target, QPaintDevice* reference = nullptr);
};

} // namespace platform
