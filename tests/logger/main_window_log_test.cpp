// The log as the operator works it from the main window: typing, Enter,
// the file menu, editing the grid, and a restart.
#include "logger/main_window.h"
#include "logger/qso_log_model.h"
#include "logger/validation.h"
#include "platform/clock.h"
#include "platform/cp1250.h"
#include "tests/support/recording_dialogs.h"
#include "tests/support/temp_program_dir.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QKeyEvent>
#include <QTest>

#include <memory>

using corvatta::TfMain;

namespace {

const QByteArray kSettings =
    "[GENERAL]\r\nMyCall=S59XYZ\r\nMyYearLic=75\r\nMode=CW\r\nEMode=2\r\nMyName=Ana\r\n"
    "MyAddress=Pot 1\r\nMyEmail=ana@example.org\r\n";
const QDateTime kContestTime(QDate(2027, 4, 18), QTime(7, 12, 40), Qt::UTC);

class MainWindowLogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_.Write("Corvattaini.ini", kSettings);
        Start();
    }

    // focusEntry: put the focus into the entry line as the operator would
    // click it; false leaves it where the start put it.
    void Start(bool focusEntry = true) {
        window_.reset();
        state_ = corvatta::StationState{};
        window_ = std::make_unique<TfMain>(state_, clock_);
        window_->show();
        window_->ClockTimerTick();
        QApplication::setActiveWindow(window_.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
        if (focusEntry)
            window_->ECall->setFocus();
    }

    TfMain& W() { return *window_; }
    void Type(const char* text) { QTest::keyClicks(W().ECall, text); }
    void Enter() { QTest::keyClick(W().ECall, Qt::Key_Return); }
    QString LogText() { return platform::DecodeCp1250(dir_.Read("S59XYZ.log")); }
    QString Cell(int row, int col) { return W().LogModel().Cell(row, col); }

    testing_support::TempProgramDir dir_;
    testing_support::RecordingDialogs dialogs_;
    platform::FixedClock clock_{kContestTime};
    corvatta::StationState state_;
    std::unique_ptr<TfMain> window_;
};

TEST_F(MainWindowLogTest, EnterLogsAValidEntryAndTheFileHoldsTheLine) {
    Type("s59abc 85");
    EXPECT_EQ(W().ECall->text(), "S59ABC 85");
    EXPECT_EQ(W().LInfo->text(), "S59ABC");
    Enter();
    EXPECT_EQ(LogText(),
              "QSO:  3500 CW 2027-04-18 0712 S59XYZ       599 75      S59ABC       599 85\r\n");
    EXPECT_EQ(Cell(0, 0), "07:12");
    EXPECT_EQ(Cell(0, 1), "S59ABC");
    EXPECT_EQ(Cell(0, 3), "2");
    EXPECT_EQ(Cell(0, 4), "1");
    EXPECT_EQ(W().LQSO->text(), "S59XYZ QSO: 1");
    EXPECT_EQ(W().EPoint->text(), "2");
    EXPECT_EQ(W().EMult->text(), "2");  // 85, and the own year 75 not yet worked
    EXPECT_EQ(W().ESum->text(), "4");
    EXPECT_TRUE(W().ECall->text().isEmpty());
    EXPECT_TRUE(W().LInfo->text().isEmpty());

    // The same station again is a duplicate: logged with no points.
    Type("S59ABC 85");
    EXPECT_EQ(W().LDouble->text(), "DVOJNA ZVEZA");
    Enter();
    EXPECT_EQ(Cell(1, 3), "0");
    EXPECT_TRUE(W().LDouble->text().isEmpty());
    EXPECT_EQ(W().ESum->text(), "4");

    // A restart reads the log back with its points.
    Start();
    EXPECT_EQ(W().LQSO->text(), "S59XYZ QSO: 2");
    EXPECT_EQ(Cell(1, 1), "S59ABC");
    EXPECT_EQ(W().ESum->text(), "4");
}

TEST_F(MainWindowLogTest, OnlyCallsignCharactersReachTheEntryLineAndEditingKeysWork) {
    Type("s5,9-a?b/p");
    EXPECT_EQ(W().ECall->text(), "S59AB/P");
    W().ECall->clear();
    Type("S59ABXC 85");
    for (int i = 0; i < 4; ++i)
        QTest::keyClick(W().ECall, Qt::Key_Left);
    QTest::keyClick(W().ECall, Qt::Key_Backspace);  // the X
    EXPECT_EQ(W().ECall->text(), "S59ABC 85");
    QTest::keyClick(W().ECall, Qt::Key_Home);
    // Delete as the window system delivers it: with the text 0x7F.
    for (int i = 0; i < 2; ++i) {
        QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier, QString(QChar(0x7F)));
        QApplication::sendEvent(W().ECall, &del);
    }
    EXPECT_EQ(W().ECall->text(), "9ABC 85");
    QTest::keyClick(W().ECall, Qt::Key_End, Qt::ShiftModifier);
    Type("S51A 77");
    EXPECT_EQ(W().ECall->text(), "S51A 77");
    Enter();
    EXPECT_EQ(Cell(0, 1), "S51A");
}

