// The script language of views, bands and pages, run by preparation: blocks, conditions and
// loops that change what prints, names and methods, what does not parse, and loops that
// only Cancel ends.
#include "TemplateBuilder.h"
#include "platform/MessageBox.h"
#include "report/engine/expressions/RMScriptLexer.h"
#include "report/engine/expressions/RMScriptParser.h"
#include "report/engine/model/RMGraphicViews.h"
#include "report/engine/model/RMReportOutput.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace report;
using namespace testreport;
using platform::Variant;

namespace {

// A master band over the rows 1 … n with the cells "Cell" ([n]), "Note" and "Stars".
struct Rows {
    explicit Rows(int count)
        : data("Rows" + std::to_string(++serial), {"n"}, {})
        , t(report) {
        data.attachTo(report);
        for (int i = 1; i <= count; ++i)
            data.Rows.push_back({Variant(i)});
        master = &t.band(rmbtMasterData, 20, "MasterData1");
        master->DisplayFormatText = "RMDialogForm." + data.Name;
        t.memo(*master, 0, 0, 60, 20, {data.ref("n")}, "Cell");
        note = &t.memo(*master, 60, 0, 60, 20, {"-"}, "Note");
        t.memo(*master, 120, 0, 100, 20, {"-"}, "Stars");
    }
    std::vector<std::string> column(const std::string& name, int page = 0) const {
        std::vector<std::string> out;
        for (const Placed& p : named(report, page, name))
            out.push_back(p.text);
        return out;
    }
    static inline int serial = 0;
    RowsDataset data;
    TRMReport report;
    TemplateBuilder t;
    TRMBandView* master;
    TRMMemoView* note;
};

using Texts = std::vector<std::string>;

} // namespace

TEST(ScriptLanguage, MultiLineIfElseAndWhileChangeWhatPrints) {
    Rows r(4);
    const std::string n = r.data.ref("n");
    r.master->OnBeforePrint = {
        "if " + n + " > 2 then",
        "begin",
        "  Note.Memo := '大';",
        "  Note.FillColor := $FF  { red }",
        "end",
        "else",
        "  Note.Memo := '小';",
        "(* as many stars as the row's number *)",
        "s := ''; i := 0",
        "while i < [Line#] do",
        "begin",
        "  s := s + '*'",
        "  i := i + 1 // one more",
        "END;",
        "Stars.Memo := s",
    };
    ASSERT_TRUE(r.report.PrepareReport()) << r.report.ErrorMessage;
    EXPECT_EQ(r.column("Note"), (Texts{"小", "小", "大", "大"}));
    EXPECT_EQ(r.column("Stars"), (Texts{"*", "**", "***", "****"}));
    EXPECT_EQ(r.report.Variables.find("i")->toInt(), 4) << "variables need no declaration";
}

TEST(ScriptLanguage, ForRepeatBreakContinueAndExit) {
    Rows r(1);
    r.master->OnBeforePrint = {
        "s := ''",
        "for i := 3 downto 1 do s := s + STR(i);",
        "for i := 1 to 10 do begin",
        "  if i mod 2 = 0 then continue;",
        "  if i > 7 then break;",
        "  s := s + STR(i)",
        "end;",
        "for i := 5 to 4 do s := s + 'never';",
        "k := 0; repeat k := k + 1 until k >= 3;",
        "Note.Memo := s + '/' + STR(k);",
        "exit;",
        "Note.Memo := 'not reached'",
    };
    ASSERT_TRUE(r.report.PrepareReport()) << r.report.ErrorMessage;
    EXPECT_EQ(r.column("Note"), (Texts{"3211357/3"}));
}

