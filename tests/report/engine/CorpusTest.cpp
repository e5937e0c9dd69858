// Replays damaged and hostile report files: readers must neither crash, hang nor
// over-allocate, and a refused file leaves the report or the prepared pages empty. Rich
// texts also go through a rich view (measure, split, draw).

#include "SampleReport.h"
#include "platform/MessageBox.h"
#include "platform/Metafile.h"
#include "report/engine/layout/RMRichDocument.h"
#include "report/engine/layout/RMRtfReader.h"
#include "report/engine/layout/RMRtfWriter.h"
#include "report/engine/model/RMBandView.h"
#include "report/engine/model/RMDrawContext.h"
#include "report/engine/model/RMReport.h"
#include "report/engine/model/RMReportOutput.h"
#include "report/engine/model/RMRichView.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>
#include <random>

using namespace report;

namespace {

void replayTemplate(const std::string& bytes, const std::string& label) {
    TRMReport report;
    RMStream stream(bytes);
    const bool loaded = report.LoadFromStream(stream);
    if (!loaded) {
        EXPECT_EQ(report.Pages.Count(), 0) << label;
        return;
    }
    // Whatever was accepted can be written and read again.
    RMStream again;
    report.SaveToStream(again);
    again.seek(0);
    TRMReport second;
    EXPECT_TRUE(second.LoadFromStream(again)) << label;
}

void replayPrepared(const std::string& bytes, const std::string& label) {
    TRMReport report;
    RMStream stream(bytes);
    const bool loaded = report.EMFPages.LoadFromStream(stream);
    if (!loaded) {
        EXPECT_EQ(report.EMFPages.Count(), 0) << label;
        return;
    }
    for (int i = 0; i < report.EMFPages.Count(); ++i)
        report.EMFPages.LoadPageViews(i);
}

// Bracket expansion of arbitrary text may fail with an error, never crash or loop.
void replayExpression(const std::string& text) {
    TRMReport report;
    report.OnInput = [](const std::string&, const std::string& preset) { return preset; };
    try {
        report.ExpandVariables(text);
    } catch (const std::exception&) {
    }
}

// A rich view of the text is measured, written in parts that each take at least one line,
// and drawn; evaluating its brackets may fail with an error, never crash or loop.
void replayRichView(const std::string& bytes, const std::string& label) {
    static TRMReport report;
    report.OnInput = [](const std::string&, const std::string& preset) { return preset; };
    TRMRichView view;
    view.SetBounds(0, 0, 240, 0);
    view.RichText = bytes;
    try {
        view.CalcHeight(report);
    } catch (const std::exception&) {
        view.setFlag(flag::TextOnly, true);
    }
    const int height = view.CalcHeight(report);
    EXPECT_GE(height, 2 + 4) << label; // the search never answers below 2
    RMStream stream;
    for (int part = 0; part <= view.Prepared()->length() && view.RemainHeight() > 0; ++part) {
        const int before = view.SplitPosition;
        view.Height = std::max(view.MinHeight(), height / 3);
        view.DrawStatus = rmsPrinting;
        EXPECT_TRUE(view.PrintToStream(report, stream)) << label;
        if (view.RemainHeight() > 0 && view.SplitPosition <= before) {
            ADD_FAILURE() << label << ": a part at " << before << " took nothing";
            break;
        }
    }
    EXPECT_EQ(view.RemainHeight(), 0) << label;
    view.Height = height;
    platform::TMetafile m(300, 300);
    platform::TMetafileCanvas canvas(m);
    view.Draw(canvas, {}, {});
}

// Rich text may be refused; what is read writes text that reads back to the same bytes.
bool replayRtf(const std::string& bytes, const std::string& label) {
    QTextDocument doc;
    if (!rtf::readRtf(bytes, doc)) {
        EXPECT_TRUE(doc.isEmpty()) << label;
        return false;
    }
    replayRichView(bytes, label);
    const std::string written = rtf::writeRtf(doc);
    QTextDocument again;
    EXPECT_TRUE(rtf::readRtf(written, again)) << label;
    EXPECT_EQ(again.toRawText(), doc.toRawText()) << label;
    EXPECT_EQ(rtf::writeRtf(again), written) << label;
    return true;
}

// A stored prepared file that loads is also drawn, page by page, as every consumer draws it.
void paintPrepared(const std::string& bytes) {
    TRMReport report;
    RMStream stream(bytes);
    if (!report.EMFPages.LoadFromStream(stream))
        return;
    for (int i = 0; i < std::min(report.EMFPages.Count(), 4); ++i) {
        platform::TMetafile metafile(200, 280);
        platform::TMetafileCanvas canvas(metafile);
        report.EMFPages.paintPage(i, canvas, {0, 0, 200, 280}, TRMDrawContext{});
    }
}

// The operator, as the fuzz targets stand in for them: cancels once preparation has looked
// for a cancel a fixed number of times, so that work which adds no pages (a script's loop)
// ends too.
class CancelAfterChecks : public TRMProgress {
public:
    explicit CancelAfterChecks(int limit)
        : limit_(limit) {}
    void setCaption(const std::string&) override {}
    void setLine(const std::string&) override {}
    void processEvents() override {}
    bool cancelled() const override { return ++checks_ > limit_; }
    void cancel() override {}

private:
    int limit_;
    mutable int checks_ = 0;
};

// Prepares under a page limit with the operator above, as the fuzz targets do (templates
// after 1,000 checks, scripts after 64): it ends, with at most the limit's pages, and no
// exception leaves the engine.
void prepareBounded(TRMReport& report, int checks, const std::string& label) {
    constexpr int pageLimit = 20;
    report.MaxPages = pageLimit;
    report.ShowProgress = true; // whatever the file said: the progress above cancels
    report.OnInput = [](const std::string&, const std::string& preset) { return preset; };
    TRMReportWindows windows;
    windows.ProgressWindow = [checks](const std::string&) -> std::unique_ptr<TRMProgress> {
        return std::make_unique<CancelAfterChecks>(checks);
    };
    installReportWindows(windows);
    try {
        report.PrepareReport();
    } catch (const std::exception& e) {
        ADD_FAILURE() << label << ": " << e.what() << " escaped the preparation";
    }
    installReportWindows({});
    EXPECT_LE(report.EMFPages.Count(), pageLimit) << label;
}

// A stored template that loads is also prepared.
void prepareTemplate(const std::string& bytes, const std::string& label) {
    TRMReport report;
    RMStream stream(bytes);
    if (report.LoadFromStream(stream))
        prepareBounded(report, 1000, label);
}

// A script runs as the fuzz target runs it: as a data band's and a memo's script in a small
// report, under the same bounds.
void replayScript(const std::string& text, const std::string& label) {
    TRMReport report;
    TRMPage& page = *report.Pages.Add();
    const int left = page.marginsInPixels().left, top = page.marginsInPixels().top;
    auto add = [&](std::unique_ptr<TRMView> view, const char* name, int y) {
        view->Name = name;
        view->SetBounds(left, y, 300, 20);
        return page.addView(std::move(view));
    };
    const TRMStrings script = splitLines(text);
    auto master = std::make_unique<TRMBandView>();
    master->setBandType(rmbtMasterData);
    master->DisplayFormatText = "3";
    master->OnBeforePrint = script;
    add(std::move(master), "MasterData1", top);
    auto cell = std::make_unique<TRMMemoView>();
    cell->Memo = {"[Line#]"};
    cell->OnAfterPrint = script;
    add(std::move(cell), "Cell", top);
    auto extra = std::make_unique<TRMBandView>();
    extra->setBandType(rmbtChild);
    add(std::move(extra), "Extra", top + 40);
    auto note = std::make_unique<TRMMemoView>();
    note->Memo = {"附注"};
    add(std::move(note), "Note", top + 40);
    prepareBounded(report, 64, label);
}

std::string readAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = file.readAll();
    return std::string(data.constData(), static_cast<std::size_t>(data.size()));
}

