#pragma once

// The report: template pages, prepared pages, data dictionary, variables, and the
// evaluation of bracketed expressions with the report as context.

#include "platform/Variant.h"
#include "report/engine/model/RMDataDictionary.h"
#include "report/engine/model/RMDatasetList.h"
#include "report/engine/model/RMEMFPages.h"
#include "report/engine/model/RMPage.h"
#include "report/engine/model/RMPreparationCalls.h"
#include "report/engine/model/RMPrepareState.h"
#include "report/engine/model/RMPrintOptions.h"
#include "report/engine/model/RMReportOutput.h"
#include "report/engine/model/RMVariables.h"
#include "report/engine/model/RMViewFactory.h"

#include <QObject>
#include <QPointer>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace report {

class TRMBand;
class TRMDataset;
class TRMLayoutCache;
class TRMParser;
class TRMExpansionCache;
class TRMPageSetting;

// Five information strings; the first is the title shown in captions.
struct TRMReportInfo {
    std::array<std::string, 5> Strings;
    const std::string& Title() const { return Strings[0]; }
};

// Where per-report settings are kept.
struct TRMSaveReportOptions {
    bool AutoLoadSaveSetting = false;
    bool UseRegistry = true;
    std::string IniFileName;
    std::string RegistryPath = "Quarvelinthos\\ReportSettings\\";
};

// The report façade: template pages (Pages), prepared document (EMFPages), preparation
// state (State) and preview/print options (its TRMPrintOptions base), with the names and
// events callers know.
class TRMReport : public TRMPrintOptions {
public:
    TRMReport();
    virtual ~TRMReport();
    TRMReport(const TRMReport&) = delete;
    TRMReport& operator=(const TRMReport&) = delete;

    // --- published properties
    std::string Name = "RMReport1";
    TRMSaveReportOptions SaveReportOptions;
    std::string DefaultDictionaryFile;
    std::string PreviewInitialDir;
    TRMDataset* Dataset = nullptr;
    bool ModifyPrepared = false;
    // The report's own preview (a preview control placed by its host); without one
    // ShowReport shows the pages in the preview window installed at start-up.
    TRMReportOutput* Preview = nullptr;
    bool PrintIfEmpty = true;
    int ReportType = rtSimple;
    bool StoreInDFM = false;

    // --- events
    std::function<void(const std::string& ParName, platform::Variant& ParValue)> OnGetValue;
    std::function<void(const std::string& Name, const std::vector<std::string>& p,
                       platform::Variant& Val)>
        OnUserFunction;
    std::function<void(int pageNo)> OnBeginPage;
    std::function<bool(const std::string& section)> OnLoadReportSetting; // replaces the loader
    std::function<bool(const std::string& section)> OnSaveReportSetting;
    // Aggregates ("SUM", "COUNT", …) over data bands, provided by preparation.
    std::function<platform::Variant(const std::string& name, const std::vector<std::string>& args)>
        OnAggregate;
    // Width the current memo's text needs (CALCWIDTH), provided by the memo renderer.
    std::function<int(TRMView&)> OnCalcWidth;
    // Answers the INPUT function; without it the process-wide input hook (RMInputQuery.h).
    std::function<std::string(const std::string& prompt, const std::string& defaultText)> OnInput;
    // Page-setup hook (set by the form report): the preview calls it with the setting the
    // user confirmed before it prepares the report again. The setting's type belongs to the
    // printer layer (report/print/RMPageSetting.h).
    std::function<void(const TRMPageSetting& setting)> OnPageSetup;
    // Before a view is written into a prepared page: its evaluated lines and the view.
    std::function<void(TRMStrings& Memo, TRMView& View)> OnBeforePrint;
    std::function<void(TRMView& View)> OnAfterPrint;
    // Preparation (see RMPreparation.h for when each fires).
    std::function<void()> OnBeginDoc;
    std::function<void()> OnEndDoc;
    std::function<void(int pg)> OnEndPage;
    std::function<void(TRMBand& Band)> OnBeginBand;
    std::function<void(TRMBand& Band)> OnEndBand;
    std::function<void(TRMBand& Band, bool& PrintBand)> OnBeforePrintBand;
    std::function<void(TRMBand& Band)> OnBeginColumn;
    std::function<void(int ColNo, int& Width)> OnPrintColumn;
    // Replaces the automatic data loop of a page.
    std::function<void(TRMPage& Page)> OnManualBuild;
    // Progress (the page number) instead of the progress window.
    std::function<void(int n)> OnProgress;
    // Printing the prepared pages (on a printer, the PDF printer or from the preview):
    // OnPrintReport once before the first job; OnEndPrintPage after each printed page with
    // its index from 0, the job ended before it so that the next page starts a new one.
    std::function<void()> OnPrintReport;
    std::function<void(int& pg)> OnEndPrintPage;

