#pragma once

// Runs one rmtool command: reads the prepared report (or prepares a template against its
// data), then describes, exports or prints it. Messages go to the error stream, results
// to the output stream; the exit code says what went wrong.

#include "tools/rmtool/Command.h"

#include <cstdio>
#include <string>
#include <vector>

namespace report {
class TRMEMFPages;
class TRMExportFilter;
class TRMReport;
} // namespace report

namespace rmtool {

enum ExitCode { Done = 0, BadUsage = 1, BadInput = 2, OutputFailed = 3, UnknownPrinter = 4 };

class Runner {
public:
    Runner(std::FILE* out, std::FILE* err)
        : out_(out)
        , err_(err) {}

    int run(const Command& command);

    // Pages (from 0) a page list names; throws UsageError for a list that is not one or
    // names a page the report does not have.
    static std::vector<int> pageIndexes(const std::string& list, int pageCount);

private:
    int info(const Command& command);
    int exportPages(const Command& command);
    int print(const Command& command);
    int render(const Command& command);
    int dump(const Command& command);
    int build(const Command& command); // and check: the same without writing
    int templateInfo(const Command& command);
    // Loads a template file (.rmf, or .json text); false (message written, `code` set) when
    // it cannot.
    bool loadTemplate(const std::string& file, report::TRMReport& report, int& code);
    // Template bytes from a JSON text file; every problem goes to the error stream.
    bool templateBytes(const std::string& file, std::string& bytes, int& code);
    // Loads a prepared report file; false (message written, `code` set) when it cannot.
    bool loadPrepared(const std::string& file, report::TRMReport& report, int& code);
    int writeOutput(const Command& command, const report::TRMEMFPages& pages,
                    const std::string& title);
    int fail(int code, const std::string& message);

    std::FILE* out_;
    std::FILE* err_;
};

} // namespace rmtool