TEST_F(MainWindowLogTest, TheNewestContactIsFullyVisibleAndEveryColumnShowsItsText) {
    for (int i = 0; i < 12; ++i) {
        Type(QStringLiteral("S5%1AB %2").arg(i + 10).arg(i + 50).toLatin1().constData());
        Enter();
        const QRect newest = W().Log->visualRect(W().LogModel().index(i, 0));
        ASSERT_TRUE(W().Log->viewport()->rect().contains(newest)) << "contact " << i + 1;
        EXPECT_EQ(W().Log->currentIndex().row(), std::max(0, i - 1));
    }
    const QFontMetrics metrics(W().Log->font());
    for (const auto& [column, text] : {std::pair{0, "07:12"}, {1, "S59ABCDEFGHI"}, {5, "SSB"}}) {
        EXPECT_GT(W().Log->columnWidth(column), metrics.horizontalAdvance(text) + 4) << text;
    }
}

TEST_F(MainWindowLogTest, AnErrorBoxAtStartStillEndsWithTheFocusInTheEntryLine) {
    window_.reset();
    QFile::remove(dir_.File("S59XYZ.log"));
    ASSERT_TRUE(QDir(dir_.Path()).mkdir("S59XYZ.log"));
    Start(false);
    EXPECT_EQ(dialogs_.Texts("error").size(), 1);
    EXPECT_EQ(QApplication::focusWidget(), W().ECall);
    EXPECT_TRUE(W().TimerTime->isActive());
    QTest::keyClicks(QApplication::focusWidget(), "S59ABC 85");
    EXPECT_EQ(W().ECall->text(), "S59ABC 85");
}

TEST_F(MainWindowLogTest, EnterNeverLogsAnIncompleteOrBlockedEntry) {
    Enter();  // the empty line at start
    Type("S59ABC");
    Enter();  // no year
    W().ECall->clear();
    Type("S5AB 85");
    Enter();  // letter after S5
    EXPECT_EQ(W().LInfo->text(), QString::fromUtf8("3 element znaka obvezna številka !"));
    W().ECall->clear();
    // With ESM on in CW, Enter belongs to the keyer sequence and logs nothing.
    state_.keyer.EnterSendMsg = true;
    Type("S59DEF 90");
    Enter();
    EXPECT_EQ(state_.log.QsoCount, 0);
    EXPECT_TRUE(LogText().isEmpty());
    // In SSB Enter logs whatever ESM says.
    W().EMode->setCurrentIndex(1);
    emit W().EMode->activated(1);
    W().ECall->setFocus();
    Enter();
    EXPECT_EQ(state_.log.QsoCount, 1);
    EXPECT_TRUE(LogText().startsWith("QSO:  3500 PH 2027-04-18 0712 S59XYZ        59 75"));
}

