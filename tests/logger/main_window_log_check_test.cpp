// "Preveri dnevnik" from the main window's menu, and the check before the
// exports.
#include "logger/log_check.h"
#include "logger/main_window.h"
#include "logger/qso_log_model.h"
#include "platform/clock.h"
#include "tests/support/recording_dialogs.h"
#include "tests/support/temp_program_dir.h"

#include <gtest/gtest.h>
#include <QTest>

#include <memory>

namespace {

using namespace corvatta;

// The menu command and the check before "Shrani CBR" and "Oddaja dnevnika".
class LogCheckWindowTest : public ::testing::Test {
  protected:
    void Start(const QDateTime& utc) {
        clock_.Set(utc);
        dir_.Write("Corvattaini.ini",
                   "[GENERAL]\r\nMyCall=S59XYZ\r\nMyYearLic=75\r\nMode=CW\r\nEMode=0\r\n"
                   "MyName=Ana\r\nMyAddress=Pot 1\r\nMyEmail=ana@example.org\r\n");
        window_ = std::make_unique<TfMain>(state_, clock_);
        window_->show();
        window_->ClockTimerTick();
        QTest::keyClicks(window_->ECall, "S59ABC 85");
        QTest::keyClick(window_->ECall, Qt::Key_Return);
        ASSERT_EQ(state_.log.QsoCount, 1);
        dialogs_.records.clear();
    }

    testing_support::TempProgramDir dir_;
    testing_support::RecordingDialogs dialogs_;
    platform::FixedClock clock_{QDateTime()};
    StationState state_;
    std::unique_ptr<TfMain> window_;
};

TEST_F(LogCheckWindowTest, ACleanLogSaysSoAndGoesStraightToTheExport) {
    Start(QDateTime(QDate(2027, 4, 18), QTime(7, 12), Qt::UTC));
    window_->CheckLog->trigger();
    ASSERT_EQ(dialogs_.records.size(), 1);
    EXPECT_EQ(dialogs_.records[0].caption, "Preveri dnevnik");
    EXPECT_EQ(dialogs_.records[0].text, CheckCleanText("S59XYZ"));

    dialogs_.records.clear();
    dialogs_.AnswerConfirmations({true});
    window_->SaveCbr->trigger();
    EXPECT_EQ(dialogs_.Texts("confirm"), QStringList{SaveCbrConfirm()});
    EXPECT_TRUE(dir_.Exists("S59XYZ.cbr"));
}

TEST_F(LogCheckWindowTest, ProblemsAreListedAndTheOperatorMayStillExport) {
    // A contact an hour after the spring part ended.
    Start(QDateTime(QDate(2027, 4, 18), QTime(10, 0), Qt::UTC));
    window_->CheckLog->trigger();
    ASSERT_EQ(dialogs_.records.size(), 1);
    EXPECT_TRUE(dialogs_.records[0].text.contains("Zveza 1 (10:00 S59ABC): zveza izven"));

    // Cancel at the list: nothing is exported.
    dialogs_.records.clear();
    window_->SaveCbr->trigger();
    ASSERT_EQ(dialogs_.Texts("confirm").size(), 1);
    EXPECT_TRUE(dialogs_.Texts("confirm")[0].endsWith("Vseeno nadaljuješ - OK !"));
    EXPECT_FALSE(dir_.Exists("S59XYZ.cbr"));

    // OK at the list, then the export's own question.
    dialogs_.records.clear();
    dialogs_.AnswerConfirmations({true, true});
    window_->SaveCbr->trigger();
    EXPECT_EQ(dialogs_.Texts("confirm").size(), 2);
    EXPECT_TRUE(dir_.Exists("S59XYZ.cbr"));

    // The upload page asks the same first; Cancel opens nothing.
    dialogs_.records.clear();
    window_->UploadPage->trigger();
    ASSERT_EQ(dialogs_.Texts("confirm").size(), 1);
    EXPECT_TRUE(dialogs_.Texts("confirm")[0].contains("izven časa tekmovanja"));
}

}  // namespace
