// Kills a process in the middle of logging and rewriting, again and again:
// the log file must always read back, in whole lines, and hold every contact
// that had reached the grid.
#include "logger/log_file.h"
#include "platform/text_file.h"
#include "tests/support/qt_printers.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>

namespace corvatta {
namespace {

TEST(LogCrash, KilledWhileLoggingTheFileHoldsEveryShownContact) {
#ifndef CORVATTA_LOG_CRASH_CHILD
    GTEST_SKIP() << "the child program is not built";
#else
    QRandomGenerator rng(7);
    int totalShown = 0;
    for (int round = 0; round < 30; ++round) {
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        QProcess child;
        child.start(QStringLiteral(CORVATTA_LOG_CRASH_CHILD), {dir.path() + "/"});
        ASSERT_TRUE(child.waitForStarted());
        // Let it work for a while, sometimes long enough for many contacts.
        QThread::msleep(rng.bounded(5, 250));
        child.kill();
        ASSERT_TRUE(child.waitForFinished());
        QStringList shown;
        for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
            if (line.startsWith("G ")) {
                shown << QString::fromLatin1(line.mid(2));
            }
        }
        ASSERT_EQ(child.readAllStandardError(), "") << round;
        totalShown += int(shown.size());

        const QString path = dir.filePath("S59ABC.log");
        if (!QFile::exists(path)) {
            // Killed before the log was even opened.
            ASSERT_TRUE(shown.isEmpty());
            continue;
        }
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        ASSERT_TRUE(bytes.isEmpty() || bytes.endsWith("\r\n")) << "torn last line, round " << round;
        const QStringList lines = platform::ReadTextLines(path);
        for (const QString& line : lines) {
            ASSERT_EQ(line.size(), 74) << line.toStdString();
            ASSERT_TRUE(line.startsWith("QSO:  3500 CW 2025-04-20 "));
        }
        QStringList inFile;
        for (const QsoRow& row : ReadLogRows(path)) {
            inFile << row[Call];
        }
        // Every contact shown is there, in order; at most the one whose line
        // was written before it could be shown follows.
        ASSERT_GE(inFile.size(), shown.size()) << round;
        ASSERT_LE(inFile.size(), shown.size() + 1) << round;
        EXPECT_EQ(inFile.mid(0, shown.size()), shown) << round;
    }
    // The kills must have landed while contacts were being logged.
    EXPECT_GT(totalShown, 30);
#endif
}

}  // namespace
}  // namespace corvatta
