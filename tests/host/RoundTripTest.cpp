// Values the plug-in quotes into its statements survive the whole way through PostgreSQL:
// typed into the archive window, inserted, read back into the grid through the host's
// query packets and written again by a re-code. Single quotes, backslashes, semicolons,
// comment and dollar-quote markers, characters only GBK has and characters GBK lacks.

#include "host/CoorDispService.h"
#include "host/HostWindow.h"
#include "host/PluginLibrary.h"
#include "host/PostgresDatabase.h"
#include "platform/MessageBox.h"
#include "tests/support/PgCluster.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QTest>

#include <algorithm>
#include <gtest/gtest.h>

namespace {

host::PluginLibrary& library() {
    static host::PluginLibrary loaded(HSDW_PLUGIN_PATH);
    return loaded;
}

class RoundTripTest : public ::testing::Test {
protected:
    void SetUp() override {
        ref = host::CoorDispService::create(
            std::make_shared<host::PostgresDatabase>(db.operatorUri()), &service);
        window = std::make_unique<host::HostWindow>(library(), ref, "0001");
        window->resize(900, 600);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        ASSERT_TRUE(window->openEmbedded());
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        grid = window->pluginWindow()->findChild<QWidget*>(QStringLiteral("sgdAcountUnitArchives"));
        ASSERT_NE(grid, nullptr);
        grid->setFocus();
        testsupport::processEvents();
    }
    void TearDown() override {
        if (window && window->pluginWindow())
            delete window->pluginWindow();
        window.reset();
        testsupport::processEvents();
    }

    QWidget* target() const {
        QWidget* focus = QApplication::focusWidget();
        return focus ? focus : grid;
    }
    void key(Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(target(), k, modifiers);
        testsupport::processEvents();
    }
    // One key event per character, a character outside the basic plane as one event too,
    // the way an input method delivers it.
    void type(const QString& text) {
        for (char32_t ch : text.toUcs4()) {
            if (ch < 0x80)
                QTest::keyClick(target(), char(ch));
            else
                QTest::sendKeyEvent(QTest::Click, target(), Qt::Key_unknown,
                                    QString::fromUcs4(&ch, 1), Qt::NoModifier);
        }
        testsupport::processEvents();
    }

    std::string table() {
        platform::DataPacket rows;
        std::vector<std::string> errors;
        EXPECT_TRUE(db.admin().query(
            "select string_agg(f_Hsdwh || '=' || f_Hsdwmc, '|') from tbHsdwda", rows, errors));
        return rows.rows.at(0).at(0).value_or("");
    }

    testsupport::PgTestDatabase db{testsupport::PgTestDatabase::Setup::Empty};
    platform::ScriptedMessageBoxes boxes;
    host::CoorDispService* service = nullptr;
    platform::DispatchRef ref;
    std::unique_ptr<host::HostWindow> window;
    QWidget* grid = nullptr;
};

} // namespace

TEST_F(RoundTripTest, QuotedValuesComeBackExactly) {
    const std::vector<QString> names{
        QStringLiteral("O'Brien''s 单位"),
        QStringLiteral("C:\\财务\\新建\\"),
        QStringLiteral("甲; drop table tbHsdwda; --"),
        QStringLiteral("x'); delete from tbHsdwda; --"),
        QStringLiteral("--注释 /*块*/ $$美元$$ $a$"),
        QStringLiteral("堃镕喆昇"),
        QString::fromUtf8("𠀀😀 不在GBK里"),
    };
    for (const QString& name : names) {
        const std::string text = name.toStdString();
        SCOPED_TRACE(text);
        db.admin().executeOrThrow("delete from tbHsdwda");
        key(Qt::Key_R, Qt::ControlModifier); // the empty archive: one blank row

        key(Qt::Key_Left);
        type(QStringLiteral("0031"));
        key(Qt::Key_Right);
        type(name);
        key(Qt::Key_Return);
        EXPECT_EQ(table(), "0031=" + text);

        // Read back through the host's packets, then written again by a re-code that
        // carries the name as the grid shows it.
        key(Qt::Key_R, Qt::ControlModifier);
        service->clearCalls();
        key(Qt::Key_Left);
        type(QStringLiteral("0032"));
        key(Qt::Key_Down);
        EXPECT_EQ(table(), "0032=" + text);
        std::string quoted;
        for (char c : text)
            quoted += c == '\'' ? std::string("''") : std::string(1, c);
        const auto update =
            std::find_if(service->calls().begin(), service->calls().end(),
                         [](const auto& call) { return call.dispId == PLATFORM_DISPID_EXEC_SQL; });
        ASSERT_NE(update, service->calls().end());
        EXPECT_EQ(update->sql, "Update tbHsdwda set f_Hsdwh='0032',f_Hsdwmc='" + quoted +
                                   "' where(f_Hsdwh='0031')");
        EXPECT_EQ(boxes.count(), 0u) << boxes.last().text;
    }
}