TEST_F(MainWindowLogTest, DeleteLastAndClearTheLog) {
    Type("S59ABC 85");
    Enter();
    Type("S52QQ 99");
    Enter();
    QTest::keyClick(&W(), Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(state_.log.QsoCount, 1);
    EXPECT_EQ(LogText().count("\r\n"), 1);
    EXPECT_TRUE(Cell(1, 1).isEmpty());

    // Cancel at the first question: nothing happens, whatever came before.
    dialogs_.AnswerConfirmations({false});
    W().ClearMenu->trigger();
    dialogs_.AnswerConfirmations({true, false});
    W().ClearMenu->trigger();
    EXPECT_EQ(state_.log.QsoCount, 1);
    dialogs_.AnswerConfirmations({true, true});
    W().ClearMenu->trigger();
    EXPECT_EQ(state_.log.QsoCount, 0);
    EXPECT_TRUE(LogText().isEmpty());
    EXPECT_EQ(W().ESum->text(), "0");
    EXPECT_EQ(W().LQSO->text(), "S59XYZ QSO: 0");
    const QStringList asked = dialogs_.Texts("confirm");
    ASSERT_EQ(asked.size(), 5);
    EXPECT_EQ(asked[4], QString::fromUtf8("Pritisnil si brisanje podatkov, res želiš to storiti?"
                                          "\n\rBrisal boš podatke dnevnika S59XYZ !"));
}

TEST_F(MainWindowLogTest, CabrilloExportWritesBothFilesOnlyAfterOk) {
    Type("S59ABC 85");
    Enter();
    dialogs_.AnswerConfirmations({false});
    W().SaveCbr->trigger();
    EXPECT_FALSE(dir_.Exists("S59XYZ.cbr"));
    dialogs_.AnswerConfirmations({true});
    W().SaveCbr->trigger();
    const QByteArray cbr = dir_.Read("S59XYZ.cbr");
    EXPECT_EQ(cbr, dir_.Read("zmbtmp.bak"));
    EXPECT_TRUE(cbr.startsWith("START-OF-LOG: 2.0\r\nCREATED-BY: Corvatta 1.11\r\n"));
    EXPECT_TRUE(cbr.contains("CATEGORY: SINGLE-OP 80M LOW MIXED\r\n"));
    EXPECT_TRUE(cbr.contains("CLAIMED-SCORE: 4\r\n"));
    EXPECT_TRUE(cbr.endsWith("S59ABC       599 85\r\nEND-OF-LOG:\r\n"));

    dialogs_.AnswerFiles({dir_.File("copy.log")});
    W().SaveAsLog->trigger();
    EXPECT_EQ(dir_.Read("copy.log"), dir_.Read("S59XYZ.log"));
    EXPECT_EQ(dialogs_.records.last().text, "Text files (*.log)");
}

TEST_F(MainWindowLogTest, ImportReplacesTheLogWithTheCopy) {
    Type("S59ABC 85");
    Enter();
    dir_.Write("other.log",
               "QSO:  3500 PH 2026-11-22 0801 S51AA         59 60      S57QRP        59 07\r\n"
               "\r\n"
               "QSO:  3500 CW 2026-11-22 0802 S51AA        599 60      S53B         599 99\r\n");
    dialogs_.AnswerConfirmations({true});
    dialogs_.AnswerFiles({dir_.File("other.log")});
    W().OpenLog->trigger();
    EXPECT_EQ(state_.log.QsoCount, 2);
    EXPECT_EQ(Cell(0, 1), "S57QRP");
    EXPECT_EQ(Cell(0, 5), "SSB");
    EXPECT_EQ(LogText(),
              "QSO:  3500 PH 2027-04-18 0801 S59XYZ        59 75      S57QRP        59 07\r\n"
              "QSO:  3500 CW 2027-04-18 0802 S59XYZ       599 75      S53B         599 99\r\n");
}

TEST_F(MainWindowLogTest, AGridEditIsSavedOnlyAfterAClick) {
    Type("S59ABC 85");
    Enter();
    // Keyboard edit without a click: kept in the grid, not written.
    W().LogModel().setData(W().LogModel().index(0, 2), "86");
    W().Log->setFocus();
    W().ECall->setFocus();
    EXPECT_TRUE(LogText().endsWith("599 85\r\n"));
    // Click first, then edit and leave.
    W().Log->setFocus();
    QTest::mouseClick(W().Log->viewport(), Qt::LeftButton, {},
                      W().Log->visualRect(W().LogModel().index(0, 2)).center());
    W().LogModel().setData(W().LogModel().index(0, 2), "87");
    W().ECall->setFocus();
    EXPECT_TRUE(LogText().endsWith("599 87\r\n"));
}

TEST_F(MainWindowLogTest, ValuesThatDoNotFitTheColumnsAreRefusedWhereTyped) {
    // The entry line: a callsign of 13 characters is not valid, no dialog.
    Type("S59ABCDEFGHIJ 85");
    Enter();
    EXPECT_EQ(state_.log.QsoCount, 0);
    EXPECT_EQ(W().LInfo->text(), corvatta::kMsgCallTooLong);
    EXPECT_TRUE(dialogs_.records.isEmpty());
    W().ECall->clear();
    Type("S59ABC 85");
    Enter();
    ASSERT_EQ(state_.log.QsoCount, 1);
    // The grid: a time that cannot be read is refused with a message, a
    // plain one is normalised.
    W().Log->setFocus();
    QTest::mouseClick(W().Log->viewport(), Qt::LeftButton, {},
                      W().Log->visualRect(W().LogModel().index(0, 0)).center());
    EXPECT_FALSE(W().LogModel().setData(W().LogModel().index(0, 0), "25:00"));
    EXPECT_EQ(Cell(0, 0), "07:12");
    EXPECT_EQ(W().LInfo->text(), corvatta::kMsgBadTime);
    EXPECT_TRUE(W().LogModel().setData(W().LogModel().index(0, 0), "9:05"));
    W().ECall->setFocus();
    EXPECT_EQ(Cell(0, 0), "09:05");
    EXPECT_TRUE(LogText().startsWith("QSO:  3500 CW 2027-04-18 0905 S59XYZ"));
    EXPECT_TRUE(dialogs_.records.isEmpty());
}

TEST_F(MainWindowLogTest, AContactThatCannotBeWrittenIsReportedAndNotInTheGrid) {
    // A directory where the log file should be: appending fails even for root.
    QFile::remove(dir_.File("S59XYZ.log"));
    ASSERT_TRUE(QDir(dir_.Path()).mkdir("S59XYZ.log"));
    Type("S59ABC 85");
    Enter();
    EXPECT_EQ(dialogs_.Texts("error").size(), 1);
    EXPECT_EQ(state_.log.QsoCount, 0);
    EXPECT_TRUE(Cell(0, 1).isEmpty());
    EXPECT_EQ(W().ECall->text(), "S59ABC 85");  // still there to try again
}

}  // namespace
