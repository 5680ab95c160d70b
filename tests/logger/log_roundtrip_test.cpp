// Whatever the program accepts comes back from the log file exactly as it
// was logged or edited: random entries through the entry line's checks and
// random grid edits, each written, read back and compared.
#include "logger/log_book.h"

#include "logger/licence_table.h"
#include "logger/log_file.h"
#include "logger/qso_log_model.h"
#include "logger/validation.h"
#include "tests/support/qt_printers.h"
#include "tests/support/temp_program_dir.h"

#include <gtest/gtest.h>

#include <random>

namespace corvatta {
namespace {

class Random {
  public:
    explicit Random(unsigned seed) : rng_(seed) {}
    int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    QString From(const char* alphabet, int length) {
        const int size = int(std::strlen(alphabet));
        QString s;
        for (int i = 0; i < length; ++i) {
            s += QChar(alphabet[Below(size)]);
        }
        return s;
    }
    QString Pick(const QStringList& list) { return list[Below(int(list.size()))]; }

  private:
    std::mt19937 rng_;
};

constexpr const char* kCallChars = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789/";

// The cells the file holds; points and multiplier are recomputed.
void ExpectSameContacts(const QsoLogModel& log, int count, const std::vector<QsoRow>& back,
                        const std::string& context) {
    ASSERT_EQ(int(back.size()), count) << context;
    for (int r = 0; r < count; ++r) {
        for (int c : {int(Time), int(Call), int(LicYear), int(Mode)}) {
            ASSERT_EQ(back[size_t(r)][size_t(c)].toStdString(), log.Cell(r, c).toStdString())
                << context << ", row " << r << ", column " << c;
        }
    }
}

class LogRoundTrip : public ::testing::Test {
  protected:
    void Session(Random& rnd) {
        // An own callsign the operator panel accepts, near and at the limit.
        do {
            state.op.MyCall =
                "S5" + rnd.From("0123456789", 1) + rnd.From(kCallChars, rnd.Below(12));
        } while (!IsOwnCallValid(state.op.MyCall));
        state.op.MyYearLic = rnd.From("0123456789", 1 + rnd.Below(2));
        state.log.ContestDate = "2027-04-18";
        state.dates.CurrentYear = "27";
        state.entry = {};
        book.OpenLog();
    }

    // What the window does on Enter: validate, then log a valid entry.
    bool Enter(const QString& text, const QString& time) {
        ValidationInput in;
        in.EntryText = text;
        in.Mode = state.op.Mode;
        in.CurrentYear = state.dates.CurrentYear;
        state.entry = ValidateEntry(in, state.entry, log, table).Entry;
        return IsValidForLogging(state.entry, text) && book.LogQso(time);
    }

    QString RandomTime(Random& rnd) {
        return QStringLiteral("%1:%2")
            .arg(rnd.Below(24), 2, 10, QLatin1Char('0'))
            .arg(rnd.Below(60), 2, 10, QLatin1Char('0'));
    }

    testing_support::TempProgramDir dir;
    StationState state;
    QsoLogModel log;
    LicenceTable table;
    LogBook book{state, log};
};

TEST_F(LogRoundTrip, EveryContactTheEntryLineAcceptsReadsBackAsLogged) {
    Random rnd(20270418);
    int logged = 0;
    int tooLongTried = 0;
    for (int session = 0; session < 20; ++session) {
        Session(rnd);
        for (int i = 0; i < 40; ++i) {
            state.op.Mode = rnd.Pick({"CW", "SSB"});
            const QString prefix = rnd.Pick({"", "", "", "OE/", "9A/"});
            const QString call =
                prefix + "S5" + rnd.From("0123456789", 1) + rnd.From(kCallChars, rnd.Below(12));
            tooLongTried += call.size() > kMaxCallLength;
            const QString text =
                call + rnd.Pick({" ", "  "}) + rnd.From("0123456789", 1 + rnd.Below(2));
            if (Enter(text, RandomTime(rnd))) {
                ++logged;
            }
            state.entry.CurrentLicYear.clear();
        }
        ExpectSameContacts(log, state.log.QsoCount, ReadLogRows(book.LogFileName()),
                           "own " + state.op.MyCall.toStdString());
    }
    EXPECT_GT(logged, 300);
    EXPECT_GT(tooLongTried, 50);  // the generator reaches past the columns
}

TEST_F(LogRoundTrip, EveryGridEditIsRefusedOrReadsBackAsEdited) {
    Random rnd(4242);
    QObject::connect(&log, &QsoLogModel::CellEdited, [this] { LogSetEditText(state.log); });
    const QStringList modes{"CW", "SSB", "cw", "ph", "PH", " SSB", "X", "", "RTTY"};
    int refused = 0;
    int taken = 0;
    for (int session = 0; session < 10; ++session) {
        Session(rnd);
        state.op.Mode = "CW";
        for (int i = 0; i < 6; ++i) {
            ASSERT_TRUE(Enter(QStringLiteral("S5%1AB 8%1").arg(i), "07:1" + QString::number(i)));
        }
        for (int edit = 0; edit < 60; ++edit) {
            const int row = rnd.Below(state.log.QsoCount);
            const int column =
                std::array{int(Time), int(Call), int(LicYear), int(Mode)}[rnd.Below(4)];
            QString text;
            switch (column) {
                case Time:
                    text = rnd.From("0123456789:", rnd.Below(7));
                    break;
                case Call:
                    text = rnd.From("S59ABCxyz/ -", rnd.Below(16));
                    break;
                case LicYear:
                    text = rnd.From("0123456789a ", rnd.Below(4));
                    break;
                default:
                    text = rnd.Pick(modes);
            }
            const QString old = log.Cell(row, column);
            LogClick(state.log);
            if (log.setData(log.index(row, column), text)) {
                ++taken;
            } else {
                ++refused;
                ASSERT_EQ(log.Cell(row, column), old) << "refused \"" << text.toStdString() << "\"";
            }
            book.SaveGridEdits();
            ExpectSameContacts(
                log, state.log.QsoCount, ReadLogRows(book.LogFileName()),
                "after \"" + text.toStdString() + "\" in column " + std::to_string(column));
        }
    }
    EXPECT_GT(taken, 100);
    EXPECT_GT(refused, 100);
}

}  // namespace
}  // namespace corvatta
