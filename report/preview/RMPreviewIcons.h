#pragma once

// Pictures of the preview's tool-bar buttons and its magnifier cursor, drawn with
// QPainter at any device pixel ratio (no image files to ship or lose).

#include <QCursor>
#include <QIcon>

namespace report {

enum class TRMPreviewIcon {
    Magnifier,
    OnePage,
    Zoom100,
    PageWidth,
    First,
    Prior,
    Next,
    Last,
    Find,
    Open,
    Save,
    SuperExport,
    Excel,
    Print,
    PageSetup,
    Design,
    Close,
};

QIcon previewIcon(TRMPreviewIcon icon);
QCursor magnifierCursor();

} // namespace report
