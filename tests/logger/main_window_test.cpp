#include "logger/main_window.h"
#include "logger/calendar.h"
#include "logger/rig_link.h"
#include "logger/settings.h"
#include "platform/clock.h"
#include "platform/colors.h"
#include "platform/ini_file.h"
#include "tests/support/recording_dialogs.h"
#include "tests/support/temp_program_dir.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QSignalSpy>
#include <QTest>

#include <cstdlib>
#include <memory>

using corvatta::TfMain;

namespace {

const QByteArray kValidGeneral =
    "[GENERAL]\r\nMyCall=S59ABC\r\nMyYearLic=85\r\nMode=CW\r\nEMode=0\r\nMyName=Ana\r\n"
    "MyAddress=Pot 1\r\nMyEmail=ana@example.org\r\n";

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (const char* tz = std::getenv("TZ"))
            oldTz_ = tz;
        ::setenv("TZ", "Europe/Ljubljana", 1);
        ::tzset();
    }
    void TearDown() override {
        window_.reset();
        if (oldTz_.empty()) {
            ::unsetenv("TZ");
        } else {
            ::setenv("TZ", oldTz_.c_str(), 1);
        }
        ::tzset();
    }

    TfMain& Start(const QDateTime& utc) {
        clock_ = std::make_unique<platform::FixedClock>(utc);
        window_ = std::make_unique<TfMain>(state_, *clock_);
        window_->show();
        return *window_;
    }

    // The background colour text of a data field.
    static QString ColorOf(QWidget* w) {
        return platform::ColorToText(w->palette().color(QPalette::Base));
    }

    testing_support::TempProgramDir dir_;
    testing_support::RecordingDialogs dialogs_;
    corvatta::StationState state_;
    std::unique_ptr<platform::FixedClock> clock_;
    std::unique_ptr<TfMain> window_;
    std::string oldTz_;
};

const QDateTime kOrdinaryDay(QDate(2026, 12, 8), QTime(10, 0), Qt::UTC);

TEST_F(MainWindowTest, FirstStartOpensTheDataPanelWithFiveFieldsOrange) {
    TfMain& w = Start(kOrdinaryDay);
    EXPECT_EQ(w.windowTitle(), "Corvatta 1.11");
    EXPECT_EQ(state_.op.MyCall, "S5");
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.Pdata->isVisible(); }, 200));
    // The check that opened the panel runs once more a few ms later and
    // colours the two fields that are coloured only on the open panel.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return ColorOf(w.EMyCall) == corvatta::colors::ColorFieldWrong; }, 200));
    for (QWidget* f : {w.EMyCall, w.EMyYearLic, w.EMyName, w.EMyAddress, w.EMyEmail}) {
        EXPECT_EQ(ColorOf(f), corvatta::colors::ColorFieldWrong) << f->objectName().toStdString();
    }
    EXPECT_FALSE(w.ECall->isVisible());
    EXPECT_EQ(w.LTest->text(), corvatta::banners::kOutside);
    // With incomplete data, "Izhod" does not close the panel.
    w.BCancel->click();
    EXPECT_TRUE(w.Pdata->isVisible());
}

