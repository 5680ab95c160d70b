// The log's rotating copies: names, rotation, the once-a-minute schedule,
// copies written off the UI thread, restoring one from the menu, and what
// the operator is told when a copy or a restore fails.
#include "logger/log_backup.h"
#include "logger/log_menu.h"
#include "logger/main_window.h"
#include "logger/qso_line.h"
#include "logger/qso_log_model.h"
#include "platform/clock.h"
#include "platform/errors.h"
#include "tests/support/disk_limits.h"
#include "tests/support/recording_dialogs.h"
#include "tests/support/temp_program_dir.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QDir>
#include <QInputDialog>
#include <QLabel>
#include <QRegularExpression>
#include <QTest>

#include <cerrno>
#include <memory>

namespace {

using namespace corvatta;

const QDateTime kStart(QDate(2027, 4, 18), QTime(9, 10, 0), Qt::LocalTime);

QStringList BackupNames(const QString& folder) {
    return QDir(folder + kBackupFolder).entryList(QDir::Files, QDir::Name);
}

TEST(LogBackupNames, StampIsReadFromTheEndAndOnlyTheLogsOwnCopiesCount) {
    EXPECT_EQ(BackupFileName("S5_S59ABC", kStart), "S5_S59ABC_20270418_091000.log");
    struct Case {
        const char* name;
        const char* fileCall;
        bool matches;
    } cases[] = {
        {"S5_S59ABC_20270418_091000.log", "S5_S59ABC", true},
        {"S5_S59ABC_20270418_091000_2.log", "S5_S59ABC", true},
        {"S59ABC_20270418_091000.log", "S5_S59ABC", false},
        {"S5_S59ABC_20270418_091000.log", "S59ABC", false},
        {"S59ABC_20271318_091000.log", "S59ABC", false},  // month 13
        {"S59ABC_20270418_0910.log", "S59ABC", false},
        {"S59ABC_20270418_091000.cbr", "S59ABC", false},
    };
    for (const Case& c : cases) {
        const auto t = BackupTime(c.name, c.fileCall);
        EXPECT_EQ(t.has_value(), c.matches) << c.name;
        if (t && c.matches) {
            EXPECT_EQ(*t, QDateTime(QDate(2027, 4, 18), QTime(9, 10, 0))) << c.name;
        }
    }
}

std::vector<BackupInfo> Copies(const QDateTime& first, int count, int stepSeconds) {
    std::vector<BackupInfo> out;
    for (int i = 0; i < count; ++i) {
        const QDateTime t = first.addSecs(qint64{i} * stepSeconds);
        out.push_back({BackupFileName("S59ABC", t), t, i, {}});
    }
    return out;
}

TEST(LogBackupRotation, KeepsTheNewestTwentyAndTheNewestOfEachDay) {
    // 25 copies in one morning: the five oldest go.
    auto oneDay = Copies(kStart, 25, 60);
    QStringList expected;
    for (int i = 0; i < 5; ++i)
        expected.append(oneDay[static_cast<size_t>(i)].path);
    QStringList removed = BackupsToRemove(oneDay);
    removed.sort();
    EXPECT_EQ(removed, expected);

    // Ten a day on three days (given out of order): the last two days fill
    // the twenty, and of the first day only its last copy stays.
    auto days = Copies(kStart.addDays(2), 10, 60);
    const auto day2 = Copies(kStart.addDays(1), 10, 60);
    const auto day1 = Copies(kStart, 10, 60);
    days.insert(days.end(), day1.begin(), day1.end());
    days.insert(days.end(), day2.begin(), day2.end());
    removed = BackupsToRemove(days);
    EXPECT_EQ(removed.size(), 9);
    EXPECT_FALSE(removed.contains(day1.back().path));
    for (int i = 0; i < 9; ++i)
        EXPECT_TRUE(removed.contains(day1[static_cast<size_t>(i)].path)) << i;

    // Twenty or fewer: nothing goes.
    EXPECT_TRUE(BackupsToRemove(Copies(kStart, 20, 1)).isEmpty());
}

TEST(LogBackupFiles, WritingRotatesAndTwoCopiesInOneSecondBothStay) {
    testing_support::TempProgramDir dir;
    const QString log = dir.File("S59ABC.log");
    for (int i = 0; i < 23; ++i) {
        WriteBackup(log, "S59ABC", QByteArray::number(i), kStart.addSecs(i));
    }
    const QStringList names = BackupNames(dir.Path());
    ASSERT_EQ(names.size(), 20);
    EXPECT_EQ(names.front(), BackupFileName("S59ABC", kStart.addSecs(3)));
    const auto list = ListBackups(log, "S59ABC");
    ASSERT_EQ(list.size(), 20u);
    EXPECT_EQ(list.front().taken, kStart.addSecs(22));  // newest first
    EXPECT_EQ(dir.Read(kBackupFolder + "/" + names.back()), "22");

    const QString again = WriteBackup(log, "S59ABC", "x", kStart.addSecs(22));
    EXPECT_TRUE(again.endsWith("_20270418_091022_1.log")) << again.toStdString();
    EXPECT_EQ(dir.Read(kBackupFolder + "/" + names.back()), "22");
    // No temporary file is left behind by the atomic writes.
    EXPECT_EQ(QDir(dir.Path() + kBackupFolder).entryList(QDir::Files).size(), 20);
}

TEST(LogBackupFiles, ContactCountsAreTheNonEmptyLines) {
    testing_support::TempProgramDir dir;
    const QString log = dir.File("S59ABC.log");
    WriteBackup(log, "S59ABC", "a\r\nb\r\n\r\nc\r\n", kStart);
    WriteBackup(log, "S59ABC", "", kStart.addSecs(5));
    const auto list = ListBackups(log, "S59ABC");
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].contacts, 0);
    EXPECT_EQ(list[1].contacts, 3);
}

