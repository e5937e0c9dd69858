// The library's two exports. Everything else of ours stays hidden (hsdwarchive.map).

#define HSDW_BUILDING_PLUGIN
#include "library/ArchiveWindowFactory.h"
#include "plugin/EntryCall.h"
#include "plugin/TFrmBase.h"
#include "plugin/plugin_abi.h"

static_assert(plugin::TFrmBase::kPrintToFileMessage == HSDW_WM_PRINT_TO_FILE,
              "the print-to-file message the windows handle is the documented one");

extern "C" {

void GetFormOne(HsdwWindowHandle app_window, HsdwWindowHandle notify_control,
                const unsigned char* operator_code, const HsdwHostContainer* container,
                PlatformDispatch* data_service) {
    plugin::runEntryCall(plugin::FormMode::Embedded, app_window, notify_control, operator_code,
                         container, data_service, &plugin::createArchiveWindow);
}

void GetFormOne_Hsdw(HsdwWindowHandle app_window, HsdwWindowHandle notify_control,
                     const unsigned char* operator_code, const HsdwHostContainer* /*container*/,
                     PlatformDispatch* data_service) {
    plugin::runEntryCall(plugin::FormMode::Dialog, app_window, notify_control, operator_code,
                         nullptr, data_service, &plugin::createArchiveWindow);
}

} // extern "C"
