#include "clock/tickwell_window.h"
#include "platform/colors.h"
#include "platform/ini_file.h"
#include "platform/shell.h"
#include "platform/sound.h"
#include "tests/support/recording_dialogs.h"
#include "tests/support/temp_program_dir.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QScreen>
#include <QTest>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <utility>

namespace {

using tickwell::TForm1;

QList<platform::SoundRequest> g_sounds;
QStringList g_launched;

bool RecordSound(const platform::SoundRequest& r) {
    g_sounds.append(r);
    return true;
}
bool RecordLaunch(const QString& target) {
    g_launched.append(target);
    return true;
}

const char* kGoodIni =
    "[GENERAL]\nLABEL=Ura\nCOLOR=clNavy\nAPLICATION=1\n"
    "[VIEW]\nTOP=40\nLEFT=960\n"
    "[APLICATION]\nCOLORAPP1=$00FFFFD5\nCOLORAPP2=$00FFD5D5\nNAME1=Log\nPath1=Corvatta.exe\n";

class ClockWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        if (const char* tz = std::getenv("TZ")) {
            oldTz_ = tz;
        }
        // A zone at UTC+1 with daylight saving.
        ::setenv("TZ", "Europe/Ljubljana", 1);
        ::tzset();
        g_sounds.clear();
        g_launched.clear();
        platform::SetSoundHook(RecordSound);
        platform::SetShellHook(RecordLaunch);
    }
    void TearDown() override {
        platform::SetSoundHook(nullptr);
        platform::SetShellHook(nullptr);
        if (oldTz_) {
            ::setenv("TZ", oldTz_->c_str(), 1);
        } else {
            ::unsetenv("TZ");
        }
        ::tzset();
    }

    void WriteIni(const QByteArray& text) {
        dir_.Write("Tickwellini.ini", QByteArray(text).replace("\n", "\r\n"));
    }
    std::unique_ptr<TForm1> Open(const QByteArray& ini) {
        WriteIni(ini);
        return std::make_unique<TForm1>(clock_);
    }
    static QString Shown(const TForm1& w) {
        QString s;
        for (int i = 0; i < 7; ++i) {
            const char c = w.Digit(i)->Digit();
            s += c ? QChar(c) : QChar(u'_');
        }
        return s;
    }
    static QColor Fill(const QWidget* w) { return w->palette().color(QPalette::Window); }
    int Beeps() const {
        int n = 0;
        for (const auto& s : g_sounds) {
            n += s.frequencyHz == 800 && s.durationMs == 500;
        }
        return n;
    }

    testing_support::TempProgramDir dir_;
    testing_support::RecordingDialogs dialogs_;
    platform::FixedClock clock_{QDateTime(QDate(2027, 1, 17), QTime(9, 5, 7))};
    std::optional<std::string> oldTz_;
};

TEST_F(ClockWindow, GoodStartUp) {
    auto w = Open(kGoodIni);
    EXPECT_TRUE(dialogs_.records.isEmpty());
    EXPECT_EQ(w->windowTitle(), "Ura 1.06");
    EXPECT_EQ(w->Width(), 295);
    EXPECT_EQ(w->Height(), 125);
    EXPECT_EQ(w->size(), QSize(290, 105));  // the frame adds the rest
    EXPECT_EQ(w->pos(), QPoint(960, 40));
    EXPECT_TRUE(w->testAttribute(Qt::WA_WState_Visible));
    EXPECT_TRUE(w->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(w->PanelAplication()->isHidden());
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(w->Digit(i)->ForeColor(), QColor(0, 0, 128)) << i;
    }
    EXPECT_EQ(w->Digit(5)->ForeColor(), QColor(128, 128, 128));
    EXPECT_EQ(w->Button(0)->text(), "Log");
    EXPECT_EQ(Fill(w->Button(0)), QColor(213, 255, 255));
    EXPECT_EQ(Fill(w->Button(6)), QColor(213, 213, 255));  // the last colour given
    EXPECT_EQ(Beeps(), 1);
    // Nothing shows until the first tick, which comes a second later.
    EXPECT_EQ(Shown(*w), "_______");
    EXPECT_TRUE(w->TimerTick()->isActive());
    EXPECT_EQ(w->TimerTick()->interval(), 1000);
}

