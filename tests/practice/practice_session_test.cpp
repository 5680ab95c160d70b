// A practice session worked end to end without a sound card: a scripted
// operator writes to the built-in keyer what the program writes for CQ, the
// caller's call with ESM's exchange after it, and TU, reads the keyer's
// replies as the port would, hears the band through the session, logs what
// it heard and has the log verified: three contacts right and one call
// logged as it was deliberately busted. The session is the same for the
// same seed, sample for sample, and ends, recorded, after its duration.
#include "practice/practice_session.h"
#include "keyer/cw_message.h"
#include "keyer/winkeyer_protocol.h"
#include "tests/support/qt_printers.h"

#include <gtest/gtest.h>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimeZone>
#include <cstring>

namespace corvatta::practice {
namespace {

constexpr int kBlock = 480;  // 10 ms

class ScriptedOperator {
  public:
    explicit ScriptedOperator(const SessionSetup& setup) : session(setup) {
        session.SetTransmissionListener([this](const Transmission& t) { heard.push_back(t); });
        session.Keyer().Receive(
            keyer::HostOpenCommand() + keyer::ModeRegisterCommand(keyer::kStartModeRegister), 0);
        options.LicCheck = options.Short0T = options.Short9N = true;
        values.MyCall = setup.myCall;
        values.MyYearLic = QStringLiteral("09");
        values.Speed = 28;
    }

    // Keys a message (and, at the idle after it, ESM's next one), and waits
    // until the keyer has finished.
    void Send(const QString& message, const QString& then = {}) {
        esm_ = then;
        const int idles = idles_ + (then.isEmpty() ? 1 : 2);
        overs.emplace_back(session.Now(), -1);
        Write(message);
        Run([&] { return idles_ >= idles; }, 30);
    }
    // The stations that started sending after the operator's last over,
    // once they have all finished.
    std::vector<Transmission> Listen() {
        const size_t from = heard.size();
        const double since = session.Now();
        Run(
            [&] {
                double last = -1;
                for (size_t i = from; i < heard.size(); ++i) {
                    last = std::max(last, heard[i].end);
                }
                return (last > 0 && session.Now() > last + 0.3) || session.Now() > since + 3;
            },
            10);
        return {heard.begin() + std::ptrdiff_t(from), heard.end()};
    }

    std::uint64_t hash = 1469598103934665603ULL;  // of every sample rendered
    std::vector<Transmission> heard;
    // From the first byte of each over to the keyer's idle after it (after
    // ESM's exchange, when it followed).
    std::vector<std::pair<double, double>> overs;
    PracticeSession session;
    keyer::MessageValues values;

  private:
    void Write(const QString& message) {
        session.Keyer().Receive(keyer::BuildCwMessage(message, options, values), session.Now());
    }
    void Run(const std::function<bool()>& done, double seconds) {
        const double until = session.Now() + seconds;
        float block[kBlock];
        while (!done() && session.Now() < until) {
            session.Render(block, kBlock);
            for (const float s : block) {
                std::uint32_t bits;
                std::memcpy(&bits, &s, sizeof bits);
                hash = (hash ^ bits) * 1099511628211ULL;
            }
            for (const KeyerReply& r : session.Keyer().TakeReplies(session.Now())) {
                if (r.byte != keyer::kStatusIdle) {
                    continue;
                }
                ++idles_;
                if (!esm_.isEmpty()) {
                    Write(std::exchange(esm_, QString()));
                } else {
                    overs.back().second = r.time;
                }
            }
        }
    }

