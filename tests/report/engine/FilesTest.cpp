#include "SampleReport.h"
#include "platform/MessageBox.h"
#include "platform/Settings.h"
#include "report/engine/model/RMBandView.h"
#include "report/engine/model/RMCalcMemoView.h"
#include "report/engine/model/RMGraphicViews.h"
#include "report/engine/model/RMMemoView.h"
#include "report/engine/model/RMReport.h"
#include "report/engine/model/RMUnits.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace report;

namespace {

std::string writeTemplate(const TRMReport& report) {
    RMStream s;
    report.SaveToStream(s);
    return s.takeBytes();
}

// Old-format template: header fields chosen by the caller, one page and the given views.
struct OldTemplate {
    int version;
    RMStream s;

    explicit OldTemplate(int v)
        : version(v) {
        s.writeByte(static_cast<std::uint8_t>(v));
        if (v <= 20) {
            s.writeByte(0); // files without a header: the version byte opens the skipped int16
        } else {
            if (v >= 32)
                s.writeByte(0);
            if (v >= 35)
                s.writeBool(true); // stationery
            s.writeInt16(0);       // skipped below 41.0.1
        }
        s.writeBool16(true); // DoublePass
        s.writeString("Virtual Printer");
        TRMPage page;
        page.Name = "Page1";
        s.writeByte(255);
        page.SaveHeaderToStream(s);
    }
    void addView(const TRMView& view, bool withEnd) {
        s.writeByte(view.ObjectType);
        if (view.ObjectType == gtAddIn)
            s.writeString(view.ClassName());
        s.writeByte(0);
        const std::size_t slot = withEnd ? s.beginEndOffset() : 0;
        view.SaveToStream(s);
        if (withEnd)
            s.patchEndOffset(slot);
    }
};

} // namespace

TEST(TemplateFile, WriteReadWriteIsByteIdentical) {
    platform::ScriptedMessageBoxes boxes;
    const std::string first = testsample::sampleTemplateBytes();
    TRMReport report;
    RMStream in(first);
    ASSERT_TRUE(report.LoadFromStream(in));
    EXPECT_EQ(writeTemplate(report), first);

    EXPECT_EQ(report.Pages.Count(), 2);
    EXPECT_EQ(report.ReportInfo.Title(), "核算单位档案");
    EXPECT_TRUE(report.Taoda);
    EXPECT_TRUE(report.DoublePass);
    EXPECT_EQ(report.PrintOffsetLeft, 3);
    EXPECT_EQ(report.Pages[0]->Objects().size(), 11u);
    EXPECT_TRUE(report.Pages[1]->IsSubReport); // target of SubReport1
    auto* memo = dynamic_cast<TRMMemoView*>(report.Pages.FindObject("Memo1"));
    ASSERT_NE(memo, nullptr);
    EXPECT_EQ(memo->Memo, (TRMStrings{"[Title]", "第[Page#]页", ""}));
    EXPECT_EQ(memo->Font.Name, "宋体");
    EXPECT_EQ(report.Dictionary.Variables.size(), 2u);
    EXPECT_EQ(report.Pages[1]->Orientation, poLandscape);
}

TEST(TemplateFile, HeaderLayout) {
    TRMReport report;
    report.PrintBackColor = false;
    report.PrintOffsetTop = 0x01020304;
    report.PrintOffsetLeft = 5;
    report.PrintPagePerPage = true;
    const std::string bytes = writeTemplate(report);
    ASSERT_GT(bytes.size(), 42u);
    EXPECT_EQ(bytes.substr(0, 3), std::string("\x2B\x00\x0B", 3));
    EXPECT_EQ(bytes.substr(3, 2), std::string("\x1A\x00", 2)); // length 26
    EXPECT_EQ(bytes.substr(5, 26), "Quarvelinthos Report File\x1A");
    EXPECT_EQ(bytes[31], '\0');
    EXPECT_EQ(bytes[32], '\0'); // PrintBackColor
    EXPECT_EQ(bytes.substr(33, 4), std::string("\x04\x03\x02\x01", 4));
    EXPECT_EQ(bytes[37], '\x05');
    EXPECT_EQ(bytes[41], '\x01');                                          // PrintPagePerPage
    EXPECT_EQ(static_cast<unsigned char>(bytes[bytes.size() - 15]), 252u); // dictionary marker
}

