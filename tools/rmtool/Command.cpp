#include "tools/rmtool/Command.h"

#include <algorithm>
#include <charconv>

namespace rmtool {

namespace {

std::string lowerSuffix(const std::string& file) {
    const std::size_t dot = file.rfind('.');
    if (dot == std::string::npos || file.find('/', dot) != std::string::npos)
        return {};
    std::string suffix = file.substr(dot + 1);
    std::transform(suffix.begin(), suffix.end(), suffix.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return suffix;
}

int number(const std::string& option, const std::string& text, int low, int high) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value < low ||
        value > high)
        throw UsageError(option + " 需要 " + std::to_string(low) + " 到 " + std::to_string(high) +
                         " 之间的整数，而不是 '" + text + "'");
    return value;
}

const char* commandName(Command::Kind kind) {
    switch (kind) {
    case Command::Info:
        return "info";
    case Command::Export:
        return "export";
    case Command::Print:
        return "print";
    case Command::Render:
        return "render";
    case Command::Dump:
        return "dump";
    case Command::Build:
        return "build";
    case Command::Check:
        return "check";
    default:
        return "";
    }
}

} // namespace

std::string usage() {
    return "用法:\n"
           "  rmtool info 文件.rmp|模板.rmf|模板.json\n"
           "  rmtool export 文件.rmp 输出.pdf|.xlsx|.csv|.png [--pages 页码]\n"
           "  rmtool print 文件.rmp [--printer 打印机] [--pages 页码] [--copies 份数] "
           "[--collate]\n"
           "  rmtool render 模板.rmf|模板.json --data 名称=文件.csv|名称=文件.sqlite:查询 ... "
           "输出.pdf|.xlsx|.csv|.png|.rmp\n"
           "                [--pages 页码] [--print-if-empty|--no-print-if-empty] "
           "[--double-pass|--single-pass]\n"
           "                [--timeout 秒数]\n"
           "  rmtool dump 模板.rmf [输出.json]\n"
           "  rmtool build 模板.json 输出.rmf\n"
           "  rmtool check 模板.json\n"
           "  rmtool --help | --version\n"
           "导出选项: --sheet-per-page (xlsx 每页一个工作表), --encoding utf-8|gbk (csv), "
           "--csv-formulas (csv 以 = + - @ 开头的文字照原样写出，不加 ' ), --dpi 分辨率 (png)\n"
           "页码例如 1,3,5-12; 退出码: 0 完成, 1 命令行有误, 2 输入文件缺失或损坏, "
           "3 输出或打印失败, 4 没有这台打印机\n";
}

DataBinding parseDataBinding(const std::string& text) {
    const std::size_t equals = text.find('=');
    if (equals == 0 || equals == std::string::npos || equals + 1 == text.size())
        throw UsageError("--data 需要 名称=文件.csv 或 名称=文件.sqlite:查询，而不是 '" + text +
                         "'");
    DataBinding binding{text.substr(0, equals), text.substr(equals + 1), {}};
    // A SQLite file: the first ".sqlite:", ".sqlite3:" or ".db:" ends the file name.
    for (const char* marker : {".sqlite:", ".sqlite3:", ".db:"}) {
        const std::size_t at = binding.file.find(marker);
        if (at == std::string::npos)
            continue;
        const std::size_t colon = at + std::char_traits<char>::length(marker) - 1;
        binding.query = binding.file.substr(colon + 1);
        binding.file.resize(colon);
        if (binding.query.find_first_not_of(" \t") == std::string::npos)
            throw UsageError("--data " + binding.name + ": SQLite 文件后面需要查询语句");
        return binding;
    }
    const std::string suffix = lowerSuffix(binding.file);
    if (suffix == "sqlite" || suffix == "sqlite3" || suffix == "db")
        throw UsageError("--data " + binding.name + ": SQLite 文件后面需要 ':查询语句'");
    if (suffix != "csv")
        throw UsageError("--data " + binding.name + ": 数据文件须为 .csv 或 .sqlite，而不是 '" +
                         binding.file + "'");
    return binding;
}

