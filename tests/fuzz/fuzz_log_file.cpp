// The log file through the operations that write it, as the main window
// drives them: loading at start (from a file as an operator may have left
// it: hand-edited, the last line without a line end), logging contacts
// (append), deleting the last contact and saving grid edits (whole
// rewrites), and loading again. Contacts are only those the entry line's
// checks let through; grid edits are any text typed into a cell. After
// every operation that writes:
//  - the file holds whole lines only;
//  - loading it again gives as many contacts as the grid holds, and the
//    lines written from those contacts are the lines written from the grid;
//  - every contact logged, and every cell edit saved, reads back exactly;
//  - a contact or an edit that is refused leaves the file byte for byte as
//    it was.
#include "tests/fuzz/fuzz_support.h"

#include "logger/licence_table.h"
#include "logger/log_book.h"
#include "logger/log_file.h"
#include "logger/qso_log_model.h"
#include "logger/scoring.h"
#include "logger/validation.h"
#include "platform/cp1250.h"
#include "platform/errors.h"
#include "platform/program_dir.h"

#include <QFile>

#include <bitset>
#include <vector>

namespace {

using namespace corvatta;

constexpr int kWrittenColumns[] = {Time, Call, LicYear, Mode};

QString TwoDigits(int n) {
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

QString ConsumeClockTime(fuzz::Source& data) {
    const int hours = data.Int(0, 23);
    const int minutes = data.Int(0, 59);
    return TwoDigits(hours) + u':' + TwoDigits(minutes);
}

// Validates a typed entry against the log as the entry line does; true when
// it may be logged, with the entry state set for LogQso.
bool EnterContact(StationState& s, const QsoLogModel& log, const LicenceTable& licences,
                  const QString& typed) {
    ValidationInput input;
    input.EntryText = typed;
    input.Mode = s.op.Mode;
    input.CurrentYear = QStringLiteral("26");
    const ValidationResult r = ValidateEntry(input, s.entry, log, licences);
    s.entry = r.Entry;
    return IsValidForLogging(s.entry, typed);
}

QString ConsumeCellText(fuzz::Source& data) {
    switch (data.Int(0, 5)) {
        case 0:
            return data.From(QStringLiteral("0123456789::"), 6);
        case 1:
            return data.EntryText(16);
        case 2:
            return data.From(QStringLiteral("0123456789"), 3);
        case 3: {
            static const QStringList kModes = {"CW", "SSB", "PH", "X", "", "cw"};
            return kModes[data.Int(0, int(kModes.size()) - 1)];
        }
        case 4:
            return data.From(QStringLiteral("0123"), 2);
        default:
            // The grid upper-cases what is typed into it.
            return data.Text(8).toUpper();
    }
}

class Session {
  public:
    Session(fuzz::Source& data) : data_(data) {}

    void Run();

  private:
    void MakeStartingFile();
    void Load();
    void LogContact();
    void DeleteLast();
    void EditCell();
    void CheckReload(const char* after);
    QStringList About(const char* after) const;

    fuzz::Source& data_;
    StationState s_;
    QsoLogModel log_;
    LicenceTable licences_;
    LogBook book_{s_, log_};
    QString path_;
    // What is checked of each grid row.
    struct RowCheck {
        // The cells that must read back exactly.
        std::bitset<LogColumnCount> exact;
        // Loaded from a line with neither "CW" nor "PH": the grid scores
        // such a row as not CW and then takes it for SSB from those points,
        // while the file writes it as CW. A known disagreement; for such
        // rows the line comparison leaves the mode (and the report that
        // goes with it) aside and checks the rest.
        bool noModeMark = false;
    };
    std::vector<RowCheck> rows_;
    QStringList done_;
    bool wrote_ = false;  // the program has written the file itself
};

QStringList Session::About(const char* after) const {
    QStringList out = {QStringLiteral("after %1").arg(QLatin1String(after)),
                       QStringLiteral("own ") + fuzz::Visible(s_.op.MyCall) + u' ' +
                           fuzz::Visible(s_.op.MyYearLic),
                       QStringLiteral("steps: ") + done_.join(QLatin1String("; "))};
    return out;
}

void Session::MakeStartingFile() {
    QByteArray bytes;
    switch (data_.Int(0, 3)) {
        case 0:
            return;  // no log file yet
        case 1:
            bytes = data_.Bytes(600);
            break;
        default: {
            // A log the program wrote, then touched in an editor.
            const int count = data_.Int(0, 6);
            const OwnLineData own = book_.Own();
            for (int i = 0; i < count; ++i) {
                StationState scratch = s_;
                const QString typed = data_.TypedEntry();
                if (!EnterContact(scratch, log_, licences_, typed)) {
                    continue;
                }
                const QString time = ConsumeClockTime(data_);
                const QString mode = data_.Bool() ? kModeCw : kModeSsb;
                const QString line = CabrilloQsoLine(own, time, scratch.entry.CurrentCall,
                                                     scratch.entry.CurrentLicYear, mode);
                bytes += platform::EncodeCp1250(line);
                bytes += data_.Bool() ? "\r\n" : "\n";
            }
            if (data_.Bool() && bytes.endsWith('\n')) {
                // The last line's end taken off by an editor.
                bytes.chop(bytes.endsWith("\r\n") ? 2 : 1);
            }
            break;
        }
    }
    fuzz::WriteWholeFile(path_, bytes);
}

void Session::Load() {
    try {
        book_.OpenLog();
    } catch (const ConversionError&) {
        // A first line without a mode mark: shown as an error, rows loaded.
    }
    rows_.assign(size_t(std::max(0, s_.log.QsoCount)), {});
    for (int r = 0; r < s_.log.QsoCount; ++r) {
        rows_[size_t(r)].noModeMark = log_.Cell(r, Mode).isEmpty();
    }
}

void Session::LogContact() {
    const QString typed = data_.TypedEntry();
    const QString time = ConsumeClockTime(data_);
    if (!EnterContact(s_, log_, licences_, typed)) {
        return;
    }
    done_.append(QStringLiteral("log %1 at %2").arg(fuzz::Visible(typed), time));
    const int before = s_.log.QsoCount;
    const QByteArray fileBefore = fuzz::ReadWholeFile(path_);
    try {
        book_.LogQso(time);
    } catch (const ConversionError&) {
        // Scoring a bad cell elsewhere failed after the contact was logged.
    } catch (const platform::Error&) {
        // Refused with a message: nothing may have changed.
    }
    if (s_.log.QsoCount == before) {
        FUZZ_CHECK(fuzz::ReadWholeFile(path_) == fileBefore,
                   "a contact that is not logged leaves the file as it was", About("refusing"));
        return;
    }
    FUZZ_CHECK(s_.log.QsoCount == before + 1, "a logged contact adds one row", About("logging"));
    rows_.resize(size_t(s_.log.QsoCount));
    rows_.back().exact.set();
    CheckReload("logging a contact");
}

void Session::DeleteLast() {
    if (s_.log.QsoCount <= 0) {
        return;
    }
    done_.append(QStringLiteral("delete last"));
    const int before = s_.log.QsoCount;
    const QByteArray fileBefore = fuzz::ReadWholeFile(path_);
    try {
        book_.DeleteLastQSO();
    } catch (const ConversionError&) {
    } catch (const platform::Error&) {
        // A rewrite refused because a loaded line would not read back (a
        // hand-made file): the file and the grid stay as they were, and the
        // file need not end in a line end, as it was not written here.
        FUZZ_CHECK(fuzz::ReadWholeFile(path_) == fileBefore && s_.log.QsoCount == before,
                   "a refused deletion leaves the file and the grid as they were",
                   About("a refused deletion"));
        return;
    }
    rows_.resize(size_t(s_.log.QsoCount));
    CheckReload("deleting the last contact");
}

void Session::EditCell() {
    if (s_.log.QsoCount <= 0) {
        return;
    }
    const int row = data_.Int(0, s_.log.QsoCount - 1);
    const int column = data_.Bool() ? kWrittenColumns[data_.Int(0, 3)] : int(Points);
    const QString text = ConsumeCellText(data_);
    const QString old = log_.Cell(row, column);
    done_.append(QStringLiteral("edit row %1 column %2 to %3")
                     .arg(row)
                     .arg(column)
                     .arg(fuzz::Visible(text)));

    LogClick(s_.log);
    if (!log_.setData(log_.index(row, column), text) || text == old) {
        return;  // nothing changed, nothing to save
    }
    LogSetEditText(s_.log);
    const QByteArray fileBefore = fuzz::ReadWholeFile(path_);
    try {
        book_.SaveGridEdits();
    } catch (const platform::Error&) {
        // A cell that is not a number, or an edit the log cannot hold.
        FUZZ_CHECK(fuzz::ReadWholeFile(path_) == fileBefore,
                   "a refused edit leaves the file as it was", About("a refused edit"));
        // The cell goes back to what it held.
        log_.SetCell(row, column, old);
        return;
    }
    if (column != Points) {
        rows_[size_t(row)].exact.set(size_t(column));
        rows_[size_t(row)].noModeMark &= column != Mode;
    }
    CheckReload("saving a grid edit");
}

void Session::CheckReload(const char* after) {
    wrote_ = true;
    const QByteArray bytes = fuzz::ReadWholeFile(path_);
    // Whole lines: the next contact appended starts on a line of its own.
    FUZZ_CHECK(bytes.isEmpty() || bytes.endsWith('\n') || bytes.endsWith('\r'),
               "the file holds whole lines only", About(after) << fuzz::Visible(bytes.right(80)));

    StationState again = s_;
    QsoLogModel reloaded;
    LogBook book(again, reloaded);
    try {
        book.OpenLog();
    } catch (const ConversionError&) {
    }
    FUZZ_CHECK(
        again.log.QsoCount == s_.log.QsoCount,
        "loading again gives as many contacts as the grid holds",
        About(after)
            << QStringLiteral("grid %1, file %2").arg(s_.log.QsoCount).arg(again.log.QsoCount));
    const OwnLineData own = book_.Own();
    for (int r = 0; r < s_.log.QsoCount; ++r) {
        QsoRow shown = log_.Row(r);
        if (rows_[size_t(r)].noModeMark) {
            shown[Mode] = reloaded.Cell(r, Mode);  // the mode (and report) aside
        }
        const QString wrote = CabrilloQsoLine(own, shown);
        const QString read = CabrilloQsoLine(own, reloaded.Row(r));
        FUZZ_CHECK(wrote == read, "a contact loaded again writes the same line",
                   About(after) << QStringLiteral("row %1").arg(r) << fuzz::Visible(wrote)
                                << fuzz::Visible(read));
        for (int c : kWrittenColumns) {
            if (rows_[size_t(r)].exact.test(size_t(c))) {
                FUZZ_CHECK(reloaded.Cell(r, c) == log_.Cell(r, c),
                           "a logged contact or a saved edit reads back exactly",
                           About(after) << QStringLiteral("row %1 column %2").arg(r).arg(c)
                                        << fuzz::Visible(log_.Cell(r, c))
                                        << fuzz::Visible(reloaded.Cell(r, c)));
            }
        }
    }
}

void Session::Run() {
    platform::SetProgramDirectory(fuzz::ScratchFolder());
    // The own call and year: ones the entry line's checks accept.
    StationState ownCheck;
    const QString ownTyped = data_.TypedEntry();
    ownCheck.op.Mode = kModeCw;
    if (!EnterContact(ownCheck, log_, licences_, ownTyped)) {
        return;
    }
    s_.op.MyCall = ownCheck.entry.CurrentCall;
    s_.op.MyYearLic = ownCheck.entry.CurrentLicYear;
    s_.op.Mode = data_.Bool() ? kModeCw : kModeSsb;
    s_.log.ContestDate =
        QDate(2026, 3, 15).addDays(data_.Int(0, 400)).toString(QStringLiteral("yyyy-MM-dd"));
    path_ = book_.LogFileName();
    QFile::remove(path_);

    MakeStartingFile();
    Load();
    const int steps = data_.Int(1, 12);
    for (int i = 0; i < steps && !data_.Exhausted(); ++i) {
        switch (data_.Int(0, 5)) {
            case 0:
            case 1:
                LogContact();
                break;
            case 2:
                DeleteLast();
                break;
            case 3:
            case 4:
                EditCell();
                break;
            default:
                done_.append(QStringLiteral("restart"));
                s_.op.Mode = data_.Bool() ? kModeCw : kModeSsb;
                Load();
                break;
        }
    }
    if (wrote_) {
        CheckReload("the last step");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto source = fuzz::Source::For(data, size);
    fuzz::Source& in = *source;
    Session(in).Run();
    return 0;
}
