// End to end: the real plug-in library loaded by the reference host's window over a real
// SQLite file through the host's own data service; keys typed as an operator would, the
// table checked after each step, message boxes as the operator sees them. One test per
// path through the boundary (embedded, dialog, rights from the host's job flag, failing
// host calls); the workflow's cases are RowWorkflowTest's.
//
// The grid is read the way any outside tool reads it: through Qt's accessible table.

#include "host/CoorDispService.h"
#include "host/DemoDatabase.h"
#include "host/HostWindow.h"
#include "host/JobFlagBlock.h"
#include "host/SqliteDatabase.h"
#include "platform/Colors.h"
#include "platform/MessageBox.h"
#include "platform/Modal.h"
#include "report/print/RMPdfPrinter.h"
#include "tests/archive/HostArchive.h"
#include "tests/support/TestSupport.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPointer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>
#include <gtest/gtest.h>
#include <optional>

namespace {

using archivetest::Rows;
constexpr unsigned kError = platform::MB_OK | platform::MB_ICONERROR;

class ArchiveAcceptanceTest : public ::testing::Test, protected archivetest::HostArchive {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        // No print server: the default printer is the PDF printer, writing into our folder.
        qputenv("CUPS_SERVER", qgetenv("XDG_RUNTIME_DIR") + "/no-cups.sock");
        report::setPdfOutputFolder(pdfFolder().toStdString());
        path = (dir.path() + "/archive.sqlite").toStdString();
        host::createDemoDatabase(path);
        database = std::make_shared<host::SqliteDatabase>(
            path, host::SqliteDatabase::OpenMode::ExistingOnly);
        ref = host::CoorDispService::create(database, &service);
        service->setFixedDateTime("20261209104500");
        sql("delete from tbHsdwda; insert into tbHsdwda values('0001','集团总部'),"
            "('0002','北京分公司'),('0009','武汉分公司')");
    }

    void TearDown() override { close(); }

    void sql(const std::string& text) { database->executeOrThrow(text); }
    void param(const std::string& name, const std::optional<std::string>& value) {
        sql("delete from " + std::string(host::kSysParamTable) + " where f_Csmc='" + name + "'");
        if (value)
            sql("insert into " + std::string(host::kSysParamTable) + " values('" + name + "','" +
                *value + "')");
    }

    // Opens the archive through the entry points as the host does.
    void open(bool embedded = true, const std::string& operatorCode = "0002") {
        HostArchive::open(ref,
                          {operatorCode, embedded, {900, 600}, [this] { service->clearCalls(); }});
    }
    QToolButton* button(const char* name) const { return plugin()->findChild<QToolButton*>(name); }

    Rows table() { return archivetest::storedUnits(*database); }
    // The table holds exactly the grid's rows (but a trailing new row not stored yet).
    void expectTableShowsGrid(int pending = 0) {
        Rows shown = gridRows();
        shown.resize(shown.size() - static_cast<std::size_t>(pending));
        std::sort(shown.begin(), shown.end());
        EXPECT_EQ(table(), shown);
    }
    std::vector<std::string> takeBoxes() { return testsupport::takeBoxTexts(boxes); }

    QString pdfFolder() const { return dir.filePath("pdf"); }
    QStringList printedFiles() const {
        return QDir(pdfFolder()).entryList({"*.pdf"}, QDir::Files, QDir::Name);
    }
    // The text of each page of a printed file.
    static QStringList pdfPages(const QString& file) {
        QProcess process;
        process.start("pdftotext", {"-layout", file, "-"});
        if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit ||
            process.exitCode() != 0) {
            ADD_FAILURE() << "pdftotext failed on " << file.toStdString() << ": "
                          << process.errorString().toStdString()
                          << process.readAllStandardError().toStdString();
            return {};
        }
        QStringList pages = QString::fromUtf8(process.readAllStandardOutput()).split(u'\f');
        if (!pages.isEmpty() && pages.back().trimmed().isEmpty())
            pages.removeLast();
        return pages;
    }
    quint32 titleFontColor() const { return grid()->property("titleFontColor").toUInt(); }
    void addUnits(int count) {
        std::string statements = "delete from tbHsdwda;";
        for (int i = 1; i <= count; ++i)
            statements += "insert into tbHsdwda values('" +
                          QString::asprintf("%04d", i).toStdString() + "','单位" +
                          std::to_string(i) + "');";
        sql("begin;" + statements + "commit;");
    }
    std::vector<std::string> statements() const {
        std::vector<std::string> out;
        for (const auto& c : service->calls())
            if (c.dispId == PLATFORM_DISPID_EXEC_SQL)
                out.push_back(c.sql);
        return out;
    }

    QTemporaryDir dir;
    std::string path;
    std::shared_ptr<host::SqliteDatabase> database;
    platform::DispatchRef ref;
    host::CoorDispService* service = nullptr;
    platform::ScriptedMessageBoxes boxes;
};

} // namespace