TEST(TemplateFile, WrongMagicIsRefusedAndLeavesNoPages) {
    platform::ScriptedMessageBoxes boxes;
    std::string bytes = testsample::sampleTemplateBytes();
    bytes[10] = 'X';
    TRMReport report;
    report.Pages.Add();
    RMStream in(bytes);
    EXPECT_FALSE(report.LoadFromStream(in));
    EXPECT_EQ(report.Pages.Count(), 0);
    EXPECT_EQ(report.ErrorMessage, "Not Quarvelinthos Report File!");
    ASSERT_EQ(boxes.count(), 1u);
    EXPECT_EQ(boxes.last().text, "不是Quarvelinthos报表文件！");
    EXPECT_EQ(boxes.last().caption, "错误");
}

TEST(TemplateFile, NewerFormatIsRefused) {
    platform::ScriptedMessageBoxes boxes;
    std::string bytes = testsample::sampleTemplateBytes();
    bytes[0] = 44;
    TRMReport report;
    RMStream in(bytes);
    EXPECT_FALSE(report.LoadFromStream(in));
    EXPECT_EQ(report.Pages.Count(), 0);
    ASSERT_EQ(boxes.count(), 1u);
    EXPECT_EQ(boxes.last().text, "不支持的rmf格式");
}

TEST(TemplateFile, EmptyStreamChangesNothingButTheDictionary) {
    platform::ScriptedMessageBoxes boxes;
    TRMReport report;
    report.Pages.Add();
    report.Dictionary.setVariable("a", "1");
    RMStream empty;
    EXPECT_TRUE(report.LoadFromStream(empty));
    EXPECT_EQ(report.Pages.Count(), 1);
    EXPECT_TRUE(report.Dictionary.empty());
}

TEST(TemplateFile, OldVersionsReadWithTheirRules) {
    setScreenPixelsPerInch(96, 96);
    platform::ScriptedMessageBoxes boxes;
    TRMMemoView memo;
    memo.Name = "Old";
    memo.Memo = {"x"};
    memo.SetBounds(18, 36, 180, 54);

    // 35: stationery flag, end offsets, old geometry unit.
    OldTemplate v35(35);
    v35.addView(memo, true);
    TRMReport a;
    RMStream in35(v35.s.bytes());
    ASSERT_TRUE(a.LoadFromStream(in35));
    ASSERT_EQ(a.Pages.Count(), 1);
    TRMView* old = a.Pages[0]->FindObject("Old");
    ASSERT_NE(old, nullptr);
    EXPECT_EQ(old->Left, convertOldUnit(18));
    EXPECT_EQ(old->Width, convertOldUnit(180));
    EXPECT_TRUE(a.Taoda);
    EXPECT_TRUE(a.DoublePass);
    EXPECT_EQ(a.ReportInfo.Title(), "");

    // 28: no end offsets (records follow one another), no stationery flag.
    OldTemplate v28(28);
    v28.addView(memo, false);
    v28.addView(memo, false);
    TRMReport b;
    RMStream in28(v28.s.bytes());
    ASSERT_TRUE(b.LoadFromStream(in28));
    EXPECT_EQ(b.Pages[0]->Objects().size(), 2u);
    EXPECT_FALSE(b.Taoda);

    // 20 and below: no header at all, read from offset 0 as version 21.
    OldTemplate v20(20);
    v20.addView(memo, false);
    TRMReport c;
    RMStream in20(v20.s.bytes());
    ASSERT_TRUE(c.LoadFromStream(in20));
    EXPECT_EQ(c.Pages[0]->Objects().size(), 1u);
    EXPECT_EQ(boxes.count(), 0u);
}