TEST_F(ClockWindow, TicksShowLocalTimeOrUtcByTheLabel) {
    auto w = Open(kGoodIni);
    w->TimerTickTimer();
    EXPECT_EQ(Shown(*w), "09:0507");
    EXPECT_EQ(w->LabelMEZGMT()->text(), "MEZ");

    g_sounds.clear();
    QTest::mouseClick(w->LabelMEZGMT(), Qt::LeftButton);
    EXPECT_EQ(w->LabelMEZGMT()->text(), "GMT");
    ASSERT_EQ(g_sounds.size(), 1);
    EXPECT_EQ(g_sounds[0].fileName, dir_.File("Whoosh.wav"));
    EXPECT_EQ(Shown(*w), "09:0507");  // the change waits for the tick
    w->TimerTickTimer();
    EXPECT_EQ(Shown(*w), "08:0507");  // winter: one hour behind
    clock_.Set(QDateTime(QDate(2027, 7, 18), QTime(0, 30, 59)));
    w->TimerTickTimer();
    EXPECT_EQ(Shown(*w), "22:3059");  // summer: two hours, the day before

    QTest::mouseClick(w->LabelMEZGMT(), Qt::LeftButton);
    EXPECT_EQ(w->LabelMEZGMT()->text(), "MEZ");
    w->TimerTickTimer();
    EXPECT_EQ(Shown(*w), "00:3059");
}

TEST_F(ClockWindow, SizeAdditionsAndTheShortWindow) {
    auto w = Open(
        "[GENERAL]\nCOLOR=0\nAPLICATION=1\n[VIEW]\nHEIGHT+=31\nWIDTH+=30\n"
        "[APLICATION]\nCOLORAPP1=clRed\n");
    EXPECT_EQ(w->Width(), 325);
    EXPECT_EQ(w->Height(), 125);
    for (int n = 0; n < 7; ++n) {
        EXPECT_EQ(Fill(w->Button(n)), QColor(255, 0, 0)) << n;
    }
    w = Open(
        "[GENERAL]\nCOLOR=0\nAPLICATION=1\n[VIEW]\nHEIGHT+=-2\n"
        "[APLICATION]\nCOLORAPP1=clRed\n");
    EXPECT_EQ(w->Height(), 125);
    w = Open(
        "[GENERAL]\nCOLOR=0\nAPLICATION=0\n[VIEW]\nHEIGHT+=10\n"
        "[APLICATION]\nCOLORAPP1=clRed\n");
    EXPECT_EQ(w->Height(), 102);
    EXPECT_EQ(w->size(), QSize(290, 82));
    EXPECT_TRUE(w->PanelAplication()->isHidden());
}

