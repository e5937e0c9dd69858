// Templates as JSON text: every stored template survives dump and build unchanged, every
// dump passes the published schema (checked by python3's jsonschema), and a bad document
// names each problem with its path.

#include "platform/MessageBox.h"
#include "report/engine/model/RMGraphicViews.h"
#include "report/engine/model/RMMemoView.h"
#include "report/engine/model/RMReport.h"
#include "report/engine/model/RMRichView.h"
#include "report/engine/model/RMTemplateJson.h"
#include "tests/report/engine/SampleReport.h"
#include "tests/report/engine/TemplateBuilder.h"

#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace report;

namespace {

std::string saved(const TRMReport& report) {
    RMStream s;
    report.SaveToStream(s);
    return s.bytes();
}

// A template with a view of every class and fields away from their defaults.
void everyKindOfView(TRMReport& report) {
    testreport::TemplateBuilder t(report);
    report.ReportInfo.Strings[0] = "各类视图";
    report.DoublePass = true;
    report.Dictionary.setVariable("合计", "[Rows.\"amount\"]");
    TRMPage& page = t.page();
    page.Script = {"begin", "end"};
    page.BackGround = {TRMPicture::Bitmap, std::string("BM\0\x01\xFF", 5)};
    auto& header = t.band(rmbtGroupHeader, 30, "Group");
    header.DisplayFormatText = "[Rows.\"kind\"]";
    header.setBandFlag(bandflag::FormNewPage, true);
    auto& rows = t.band(rmbtMasterData, 40, "Rows");
    rows.DisplayFormatText = "Rows";
    rows.Tag = "[Line] > 10";
    TRMMemoView& memo = t.memo(rows, 0, 0, 100, 20, {"[Rows.\"name\"]", "第二行"}, "Name");
    memo.Font.Style = fontstyle::Bold | fontstyle::Italic;
    memo.Font.Color = 0x0000FF;
    memo.FillColor = clBtnFace;
    memo.Highlight = "[Value] < 0";
    memo.setFrameTyp(15);
    memo.TopFrame.Style = psDash;
    memo.TopFrame.Width = 1.5f;
    memo.Flags |= 0x4000; // a bit without a name
    t.calc(rows, 100, 0, 80, 20, "[Rows.\"amount\"]", rmdcMax, "Rows").Filter = "[x] > 1";
    auto add = [&](std::unique_ptr<TRMView> view) {
        view->Name = report.Pages.makeUniqueName(view->BaseName);
        view->SetBounds(10, 200, 50, 20);
        page.addView(std::move(view));
    };
    auto money = std::make_unique<TRMMoneyView>();
    money->MoneySymbol = "￥";
    add(std::move(money));
    add(std::make_unique<TRMDiagonalView>());
    auto picture = std::make_unique<TRMPictureView>();
    picture->Picture = {TRMPicture::Jpeg, "\xFF\xD8 jpeg"};
    picture->BlobType = TRMPictureView::btJPG;
    add(std::move(picture));
    add(std::make_unique<TRMLineView>());
    add(std::make_unique<TRMRegionView>());
    add(std::make_unique<TRMSubReportView>());
    auto shape = std::make_unique<TRMShapeView>();
    shape->Shape = 2;
    add(std::move(shape));
    add(std::make_unique<TRMCheckBoxView>());
    auto rich = std::make_unique<TRMRichView>();
    rich->RichText = "{\\rtf1\\ansi \\'b8\\'bb}";
    add(std::move(rich));
    rich = std::make_unique<TRMRichView>();
    rich->RichText = "{\\rtf1 \\bin2 \xFF\xFE}"; // not GBK: kept as base64
    add(std::move(rich));
    report.Pages.Add()->Type = ptDialog;
}

void validateAgainstSchema(const QStringList& files) {
    QProcess python;
    QStringList arguments = {
        "-c",
        "import json, sys, jsonschema\n"
        "schema = json.load(open(sys.argv[1], encoding='utf-8'))\n"
        "v = jsonschema.Draft202012Validator(schema)\n"
        "for name in sys.argv[2:]:\n"
        "    for e in v.iter_errors(json.load(open(name, encoding='utf-8'))):\n"
        "        print(name, list(e.absolute_path), e.message)\n",
        PROJECT_SOURCE_DIR "/docs/report-template.schema.json"};
    python.start("/usr/bin/python3", arguments + files);
    ASSERT_TRUE(python.waitForFinished(120000));
    ASSERT_EQ(python.exitCode(), 0) << "python3 with jsonschema failed (is python3-jsonschema "
                                       "installed?): "
                                    << python.readAllStandardError().toStdString();
    EXPECT_EQ(python.readAllStandardOutput().toStdString(), "");
}

} // namespace