TEST_F(MainWindowTest, DataCheckRules) {
    TfMain& w = Start(kOrdinaryDay);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.Pdata->isVisible(); }, 200));
    const auto check = [&] {
        w.CheckOperatorData();
        return state_.DataValid;
    };
    w.EMyName->setText("Ana Novak");
    w.EMyAddress->setText("Pot 1");
    w.EMyEmail->setText("ana@example.org");
    w.EMyYearLic->setText("85");
    w.EMyCall->setText("S5A");
    EXPECT_FALSE(check());  // three characters
    QTest::keyClicks(w.EMyCall, "s59a");
    EXPECT_EQ(w.EMyCall->text(), "S5AS59A");  // typed in lower case, shown in upper
    w.EMyCall->setText("S59ABCDEFGHIJ");
    EXPECT_FALSE(check());  // thirteen characters do not fit the log's columns
    EXPECT_EQ(ColorOf(w.EMyCall), corvatta::colors::ColorFieldWrong);
    w.EMyCall->setText("s59a");
    EXPECT_TRUE(check());  // "S5" is found in any case
    for (const char* year : {"5", "05", "99"}) {
        w.EMyYearLic->setText(year);
        EXPECT_TRUE(check()) << year;
    }
    for (const char* year : {"", "123", "5a"}) {
        w.EMyYearLic->setText(year);
        EXPECT_FALSE(check()) << year;
        EXPECT_EQ(ColorOf(w.EMyYearLic), corvatta::colors::ColorFieldWrong);
    }
    w.EMyYearLic->setText("85");
    w.EMyEmail->setText("ana.example.org");
    EXPECT_FALSE(check());
    EXPECT_EQ(ColorOf(w.EMyEmail), corvatta::colors::ColorFieldWrong);
    w.EMyEmail->setText("ana@example.org");
    EXPECT_TRUE(check());
    EXPECT_EQ(ColorOf(w.EMyEmail), corvatta::colors::ColorFieldOk);
}

TEST_F(MainWindowTest, AccessCodeEnablesProfileKeysAndKeepsThePanelOpen) {
    dir_.Write("Corvattaini.ini", kValidGeneral);
    TfMain& w = Start(kOrdinaryDay);
    w.SettingsMenu->trigger();
    ASSERT_TRUE(w.Pdata->isVisible());
    w.EMyName->setText("7Q2");
    w.BSave->click();
    EXPECT_TRUE(state_.ProfileKeysEnabled);
    EXPECT_TRUE(w.EMyName->text().isEmpty());
    EXPECT_EQ(w.LMyName->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    // Only the set-up timer closes the panel after a save; it was not started.
    EXPECT_FALSE(w.TimerSetup->isActive());
    EXPECT_TRUE(w.Pdata->isVisible());
    EXPECT_FALSE(state_.DataValid);
}

TEST_F(MainWindowTest, SaveWithValidDataClosesThePanelAndSwitchesTheLog) {
    dir_.Write("Corvattaini.ini", kValidGeneral);
    TfMain& w = Start(kOrdinaryDay);
    QSignalSpy reload(&w, &TfMain::logReloadRequested);
    w.SettingsMenu->trigger();
    w.CheckOperatorData();
    w.EMyCall->setText("S59ABC/P");
    w.CheckOperatorData();
    w.TimerSetup->setInterval(10);  // how long the panel stays is not what is tested here
    w.BSave->click();
    EXPECT_EQ(state_.op.FileCall, "S59ABC_P");
    EXPECT_EQ(reload.count(), 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !w.Pdata->isVisible(); }, 1500));
    EXPECT_TRUE(w.ECall->isVisible());
}

TEST_F(MainWindowTest, ContestDateIsNormalisedOrRefusedOnSave) {
    dir_.Write("Corvattaini.ini", kValidGeneral);
    TfMain& w = Start(kOrdinaryDay);
    const QString before = state_.log.ContestDate;
    ASSERT_EQ(before.size(), 10);
    w.SettingsMenu->trigger();
    w.cDate->setChecked(true);
    w.EDate->setText("2027-4-18");
    w.BSave->click();
    EXPECT_EQ(state_.log.ContestDate, "2027-04-18");
    EXPECT_EQ(w.EDate->text(), "2027-04-18");
    EXPECT_FALSE(w.cDate->isChecked());
    // No date: the date in force stays, the field says so and stays open.
    w.SettingsMenu->trigger();
    w.cDate->setChecked(true);
    w.EDate->setText("18.4.27");
    w.BSave->click();
    EXPECT_EQ(state_.log.ContestDate, "2027-04-18");
    EXPECT_EQ(w.EDate->text(), "2027-04-18");
    EXPECT_TRUE(w.cDate->isChecked());
    EXPECT_EQ(ColorOf(w.EDate), corvatta::colors::ColorFieldWrong);
    EXPECT_TRUE(dialogs_.records.isEmpty());
}

