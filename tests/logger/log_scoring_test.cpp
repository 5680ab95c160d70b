// Points, multipliers and the score: the worked example, duplicates per
// mode, the first row's kept Mult, mode repair, bad cells, and the one-pass
// computation against the row-by-row comparison.
#include "logger/scoring.h"

#include "logger/qso_log_model.h"
#include "tests/logger/log_literal_scan.h"

#include "tests/support/qt_printers.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <QSignalSpy>

namespace corvatta {
namespace {

QsoRow Contact(const QString& call, const QString& year, const QString& mode,
               const QString& points = "0", const QString& mult = "0") {
    return {"10:00", call, year, points, mult, mode};
}

TEST(LogScoring, WorkedExampleAndTheOwnYear) {
    QsoLogModel log;
    log.ReplaceRows({Contact("S51A", "80", "CW", "2", "1")});
    Score s = Recalculate(log, 1, "75");
    EXPECT_EQ(s.EPoint, "2");
    EXPECT_EQ(s.EMult, "2");  // 80, and the own year
    EXPECT_EQ(s.ESum, "4");
    EXPECT_TRUE(s.OwnYearMissing);
    // A contact giving the own year: still 2 multipliers.
    log.SetRowCount(2);
    log.SetRow(1, Contact("S52B", "75", "CW"));
    s = Recalculate(log, 2, "75");
    EXPECT_EQ(s.EPoint, "4");
    EXPECT_EQ(s.EMult, "2");
    EXPECT_EQ(s.ESum, "8");
    EXPECT_FALSE(s.OwnYearMissing);
    log.SetRowCount(3);
    log.SetRow(2, Contact("S53C", "66", "CW"));
    EXPECT_EQ(Recalculate(log, 3, "75").EMult, "3");
}

TEST(LogScoring, DuplicatesCountPerMode) {
    QsoLogModel log;
    log.ReplaceRows({Contact("S51A", "80", "CW", "2", "1"), Contact("S51A", "80", "CW"),
                     Contact("S51A", "80", "SSB"), Contact("S52B", "80", "SSB"),
                     Contact("S52B", "81", "SSB")});
    const Score s = Recalculate(log, 5, "60");
    const QStringList points{"2", "0", "1", "1", "0"};
    const QStringList mults{"1", "0", "1", "0", "0"};
    for (int r = 0; r < 5; ++r) {
        EXPECT_EQ(log.Cell(r, Points), points[r]) << r;
        EXPECT_EQ(log.Cell(r, Mult), mults[r]) << r;  // a duplicate never makes one
    }
    EXPECT_EQ(s.Points, 4);
    EXPECT_EQ(s.Multipliers, 3);
}

TEST(LogScoring, FirstRowKeepsItsMultAndModesAreRepaired) {
    QsoLogModel log;
    // Row 0 as loaded: its Mult stays, its points follow its mode.
    log.ReplaceRows({Contact("S51A", "80", "CW", "1", "0"), Contact("S52B", "81", "cw", "2"),
                     Contact("S53C", "82", "", "1"), Contact("S54D", "83", "?", "")});
    const Score s = Recalculate(log, 4, "60");
    EXPECT_EQ(log.Cell(0, Points), "2");
    EXPECT_EQ(log.Cell(0, Mult), "0");
    EXPECT_EQ(log.Cell(1, Mode), "CW");
    EXPECT_EQ(log.Cell(1, Points), "2");
    EXPECT_EQ(log.Cell(2, Mode), "SSB");
    EXPECT_EQ(log.Cell(2, Points), "1");
    // Nothing to repair from: scored as not-CW, mode left as it was.
    EXPECT_EQ(log.Cell(3, Mode), "?");
    EXPECT_EQ(log.Cell(3, Points), "1");
    EXPECT_EQ(s.Points, 2 + 2 + 1 + 1);
}

TEST(LogScoring, ANonNumericMultStopsTheTotals) {
    QsoLogModel log;
    // A first line read without its mode mark: scored as any row of no mode.
    log.ReplaceRows({Contact("S51A", "80", "", "", "1"), Contact("S52B", "81", "CW")});
    EXPECT_EQ(Recalculate(log, 2, "60").ESum, "9");
    EXPECT_EQ(log.Cell(0, Points), "1");
    log.SetCell(0, Mode, "CW");
    log.SetCell(0, Mult, "x");
    EXPECT_THROW(Recalculate(log, 2, "60"), ConversionError);
    log.SetCell(0, Mult, " 1");
    EXPECT_THROW(Recalculate(log, 2, "60"), ConversionError);
    log.SetCell(0, Mult, "1");
    EXPECT_EQ(Recalculate(log, 2, "60").ESum, "12");
}

TEST(LogScoring, RowsAfterTheLogAreIgnoredAndChangesAreReportedOnce) {
    QsoLogModel log;
    log.ReplaceRows({Contact("S51A", "80", "CW", "2", "1"), Contact("S52B", "81", "CW"),
                     Contact("", "", "", "bad", "")});
    QSignalSpy changed(&log, &QsoLogModel::dataChanged);
    QSignalSpy edited(&log, &QsoLogModel::CellEdited);
    EXPECT_EQ(Recalculate(log, 2, "60").ESum, "12");
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(edited.count(), 0);  // the program's writes are no operator edits
    EXPECT_EQ(Recalculate(log, 0, "60").ESum, "0");
    EXPECT_EQ(ClearedScore().EMult, "0");
}

TEST(LogScoring, OnePassAgreesWithComparingEveryEarlierRow) {
    QRandomGenerator rng(99);
    const QStringList calls{"S51A", "S52B", "S53C", "S54D", "S55E", ""};
    const QStringList years{"80", "85", "07", "75", ""};
    const QStringList modes{"CW", "SSB", "", "x"};
    const QStringList points{"0", "1", "2", ""};
    for (int round = 0; round < 200; ++round) {
        std::vector<QsoRow> rows(rng.bounded(1, 40));
        for (QsoRow& r : rows) {
            r = {"10:00",
                 calls[rng.bounded(calls.size())],
                 years[rng.bounded(years.size())],
                 points[rng.bounded(points.size())],
                 "0",
                 modes[rng.bounded(modes.size())]};
        }
        rows[0][Points] = "2";
        rows[0][Mult] = "1";
        QsoLogModel a;
        QsoLogModel b;
        a.ReplaceRows(rows);
        b.ReplaceRows(rows);
        const int count = int(rng.bounded(int(rows.size()) + 1));
        const Score sa = Recalculate(a, count, "75");
        const Score sb = literal::Recalculate(b, count, "75");
        ASSERT_EQ(sa.ESum, sb.ESum) << round;
        ASSERT_EQ(sa.EMult, sb.EMult) << round;
        ASSERT_EQ(sa.EPoint, sb.EPoint) << round;
        for (int r = 0; r < a.RowCount(); ++r) {
            ASSERT_EQ(a.Row(r), b.Row(r)) << round << " row " << r;
        }
    }
}

}  // namespace
}  // namespace corvatta
