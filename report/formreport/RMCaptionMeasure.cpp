#include "report/formreport/RMCaptionMeasure.h"

#include "report/engine/RMGraphicViews.h"
#include "report/engine/RMRtfReader.h"

#include <QAbstractTextDocumentLayout>
#include <QTextDocument>

#include <cmath>

namespace report {

bool captionHasLines(const TRMRichView& view) {
    QTextDocument doc;
    return rtf::readRtf(view.RichText, doc) && doc.blockCount() > 0;
}

int measureCaption(const TRMRichView& view) {
    QTextDocument doc;
    if (!rtf::readRtf(view.RichText, doc))
        return 0;
    doc.setDocumentMargin(0);
    doc.setTextWidth(std::max(1, view.Width - 2 * view.GapX));
    return static_cast<int>(std::ceil(doc.documentLayout()->documentSize().height())) +
           2 * view.GapY;
}

} // namespace report