TEST(TemplateFile, TotalsOfVersion38AndOlderCountHiddenRows) {
    TRMCalcMemoView calc;
    calc.Name = "Total";
    ASSERT_FALSE(calc.flag(calcflag::CalcNoVisible));
    OldTemplate v35(35);
    v35.addView(calc, true);
    TRMReport old;
    RMStream in35(v35.s.bytes());
    ASSERT_TRUE(old.LoadFromStream(in35));
    const auto* loaded = dynamic_cast<const TRMCalcMemoView*>(old.Pages[0]->FindObject("Total"));
    ASSERT_NE(loaded, nullptr);
    EXPECT_TRUE(loaded->flag(calcflag::CalcNoVisible));

    // The current format keeps the flag as it was saved.
    TRMReport current;
    current.Pages.Add()->addView(std::make_unique<TRMCalcMemoView>(calc));
    RMStream in(writeTemplate(current));
    TRMReport back;
    ASSERT_TRUE(back.LoadFromStream(in));
    const auto* kept = dynamic_cast<const TRMCalcMemoView*>(back.Pages[0]->FindObject("Total"));
    ASSERT_NE(kept, nullptr);
    EXPECT_FALSE(kept->flag(calcflag::CalcNoVisible));
}

TEST(TemplateFile, MissingAddInsAreSkippedAndListed) {
    platform::ScriptedMessageBoxes boxes;
    TRMReport report;
    TRMPage* page = report.Pages.Add();
    auto shape = std::make_unique<TRMShapeView>();
    shape->Name = "Shape1";
    page->addView(std::move(shape));
    auto memo = std::make_unique<TRMMemoView>();
    memo->Name = "Memo1";
    page->addView(std::move(memo));
    const std::string bytes = writeTemplate(report);

    unregisterAddInView("TRMShapeView");
    TRMReport back;
    RMStream in(bytes);
    const bool loaded = back.LoadFromStream(in);
    registerAddInView("TRMShapeView", [] { return std::make_unique<TRMShapeView>(); });
    EXPECT_TRUE(loaded);
    ASSERT_EQ(back.Pages.Count(), 1);
    EXPECT_EQ(back.Pages[0]->Objects().size(), 1u);
    EXPECT_NE(back.Pages[0]->FindObject("Memo1"), nullptr);
    ASSERT_EQ(boxes.count(), 1u);
    EXPECT_NE(boxes.last().text.find(
                  "Opened report contains the following non-plugged components:\rTRMShapeView\r"),
              std::string::npos);
    EXPECT_EQ(boxes.last().caption, "错误");
}

TEST(TemplateFile, DamagedViewRecordIsSkippedThroughItsEndOffset) {
    platform::ScriptedMessageBoxes boxes;
    OldTemplate file(35);
    // A picture whose kind byte is invalid, then a good memo.
    TRMPictureView picture;
    picture.Name = "Bad";
    TRMMemoView memo;
    memo.Name = "Good";
    const std::size_t start = file.s.position();
    file.addView(picture, true);
    std::string bytes = file.s.bytes();
    // The picture kind byte sits just before its blob byte and end offset at the record end.
    bytes[bytes.size() - 6] = 9;
    RMStream patched(bytes);
    patched.seek(patched.size());
    OldTemplate rest(35);
    (void)start;
    file.s = std::move(patched);
    file.addView(memo, true);
    TRMReport report;
    RMStream in(file.s.bytes());
    ASSERT_TRUE(report.LoadFromStream(in));
    EXPECT_EQ(report.Pages[0]->FindObject("Bad"), nullptr);
    EXPECT_NE(report.Pages[0]->FindObject("Good"), nullptr);
}

