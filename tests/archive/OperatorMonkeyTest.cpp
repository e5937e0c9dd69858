// A seeded random operator on the real plug-in in the reference host over a real SQLite
// file: keys (Enter, Esc, arrows, Page Up/Down, the Ctrl shortcuts, Backspace, Delete,
// digits, letters), Chinese text committed by an input method, mouse clicks on cells and
// tool-bar buttons, and a random answer to every box. After every event the grid must stay
// in step with the table (every row but the current one is stored as shown, nothing is
// stored that the grid does not show), and whenever the window closes the table must hold
// exactly the rows the grid last showed, without a duplicate code.
//
// Seeds: HSDW_MONKEY_SEEDS="1,2,3" (default: four fixed seeds), events per seed:
// HSDW_MONKEY_EVENTS (default 2500). A failure names its seed and event number and lists
// the last events; replay it with
//   HSDW_MONKEY_SEEDS=<seed> build/tests/archive/archive_acceptance_tests
//       --gtest_filter='OperatorMonkeyTest.*'

#include "host/CoorDispService.h"
#include "host/DemoDatabase.h"
#include "host/HostWindow.h"
#include "host/SqliteDatabase.h"
#include "platform/Gbk.h"
#include "platform/MessageBox.h"
#include "tests/archive/HostArchive.h"
#include "tests/support/TestSupport.h"

#include <QAccessible>
#include <QApplication>
#include <QInputMethodEvent>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <gtest/gtest.h>
#include <random>
#include <set>
#include <sstream>

namespace {

using Row = std::vector<std::string>;
using archivetest::Rows;

std::vector<std::uint32_t> seedsFromEnvironment() {
    std::vector<std::uint32_t> seeds;
    if (const char* text = std::getenv("HSDW_MONKEY_SEEDS")) {
        std::stringstream in(text);
        std::string item;
        while (std::getline(in, item, ','))
            if (!item.empty())
                seeds.push_back(static_cast<std::uint32_t>(std::stoul(item)));
    }
    if (seeds.empty())
        seeds = {1, 20261209, 4242, 777};
    return seeds;
}

int eventsFromEnvironment() {
    const char* text = std::getenv("HSDW_MONKEY_EVENTS");
    return text ? std::max(1, std::atoi(text)) : 2500;
}

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// Closing with a row that cannot be written asks whether to give that change up.
bool isDiscardQuestion(const std::string& text) {
    return text.find("放弃这一行的修改并退出吗") != std::string::npos;
}

// Every box the archive may show an operator without any fault; anything else (the guard's
// report of an unexpected error above all) fails the run.
bool expectedBox(const std::string& text) {
    return text == "核算单位编号不能为空!" || endsWith(text, "核算单位存在,无法新增!") ||
           endsWith(text, "核算单位存在,无法修改!") || isDiscardQuestion(text);
}

class OperatorMonkeyTest : public ::testing::Test, protected archivetest::HostArchive {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        path = (dir.path() + "/archive.sqlite").toStdString();
        host::createDemoDatabase(path);
        database = std::make_shared<host::SqliteDatabase>(
            path, host::SqliteDatabase::OpenMode::ExistingOnly);
        ref = host::CoorDispService::create(database, &service);
        service->setFixedDateTime("20261209104500");
        previousHook_ = platform::setMessageBoxHook(&hook_);
    }

    void TearDown() override {
        close();
        platform::setMessageBoxHook(previousHook_);
    }

    void open() { HostArchive::open(ref, {"0002", true, {700, 420}, {}}); }

    // ---- the grid, read through its accessible table (row 0 is the title row)
    Row shown(int row) const {
        return {platform::trimBlanks(cell(0, row)), platform::trimBlanks(cell(1, row))};
    }

    Rows table() {
        Rows rows = archivetest::storedUnits(*database);
        for (Row& r : rows)
            r = {platform::trimBlanks(r[0]), platform::trimBlanks(r[1])};
        return rows;
    }

    // ---- the operator
    // Unlike HostArchive's keys, the operator's keys go only to the archive's own widgets,
    // and the events they cause are processed once per step.
    QWidget* operatorTarget() const {
        QWidget* focus = QApplication::focusWidget();
        return focus && plugin() && plugin()->isAncestorOf(focus) ? focus : grid();
    }
    void press(Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(operatorTarget(), k, modifiers);
    }
    void commitText(const QString& text) {
        QInputMethodEvent preedit(QStringLiteral("pinyin"), {});
        QApplication::sendEvent(operatorTarget(), &preedit);
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QApplication::sendEvent(operatorTarget(), &commit);
    }
    void clickCell(int col, int row) {
        QAccessibleInterface* c = accessibleGrid()->tableInterface()->cellAt(row - 1, col);
        if (!c)
            return;
        const QPoint global = c->rect().center();
        const QPoint local = grid()->mapFromGlobal(global);
        QWidget* target = grid()->childAt(local);
        if (!target)
            target = grid();
        QTest::mouseClick(target, Qt::LeftButton, Qt::NoModifier, target->mapFromGlobal(global));
    }
    void clickButton(const char* name) {
        QToolButton* b = plugin()->findChild<QToolButton*>(name);
        if (b && b->isVisible())
            QTest::mouseClick(b, Qt::LeftButton);
    }

