// The log's copies from the main window: after contacts and at exit, off the
// UI thread, restoring one from the menu, and what the operator is told when
// a copy or a restore fails.
#include "logger/log_backup.h"
#include "logger/log_menu.h"
#include "logger/main_window.h"
#include "logger/qso_line.h"
#include "logger/qso_log_model.h"
#include "platform/clock.h"
#include "platform/errors.h"
#include "tests/support/recording_dialogs.h"
#include "tests/support/temp_program_dir.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QDir>
#include <QInputDialog>
#include <QLabel>
#include <QRegularExpression>
#include <QTest>

#include <memory>

namespace {

using namespace corvatta;

QStringList BackupNames(const QString& folder) {
    return QDir(folder + kBackupFolder).entryList(QDir::Files, QDir::Name);
}

// The main window: copies after contacts and at exit, and the restore.
class LogBackupWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_.Write("Corvattaini.ini",
                   "[GENERAL]\r\nMyCall=S59XYZ\r\nMyYearLic=75\r\nMode=CW\r\nEMode=0\r\n"
                   "MyName=Ana\r\nMyAddress=Pot 1\r\nMyEmail=ana@example.org\r\n");
        window_ = std::make_unique<TfMain>(state_, clock_);
        window_->show();
        window_->ClockTimerTick();
        window_->ECall->setFocus();
    }
    void Log(const char* entry) {
        QTest::keyClicks(window_->ECall, entry);
        QTest::keyClick(window_->ECall, Qt::Key_Return);
        window_->Backups().WaitForDone();
    }
    QStringList Copies() { return BackupNames(dir_.Path()); }

    testing_support::TempProgramDir dir_;
    testing_support::RecordingDialogs dialogs_;
    platform::FixedClock clock_{QDateTime(QDate(2027, 4, 18), QTime(7, 12, 40), Qt::UTC)};
    StationState state_;
    std::unique_ptr<TfMain> window_;
};