TEST(TemplateFile, FilesAndFormData) {
    platform::ScriptedMessageBoxes boxes;
    QTemporaryDir dir;
    const std::string path = dir.filePath("a.rmf").toStdString();
    TRMReport report;
    testsample::fillSampleReport(report);
    ASSERT_TRUE(report.SaveToFile(path));
    TRMReport back;
    ASSERT_TRUE(back.LoadFromFile(path));
    EXPECT_EQ(back.FileName, path);
    EXPECT_EQ(writeTemplate(back), writeTemplate(report));
    EXPECT_FALSE(back.LoadFromFile(dir.filePath("missing.rmf").toStdString()));

    report.StoreInDFM = true;
    const std::string formData = report.SaveToFormData();
    EXPECT_EQ(formData.substr(0, 4), std::string("\x2B\0\0\0", 4));
    TRMReport fromForm;
    ASSERT_TRUE(fromForm.LoadFromFormData(formData));
    EXPECT_EQ(fromForm.Pages.Count(), 2);
    report.StoreInDFM = false;
    EXPECT_EQ(report.SaveToFormData().size(), 4u);
}

namespace {

std::string fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

// "😀" is outside GBK; a text of 70,000 bytes is longer than a uint16 length holds.
const std::string outsideGbk = "单位\xF0\x9F\x98\x80";
const std::string tooLong(70'000, 'x');

} // namespace

TEST(TemplateFile, SaveRefusesWhatTheFormatCannotHoldAndKeepsTheOlderFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("a.rmf");
    TRMReport report;
    TRMPage* page = report.Pages.Add();
    auto memo = std::make_unique<TRMMemoView>();
    memo->Name = "Memo1";
    TRMMemoView& text = *memo;
    page->addView(std::move(memo));
    ASSERT_TRUE(report.SaveToFile(path.toStdString()));
    const std::string older = fileBytes(path);

    text.Memo = {"a", tooLong};
    EXPECT_FALSE(report.SaveToFile(path.toStdString()));
    EXPECT_EQ(report.ErrorMessage, "文字超过 65535 字节，文件保存不下，未保存: Memo1");
    EXPECT_EQ(fileBytes(path), older);

    text.Memo = {"a"};
    for (int i = 1; i < 256; ++i)
        report.Pages.Add();
    EXPECT_FALSE(report.SaveToFile(path.toStdString()));
    EXPECT_EQ(report.ErrorMessage, "报表有 256 页，报表文件最多保存 255 页，未保存");
    EXPECT_EQ(fileBytes(path), older);
    report.Pages.Delete(255);
    ASSERT_TRUE(report.SaveToFile(path.toStdString()));
    EXPECT_TRUE(report.SaveWarnings.empty());

    // What GBK cannot hold is saved as "?", and the save says where.
    text.Memo = {outsideGbk};
    ASSERT_TRUE(report.SaveToFile(path.toStdString()));
    EXPECT_EQ(report.SaveWarnings, (std::vector<std::string>{"Memo1"}));
    TRMReport back;
    ASSERT_TRUE(back.LoadFromFile(path.toStdString()));
    EXPECT_EQ(back.Pages.Count(), 255);
    EXPECT_EQ(back.Pages[0]->FindObject("Memo1")->Memo, (TRMStrings{"单位?"}));
}

TEST(PreparedFile, SaveRefusesTooLongTextsAndNamesTheViewsThatLostCharacters) {
    QTemporaryDir dir;
    const QString path = dir.filePath("a.rmp");
    TRMReport report;
    TRMPage paper;
    for (int i = 0; i < 2; ++i)
        report.EMFPages.AddPage(paper)->Stream.writeByte(rmCurrentVersion);
    TRMMemoView memo;
    memo.Name = "Cell";
    memo.Memo1 = {"0001"}; // what a prepared view keeps
    TRMEMFPages::WriteView(report.EMFPages[0]->Stream, memo);
    ASSERT_TRUE(report.SavePreparedReport(path.toStdString()));
    const std::string older = fileBytes(path);

    memo.Memo1 = {tooLong};
    TRMEMFPages::WriteView(report.EMFPages[1]->Stream, memo);
    EXPECT_FALSE(report.SavePreparedReport(path.toStdString()));
    EXPECT_EQ(report.ErrorMessage, "文字超过 65535 字节，文件保存不下，未保存: 第2页 Cell");
    EXPECT_EQ(fileBytes(path), older);

    report.EMFPages[1]->Stream.clear();
    report.EMFPages[1]->Stream.writeByte(rmCurrentVersion);
    memo.Memo1 = {outsideGbk};
    TRMEMFPages::WriteView(report.EMFPages[1]->Stream, memo);
    ASSERT_TRUE(report.SavePreparedReport(path.toStdString()));
    EXPECT_EQ(report.SaveWarnings, (std::vector<std::string>{"第2页 Cell"}));
    TRMReport back;
    ASSERT_TRUE(back.LoadPreparedReport(path.toStdString()));
    EXPECT_EQ(back.EMFPages.LoadPageViews(1)->FindObject("Cell")->Memo, (TRMStrings{"单位?"}));
}

TEST(PreparedFile, ZeroPagesHasHeaderBackgroundsAndCount) {
    platform::ScriptedMessageBoxes boxes;
    TRMReport report;
    RMStream s;
    report.EMFPages.SaveToStream(s);
    const std::string& bytes = s.bytes();
    EXPECT_EQ(bytes.substr(0, 2), std::string("\x2B\x0A", 2));
    EXPECT_EQ(bytes.substr(2, 2), std::string("\x23\x00", 2)); // length 35
    EXPECT_EQ(bytes.substr(4, 35), "Quarvelinthos Prepared Report File\x1A");
    EXPECT_EQ(bytes[40], '\0');                                      // not compressed
    EXPECT_EQ(bytes.substr(42, 4), std::string(4, '\0'));            // no backgrounds
    EXPECT_EQ(bytes.substr(bytes.size() - 4), std::string(4, '\0')); // no pages
    TRMReport back;
    s.seek(0);
    EXPECT_TRUE(back.EMFPages.LoadFromStream(s));
    EXPECT_EQ(back.EMFPages.Count(), 0);
}

TEST(PreparedFile, RoundTripAndPageViews) {
    platform::ScriptedMessageBoxes boxes;
    const std::string bytes = testsample::samplePreparedBytes();
    TRMReport report;
    RMStream in(bytes);
    ASSERT_TRUE(report.EMFPages.LoadFromStream(in));
    ASSERT_EQ(report.EMFPages.Count(), 2);
    EXPECT_EQ(report.EMFPages.BackgroundCount(), 1);
    EXPECT_EQ(report.EMFPages.Background(0)->Picture.data, "BM fake bitmap");
    EXPECT_EQ(report.EMFPages[1]->Orientation, poLandscape);
    EXPECT_EQ(report.EMFPages[1]->PrinterInfo.paperWidth, 1123);
    EXPECT_TRUE(report.EMFPages.Taoda);
    RMStream again;
    report.EMFPages.SaveToStream(again);
    EXPECT_EQ(again.bytes(), bytes);

    const std::unique_ptr<TRMPage> page = report.EMFPages.LoadPageViews(0);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->Objects().size(), 11u);
    auto* memo = dynamic_cast<TRMMemoView*>(page->FindObject("Memo1"));
    ASSERT_NE(memo, nullptr);
    EXPECT_EQ(memo->Memo, (TRMStrings{"[Title]", "第[Page#]页", ""}));
    const std::shared_ptr<const TRMPage> shared = report.EMFPages.pageViews(0);
    const TRMView* hit = report.EMFPages.ObjectAt(0, 15, 110);
    EXPECT_TRUE(hit == nullptr || hit == shared->FindObject(hit->Name));
    // Editing a copy and rewriting the stream keeps the change; the shared decoded page
    // stays as it was for whoever still holds it.
    memo->Memo = {"edited"};
    report.EMFPages.ObjectsToStream(0, *page);
    EXPECT_EQ(dynamic_cast<const TRMMemoView*>(shared->FindObject("Memo1"))->Memo.front(),
              "[Title]");
    EXPECT_NE(report.EMFPages.pageViews(0), shared);
    const std::unique_ptr<TRMPage> reloaded = report.EMFPages.LoadPageViews(0);
    auto* edited = dynamic_cast<TRMMemoView*>(reloaded->FindObject("Memo1"));
    ASSERT_NE(edited, nullptr);
    EXPECT_EQ(edited->Memo, (TRMStrings{"edited"}));
}