    // One random event; returns its description.
    std::string step(std::mt19937& rng) {
        static const char* const kNames[] = {"分公司", "集团", "研究院",   "仓库",
                                             "财务部", "華東", "物流中心", "测试"};
        auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
        const int kind = pick(100);
        if (kind < 10) {
            press(Qt::Key_Return);
            return "Enter";
        }
        if (kind < 12) {
            snapshot_ = gridSnapshot();
            press(Qt::Key_Escape);
            return "Esc";
        }
        if (kind < 30) {
            static const Qt::Key arrows[] = {Qt::Key_Up, Qt::Key_Down, Qt::Key_Left, Qt::Key_Right};
            static const char* const names[] = {"Up", "Down", "Left", "Right"};
            const int a = pick(4);
            press(arrows[a]);
            return names[a];
        }
        if (kind < 33) {
            const bool up = pick(2) == 0;
            press(up ? Qt::Key_PageUp : Qt::Key_PageDown);
            return up ? "PageUp" : "PageDown";
        }
        if (kind < 43) {
            static const Qt::Key letters[] = {Qt::Key_A, Qt::Key_I, Qt::Key_D, Qt::Key_R};
            static const char* const names[] = {"Ctrl+A", "Ctrl+I", "Ctrl+D", "Ctrl+R"};
            // Adding and renaming more often than deleting keeps the list from emptying.
            static const int weights[] = {0, 0, 0, 0, 1, 1, 1, 2, 2, 3};
            const int a = weights[pick(10)];
            press(letters[a], Qt::ControlModifier);
            return names[a];
        }
        if (kind < 48) {
            press(Qt::Key_Backspace);
            return "Backspace";
        }
        if (kind < 51) {
            press(Qt::Key_Delete);
            return "Delete";
        }
        if (kind < 70) {
            const char digit = static_cast<char>('0' + pick(10));
            QTest::keyClick(operatorTarget(), digit);
            return std::string("digit ") + digit;
        }
        if (kind < 78) {
            const char letter = static_cast<char>('a' + pick(26));
            QTest::keyClick(operatorTarget(), letter);
            return std::string("letter ") + letter;
        }
        if (kind < 85) {
            const char* text = kNames[pick(8)];
            commitText(QString::fromUtf8(text));
            return std::string("input method ") + text;
        }
        if (kind < 94) {
            const int row = 1 + pick(std::max(1, rowCount() - 1));
            const int col = pick(2);
            clickCell(col, row);
            return "click cell " + std::to_string(col) + "," + std::to_string(row);
        }
        static const char* const buttons[] = {"btnAdd",     "btnInsert", "btnDelete",
                                              "btnRefresh", "btnAdd",    "btnExit"};
        const char* name = buttons[pick(6)];
        if (std::string(name) == "btnExit")
            snapshot_ = gridSnapshot();
        clickButton(name);
        return std::string("click ") + name;
    }

    // The grid's rows as shown, a blank row (the new row a close drops) left out.
    Rows gridSnapshot() const {
        Rows rows;
        for (int r = 1; r < rowCount(); ++r) {
            Row row = shown(r);
            if (!row[0].empty() || !row[1].empty())
                rows.push_back(row);
        }
        return rows;
    }

    std::string dump() {
        std::string text = "grid (current row " + std::to_string(currentRow()) + "):\n";
        for (int r = 1; r < rowCount(); ++r)
            text += "  " + std::to_string(r) + " {" + cell(0, r) + "," + cell(1, r) + "}\n";
        text += "table:\n";
        for (const Row& r : table())
            text += "  {" + r[0] + "," + r[1] + "}\n";
        return text;
    }

    // Every row but the current one is stored as shown; the table holds at most one row
    // more (the current row's stored values while it is being edited).
    void checkInStep(const std::string& where) {
        Rows others;
        const int current = currentRow();
        for (int r = 1; r < rowCount(); ++r) {
            if (r == current)
                continue;
            others.push_back(shown(r));
            // Only the row the operator is on can hold what a write refused.
            if (!rowNote(r).empty()) {
                ADD_FAILURE() << where << ": row " << r << " is marked \"" << rowNote(r)
                              << "\" but is not the current row " << current << "\n"
                              << dump();
                return;
            }
        }
        Rows stored = table();
        std::multiset<Row> left(stored.begin(), stored.end());
        for (const Row& r : others) {
            auto it = left.find(r);
            if (it == left.end()) {
                ADD_FAILURE() << where << ": the grid shows {" << r[0] << "," << r[1]
                              << "} (not the current row " << current
                              << ") that the table does not hold\n"
                              << dump();
                return;
            }
            left.erase(it);
        }
        EXPECT_LE(left.size(), 1u) << where << ": the table holds rows the grid does not show\n"
                                   << dump();
    }

