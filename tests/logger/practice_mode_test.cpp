// A practice session run through the real program: the keyer link on the
// built-in keyer's pseudo-terminal, the main window's entry line with ESM,
// the band answering what was keyed, the sound on a PulseAudio null sink
// (recorded from its monitor) when a server can be started. A scripted
// operator works the callers with Enter alone and reads the verified result.
#include "logger/log_file.h"
#include "logger/program.h"
#include "logger/qso_line.h"
#include "logger/qso_log_model.h"
#include "platform/audio_stream.h"
#include "platform/clock.h"
#include "tests/support/pulse_session.h"
#include "tests/support/recording_dialogs.h"
#include "tests/support/temp_program_dir.h"
#include "tests/support/winkeyer/winkeyer_simulator.h"

#include <gtest/gtest.h>
#include <QTest>

#include <cmath>
#include <memory>

namespace corvatta {
namespace {

using testing_support::PulseSession;

PulseSession* Pulse() {
    return testing_support::SharedPulseSession();
}

const QDateTime kDay(QDate(2026, 12, 8), QTime(10, 0), Qt::UTC);
const QByteArray kSettings =
    "[GENERAL]\r\nMyCall=S59XYZ\r\nMyYearLic=75\r\nMode=CW\r\nEMode=0\r\nMyName=Ana\r\n"
    "MyAddress=Pot 1\r\nMyEmail=ana@example.org\r\n"
    "[WK]\r\nSpeed=40\r\nEnterSendMsg=1\r\nRunMode=1\r\n"
    "[Memo]\r\nF1=CQ *\r\nF2=5NN #\r\nF3=TU\r\nF4=*\r\n";

// What a caller sent, read the way an operator copies it.
bool IsReport(const QString& t) {
    return t == QLatin1String("5NN") || t == QLatin1String("599");
}
QString Uncut(QString year) {
    return year.replace(u'T', u'0').replace(u'O', u'0').replace(u'N', u'9');
}

class PracticeRun : public ::testing::Test {
  protected:
    void SetUp() override {
        pulse_ = Pulse();  // before the program touches sound
        dir_.Write("Corvattaini.ini", kSettings);
        dir_.Write("Corvatta.ini", "[ComPort]\r\nPort=" + sim_.PortPath().toUtf8() + "\r\n");
        // Two contest contacts the session must leave alone.
        const OwnLineData own{"S59XYZ", "75", "2026-12-08"};
        contestLog_ = (CabrilloQsoLine(own, "09:58", "S51AB", "80", "CW") + "\r\n" +
                       CabrilloQsoLine(own, "09:59", "S57CD", "92", "CW") + "\r\n")
                          .toLatin1();
        dir_.Write("S59XYZ.log", contestLog_);
        program_ = std::make_unique<Program>(state_, clock_, [](int) {});
        program_->main.show();
        program_->keyer.OpenKeyer();
        ASSERT_TRUE(QTest::qWaitFor([&] { return state_.flags.KeyerReady; }, 5000));
    }

    // The first call, report or repeat a station sends after transmission
    // `from`, once it has been heard to its end, as an operator copies it.
    enum class Copy { Call, Report, Anything };
    QString NextFrom(qsizetype& from, Copy what) {
        QString found;
        double end = 0;
        (void)QTest::qWaitFor(
            [&] {
                for (; from < qsizetype(heard_.size()) && found.isEmpty(); ++from) {
                    const QStringList t = heard_[size_t(from)].text.split(u' ', Qt::SkipEmptyParts);
                    const bool isReport = !t.isEmpty() && IsReport(t.front());
                    if (what == Copy::Report && isReport && t.size() > 1) {
                        found = Uncut(t.at(1));
                    } else if (what == Copy::Call && !isReport && !t.isEmpty() &&
                               t.front() != QLatin1String("DE")) {
                        found = t.front();
                    } else if (what == Copy::Anything && !t.isEmpty()) {
                        found = t.join(u' ');
                    }
                    end = heard_[size_t(from)].end;
                }
                return !found.isEmpty();
            },
            30000);
        auto* session = program_->Practice().Session();
        if (!found.isEmpty() &&
            !QTest::qWaitFor([&] { return session->Now() > end + 0.2; }, 30000)) {
            found.clear();
        }
        return found;
    }
    void Type(const QString& text) { QTest::keyClicks(program_->main.ECall, text); }
    void Enter() { QTest::keyClick(program_->main.ECall, Qt::Key_Return); }
    bool KeyerIdle() {
        return QTest::qWaitFor(
            [&] {
                auto* s = program_->Practice().Session();
                return s && !s->Keyer().Busy() && !state_.flags.Transmitting;
            },
            20000);
    }

