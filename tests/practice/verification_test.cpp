#include "practice/verification.h"
#include "platform/cp1250.h"
#include "practice/practice_settings.h"
#include "tests/support/temp_program_dir.h"

#include <QTimeZone>

#include <gtest/gtest.h>

namespace corvatta::practice {
namespace {

const QDateTime kStart(QDate(2026, 12, 9), QTime(12, 0), QTimeZone::utc());

CallerRecord Station(const char* call, const char* year, bool logged, double time) {
    CallerRecord r;
    r.call = call;
    r.year = year;
    r.heardOwnCall = r.gotClosing = r.logged = logged;
    r.time = time;
    return r;
}

TEST(VerifyLog, EachContactAgainstTheTruth) {
    const std::vector<CallerRecord> truth = {
        Station("S59QIE", "96", true, 60),   Station("S55QAH", "88", true, 200),
        Station("S52QA", "75", false, 300),  Station("S50QXR", "01", true, 400),
        Station("S54QMG", "09", false, 700), Station("S55QW", "03", true, 800),
    };
    const struct {
        const char* call;
        const char* year;
        int second;
        Verdict verdict;
        const char* trueCall;
    } cases[] = {
        {"S59QIE", "96", 60, Verdict::Correct, "S59QIE"},
        {"S55QAH", "87", 230, Verdict::BustedExchange, "S55QAH"},
        {"S52QB", "75", 290, Verdict::BustedCall, "S52QA"},
        {"S59QIE", "96", 500, Verdict::Dupe, "S59QIE"},
        {"S57XYZ", "11", 600, Verdict::NotInLog, ""},
        {"S54QMG", "09", 700, Verdict::NotInLog, "S54QMG"},  // never got its closing
        {"s55qw", "3", 810, Verdict::Correct, "S55QW"},      // as typed, "3" for "03"
        {"S50QXX", "01", 2000, Verdict::NotInLog, ""},       // too far in time for a bust
    };
    std::vector<LoggedContact> log;
    for (const auto& c : cases) {
        log.push_back({c.call, c.year, QStringLiteral("CW"), kStart.addSecs(c.second)});
    }
    const Verification v = VerifyLog(log, truth, kStart);
    ASSERT_EQ(v.contacts.size(), std::size(cases));
    for (size_t i = 0; i < v.contacts.size(); ++i) {
        EXPECT_EQ(v.contacts[i].verdict, cases[i].verdict) << cases[i].call;
        EXPECT_EQ(v.contacts[i].trueCall, QString::fromLatin1(cases[i].trueCall)) << i;
        EXPECT_EQ(v.Counts(i), cases[i].verdict == Verdict::Correct);
    }
    const VerificationCounts& n = v.counts;
    EXPECT_EQ(std::tie(n.correct, n.bustedCall, n.bustedExchange, n.notInLog, n.dupe, n.missing),
              std::make_tuple(2, 1, 1, 3, 1, 1));  // S50QXR logged the operator, not logged
}

TEST(PracticeResults, FilesInTheProgramsEncodingNeverReplaced) {
    testing_support::TempProgramDir dir;
    const QString history = dir.File("vaja_history.txt");
    dir.Write("vaja_history.txt", "# komentar\r\nnot a session\r\n");
    const int scores[][2] = {{30, 100}, {30, 150}, {10, 40}};
    for (const auto& s : scores) {
        AddToHistory(history, {kStart, s[0], s[1], s[1] + 20, 6, 5, 42});
    }
    const QVector<HistoryEntry> read = ReadHistory(history);
    ASSERT_EQ(read.size(), 3);
    EXPECT_EQ(read[1].start, kStart);
    EXPECT_EQ(read[1].seed, 42u);
    const auto best = BestByDuration(read);
    ASSERT_EQ(best.size(), 2u);
    EXPECT_EQ(best.at(30).verifiedScore, 150);
    EXPECT_EQ(best.at(10).verifiedScore, 40);
    EXPECT_TRUE(dir.Read("vaja_history.txt").startsWith("# komentar\r\nnot a session\r\n"));

    SessionSummary summary;
    summary.start = kStart;
    summary.claimedScore = 12;
    summary.verifiedScore = 10;
    const Verification v = VerifyLog({{"S59QIF", "96", "CW", kStart.addSecs(60)}},
                                     {Station("S59QIE", "96", true, 60)}, kStart);
    const QString first = WriteResults(dir.Path(), summary, v, read);
    const QString second = WriteResults(dir.Path(), summary, v, read);
    EXPECT_EQ(first, dir.File("vaja_2026-12-09_1200.txt"));
    EXPECT_EQ(second, dir.File("vaja_2026-12-09_1200_2.txt"));
    const QByteArray bytes = dir.Read("vaja_2026-12-09_1200.txt");
    const QString text = platform::DecodeCp1250(bytes);
    EXPECT_TRUE(bytes.contains("\r\n"));
    EXPECT_FALSE(bytes.contains("\n\n"));
    EXPECT_TRUE(bytes.contains(char(0xE8)));  // "č" in cp1250
    EXPECT_TRUE(text.contains(QStringLiteral(
        "12:01 S59QIF        96       S59QIE 96         ne        napačen klicni znak")));
    EXPECT_TRUE(text.contains(QStringLiteral("prijavljene 12, preverjene 10")));
    EXPECT_TRUE(text.contains(QStringLiteral("   30 min: 150")));
}

TEST(PracticeSettingsFile, DefaultsRoundTripAndLimits) {
    PracticeSettings defaults = ReadPracticeSettings({});
    EXPECT_EQ(std::tie(defaults.Minutes, defaults.Activity, defaults.Pitch, defaults.Bandwidth),
              std::make_tuple(30, 3, 600, 500));
    EXPECT_EQ(CallerSpeedRange(defaults, 28), std::make_pair(24, 32));

    platform::IniDocument ini = platform::IniDocument::FromBytes("[WK]\r\nSpeed=28\r\n");
    PracticeSettings s;
    s.Minutes = 120;
    s.Style = PracticeStyle::SearchPounce;
    s.SpeedMin = 18;
    s.SpeedMax = 22;
    s.Qrm = s.Lids = true;
    s.Seed = QStringLiteral("18446744073709551615");
    WritePracticeSettings(ini, s);
    const PracticeSettings back = ReadPracticeSettings(ini);
    EXPECT_EQ(back.Minutes, 120);
    EXPECT_EQ(back.Style, PracticeStyle::SearchPounce);
    EXPECT_EQ(CallerSpeedRange(back, 28), std::make_pair(18, 22));
    EXPECT_TRUE(back.Qrm && back.Lids && back.Qsk);
    EXPECT_EQ(back.Seed, s.Seed);
    EXPECT_EQ(ini.ReadInteger("WK", "Speed", 0), 28);

    const platform::IniDocument odd = platform::IniDocument::FromBytes(
        "[PRACTICE]\r\nMinutes=45\r\nActivity=40\r\nBandwidth=100\r\nSeed=abc\r\nStyle=7\r\n");
    const PracticeSettings fixed = ReadPracticeSettings(odd);
    EXPECT_EQ(std::tie(fixed.Minutes, fixed.Activity, fixed.Bandwidth),
              std::make_tuple(30, 9, 300));
    EXPECT_TRUE(fixed.Seed.isEmpty());
    EXPECT_EQ(fixed.Style, PracticeStyle::SearchPounce);
}

}  // namespace
}  // namespace corvatta::practice
