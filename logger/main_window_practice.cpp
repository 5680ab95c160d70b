// The main window while a practice session has its own log in the grid.
#include "logger/log_book.h"
#include "logger/main_window.h"
#include "platform/errors.h"
#include "platform/text_file.h"

#include <QFont>

namespace corvatta {

void TfMain::EnterPracticeLog(const QString& path, const QString& banner) {
    if (PracticeLogShown()) {
        return;
    }
    // Edits of the contest log still in the grid go to its file now: the
    // grid is about to be filled with the practice log.
    if (const auto score = logBook_->SaveGridEdits()) {
        ShowScore(*score);
    }
    // Every session starts with an empty practice log: its results are
    // checked against this session's band only.
    QString reason;
    if (!platform::WriteFileAtomically(path, QByteArray(), &reason)) {
        throw platform::IoError(QStringLiteral("%1: %2").arg(path, reason));
    }
    logBook_->UseLogFile(path);
    try {
        ReloadLog();
    } catch (...) {
        logBook_->UseLogFile(QString());
        ReloadLog();
        throw;
    }

    practiceBanner_ = new QLabel(banner, centralWidget());
    practiceBanner_->setObjectName(QStringLiteral("LPractice"));
    practiceBanner_->setGeometry(LTest->geometry());
    practiceBanner_->setAlignment(Qt::AlignCenter);
    practiceBanner_->setFont(LTest->font());
    practiceBanner_->setAutoFillBackground(true);
    PaintBackground(practiceBanner_, QStringLiteral("clYellow"));
    PaintText(practiceBanner_, colors::ColorRed);
    practiceBanner_->show();
    practiceBanner_->raise();
    setWindowTitle(kMainCaption + QStringLiteral(" – VAJA"));

    // What would write the contest's files, or change the call whose log
    // is restored at the end.
    practiceDisabled_.clear();
    for (QAction* a : {ClearMenu, SaveAsLog, SaveAsCbr, SaveCbr, OpenLog, SettingsMenu, UploadPage,
                       CheckLog, SaveAdif, RestoreBackup}) {
        practiceDisabled_.emplace_back(a, a->isEnabled());
        a->setEnabled(false);
    }
    practiceProfileKeys_ = state_.ProfileKeysEnabled;
    state_.ProfileKeysEnabled = false;
    ResetEntryLine();
    FocusEnd(ECall);
}

void TfMain::LeavePracticeLog() {
    if (!PracticeLogShown()) {
        return;
    }
    if (const auto score = logBook_->SaveGridEdits()) {
        ShowScore(*score);
    }
    logBook_->UseLogFile(QString());
    delete practiceBanner_;
    practiceBanner_ = nullptr;
    setWindowTitle(kMainCaption);
    for (const auto& [action, enabled] : practiceDisabled_) {
        action->setEnabled(enabled);
    }
    practiceDisabled_.clear();
    state_.ProfileKeysEnabled = practiceProfileKeys_;
    ResetEntryLine();
    ReloadLog();
    FocusEnd(ECall);
}

}  // namespace corvatta