TEST_F(ClockWindow, ClicksOnTheFaceSwitchTheFrameOffAndOn) {
    auto w = Open(
        "[GENERAL]\nCOLOR=0\nAPLICATION=1\n[VIEW]\nHEIGHT+=4\nWIDTH+=10\nTOP=40\n"
        "LEFT=960\n[APLICATION]\nCOLORAPP1=clRed\n");
    ASSERT_EQ(w->Width(), 305);
    ASSERT_EQ(w->Height(), 129);
    // A click on a digit is not a click on the face.
    QTest::mouseClick(w->Digit(0), Qt::LeftButton);
    EXPECT_FALSE(w->Frameless());

    const QPoint face(286, 29);  // right of the label, above the seconds
    ASSERT_EQ(w->Face()->childAt(face), nullptr);
    QTest::mouseClick(w->Face(), Qt::LeftButton, {}, face);
    EXPECT_TRUE(w->Frameless());
    EXPECT_TRUE(w->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(w->Width(), 290);
    EXPECT_EQ(w->Height(), 105);
    EXPECT_EQ(w->size(), QSize(290, 105));
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->pos(), QPoint(960, 40));

    QTest::mouseClick(w->Face(), Qt::LeftButton, {}, face);
    EXPECT_FALSE(w->Frameless());
    EXPECT_FALSE(w->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(w->Width(), 305);
    EXPECT_EQ(w->Height(), 129);
    EXPECT_TRUE(w->isVisible());
}

TEST_F(ClockWindow, LauncherButtonsOpenTheirTargetOrPlayTheSound) {
    auto w = Open(kGoodIni);
    g_sounds.clear();
    QTest::mouseClick(w->Button(0), Qt::LeftButton);
    EXPECT_EQ(g_launched, QStringList({"Corvatta.exe"}));
    EXPECT_TRUE(g_sounds.isEmpty());
    QTest::mouseClick(w->Button(1), Qt::LeftButton);
    EXPECT_EQ(g_launched.size(), 1);
    ASSERT_EQ(g_sounds.size(), 1);
    EXPECT_EQ(g_sounds[0].fileName, "Whoosh.wav");
}

TEST_F(ClockWindow, BadFirstButtonColourKeepsTheDesignWindow) {
    auto w = Open(
        "[GENERAL]\nLABEL=Ura\nCOLOR=clNavy\nAPLICATION=1\n[VIEW]\nTOP=33\nLEFT=44\n"
        "[APLICATION]\nCOLORAPP1=rdeca\nNAME1=Log\n");
    EXPECT_EQ(dialogs_.Texts("error"), QStringList({"'rdeca' is not a valid integer value"}));
    EXPECT_EQ(w->windowTitle(), "Tick Well");
    EXPECT_EQ(w->size(), QSize(TForm1::kDesignClientWidth, TForm1::kDesignClientHeight));
    EXPECT_EQ(w->pos(), QPoint(44, 33));
    EXPECT_EQ(w->Button(0)->text(), "");
    EXPECT_EQ(Fill(w->Button(0)), QColor(213, 255, 255));
    EXPECT_EQ(w->Digit(0)->ForeColor(), QColor(128, 128, 128));
    EXPECT_EQ(Beeps(), 0);
    // The clock still runs.
    w->TimerTickTimer();
    EXPECT_EQ(Shown(*w), "09:0507");
}

TEST_F(ClockWindow, MissingSettingsFileReadsAsNoFirstButtonColour) {
    auto w = std::make_unique<TForm1>(clock_);
    EXPECT_EQ(dialogs_.Texts("error"), QStringList({"'' is not a valid integer value"}));
    EXPECT_EQ(w->pos(), QPoint(tickwell::kDesignLeft, tickwell::kDesignTop));
    EXPECT_EQ(w->windowTitle(), "Tick Well");
}

TEST_F(ClockWindow, BadDigitColourStopsAfterCaptionAndSize) {
    auto w = Open(
        "[GENERAL]\nLABEL=Ura\nCOLOR=modra\nAPLICATION=0\n"
        "[APLICATION]\nCOLORAPP1=clRed\n");
    EXPECT_EQ(dialogs_.Texts("error"), QStringList({"'modra' is not a valid integer value"}));
    EXPECT_EQ(w->windowTitle(), "Ura 1.06");
    EXPECT_EQ(w->Height(), 102);
    EXPECT_EQ(w->Digit(0)->ForeColor(), QColor(128, 128, 128));
    EXPECT_EQ(Beeps(), 0);
}

TEST_F(ClockWindow, DoubleClickOnTheLabelClosesAndSavesThePosition) {
    auto w = Open(QByteArray(kGoodIni) + "; kept\n");
    w->move(123, 45);
    g_sounds.clear();
    // What a double-click delivers: press, release, double-click, release.
    QTest::mouseClick(w->LabelMEZGMT(), Qt::LeftButton);
    QTest::mouseDClick(w->LabelMEZGMT(), Qt::LeftButton);
    QTest::mouseRelease(w->LabelMEZGMT(), Qt::LeftButton);
    // The first click of the two switched before the window closed.
    EXPECT_EQ(w->LabelMEZGMT()->text(), "GMT");
    EXPECT_EQ(g_sounds.size(), 1);
    EXPECT_FALSE(w->isVisible());
    const platform::IniFile ini(dir_.File("Tickwellini.ini"));
    EXPECT_EQ(ini.ReadInteger("VIEW", "TOP", -1), 45);
    EXPECT_EQ(ini.ReadInteger("VIEW", "LEFT", -1), 123);
    EXPECT_EQ(ini.ReadString("APLICATION", "Path1", ""), "Corvatta.exe");
    EXPECT_TRUE(dir_.Read("Tickwellini.ini").contains("; kept\r\n"));
    EXPECT_TRUE(dialogs_.records.isEmpty());
}

// Under an X11 window manager a window moved or resized after it is shown,
// but before it is framed, is placed by its inside, not its frame; the clock
// then crept up by its caption's height at every start. So the window must
// have its saved position and final size before it is first shown, and a
// saved position must come back as the same frame corner.
TEST_F(ClockWindow, ThePositionSurvivesStartAndCloseUnchanged) {
    struct ShowWatch : QObject {
        std::optional<QRect> atShow;
        bool eventFilter(QObject* o, QEvent* e) override {
            if (e->type() == QEvent::Show && qobject_cast<TForm1*>(o) && !atShow) {
                atShow = static_cast<QWidget*>(o)->geometry();
                atShow->moveTopLeft(static_cast<QWidget*>(o)->pos());
            }
            return false;
        }
    } watch;
    qApp->installEventFilter(&watch);
    WriteIni(kGoodIni);
    for (int cycle = 0; cycle < 4; ++cycle) {
        watch.atShow.reset();
        TForm1 w(clock_);
        ASSERT_TRUE(watch.atShow) << cycle;
        EXPECT_EQ(*watch.atShow, QRect(960, 40, 290, 105)) << cycle;
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        EXPECT_EQ(w.frameGeometry().topLeft(), QPoint(960, 40)) << cycle;
        EXPECT_TRUE(w.close());
        const platform::IniFile ini(dir_.File("Tickwellini.ini"));
        EXPECT_EQ(ini.ReadInteger("VIEW", "TOP", -1), 40) << cycle;
        EXPECT_EQ(ini.ReadInteger("VIEW", "LEFT", -1), 960) << cycle;
    }
    qApp->removeEventFilter(&watch);
}

TEST_F(ClockWindow, UnwritableSettingsFileStillLetsTheClockClose) {
    auto w = Open(kGoodIni);
    // A folder in the file's place cannot be written over, even by root.
    ASSERT_TRUE(QFile::remove(dir_.File("Tickwellini.ini")));
    ASSERT_TRUE(QDir(dir_.Path()).mkdir("Tickwellini.ini"));
    EXPECT_TRUE(w->close());
    EXPECT_EQ(
        dialogs_.Texts("error"),
        QStringList({"Unable to write to " + dir_.File("Tickwellini.ini") + " (Is a directory)"}));
    EXPECT_FALSE(w->isVisible());
}

TEST_F(ClockWindow, ATickRepaintsOnlyTheDigitsThatChanged) {
    auto w = Open(kGoodIni);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    w->TimerTickTimer();
    QCoreApplication::processEvents();

    struct Counter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* e) override {
            paints += e->type() == QEvent::Paint;
            return false;
        }
    };
    std::array<Counter, 7> counters;
    for (int i = 0; i < 7; ++i) {
        w->Digit(i)->installEventFilter(&counters[std::size_t(i)]);
    }
    const auto paintsAfterTick = [&](int seconds) {
        for (auto& c : counters) {
            c.paints = 0;
        }
        clock_.AdvanceMs(seconds * 1000);
        w->TimerTickTimer();
        QCoreApplication::processEvents();
        QString painted;
        for (int i = 0; i < 7; ++i) {
            painted += counters[std::size_t(i)].paints ? u'x' : u'.';
        }
        return painted;
    };
    EXPECT_EQ(paintsAfterTick(1), "......x");   // 09:05:08
    EXPECT_EQ(paintsAfterTick(2), ".....xx");   // 09:05:10
    EXPECT_EQ(paintsAfterTick(0), ".......");   // the same second again
    EXPECT_EQ(paintsAfterTick(50), "....xx.");  // 09:06:00
}