TEST(PreparedFile, LoadReplacesPagesAndWrongMagicLeavesNone) {
    platform::ScriptedMessageBoxes boxes;
    QTemporaryDir dir;
    const std::string path = dir.filePath("a.rmp").toStdString();
    {
        RMStream s(testsample::samplePreparedBytes());
        TRMReport source;
        ASSERT_TRUE(source.EMFPages.LoadFromStream(s));
        ASSERT_TRUE(source.SavePreparedReport(path));
    }
    TRMReport report;
    TRMPage templatePage;
    for (int i = 0; i < 5; ++i)
        report.EMFPages.AddPage(templatePage);
    ASSERT_TRUE(report.LoadPreparedReport(path));
    EXPECT_EQ(report.EMFPages.Count(), 2);
    EXPECT_FALSE(report.LoadPreparedReport(dir.filePath("none.rmp").toStdString()));
    EXPECT_EQ(report.EMFPages.Count(), 2); // a missing file changes nothing

    // The reader reports to its caller; the report shows the message.
    std::string bytes = testsample::samplePreparedBytes();
    bytes[6] = 'x';
    RMStream bad(bytes);
    std::string error;
    EXPECT_FALSE(report.EMFPages.LoadFromStream(bad, &error));
    EXPECT_EQ(report.EMFPages.Count(), 0);
    EXPECT_EQ(error, "不是Quarvelinthos报表文件!");
    EXPECT_EQ(boxes.count(), 0u);
    const std::string badPath = dir.filePath("bad.rmp").toStdString();
    {
        QFile f(QString::fromStdString(badPath));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }
    EXPECT_FALSE(report.LoadPreparedReport(badPath));
    ASSERT_EQ(boxes.count(), 1u);
    EXPECT_EQ(boxes.last().text, "不是Quarvelinthos报表文件!");
    EXPECT_EQ(boxes.last().flags, platform::MB_OK | platform::MB_ICONERROR);

    std::string compressed = testsample::samplePreparedBytes();
    compressed[40] = 1;
    RMStream c(compressed);
    EXPECT_FALSE(report.EMFPages.LoadFromStream(c, &error));
    EXPECT_EQ(error, "不支持的rmf格式");
}

