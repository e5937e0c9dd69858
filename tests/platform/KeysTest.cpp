// Key translation into key-down, character and key-up phases, and the form's key preview.

#include "platform/Keys.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>
#include <string>

using namespace platform;

TEST(Keys, VirtualKeyCodesFollowTheWindowsNumbers) {
    auto vk = [](Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        return virtualKeyOf(QKeyEvent(QEvent::KeyPress, key, mods));
    };
    EXPECT_EQ(vk(Qt::Key_Return), 13);
    EXPECT_EQ(vk(Qt::Key_Enter, Qt::KeypadModifier), 13);
    EXPECT_EQ(vk(Qt::Key_Escape), 27);
    EXPECT_EQ(vk(Qt::Key_Left), 37);
    EXPECT_EQ(vk(Qt::Key_Up), 38);
    EXPECT_EQ(vk(Qt::Key_Right), 39);
    EXPECT_EQ(vk(Qt::Key_Down), 40);
    EXPECT_EQ(vk(Qt::Key_Delete), 46);
    EXPECT_EQ(vk(Qt::Key_Backspace), 8);
    EXPECT_EQ(vk(Qt::Key_F2), 113);
    EXPECT_EQ(vk(Qt::Key_F3), 114);
    EXPECT_EQ(vk(Qt::Key_Home), 36);
    EXPECT_EQ(vk(Qt::Key_PageDown), 34);
    EXPECT_EQ(vk(Qt::Key_Insert), 45);
    EXPECT_EQ(vk(Qt::Key_A), 65);
    EXPECT_EQ(vk(Qt::Key_7), 55);
    EXPECT_EQ(vk(Qt::Key_unknown), 0);
    for (Word code : {VK_RETURN, VK_ESCAPE, VK_DELETE, VK_F2, Word('Q'), Word('5')})
        EXPECT_EQ(virtualKeyOf(QKeyEvent(QEvent::KeyPress, qtKeyOf(code), Qt::NoModifier)), code);

    EXPECT_EQ(shiftStateOf(Qt::ShiftModifier | Qt::ControlModifier),
              ShiftFlag::Shift | ShiftFlag::Ctrl);
    EXPECT_TRUE(shiftStateOf(Qt::NoModifier).empty());
}

TEST(Keys, CharactersCarryWindowsControlCodes) {
    auto chars = [](Qt::Key key, Qt::KeyboardModifiers mods, const QString& text = {}) {
        return charactersOf(QKeyEvent(QEvent::KeyPress, key, mods, text));
    };
    EXPECT_EQ(chars(Qt::Key_Return, Qt::NoModifier), QString(QChar(13)));
    EXPECT_EQ(chars(Qt::Key_Backspace, Qt::NoModifier), QString(QChar(8)));
    EXPECT_EQ(chars(Qt::Key_Escape, Qt::NoModifier), QString(QChar(27)));
    EXPECT_EQ(chars(Qt::Key_C, Qt::ControlModifier), QString(QChar(3)));
    EXPECT_TRUE(chars(Qt::Key_Delete, Qt::NoModifier, "\x7f").isEmpty());
    EXPECT_TRUE(chars(Qt::Key_X, Qt::AltModifier, "x").isEmpty());
    EXPECT_EQ(chars(Qt::Key_unknown, Qt::NoModifier, "核"), "核");
}

namespace {

// A control of ours that runs the three phases and logs them.
class PhaseControl : public QWidget {
public:
    std::string log;
    QString typed;
    Word consumeKey = 0;
    char32_t consumeChar = 0;

    PhaseControl() {
        setFocusPolicy(Qt::StrongFocus);
        markOwnKeyPhases(this);
    }

protected:
    void keyPressEvent(QKeyEvent* event) override {
        KeyHandlers h;
        h.keyDown = [this](Word& key, TShiftState) {
            log += "down" + std::to_string(key) + ";";
            if (key == consumeKey)
                key = 0;
        };
        h.keyPress = [this](char32_t& ch) {
            log += "press" + std::to_string(unsigned(ch)) + ";";
            if (ch == consumeChar)
                ch = 0;
        };
        typed += runKeyPress(this, *event, h).characters;
    }
    void keyReleaseEvent(QKeyEvent* event) override {
        KeyHandlers h;
        h.keyUp = [this](Word& key, TShiftState) { log += "up" + std::to_string(key) + ";"; };
        runKeyRelease(this, *event, h);
    }
};

} // namespace

TEST(Keys, PhasesRunInOrderAndStopWhenConsumed) {
    PhaseControl control;
    control.show();
    control.setFocus();
    QTest::keyClick(&control, Qt::Key_A, Qt::NoModifier);
    EXPECT_EQ(control.log, "down65;press97;up65;");
    EXPECT_EQ(control.typed, "a");

    control.log.clear();
    control.consumeKey = VK_RETURN;
    QTest::keyClick(&control, Qt::Key_Return);
    EXPECT_EQ(control.log, "down13;up13;") << "a consumed key-down has no character phase";

    control.log.clear();
    QTest::sendKeyEvent(QTest::Click, &control, Qt::Key_unknown, QString("核"), Qt::NoModifier);
    EXPECT_EQ(control.log, "press26680;") << "text without a key code has only a character phase";
}

TEST(Keys, FormPreviewSeesKeysFirst) {
    QWidget form;
    auto* layout = new QVBoxLayout(&form);
    auto* ours = new PhaseControl;
    auto* edit = new QLineEdit;
    layout->addWidget(ours);
    layout->addWidget(edit);
    std::string formLog;
    KeyHandlers preview;
    preview.keyDown = [&](Word& key, TShiftState) {
        formLog += "fdown" + std::to_string(key) + ";";
        if (key == VK_ESCAPE)
            key = 0;
    };
    preview.keyPress = [&](char32_t& ch) {
        formLog += "fpress" + std::to_string(unsigned(ch)) + ";";
        if (ch == U'x')
            ch = 0;
        if (ch == U'a')
            ch = U'b';
    };
    KeyPreview keyPreview(&form, preview);
    form.show();

    QTest::keyClick(ours, Qt::Key_A);
    EXPECT_EQ(formLog + ours->log, "fdown65;fpress97;down65;press98;up65;");

    formLog.clear();
    ours->log.clear();
    QTest::keyClick(ours, Qt::Key_Escape);
    EXPECT_EQ(ours->log, "up27;") << "the preview consumed the key-down";

    // Qt's own controls get the re-written event.
    QTest::keyClicks(edit, "xay");
    EXPECT_EQ(edit->text(), "by");
}