// What the window shows of the seconds digit after each tick is that digit's
// figure of the new second, drawn afresh: the tick must reach the screen,
// with the right figure, whether a character is new to the digit or was
// shown before.
TEST_F(ClockWindow, TheScreenShowsEachNewSecondAfterItsTick) {
    auto w = Open(kGoodIni);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    const tickwell::TqenDigit& units = *w->Digit(6);
    const QPoint at = units.mapTo(w.get(), QPoint(0, 0));
    const auto onScreen = [&] {
        QCoreApplication::processEvents();
        return w->screen()
            ->grabWindow(w->winId(), at.x(), at.y(), units.width(), units.height())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    };
    const auto drawn = [&](char c) {
        QImage image(units.size(), QImage::Format_RGB32);
        QPainter painter(&image);
        tickwell::PaintDigitControl(
            painter, units.width(), units.height(), units.LineWidth(), units.Border(),
            {units.BackColor(), units.ForeColor(), units.OffColor()}, c,
            platform::ColorOf(QStringLiteral("clCream")), units.palette().color(QPalette::Light),
            units.palette().color(QPalette::Dark));
        return image;
    };
    w->TimerTickTimer();  // 09:05:07
    EXPECT_EQ(onScreen(), drawn('7'));
    // 08, 09, 10, 11, then 17 again: each second a new figure, then one
    // shown before.
    for (const auto& [seconds, c] : {std::pair{1, '8'}, {1, '9'}, {1, '0'}, {1, '1'}, {6, '7'}}) {
        clock_.AdvanceMs(seconds * 1000);
        w->TimerTickTimer();
        EXPECT_EQ(onScreen(), drawn(c)) << c;
    }
}

}  // namespace