TEST(ScriptLanguage, PropertiesMethodsAndConstants) {
    Rows r(6);
    // Own properties read and written by bare name or Self; another view's property with a
    // dot in its name; methods with and without parentheses; the band view's data source.
    r.note->OnBeforePrint = {"Left := Left + 10; Self.Width := 33",
                             "Memo := STR(pmNotXor) + STR(btICO) + STR(rmdcUser)"};
    r.master->OnBeforePrint = {"Cell.Font.Size := 14", "if [Line#] = 2 then MasterData1.NEXT",
                               "if [Line#] = 3 then Stars.HIDE else Stars.Show()"};
    auto& footer = r.t.band(rmbtMasterFooter, 20, "Footer");
    footer.OnBeforePrint = {"Report.Title := '清单'"};
    r.t.memo(footer, 0, 0, 200, 20, {"[Cell.FontSize] [Report.Title]"}, "Summary");
    ASSERT_TRUE(r.report.PrepareReport()) << r.report.ErrorMessage;
    EXPECT_EQ(r.column("Cell"), (Texts{"1", "3", "4", "5", "6"})) << "NEXT skipped row 2";
    EXPECT_EQ(r.column("Stars").size(), 4u) << "hidden on the third printed row";
    const Placed note = named(r.report, 0, "Note").front();
    EXPECT_EQ(note.left, r.t.leftMargin() + 70);
    EXPECT_EQ(note.width, 33);
    EXPECT_EQ(note.text, "1535");
    EXPECT_EQ(r.column("Summary"), (Texts{"14 清单"}));
    EXPECT_TRUE(r.report.ReportInfo.Title().empty()) << "the template is left as it was";

    // LOADFROMFILE reads a text into a memo and a picture into a picture view; a device is
    // not read.
    QTemporaryDir dir;
    const QString text = dir.filePath("lines.txt"), bitmap = dir.filePath("dot.bmp");
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("第一行\n第二行");
    file.close();
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(bitmap, "BMP"));
    Rows loaded(1);
    loaded.note->OnBeforePrint = {"LoadFromFile('" + text.toStdString() + "')"};
    auto picture = std::make_unique<TRMPictureView>();
    picture->Name = "Pic";
    picture->SetBounds(loaded.t.leftMargin() + 300, loaded.master->Top, 20, 20);
    picture->OnBeforePrint = {"Self.LoadFromFile('" + bitmap.toStdString() + "')"};
    loaded.t.page().addView(std::move(picture));
    ASSERT_TRUE(loaded.report.PrepareReport()) << loaded.report.ErrorMessage;
    EXPECT_EQ(loaded.column("Note"), (Texts{"第一行|第二行"}));
    const auto views = loaded.report.EMFPages.LoadPageViews(0);
    const auto* shown = dynamic_cast<const TRMPictureView*>(views->FindObject("Pic"));
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->Picture.kind, TRMPicture::Bitmap);
    EXPECT_EQ(QImage::fromData(QByteArray::fromStdString(shown->Picture.data)).size(), QSize(4, 3));

    platform::ScriptedMessageBoxes boxes;
    loaded.note->OnBeforePrint = {"LoadFromFile('/dev/zero')"};
    EXPECT_FALSE(loaded.report.PrepareReport());
    EXPECT_NE(loaded.report.ErrorMessage.find("无法打开文件 \"/dev/zero\""), std::string::npos);
}

TEST(ScriptLanguage, WhatNoOneAnswersIsAnErrorNamingTheLine) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"x := 1", "Cell.Lft := 2"}, "OnBeforePrint 第 2 行: 对象 \"Cell\" 没有属性 \"Lft\""},
        {{"Nowhere.Left := 2"}, "OnBeforePrint 第 1 行: 找不到对象 \"Nowhere\""},
        {{"Cell.Spin"}, "OnBeforePrint 第 1 行: 对象 \"Cell\" 没有方法 \"Spin\""},
        {{"", "Frobnicate(1)"}, "OnBeforePrint 第 2 行: 未知的过程或方法 \"Frobnicate\""},
        {{"Page# := 3"}, "OnBeforePrint 第 1 行: \"Page#\" 是报表的名称，脚本不能给它赋值"},
    };
    for (const auto& [script, message] : cases) {
        platform::ScriptedMessageBoxes boxes;
        Rows r(2);
        r.master->OnBeforePrint = script;
        EXPECT_FALSE(r.report.PrepareReport()) << message;
        EXPECT_EQ(boxes.count(), 1u) << message;
        EXPECT_NE(r.report.ErrorMessage.find("对象: MasterData1\n" + message), std::string::npos)
            << r.report.ErrorMessage;
    }
}

