#pragma once

// How a prepared report reaches the screen and the printer: into the report's own preview
// control when it has one, else into a preview window; and the one call that wires the
// preview side into the engine (printer layer, the façade's preview, print and progress
// hooks, the INPUT prompt).

#include <string>

class QWidget;

namespace report {

class TRMReport;

// Shows the report's prepared pages (nothing when it has none): in the TRMPreview its
// `Preview` points to, or in a new TRMPreviewForm titled `caption` (empty: the report's
// previewCaption(), "预览 - <title>"), modal when ModalPreview is set and MDIPreview is not.
// Pending window events are processed after.
void ShowPreparedReport(TRMReport& report, QWidget* owner = nullptr,
                        const std::string& caption = {});

// Makes the printer layer the engine's printer; installs the engine's hooks so that
// TRMReport::ShowReport / ShowPreparedReport reach ShowPreparedReport, PrintReport reaches
// PrintPreparedReport (RMReportPrinting.h) and a preparation shows TRMProgressForm (unless
// the report has OnProgress or ShowProgress is off); answers the engine's INPUT function
// with the platform's input dialog. Windows are owned by the active window. Idempotent.
void installPreviewLayer();

} // namespace report
