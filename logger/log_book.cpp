#include "logger/log_book.h"

#include "logger/log_file.h"
#include "logger/qso_log_model.h"
#include "logger/validation.h"
#include "platform/errors.h"

#include <algorithm>

namespace corvatta {

namespace {

// The last guard before the file: a line that would not read back as it
// was written is never written. The entry line, the operator panel and the
// grid refuse such values where they are typed; this catches what comes
// from elsewhere (a hand-edited settings file or profile, an imported copy).
void CheckRowsFit(const QString& path, const OwnLineData& own, const std::vector<QsoRow>& rows) {
    for (size_t r = 0; r < rows.size(); ++r) {
        const QString fault = QsoLineFault(own, rows[r]);
        if (!fault.isEmpty()) {
            throw platform::Error(QStringLiteral("%1: zveza %2 se ne da zapisati (%3)")
                                      .arg(path)
                                      .arg(r + 1)
                                      .arg(fault));
        }
    }
}

std::vector<QsoRow> RowsOf(const QsoLogModel& log, int count) {
    std::vector<QsoRow> rows;
    const int n = std::min(count, log.RowCount());
    rows.reserve(size_t(std::max(0, n)));
    for (int r = 0; r < n; ++r) {
        rows.push_back(log.Row(r));
    }
    return rows;
}

}  // namespace

QString ClearLogConfirm2(const QString& myCall) {
    return QStringLiteral(
               "Pritisnil si brisanje podatkov, res želiš to storiti?\n\rBrisal boš podatke "
               "dnevnika ") +
           myCall + QStringLiteral(" !");
}

QString SaveCbrConfirm() {
    return QStringLiteral(
        "Si prepričan, da izvažaš prave podatke?\n\rČe si izvoz že opravil in vmes spreminjal "
        "dnevnik, si lahko izvoziš nepravilne podatke,\n\rČe je pravi dnevnik pritisni tipko - OK "
        "!\n\rTudi če si dnevnik že izvozil in to storiš še enkrat brez, da si spreminjal "
        "dnevnik, ni nič narobe.");
}

QString ImportConfirm(const QString& myCall) {
    return QStringLiteral(
               "Uvozil boš dnevnik iz kopije,\n\ruvoženi dnevnik se bo avtomatsko prepisal čez "
               "podatke dnevnika ") +
           myCall + QStringLiteral(".") + QStringLiteral("\n\r") +
           QStringLiteral("Če hočete nadaljevati pritisni tipko - OK !");
}

void LogClick(LogState& log) {
    log.EditArmed = true;
}

void LogSetEditText(LogState& log) {
    if (log.EditArmed) {
        log.EditArmed = false;
        log.LogModified = true;
    }
}

bool LogExit(LogState& log) {
    if (!log.LogModified) {
        return false;
    }
    log.LogModified = false;
    return true;
}

LogBook::LogBook(StationState& state, QsoLogModel& log) : state_(state), log_(log) {}

QString LogBook::LogFileName() const {
    if (!overridePath_.isEmpty()) {
        return overridePath_;
    }
    return LogFilePath(FileCallOf(state_.op.MyCall));
}

OwnLineData LogBook::Own() const {
    // A single-digit own year is written with its "0" in every line, not
    // only once a contact has been logged (which stores it so).
    QString year = state_.op.MyYearLic;
    if (year.size() == 1) {
        year.prepend(u'0');
    }
    return {state_.op.MyCall, year, state_.log.ContestDate};
}

QString LogBook::LQSO() const {
    return state_.op.MyCall + QStringLiteral(" QSO: ") + QString::number(state_.log.QsoCount);
}

Score LogBook::Rescore() {
    return Recalculate(log_, state_.log.QsoCount, state_.op.MyYearLic);
}

LogBook::Shown LogBook::OpenLog() {
    const QString path = LogFileName();
    OpenedLog opened = OpenLogFile(path);
    state_.log.HasLines = opened.HasLines;
    state_.log.QsoCount = static_cast<int>(opened.Rows.size());
    log_.ReplaceRows(std::move(opened.Rows));
    ClearEntry(state_.entry);
    Shown shown;
    shown.lqso = LQSO();
    shown.currentRow = std::max(0, state_.log.QsoCount - 1);
    shown.score = Rescore();
    return shown;
}

std::optional<LogBook::Logged> LogBook::LogQso(const QString& utcTime) {
    EntryData& entry = state_.entry;
    if (entry.CurrentCall.isEmpty() || entry.CurrentLicYear.isEmpty()) {
        return std::nullopt;
    }
    if (state_.op.MyYearLic.size() == 1) {
        state_.op.MyYearLic.prepend(u'0');
    }
    const QString& mode = state_.op.Mode;
    QsoRow line;
    line[Time] = utcTime;
    line[Call] = entry.CurrentCall;
    line[LicYear] = entry.CurrentLicYear;
    line[Mode] = mode;
    CheckRowsFit(LogFileName(), Own(), {line});
    AppendLogLine(LogFileName(), CabrilloQsoLine(Own(), line));
    entry.LastLoggedCall = entry.CurrentCall;

    const int row = state_.log.QsoCount;
    QsoRow cells;
    cells[Time] = utcTime;
    cells[Call] = entry.CurrentCall;
    cells[LicYear] = entry.CurrentLicYear;
    cells[Mode] = mode;
    // Only the first contact keeps these; later rows get theirs from
    // Recalculate below.
    cells[Points] = (entry.IsDupe || row > 0)
                        ? QStringLiteral("0")
                        : (mode == kModeCw ? QStringLiteral("2") : QStringLiteral("1"));
    cells[Mult] = (entry.NewMult && cells[Points] != QLatin1String("0")) ? QStringLiteral("1")
                                                                         : QStringLiteral("0");
    log_.SetRowCount(row + 1);
    log_.SetRow(row, cells);

    Logged logged;
    logged.row = row;
    logged.currentRow = std::max(0, row - 1);
    logged.clearDoubleLabel = entry.IsDupe;
    state_.log.QsoCount = row + 1;
    // The entry is cleared before scoring, so a bad cell elsewhere in the
    // log cannot leave the contact in the entry line for a second Enter.
    ClearEntry(entry);
    logged.lqso = LQSO();
    logged.score = Rescore();
    if (HandOver) {
        HandOver();
    }
    return logged;
}

std::optional<LogBook::Shown> LogBook::DeleteLastQSO() {
    const int count = state_.log.QsoCount;
    if (count <= 0) {
        return std::nullopt;
    }
    CheckRowsFit(LogFileName(), Own(), RowsOf(log_, count - 1));
    RewriteLogFile(LogFileName(), Own(), log_, count - 1);
    log_.ClearRow(count - 1);
    state_.log.QsoCount = count - 1;
    ClearEntry(state_.entry);
    Shown shown;
    shown.lqso = LQSO();
    shown.currentRow = std::max(0, count - 2);
    shown.score = Rescore();
    return shown;
}

LogBook::Shown LogBook::ClearLog() {
    WriteLinesReplacing(LogFileName(), {});
    log_.ReplaceRows({});
    state_.log.QsoCount = 0;
    Shown shown;
    shown.lqso = LQSO();
    shown.score = ClearedScore();
    return shown;
}

std::optional<Score> LogBook::SaveGridEdits() {
    if (!LogExit(state_.log)) {
        return std::nullopt;
    }
    // Scored first, as the grid shows it; a cell that is not a number stops
    // here, before the file is written.
    Score score = Rescore();
    CheckRowsFit(LogFileName(), Own(), RowsOf(log_, state_.log.QsoCount));
    RewriteLogFile(LogFileName(), Own(), log_, state_.log.QsoCount);
    return score;
}

LogBook::Shown LogBook::ImportLogCopy(const QString& fileName) {
    std::vector<QsoRow> rows = ReadLogRows(fileName);
    const OwnLineData own = Own();
    CheckRowsFit(LogFileName(), own, rows);
    QStringList lines;
    lines.reserve(qsizetype(rows.size()));
    for (const QsoRow& row : rows) {
        lines.append(CabrilloQsoLine(own, row));
    }
    WriteLinesReplacing(LogFileName(), lines);

    const int count = static_cast<int>(rows.size());
    log_.ReplaceRows(std::move(rows));
    state_.log.QsoCount = count;
    state_.log.HasLines = count > 0;
    ClearEntry(state_.entry);
    Shown shown;
    shown.lqso = LQSO();
    shown.currentRow = std::max(0, count - 1);
    shown.score = Rescore();
    return shown;
}

}  // namespace corvatta