    void checkClosed(const std::string& where) {
        Rows stored = table();
        Rows expected = snapshot_;
        std::sort(expected.begin(), expected.end());
        if (discarded_) {
            // The row given up is not stored as shown; its stored values (if it had any) are.
            std::multiset<Row> left(stored.begin(), stored.end());
            for (const Row& r : expected) {
                const auto it = left.find(r);
                EXPECT_NE(it, left.end()) << where << ": {" << r[0] << "," << r[1]
                                          << "} not stored after a discarded change";
                if (it != left.end())
                    left.erase(it);
            }
            EXPECT_LE(left.size(), 1u) << where << ": after a discarded change";
            discarded_ = false;
        } else {
            EXPECT_EQ(stored, expected) << where << ": after the window closed";
        }
        std::set<std::string> codes;
        for (const Row& r : stored)
            EXPECT_TRUE(codes.insert(r[0]).second) << where << ": duplicate code " << r[0];
    }

    int boxAnswer(const char* text, unsigned flags) {
        const std::string t = text ? text : "";
        if (!expectedBox(t))
            ADD_FAILURE() << context_ << ": unexpected box: " << t;
        ++boxes_;
        if (isDiscardQuestion(t)) {
            const bool discard = rng_() % 2 == 0;
            if (discard) {
                // What stays is every row but the one given up.
                snapshot_.clear();
                for (int r = 1; r < rowCount(); ++r) {
                    Row row = shown(r);
                    if (r != currentRow() && (!row[0].empty() || !row[1].empty()))
                        snapshot_.push_back(row);
                }
                discarded_ = true;
            }
            return discard ? platform::IDYES : platform::IDNO;
        }
        switch (flags & platform::MB_TYPEMASK) {
        case platform::MB_OKCANCEL:
            return rng_() % 2 ? platform::IDOK : platform::IDCANCEL;
        case platform::MB_YESNO:
            return rng_() % 2 ? platform::IDYES : platform::IDNO;
        case platform::MB_YESNOCANCEL: {
            static const int answers[] = {platform::IDYES, platform::IDNO, platform::IDCANCEL};
            return answers[rng_() % 3];
        }
        default:
            return platform::IDOK;
        }
    }

    static int showBox(void* self, std::uintptr_t, const char* text, const char*, unsigned flags) {
        return static_cast<OperatorMonkeyTest*>(self)->boxAnswer(text, flags);
    }

    QTemporaryDir dir;
    std::string path;
    std::shared_ptr<host::SqliteDatabase> database;
    platform::DispatchRef ref;
    host::CoorDispService* service = nullptr;

    platform::PlatformMessageBoxHook hook_{&OperatorMonkeyTest::showBox, this};
    const platform::PlatformMessageBoxHook* previousHook_ = nullptr;
    std::mt19937 rng_;
    std::string context_;
    Rows snapshot_;
    bool discarded_ = false; // the last close gave up the current row's change
    int boxes_ = 0;
};

} // namespace

TEST_F(OperatorMonkeyTest, RandomOperatorNeverLosesOrDuplicatesAUnit) {
    const int events = eventsFromEnvironment();
    for (std::uint32_t seed : seedsFromEnvironment()) {
        database->executeOrThrow(
            "delete from tbHsdwda; insert into tbHsdwda values('0001','集团总部'),"
            "('0002','北京分公司'),('0003','上海分公司'),('0009','武汉分公司'),"
            "('0012','成都分公司')");
        std::mt19937 rng(seed);
        rng_.seed(seed ^ 0x5bd1e995u);
        boxes_ = 0;
        int closes = 0;
        std::deque<std::string> recent;
        open();
        ASSERT_FALSE(HasFailure());
        for (int i = 0; i < events && !HasFailure(); ++i) {
            context_ = "seed " + std::to_string(seed) + ", event " + std::to_string(i);
            recent.push_back(step(rng));
            if (recent.size() > 25)
                recent.pop_front();
            testsupport::processEvents();
            if (!isOpen()) {
                ++closes;
                checkClosed(context_ + " (" + recent.back() + ")");
                close();
                open();
            } else {
                checkInStep(context_ + " (" + recent.back() + ")");
            }
            if (HasFailure()) {
                std::string trail;
                for (const std::string& e : recent)
                    trail += "  " + e + "\n";
                ADD_FAILURE() << "monkey failed at " << context_ << "; replay with "
                              << "HSDW_MONKEY_SEEDS=" << seed << " HSDW_MONKEY_EVENTS=" << i + 1
                              << "; last events:\n"
                              << trail;
            }
        }
        // The operator leaves: Esc until the window goes (a refused row is emptied first).
        if (!HasFailure() && plugin()) {
            context_ = "seed " + std::to_string(seed) + ", closing";
            for (int tries = 0; tries < 5 && isOpen(); ++tries) {
                if (tries > 0) {
                    press(Qt::Key_D, Qt::ControlModifier); // drop a refused row
                    testsupport::processEvents();
                }
                snapshot_ = gridSnapshot();
                press(Qt::Key_Escape);
                testsupport::processEvents();
            }
            EXPECT_FALSE(isOpen()) << context_;
            checkClosed(context_);
        }
        std::printf("monkey seed %u: %d events, %d boxes answered, %d closes\n", seed, events,
                    boxes_, closes);
        close();
        if (HasFailure())
            break;
    }
}