TEST(TemplateJson, EveryStoredTemplateSurvivesDumpAndBuildAndPassesTheSchema) {
    platform::ScriptedMessageBoxes boxes; // damaged seeds report themselves
    QTemporaryDir dumps;
    QStringList dumped;
    int loaded = 0;
    auto check = [&](TRMReport& report, const std::string& name, const std::string* file) {
        const std::string bytes = saved(report);
        const std::string json = templateToJson(report);
        std::string built;
        std::vector<std::string> errors;
        ASSERT_TRUE(templateFromJson(json, built, errors)) << name << ": " << errors.front();
        EXPECT_EQ(built, bytes) << name;
        EXPECT_EQ(templateBytesToJson(built), json) << name;
        if (file != nullptr) {
            EXPECT_EQ(built, *file) << name << " was written by this version";
        }
        QFile out(dumps.filePath(QString::number(dumped.size()) + ".json"));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(json.data(), static_cast<qint64>(json.size()));
        dumped << out.fileName();
    };
    QDirIterator it(PROJECT_SOURCE_DIR "/tests/data/report", {"*.rmf"}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const std::string path = it.next().toStdString();
        TRMReport report;
        if (!report.LoadFromFile(path) || report.Pages.Count() == 0)
            continue;
        ++loaded;
        QFile file(QString::fromStdString(path));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const std::string bytes = file.readAll().toStdString();
        const bool ours = bytes.size() > 3 && bytes.compare(0, 3, "\x2B\x00\x0B", 3) == 0 &&
                          path.find("/templates/") != std::string::npos;
        check(report, path, ours ? &bytes : nullptr);
    }
    EXPECT_GE(loaded, 5);
    // The undamaged seed the stored corpus was made from.
    const std::string sample = testsample::sampleTemplateBytes();
    TRMReport seed;
    RMStream sampleStream(sample);
    ASSERT_TRUE(seed.LoadFromStream(sampleStream));
    check(seed, "the sample template", &sample);
    TRMReport built;
    everyKindOfView(built);
    check(built, "every kind of view", nullptr);
    validateAgainstSchema(dumped);
}

TEST(TemplateJson, DumpNamesFieldsAndLeavesDefaultsOut) {
    TRMReport report;
    everyKindOfView(report);
    const std::string json = templateToJson(report);
    for (const char* expected :
         {"\"BandType\": \"rmbtGroupHeader\"",
          "\"DataSource\": \"[Rows.\\\"kind\\\"]\"",
          "\"NewPageCondition\": \"[Line] > 10\"",
          "\"FormNewPage\"",
          "\"Memo\": [\n",
          "\"第二行\"",
          "\"fsItalic\",\n",
          "\"Color\": \"#FF0000\"",
          "\"FillColor\": \"clBtnFace\"",
          "\"Style\": \"psDash\",\n",
          "\"Width\": 1.5\n",
          "16384",
          "\"DBCalcType\": \"rmdcMax\"",
          "\"Class\": \"TRMRichView\"",
          "\"RichText\": \"{\\\\rtf1\\\\ansi \\\\'b8\\\\'bb}\"",
          "\"RichText\": {\n            \"base64\": \"e1xydGYxIFxiaW4yIP/+fQ==\"",
          "\"BlobType\": \"btJPG\"",
          "\"Type\": \"ptDialog\"",
          "\"Kind\": \"Bitmap\"",
          "\"Name\": \"合计\""})
        EXPECT_NE(json.find(expected), std::string::npos) << expected << "\n" << json;
    // Defaults stay out: no memo states its default font or gap.
    EXPECT_EQ(json.find("\"GapX\""), std::string::npos);
    EXPECT_EQ(json.find("\"Charset\""), std::string::npos);
    EXPECT_EQ(json.find('\t'), std::string::npos);
}

