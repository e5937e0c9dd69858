#pragma once

// The print system as the printer layer needs it, over libcups: destinations, their media,
// trays and defaults, their state, and PDF job submission. Every call connects with a
// time-out, so an absent or stuck server gives an error instead of a hang.

#include "report/print/RMPrinterInfo.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

class QIODevice;

namespace report::cups {

struct TRMCupsDestination {
    std::string name;
    std::string info;      // printer-info
    std::string location;  // printer-location
    std::string makeModel; // printer-make-and-model
    bool isDefault = false;
};

struct TRMCupsStatus {
    int state = 3;                    // 3 idle, 4 processing, 5 stopped
    std::vector<std::string> reasons; // printer-state-reasons without "none"
    int queuedJobs = 0;
    bool acceptingJobs = true;
};

using TRMJobOptions = std::vector<std::pair<std::string, std::string>>;

// Seconds a connection or a silent server is waited for.
inline constexpr int rmConnectTimeoutMs = 3000;
inline constexpr double rmIoTimeoutSeconds = 15.0;

// Destinations of the server libcups is pointed at (CUPS_SERVER, client.conf). No server
// gives an empty list and, in *error, why.
std::vector<TRMCupsDestination> listDestinations(std::string* error = nullptr);

bool readCapabilities(const std::string& destination, TRMDeviceCapabilities& caps,
                      std::string* error = nullptr);

bool readStatus(const std::string& destination, TRMCupsStatus& status,
                std::string* error = nullptr);

// Submits one PDF document as a job; `pdf` is read from its current position to the end.
// `beforeData` runs after the job was created, before any data is sent (tests stop the
// server there). Returns the job id, 0 on failure with the reason in *error.
int submitPdf(const std::string& destination, const std::string& title, QIODevice& pdf,
              const TRMJobOptions& options, std::string* error,
              const std::function<void()>& beforeData = {});

// Media name the server knows for a size (hundredths of a millimetre), for the job's
// "media" option; a self-describing custom name when it knows none.
std::string mediaNameForSize(int width, int height);

} // namespace report::cups
