#pragma once

// The archive store: the units of table tbHsdwda, and single changes written back through the
// host data service, each as one statement, with a duplicate check before a code is written.

#include "archive/AcountUnitArchivesRecords.h"
#include "platform/WindowHandle.h"
#include "plugin/ICoorDisp.h"

#include <string_view>

namespace platform {
class TClientDataSet;
}

namespace archive {

// What the store works on: the archive window that created it.
class ArchiveStoreSite {
public:
    virtual ~ArchiveStoreSite() = default;
    virtual plugin::ICoorDisp dataService() const = 0;
    // The store's result dataset (cdsMain); keeps trailing blanks.
    virtual platform::TClientDataSet& storeDataSet() = 0;
    // Owner of the load failure box.
    virtual platform::WindowHandle windowHandle() const = 0;
    // Owner of every other box of the store: the plug-in's application window.
    virtual platform::WindowHandle applicationWindow() const = 0;
    // A new code was refused as a duplicate: blank the name cell, then the code cell of the
    // current row, focus the grid and make the code column current.
    virtual void clearRefusedRow() = 0;
};

class TAcountUnitArchivesClass {
public:
    explicit TAcountUnitArchivesClass(ArchiveStoreSite& site);
    virtual ~TAcountUnitArchivesClass();
    TAcountUnitArchivesClass(const TAcountUnitArchivesClass&) = delete;
    TAcountUnitArchivesClass& operator=(const TAcountUnitArchivesClass&) = delete;

    // Mirrors the grid's data rows (record i is grid row i + 1); changed only by the window.
    TAcountUnitArchivesRecords Records;

    // Replaces Records by the table's rows, in the order the service returns them, untrimmed.
    // A failed query shows its box, leaves Records empty and returns false; a packet that
    // does not decode leaves Records empty and raises its error.
    bool LoadRecords();
    // The write operations show their box and return false when they refuse or fail; they
    // never change Records. Service and dataset errors propagate to the caller.
    bool AddRecord(const TAcountUnitArchivesRecord& record);
    bool ModifyRecord(const TAcountUnitArchivesRecord& newValues,
                      const TAcountUnitArchivesRecord& current);
    bool DeleteRecord(std::string_view code);
    // Whether the last write operation that returned false refused a duplicate code (rather
    // than failing in the data service): only a refusal gives the row its stored code back.
    bool refusedDuplicate() const { return refusedDuplicate_; }

private:
    // Runs a statement; on failure shows the heading and the service's messages.
    bool execute(const std::string& sql, std::string_view failureHeading);
    // Runs the duplicate check for `code` into cdsMain. False (after showing the service's
    // messages) when the query itself failed.
    bool checkCode(std::string_view code);
    void refuse(const std::string& text);

    ArchiveStoreSite& site_;
    bool refusedDuplicate_ = false;
};

} // namespace archive
