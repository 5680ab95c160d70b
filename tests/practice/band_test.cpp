#include "practice/practice_band.h"
#include "practice/verification.h"
#include "tests/support/qt_printers.h"

#include <QTimeZone>

#include <gtest/gtest.h>
#include <map>

namespace corvatta::practice {
namespace {

const QVector<StationInfo> kStations = {
    {"S59QIE", "96"}, {"S55QAH", "88"}, {"S52QA", "75"}, {"S59ABC", "09"}};

enum class Reply { Call, Exchange, Tu };

// The operator's overs, one a second apart from the replies before them.
class Operator {
  public:
    Operator(const BandSettings& settings, const QVector<StationInfo>& stations,
             std::uint64_t seed = 5)
        : band(settings, stations, seed) {}

    std::vector<Transmission> Send(const QString& text) {
        band.OperatorSending(t_);
        t_ += 1.0;
        band.OperatorSent(text, t_);
        const double end = t_;
        auto replies = band.Advance(t_ + 3);
        t_ += 3;
        for (const Transmission& r : replies) {
            EXPECT_GE(r.start, end + 0.1 - 1e-9) << r.text.toStdString();
            EXPECT_LE(r.start, end + 0.6 + 1e-9) << r.text.toStdString();
            t_ = std::max(t_, r.end + 0.5);
        }
        band.Advance(t_);
        return replies;
    }
    // Who answered and how: an exchange holds the station's year (cut
    // numbers read back), a call only its call.
    std::map<QString, Reply> Heard(const std::vector<Transmission>& replies) {
        std::map<QString, Reply> heard;
        for (const Transmission& r : replies) {
            for (const StationInfo& s : kStations) {
                if (s.call == QStringLiteral("S59ABC")) {
                    continue;  // the operator's own call
                }
                QString text = r.text;
                text.replace(u'T', u'0').replace(u'O', u'0').replace(u'N', u'9');
                if (r.text.startsWith(QStringLiteral("TU"))) {
                    heard[QStringLiteral("S/P")] = Reply::Tu;
                } else if (text.contains(u' ' + s.year)) {
                    heard[s.call] = Reply::Exchange;
                } else if (r.text.contains(s.call)) {
                    heard[s.call] = Reply::Call;
                }
            }
        }
        return heard;
    }

    void WaitUntil(double t) { t_ = t; }
    double Now() const { return t_; }

    PracticeBand band;

