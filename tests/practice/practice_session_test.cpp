// A practice session worked end to end without a sound card: a scripted
// operator writes to the built-in keyer what the program writes for CQ, the
// caller's call with ESM's exchange after it, and TU, reads the keyer's
// replies as the port would, hears the band through the session and logs
// what it heard; the log is verified against the stations' logs: three
// contacts right and one call deliberately busted. The session ends,
// recorded, after its duration.
#include "practice/practice_session.h"
#include "keyer/cw_message.h"
#include "keyer/winkeyer_protocol.h"

#include <gtest/gtest.h>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimeZone>

namespace corvatta::practice {
namespace {

struct Operator {
    explicit Operator(const SessionSetup& setup) : session(setup) {
        session.SetTransmissionListener([this](const Transmission& t) { heard.push_back(t); });
        session.Keyer().Receive(
            keyer::HostOpenCommand() + keyer::ModeRegisterCommand(keyer::kStartModeRegister), 0);
        options.LicCheck = options.Short0T = options.Short9N = true;
        values = {setup.myCall, QStringLiteral("09"), {}, {}, 28, 0, 0};
    }
    void Render() {
        float block[480];  // 10 ms
        session.Render(block, 480);
    }
    void Write(const QString& message) {
        session.Keyer().Receive(keyer::BuildCwMessage(message, options, values), session.Now());
    }
    // Keys a message, then ESM's next one at the idle, until all is keyed.
    void Send(const QString& message, QString then = {}) {
        overs.emplace_back(session.Now(), -1);
        Write(message);
        while (overs.back().second < 0 && !session.Finished()) {
            Render();
            for (const KeyerReply& r : session.Keyer().TakeReplies(session.Now())) {
                if (r.byte == keyer::kStatusIdle && !then.isEmpty()) {
                    Write(std::exchange(then, QString()));
                } else if (r.byte == keyer::kStatusIdle) {
                    overs.back().second = r.time;
                }
            }
        }
    }
    // What the stations send after the operator's over, once they are quiet.
    std::vector<Transmission> Listen() {
        const auto from = heard.end() - heard.begin();
        for (double quiet = session.Now() + 3; session.Now() < quiet && !session.Finished();) {
            Render();
            for (auto t = heard.begin() + from; t != heard.end(); ++t) {
                quiet = std::max(quiet, t->end + 0.3);
            }
        }
        return {heard.begin() + from, heard.end()};
    }

    PracticeSession session;
    std::vector<Transmission> heard;
    std::vector<std::pair<double, double>> overs;  // the operator's, first byte to idle
    ShortCharOptions options;
    keyer::MessageValues values;
};

TEST(PracticeSession, ScriptedOperatorWorksASeededBand) {
    QTemporaryDir dir;
    SessionSetup setup;
    setup.settings.Minutes = 2;
    setup.settings.Record = true;
    setup.recordFile = dir.filePath(QStringLiteral("vaja.wav"));
    setup.myCall = QStringLiteral("S59ABC");
    for (int i = 0; i < 20; ++i) {
        setup.stations.push_back(
            {QStringLiteral("S5%1Q%2").arg(i % 10).arg(QChar(u'A' + i)), QString::number(40 + i)});
    }
    setup.start = QDateTime(QDate(2026, 12, 9), QTime(13, 0), QTimeZone::utc());
    Operator op(setup);

    std::vector<LoggedContact> log;
    QStringList worked;
    std::vector<Transmission> calling;
    while (log.size() < 4 && !op.session.Finished()) {
        const auto caller = std::find_if(calling.begin(), calling.end(), [&](const auto& t) {
            return !worked.contains(t.text.split(u' ').back());
        });
        if (caller == calling.end()) {
            op.Send(QStringLiteral("CQ TEST *"));
            calling = op.Listen();
            continue;
        }
        const QString call = caller->text.split(u' ').back();
        const int station = caller->station;
        worked << call;
        // The third is busted: no call here ends in Z.
        const bool bust = log.size() == 2;
        op.values.CurrentCall = bust ? call.chopped(1) + u'Z' : call;
        op.Send(QStringLiteral("!"), QStringLiteral("5NN #"));
        QString year = QStringLiteral("55");
        for (const Transmission& t : op.Listen()) {
            if (t.station == station && !bust) {  // "599 58", "5NN 5N"
                year = t.text.right(2).replace(u'T', u'0').replace(u'O', u'0').replace(u'N', u'9');
            }
        }
        log.push_back({op.values.CurrentCall, year, QStringLiteral("CW"),
                       setup.start.addMSecs(qint64(op.session.Now() * 1000))});
        op.Send(QStringLiteral("TU *"));  // the others call again
        calling = op.Listen();
    }
    ASSERT_EQ(log.size(), 4u);
    const Verification v = op.session.Verify(log);
    EXPECT_EQ(v.counts.correct, 3);
    EXPECT_EQ(v.counts.bustedCall, 1);
    EXPECT_EQ(v.contacts[2].verdict, Verdict::BustedCall);
    EXPECT_EQ(v.contacts[2].trueCall, worked[2]);

    // Nobody started while the operator sent: ESM's call and exchange were
    // heard as one over.
    for (const Transmission& t : op.heard) {
        for (const auto& [from, to] : op.overs) {
            EXPECT_FALSE(t.start > from && t.start < to) << t.text.toStdString() << " " << t.start;
        }
    }

    while (!op.session.Finished()) {
        op.Render();
    }
    EXPECT_DOUBLE_EQ(op.session.RenderedSeconds(), 120);
    EXPECT_EQ(QFileInfo(setup.recordFile).size(), 44 + 2 * 120 * kSampleRate);
}

}  // namespace
}  // namespace corvatta::practice
