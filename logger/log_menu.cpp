#include "logger/log_menu.h"

#include "logger/adif.h"
#include "logger/call_history.h"
#include "logger/licence_table.h"
#include "logger/log_backup.h"
#include "logger/log_check.h"
#include "logger/log_file.h"
#include "logger/qso_log_model.h"
#include "logger/settings.h"
#include "platform/application.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/errors.h"
#include "platform/program_dir.h"
#include "platform/text_file.h"

#include <QApplication>
#include <QFile>

namespace corvatta {

namespace {

// "Text files (*.log)|*.log" as the file dialogs of this toolkit want it.
QString DialogFilter(const QString& pairs) {
    const QStringList parts = pairs.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        filters.append(parts[i]);
    }
    return filters.join(QLatin1String(";;"));
}

QString BackupItem(const BackupInfo& b) {
    return b.taken.toString(QStringLiteral("dd.MM.yyyy  hh:mm:ss")) + QStringLiteral("  QSO: ") +
           QString::number(b.contacts);
}

// The commands added to the menu say in their own words what became of the
// operator's files, then the system's reason.
template <typename Write>
void SayingWhatHappened(const QString& whatHappened, Write&& write) {
    try {
        write();
    } catch (const platform::IoError& e) {
        throw platform::IoError(whatHappened + e.message());
    }
}

}  // namespace

QString NoBackupsText(const QString& myCall) {
    return QStringLiteral("Za dnevnik %1 ni varnostnih kopij.").arg(myCall);
}

QString RestoreConfirm(const QString& myCall, const QString& item, const QString& copyCall) {
    const QString foreign = copyCall.isEmpty() || copyCall == myCall
                                ? QString()
                                : QStringLiteral("\n\rPozor: kopija je dnevnik postaje %1, ne %2 !")
                                      .arg(copyCall, myCall);
    return QStringLiteral("Dnevnik %1 boš zamenjal s kopijo %2.").arg(myCall, item) + foreign +
           QStringLiteral(
               "\n\rTrenutni dnevnik se prej shrani v mapo backup.\n\rČe hočeš "
               "nadaljevati, pritisni tipko - OK !");
}

QString OwnCallOfCopy(const QString& path) {
    try {
        for (const QString& line : platform::ReadTextLines(path)) {
            if (line.startsWith(QLatin1String("QSO:"))) {
                return line.mid(30).section(u' ', 0, 0);
            }
        }
    } catch (const platform::IoError&) {
        // The restore itself reports what cannot be read.
    }
    return {};
}

LogMenu::LogMenu(TfMainForm& form, StationState& state, LogBook& book, QsoLogModel& model,
                 QObject* parent)
    : QObject(parent), f_(form), state_(state), book_(book), model_(model) {
    using platform::Guarded;
    connect(f_.ClearMenu, &QAction::triggered, this, Guarded([this] { ClearLog(); }));
    connect(f_.DeleteLastQSO, &QAction::triggered, this, Guarded([this] { DeleteLastQso(); }));
    connect(f_.SaveAsLog, &QAction::triggered, this, Guarded([this] { SaveAs(false); }));
    connect(f_.SaveAsCbr, &QAction::triggered, this, Guarded([this] { SaveAs(true); }));
    connect(f_.SaveCbr, &QAction::triggered, this, Guarded([this] { SaveCbr(); }));
    connect(f_.OpenLog, &QAction::triggered, this, Guarded([this] { OpenLog(); }));
    connect(f_.SaveAdif, &QAction::triggered, this, Guarded([this] { SaveAdif(); }));
    connect(f_.ImportCallHistory, &QAction::triggered, this,
            Guarded([this] { ImportCallHistory(); }));
    connect(f_.CheckLog, &QAction::triggered, this, Guarded([this] { CheckLog(); }));
    connect(f_.RestoreBackup, &QAction::triggered, this, Guarded([this] { RestoreFromBackup(); }));
    connect(qApp, &QApplication::focusChanged, this, &LogMenu::GridFocusChanged);
}