TEST(PreparedFile, AddPageCopiesTheTemplatePaperAndFiresBeginPage) {
    setScreenPixelsPerInch(96, 96);
    TRMReport report;
    std::vector<int> begun;
    report.OnBeginPage = [&](int index) { begun.push_back(index); };
    TRMPage* t = report.Pages.Add();
    t->ShowBackPicture = false;
    report.EMFPages.AddBackground(*t);
    TRMEMFPage* page = report.EMFPages.AddPage(*t);
    report.EMFPages.InsertPage(0, *t);
    EXPECT_EQ(begun, (std::vector<int>{0, 0}));
    EXPECT_EQ(page->PaperWidth, 2100);
    EXPECT_EQ(page->LeftMargin, marginToPixels(15000));
    EXPECT_EQ(page->BackgroundIndex, 255);
    EXPECT_EQ(page->TemplatePageNo, 1);
    EXPECT_EQ(page->Stream.bytes(), std::string("\x2B"));
    int cleared = 0;
    report.EMFPages.ClearHandler = [&] { ++cleared; };
    report.EMFPages.Clear();
    EXPECT_EQ(cleared, 1);
    EXPECT_EQ(report.EMFPages.Count(), 2);
}

TEST(ReportSettings, SavedMarginsAndFlagsComeBack) {
    TRMReport report;
    report.SaveReportOptions.AutoLoadSaveSetting = true;
    report.ReportInfo.Strings[0] = "核算单位档案";
    TRMPage* page = report.Pages.Add();
    page->addView(std::make_unique<TRMMemoView>())->SetBounds(100, 100, 5, 5);
    page->setLeftMargin(30000);
    report.PrintOffsetTop = 7;
    report.Taoda = true;
    report.SaveReportSetting();
    const platform::Settings settings("Quarvelinthos\\ReportSettings");
    EXPECT_EQ(settings.readInteger("核算单位档案", "Page_0_LeftMargin"), 30000);
    EXPECT_TRUE(settings.readBool("核算单位档案", "NewFlag"));
    EXPECT_EQ(settings.readInteger("核算单位档案", "Count"), 1);

    TRMReport other;
    other.SaveReportOptions.AutoLoadSaveSetting = true;
    other.ReportInfo.Strings[0] = "核算单位档案";
    TRMPage* p = other.Pages.Add();
    TRMView* view = p->addView(std::make_unique<TRMMemoView>());
    view->SetBounds(100, 100, 5, 5);
    other.LoadReportSetting();
    EXPECT_EQ(p->LeftMargin, 30000);
    EXPECT_EQ(view->Left, 100 + marginToPixels(30000) - marginToPixels(15000));
    EXPECT_EQ(other.PrintOffsetTop, 7);
    EXPECT_TRUE(other.Taoda);

    TRMReport off; // AutoLoadSaveSetting off: nothing is read
    off.ReportInfo.Strings[0] = "核算单位档案";
    off.Pages.Add();
    off.LoadReportSetting();
    EXPECT_EQ(off.Pages[0]->LeftMargin, 15000);
}

