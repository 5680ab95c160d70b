// "Preveri dnevnik": a clean log reports nothing; each fault is found in its
// row and only there.
#include "logger/log_check.h"
#include "logger/calendar.h"
#include "logger/qso_log_model.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace corvatta;

TEST(ContestPeriod, TwoHoursInUtcOnTheContestSundaysOnly) {
    const auto spring = ContestPeriodUtc(QDate(2027, 4, 18));
    ASSERT_TRUE(spring);
    EXPECT_EQ(spring->start, QTime(7, 0));
    EXPECT_EQ(spring->end, QTime(9, 0));
    const auto autumn = ContestPeriodUtc(QDate(2027, 11, 21));
    ASSERT_TRUE(autumn);
    EXPECT_EQ(autumn->start, QTime(8, 0));
    EXPECT_EQ(autumn->end, QTime(10, 0));
    EXPECT_FALSE(ContestPeriodUtc(QDate(2027, 4, 11)));  // a week early
    EXPECT_FALSE(ContestPeriodUtc(QDate(2027, 4, 17)));  // the Saturday
    EXPECT_FALSE(ContestPeriodUtc(QDate(2027, 3, 21)));  // March is no contest month
}

QsoRow Row(const char* time, const char* call, const char* year, const char* points,
           const char* mult, const char* mode) {
    return {time, call, year, points, mult, mode};
}

OwnLineData Own() {
    return {"S59XYZ", "75", "2027-04-18"};
}

LogCheckInput CleanLog() {
    LogCheckInput in;
    in.rows = {Row("07:05", "S59ABC", "85", "2", "1", "CW"),
               Row("07:05", "S51DEF", "99", "2", "1", "CW"),
               Row("08:59", "S59ABC", "85", "1", "1", "SSB")};
    for (const QsoRow& r : in.rows)
        in.fileLines.append(CabrilloQsoLine(Own(), r));
    in.op.MyCall = "S59XYZ";
    in.op.MyYearLic = "75";
    in.op.MyName = "Ana";
    in.op.MyAddress = "Pot 1";
    in.op.MyEmail = "ana@example.org";
    in.contestDate = "2027-04-18";
    in.currentYear = "27";
    in.listedOwnYear = QStringLiteral("75");
    return in;
}

struct Found {
    int row;
    LogProblem kind;
    bool operator==(const Found&) const = default;
};

std::vector<Found> Kinds(const LogCheckReport& report) {
    std::vector<Found> out;
    for (const LogFinding& f : report.findings)
        out.push_back({f.row, f.kind});
    return out;
}

TEST(LogCheck, ACleanLogReportsNothing) {
    const LogCheckReport report = CheckLog(CleanLog());
    EXPECT_TRUE(report.Clean()) << LogCheckText("S59XYZ", report).toStdString();
    EXPECT_EQ(report.Problems(), 0);
}

