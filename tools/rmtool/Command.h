#pragma once

// The command line of rmtool:
//   rmtool info FILE.rmp|TEMPLATE.rmf|TEMPLATE.json
//   rmtool export FILE.rmp OUT.pdf|.xlsx|.csv|.png [--pages LIST] [filter options]
//   rmtool print FILE.rmp [--printer NAME] [--pages LIST] [--copies N] [--collate]
//   rmtool render TEMPLATE.rmf --data NAME=FILE.csv|NAME=FILE.sqlite:QUERY ... OUT
//                 [--pages LIST] [--print-if-empty|--no-print-if-empty]
//                 [--double-pass|--single-pass] [--timeout SECONDS] [filter options]
//   rmtool dump TEMPLATE.rmf [OUT.json]    (the template as JSON text; stdout without OUT)
//   rmtool build IN.json OUT.rmf           (a template file from JSON text)
//   rmtool check IN.json                   (validates JSON text)
//   rmtool --help | --version
// Filter options: --sheet-per-page (xlsx), --encoding utf-8|gbk (csv), --csv-formulas (csv:
// texts that start like a formula are written as they stand), --dpi N (png).

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace rmtool {

// A command line that cannot be run; the text says why.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct DataBinding {
    std::string name;  // dataset name the template's bands use
    std::string file;  // CSV or SQLite file
    std::string query; // SQLite: the query; empty for CSV
};

struct Command {
    enum Kind { Help, Version, Info, Export, Print, Render, Dump, Build, Check };
    Kind kind = Help;
    std::string input;
    std::string output;
    std::string pages; // page list ("" = every page)
    std::string printer;
    int copies = 1;
    bool collate = false;
    std::vector<DataBinding> data;
    std::optional<bool> printIfEmpty;
    std::optional<bool> doublePass;
    int timeout = 0; // seconds the preparation may take (0: no limit)
    bool sheetPerPage = false;
    bool gbk = false;
    bool csvFormulas = false; // no apostrophe before formula-like texts
    int dpi = 150;
};

// Throws UsageError.
Command parseCommand(const std::vector<std::string>& arguments);
// "NAME=FILE.csv" or "NAME=FILE.sqlite:QUERY"; throws UsageError.
DataBinding parseDataBinding(const std::string& text);
// The usage text.
std::string usage();

} // namespace rmtool
