#pragma once

// The archive window's form report RMFormReport1: prints the grid sgdAcountUnitArchives
// with the window caption as its header and the print date, time, operator and page
// numbers as its footer.
//
// Two settings differ from the window as it was first laid out, so that the printout
// shows the archive: the column-grid add-in prints the grid's title row and every row (see
// the form report's registry), and PageHeaderOnly1 is on, so the header repeats on every
// page and the footer prints at the foot of each.

#include <string>

namespace grid {
class TAdvStringGrid;
}
namespace report {
class TRMFormReport;
}

namespace archive {

// Gives `report` the archive's settings and makes `grid` its PrintControl.
void configureArchiveReport(report::TRMFormReport& report, grid::TAdvStringGrid& grid);

} // namespace archive