  private:
    double t_ = 0;
};

BandSettings RunPileUp() {
    BandSettings b;
    b.activity = 9;  // every station calls at once
    b.myCall = QStringLiteral("S59ABC");
    return b;
}

TEST(PracticeBand, CallersReactToWhatTheOperatorSent) {
    using R = Reply;
    const struct {
        const char* name;
        QStringList overs;  // after a CQ
        std::map<QString, Reply> expected;
    } cases[] = {
        {"exact call", {"S59QIE 5NN 09"}, {{"S59QIE", R::Exchange}}},
        {"one character wrong", {"S59QIF 5NN 09"}, {{"S59QIE", R::Call}}},
        {"one missing", {"S5QIE"}, {{"S59QIE", R::Call}}},
        {"unheard start", {"?QIE"}, {{"S59QIE", R::Call}}},
        {"only the prefix",
         {"S5?"},
         {{"S59QIE", R::Call}, {"S55QAH", R::Call}, {"S52QA", R::Call}}},
        {"nobody's call", {"DL1ABC"}, {}},
        {"question mark", {"S59QIE 5NN 09", "?"}, {{"S59QIE", R::Exchange}}},
        {"AGN", {"S59QIE 5NN 09", "AGN"}, {{"S59QIE", R::Exchange}}},
        {"exchange again", {"S59QIE 5NN 09", "5NN 09"}, {{"S59QIE", R::Exchange}}},
        {"corrected call", {"S59QIF 5NN 09", "S59QIE 5NN 09"}, {{"S59QIE", R::Exchange}}},
        {"TU: the others call",
         {"S59QIE 5NN 09", "TU S59ABC"},
         {{"S55QAH", R::Call}, {"S52QA", R::Call}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Operator op(RunPileUp(), kStations);
        const auto cq = op.Send(QStringLiteral("CQ TEST S59ABC"));
        EXPECT_EQ(op.Heard(cq).size(), 3u);
        for (const Transmission& t : cq) {
            EXPECT_FALSE(t.text.contains(QStringLiteral("S59ABC")));  // never the own call
        }
        std::vector<Transmission> last;
        for (const QString& over : c.overs) {
            last = op.Send(over);
        }
        EXPECT_EQ(op.Heard(last), c.expected);
    }
}

TEST(PracticeBand, StationLogsWhatItHeard) {
    Operator op(RunPileUp(), kStations);
    op.Send(QStringLiteral("CQ TEST S59ABC"));
    op.Send(QStringLiteral("S59QIF 5NN 09"));
    op.Send(QStringLiteral("S59QIE 5NN 09"));
    op.Send(QStringLiteral("TU S59ABC"));
    op.Send(QStringLiteral("S55QAH 5NN TN"));   // the year in cut numbers
    op.Send(QStringLiteral("CQ TEST S59ABC"));  // left without its TU
    const auto& r = op.band.Records();
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0].call, QStringLiteral("S59QIE"));
    EXPECT_TRUE(r[0].logged);
    EXPECT_EQ(r[0].sentCall, QStringLiteral("S59QIE"));
    EXPECT_EQ(r[0].heardYear, QStringLiteral("09"));
    EXPECT_EQ(r[1].call, QStringLiteral("S55QAH"));
    EXPECT_TRUE(r[1].heardOwnCall);
    EXPECT_FALSE(r[1].gotClosing);
    EXPECT_EQ(r[1].heardYear, QStringLiteral("09"));
}

TEST(PracticeBand, SearchAndPounceStationAnswersAndCloses) {
    BandSettings b = RunPileUp();
    b.style = PracticeStyle::SearchPounce;
    Operator op(b, kStations);
    const auto cq = op.band.Advance(0.5);
    ASSERT_EQ(cq.size(), 1u);
    EXPECT_TRUE(cq[0].text.contains(QStringLiteral("TEST")) || cq[0].text.startsWith("CQ"));
    op.WaitUntil(cq[0].end + 0.3);
    const auto exchange = op.Send(QStringLiteral("S59ABC"));
    ASSERT_EQ(exchange.size(), 1u);
    const QString call = op.Heard(exchange).begin()->first;
    EXPECT_EQ(op.Heard(exchange).begin()->second, Reply::Exchange);
    EXPECT_EQ(op.Heard(op.Send(QStringLiteral("5NN 09"))).at("S/P"), Reply::Tu);
    ASSERT_EQ(op.band.Records().size(), 1u);
    EXPECT_EQ(op.band.Records()[0].call, call);
    EXPECT_TRUE(op.band.Records()[0].logged);
}

TEST(PracticeBand, SeededPileUpOnSeparatePitches) {
    QVector<StationInfo> nine;
    for (int i = 0; i < 9; ++i) {
        nine.push_back({QStringLiteral("S5%1QA").arg(i), QStringLiteral("7%1").arg(i)});
    }
    const auto pileup = [&](std::uint64_t seed) {
        Operator op(RunPileUp(), nine, seed);
        return op.Send(QStringLiteral("CQ TEST S59ABC"));
    };
    const auto a = pileup(21), b = pileup(21), c = pileup(22);
    ASSERT_GE(a.size(), 4u);
    ASSERT_EQ(a.size(), b.size());
    int inside = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].text, b[i].text);
        EXPECT_EQ(a[i].pitchHz, b[i].pitchHz);
        EXPECT_EQ(a[i].start, b[i].start);
        inside += std::fabs(a[i].pitchHz - 600) <= 250;
        for (size_t j = 0; j < i; ++j) {
            if (a[i].station != a[j].station) {
                EXPECT_GE(std::fabs(a[i].pitchHz - a[j].pitchHz), 25.0);
            }
        }
    }
    EXPECT_GE(inside * 3, int(a.size()) * 2);
    EXPECT_NE(a.front().pitchHz, c.front().pitchHz);
}

// A scripted operator works a pile-up from what it hears, as the entry line
// would: five contacts right, and one call logged as it was misheard.
TEST(PracticeBand, WorkedPileUpVerifiesAgainstTheStationsLogs) {
    QVector<StationInfo> stations;
    for (int i = 0; i < 20; ++i) {
        stations.push_back({QStringLiteral("S5%1Q%2").arg(i % 10).arg(QChar(u'A' + i)),
                            QStringLiteral("%1").arg(50 + i)});
    }
    BandSettings settings = RunPileUp();
    settings.activity = 3;
    Operator op(settings, stations, 9);
    const QDateTime start(QDate(2026, 12, 9), QTime(12, 0), QTimeZone::utc());
    std::vector<LoggedContact> log;
    auto heard = op.Send(QStringLiteral("CQ TEST S59ABC"));
    for (int n = 0; n < 6; ++n) {
        for (int retry = 0; heard.empty() && retry < 5; ++retry) {
            heard = op.Send(QStringLiteral("CQ TEST S59ABC"));
        }
        ASSERT_FALSE(heard.empty());
        QString call = heard.front().text.split(u' ').back();
        const bool bust = n == 3;
        if (bust) {
            call.back() = call.back() == u'Z' ? u'Y' : QChar(call.back().unicode() + 1);
        }
        const auto exchange = op.Send(call + QStringLiteral(" 5NN 09"));
        ASSERT_FALSE(exchange.empty());
        QString year = exchange.front().text.split(u' ').back();
        year.replace(u'T', u'0').replace(u'O', u'0').replace(u'N', u'9');
        log.push_back({call, bust ? QStringLiteral("55") : year, QStringLiteral("CW"),
                       start.addSecs(qint64(op.Now()))});
        heard = op.Send(QStringLiteral("TU S59ABC"));
    }
    const Verification v = VerifyLog(log, op.band.Records(), start);
    EXPECT_EQ(v.counts.correct, 5);
    EXPECT_EQ(v.counts.bustedCall, 1);
    EXPECT_EQ(v.contacts[3].verdict, Verdict::BustedCall);
}

}  // namespace
}  // namespace corvatta::practice
