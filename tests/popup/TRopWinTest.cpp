#include "popup/TRopWin.h"

#include "platform/MessageBox.h"
#include "platform/Modal.h"
#include "popup/TRopInst.h"
#include "tests/support/TestSupport.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

using namespace popup;

namespace {

const QColor kCover(0x30, 0x90, 0xF0);

// A window covering the whole screen in one colour; counts the mouse presses it receives.
class Cover : public QWidget {
public:
    Cover() {
        setWindowFlags(Qt::FramelessWindowHint);
        setGeometry(QGuiApplication::primaryScreen()->geometry());
        setAutoFillBackground(false);
    }
    int presses = 0;
    int keys = 0;

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), kCover); }
    void mousePressEvent(QMouseEvent*) override { ++presses; }
    void keyPressEvent(QKeyEvent*) override { ++keys; }
};

// The archive window's shortcut list.
void fillShortcutText(TRopWin& rop) {
    rop.Font.Name = "MS Sans Serif";
    rop.Font.Height = -11;
    rop.Font.Charset = platform::DEFAULT_CHARSET;
    rop.Font.Color = platform::clWindowText;
    rop.Lines = {"快捷键：", "", "    增  加: Ctrl+A (增加一个核算单位项目)", "    刷  新: Ctrl+R",
                 "    退  出: ESC"};
}

class PopupTest : public ::testing::Test {
protected:
    void SetUp() override {
        cover.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&cover));
    }
    Cover cover;
    TRopWin rop;
};

} // namespace

TEST_F(PopupTest, EmptyLinesShowTheErrorBoxAndNoWindow) {
    platform::ScriptedMessageBoxes boxes;
    platform::ModalHook hook([](QWidget*) {});
    rop.ApplicationWindow = platform::handleOf(&cover);
    rop.ShowPopup();
    ASSERT_EQ(boxes.count(), 1u);
    EXPECT_EQ(boxes.last().text, "The Lines is empty");
    EXPECT_EQ(boxes.last().caption, "Error");
    EXPECT_EQ(boxes.last().flags, platform::MB_OK);
    EXPECT_EQ(boxes.last().owner, platform::handleOf(&cover));
    EXPECT_EQ(hook.count(), 0);
}

TEST_F(PopupTest, CentredByTextSizeOrPlacedAtTheGivenPosition) {
    fillShortcutText(rop);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QSize text;
    QRect shown;
    platform::ModalHook hook([&](QWidget* w) {
        auto* note = qobject_cast<TRopInst*>(w);
        ASSERT_NE(note, nullptr);
        text = note->textSize();
        shown = note->geometry();
        EXPECT_EQ(note->windowTitle(), "RopInst");
        EXPECT_TRUE(note->windowFlags() & Qt::FramelessWindowHint);
        QTest::keyClick(note->windowHandle(), Qt::Key_Space);
    });
    rop.ShowPopup();
    ASSERT_EQ(hook.count(), 1);
    EXPECT_GT(text.width(), 100);
    EXPECT_GE(text.height(), 5 * 11); // five lines of an 11-pixel font
    EXPECT_EQ(shown,
              QRect((screen.width() - text.width()) / 2, (screen.height() - text.height()) / 2,
                    text.width() + 40, text.height() + 30));

    rop.xPos = 100;
    rop.ShowPopup();
    EXPECT_EQ(shown.topLeft(), QPoint(100, (screen.height() - text.height()) / 2));
    rop.xPos = 0;
    rop.yPos = 7;
    rop.ShowPopup();
    EXPECT_EQ(shown.topLeft(), QPoint((screen.width() - text.width()) / 2, 7));
    EXPECT_EQ(rop.window(), nullptr);
}

