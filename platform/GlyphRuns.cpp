#include "platform/GlyphRuns.h"

#include <QCoreApplication>
#include <QFont>
#include <QGlyphRun>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QRawFont>
#include <QTextLayout>
#include <QThread>

#include <atomic>
#include <memory>
#include <unordered_map>
#include <vector>

namespace platform {

namespace {

bool isPlainChar(QChar c) {
    const char16_t u = c.unicode();
    if (u >= 0x20 && u < 0x7f)
        return true;
    if (u < 0x20 || (u >= 0x7f && u < 0xa0) || c.isSurrogate())
        return false;
    switch (c.direction()) {
    case QChar::DirL:
    case QChar::DirEN:
    case QChar::DirES:
    case QChar::DirET:
    case QChar::DirCS:
    case QChar::DirWS:
    case QChar::DirON:
        break;
    default:
        return false;
    }
    switch (c.category()) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Other_Format:
    case QChar::Other_Control:
    case QChar::Other_NotAssigned:
        return false;
    default:
        break;
    }
    switch (c.script()) {
    case QChar::Script_Common:
    case QChar::Script_Latin:
    case QChar::Script_Greek:
    case QChar::Script_Cyrillic:
    case QChar::Script_Han:
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
    case QChar::Script_Bopomofo:
        return true;
    default:
        return false;
    }
}

bool isPlainFont(const QFont& f) {
    return !f.underline() && !f.strikeOut() && !f.overline() && f.letterSpacing() == 0 &&
           f.wordSpacing() == 0 && (f.stretch() == 0 || f.stretch() == 100) &&
           f.capitalization() == QFont::MixedCase;
}

// One character as the full layout draws it on its own: its font (an index into
// FontGlyphs::fonts, -1 when the character must be shaped), glyph and advance.
struct Glyph {
    int font{-1};
    quint32 index{0};
    qreal advance{0};
};

struct FontGlyphs {
    QFont font;
    std::vector<QRawFont> fonts;
    std::unordered_map<char16_t, Glyph> glyphs;

    int fontIndex(const QRawFont& raw) {
        for (std::size_t i = 0; i < fonts.size(); ++i)
            if (fonts[i] == raw)
                return int(i);
        fonts.push_back(raw);
        return int(fonts.size()) - 1;
    }

    const Glyph& glyph(QChar c, QPaintDevice* device) {
        auto it = glyphs.find(c.unicode());
        if (it != glyphs.end())
            return it->second;
        Glyph g;
        if (isPlainChar(c)) {
            QTextLayout layout(QString(c), font, device);
            layout.setCacheEnabled(true);
            layout.beginLayout();
            const QTextLine line = layout.createLine();
            layout.endLayout();
            const QList<QGlyphRun> runs = layout.glyphRuns();
            QRawFont raw;
            quint32 index = 0;
            if (runs.size() == 1 && runs[0].glyphIndexes().size() == 1) {
                raw = runs[0].rawFont();
                index = runs[0].glyphIndexes()[0];
            } else if (runs.isEmpty() && c.isSpace()) {
                // Blanks at a line's end carry no glyph run; the first font draws them.
                raw = QRawFont::fromFont(font);
                const QList<quint32> indexes = raw.glyphIndexesForString(QString(c));
                index = indexes.size() == 1 ? indexes[0] : 0;
            }
            if (raw.isValid() && index != 0) {
                g.font = fontIndex(raw);
                g.index = index;
                g.advance = line.cursorToX(1) - line.cursorToX(0);
            }
        }
        return glyphs.emplace(c.unicode(), g).first->second;
    }
};

struct Cache {
    std::unordered_map<QString, std::unique_ptr<FontGlyphs>> fonts;
    QFont lastFont;
    int lastDpiX{0}, lastDpiY{0};
    FontGlyphs* last{nullptr};

    void clear() {
        last = nullptr;
        lastFont = QFont();
        fonts.clear();
    }

    FontGlyphs& of(const QFont& font, QPaintDevice* device) {
        const int dpiX = device->logicalDpiX(), dpiY = device->logicalDpiY();
        if (last && dpiX == lastDpiX && dpiY == lastDpiY && lastFont == font)
            return *last;
        const int engine = device->paintEngine() ? int(device->paintEngine()->type()) : -1;
        const QString key =
            font.key() + QStringLiteral("|%1|%2|%3").arg(dpiX).arg(dpiY).arg(engine);
        auto it = fonts.find(key);
        if (it == fonts.end()) {
            if (fonts.size() >= 256)
                clear();
            auto entry = std::make_unique<FontGlyphs>();
            entry->font = font;
            it = fonts.emplace(key, std::move(entry)).first;
        }
        last = it->second.get();
        lastFont = font;
        lastDpiX = dpiX;
        lastDpiY = dpiY;
        return *last;
    }
};

std::atomic<bool> glyphRunsOn{true};
std::atomic<bool> mainCacheRegistered{false};

void clearMainCache();

// Font engines are per thread in Qt, so is this cache. The main thread's is emptied when the
// application object goes (font engines must not outlive it).
Cache& threadCache() {
    thread_local Cache cache;
    if (!mainCacheRegistered && QCoreApplication::instance() &&
        QThread::currentThread() == QCoreApplication::instance()->thread()) {
        mainCacheRegistered = true;
        qAddPostRoutine(clearMainCache);
    }
    return cache;
}

void clearMainCache() {
    threadCache().clear();
    mainCacheRegistered = false;
}

} // namespace

void setPlainTextGlyphRuns(bool on) {
    glyphRunsOn = on;
}

bool plainTextGlyphRuns() {
    return glyphRunsOn;
}

bool isPlainText(const QString& text) {
    for (QChar c : text)
        if (!isPlainChar(c))
            return false;
    return true;
}

bool drawPlainText(QPainter& painter, const QPointF& baseLine, const QFont& font,
                   const QString& text) {
    if (text.isEmpty())
        return true;
    if (!glyphRunsOn || !isPlainFont(font))
        return false;
    // Devices whose engines keep the characters of a text (pictures, SVG) get it shaped.
    QPaintDevice* device = painter.device();
    const QPaintEngine* engine = painter.paintEngine();
    if (!device || !engine ||
        (engine->type() != QPaintEngine::Raster && engine->type() != QPaintEngine::Pdf))
        return false;
    FontGlyphs& glyphs = threadCache().of(font, device);
    // Looked up first, so a text that must be shaped is not drawn in part.
    thread_local std::vector<const Glyph*> line;
    line.clear();
    for (QChar c : text) {
        const Glyph& g = glyphs.glyph(c, device);
        if (g.font < 0)
            return false;
        line.push_back(&g);
    }
    QList<quint32> indexes;
    QList<QPointF> positions;
    indexes.reserve(text.size());
    positions.reserve(text.size());
    int runFont = line.front()->font;
    qreal x = 0;
    const auto flush = [&] {
        if (indexes.isEmpty())
            return;
        QGlyphRun run;
        run.setRawFont(glyphs.fonts[std::size_t(runFont)]);
        run.setGlyphIndexes(indexes);
        run.setPositions(positions);
        painter.drawGlyphRun(baseLine, run);
        indexes.clear();
        positions.clear();
    };
    for (const Glyph* g : line) {
        if (g->font != runFont) {
            flush();
            runFont = g->font;
        }
        indexes.push_back(g->index);
        positions.push_back(QPointF(x, 0));
        x += g->advance;
    }
    flush();
    return true;
}

} // namespace platform
