#pragma once

// How a prepared report reaches the screen: into the report's own preview control when
// it has one, else into a preview window; and the one call that wires the preview side
// into the engine (printer layer, the INPUT prompt).

class QWidget;

namespace report {

class TRMReport;

// Shows the report's prepared pages (nothing when it has none): in the TRMPreview its
// `Preview` points to, or in a new TRMPreviewForm titled "预览 - <title>", modal when
// ModalPreview is set and MDIPreview is not. Pending window events are processed after.
void ShowPreparedReport(TRMReport& report, QWidget* owner = nullptr);

// Makes the printer layer the engine's printer and answers the engine's INPUT function
// with the platform's input dialog. Idempotent.
void installPreviewLayer();

} // namespace report