TEST(LogBackupRestore, BacksUpTheCurrentLogThenReplacesItWhole) {
    testing_support::TempProgramDir dir;
    const QString log = dir.File("S59ABC.log");
    dir.Write("S59ABC.log", "current\r\n");
    const QString old = WriteBackup(log, "S59ABC", "old1\r\nold2\r\n", kStart);
    const QString saved = RestoreBackup(log, "S59ABC", old, kStart.addSecs(60));
    EXPECT_EQ(dir.Read("S59ABC.log"), "old1\r\nold2\r\n");
    QFile savedFile(saved);
    ASSERT_TRUE(savedFile.open(QIODevice::ReadOnly));
    EXPECT_EQ(savedFile.readAll(), "current\r\n");
    EXPECT_EQ(QDir(dir.Path()).entryList(QDir::Files), QStringList{"S59ABC.log"});

    // A copy that cannot be read changes nothing and adds no copy.
    EXPECT_THROW(RestoreBackup(log, "S59ABC", dir.File("missing.log"), kStart.addSecs(120)),
                 platform::IoError);
    EXPECT_EQ(dir.Read("S59ABC.log"), "old1\r\nold2\r\n");
    EXPECT_EQ(BackupNames(dir.Path()).size(), 2);
}

TEST(LogBackupFiles, CopiesWrittenAfterTheClockWentBackAreTheNewest) {
    testing_support::TempProgramDir dir;
    const QString log = dir.File("S59ABC.log");
    for (int i = 0; i < 20; ++i) {  // written while the clock ran an hour ahead
        QFile copy(WriteBackup(log, "S59ABC", "old", kStart.addSecs(3600 + 60 * i)));
        ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
        copy.setFileTime(QDateTime::currentDateTime().addSecs(3600 + i),
                         QFileDevice::FileModificationTime);
    }
    const QString first = WriteBackup(log, "S59ABC", "new", kStart);
    const QString second = WriteBackup(log, "S59ABC", "new", kStart.addSecs(60));
    const auto list = ListBackups(log, "S59ABC", false);
    ASSERT_EQ(list.size(), 20u);
    EXPECT_EQ(list[0].path, second);
    EXPECT_EQ(list[1].path, first);
}

TEST(LogBackupRestore, AFullDiskLeavesTheLogAndSaysSo) {
    testing_support::TempProgramDir dir;
    const QString log = dir.File("S59ABC.log");
    dir.Write("S59ABC.log", "current\r\n");
    const QString big = WriteBackup(log, "S59ABC", QByteArray(4096, 'x'), kStart);
    const QString text = testing_support::RunWithFileSizeLimit(
        1024, [&] { return RestoreBackup(log, "S59ABC", big, kStart.addSecs(60)); });
    EXPECT_EQ(text, "exception: Dnevnik ni obnovljen, ostal je tak, kot je bil: " +
                        qt_error_string(EFBIG) + ": " + log);
    EXPECT_EQ(dir.Read("S59ABC.log"), "current\r\n");
}

TEST(LogBackupSchedule, AtMostOneCopyAMinuteAndThePendingOneFollows) {
    platform::FixedClock clock(kStart);
    BackupSchedule schedule(clock);
    EXPECT_TRUE(schedule.ContactLogged());  // the first: at once
    schedule.Taken();
    EXPECT_FALSE(schedule.PendingDueInMs().has_value());
    clock.AdvanceMs(20'000);
    EXPECT_FALSE(schedule.ContactLogged());
    EXPECT_EQ(schedule.PendingDueInMs(), 40'000);
    EXPECT_FALSE(schedule.PendingDue());
    clock.AdvanceMs(39'999);
    EXPECT_FALSE(schedule.PendingDue());
    clock.AdvanceMs(1);
    EXPECT_TRUE(schedule.PendingDue());
    schedule.Taken();
    EXPECT_FALSE(schedule.PendingDue());
    clock.AdvanceMs(60'000);
    EXPECT_TRUE(schedule.ContactLogged());  // a quiet minute: at once again
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