    // --- fields
    TRMVariables Variables; // run-time list, emptied when preparation starts
    TRMReportInfo ReportInfo;
    TRMPages Pages;
    TRMEMFPages EMFPages;
    TRMDataDictionary Dictionary;
    // The adapters band data sources and field references name ("RMDialogForm.Name");
    // attached to Dictionary, so [Owner.DataSet."Field"] reads the current record.
    TRMDatasetList Datasets;
    // The window whose components expressions and scripts may name after the report's own
    // objects: "Control.Property" or "Window.Control.Property", the control found among
    // the window's descendants by object name and the property among its Qt properties,
    // both without regard to case (the form report sets the window that owns it).
    QPointer<QObject> OwnerForm;
    std::string PrinterName = "Default Printer";
    bool DoublePass = false;
    bool SavedDoublePass = false;
    bool FinalPass = false;
    bool Terminated = false;
    // Preparation fails with a message once it would start a page beyond this many (0: no
    // limit), so that a template whose bands never run out cannot prepare for ever.
    int MaxPages = 0;
    // Likewise once it has run this many seconds (0: no limit), so that a template that
    // loops without filling pages (records that print nothing, a script's endless loop)
    // ends by itself where no one is there to press Cancel.
    int MaxSeconds = 0;
    bool Preparing = false;
    std::string FileName;
    TRMClassNotFoundLog ClassNotFound;
    std::string ErrorMessage; // report-wide message of the last failure
    int ObjectCounter = 0;    // IDs of views created while designing

    // --- expression context
    TRMPreparationCalls* Preparation = nullptr; // while preparing
    TRMLayoutCache* LayoutCache = nullptr;      // memo layouts of the preparation in progress
    TRMView* CurrentView = nullptr;             // view being printed
    // Object whose script runs: names without an object ("Left", "Visible") and "Self.…"
    // read its properties.
    TRMObject* ScriptObject = nullptr;
    platform::Variant CurrentValue; // "VALUE" in highlight conditions
    TRMPrepareState State;

    // Replaces each bracketed group by the text of its value.
    std::string ExpandVariables(std::string_view text);
    // Formatted text of one bracket's content (inline format after " #").
    std::string EvaluateBracket(std::string_view content);
    // The expression of a bracket's content; an inline format after " #" replaces `code`
    // and `formatText`.
    static std::string splitInlineFormat(std::string_view content, std::int32_t& code,
                                         std::string& formatText);
    // Value of a name by the resolution rules.
    platform::Variant ResolveName(std::string_view name);
    // Evaluates an expression with this report as context.
    platform::Variant Evaluate(std::string_view expression);
    // Function dispatch (the parser's function hook).
    platform::Variant CallFunction(const std::string& name, const std::vector<std::string>& args);
    // The same without OnUserFunction: false when no function of the report, of a library
    // or of the preparation has the (upper-case) name.
    bool dispatchFunction(const std::string& name, const std::vector<std::string>& args,
                          platform::Variant& result);
    // Names resolved before the report's run-time variables, which a script therefore
    // cannot set: built-in names, the data dictionary's and the global variables.
    bool isReservedName(std::string_view name) const;
    // The report as an object of scripts and expressions: its Name, or "Report".
    bool isReportName(std::string_view name) const;
    // Its properties for scripts: "Title" and "PrintIfEmpty"; "Name", "FileName",
    // "DoublePass" and "FinalPass" to read.
    bool SetPropValue(std::string_view name, const platform::Variant& value);
    bool GetPropValue(std::string_view name, platform::Variant& value) const;
    // Object by name: a view on any page, or a page.
    TRMObject* FindObject(std::string_view name) const;
    bool getObjectProperty(std::string_view objectName, std::string_view property,
                           platform::Variant& value) const;
    // A property of a component of OwnerForm; false when there is no such component or
    // property.
    bool getOwnerProperty(std::string_view objectName, std::string_view property,
                          platform::Variant& value) const;