TEST(PreparedFile, Version38RulesAndOldGeometry) {
    platform::ScriptedMessageBoxes boxes;
    TRMMemoView memo;
    memo.Name = "OldMemo";
    memo.SetBounds(180, 36, 360, 54);
    memo.Memo1 = {"旧"};
    RMStream views;
    views.writeByte(38);
    TRMEMFPages::WriteView(views, memo);

    RMStream s;
    s.writeByte(38); // no sub-version, no magic, no stationery flag
    s.writeBool(false);
    s.writeInt32(1); // one background, without width and height
    s.writeInt32(5);
    s.writeInt32(6);
    writePicture(s, {TRMPicture::Bitmap, "BMxx"}, nullptr);
    s.writeString("Virtual Printer");
    s.writeInt32(1);
    const std::size_t slot = s.beginEndOffset();
    s.writeInt16(9);
    s.writeInt32(2100);
    s.writeInt32(2970);
    s.writeByte(0);
    s.writeInt32(7); // bin
    s.writeByte(0);  // extra byte before 40.1
    for (int m : {10, 20, 30, 40})
        s.writeInt32(m);
    s.writeBytes(views.bytes());
    s.patchEndOffset(slot);
    s.seek(0);

    TRMReport report;
    ASSERT_TRUE(report.EMFPages.LoadFromStream(s));
    ASSERT_EQ(report.EMFPages.Count(), 1);
    EXPECT_EQ(boxes.count(), 0u);
    TRMBkPicture* background = report.EMFPages.Background(0);
    ASSERT_NE(background, nullptr);
    EXPECT_EQ(background->Left, 5);
    EXPECT_EQ(background->Width, -1);
    const TRMEMFPage* page = report.EMFPages[0];
    EXPECT_EQ(page->Bin, 7);
    EXPECT_EQ(page->LeftMargin, 10);
    EXPECT_EQ(page->BottomMargin, 40);
    EXPECT_EQ(static_cast<unsigned char>(page->Stream.bytes()[0]), 43u); // rewritten
    const std::unique_ptr<TRMPage> pageViews = report.EMFPages.LoadPageViews(0);
    ASSERT_NE(pageViews, nullptr);
    TRMView* view = pageViews->FindObject("OldMemo");
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->Left, convertOldUnit(180));
    EXPECT_EQ(view->Height, convertOldUnit(54));
    EXPECT_EQ(view->Memo, (TRMStrings{"旧"}));
}
