#pragma once

// An export as the user sees it: the save dialog with the filter's mask, the progress
// window with its cancel button while the pages are written, and an error box when the
// export fails.

#include "platform/WindowHandle.h"
#include "report/engine/model/RMExportFilter.h"

#include <string>
#include <vector>

namespace report {

// The file the user chose in a save dialog offering `filter` ("" when cancelled); the
// filter's extension is added when the name has none of it.
std::string chooseExportFile(platform::WindowHandle owner, const TRMFileFormat& filter,
                             const std::string& initialDir);

// `name` with the first extension of `mask` ("*.xlsx") unless it already ends with it.
std::string withMaskExtension(const std::string& name, const std::string& mask);

// Runs the export with the progress window; an error box tells why it failed.
TRMExportResult exportWithProgress(platform::WindowHandle owner, TRMFileFormat& filter,
                                   const TRMEMFPages& pages, const std::string& fileName,
                                   const std::vector<int>& pageIndexes, const std::string& title);

// The save dialog, then exportWithProgress. True when the file was written.
bool exportWithSaveDialog(platform::WindowHandle owner, TRMFileFormat& filter,
                          const TRMEMFPages& pages, const std::vector<int>& pageIndexes,
                          const std::string& title, const std::string& initialDir);

} // namespace report
