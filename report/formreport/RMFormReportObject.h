#pragma once

// Add-ins turn one window control into report views, and the registry that picks the
// add-in for a control by its Qt class.
//
// Lookup starts at the control's own class and climbs its QMetaObject inheritance chain;
// at each class the latest registration for exactly that class wins, and an entry may
// decline a control of its class (its Accepts test). So a more specific registration wins
// over a more general one whatever their order (a QTableWidget is a string grid although
// QTableView, its base, is registered after it), and a later registration of the same
// class replaces an earlier one. A control whose chain matches nothing is not printed
// itself; the walk descends into its children instead.

#include <QMetaObject>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QWidget;

namespace report {

class TRMFormReport;
class TRMPage;
class TRMView;

class TRMFormReportObject {
public:
    virtual ~TRMFormReportObject() = default;
    // Creates the control's views on `page` (the first template page) and in the report's
    // object lists; `view` may be set to the view that stands for the control.
    virtual void PlaceControl(TRMFormReport& report, TRMPage& page, TRMView*& view,
                              QWidget& control) = 0;

    // False keeps the instance until the next build: the engine calls it back while it
    // prepares the report (row data sets of grid add-ins).
    bool FreeAfterUse = true;
};

// An add-in class: its name and how to make an instance.
struct TRMFormReportObjectClass {
    std::string Name;
    std::function<std::unique_ptr<TRMFormReportObject>()> Create;

    explicit operator bool() const { return static_cast<bool>(Create); }
    template <class T>
    static TRMFormReportObjectClass of() {
        return {T::kClassName, [] { return std::make_unique<T>(); }};
    }
};

// Whether a control of the registered class is one the entry stands for.
using TRMAddInAccepts = std::function<bool(const QWidget& control)>;

struct TRMAddInFormReportObjectInfo {
    const QMetaObject* ControlClass = nullptr;
    TRMFormReportObjectClass ObjectClass;
    TRMAddInAccepts Accepts; // empty: every control of the class
};

class TRMFormReportAddIns {
public:
    void Register(const QMetaObject& controlClass, TRMFormReportObjectClass objectClass,
                  TRMAddInAccepts accepts = {});
    // The entry for `control`, or nullptr.
    const TRMAddInFormReportObjectInfo* Find(const QWidget& control) const;
    const std::vector<TRMAddInFormReportObjectInfo>& Entries() const { return entries_; }

private:
    std::vector<TRMAddInFormReportObjectInfo> entries_;
};

// The process-wide registry; the standard add-ins are registered on first use, in the
// order of RMFormReportAddIns.cpp.
TRMFormReportAddIns& FormReportAddIns();

// Appends an entry to the process-wide registry.
void RegisterFormReportAddIn(const QMetaObject& controlClass, TRMFormReportObjectClass objectClass,
                             TRMAddInAccepts accepts = {});

} // namespace report
