// Call history: earlier logs and Cabrillo files into Licence.txt, the most
// recent contest winning and the table's own form kept.
#include "logger/call_history.h"
#include "logger/licence_table.h"
#include "logger/qso_line.h"

#include <gtest/gtest.h>

namespace {

using namespace corvatta;

QString Line(const char* date, const char* call, const char* year, const char* mode = "CW") {
    return CabrilloQsoLine({"S59XYZ", "75", date}, "07:10", call, year, mode);
}

TEST(CallHistoryRead, QsoLinesOfLogsAndCabrilloFilesWithTheirDates) {
    const QStringList cbr{"START-OF-LOG: 2.0",
                          "CALLSIGN: S59XYZ",
                          Line("2026-11-15", "S59AAA", "71"),
                          Line("2026-11-15", "S51BB", "05", "SSB"),
                          Line("2026-11-15", "S59CCC", "9O"),  // no year
                          "",
                          "END-OF-LOG:"};
    const HistoryFile f = ParseCallHistory(cbr);
    ASSERT_EQ(f.entries.size(), 2u);
    EXPECT_EQ(f.entries[0].call, "S59AAA");
    EXPECT_EQ(f.entries[0].year, "71");
    EXPECT_EQ(f.entries[0].contest, QDate(2026, 11, 15));
    EXPECT_EQ(f.entries[1].call, "S51BB");
    EXPECT_EQ(f.entries[1].year, "05");
    EXPECT_EQ(f.skipped, 1);
}

TEST(CallHistoryRead, TheMostRecentContestWinsWhateverTheOrder) {
    const HistoryFile autumn26 =
        ParseCallHistory({Line("2026-11-15", "S59AAA", "71"), Line("2026-11-15", "S59BBB", "80")});
    const HistoryFile spring25 =
        ParseCallHistory({Line("2025-04-20", "S59AAA", "70"), Line("2025-04-20", "S59CCC", "60")});
    const HistoryFile spring26 =
        ParseCallHistory({Line("2026-04-19", "S59AAA", "72"), Line("2026-04-19", "S59CCC", "61"),
                          Line("2026-04-19", "S59CCC", "62")});  // corrected later the same day
    const auto years = LatestYears({autumn26, spring25, spring26});
    EXPECT_EQ(years.value("S59AAA"), "71");
    EXPECT_EQ(years.value("S59BBB"), "80");
    EXPECT_EQ(years.value("S59CCC"), "62");
    EXPECT_EQ(years.size(), 3);
    // The same contest day in two files: the later file.
    const HistoryFile copy = ParseCallHistory({Line("2026-11-15", "S59BBB", "81")});
    EXPECT_EQ(LatestYears({autumn26, copy}).value("S59BBB"), "81");
    EXPECT_EQ(LatestYears({copy, autumn26}).value("S59BBB"), "80");
}

TEST(CallHistoryMerge, ConflictsTakeTheHistoryAndTheTableKeepsItsForm) {
    const QStringList table{"# my table", "S59AAA,70", " S59BBB = 8", "",
                            "S59CCC=88",  "S59EEE,66", "S59AAA,70",   "broken line"};
    const QHash<QString, QString> years{
        {"S59AAA", "71"}, {"S59BBB", "08"}, {"S59CCC", "88"}, {"S59DDD", "90"}, {"S51Z", "01"}};
    const LicenceMerge m = MergeIntoLicenceLines(table, years);
    EXPECT_EQ(m.added, 2);
    EXPECT_EQ(m.changed, 1);
    EXPECT_EQ(m.kept, 2);
    const QStringList expected{"# my table", "S59AAA,71", " S59BBB = 8", "",        "S59CCC=88",
                               "S59EEE,66",  "S59AAA,71", "broken line", "S51Z,01", "S59DDD,90"};
    EXPECT_EQ(m.lines, expected);
    const LicenceTable merged = LicenceTable::Parse(m.lines);
    EXPECT_EQ(merged.Find("S59AAA"), "71");
    EXPECT_EQ(merged.Find("S59DDD"), "90");
    EXPECT_EQ(merged.Find("S59EEE"), "66");

    // A table written with "=" gets its new entries the same way.
    EXPECT_EQ(MergeIntoLicenceLines({"S59CCC=88", "S59FFF=77"}, {{"S59DDD", "90"}}).lines.last(),
              "S59DDD=90");
}

}  // namespace
