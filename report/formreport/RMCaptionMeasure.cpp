#include "report/formreport/RMCaptionMeasure.h"

#include "report/engine/layout/RMRtfReader.h"
#include "report/engine/model/RMGraphicViews.h"

#include <QTextDocument>

namespace report {

bool captionHasLines(const TRMRichView& view) {
    QTextDocument doc;
    return rtf::readRtf(view.RichText, doc) && doc.blockCount() > 0;
}

// The rich view's own height search, so that the caption gets the height that preparation
// and drawing lay its lines out in.
int measureCaption(const TRMRichView& view) {
    return view.MeasureHeight();
}

} // namespace report
