// Call history from the main window's menu: merged into the built-in table,
// and the prediction using the merged table at once.
#include "logger/licence_table.h"
#include "logger/main_window.h"
#include "logger/qso_line.h"
#include "platform/clock.h"
#include "platform/cp1250.h"
#include "platform/text_file.h"
#include "tests/support/recording_dialogs.h"
#include "tests/support/temp_program_dir.h"

#include <gtest/gtest.h>
#include <QTest>

#include <memory>

namespace {

using namespace corvatta;

QString Line(const char* date, const char* call, const char* year, const char* mode = "CW") {
    return CabrilloQsoLine({"S59XYZ", "75", date}, "07:10", call, year, mode);
}

class CallHistoryWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_.Write("Corvattaini.ini",
                   "[GENERAL]\r\nMyCall=S59XYZ\r\nMyYearLic=75\r\nMode=CW\r\nEMode=0\r\n"
                   "MyName=Ana\r\nMyAddress=Pot 1\r\nMyEmail=ana@example.org\r\nAutoLL=1\r\n");
        dir_.Write("old1.log",
                   platform::EncodeCp1250(platform::JoinLinesCrLf(
                       {Line("2025-04-20", "S59NEW", "70"), Line("2025-04-20", "S59QIE", "55")})));
        dir_.Write("old2.cbr",
                   platform::EncodeCp1250(platform::JoinLinesCrLf(
                       {"START-OF-LOG: 2.0", Line("2026-04-19", "S59NEW", "71"), "END-OF-LOG:"})));
        window_ = std::make_unique<TfMain>(state_, clock_);
        window_->show();
        window_->ClockTimerTick();
    }

    testing_support::TempProgramDir dir_;
    testing_support::RecordingDialogs dialogs_;
    platform::FixedClock clock_{QDateTime(QDate(2027, 4, 18), QTime(7, 12, 40), Qt::UTC)};
    StationState state_;
    std::unique_ptr<TfMain> window_;
};

TEST_F(CallHistoryWindowTest, MergesIntoTheBuiltInTableAndPredictsAtOnce) {
    const auto builtIn = LicenceTable::BuiltIn();
    ASSERT_GT(builtIn.Size(), 0);
    ASSERT_EQ(builtIn.Find("S59QIE"), "96");

    // Cancelled at the confirmation: no Licence.txt.
    dialogs_.fileListAnswers.enqueue({dir_.File("old1.log"), dir_.File("old2.cbr")});
    window_->ImportCallHistory->trigger();
    ASSERT_EQ(dialogs_.Texts("confirm").size(), 1);
    EXPECT_TRUE(dialogs_.Texts("confirm")[0].startsWith(
        "Leta licenc iz dnevnikov (2): dodanih 1, spremenjenih 1, nespremenjenih 0."));
    EXPECT_FALSE(dir_.Exists("Licence.txt"));

    dialogs_.fileListAnswers.enqueue({dir_.File("old1.log"), dir_.File("old2.cbr")});
    dialogs_.AnswerConfirmations({true});
    window_->ImportCallHistory->trigger();
    ASSERT_TRUE(dir_.Exists("Licence.txt"));
    const LicenceTable table =
        LicenceTable::Parse(platform::ReadTextLines(dir_.File("Licence.txt")));
    EXPECT_EQ(table.Size(), builtIn.Size() + 1);  // nothing of the built-in table lost
    EXPECT_EQ(table.Find("S59NEW"), "71");
    EXPECT_EQ(table.Find("S59QIE"), "55");
    EXPECT_TRUE(dir_.Read("Licence.txt").startsWith("# Licence-year table"));

    // The entry line predicts from the merged table without a restart.
    window_->ECall->setFocus();
    QTest::keyClicks(window_->ECall, "S59NEW");
    EXPECT_EQ(window_->EditLL->text(), "71");

    // The same files again: nothing new, only the summary.
    dialogs_.records.clear();
    dialogs_.fileListAnswers.enqueue({dir_.File("old1.log"), dir_.File("old2.cbr")});
    window_->ImportCallHistory->trigger();
    EXPECT_EQ(dialogs_.Texts("confirm").size(), 0);
    EXPECT_EQ(dialogs_.Texts("message"),
              QStringList{"Leta licenc iz dnevnikov (2): dodanih 0, spremenjenih 0, "
                          "nespremenjenih 2."});
}

}  // namespace
