// "Shrani ADIF" from the main window's menu, read back by the strict reader.
#include "logger/main_window.h"
#include "platform/clock.h"
#include "tests/logger/adif_strict_reader.h"
#include "tests/support/recording_dialogs.h"
#include "tests/support/temp_program_dir.h"

#include <gtest/gtest.h>
#include <QTest>

namespace {

using namespace corvatta;
using testing_support::ReadAdifStrictly;

TEST(AdifExport, TheMenuCommandWritesTheLogToTheChosenFile) {
    testing_support::TempProgramDir dir;
    testing_support::RecordingDialogs dialogs;
    dir.Write("Corvattaini.ini",
              "[GENERAL]\r\nMyCall=S59XYZ\r\nMyYearLic=75\r\nMode=CW\r\nEMode=0\r\n"
              "MyName=Ana\r\nMyAddress=Pot 1\r\nMyEmail=ana@example.org\r\n");
    platform::FixedClock clock(QDateTime(QDate(2027, 4, 18), QTime(7, 12, 40), Qt::UTC));
    StationState state;
    TfMain window(state, clock);
    window.show();
    window.ClockTimerTick();
    for (const char* entry : {"S59ABC 85", "S51DEF 99"}) {
        QTest::keyClicks(window.ECall, entry);
        QTest::keyClick(window.ECall, Qt::Key_Return);
    }
    window.SaveAdif->trigger();  // cancelled: nothing written
    EXPECT_EQ(dialogs.records.back().kind, "save");
    EXPECT_EQ(dialogs.records.back().text, "ADIF (*.adi)");
    dialogs.AnswerFiles({dir.File("out.adi")});
    window.SaveAdif->trigger();
    QString why;
    const auto file = ReadAdifStrictly(dir.Read("out.adi"), &why);
    ASSERT_TRUE(file) << why.toStdString();
    ASSERT_EQ(file->records.size(), 2u);
    EXPECT_EQ(file->records[1]["CALL"], "S51DEF");
    EXPECT_EQ(file->records[1]["TIME_ON"], "0712");
    EXPECT_EQ(file->header["CREATED_TIMESTAMP"], "20270418 071240");
    EXPECT_TRUE(dir.Read("out.adi").endsWith("<EOR>\r\n"));
}

}  // namespace
