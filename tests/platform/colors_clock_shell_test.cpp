#include "platform/clock.h"
#include "platform/colors.h"
#include "platform/program_dir.h"
#include "platform/shell.h"
#include "tests/support/temp_program_dir.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QFile>
#include <QStandardPaths>

#include <cstdlib>
#include <ctime>

namespace {

TEST(Colors, TextsOfBothFormsAndNames) {
    EXPECT_EQ(platform::ColorOf("$00AAAAFF"), QColor(0xFF, 0xAA, 0xAA));  // light red
    EXPECT_EQ(platform::ColorOf("$00A5FDBF"), QColor(0xBF, 0xFD, 0xA5));  // light green
    EXPECT_EQ(platform::ColorOf("$00FF0000"), QColor(0, 0, 255));
    EXPECT_EQ(platform::ColorOf("1156607"), QColor(0xFF, 0xA5, 0x11));   // orange
    EXPECT_EQ(platform::ColorOf("15793151"), QColor(0xFF, 0xFB, 0xF0));  // cream
    EXPECT_EQ(platform::ColorOf("clRed"), QColor(255, 0, 0));
    EXPECT_EQ(platform::ColorOf("CLNAVY"), QColor(0, 0, 128));
    EXPECT_FALSE(platform::ColorFromText("reddish").has_value());
    EXPECT_FALSE(platform::ColorFromText("").has_value());
    EXPECT_EQ(platform::ColorToText(QColor(0xFF, 0xEE, 0xAA)), "$00AAEEFF");
}

class ZoneTest : public ::testing::Test {
  protected:
    void SetTz(const char* tz) {
        ::setenv("TZ", tz, 1);
        ::tzset();
    }
    void TearDown() override {
        if (old_) {
            ::setenv("TZ", old_->c_str(), 1);
        } else {
            ::unsetenv("TZ");
        }
        ::tzset();
    }
    void SetUp() override {
        if (const char* tz = ::getenv("TZ"))
            old_ = std::string(tz);
    }
    std::optional<std::string> old_;
};

TEST_F(ZoneTest, LocalToUtcFollowsDaylightSavingOfTheDate) {
    SetTz("Europe/Ljubljana");
    const auto utc = [](QDate d, QTime t) {
        return platform::LocalToUtc(QDateTime(d, t)).toString("yyyy-MM-dd hh:mm:ss");
    };
    EXPECT_EQ(utc(QDate(2026, 11, 22), QTime(9, 0)), "2026-11-22 08:00:00");  // CET
    EXPECT_EQ(utc(QDate(2026, 4, 19), QTime(9, 0)), "2026-04-19 07:00:00");   // CEST
    EXPECT_EQ(utc(QDate(2027, 3, 28), QTime(1, 30)), "2027-03-28 00:30:00");  // before the jump
    EXPECT_EQ(utc(QDate(2027, 3, 28), QTime(3, 30)), "2027-03-28 01:30:00");  // after it
    SetTz("Asia/Kolkata");  // no daylight saving, half-hour offset
    EXPECT_EQ(utc(QDate(2026, 7, 1), QTime(12, 0)), "2026-07-01 06:30:00");
    EXPECT_EQ(utc(QDate(2026, 1, 1), QTime(12, 0)), "2026-01-01 06:30:00");
}

TEST_F(ZoneTest, FixedClockGivesLocalTimeOfItsInstant) {
    SetTz("Europe/Ljubljana");
    platform::FixedClock clock(QDateTime(QDate(2027, 4, 18), QTime(8, 59, 30), Qt::UTC));
    EXPECT_EQ(clock.Now().toString("hh:mm:ss"), "10:59:30");
    EXPECT_EQ(clock.TimeOfDay(false), QTime(10, 59, 30));
    EXPECT_EQ(clock.TimeOfDay(true), QTime(8, 59, 30));
    clock.AdvanceMs(30000);
    EXPECT_EQ(platform::LocalToUtc(clock.Now()).toString("hh:mm:ss"), "09:00:00");
}

TEST_F(ZoneTest, SystemTimeOfDayAgreesWithQtLocallyAndInUtc) {
    platform::SystemClock clock;
    // Half-hour offsets on both sides of UTC, one with daylight saving.
    for (const char* tz : {"Asia/Kolkata", "America/St_Johns"}) {
        SetTz(tz);
        for (const bool utc : {false, true}) {
            const auto qt = [utc] {
                const QTime t =
                    (utc ? QDateTime::currentDateTimeUtc() : QDateTime::currentDateTime()).time();
                return QTime(t.hour(), t.minute(), t.second());
            };
            // Between two of Qt's readings; once more if midnight fell between.
            QTime before, ours, after;
            for (int attempt = 0; attempt < 3 && !(before <= after && before.isValid());
                 ++attempt) {
                before = qt();
                ours = clock.TimeOfDay(utc);
                after = qt();
            }
            EXPECT_LE(before, ours) << tz << (utc ? " UTC" : " local");
            EXPECT_LE(ours, after) << tz << (utc ? " UTC" : " local");
        }
    }
}

TEST(ProgramDirectory, OverrideAndTrailingSeparator) {
    {
        testing_support::TempProgramDir dir;
        EXPECT_TRUE(platform::ProgramDirectory().endsWith('/'));
        EXPECT_EQ(platform::ProgramDirectory(), dir.Path());
    }
    EXPECT_EQ(platform::ProgramDirectory(), QCoreApplication::applicationDirPath() + "/");
}

TEST(Shell, ClockProgramIsFoundBesideTheProgram) {
    testing_support::TempProgramDir dir;
    EXPECT_TRUE(platform::ResolveExecutable("Tickwell.exe").isEmpty() ||
                !platform::ResolveExecutable("Tickwell.exe").startsWith(dir.Path()));
    dir.Write("Tickwell", "#!/bin/sh\n");
    QFile::setPermissions(dir.File("Tickwell"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(platform::ResolveExecutable("Tickwell.exe"), dir.File("Tickwell"));
    EXPECT_TRUE(platform::ResolveExecutable("https://example.org/x.pdf").isEmpty());
    EXPECT_EQ(platform::ResolveExecutable("sh"), QStandardPaths::findExecutable("sh"));
}

// Installed, the programs lie on the search path and their files in the data directory.
TEST(Shell, AProgramNamedWithExeIsFoundOnTheSearchPath) {
    testing_support::TempProgramDir dir;
    QTemporaryDir bin;
    const QString program = bin.filePath("Corvatta");
    QFile file(program);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\n");
    file.close();
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin.path()) + ":" + path);
    const QString resolved = platform::ResolveExecutable("Corvatta.exe");
    qputenv("PATH", path);
    EXPECT_EQ(resolved, program);
}

}  // namespace