TEST_F(PopupTest, PaintsNoteTextAndDottedShadowOverWhatWasOnScreen) {
    fillShortcutText(rop);
    QImage image;
    platform::ModalHook hook([&](QWidget* w) {
        image = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QTest::keyClick(w->windowHandle(), Qt::Key_Escape);
    });
    rop.ShowPopup();
    ASSERT_FALSE(image.isNull());
    const int cw = image.width(), ch = image.height();
    const QColor black(0, 0, 0), white(255, 255, 255);
    auto at = [&](int x, int y) { return image.pixelColor(x, y); };
    // Untouched: the margin above and left of the note, the two free shadow corners.
    EXPECT_EQ(at(0, 0), kCover);
    EXPECT_EQ(at(0, ch / 2), kCover);
    EXPECT_EQ(at(cw - 8, 8), kCover);
    EXPECT_EQ(at(8, ch - 8), kCover);
    // The note: black outline, white fill, black text somewhere inside the text area.
    EXPECT_EQ(at(1, ch / 2), black);
    EXPECT_EQ(at(2, ch / 2), black);
    EXPECT_EQ(at(3, ch / 2), white);
    EXPECT_EQ(at(cw - 17, 40), black);
    EXPECT_EQ(at(cw - 19, 40), white);
    EXPECT_EQ(at(cw / 2, 1), black);
    EXPECT_EQ(at(cw / 2, ch - 17), black);
    int ink = 0;
    for (int y = 6; y < ch - 21; ++y)
        for (int x = 6; x < cw - 21; ++x)
            ink += at(x, y).lightness() < 100;
    EXPECT_GT(ink, 50);
    // Shadow: the screen ANDed with the pattern, 1 bits keep the screen, 0 bits turn black.
    const std::uint8_t rows[8] = {0xAA, 0x00, 0x55, 0x00, 0xAA, 0x00, 0x55, 0x00};
    int kept = 0, darkened = 0;
    auto checkBand = [&](int x0, int y0, int x1, int y1) {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                const bool one = rows[y % 8] & (0x80 >> (x % 8));
                const QColor expected = one ? kCover : black;
                if (at(x, y) != expected) {
                    ADD_FAILURE() << "shadow pixel " << x << "," << y;
                    return;
                }
                (one ? kept : darkened)++;
            }
    };
    checkBand(16, ch - 16, cw, ch);
    checkBand(cw - 16, 16, cw, ch - 16);
    EXPECT_GT(kept, 0);
    EXPECT_GT(darkened, 2 * kept); // 48 of every 64 pattern bits are 0
}

TEST_F(PopupTest, AnyKeyOrMouseButtonClosesAndAnOutsideClickGoesNowhere) {
    fillShortcutText(rop);
    int step = 0;
    bool closedByAction = false;
    platform::ModalHook hook([&](QWidget* w) {
        ASSERT_TRUE(w->isVisible());
        switch (step) {
        case 0: // a modifier alone is a key too (keys go to the note, which holds the focus)
            QTest::keyClick(w->windowHandle(), Qt::Key_Shift);
            break;
        case 1: // inside the note
            QTest::mouseClick(w->windowHandle(), Qt::RightButton, {}, QPoint(20, 20));
            break;
        case 2: // on the window below: the click closes the note and is swallowed
            QTest::mouseClick(cover.windowHandle(), Qt::LeftButton, {}, QPoint(3, 3));
            break;
        }
        closedByAction = !w->isVisible();
    });
    for (step = 0; step < 3; ++step) {
        closedByAction = false;
        rop.ShowPopup();
        EXPECT_TRUE(closedByAction) << "step " << step;
    }
    testsupport::processEvents();
    EXPECT_EQ(cover.presses, 0);
    EXPECT_EQ(cover.keys, 0);
    // Without a note the same click reaches the window.
    QTest::mouseClick(cover.windowHandle(), Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(cover.presses, 1);
}

TEST_F(PopupTest, ClosesByItselfOnlyWithATimeClose) {
    fillShortcutText(rop);
    bool stayed = false, closedByTimer = false;
    platform::ModalHook hook([&](QWidget* w) {
        if (rop.TimeClose <= 0) {
            QTest::qWait(150);
            stayed = w->isVisible();
            QTest::keyClick(w->windowHandle(), Qt::Key_A);
        } else {
            closedByTimer = testsupport::waitUntil([&] { return !w->isVisible(); }, 3000);
        }
    });
    rop.ShowPopup();
    EXPECT_TRUE(stayed);
    rop.TimeClose = 30;
    rop.ShowPopup();
    EXPECT_TRUE(closedByTimer);
}