TEST(LogCheck, EachFaultIsFoundInItsRowAndOnlyThere) {
    struct Case {
        const char* name;
        std::function<void(LogCheckInput&)> spoil;
        std::vector<Found> expected;
        const char* text;  // a part of the first finding's text
    };
    const Case cases[] = {
        {"before the start",
         [](auto& in) { in.rows[0][Time] = "06:59"; },
         {{0, LogProblem::OutsidePeriod}},
         "izven časa tekmovanja (07:00 - 09:00 UTC)"},
        {"at the end",
         [](auto& in) { in.rows[2][Time] = "09:00"; },
         {{2, LogProblem::OutsidePeriod}},
         "Zveza 3 (09:00 S59ABC)"},
        {"not a contest day",
         [](auto& in) { in.contestDate = "2027-04-25"; },
         {{-1, LogProblem::NotContestDay}},
         "2027-04-25 ni dan tekmovanja"},
        {"out of order",
         [](auto& in) { in.rows[1][Time] = "07:04"; },
         {{1, LogProblem::TimeOrder}},
         "pred časom prejšnje zveze (07:05)"},
        {"foreign call",
         [](auto& in) { in.rows[1][Call] = "9A1AA"; },
         {{1, LogProblem::BadCall}},
         "Ni pozivni znak za Slovenijo !"},
        {"letter after S5",
         [](auto& in) { in.rows[1][Call] = "S5ADEF"; },
         {{1, LogProblem::BadCall}},
         "3 element znaka obvezna številka !"},
        {"too short",
         [](auto& in) { in.rows[1][Call] = "S51"; },
         {{1, LogProblem::BadCall}},
         "prekratek"},
        {"future year",
         [](auto& in) { in.rows[1][LicYear] = "28"; },
         {{1, LogProblem::BadYear}},
         "Množitelj ni mogoč, napačno !"},
        {"year not a number",
         [](auto& in) { in.rows[1][LicYear] = "9O"; },
         {{1, LogProblem::BadYear}},
         "Množitelj ni številka, napačno !"},
        {"year of one digit",
         [](auto& in) { in.rows[1][LicYear] = "9"; },
         {{1, LogProblem::BadYear}},
         "ni dvomestno"},
        {"empty cells",
         [](auto& in) { in.rows[1][LicYear] = in.rows[1][Mode] = ""; },
         {{1, LogProblem::EmptyCell}},
         "prazno polje: leto licence, način"},
        {"bad time",
         [](auto& in) { in.rows[1][Time] = "7:5"; },
         {{1, LogProblem::EmptyCell}},
         "hh:mm"},
        {"duplicate",
         [](auto& in) { in.rows[2][Mode] = "CW"; },
         {{2, LogProblem::Duplicate}},
         "dvojna zveza (0 točk)"},
        {"no name",
         [](auto& in) { in.op.MyName = " "; },
         {{-1, LogProblem::MissingHeader}},
         "ime in priimek"},
        {"club needed",
         [](auto& in) { in.radioClub = true; },
         {{-1, LogProblem::MissingHeader}},
         "radioklub"},
        {"bad e-mail",
         [](auto& in) { in.op.MyEmail = "ana.example.org"; },
         {{-1, LogProblem::MissingHeader}},
         "ni pravilna"},
        {"own year changed",
         [](auto& in) {
             in.op.MyYearLic = "5";
             in.listedOwnYear.reset();
         },
         {{0, LogProblem::OwnYearInLog},
          {1, LogProblem::OwnYearInLog},
          {2, LogProblem::OwnYearInLog}},
         "v dnevniku je lastno leto licence 75, v podatkih operaterja 05"},
        {"SSB in the CW category",
         [](auto& in) { in.modeCategory = 0; },
         {{2, LogProblem::ModeCategory}},
         "način SSB ne sodi v kategorijo CW"},
        {"copy of another station",
         [](auto& in) { in.op.MyCall = "S59OTH"; },
         {{0, LogProblem::OwnCallInLog},
          {1, LogProblem::OwnCallInLog},
          {2, LogProblem::OwnCallInLog}},
         "lastni pozivni znak S59XYZ, v podatkih operaterja S59OTH"},
        {"own call worked",
         [](auto& in) { in.rows[1][Call] = "S59XYZ"; },
         {{1, LogProblem::OwnCallWorked}},
         "zveza z lastnim pozivnim znakom"},
        {"table says otherwise",
         [](auto& in) { in.listedOwnYear = "57"; },
         {{-1, LogProblem::OwnYearListed}},
         "75 se razlikuje od leta 57"},
    };
    for (const Case& c : cases) {
        LogCheckInput in = CleanLog();
        c.spoil(in);
        const LogCheckReport report = CheckLog(in);
        EXPECT_EQ(Kinds(report), c.expected) << c.name;
        ASSERT_FALSE(report.findings.empty()) << c.name;
        EXPECT_TRUE(report.findings.front().text.contains(QString::fromUtf8(c.text)))
            << c.name << ": " << report.findings.front().text.toStdString();
    }
}

TEST(LogCheck, DuplicatesAreInformationAndTheTextIsCutShort) {
    LogCheckInput in = CleanLog();
    in.rows[2][Mode] = "CW";
    LogCheckReport report = CheckLog(in);
    EXPECT_EQ(report.Problems(), 0);
    EXPECT_EQ(report.Duplicates(), 1);

    in = CleanLog();
    for (int i = 0; i < 40; ++i)
        in.rows.push_back(Row("06:00", "S59QQQ", "70", "2", "0", "SSB"));
    report = CheckLog(in);
    const QStringList lines = LogCheckText("S59XYZ", report, 5).split("\n\r");
    ASSERT_EQ(lines.size(), 7);
    EXPECT_EQ(lines[0], QString::fromUtf8("Dnevnik S59XYZ - napake: 41, dvojne zveze: 39"));
    EXPECT_EQ(lines[6], QString::fromUtf8("... in še 75"));
}

}  // namespace
