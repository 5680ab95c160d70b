// The log's rotating copies: names, rotation, the once-a-minute schedule,
// copies written and restored, and a restore on a full disk.
#include "logger/log_backup.h"
#include "platform/clock.h"
#include "platform/errors.h"
#include "tests/support/disk_limits.h"
#include "tests/support/temp_program_dir.h"

#include <gtest/gtest.h>
#include <QDir>

#include <cerrno>

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

}  // namespace