TEST_F(ArchiveAcceptanceTest, OperatorMaintainsTheArchiveWithKeysOnly) {
    open();
    EXPECT_EQ(gridRows(),
              (Rows{{"0001", "集团总部"}, {"0002", "北京分公司"}, {"0009", "武汉分公司"}}));
    EXPECT_TRUE(button("btnAdd")->isVisible());
    EXPECT_EQ(accessibleGrid()->tableInterface()->columnDescription(0), "核算单位编码");

    // Add: the next code is proposed, the name typed, Enter saves and opens the next row.
    key(Qt::Key_A, Qt::ControlModifier);
    key(Qt::Key_Return);
    EXPECT_EQ(cell(0, 4), "0010");
    type("南京");
    EXPECT_EQ(currentText(), "南京") << "the editor's text";
    type("分公司");
    key(Qt::Key_Return);
    expectTableShowsGrid(1);
    EXPECT_EQ(table().back(), (std::vector<std::string>{"0010", "南京分公司"}));
    // Leaving the blank row removes it silently.
    key(Qt::Key_Up);
    EXPECT_EQ(rowCount(), 5);
    expectTableShowsGrid();

    // Insert above 0002 (row 2).
    key(Qt::Key_Up);
    key(Qt::Key_Up);
    key(Qt::Key_I, Qt::ControlModifier);
    type("0005");
    key(Qt::Key_Right);
    type("深圳分公司");
    key(Qt::Key_Down);
    EXPECT_EQ(gridRows()[1], (std::vector<std::string>{"0005", "深圳分公司"}));
    expectTableShowsGrid();

    // Rename row 3 (0002): Enter in the name column saves and goes to the next row's code.
    EXPECT_EQ(currentRow(), 3);
    type("北京公司");
    key(Qt::Key_Return);
    EXPECT_EQ(currentRow(), 4);
    EXPECT_EQ(currentCol(), 0);
    expectTableShowsGrid();
    EXPECT_EQ(table()[1], (std::vector<std::string>{"0002", "北京公司"}));

    // Re-code row 4 (0009 → 0019).
    type("0019");
    key(Qt::Key_Up);
    expectTableShowsGrid();
    EXPECT_EQ(cell(0, 4), "0019");

    // A duplicate code is refused with the message, owned by the host's window; the row
    // keeps its stored code.
    key(Qt::Key_Down);
    key(Qt::Key_Left, Qt::ControlModifier);
    type("0001");
    key(Qt::Key_Up);
    ASSERT_EQ(boxes.count(), 1u);
    EXPECT_EQ(boxes.last().text, "0001核算单位存在,无法修改!");
    EXPECT_EQ(boxes.last().caption, "错误");
    EXPECT_EQ(boxes.last().flags, kError);
    EXPECT_EQ(boxes.last().owner, platform::handleOf(hostWindow()));
    boxes.clear();
    EXPECT_EQ(currentRow(), 4);
    EXPECT_EQ(cell(0, 4), "0019");
    expectTableShowsGrid();

    // Delete it.
    key(Qt::Key_D, Qt::ControlModifier);
    expectTableShowsGrid();
    EXPECT_EQ(table(), (Rows{{"0001", "集团总部"},
                             {"0002", "北京公司"},
                             {"0005", "深圳分公司"},
                             {"0010", "南京分公司"}}));

    // A new row without a code is refused by the plug-in window's own box; deleting the new
    // row sends nothing.
    key(Qt::Key_A, Qt::ControlModifier);
    key(Qt::Key_Right);
    type("无编号");
    key(Qt::Key_Up);
    ASSERT_EQ(boxes.count(), 1u);
    EXPECT_EQ(boxes.last().text, "核算单位编号不能为空!");
    EXPECT_EQ(boxes.last().owner, platform::handleOf(plugin()));
    boxes.clear();
    service->clearCalls();
    key(Qt::Key_D, Qt::ControlModifier);
    EXPECT_TRUE(statements().empty());
    expectTableShowsGrid();

    // Refresh reloads what changed elsewhere.
    sql("insert into tbHsdwda values('0030','后勤服务中心')");
    key(Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(gridRows().back(), (std::vector<std::string>{"0030", "后勤服务中心"}));
    expectTableShowsGrid();
    EXPECT_EQ(takeBoxes(), std::vector<std::string>{});
}

TEST_F(ArchiveAcceptanceTest, RightsFollowParametersAndTheHostsJobFlag) {
    struct Case {
        std::optional<std::string> dwlx, zbbm, dchy;
        std::string job;
        bool buttons, edits;
    };
    const std::vector<Case> cases{
        {"00", "0001", "0", "", true, true},      {"00", "0002", "0", "", false, true},
        {"00", "0001", "1", "job", false, false}, {"00", "0001", "1", "jo", true, true},
        {"01", "0001", "0", "", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(*c.dwlx + "/" + *c.zbbm + "/" + *c.dchy + "/" + c.job);
        param("dwlx", c.dwlx);
        param("zbbm", c.zbbm);
        param("dchy", c.dchy);
        platform::SharedMemory block = host::publishJobFlag(c.job);
        open();
        EXPECT_EQ(button("btnAdd")->isVisible(), c.buttons);
        EXPECT_EQ(button("btnDelete")->isVisible(), c.buttons);
        key(Qt::Key_A, Qt::ControlModifier);
        EXPECT_EQ(rowCount(), c.edits ? 5 : 4);
        key(Qt::Key_Backspace); // read-only: ignored; editing: clears nothing on a new row
        type("77");
        EXPECT_EQ(currentText() == "77", c.edits);
        EXPECT_EQ(takeBoxes(), std::vector<std::string>{});
        close();
    }
}

TEST_F(ArchiveAcceptanceTest, FailingStartUpCallsLeaveAReadOnlyWindow) {
    const std::vector<std::pair<std::int32_t, std::string>> cases{
        {PLATFORM_DISPID_GET_SERVER_DATE_TIME, "时钟不可用"},
        {PLATFORM_DISPID_OPEN_QUERY, "职员表不可用"},
        {PLATFORM_DISPID_GET_SYS_PARAMS, "参数表不可用"},
    };
    for (const auto& [dispId, message] : cases) {
        SCOPED_TRACE(message);
        service->setFault(dispId, host::CoorDispService::Fault{false, {message}});
        open();
        service->clearFaults();
        ASSERT_EQ(boxes.count(), 1u);
        EXPECT_EQ(boxes.last().text, message);
        EXPECT_EQ(boxes.last().caption, "错误");
        EXPECT_EQ(boxes.last().flags, kError);
        boxes.clear();
        EXPECT_FALSE(button("btnAdd")->isVisible());
        key(Qt::Key_A, Qt::ControlModifier);
        type("12");
        EXPECT_EQ(gridRows(), (Rows{{"", ""}}));
        EXPECT_TRUE(statements().empty());
        close();
    }
}

TEST_F(ArchiveAcceptanceTest, DialogEscWritesTheRowAndNotifiesTheHostOnce) {
    open(false);
    EXPECT_EQ(plugin()->size(), QSize(644, 500));
    key(Qt::Key_A, Qt::ControlModifier);
    type("0011");
    key(Qt::Key_Right);
    type("杭州分公司");
    key(Qt::Key_Escape);
    testsupport::processEvents();
    EXPECT_EQ(plugin(), nullptr);
    EXPECT_EQ(hostWindow()->notifyControl()->closingNotices(), 1);
    EXPECT_EQ(table().back(), (std::vector<std::string>{"0011", "杭州分公司"}));
    EXPECT_EQ(takeBoxes(), std::vector<std::string>{});
}

namespace {

// What a printed page of the archive says, read back from its text. Blanks are collapsed:
// the PDF keeps where glyphs stand, not how many blank characters the caption had.
struct PrintedPage {
    bool title = false;
    bool columnTitles = false;
    Rows units;
    QString date, time, oper;
    int page = 0, pages = 0;
    int unitLine = -1, footerLine = -1; // units come before the footer
};

PrintedPage readPage(const QString& text) {
    static const QRegularExpression unit(QStringLiteral("^(\\d{4}) (\\S+)$"));
    static const QRegularExpression dateTime(QStringLiteral("打印日期:(\\S+) 打印时间:(\\S+)"));
    static const QRegularExpression oper(QStringLiteral("^操 作 员:(\\S*)$"));
    static const QRegularExpression pageOf(QStringLiteral("^页 数:第(\\d+)页/共(\\d+)页$"));
    PrintedPage p;
    const QStringList lines = text.split(u'\n');
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].simplified();
        if (line == "核算单位档案")
            p.title = true;
        else if (line == "核算单位编码 核算单位名称")
            p.columnTitles = true;
        else if (auto m = unit.match(line); m.hasMatch()) {
            p.units.push_back({m.captured(1).toStdString(), m.captured(2).toStdString()});
            p.unitLine = i;
        } else if (auto m = dateTime.match(line); m.hasMatch()) {
            p.date = m.captured(1);
            p.time = m.captured(2);
            p.footerLine = p.footerLine < 0 ? i : p.footerLine;
        } else if (auto m = oper.match(line); m.hasMatch()) {
            p.oper = m.captured(1);
        } else if (auto m = pageOf.match(line); m.hasMatch()) {
            p.page = m.captured(1).toInt();
            p.pages = m.captured(2).toInt();
        }
    }
    return p;
}

// Checks every page of a printed archive; returns the units in printed order.
Rows checkPrintedArchive(const QStringList& pages) {
    Rows units;
    const int count = static_cast<int>(pages.size());
    for (int k = 1; k <= count; ++k) {
        SCOPED_TRACE("page " + std::to_string(k));
        const PrintedPage p = readPage(pages[k - 1]);
        EXPECT_TRUE(p.title);
        EXPECT_TRUE(p.columnTitles);
        EXPECT_FALSE(p.units.empty());
        EXPECT_LT(p.unitLine, p.footerLine);
        EXPECT_EQ(p.date, "20261209") << "the server's date as it sent it";
        EXPECT_EQ(p.time, "104500");
        EXPECT_EQ(p.oper, "李晓红");
        EXPECT_EQ(p.page, k);
        EXPECT_EQ(p.pages, count);
        units.insert(units.end(), p.units.begin(), p.units.end());
    }
    return units;
}

} // namespace

