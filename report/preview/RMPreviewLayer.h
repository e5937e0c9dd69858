#pragma once

// The one call that wires the preview side into the engine at start-up: the printer
// layer, the windows a report opens by itself (its default preview window and the progress
// window of a preparation) and the INPUT prompt.

namespace report {

// Makes the printer layer the engine's printer; installs the report windows so that
// TRMReport::ShowReport / ShowPreparedReport of a report without a Preview open a
// TRMPreviewForm (TRMPreviewWindowOutput) and a preparation shows TRMProgressForm (unless
// the report has OnProgress or ShowProgress is off); answers the engine's INPUT function
// with the platform's input dialog. Windows are owned by the active window. Idempotent.
void installPreviewLayer();

} // namespace report