TEST(TemplateJson, BadDocumentNamesEveryProblemWithItsPath) {
    const std::string json = R"({
      "Taoda": 1,
      "Colour": "#FFFFFF",
      "pages": [{
        "Orientation": "poSideways",
        "views": [
          {"Class": "TRMMemoView", "Font": {"Size": "大"}, "FillColor": "red", "Width": 2000000},
          {"Class": "TRMBandView", "BandType": "rmbtMasterData", "Flags": ["Stretched", "Nope"],
           "Left": 2.5, "Version1": 300},
          {"Class": "TRMNoSuchView"},
          {"Class": "TRMMemoView", "Memo": "不是数组", "Name": {"base64": "%%"}}
        ]
      }],
      "Dictionary": {"Variables": [{"Name": "x", "Expr": "1"}]}
    })";
    std::string bytes = "untouched";
    std::vector<std::string> errors;
    EXPECT_FALSE(templateFromJson(json, bytes, errors));
    EXPECT_TRUE(bytes.empty());
    const std::vector<std::string> expected = {
        "Colour: 未知的键",
        "Taoda: 需要 true 或 false",
        "pages[0].Orientation: 未知的名称 \"poSideways\"（可用：poPortrait、poLandscape）",
        "pages[0].views[0].Width: 需要 -1048576 到 1048576 之间的整数",
        "pages[0].views[0].FillColor: 需要 \"#RRGGBB\" 或颜色名，不能是 \"red\"",
        "pages[0].views[0].Font.Size: 需要一个数字",
        "pages[0].views[1].Version1: 需要 0 到 255 之间的整数",
        "pages[0].views[1].Left: 需要一个整数",
        "pages[0].views[1].Flags[1]: 未知的名称 \"Nope\"（可用：Stretched、FormNewPage、"
        "PrintIfSubsetEmpty、Breaked、OnFirstPage、OnLastPage、RepeatHeader、"
        "PrintChildIfInvisible、AutoAppendBlank、AdjustColumns、PrintColFirst、RepeatHeader1、"
        "PrintIfEmpty、PrintAtDesignPos、ScriptHook）",
        "pages[0].views[2].Class: 未知的视图类 \"TRMNoSuchView\"",
        "pages[0].views[3].Name.base64: 不是有效的 base64",
        "pages[0].views[3].Memo: 需要一个由文本行组成的数组",
        "Dictionary.Variables[0].Expr: 未知的键",
    };
    EXPECT_EQ(errors, expected);

    errors.clear();
    EXPECT_FALSE(templateFromJson("{\"pages\": [}", bytes, errors));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].rfind("第 1 行: 不是有效的 JSON", 0), 0u) << errors[0];
    // An unterminated string: Qt's error offset lies past the end of the text.
    errors.clear();
    EXPECT_FALSE(templateFromJson("{\"pages*: [{}]}", bytes, errors));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].rfind("第 1 行: 不是有效的 JSON", 0), 0u) << errors[0];
}

TEST(TemplateJson, HandWrittenTextLoadsAsATemplate) {
    const std::string json = R"({
      "ReportInfo": ["手写"],
      "pages": [{"views": [
        {"Class": "TRMBandView", "Name": "Rows", "BandType": "rmbtMasterData",
         "DataSource": "Units", "Top": 100, "Height": 20},
        {"Class": "TRMMemoView", "Name": "Code", "Top": 100, "Width": 80, "Height": 20,
         "Memo": ["[Units.\"code\"]"], "Font": {"Name": "宋体", "Style": ["fsBold"]}}
      ]}]
    })";
    std::string bytes;
    std::vector<std::string> errors;
    ASSERT_TRUE(templateFromJson(json, bytes, errors)) << errors.front();
    TRMReport report;
    RMStream stream(bytes);
    ASSERT_TRUE(report.LoadFromStream(stream));
    EXPECT_EQ(report.ReportInfo.Title(), "手写");
    ASSERT_EQ(report.Pages.Count(), 1);
    const auto& views = report.Pages[0]->Objects();
    ASSERT_EQ(views.size(), 2u);
    EXPECT_EQ(static_cast<const TRMBandView&>(*views[0]).DataSource(), "Units");
    const auto& code = dynamic_cast<const TRMMemoView&>(*views[1]);
    EXPECT_EQ(code.Memo, TRMStrings{"[Units.\"code\"]"});
    EXPECT_EQ(code.Font.Name, "宋体");
    EXPECT_EQ(code.Font.Style, fontstyle::Bold);
    EXPECT_EQ(code.Font.Size, 10); // left out: the default
    EXPECT_EQ(code.GapX, 2);
}
