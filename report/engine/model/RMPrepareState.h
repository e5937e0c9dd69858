#pragma once

namespace report {

// Values of the preparation in progress that names such as "Page#" read.
struct TRMPrepareState {
    int PageNo = 0;           // index of the page being prepared (Page# = PageNo + 1)
    double StartDateTime = 0; // taken when preparation starts
    int ColumnNo = 1;
    int CurrentRow = 0;
    int TotalPages = 0;
    int LineNo = 0;     // row counter of the current data band
    int LineThough = 0; // through-counter of the current data band
    int CurY = 0;
    int PageBottom = 0;
    int PageWidth = 0;
    bool BlankRowMode = false;
};

} // namespace report