    // --- preparation and output (preparation/RMReportRun.cpp)
    // Builds the prepared pages from the template (which is left exactly as it was). True
    // when pages were built, nothing failed and nobody cancelled; an evaluation error is
    // shown in a box titled "错误" and leaves no pages.
    virtual bool PrepareReport();
    // PrepareReport, then ShowPreparedReport; an error on the way is shown as
    // "异常错误,原因:" and its message.
    void ShowReport();
    // Hands the prepared pages (when there are any) to Preview, else to the preview window
    // installed at start-up (reportWindows().PreviewWindow).
    void ShowPreparedReport();
    // Prepares with the Preview link detached, then hands the pages (when there are any) to
    // `output`: a printer with its options, a file.
    void PrintReport(TRMReportOutput& output);
    // Caption of the preview window: "预览 - " and the title, file name or "Untitled".
    std::string previewCaption() const;

    // --- template files
    // Writes the template (format 43.0.11).
    void SaveToStream(RMStream& stream) const;
    // Reads a template; on failure shows the message, records ErrorMessage, clears the
    // pages and returns false.
    bool LoadFromStream(RMStream& stream);
    // Saving a file fails, leaving an older file of that name as it was and the reason in
    // ErrorMessage, when the report cannot be stored whole: more than kMaxFilePages pages
    // (a view's page index is one byte) or a text longer than its length field holds.
    // Characters GBK cannot hold are saved as "?"; SaveWarnings names their views.
    static constexpr int kMaxFilePages = 255;
    bool SaveToFile(const std::string& fileName);
    bool LoadFromFile(const std::string& fileName);
    // Template inside stored form data: int32 43, then (StoreInDFM) int32 length and bytes.
    std::string SaveToFormData() const;
    bool LoadFromFormData(const std::string& data);
    // Prepared report files (".rmp"); saving fails and warns as SaveToFile does.
    bool SavePreparedReport(const std::string& fileName);
    // Views of the last successful save whose texts had characters GBK cannot hold.
    std::vector<std::string> SaveWarnings;
    bool LoadPreparedReport(const std::string& fileName);

    // Empties pages, dictionary and information; DoublePass off.
    void Clear();
    // Selects the printer by name; false (previous printer kept) when it fails.
    bool ChangePrinter(const std::string& name);

    // --- per-report settings
    std::string settingsSection(const std::string& name = {}) const;
    void LoadReportSetting(const std::string& name = {});
    void SaveReportSetting(const std::string& name = {});

private:
    // Evaluates `expression` on behalf of `name`; a name already being evaluated stops the
    // recursion (its own text inside a dictionary variable, else empty).
    platform::Variant evaluateGuarded(const std::string& name, const std::string& expression,
                                      bool dictionaryVariable);
    void loadTemplate(RMStream& stream);
    // ExpandVariables step by step on the text itself (when a value escapes a bracket).
    std::string expandSlowly(std::string_view text);
    // A bracket's formatted value.
    std::string evaluateExpression(const std::string& expression, std::int32_t code,
                                   std::string_view formatText);
    // ResolveName without copying a name that is a string already.
    platform::Variant resolveName(const std::string& name);
    // The display formats of the template's named memo views (EMFPages.TemplateFormats).
    TRMViewFormats templateFormats() const;
    // The functions the report answers itself (FORMATDATETIME … SHOWMESSAGE); none for
    // other names.
    std::optional<platform::Variant> ownFunction(const std::string& name,
                                                 const std::vector<std::string>& args);

    std::unique_ptr<TRMParser> parser_; // expressions/RMParser.h
    // Memo lines split into texts and brackets once (expressions/RMReport.cpp).
    std::unique_ptr<TRMExpansionCache> expansions_;
    std::vector<std::string> evaluating_; // names being evaluated (recursion stop)
    bool evaluatingDictionary_ = false;
};

// Prepares a list of reports into one set of pages.
class TRMCompositeReport : public TRMReport {
public:
    enum TRMCompositeMode { rmReportPerReport, rmPagePerPage };
    // Prepares the member reports in turn into this report's pages; in page-per-page mode
    // each member continues on the last page of the one before.
    bool PrepareReport() override;
    int CompositeMode = rmReportPerReport;
    bool ShowPreparedReports = false;
    std::vector<TRMReport*> Reports; // not owned
};

// Shows an engine error box ("错误") owned by no window.
void showEngineError(const std::string& text);

} // namespace report
