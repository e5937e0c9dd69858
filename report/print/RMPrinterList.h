#pragma once

// The printers a user can choose, in the system's order: 0 the default printer
// ("默认打印机"), 1 the virtual printer ("虚拟打印机"), then every CUPS destination, then
// the built-in "PDF" printer, which is always there so that any machine can print.

#include "report/print/RMPrinterInfo.h"

#include <memory>
#include <string>
#include <vector>

namespace report {

inline constexpr const char* rmPdfPrinterName = "PDF";

class TRMPrinterList {
public:
    // The process-wide list, enumerated on first use.
    static TRMPrinterList& instance();

    TRMPrinterList();
    // The two fixed entries and a copy of `from`'s printer at `index`, which is this list's
    // last and default entry; the print system is not asked. A print run on a thread of
    // its own works on one, so that it shares no printer state.
    static std::unique_ptr<TRMPrinterList> copyOf(TRMPrinterList& from, int index);
    TRMPrinterList(const TRMPrinterList&) = delete;
    TRMPrinterList& operator=(const TRMPrinterList&) = delete;

    // Asks the print system again (the printer selection is reset by TRMPrinter).
    void Refresh();
    // A printer from elsewhere than CUPS, placed before the PDF printer (its info should be
    // loaded already). Returns its position.
    int AddPrinter(const std::string& name, std::unique_ptr<TRMPrinterInfo> info);

    int Count() const { return static_cast<int>(entries_.size()); }
    const std::string& Name(int index) const;
    // Info of an entry; position 0 is the default printer's info. Not loaded yet: call
    // TRMPrinter's selection, or LoadInfo.
    TRMPrinterInfo& Info(int index);
    // Loads papers and bins on first use; false (info left unloaded) when the print system
    // cannot be asked, with the reason in *error.
    bool LoadInfo(int index, std::string* error = nullptr);

    // Position of the system's default printer: the CUPS default destination, else PDF.
    int DefaultIndex() const { return defaultIndex_; }
    int pdfIndex() const { return Count() - 1; }
    // Position for a report's printer name: "" and "Default Printer" 0, "Virtual Printer"
    // 1 (exact), else a display name compared without regard to case; 0 when not found.
    int IndexOfName(const std::string& name) const;
    // At least one printer besides the two fixed entries (the PDF printer counts).
    bool HasRealPrinter() const { return Count() > 2; }
    // Why the print system gave no printers ("" when it answered).
    const std::string& EnumerationError() const { return error_; }

private:
    struct Entry {
        std::string name;
        std::unique_ptr<TRMPrinterInfo> info;
    };
    struct Empty {};
    explicit TRMPrinterList(Empty) {}
    int resolve(int index) const;

    std::vector<Entry> entries_;
    int defaultIndex_ = 0;
    std::string error_;
};

} // namespace report
