#pragma once

// The tabular pages the drawing and printing benchmarks share: 500 prepared pages of a
// bordered 40 × 6 table with a title and a page footer, and the same content drawn with
// raw QPainter calls for comparison.

#include "report/engine/model/RMReport.h"

#include <QFont>
#include <QPen>

#include <string>

class QPainter;

namespace benchtable {

inline constexpr int pageCount = 500;

// Nine mixed Chinese / Latin cell texts.
const char* cellTextAt(int i);
// The prepared report, built on first use.
report::TRMReport& tableReport();

// Draws page `page` as the prepared page shows it, at `scale` device pixels per page pixel.
class RawTablePainter {
public:
    RawTablePainter(QPainter& painter, double scale);
    void paint(int page);

private:
    QPainter& painter_;
    double s_;
    QFont title_, body_;
    QPen pen_;
};

} // namespace benchtable