    PulseSession* pulse_ = nullptr;
    testing_support::TempProgramDir dir_;
    testing_support::RecordingDialogs dialogs_;
    testing_support::WinKeyerSimulator sim_;
    platform::FixedClock clock_{kDay};
    StationState state_;
    std::unique_ptr<Program> program_;
    QByteArray contestLog_;
    std::vector<practice::Transmission> heard_;
};

TEST_F(PracticeRun, FiveContactsWithEnterAloneAndABustedCall) {
    practice::PracticeSettings settings;
    settings.Minutes = 10;
    settings.Style = practice::PracticeStyle::SingleCaller;
    settings.Activity = 1;
    settings.SpeedMin = settings.SpeedMax = 40;
    settings.Qrn = settings.Qsb = settings.Qrm = settings.Lids = false;
    settings.Seed = QStringLiteral("11");
    settings.Record = true;
    settings.RecordFile = dir_.File("vaja.wav");
    if (pulse_) {
        ASSERT_TRUE(pulse_->StartMonitor());
    }
    PracticeMode& practice = program_->Practice();
    ASSERT_TRUE(practice.Start(settings)) << practice.Status().toStdString();
    practice.Session()->SetTransmissionListener(
        [&](const practice::Transmission& t) { heard_.push_back(t); });
    EXPECT_EQ(program_->main.windowTitle(), kMainCaption + QStringLiteral(" – VAJA"));
    EXPECT_EQ(state_.log.QsoCount, 0);
    EXPECT_FALSE(program_->main.SaveCbr->isEnabled());
    EXPECT_EQ(pulse_ != nullptr, practice.Audio() != nullptr) << practice.Status().toStdString();
    // The link opened the built-in keyer, which answered.
    ASSERT_TRUE(QTest::qWaitFor([&] { return state_.flags.KeyerReady; }, 5000));
    // The keyer window's settings keep the keyer's own port.
    program_->KeyerWindow().BClose->click();
    EXPECT_TRUE(dir_.Read("Corvatta.ini").contains(sim_.PortPath().toUtf8()));

    qsizetype next = 0;
    QStringList worked;
    for (int contact = 0; contact < 6; ++contact) {
        ASSERT_TRUE(KeyerIdle());
        // A caller may already be calling after the last TU; else CQ.
        if (next >= qsizetype(heard_.size())) {
            Enter();
        }
        QString call = NextFrom(next, Copy::Call);
        ASSERT_FALSE(call.isEmpty()) << "no caller after contact " << contact;
        if (contact == 5) {
            // Busted: one letter wrong, and logged so.
            call.back() = call.back() == u'A' ? u'B' : u'A';
        }
        Type(call);
        Enter();  // the call and the report
        // The busted call is answered with the station's call again; the
        // operator logs it all the same.
        const QString copied = NextFrom(next, contact == 5 ? Copy::Anything : Copy::Report);
        ASSERT_FALSE(copied.isEmpty()) << call.toStdString();
        const QString year = contact == 5 ? QStringLiteral("75") : copied;
        ASSERT_TRUE(KeyerIdle());
        Type(u' ' + year);
        Enter();  // logged, and TU
        worked << call;
        ASSERT_EQ(state_.log.QsoCount, contact + 1)
            << call.toStdString() << " " << year.toStdString();
    }
    ASSERT_TRUE(KeyerIdle());
    const QByteArray practiceLog = dir_.Read("S59XYZ_vaja.log");
    EXPECT_EQ(practiceLog.count("\r\n"), 6);

    practice.Stop();
    ASSERT_TRUE(practice.LastResults().has_value());
    const auto& r = *practice.LastResults();
    EXPECT_EQ(r.verification.counts.correct, 5) << worked.join(u' ').toStdString();
    EXPECT_EQ(r.verification.counts.bustedCall, 1);
    EXPECT_EQ(r.verification.contacts.back().verdict, practice::Verdict::BustedCall);
    EXPECT_GT(r.summary.verifiedScore, 0);
    EXPECT_LT(r.summary.verifiedScore, r.summary.claimedScore);
    EXPECT_TRUE(r.fileNote.contains(QStringLiteral("vaja_2026-12-08_1000.txt")))
        << r.fileNote.toStdString();

    // Everything back as it was: the contest log, in the file and the grid,
    // the keyer on its own port, the window.
    EXPECT_EQ(dir_.Read("S59XYZ.log"), contestLog_);
    EXPECT_EQ(state_.log.QsoCount, 2);
    EXPECT_EQ(program_->main.LogModel().Row(1)[Call], "S57CD");
    EXPECT_EQ(program_->keyer.Port()->Port(), sim_.PortPath());
    EXPECT_TRUE(program_->keyer.PortOpen());
    EXPECT_EQ(program_->main.windowTitle(), kMainCaption);
    EXPECT_TRUE(program_->main.SaveCbr->isEnabled());
    EXPECT_FALSE(dir_.Exists("backup/S59XYZ_vaja.log"));

    // What was heard: the sink got sound, and the recording holds the
    // session at 48 kHz.
    const QByteArray wav = dir_.Read("vaja.wav");
    ASSERT_GT(wav.size(), 44 + 48000 * 2 * 5);
    if (pulse_) {
        const std::vector<qint16> monitor = pulse_->StopMonitor();
        double sum = 0;
        for (qint16 v : monitor) {
            sum += double(v) * v;
        }
        ASSERT_GT(monitor.size(), size_t(48000 * 5));
        EXPECT_GT(std::sqrt(sum / double(monitor.size())), 300.0);
    }
}

TEST_F(PracticeRun, ClosingTheProgramEndsTheSessionFirst) {
    practice::PracticeSettings settings;
    settings.Seed = QStringLiteral("3");
    ASSERT_TRUE(program_->Practice().Start(settings))
        << program_->Practice().Status().toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return state_.flags.KeyerReady; }, 5000));
    program_->main.close();
    EXPECT_FALSE(program_->Practice().Running());
    EXPECT_TRUE(dir_.Exists("vaja_2026-12-08_1000.txt"));
    EXPECT_EQ(dir_.Read("S59XYZ.log"), contestLog_);
    // The contest log is the one copied at the end, and the port saved is the keyer's.
    EXPECT_EQ(program_->keyer.Port()->Port(), sim_.PortPath());
    EXPECT_EQ(state_.log.QsoCount, 2);
}

}  // namespace
}  // namespace corvatta