TEST_F(MainWindowTest, ExitFromThePanelTakesTheNewCallsignsLog) {
    dir_.Write("Corvattaini.ini", kValidGeneral);
    TfMain& w = Start(kOrdinaryDay);
    QSignalSpy reload(&w, &TfMain::logReloadRequested);
    w.SettingsMenu->trigger();
    w.EMyCall->setText("S51ZZ");
    w.CheckOperatorData();
    w.BCancel->click();
    EXPECT_FALSE(w.Pdata->isVisible());
    EXPECT_EQ(state_.op.FileCall, "S51ZZ");
    EXPECT_EQ(reload.count(), 1);
}

TEST_F(MainWindowTest, InvalidDataWithNewCallsignIsReportedOnSave) {
    TfMain& w = Start(kOrdinaryDay);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.Pdata->isVisible(); }, 200));
    w.EMyCall->setText("S59X");
    w.BSave->click();
    EXPECT_EQ(dialogs_.Texts("message"),
              QStringList{"Nekateri podatki niso prav vpisani\n\rPopravi pred shranjevanjem!"});
}

TEST_F(MainWindowTest, ModeAndPowerSelection) {
    dir_.Write("Corvattaini.ini", kValidGeneral);
    TfMain& w = Start(kOrdinaryDay);
    QSignalSpy open(&w, &TfMain::keyerLinkOpenRequested);
    QSignalSpy close(&w, &TfMain::keyerLinkCloseRequested);
    w.EMode->setCurrentIndex(2);
    emit w.EMode->activated(2);
    EXPECT_EQ(state_.op.Mode, "CW");
    EXPECT_EQ(w.BMode->text(), "  CW");
    w.EPower->setCurrentIndex(2);
    emit w.EPower->activated(2);
    EXPECT_EQ(state_.op.Category, "SINGLE-OP 80M QRP MIXED");
    w.EMode->setCurrentIndex(1);
    emit w.EMode->activated(1);
    EXPECT_EQ(state_.op.Mode, "SSB");
    EXPECT_EQ(w.BMode->text(), "  SSB");
    EXPECT_TRUE(w.LSpeed->isHidden());
    EXPECT_TRUE(w.EWinkeyer->isHidden());
    EXPECT_EQ(state_.op.Category, "SINGLE-OP 80M QRP SSB");
    EXPECT_EQ(open.count(), 1);
    EXPECT_EQ(close.count(), 1);
}

TEST_F(MainWindowTest, ClosingWritesTheSettingsFile) {
    dir_.Write("Corvattaini.ini", kValidGeneral + "; kept\r\n[Other]\r\nX=1\r\n");
    TfMain& w = Start(kOrdinaryDay);
    w.CS5->setChecked(true);
    w.close();
    const platform::IniDocument doc = platform::IniFile(dir_.File("Corvattaini.ini")).Load();
    EXPECT_EQ(doc.ReadString("GENERAL", "MyCall", ""), "S59ABC");
    EXPECT_EQ(doc.ReadString("GENERAL", "AutoS5", ""), "1");
    EXPECT_EQ(doc.ReadString("INFO", "LastDate", ""), "08.12.2026");
    EXPECT_EQ(doc.ReadString("Other", "X", ""), "1");
    EXPECT_TRUE(doc.ToBytes().contains("; kept\r\n"));
    EXPECT_TRUE(dialogs_.records.isEmpty());
}

TEST_F(MainWindowTest, UnwritableSettingsFileIsReportedAndTheWindowStillCloses) {
    // A directory in the file's place fails the write even for root.
    ASSERT_TRUE(QDir(dir_.Path()).mkdir("Corvattaini.ini"));
    TfMain& w = Start(kOrdinaryDay);
    EXPECT_TRUE(w.close());
    EXPECT_EQ(
        dialogs_.Texts("error"),
        QStringList{"Unable to write to " + dir_.File("Corvattaini.ini") + " (Is a directory)"});
    EXPECT_FALSE(w.isVisible());
}