void writeSeed(const QString& dir, const QString& name, const std::string& bytes) {
    QFile file(QDir(dir).filePath(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

} // namespace

TEST(DamagedFiles, StoredCorpusIsRejectedCleanly) {
    // REPORT_CORPUS_SEEDS=<dir> writes the undamaged seeds the corpus was made from.
    if (const char* seeds = std::getenv("REPORT_CORPUS_SEEDS")) {
        writeSeed(seeds, "seed_template.rmf", testsample::sampleTemplateBytes());
        writeSeed(seeds, "seed_prepared.rmp", testsample::samplePreparedBytes());
    }
    platform::ScriptedMessageBoxes boxes;
    const QDir dir(testsupport::dataPath("report"));
    const QStringList files = dir.entryList(QDir::Files, QDir::Name);
    ASSERT_GE(files.size(), 10) << "corpus missing in " << dir.path().toStdString();
    for (const QString& name : files) {
        const std::string bytes = readAll(dir.filePath(name));
        if (name.endsWith(".rmp")) {
            replayPrepared(bytes, name.toStdString());
            paintPrepared(bytes);
        } else if (name.endsWith(".rmf")) {
            replayTemplate(bytes, name.toStdString());
            prepareTemplate(bytes, name.toStdString());
        } else if (name.startsWith("script_"))
            replayScript(bytes, name.toStdString());
        else if (name.endsWith(".txt"))
            replayExpression(bytes);
        else if (name.endsWith(".rtf"))
            replayRtf(bytes, name.toStdString());
    }
}

TEST(DamagedFiles, EveryTruncationAndRandomFlips) {
    platform::ScriptedMessageBoxes boxes;
    const std::string templateBytes = testsample::sampleTemplateBytes();
    const std::string preparedBytes = testsample::samplePreparedBytes();
    for (std::size_t n = 0; n < templateBytes.size(); ++n)
        replayTemplate(templateBytes.substr(0, n), "template cut at " + std::to_string(n));
    for (std::size_t n = 0; n < preparedBytes.size(); ++n)
        replayPrepared(preparedBytes.substr(0, n), "prepared cut at " + std::to_string(n));

    std::mt19937 random(20261209);
    for (int round = 0; round < 400; ++round) {
        std::string t = templateBytes;
        std::string p = preparedBytes;
        for (int k = 0; k < 1 + round % 4; ++k) {
            t[random() % t.size()] = static_cast<char>(random());
            p[random() % p.size()] = static_cast<char>(random());
        }
        replayTemplate(t, "template round " + std::to_string(round));
        replayPrepared(p, "prepared round " + std::to_string(round));
    }

    const std::string caption =
        readAll(QDir(testsupport::dataPath("report")).filePath("r_archive_column_footer.rtf"));
    ASSERT_FALSE(caption.empty());
    for (std::size_t n = 0; n < caption.size(); ++n)
        replayRtf(caption.substr(0, n), "caption cut at " + std::to_string(n));
    for (int round = 0; round < 400; ++round) {
        std::string r = caption;
        for (int k = 0; k < 1 + round % 4; ++k)
            r[random() % r.size()] = static_cast<char>(random());
        replayRtf(r, "caption round " + std::to_string(round));
    }
}

TEST(DamagedFiles, ChosenFilesGiveTheExpectedOutcome) {
    platform::ScriptedMessageBoxes boxes;
    const QDir dir(testsupport::dataPath("report"));
    struct Case {
        const char* file;
        bool loads;
        int views; // views on page 1 when loaded
    };
    const Case templates[] = {
        {"t_bad_magic.rmf", false, 0},
        {"t_version44.rmf", false, 0},
        {"t_dictionary_huge_count.rmf", false, 0},
        {"t_end_offset_negative.rmf", false, 0},
        {"t_end_offset_zero.rmf", false, 0},
        {"t_type_above_ten.rmf", false, 0},
        {"t_type_nine_skipped.rmf", true, 10},       // the band record is skipped
        {"t_page_index_out_of_range.rmf", true, 10}, // so is a view of a missing page
        {"t_unknown_addin.rmf", true, 10},           // the shape is listed and skipped
        {"t_picture_bad_kind.rmf", true, 10},        // a damaged record is skipped
        {"t_stringlist_bad_separator.rmf", true, 10},
    };
    for (const Case& c : templates) {
        TRMReport report;
        RMStream stream(readAll(dir.filePath(c.file)));
        EXPECT_EQ(report.LoadFromStream(stream), c.loads) << c.file;
        if (c.loads) {
            ASSERT_GE(report.Pages.Count(), 1) << c.file;
            EXPECT_EQ(static_cast<int>(report.Pages[0]->Objects().size()), c.views) << c.file;
        }
    }
    const std::pair<const char*, bool> prepared[] = {
        {"p_bad_magic.rmp", false},
        {"p_huge_page_count.rmp", false},
        {"p_huge_background_count.rmp", false},
        {"p_page_end_backwards.rmp", false},
        {"p_compressed_flag.rmp", false},
        {"p_view_stream_garbage.rmp", true},
    };
    for (const auto& [file, loads] : prepared) {
        TRMReport report;
        RMStream stream(readAll(dir.filePath(file)));
        EXPECT_EQ(report.EMFPages.LoadFromStream(stream), loads) << file;
    }
    const std::pair<const char*, bool> richTexts[] = {
        {"r_not_rtf.rtf", false},
        {"r_deep_nesting.rtf", false},
        {"r_deep_skipped_destination.rtf", false},
        {"r_huge_bin.rtf", true},
        {"r_unterminated.rtf", true},
        {"r_many_paragraphs.rtf", true},
        {"r_too_tall_paragraphs.rtf", true},
    };
    for (const auto& [file, loads] : richTexts)
        EXPECT_EQ(replayRtf(readAll(dir.filePath(file)), file), loads) << file;
}