void LogMenu::ClearLog() {
    auto& dialogs = platform::CurrentDialogs();
    if (!dialogs.ConfirmOkCancel(platform::BoxKind::Error, kClearLogConfirm1) ||
        !dialogs.ConfirmOkCancel(platform::BoxKind::Error, ClearLogConfirm2(state_.op.MyCall))) {
        return;
    }
    emit logShown(book_.ClearLog(), false);
}

void LogMenu::DeleteLastQso() {
    if (const auto shown = book_.DeleteLastQSO()) {
        emit logShown(*shown, true);
    }
}

CabrilloHeader LogMenu::ExportHeader() {
    state_.op.Category = ComputeCategory(f_.EPower->currentIndex(), f_.EMode->currentIndex());
    return CabrilloHeaderOf(state_, f_.ESum->text());
}

void LogMenu::SaveAs(bool cabrillo) {
    const QString name = platform::CurrentDialogs().GetSaveFileName(
        QString(), platform::ProgramDirectory(), DialogFilter(cabrillo ? kCbrFilter : kLogFilter));
    if (name.isEmpty()) {
        return;
    }
    if (cabrillo) {
        ExportCabrillo(name, ExportHeader(), book_.Own(), model_, state_.log.QsoCount);
    } else {
        ExportLogAs(name, book_.Own(), model_, state_.log.QsoCount);
    }
}

void LogMenu::SaveCbr() {
    if (!CheckBeforeExport()) {
        return;
    }
    if (!platform::CurrentDialogs().ConfirmOkCancel(platform::BoxKind::Error, SaveCbrConfirm())) {
        return;
    }
    corvatta::SaveCbr(state_.op.FileCall, ExportHeader(), book_.Own(), model_, state_.log.QsoCount);
}

void LogMenu::OpenLog() {
    auto& dialogs = platform::CurrentDialogs();
    if (!dialogs.ConfirmOkCancel(platform::BoxKind::Error, ImportConfirm(state_.op.MyCall))) {
        return;
    }
    const QString name =
        dialogs.GetOpenFileName(QString(), platform::ProgramDirectory(), DialogFilter(kLogFilter));
    if (name.isEmpty()) {
        return;
    }
    emit logShown(book_.ImportLogCopy(name), true);
}

void LogMenu::SaveAdif() {
    const QString name = platform::CurrentDialogs().GetSaveFileName(
        QString(), platform::ProgramDirectory(), DialogFilter(kAdifFilter));
    if (name.isEmpty()) {
        return;
    }
    const QDateTime now = clock_ ? clock_->Now() : QDateTime::currentDateTime();
    SayingWhatHappened(
        QStringLiteral("Datoteka ADIF ni shranjena, dnevnik je nespremenjen: "),
        [&] { ExportAdif(name, book_.Own(), model_, state_.log.QsoCount, now.toUTC()); });
}

void LogMenu::ImportCallHistory() {
    auto& dialogs = platform::CurrentDialogs();
    const QStringList names = dialogs.GetOpenFileNames(
        kHistoryCaption, platform::ProgramDirectory(), DialogFilter(kHistoryFilter));
    if (names.isEmpty()) {
        return;
    }
    std::vector<HistoryFile> files;
    const QString path = platform::ProgramDirectory() + kLicenceFileName;
    QStringList table;
    SayingWhatHappened(
        QStringLiteral("Leta licenc niso uvožena, %1 je nespremenjen: ").arg(kLicenceFileName),
        [&] {
            for (const QString& name : names) {
                files.push_back(ReadCallHistory(name));
            }
            // Without a table of the operator's own, the built-in one is
            // where prediction starts from, and it must not be lost.
            table =
                QFile::exists(path) ? platform::ReadTextLines(path) : LicenceTable::BuiltInLines();
        });
    const LicenceMerge merge = MergeIntoLicenceLines(table, LatestYears(files));
    const int count = static_cast<int>(names.size());
    if (merge.added == 0 && merge.changed == 0) {
        dialogs.ShowMessage(HistorySummary(count, merge));
        return;
    }
    if (!dialogs.ConfirmOkCancel(platform::BoxKind::Confirmation, HistoryConfirm(count, merge))) {
        return;
    }
    SayingWhatHappened(QStringLiteral("Leta licenc niso uvožena, %1 je ostal tak, kot je bil: ")
                           .arg(kLicenceFileName),
                       [&] { WriteLinesReplacing(path, merge.lines); });
    emit licencesChanged();
}

