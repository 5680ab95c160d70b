// The entry line's checks: messages and their order, years against the
// current year, duplicates and multipliers per mode, MIX indicators, the
// licence-year prediction, and the log index against a plain scan.
#include "logger/validation.h"

#include "logger/licence_table.h"
#include "tests/logger/log_literal_scan.h"

#include "tests/support/qt_printers.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

namespace corvatta {
namespace {

QsoRow Contact(const QString& call, const QString& year, const QString& mode) {
    return {"10:00", call, year, mode == "CW" ? "2" : "1", "1", mode};
}

class LogValidation : public ::testing::Test {
  protected:
    ValidationResult Validate(const QString& text) {
        input.EntryText = text;
        ValidationResult r = ValidateEntry(input, entry, log, table);
        entry = r.Entry;
        if (r.EditLL) {
            input.EditLLText = *r.EditLL;
        }
        input.ShapeQSOVisible = r.ShapeQSOVisible;
        input.ShapeMultVisible = r.ShapeMultVisible;
        return r;
    }

    QsoLogModel log;
    LicenceTable table = LicenceTable::Parse({"S59QAB,85", "S57QX=7", "S53QQ,60"});
    ValidationInput input{.EntryText = {},
                          .EditLLText = {},
                          .Mode = "CW",
                          .MixCategory = false,
                          .CurrentYear = "26",
                          .SuggestLicenceYear = false,
                          .ShapeQSOVisible = false,
                          .ShapeMultVisible = false};
    EntryData entry;
};

TEST_F(LogValidation, MessagesAndTheirOrder) {
    struct Case {
        const char* text;
        QString info;
        bool callInvalid;
        bool yearInvalid;
    };
    const Case cases[] = {
        {"S59ABC 85", "S59ABC", false, false},
        {"S5AABC 85", kMsgThirdNotDigit, true, false},
        {"DL1ABC 85", kMsgNotSlovenian, true, false},
        // A portable prefix passes: "S5" is found anywhere.
        {"OE/S59ABC 85", "OE/S59ABC", false, false},
        // The year's message replaces the callsign's.
        {"S5AABC 8X", kMsgYearNotNumber, true, true},
        {"DL1ABC 30", kMsgYearNotPossible, true, true},
        // Too short with a year; without one only the year is missing.
        {"S51 85", "S51", true, false},
        {"S51", "S51", false, true},
        {"S5", "S5", false, true},
        // Twelve characters fit the log file's columns, thirteen do not.
        {"S59ABCDEFGHI 85", "S59ABCDEFGHI", false, false},
        {"S59ABCDEFGHIJ 85", kMsgCallTooLong, true, false},
        {"OE/S59ABCDEFGH", kMsgCallTooLong, true, true},
        {"S5AABCDEFGHIJ 85", kMsgCallTooLong, true, false},
        {"S59ABCDEFGHIJ 8X", kMsgYearNotNumber, true, true},
    };
    for (const Case& c : cases) {
        entry = {};
        const ValidationResult r = Validate(c.text);
        SCOPED_TRACE(c.text);
        EXPECT_EQ(r.LInfo, c.info);
        EXPECT_EQ(r.Entry.CallInvalid, c.callInvalid);
        EXPECT_EQ(r.Entry.YearInvalid, c.yearInvalid);
        EXPECT_EQ(r.ShapeColor, c.callInvalid ? colors::ColorBusy : colors::ColorReady);
        EXPECT_EQ(r.Shape1Color, c.yearInvalid ? colors::ColorBusy : colors::ColorReady);
    }
}

TEST_F(LogValidation, YearsAgainstTheCurrentYear) {
    for (const char* ok : {"26", "00", "50", "99", "07"}) {
        EXPECT_FALSE(Validate(QString("S59ABC ") + ok).Entry.YearBad) << ok;
    }
    for (const char* bad : {"27", "49", "X5", "5X"}) {
        const ValidationResult r = Validate(QString("S59ABC ") + bad);
        EXPECT_TRUE(r.Entry.YearBad) << bad;
        EXPECT_EQ(r.LInfo, QString(bad).front().isDigit() && QString(bad).back().isDigit()
                               ? kMsgYearNotPossible
                               : kMsgYearNotNumber);
    }
}

TEST_F(LogValidation, SplittingCallsignAndYear) {
    ValidationResult r = Validate("S59ABC 7");
    EXPECT_EQ(r.Entry.CurrentLicYear, "07");
    EXPECT_EQ(r.LError, "7");
    r = Validate("S59ABC  85");
    EXPECT_EQ(r.Entry.CurrentLicYear, "85");
    r = Validate("S59ABC 8512");
    EXPECT_EQ(r.Entry.CurrentLicYear, "85");
    // The year and its space deleted at once: the year last read stays in
    // force until the entry is cleared.
    r = Validate("S59ABC");
    EXPECT_EQ(r.Entry.CurrentCall, "S59ABC");
    EXPECT_EQ(r.Entry.CurrentLicYear, "85");
    EXPECT_FALSE(r.Entry.YearInvalid);
    EXPECT_TRUE(IsValidForLogging(r.Entry, "S59ABC"));
    // A trailing space with nothing after it reads an empty year.
    r = Validate("S59ABC ");
    EXPECT_TRUE(r.Entry.YearMissing);
}

TEST_F(LogValidation, DuplicatesAndMultipliersPerMode) {
    log.ReplaceRows(
        {Contact("S51A", "80", "CW"), Contact("S52B", "85", "SSB"), Contact("S51A", "81", "CW")});
    ValidationResult r = Validate("S51A 90");
    EXPECT_TRUE(r.Entry.IsDupe);
    EXPECT_EQ(r.LDouble, kMsgDupe);
    EXPECT_EQ(r.LError, "81");  // the last such row
    EXPECT_EQ(r.LMult, "90");
    r = Validate("S52B 80");
    EXPECT_FALSE(r.Entry.IsDupe);
    EXPECT_EQ(r.LDouble, "");
    EXPECT_EQ(r.LMult, "");  // 80 was worked in CW
    input.Mode = "SSB";
    r = Validate("S51A 85");
    EXPECT_FALSE(r.Entry.IsDupe);
    EXPECT_FALSE(r.Entry.NewMult);
    r = Validate("S51A 80");
    EXPECT_TRUE(r.Entry.NewMult);
    EXPECT_EQ(r.LMult, "80");
}

TEST_F(LogValidation, ShortEntryKeepsThePreviousIndications) {
    log.ReplaceRows({Contact("S51A", "80", "CW")});
    Validate("S51A 80");
    const ValidationResult r = Validate("S");
    EXPECT_EQ(r.LInfo, "");
    EXPECT_EQ(r.LError, "");
    EXPECT_EQ(r.LDouble, kMsgDupe);
    EXPECT_FALSE(r.ShapeColor.has_value());
    EXPECT_EQ(r.Entry.CurrentCall, "S51A");
    EXPECT_FALSE(IsValidForLogging(r.Entry, "S"));
}

TEST_F(LogValidation, MixIndicators) {
    log.ReplaceRows({Contact("S52B", "85", "SSB")});
    input.MixCategory = true;
    ValidationResult r = Validate("S52B 85");
    EXPECT_FALSE(r.Entry.IsDupe);      // worked only in SSB
    EXPECT_FALSE(r.ShapeQSOVisible);   // not workable again in SSB
    EXPECT_EQ(r.LMult, "85");          // new in CW ...
    EXPECT_FALSE(r.ShapeMultVisible);  // ... but not new in both modes
    r = Validate("S53C 70");
    EXPECT_TRUE(r.ShapeQSOVisible);
    EXPECT_TRUE(r.ShapeMultVisible);
    r = Validate("S53 70");  // too short a callsign for the green mark
    EXPECT_FALSE(r.ShapeQSOVisible);
    r = Validate("S53C 7");  // LMult "07" still shows two characters
    EXPECT_TRUE(r.ShapeMultVisible);
    // Outside MIX both keep what they showed.
    input.MixCategory = false;
    input.ShapeQSOVisible = true;
    input.ShapeMultVisible = false;
    r = Validate("S52B 85");
    EXPECT_TRUE(r.ShapeQSOVisible);
    EXPECT_FALSE(r.ShapeMultVisible);
}

TEST_F(LogValidation, PredictionFromTheFourthCharacter) {
    input.SuggestLicenceYear = true;
    input.EditLLText = "99";
    ValidationResult r = Validate("S59");
    ASSERT_TRUE(r.EditLL);
    EXPECT_EQ(*r.EditLL, "");  // three characters clear it
    EXPECT_TRUE(r.EditLLChanged);
    r = Validate("S59Q");
    EXPECT_EQ(r.EditLL, QString(""));
    EXPECT_FALSE(r.EditLLChanged);
    r = Validate("S59QAB");
    EXPECT_EQ(r.EditLL, QString("85"));
    EXPECT_TRUE(r.EditLLChanged);
    // The re-entry that the change of EditLL causes changes nothing more.
    r = Validate("S59QAB");
    EXPECT_EQ(r.EditLL, QString("85"));
    EXPECT_FALSE(r.EditLLChanged);
    EXPECT_EQ(*Validate("S57QX").EditLL, "7");
    EXPECT_EQ(*Validate("S51QZZ").EditLL, "");
}

TEST_F(LogValidation, PredictionWithPortableForms) {
    input.SuggestLicenceYear = true;
    EXPECT_EQ(*Validate("S5/S59QAB").EditLL, "85");
    EXPECT_EQ(*Validate("9A/S59QAB").EditLL, "85");
    // Typing the year after a prefixed callsign keeps the prediction.
    EXPECT_EQ(*Validate("9A/S59QAB 8").EditLL, "85");
    // A suffix: the key stays the callsign as it stood before the "/".
    Validate("S53QQ");
    EXPECT_EQ(*Validate("S53QQ/").EditLL, "60");
    EXPECT_EQ(*Validate("S53QQ/P").EditLL, "60");
    // Prediction off: EditLL is left alone.
    input.SuggestLicenceYear = false;
    EXPECT_FALSE(Validate("S59QAB").EditLL.has_value());
}

TEST(LogValidationRules, IsAllDigits) {
    EXPECT_TRUE(IsAllDigits(""));
    EXPECT_TRUE(IsAllDigits("0123456789"));
    EXPECT_FALSE(IsAllDigits("8X"));
    EXPECT_FALSE(IsAllDigits(" 8"));
    EXPECT_FALSE(IsAllDigits(QString(QChar(0x0663))));  // a digit, but not "0".."9"
}

TEST(LogValidationRules, OwnCallsignFitsTheColumns) {
    for (const char* call : {"S51A", "s59a", "S59ABC/P", "OE/S59ABCDEF"}) {
        EXPECT_TRUE(IsOwnCallValid(call)) << call;
    }
    for (const char* call : {"", "S5A", "DL1ABC", "S59ABCDEFGHIJ", "OE/S59ABCDEFG"}) {
        EXPECT_FALSE(IsOwnCallValid(call)) << call;
    }
}

TEST(LogValidationRules, NothingEmptyIsEverLoggable) {
    // The flags start false and survive ClearEntry.
    EntryData fresh;
    EXPECT_FALSE(IsValidForLogging(fresh, ""));
    EXPECT_FALSE(IsValidForLogging(fresh, "S5"));
    EntryData e;
    e.CurrentCall = "S59ABC";
    e.CurrentLicYear = "85";
    EXPECT_TRUE(IsValidForLogging(e, "S59ABC 85"));
    EXPECT_FALSE(IsValidForLogging(e, "S"));
    ClearEntry(e);
    EXPECT_FALSE(IsValidForLogging(e, "S5"));
    e.CurrentCall = "S59ABC";
    e.YearInvalid = true;
    e.CurrentLicYear = "8X";
    EXPECT_FALSE(IsValidForLogging(e, "S59ABC 8X"));
}

// The index must answer exactly as the scan over every row, blank rows
// included, through edits, growth, shrinking and replacement.
TEST(LogValidationIndex, AgreesWithTheScanThroughEveryKindOfChange) {
    QRandomGenerator rng(1234);
    const QStringList calls{"", "S51A", "S52B", "S53C", "S54D"};
    const QStringList years{"", "80", "85", "07", "  "};
    const QStringList modes{"", "CW", "SSB", "X"};
    const auto pick = [&rng](const QStringList& l) { return l[int(rng.bounded(l.size()))]; };
    QsoLogModel log;
    int edits = 0;
    QObject::connect(&log, &QsoLogModel::CellEdited, [&edits] { ++edits; });
    for (int step = 0; step < 600; ++step) {
        const int op = int(rng.bounded(10));
        const int row = int(rng.bounded(log.RowCount()));
        if (op < 5) {
            const int col = std::array{int(Call), int(LicYear), int(Mode)}[rng.bounded(3)];
            const QString text = col == Call      ? pick(calls)
                                 : col == LicYear ? pick(years)
                                                  : pick(modes);
            if (op < 3) {
                log.setData(log.index(row, col), text);
            } else {
                log.SetCell(row, col, text);
            }
        } else if (op == 5) {
            log.SetRowCount(int(rng.bounded(1, 40)));
        } else if (op == 6) {
            log.ClearRow(row);
        } else if (op == 7) {
            log.SetRow(row, {"", pick(calls), pick(years), "", "", pick(modes)});
        } else if (op == 8 && rng.bounded(10) == 0) {
            std::vector<QsoRow> rows(rng.bounded(0, 30));
            for (QsoRow& r : rows) {
                r = {"", pick(calls), pick(years), "", "", pick(modes)};
            }
            log.ReplaceRows(rows);
        }
        for (const QString& call : calls) {
            for (const QString& year : years) {
                for (const QString& mode : {QString("CW"), QString("SSB")}) {
                    const LogMatches a = log.Match(call, year, mode, OtherMode(mode), true);
                    const LogMatches b =
                        literal::Match(log, call, year, mode, OtherMode(mode), true);
                    ASSERT_EQ(a.IsDupe, b.IsDupe) << step;
                    ASSERT_EQ(a.DupeLicYear, b.DupeLicYear) << step;
                    ASSERT_EQ(a.NewMult, b.NewMult) << step;
                    ASSERT_EQ(a.WorkedOtherMode, b.WorkedOtherMode) << step;
                    ASSERT_EQ(a.YearNewOtherMode, b.YearNewOtherMode) << step;
                }
            }
        }
    }
    EXPECT_GT(edits, 0);  // setData reports operator edits
    EXPECT_GE(log.RowCount(), 1);
}

TEST(LogLicenceTable, BuiltInTableHasTheExpectedForm) {
    const LicenceTable table = LicenceTable::BuiltIn();
    EXPECT_EQ(table.Size(), 401);
    EXPECT_EQ(table.SkippedLines(), 0);
    int singleDigit = 0;
    QSet<QString> keys;
    for (const auto& [call, year] : table.Entries()) {
        EXPECT_TRUE(call.startsWith("S5") && call[2].isDigit()) << call.toStdString();
        EXPECT_EQ(call, call.toUpper());
        singleDigit += year.size() == 1;
        keys.insert(call);
        EXPECT_EQ(table.Find(call), literal::Predict(table, call));
    }
    EXPECT_EQ(singleDigit, 1);
    EXPECT_EQ(keys.size(), 400);  // one key twice, with the same value
}

TEST(LogLicenceTable, ParsingSkipsWhatItCannotRead) {
    const LicenceTable t =
        LicenceTable::Parse({"# my calls", "", "s59abc, 85", "S52XY=07", "S53ZZ;77", "S54AA,",
                             "S55BB,123", "S56 CC,80", "=80", "S57DD,8"});
    EXPECT_EQ(t.Size(), 3);
    EXPECT_EQ(t.SkippedLines(), 5);
    EXPECT_EQ(t.Find("S59ABC"), QString("85"));
    EXPECT_EQ(t.Find("S52XY"), QString("07"));
    EXPECT_EQ(t.Find("S57DD"), QString("8"));
    EXPECT_FALSE(t.Find("S53ZZ"));
}

}  // namespace
}  // namespace corvatta
