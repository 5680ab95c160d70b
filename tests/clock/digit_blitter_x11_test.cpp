// The clock's digits on a real X server (Xvfb with a window manager), put
// there past Qt's paint events: what the server shows must be, pixel for
// pixel, what Qt's painting of the window gives, at every kind of change
// and after the window was covered and uncovered.
#include "clock/digit_blitter.h"
#include "clock/tickwell_window.h"
#include "platform/sound.h"
#include "tests/support/recording_dialogs.h"
#include "tests/support/temp_program_dir.h"

#include <gtest/gtest.h>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTest>
#include <QWindow>

#include <cstdlib>

namespace {

using tickwell::TForm1;

// Counts the paint events the digits get.
class PaintCounter : public QObject {
  public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

class DigitsOnX11 : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(QGuiApplication::platformName(), "xcb");
        ::setenv("TZ", "UTC", 1);
        ::tzset();
        platform::SetSoundHook([](const platform::SoundRequest&) { return true; });
        dir_.Write("Tickwellini.ini",
                   "[GENERAL]\r\nLABEL=Ura\r\nCOLOR=clNavy\r\nAPLICATION=1\r\n"
                   "[VIEW]\r\nTOP=100\r\nLEFT=100\r\n"
                   "[APLICATION]\r\nCOLORAPP1=$00FFFFD5\r\nNAME1=Log\r\n");
        form_ = std::make_unique<TForm1>(clock_);
        ASSERT_TRUE(dialogs_.records.isEmpty());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
        for (int i = 0; i < 7; ++i) {
            form_->Digit(i)->installEventFilter(&counter_);
        }
    }
    void TearDown() override { platform::SetSoundHook(nullptr); }

    // Ticks at the given time; true when no digit was painted by Qt.
    bool TickAt(QTime time) {
        clock_.Set(QDateTime(QDate(2027, 1, 17), time, Qt::UTC));
        counter_.paints = 0;
        form_->TimerTickTimer();
        QCoreApplication::processEvents();
        return counter_.paints == 0;
    }

    // What the X server holds for the window, read back from it.
    QImage OnScreen() const {
        return form_->screen()
            ->grabWindow(form_->winId())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    }
    // The window as Qt paints it, widget by widget.
    QImage Painted() const { return form_->grab().toImage().convertToFormat(QImage::Format_RGB32); }

    testing_support::TempProgramDir dir_;
    testing_support::RecordingDialogs dialogs_;
    platform::FixedClock clock_{QDateTime(QDate(2027, 1, 17), QTime(9, 59, 48), Qt::UTC)};
    PaintCounter counter_;
    std::unique_ptr<TForm1> form_;
};

TEST_F(DigitsOnX11, TicksReachTheScreenWithoutPaintEventsAndLookPainted) {
    // Digits changed: all seven (the first tick), one, two, one, three,
    // two, six.
    for (const QTime time : {QTime(9, 58, 48), QTime(9, 58, 49), QTime(9, 58, 50), QTime(9, 58, 59),
                             QTime(9, 59, 0), QTime(9, 59, 59), QTime(10, 0, 0)}) {
        EXPECT_TRUE(TickAt(time)) << time.toString().toStdString();
        ASSERT_EQ(OnScreen(), Painted()) << time.toString().toStdString();
    }
}

TEST_F(DigitsOnX11, DigitsOfLooksNotDrawnBeforeGoTogether) {
    TickAt(QTime(9, 59, 48));
    // Seven new looks in one tick: more than are kept, so drawing one
    // drops another's renderings while the tick still uses them.
    for (int i = 0; i < 7; ++i) {
        form_->Digit(i)->SetForeColor(QColor(40 * i, 0, 200));
    }
    tickwell::DigitBlitter blitter;
    std::array<tickwell::TqenDigit*, 7> all{};
    for (int i = 0; i < 7; ++i) {
        all[std::size_t(i)] = form_->Digit(i);
        all[std::size_t(i)]->PutDigit(i == 2 ? ':' : char('0' + i));
    }
    EXPECT_TRUE(blitter.Show(all));
    QCoreApplication::processEvents();
    EXPECT_EQ(OnScreen(), Painted());
}