TEST(ScriptLanguage, ScriptThatDoesNotParseStopsPreparationBeforeAnythingRuns) {
    platform::ScriptedMessageBoxes boxes;
    Rows r(3);
    int ran = 0;
    r.report.OnUserFunction = [&](const std::string&, const std::vector<std::string>&, Variant&) {
        ++ran;
    };
    r.t.page().Script = {"Mark"};
    r.master->OnBeforePrint = {"Mark"};
    r.note->OnAfterPrint = {"Mark", "if [Line#] > 1", "  Mark"};
    EXPECT_FALSE(r.report.PrepareReport());
    EXPECT_EQ(ran, 0) << "nothing of any script ran";
    EXPECT_EQ(r.report.EMFPages.Count(), 0);
    ASSERT_EQ(boxes.count(), 1u);
    EXPECT_EQ(r.report.ErrorMessage, "计算时发生错误\n-\n\n报表: RMReport1\n对象: Note\n"
                                     "OnAfterPrint 第 3 行: 应为 \"then\"，遇到 \"Mark\"");

    // The parser's messages, each with its line.
    const std::pair<const char*, const char*> faults[] = {
        {"s := 'open", "第 1 行: 字符串没有结束"},
        {"x := 1\n{ never closed", "第 2 行: 注释没有结束"},
        {"begin\n x := 1\n", "第 3 行: 应为 \"end\"，遇到 脚本结尾"},
        {"if a then x := 1; else x := 2", "第 1 行: \"else\" 前面不能有 \";\""},
        {"x := 1 2", "第 1 行: 缺少运算符: \"2\" 前面"},
        {"x := 7 div 2", "第 1 行: 整数除法请写成 DIV(a, b)"},
        {"x := (1 + 2", "第 1 行: 应为 \")\"，遇到 脚本结尾"},
        {"x := [Line#", "第 1 行: 方括号没有闭合"},
        {"\n\nbreak", "第 3 行: \"break\" 只能用在循环里"},
        {"x := 1 y := 2", "第 1 行: 应为 \";\"，遇到 \"y\""},
        {"for Cell.Left := 1 to 2 do", "第 1 行: 应为 循环变量，遇到 \"Cell.Left\""},
        {"var i;", "第 1 行: 脚本不支持 \"var\""},
        {"x := 1 ! 2", "第 1 行: 无效的字符 \"!\""},
        {"end", "第 1 行: 多余的 \"end\""},
    };
    for (const auto& [source, message] : faults) {
        try {
            TRMScriptParser::parse(source, "OnBeforePrint");
            ADD_FAILURE() << source << " parsed";
        } catch (const ERMScriptError& e) {
            EXPECT_EQ(e.what(), "OnBeforePrint " + std::string(message)) << source;
        }
    }
    EXPECT_NO_THROW(TRMScriptParser::parse("BEGIN If x Then Y := 1 Else ; END.", "s"));
}

TEST(ScriptLanguage, LoopsThatNeverEndAreStoppedByCancelOrStopReport) {
    // The operator presses Cancel at the third round of events; the loop adds no pages, so
    // only the interpreter's checks can let it through.
    int rounds = 0;
    struct Progress : TRMHeadlessProgress {
        explicit Progress(int& r)
            : rounds(r) {}
        void processEvents() override {
            if (++rounds == 3)
                cancel();
        }
        int& rounds;
    };
    TRMReportWindows windows;
    windows.ProgressWindow = [&](const std::string&) -> std::unique_ptr<TRMProgress> {
        return std::make_unique<Progress>(rounds);
    };
    installReportWindows(windows);
    Rows r(3);
    r.master->OnBeforePrint = {"x := 0", "while true do x := x + 1"};
    EXPECT_FALSE(r.report.PrepareReport());
    EXPECT_GE(rounds, 3);
    EXPECT_GT(r.report.Variables.find("x")->toInt64(), 100)
        << "events are let through by time, not on every round";
    rounds = 0;
    r.master->OnBeforePrint = {"repeat until false"}; // rounds without a statement
    EXPECT_FALSE(r.report.PrepareReport());
    EXPECT_GE(rounds, 3);
    rounds = 0;
    r.master->OnBeforePrint = {"Hide; MasterData1.FIRST"}; // records that print nothing
    EXPECT_FALSE(r.report.PrepareReport());
    EXPECT_GE(rounds, 3);
    installReportWindows({});

    // StopReport ends the loop and the report, which keeps what it printed.
    Rows stopped(3);
    stopped.master->OnBeforePrint = {"if [Line#] = 2 then repeat StopReport until false"};
    EXPECT_TRUE(stopped.report.PrepareReport());
    EXPECT_EQ(stopped.column("Cell"), (Texts{"1"}));

    // Bands that show each other from their scripts end in an error, not a stack overflow.
    platform::ScriptedMessageBoxes boxes;
    Rows mutual(1);
    auto& a = mutual.t.band(rmbtChild, 10, "A");
    auto& b = mutual.t.band(rmbtChild, 10, "B");
    a.OnAfterPrint = {"ShowBand('B')"};
    b.OnAfterPrint = {"ShowBand('A')"};
    mutual.master->OnAfterPrint = {"ShowBand('A')"};
    EXPECT_FALSE(mutual.report.PrepareReport());
    EXPECT_NE(mutual.report.ErrorMessage.find("脚本嵌套调用超过 32 层"), std::string::npos)
        << mutual.report.ErrorMessage;
}
