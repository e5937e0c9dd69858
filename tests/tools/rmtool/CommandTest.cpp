// rmtool's command line and its progress bar, without running anything.

#include "tools/rmtool/Command.h"

#include "tools/rmtool/Runner.h"
#include "tools/rmtool/TerminalProgress.h"

#include <gtest/gtest.h>

using namespace rmtool;

namespace {

Command parse(std::vector<std::string> args) {
    return parseCommand(args);
}

std::string usageErrorOf(std::vector<std::string> args) {
    try {
        parseCommand(args);
    } catch (const UsageError& e) {
        return e.what();
    }
    return "(accepted)";
}

} // namespace

TEST(RmtoolCommand, CommandsAndTheirOptions) {
    EXPECT_EQ(parse({}).kind, Command::Help);
    EXPECT_EQ(parse({"--help"}).kind, Command::Help);
    EXPECT_EQ(parse({"--version"}).kind, Command::Version);
    EXPECT_EQ(parse({"-v"}).kind, Command::Version);
    Command c = parse({"export", "a.rmp", "b.XLSX", "--pages", "1,3-4", "--sheet-per-page"});
    EXPECT_EQ(c.kind, Command::Export);
    EXPECT_EQ(c.input, "a.rmp");
    EXPECT_EQ(c.output, "b.XLSX");
    EXPECT_EQ(c.pages, "1,3-4");
    EXPECT_TRUE(c.sheetPerPage);
    c = parse({"print", "a.rmp", "--printer", "办公室 打印机", "--copies", "3", "--collate"});
    EXPECT_EQ(c.printer, "办公室 打印机");
    EXPECT_EQ(c.copies, 3);
    EXPECT_TRUE(c.collate);
    c = parse({"render", "t.rmf", "--data", "Units=u.csv", "--data",
               "Orders=o.sqlite:select * from t where a = 'x:y'", "out.rmp", "--no-print-if-empty",
               "--double-pass", "--timeout", "30"});
    ASSERT_EQ(c.data.size(), 2u);
    EXPECT_EQ(c.data[0].name, "Units");
    EXPECT_EQ(c.data[0].file, "u.csv");
    EXPECT_EQ(c.data[1].file, "o.sqlite");
    EXPECT_EQ(c.data[1].query, "select * from t where a = 'x:y'");
    EXPECT_EQ(c.printIfEmpty, false);
    EXPECT_EQ(c.doublePass, true);
    EXPECT_EQ(c.timeout, 30);
    EXPECT_EQ(parse({"export", "a.rmp", "b.png", "--dpi", "300"}).dpi, 300);
    EXPECT_TRUE(parse({"export", "a.rmp", "b.csv", "--encoding", "gbk"}).gbk);
    EXPECT_FALSE(parse({"export", "a.rmp", "b.csv"}).csvFormulas);
    EXPECT_TRUE(parse({"export", "a.rmp", "b.csv", "--csv-formulas"}).csvFormulas);
}

TEST(RmtoolCommand, MistakesAreNamed) {
    EXPECT_EQ(usageErrorOf({"frob"}), "未知的命令 'frob'");
    EXPECT_EQ(usageErrorOf({"info"}), "rmtool info 缺少输入文件");
    EXPECT_EQ(usageErrorOf({"export", "a.rmp"}), "rmtool export 缺少输出文件");
    EXPECT_EQ(usageErrorOf({"info", "a.rmp", "b"}), "多余的参数 'b'");
    EXPECT_EQ(usageErrorOf({"--version", "info"}), "多余的参数 'info'");
    EXPECT_NE(usageErrorOf({"export", "a.rmp", "b.docx"}).find("输出文件须为"), std::string::npos);
    EXPECT_EQ(usageErrorOf({"export", "a.rmp", "b.pdf", "--pages"}), "--pages 后面缺少参数");
    EXPECT_EQ(usageErrorOf({"info", "a.rmp", "--printer", "x"}), "rmtool info 没有选项 --printer");
    EXPECT_NE(usageErrorOf({"print", "a.rmp", "--copies", "0"}).find("1 到 999"),
              std::string::npos);
    EXPECT_NE(usageErrorOf({"export", "a.rmp", "b.png", "--dpi", "x"}).find("'x'"),
              std::string::npos);
    EXPECT_EQ(usageErrorOf({"export", "a.rmp", "b.pdf", "--frob"}), "未知的选项 '--frob'");
    EXPECT_EQ(usageErrorOf({"render", "t.rmf", "out.pdf"}),
              "rmtool render 至少需要一个 --data 名称=文件");
    EXPECT_NE(usageErrorOf({"render", "t.rmf", "--data", "U=u.sqlite", "o.pdf"}).find("查询"),
              std::string::npos);
    EXPECT_NE(usageErrorOf({"render", "t.rmf", "--data", "U=u.txt", "o.pdf"}).find(".csv"),
              std::string::npos);
    EXPECT_NE(usageErrorOf({"render", "t.rmf", "--data", "=u.csv", "o.pdf"}).find("名称=文件"),
              std::string::npos);
    EXPECT_EQ(usageErrorOf({"build", "t.json"}), "rmtool build 缺少输出文件");
    EXPECT_EQ(usageErrorOf({"build", "t.json", "t.pdf"}),
              "rmtool build 的输出文件须为 .rmf，而不是 't.pdf'");
    EXPECT_EQ(usageErrorOf({"dump", "t.rmf", "t.txt"}),
              "rmtool dump 的输出文件须为 .json，而不是 't.txt'");
    EXPECT_EQ(usageErrorOf({"check", "t.json", "x"}), "多余的参数 'x'");
    EXPECT_EQ(parse({"dump", "t.rmf"}).output, "");
}

TEST(RmtoolCommand, PageListsAndTheProgressBar) {
    EXPECT_EQ(Runner::pageIndexes("", 3), std::vector<int>{});
    EXPECT_EQ(Runner::pageIndexes("3,1", 3), (std::vector<int>{0, 2}));
    EXPECT_EQ(Runner::pageIndexes("2-", 4), (std::vector<int>{1, 2, 3}));
    EXPECT_THROW(Runner::pageIndexes("1,x", 3), UsageError);
    EXPECT_THROW(Runner::pageIndexes("4", 3), UsageError);
    EXPECT_EQ(TerminalProgress::bar(5, 10, 10), "[#####.....] 5/10 页");
    EXPECT_EQ(TerminalProgress::bar(0, 3, 6), "[......] 0/3 页");
    EXPECT_EQ(TerminalProgress::bar(7, 0), "7 页");

    std::FILE* sink = std::tmpfile();
    {
        TerminalProgress drawn(sink, 2, true);
        drawn.setLine("正在导出页:1");
        drawn.setLine("正在导出页:2");
    }
    std::rewind(sink);
    char buffer[256] = {};
    const std::size_t n = std::fread(buffer, 1, sizeof buffer - 1, sink);
    std::fclose(sink);
    EXPECT_EQ(std::string(buffer, n).substr(std::string(buffer, n).rfind('\r') + 1),
              "[##############################] 2/2 页\n");
    std::FILE* file = std::tmpfile();
    {
        TerminalProgress quiet(file, 2); // not a terminal: nothing drawn
        quiet.setLine("x");
        EXPECT_EQ(quiet.steps(), 1);
    }
    EXPECT_EQ(std::ftell(file), 0);
    std::fclose(file);
}