// The demo database's units, printed; with SCREENSHOT_DIR set the file is kept there as
// archive-printout.pdf (the picture in docs/archive.md is its first page).
TEST_F(ArchiveAcceptanceTest, PrintAnsweredOkWritesTheArchiveToThePdfPrinter) {
    const std::string demoPath = (dir.path() + "/demo.sqlite").toStdString();
    host::createDemoDatabase(demoPath);
    platform::DataPacket demo;
    std::vector<std::string> errors;
    ASSERT_TRUE(host::SqliteDatabase(demoPath, host::SqliteDatabase::OpenMode::ExistingOnly)
                    .query("select f_Hsdwh,f_Hsdwmc from tbHsdwda", demo, errors));
    ASSERT_GT(demo.rows.size(), 20u);
    sql("delete from tbHsdwda");
    for (const auto& r : demo.rows)
        sql("insert into tbHsdwda values('" + r[0].value_or("") + "','" + r[1].value_or("") + "')");
    open();
    ASSERT_EQ(titleFontColor(), platform::clWindow); // as the window lays the grid out
    key(Qt::Key_P, Qt::ControlModifier);             // the box's default answer is OK
    ASSERT_EQ(boxes.count(), 2u);
    EXPECT_EQ(boxes.records()[0].text, "请准备好打印机，进行打印!");
    EXPECT_EQ(boxes.records()[0].caption, "提示");
    EXPECT_EQ(boxes.records()[0].flags, platform::MB_OKCANCEL | platform::MB_ICONINFORMATION);
    EXPECT_EQ(boxes.records()[1].text.rfind("报表已打印到 PDF 文件：", 0), 0u);
    boxes.clear();
    ASSERT_EQ(printedFiles().size(), 1);
    const QString file = pdfFolder() + "/" + printedFiles()[0];
    if (const QString keep = qEnvironmentVariable("SCREENSHOT_DIR"); !keep.isEmpty()) {
        QFile::remove(keep + "/archive-printout.pdf");
        EXPECT_TRUE(QFile::copy(file, keep + "/archive-printout.pdf"));
    }
    const QStringList pages = pdfPages(file);
    ASSERT_EQ(pages.size(), 1);
    const Rows printed = checkPrintedArchive(pages);
    EXPECT_EQ(printed.size(), demo.rows.size());
    EXPECT_EQ(printed, gridRows());
    EXPECT_EQ(titleFontColor(), platform::clWhite);
}