TEST_F(LogBackupWindowTest, ContactsAreCopiedOnceAMinuteAndAtExit) {
    Log("S59ABC 85");
    ASSERT_EQ(Copies().size(), 1);
    EXPECT_EQ(dir_.Read(kBackupFolder + "/" + Copies()[0]), dir_.Read("S59XYZ.log"));
    clock_.AdvanceMs(10'000);
    Log("S59DEF 86");
    EXPECT_EQ(Copies().size(), 1);  // within the minute: pending
    clock_.AdvanceMs(60'000);
    Log("S59GHI 87");
    ASSERT_EQ(Copies().size(), 2);
    EXPECT_EQ(dir_.Read(kBackupFolder + "/" + Copies()[1]).count('\n'), 3);

    clock_.AdvanceMs(5'000);
    Log("S59JKL 88");
    window_->close();
    ASSERT_EQ(Copies().size(), 3);
    EXPECT_EQ(dir_.Read(kBackupFolder + "/" + Copies()[2]), dir_.Read("S59XYZ.log"));
}

TEST_F(LogBackupWindowTest, RestoreListsCopiesBacksUpTheLogAndReloadsIt) {
    Log("S59ABC 85");
    clock_.AdvanceMs(61'000);
    Log("S59DEF 86");
    ASSERT_EQ(Copies().size(), 2);
    clock_.AdvanceMs(61'000);
    Log("S59GHI 87");  // the log now holds three, the copies one and two
    ASSERT_EQ(Copies().size(), 3);

    // Cancelling the list or the confirmation changes nothing.
    window_->RestoreBackup->trigger();
    EXPECT_EQ(state_.log.QsoCount, 3);
    dialogs_.choiceAnswers.enqueue(2);
    window_->RestoreBackup->trigger();
    EXPECT_EQ(state_.log.QsoCount, 3);
    EXPECT_EQ(Copies().size(), 3);

    const QByteArray logOfThree = dir_.Read("S59XYZ.log");
    dialogs_.choiceAnswers.enqueue(2);
    dialogs_.AnswerConfirmations({true});
    window_->RestoreBackup->trigger();
    const auto item = [this](int secondsBack, int contacts) {
        return clock_.Now().addSecs(-secondsBack).toString("dd.MM.yyyy  hh:mm:ss") +
               QStringLiteral("  QSO: %1").arg(contacts);
    };
    EXPECT_EQ(dialogs_.lastChoiceItems, (QStringList{item(0, 3), item(61, 2), item(122, 1)}));
    EXPECT_EQ(state_.log.QsoCount, 1);
    EXPECT_EQ(window_->LogModel().Cell(0, 1), "S59ABC");
    EXPECT_EQ(window_->LQSO->text(), "S59XYZ QSO: 1");
    EXPECT_EQ(dir_.Read("S59XYZ.log").count('\n'), 1);
    // The log of three was saved first (in the same second as the newest
    // copy, so under a name of its own).
    ASSERT_EQ(Copies().size(), 4);
    const auto list = ListBackups(dir_.File("S59XYZ.log"), "S59XYZ");
    EXPECT_TRUE(list.front().path.endsWith("_1.log"));
    QFile saved(list.front().path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), logOfThree);
}

TEST_F(LogBackupWindowTest, AFailedCopyIsAMarkWithItsReasonNeverABox) {
    dir_.Write(kBackupFolder, "not a folder");
    Log("S59ABC 85");
    const auto* mark = window_->findChild<QLabel*>("LBackupFailed");
    ASSERT_TRUE(mark && QTest::qWaitFor([mark] { return !mark->isHidden(); }));
    EXPECT_TRUE(
        mark->toolTip().startsWith("Varnostna kopija dnevnika ni shranjena, dnevnik je "
                                   "ostal nespremenjen: namesto mape"));
    EXPECT_TRUE(dialogs_.records.isEmpty());
    QFile::remove(dir_.File(kBackupFolder));
    clock_.AdvanceMs(61'000);
    Log("S59DEF 86");
    EXPECT_TRUE(QTest::qWaitFor([mark] { return mark->isHidden(); }));
}

TEST_F(LogBackupWindowTest, TheRestoreDialogsFitNameAnotherStationAndSpeakAsTheProgram) {
    const OwnLineData other{"S59OTH", "70", "2027-04-18"};
    WriteBackup(dir_.File("S59XYZ.log"), "S59XYZ",
                CabrilloQsoLine(other, "07:05", "S59ABC", "75", "CW").toLatin1(), clock_.Now());
    dialogs_.choiceAnswers.enqueue(0);
    window_->RestoreBackup->trigger();
    ASSERT_EQ(dialogs_.records.size(), 2);
    // The list as the program builds it; its title bar also holds an icon
    // and three buttons of some 24 pixels.
    QInputDialog list;
    list.setLabelText(dialogs_.records[0].text);
    list.setComboBoxItems(dialogs_.lastChoiceItems);
    QFont bold = QApplication::font();
    bold.setBold(true);
    EXPECT_LE(QFontMetrics(bold).horizontalAdvance(dialogs_.records[0].caption) + 4 * 24,
              list.sizeHint().width());
    const QString confirm = dialogs_.records[1].text;
    EXPECT_TRUE(confirm.contains("kopija je dnevnik postaje S59OTH, ne S59XYZ !"));
    // The informal address of the rest of the program: no "-ete", "-ite".
    EXPECT_FALSE(confirm.contains(
        QRegularExpression("\\b\\w+[ei]te\\b", QRegularExpression::UseUnicodePropertiesOption)));
}

TEST_F(LogBackupWindowTest, NoCopiesSaysSo) {
    window_->RestoreBackup->trigger();
    EXPECT_EQ(dialogs_.Texts("message"), QStringList{NoBackupsText("S59XYZ")});
}

}  // namespace