TEST_F(MainWindowTest, StartBannerAndMessageOnlyAtTheFirstStartOfTheDay) {
    dir_.Write("Corvattaini.ini", kValidGeneral);
    const QDateTime saturday(QDate(2027, 4, 17), QTime(12, 0), Qt::UTC);
    {
        TfMain& w = Start(saturday);
        w.StartTimerTick();
        EXPECT_EQ(w.LTest->text(), corvatta::banners::kTomorrow);
        EXPECT_EQ(dialogs_.Texts("message").size(), 1);
        w.close();
    }
    window_.reset();
    state_ = corvatta::StationState{};
    dialogs_.records.clear();
    TfMain& again = Start(saturday);
    again.StartTimerTick();
    EXPECT_EQ(again.LTest->text(), corvatta::banners::kTomorrow);
    EXPECT_TRUE(dialogs_.Texts("message").isEmpty());
}

TEST_F(MainWindowTest, LastMinuteAndEndLayoutsOnTheSpringSunday) {
    dir_.Write("Corvattaini.ini", kValidGeneral);
    TfMain& w = Start(QDateTime(QDate(2027, 4, 18), QTime(8, 59, 30), Qt::UTC));
    w.ClockTimerTick();
    EXPECT_EQ(w.LClock->text(), "08:59");
    EXPECT_EQ(w.LSecond->text(), "30");
    EXPECT_EQ(w.LTest->text(), corvatta::banners::kLastMinute);
    EXPECT_EQ(w.LSecond->font().pointSize(), 24);
    EXPECT_EQ(w.LSecond->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    clock_->AdvanceMs(30000);
    w.ClockTimerTick();
    EXPECT_EQ(w.LClock->text(), "09:00");
    EXPECT_EQ(w.LTest->text(), corvatta::banners::kEnd);
    EXPECT_EQ(w.LClock->font().pointSize(), 24);
    clock_->AdvanceMs(5 * 60000);
    w.ClockTimerTick();
    EXPECT_EQ(w.LTest->text(), corvatta::banners::kEnd);
}

TEST_F(MainWindowTest, UtcMinuteIsRefreshedEvenWhenTheFullMinuteTickIsMissed) {
    TfMain& w = Start(QDateTime(QDate(2026, 12, 8), QTime(10, 15, 58), Qt::UTC));
    w.ClockTimerTick();
    EXPECT_EQ(state_.dates.UtcTime, "10:15");
    clock_->AdvanceMs(3000);  // 10:16:01, the tick at :00 never came
    w.ClockTimerTick();
    EXPECT_EQ(state_.dates.UtcTime, "10:16");
    EXPECT_EQ(w.LClock->text(), "10:16");
}

TEST_F(MainWindowTest, StartTimerAskesForTheKeyerWhenAutoConnectIsOn) {
    dir_.Write("Corvattaini.ini",
               kValidGeneral + "[WK]\r\nComAuto=1\r\nComConnected=1\r\nRunMode=1\r\n");
    TfMain& w = Start(kOrdinaryDay);
    QSignalSpy open(&w, &TfMain::openComRequested);
    w.StartTimerTick();
    EXPECT_EQ(open.count(), 1);
    EXPECT_EQ(w.LRun->text(), "RUN");
}

TEST_F(MainWindowTest, CheckBoxesFromSettingsRunTheirReactions) {
    dir_.Write("Corvattaini.ini", kValidGeneral + "AutoS5=1\r\nAutoLL=1\r\nRKChk=1\r\n");
    TfMain& w = Start(kOrdinaryDay);
    EXPECT_TRUE(state_.AutoS5Flag);
    EXPECT_TRUE(state_.AutoLLFlag);
    EXPECT_EQ(w.ECall->text(), "S5");
    w.ClockTimerTick();
    EXPECT_TRUE(state_.SuggestLicenceYear);
    EXPECT_TRUE(w.EditLL->isVisible());
}

TEST_F(MainWindowTest, ProfileLoadRefreshesTheDataFields) {
    dir_.Write("Corvattaini.ini", kValidGeneral);
    dir_.Write("Corvatta.ini", "[CALL3]\r\nMyCall=S57Q\r\nMyName=Eva\r\n");
    TfMain& w = Start(kOrdinaryDay);
    QSignalSpy reload(&w, &TfMain::logReloadRequested);
    w.TimerChange->setInterval(10);  // the log follows the profile on this timer, soon
    w.LoadProfileAndRefresh(3);
    EXPECT_TRUE(QTest::qWaitFor([&] { return reload.count() == 1; }, 1500));
    EXPECT_EQ(w.EMyCall->text(), "S57Q");
    EXPECT_EQ(w.EMyName->text(), "Eva");
    EXPECT_EQ(w.EMyAddress->text(), "Pot 1");
    EXPECT_EQ(state_.op.FileCall, "S57Q");
}

TEST_F(MainWindowTest, CabrilloHeaderFollowsThePanelAsItStandsNow) {
    dir_.Write("Corvattaini.ini", kValidGeneral + "EPower=1\r\n");
    TfMain& w = Start(kOrdinaryDay);
    const auto exportedHeader = [&] {
        // An ordinary day is no contest day: the check asks first.
        dialogs_.AnswerConfirmations({true, true});
        w.SaveCbr->trigger();
        return QString::fromLatin1(dir_.Read("S59ABC.cbr"));
    };
    w.CBRK->setChecked(true);
    w.EMyClub->setText("S59DGO");
    w.EPower->setCurrentIndex(2);
    emit w.EPower->activated(2);
    QString cbr = exportedHeader();
    EXPECT_TRUE(cbr.contains("\r\nCLUB: S59DGO\r\n")) << cbr.toStdString();
    EXPECT_TRUE(cbr.contains("\r\nCATEGORY: SINGLE-OP 80M QRP CW\r\n")) << cbr.toStdString();
    w.CBRK->setChecked(false);
    cbr = exportedHeader();
    EXPECT_TRUE(cbr.contains("\r\nCLUB: \r\n")) << cbr.toStdString();
}

TEST_F(MainWindowTest, ProfileChangesOnlyWhatItHoldsAndLeavesTheWindowWhereItIs) {
    dir_.Write("Corvattaini.ini", kValidGeneral + "EPower=0\r\n");
    dir_.Write("Corvatta.ini", "[CALL2]\r\nMyCall=S57Q\r\n");
    TfMain& w = Start(kOrdinaryDay);
    w.EPower->setCurrentIndex(2);
    emit w.EPower->activated(2);
    w.CBRK->setChecked(true);
    w.CS5->setChecked(true);
    w.CLL->setChecked(true);
    const QPoint before = w.pos() + QPoint(13, 7);
    w.move(before);
    w.LoadProfileAndRefresh(2);
    EXPECT_EQ(state_.op.MyCall, "S57Q");
    EXPECT_EQ(w.EPower->currentIndex(), 2);
    EXPECT_EQ(w.EMode->currentIndex(), 0);
    EXPECT_TRUE(w.CBRK->isChecked());
    EXPECT_TRUE(w.CS5->isChecked());
    EXPECT_TRUE(w.CLL->isChecked());
    EXPECT_EQ(state_.op.Category, "SINGLE-OP 80M QRP CW");
    EXPECT_EQ(w.pos(), before);
}

TEST(RigLink, OffByDefault) {
    testing_support::TempProgramDir dir;
    testing_support::RecordingDialogs dialogs;
    corvatta::StationState state;
    platform::FixedClock clock(QDateTime(QDate(2027, 4, 18), QTime(7, 10), Qt::UTC));
    TfMain w(state, clock);
    w.show();
    EXPECT_FALSE(w.LRig->isVisible());
    EXPECT_EQ(w.findChild<corvatta::RigLink*>(), nullptr);
}

}  // namespace