TEST_F(DigitsOnX11, ColourChangedBetweenTicksShowsAtTheNext) {
    // The seconds' '8' was put on screen in the old colour and is kept.
    TickAt(QTime(9, 59, 48));
    TickAt(QTime(9, 59, 49));
    form_->Digit(6)->SetForeColor(QColor(200, 30, 30));
    QCoreApplication::processEvents();
    EXPECT_TRUE(TickAt(QTime(9, 59, 48)));
    EXPECT_EQ(OnScreen(), Painted());
}

TEST_F(DigitsOnX11, UncoveredWindowShowsTheLatestDigits) {
    TickAt(QTime(9, 59, 48));
    // A window over the clock, then gone: the server asks the clock to draw
    // what was covered, which Qt does from its own copy of the window.
    QWidget cover(nullptr, Qt::Window | Qt::X11BypassWindowManagerHint | Qt::WindowStaysOnTopHint |
                               Qt::FramelessWindowHint);
    cover.setGeometry(QRect(form_->mapToGlobal(QPoint(0, 0)), form_->size()));
    cover.setStyleSheet("background: red");
    cover.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&cover));
    EXPECT_TRUE(TickAt(QTime(9, 59, 49)));
    EXPECT_TRUE(TickAt(QTime(10, 0, 0)));
    cover.hide();
    EXPECT_TRUE(QTest::qWaitFor([&] { return OnScreen() == Painted(); }, 3000));
}

TEST_F(DigitsOnX11, FrameChangesAndNewNativeWindowsAreDrawnOnToo) {
    TickAt(QTime(9, 59, 48));
    form_->Panel1Click();  // frameless: a smaller window
    // Shown again once the window manager has let go of it. Its late exposes come with no
    // last one to wait for, so a short stretch lets them pass before a tick is counted.
    QTest::qWait(300);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
    EXPECT_TRUE(TickAt(QTime(9, 59, 49)));
    EXPECT_EQ(OnScreen(), Painted());

    const WId before = form_->winId();
    form_->hide();
    form_->windowHandle()->destroy();
    form_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
    QTest::qWait(300);  // as above: the window manager's late exposes pass first
    ASSERT_NE(form_->winId(), before);
    EXPECT_TRUE(TickAt(QTime(9, 59, 50)));
    EXPECT_EQ(OnScreen(), Painted());
}

TEST_F(DigitsOnX11, DigitPartlyUnderAMovedOneShowsOnlyItsVisiblePart) {
    TickAt(QTime(9, 59, 58));
    EXPECT_TRUE(TickAt(QTime(9, 59, 59)));
    // The separator, drawn after the hour units, now covers their right
    // half; it does not change at the next hour, they do.
    tickwell::TqenDigit* separator = form_->Digit(2);
    separator->move(separator->x() - 24, separator->y());
    QCoreApplication::processEvents();
    EXPECT_TRUE(TickAt(QTime(10, 0, 0)));
    EXPECT_EQ(OnScreen(), Painted());
}

TEST_F(DigitsOnX11, DigitUnderATransparentControlIsPaintedTheUsualWay) {
    TickAt(QTime(9, 59, 48));
    // A label drawn over the seconds: the digit's pixels alone are not what
    // the window shows there.
    auto* label = new QLabel("x", form_->Face());
    label->setGeometry(form_->Digit(6)->geometry().adjusted(4, 4, -4, -4));
    label->show();
    QCoreApplication::processEvents();
    tickwell::DigitBlitter blitter;
    tickwell::TqenDigit* const seconds = form_->Digit(6);
    EXPECT_FALSE(blitter.Show({&seconds, 1}));
    EXPECT_FALSE(TickAt(QTime(9, 59, 49)));
    EXPECT_EQ(OnScreen(), Painted());
}

}  // namespace