TEST_F(ArchiveAcceptanceTest, CancelAtTheConfirmationPrintsNothing) {
    open();
    boxes.answer(platform::IDCANCEL);
    key(Qt::Key_P, Qt::ControlModifier);
    ASSERT_EQ(boxes.count(), 1u);
    EXPECT_EQ(boxes.last().text, "请准备好打印机，进行打印!");
    boxes.clear();
    EXPECT_TRUE(printedFiles().isEmpty());
    EXPECT_EQ(titleFontColor(), platform::clWindow); // untouched
    EXPECT_TRUE(plugin()->isVisible());
}

TEST_F(ArchiveAcceptanceTest, AThousandUnitsNumberEveryPage) {
    addUnits(1000);
    open();
    ASSERT_EQ(rowCount(), 1001);
    key(Qt::Key_P, Qt::ControlModifier);
    ASSERT_EQ(boxes.count(), 2u);
    boxes.clear();
    ASSERT_EQ(printedFiles().size(), 1) << printedFiles().join(", ").toStdString();
    const QStringList pages = pdfPages(pdfFolder() + "/" + printedFiles()[0]);
    ASSERT_GT(pages.size(), 10);
    EXPECT_EQ(checkPrintedArchive(pages), gridRows());
}

// The preview shows the pages the print run prints: printed from the preview they read
// the same as the pages of Ctrl+P.
TEST_F(ArchiveAcceptanceTest, PreviewShowsThePrintedPagesAndRestoresTheTitleFont) {
    addUnits(120);
    open();
    key(Qt::Key_P, Qt::ControlModifier);
    ASSERT_EQ(printedFiles().size(), 1);
    const QString printed = printedFiles()[0];
    const QStringList pages = pdfPages(pdfFolder() + "/" + printed);
    ASSERT_GT(pages.size(), 1);
    boxes.clear();

    QString status;
    quint32 colourWhileShown = 0;
    platform::ModalHook hook([&](QWidget* preview) {
        colourWhileShown = titleFontColor();
        if (auto* label = preview->findChild<QLabel*>("lblStatus"))
            status = label->text();
        // The preview's own print command (the tool button with the printer).
        QToolBar* bar = preview->findChild<QToolBar*>("ToolBar1");
        ASSERT_NE(bar, nullptr);
        QAction* print = nullptr;
        for (QAction* a : bar->actions())
            if (a->toolTip() == "打印报表")
                print = a;
        ASSERT_NE(print, nullptr);
        print->trigger();
        testsupport::processEvents();
        preview->close();
    });
    key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(hook.count(), 1);
    EXPECT_TRUE(status.endsWith("1/" + QString::number(pages.size()))) << status.toStdString();
    EXPECT_EQ(colourWhileShown, platform::clBlack);
    EXPECT_EQ(titleFontColor(), platform::clWhite);

    QStringList files = printedFiles();
    files.removeAll(printed);
    ASSERT_EQ(files.size(), 1);
    EXPECT_EQ(pdfPages(pdfFolder() + "/" + files[0]), pages);
    ASSERT_EQ(boxes.count(), 1u);
    EXPECT_EQ(boxes.last().text.rfind("报表已打印到 PDF 文件：", 0), 0u);
}