Command parseCommand(const std::vector<std::string>& args) {
    Command command;
    if (args.empty() || args[0] == "help" || args[0] == "--help" || args[0] == "-h")
        return command;
    if (args[0] == "--version" || args[0] == "-v") {
        if (args.size() > 1)
            throw UsageError("多余的参数 '" + args[1] + "'");
        command.kind = Command::Version;
        return command;
    }
    const std::string& verb = args[0];
    if (verb == "info")
        command.kind = Command::Info;
    else if (verb == "export")
        command.kind = Command::Export;
    else if (verb == "print")
        command.kind = Command::Print;
    else if (verb == "render")
        command.kind = Command::Render;
    else if (verb == "dump")
        command.kind = Command::Dump;
    else if (verb == "build")
        command.kind = Command::Build;
    else if (verb == "check")
        command.kind = Command::Check;
    else
        throw UsageError("未知的命令 '" + verb + "'");

    std::vector<std::string> positional;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size())
                throw UsageError(a + " 后面缺少参数");
            return args[++i];
        };
        auto only = [&](std::initializer_list<Command::Kind> kinds) {
            if (std::find(kinds.begin(), kinds.end(), command.kind) == kinds.end())
                throw UsageError(std::string("rmtool ") + commandName(command.kind) + " 没有选项 " +
                                 a);
        };
        if (a == "--pages") {
            only({Command::Export, Command::Print, Command::Render});
            command.pages = value();
        } else if (a == "--printer") {
            only({Command::Print});
            command.printer = value();
        } else if (a == "--copies") {
            only({Command::Print});
            command.copies = number(a, value(), 1, 999);
        } else if (a == "--collate") {
            only({Command::Print});
            command.collate = true;
        } else if (a == "--data") {
            only({Command::Render});
            command.data.push_back(parseDataBinding(value()));
        } else if (a == "--print-if-empty" || a == "--no-print-if-empty") {
            only({Command::Render});
            command.printIfEmpty = a == "--print-if-empty";
        } else if (a == "--double-pass" || a == "--single-pass") {
            only({Command::Render});
            command.doublePass = a == "--double-pass";
        } else if (a == "--timeout") {
            only({Command::Render});
            command.timeout = number(a, value(), 0, 86400);
        } else if (a == "--sheet-per-page") {
            only({Command::Export, Command::Render});
            command.sheetPerPage = true;
        } else if (a == "--encoding") {
            only({Command::Export, Command::Render});
            const std::string& e = value();
            if (e != "utf-8" && e != "UTF-8" && e != "gbk" && e != "GBK")
                throw UsageError("--encoding 只能是 utf-8 或 gbk，而不是 '" + e + "'");
            command.gbk = e == "gbk" || e == "GBK";
        } else if (a == "--csv-formulas") {
            only({Command::Export, Command::Render});
            command.csvFormulas = true;
        } else if (a == "--dpi") {
            only({Command::Export, Command::Render});
            command.dpi = number(a, value(), 24, 1200);
        } else if (a.size() > 1 && a[0] == '-') {
            throw UsageError("未知的选项 '" + a + "'");
        } else {
            positional.push_back(a);
        }
    }

    std::size_t wanted = command.kind == Command::Info || command.kind == Command::Print ||
                                 command.kind == Command::Check
                             ? 1
                             : 2;
    // dump writes to standard output without an output file.
    if (command.kind == Command::Dump && positional.size() == 1)
        wanted = 1;
    if (positional.size() < wanted)
        throw UsageError(std::string("rmtool ") + commandName(command.kind) + " 缺少" +
                         (positional.empty() ? "输入文件" : "输出文件"));
    if (positional.size() > wanted)
        throw UsageError("多余的参数 '" + positional[wanted] + "'");
    command.input = positional[0];
    if (wanted == 2 && (command.kind == Command::Dump || command.kind == Command::Build)) {
        command.output = positional[1];
        const char* needed = command.kind == Command::Dump ? "json" : "rmf";
        if (lowerSuffix(command.output) != needed)
            throw UsageError("rmtool " + std::string(commandName(command.kind)) +
                             " 的输出文件须为 ." + needed + "，而不是 '" + command.output + "'");
    } else if (wanted == 2) {
        command.output = positional[1];
        const std::string suffix = lowerSuffix(command.output);
        const bool rmp = suffix == "rmp" && command.kind == Command::Render;
        if (!rmp && suffix != "pdf" && suffix != "xlsx" && suffix != "csv" && suffix != "png")
            throw UsageError("不知道怎样写 '" + command.output +
                             "'：输出文件须为 .pdf、.xlsx、.csv 或 .png" +
                             (command.kind == Command::Render ? "、.rmp" : ""));
    }
    if (command.kind == Command::Render && command.data.empty())
        throw UsageError("rmtool render 至少需要一个 --data 名称=文件");
    return command;
}

} // namespace rmtool
