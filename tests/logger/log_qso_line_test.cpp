// The fixed-column QSO line: exact bytes for the layouts the log file and the
// Cabrillo export share, and reading lines back, also broken ones.
#include "logger/qso_line.h"

#include "tests/support/qt_printers.h"

#include <gtest/gtest.h>

namespace corvatta {
namespace {

QString Sp(int n) {
    return QString(n, u' ');
}

const OwnLineData kOwn{QStringLiteral("S59ABC"), QStringLiteral("75"),
                       QStringLiteral("2025-04-20")};

TEST(LogQsoLine, GoldenLinesForBothModesAndCallsignLengths) {
    // CW, own callsign of 6, correspondent of 4.
    EXPECT_EQ(CabrilloQsoLine(kOwn, "07:12", "S51A", "85", "CW"),
              "QSO:  3500 CW 2025-04-20 0712 S59ABC" + Sp(7) + "599 75" + Sp(6) + "S51A" + Sp(9) +
                  "599 85");
    // SSB, own callsign with "/" and a 12-character correspondent.
    const OwnLineData portable{"S59ABC/P", "07", "2025-10-19"};
    EXPECT_EQ(CabrilloQsoLine(portable, "23:59", "S59ABCDEFGHI", "80", "SSB"),
              "QSO:  3500 PH 2025-10-19 2359 S59ABC/P" + Sp(6) + "59 07" + Sp(6) + "S59ABCDEFGHI" +
                  Sp(2) + "59 80");
    // CW, own callsign of 12, correspondent of 5.
    const OwnLineData longOwn{"S59ABCDEFGHI", "99", "2025-04-20"};
    EXPECT_EQ(CabrilloQsoLine(longOwn, "08:00", "S52AB", "01", "CW"),
              "QSO:  3500 CW 2025-04-20 0800 S59ABCDEFGHI" + Sp(1) + "599 99" + Sp(6) + "S52AB" +
                  Sp(8) + "599 01");
    // SSB, both callsigns of 4.
    const OwnLineData shortOwn{"S51A", "60", "2025-04-20"};
    EXPECT_EQ(CabrilloQsoLine(shortOwn, "09:30", "S52B", "66", "SSB"),
              "QSO:  3500 PH 2025-04-20 0930 S51A" + Sp(10) + "59 60" + Sp(6) + "S52B" + Sp(10) +
                  "59 66");
}

TEST(LogQsoLine, ReportsEndInFixedColumnsForEveryRegularLength) {
    for (int ownLen = 4; ownLen <= 12; ++ownLen) {
        for (int callLen = 4; callLen <= 12; ++callLen) {
            const OwnLineData own{QString("S59") + QString(ownLen - 3, u'X'), "75", "2025-04-20"};
            const QString call = QString("S52") + QString(callLen - 3, u'Y');
            const QString cw = CabrilloQsoLine(own, "12:34", call, "85", "CW");
            const QString ph = CabrilloQsoLine(own, "12:34", call, "85", "SSB");
            SCOPED_TRACE(QString("%1/%2").arg(ownLen).arg(callLen).toStdString());
            ASSERT_EQ(cw.size(), 74);
            ASSERT_EQ(ph.size(), 74);
            // 1-based columns 44-46 and 69-71 on CW, 45-46 and 70-71 on SSB.
            EXPECT_EQ(cw.mid(43, 4), "599 ");
            EXPECT_EQ(cw.mid(68, 4), "599 ");
            EXPECT_EQ(ph.mid(43, 4), " 59 ");
            EXPECT_EQ(ph.mid(68, 4), " 59 ");
            EXPECT_EQ(cw.mid(47, 2), "75");
            EXPECT_EQ(ph.mid(72, 2), "85");
            EXPECT_EQ(cw.mid(55, callLen), call);
        }
    }
}

TEST(LogQsoLine, IrregularCallsignLengthsStayReadable) {
    // Shorter callsigns keep the columns; longer ones keep a blank before the
    // report, so the callsign never merges into it.
    const QString three = CabrilloQsoLine(kOwn, "10:00", "S5A", "70", "CW");
    EXPECT_EQ(three.size(), 74);
    EXPECT_EQ(three.mid(68, 4), "599 ");
    const QString thirteen = CabrilloQsoLine(kOwn, "10:00", "S59ABCDEFGHIJ", "70", "CW");
    EXPECT_EQ(thirteen.mid(55, 18), "S59ABCDEFGHIJ 599 ");
    const auto back = ParseQsoLine(thirteen);
    ASSERT_TRUE(back);
    EXPECT_EQ((*back)[Call], "S59ABCDEFGHIJ");
    EXPECT_EQ(CallPad("").Pad59, Sp(14) + "59 ");
}

TEST(LogQsoLine, ModeOtherThanSsbIsWrittenAsCw) {
    EXPECT_TRUE(CabrilloQsoLine(kOwn, "10:00", "S51A", "70", "").startsWith("QSO:  3500 CW "));
    EXPECT_TRUE(CabrilloQsoLine(kOwn, "10:00", "S51A", "70", "ssb").startsWith("QSO:  3500 CW "));
}

TEST(LogQsoLine, ReadsBackWhatWasWritten) {
    const auto cw = ParseQsoLine(CabrilloQsoLine(kOwn, "07:12", "S51A", "85", "CW"));
    ASSERT_TRUE(cw);
    EXPECT_EQ(*cw, (QsoRow{"07:12", "S51A", "85", "2", "", "CW"}));
    const auto ph = ParseQsoLine(CabrilloQsoLine(kOwn, "23:59", "S59ABCDEFGHI", "07", "SSB"));
    ASSERT_TRUE(ph);
    EXPECT_EQ(*ph, (QsoRow{"23:59", "S59ABCDEFGHI", "07", "1", "", "SSB"}));
}

TEST(LogQsoLine, ShortAndForeignLines) {
    // Not contacts at all.
    for (const char* line : {"", "   ", "START-OF-LOG: 2.0", "END-OF-LOG:", " QSO:  3500 CW x"}) {
        EXPECT_FALSE(ParseQsoLine(line)) << line;
    }
    // A cut line: missing columns read as blanks, never past the end.
    const auto cut = ParseQsoLine("QSO:  3500 CW 2025-04-20 07");
    ASSERT_TRUE(cut);
    EXPECT_EQ(*cut, (QsoRow{"07:  ", "", "  ", "2", "", "CW"}));
    const auto bare = ParseQsoLine("QSO:");
    ASSERT_TRUE(bare);
    EXPECT_EQ(*bare, (QsoRow{"  :  ", "", "  ", "", "", ""}));
    // A line cut inside the correspondent's callsign.
    const QString full = CabrilloQsoLine(kOwn, "07:12", "S51ABC", "85", "CW");
    const auto half = ParseQsoLine(full.left(58));
    ASSERT_TRUE(half);
    EXPECT_EQ((*half)[Call], "S51");
    EXPECT_EQ((*half)[LicYear], "  ");
    // An unknown mode mark leaves mode and points blank.
    QString rtty = full;
    rtty.replace(11, 2, "RY");
    const auto other = ParseQsoLine(rtty);
    ASSERT_TRUE(other);
    EXPECT_EQ((*other)[Mode], "");
    EXPECT_EQ((*other)[Points], "");
    EXPECT_EQ((*other)[Call], "S51ABC");
}

TEST(LogQsoLine, GridCellsAreNormalisedOrRefused) {
    const struct {
        int column;
        const char* typed;
        const char* stored;  // nullptr: refused
    } cases[] = {
        {Time, "9:05", "09:05"},
        {Time, "09:05", "09:05"},
        {Time, "0905", "09:05"},
        {Time, "905", "09:05"},
        {Time, " 23:59 ", "23:59"},
        {Time, "0:00", "00:00"},
        {Time, "24:00", nullptr},
        {Time, "12:60", nullptr},
        {Time, "12:5", nullptr},
        {Time, "123:45", nullptr},
        {Time, "", nullptr},
        {Time, "ab:cd", nullptr},
        {Call, "s51a", "S51A"},
        {Call, " S51A ", "S51A"},
        {Call, "S59ABCDEFGHI", "S59ABCDEFGHI"},
        {Call, "S5/S59A", "S5/S59A"},
        {Call, "S59ABCDEFGHIJ", nullptr},
        {Call, "S5 1A", nullptr},
        {Call, "", nullptr},
        {Call, "S51-A", nullptr},
        {LicYear, "7", "07"},
        {LicYear, "85", "85"},
        {LicYear, "123", nullptr},
        {LicYear, "8a", nullptr},
        {LicYear, "", nullptr},
        {Mode, "cw", "CW"},
        {Mode, "SSB", "SSB"},
        {Mode, "PH", "SSB"},
        {Mode, "xx", nullptr},
        {Mode, "", nullptr},
        {Points, "abc", "abc"},
        {Mult, "", ""},
    };
    for (const auto& c : cases) {
        const CellCheck check = CheckGridCell(c.column, c.typed);
        SCOPED_TRACE(QString("column %1 \"%2\"").arg(c.column).arg(c.typed).toStdString());
        if (c.stored) {
            ASSERT_TRUE(check.text);
            EXPECT_EQ(*check.text, c.stored);
        } else {
            EXPECT_FALSE(check.text);
            EXPECT_FALSE(check.refusal.isEmpty());
        }
    }
}

TEST(LogQsoLine, ContestDateIsNormalisedOrRefused) {
    EXPECT_EQ(NormaliseContestDate("2027-04-18"), QString("2027-04-18"));
    EXPECT_EQ(NormaliseContestDate("2027-4-8"), QString("2027-04-08"));
    EXPECT_EQ(NormaliseContestDate(" 2027-10-17 "), QString("2027-10-17"));
    for (const char* bad :
         {"", "18.04.2027", "2027-13-01", "2027-02-30", "27-04-18", "2027/04/18", "-0729-1-9"}) {
        EXPECT_FALSE(NormaliseContestDate(bad)) << bad;
    }
}

TEST(LogQsoLine, FaultNamesWhatDoesNotFitItsColumns) {
    const QsoRow good{"07:12", "S59ABCDEFGHI", "85", "", "", "SSB"};
    EXPECT_EQ(QsoLineFault(kOwn, good), "");
    EXPECT_EQ(QsoLineFault(kOwn, {"07:12", "S51", "85", "", "", "X"}), "");  // written as CW
    for (const QsoRow& bad : {QsoRow{"9:05", "S51A", "85", "", "", "CW"},
                              QsoRow{"07:12", "S59ABCDEFGHIJ", "85", "", "", "CW"},
                              QsoRow{"07:12", "S5 1A", "85", "", "", "CW"},
                              QsoRow{"07:12", "S51A", "8", "", "", "CW"}}) {
        EXPECT_FALSE(QsoLineFault(kOwn, bad).isEmpty())
            << bad[Time].toStdString() << " " << bad[Call].toStdString();
    }
    for (const OwnLineData& own :
         {OwnLineData{"S59ABCDEFGHIJ", "75", "2025-04-20"},
          OwnLineData{"S59ABC", "7", "2025-04-20"}, OwnLineData{"S59ABC", "75", "2025-4-20"}}) {
        EXPECT_FALSE(QsoLineFault(own, good).isEmpty()) << own.MyCall.toStdString();
    }
}

}  // namespace
}  // namespace corvatta