LogCheckReport LogMenu::RunCheck() {
    LogCheckInput in;
    for (int r = 0; r < state_.log.QsoCount; ++r) {
        QsoRow row;
        for (int c = 0; c < LogColumnCount; ++c)
            row[static_cast<size_t>(c)] = model_.Cell(r, c);
        in.rows.push_back(row);
    }
    try {
        in.fileLines = platform::ReadTextLines(book_.LogFileName());
    } catch (const platform::IoError&) {
        // No file yet: nothing was written under another own year.
    }
    in.op = state_.op;
    in.radioClub = f_.CBRK->isChecked();
    in.modeCategory = f_.EMode->currentIndex();
    in.contestDate = state_.log.ContestDate;
    in.currentYear = state_.dates.CurrentYear;
    in.listedOwnYear = LicenceTable::ForProgram().Find(state_.op.MyCall);
    return corvatta::CheckLog(in);
}

void LogMenu::CheckLog() {
    const LogCheckReport report = RunCheck();
    if (report.Clean()) {
        platform::CurrentDialogs().ShowBox(platform::BoxKind::Information, kCheckCaption,
                                           CheckCleanText(state_.op.MyCall));
    } else {
        platform::CurrentDialogs().ShowBox(platform::BoxKind::Warning, kCheckCaption,
                                           LogCheckText(state_.op.MyCall, report));
    }
}

bool LogMenu::CheckBeforeExport() {
    const LogCheckReport report = RunCheck();
    // Duplicates alone are scored 0 and need no decision.
    if (report.Problems() == 0) {
        return true;
    }
    return platform::CurrentDialogs().ConfirmOkCancel(
        platform::BoxKind::Warning, CheckBeforeExportText(LogCheckText(state_.op.MyCall, report)));
}

void LogMenu::AttachBackups(LogBackups& backups, const platform::Clock& clock) {
    backups_ = &backups;
    clock_ = &clock;
}

void LogMenu::RestoreFromBackup() {
    if (!backups_ || !clock_) {
        return;
    }
    auto& dialogs = platform::CurrentDialogs();
    // A copy under way must be complete before it is listed or replaced.
    backups_->WaitForDone();
    const QString logPath = book_.LogFileName();
    const auto list = ListBackups(logPath, state_.op.FileCall);
    if (list.empty()) {
        dialogs.ShowMessage(NoBackupsText(state_.op.MyCall));
        return;
    }
    QStringList items;
    for (const BackupInfo& b : list) {
        items.append(BackupItem(b));
    }
    const int chosen =
        dialogs.ChooseItem(kRestoreCaption, kRestoreLabel.arg(state_.op.MyCall), items);
    if (chosen < 0 || chosen >= static_cast<int>(list.size())) {
        return;
    }
    const QString copyPath = list[static_cast<size_t>(chosen)].path;
    if (!dialogs.ConfirmOkCancel(
            platform::BoxKind::Error,
            RestoreConfirm(state_.op.MyCall, items[chosen], OwnCallOfCopy(copyPath)))) {
        return;
    }
    RestoreBackup(logPath, state_.op.FileCall, copyPath, clock_->Now());
    emit logReloadRequested();
}

void LogMenu::GridFocusChanged(QWidget* old, QWidget* now) {
    const auto inGrid = [this](QWidget* w) {
        return w && (w == f_.Log || f_.Log->isAncestorOf(w));
    };
    if (inGrid(old) && !inGrid(now)) {
        try {
            if (const auto score = book_.SaveGridEdits()) {
                emit scoreShown(*score);
            }
        } catch (...) {
            // A cell that is no number, or a log that could not be
            // rewritten: the operator sees why and can mend it.
            platform::ShowCurrentException();
        }
    }
}

}  // namespace corvatta