    ShortCharOptions options;
    QString esm_;
    int idles_ = 0;
};

SessionSetup SeededSetup(const QString& recordFile) {
    SessionSetup s;
    s.settings.Minutes = 2;
    s.settings.Activity = 3;
    s.settings.Record = !recordFile.isEmpty();
    s.recordFile = recordFile;
    s.myCall = QStringLiteral("S59ABC");
    s.operatorSpeed = 28;
    for (int i = 0; i < 20; ++i) {
        s.stations.push_back({QStringLiteral("S5%1Q%2").arg(i % 10).arg(QChar(u'A' + i)),
                              QStringLiteral("%1").arg(40 + i)});
    }
    s.seed = 23;
    s.start = QDateTime(QDate(2026, 12, 9), QTime(13, 0), QTimeZone::utc());
    return s;
}

// Four contacts, the third logged with the call the operator busted.
std::vector<LoggedContact> WorkFourContacts(ScriptedOperator& op) {
    std::vector<LoggedContact> log;
    QStringList worked;
    for (int n = 0; n < 4; ++n) {
        // After a TU the callers call again by themselves.
        std::vector<Transmission> calling = n == 0 ? std::vector<Transmission>{} : op.Listen();
        int station = -1;
        QString call;
        for (int cq = 0; station < 0 && cq < 6; ++cq) {
            for (const Transmission& t : calling) {
                const QString c = t.text.split(u' ').back();
                if (station < 0 && !worked.contains(c)) {
                    station = t.station;
                    call = c;
                }
            }
            if (station < 0) {
                op.Send(QStringLiteral("CQ TEST *"));
                calling = op.Listen();
            }
        }
        EXPECT_GE(station, 0) << n;
        if (station < 0) {
            return log;
        }
        worked << call;
        const bool bust = n == 2;
        QString sent = call;
        if (bust) {
            sent.back() = sent.back() == u'Z' ? u'Y' : QChar(sent.back().unicode() + 1);
        }
        op.values.CurrentCall = sent;
        op.Send(QStringLiteral("!"), QStringLiteral("5NN #"));
        QString year = QStringLiteral("55");
        for (const Transmission& t : op.Listen()) {
            if (t.station == station && !bust) {
                year = t.text.split(u' ').back();
                year.replace(u'T', u'0').replace(u'O', u'0').replace(u'N', u'9');
            }
        }
        EXPECT_TRUE(bust || year != QStringLiteral("55")) << call.toStdString();
        log.push_back({sent, year, QStringLiteral("CW"),
                       op.session.Setup().start.addMSecs(qint64(op.session.Now() * 1000))});
        op.Send(QStringLiteral("TU *"));
    }
    op.Listen();  // the stations hear the last TU
    return log;
}

TEST(PracticeSession, ScriptedOperatorWorksASeededBand) {
    QTemporaryDir dir;
    const QString wav = dir.filePath(QStringLiteral("vaja.wav"));
    ScriptedOperator op(SeededSetup(wav));
    const std::vector<LoggedContact> log = WorkFourContacts(op);
    ASSERT_EQ(log.size(), 4u);

    const Verification v = op.session.Verify(log);
    EXPECT_EQ(v.counts.correct, 3);
    EXPECT_EQ(v.counts.bustedCall, 1);
    EXPECT_EQ(v.contacts[2].verdict, Verdict::BustedCall);
    // Checked against the station that called, whose call differs in its
    // last character.
    EXPECT_EQ(v.contacts[2].trueCall.chopped(1), log[2].call.chopped(1));
    EXPECT_NE(v.contacts[2].trueCall, log[2].call);

    // Nobody called while the operator sent, ESM's call and exchange being
    // heard as one over.
    for (const Transmission& t : op.heard) {
        for (const auto& [from, to] : op.overs) {
            EXPECT_FALSE(t.start > from && t.start < to)
                << t.text.toStdString() << " at " << t.start;
        }
    }

    // The same seed and the same sending: the same session.
    ScriptedOperator again(SeededSetup({}));
    const std::vector<LoggedContact> log2 = WorkFourContacts(again);
    EXPECT_EQ(again.hash, op.hash);
    ASSERT_EQ(log2.size(), log.size());
    for (size_t i = 0; i < log.size(); ++i) {
        EXPECT_EQ(log2[i].call, log[i].call);
        EXPECT_EQ(log2[i].time, log[i].time);
    }

    // It ends after its two minutes, the recording complete and closed.
    float block[kBlock];
    while (!op.session.Finished()) {
        op.session.Render(block, kBlock);
    }
    EXPECT_DOUBLE_EQ(op.session.RenderedSeconds(), 120);
    op.session.Render(block, kBlock);
    EXPECT_TRUE(std::all_of(block, block + kBlock, [](float s) { return s == 0; }));
    EXPECT_FALSE(op.session.Recording());
    EXPECT_TRUE(op.session.RecordingError().isEmpty());
    EXPECT_EQ(QFileInfo(wav).size(), 44 + 2 * 120 * kSampleRate);
}

}  // namespace
}  // namespace corvatta::practice
