// The main window's log and entry line: the grid, logging on Enter, the
// file menu's log commands and the editing of logged contacts.
#include "logger/cabrillo.h"
#include "logger/entry_sequence.h"
#include "logger/log_backup.h"
#include "logger/log_menu.h"
#include "logger/main_window.h"
#include "logger/qso_log_model.h"
#include "logger/settings.h"
#include "logger/validation.h"
#include "platform/application.h"
#include "platform/dialogs.h"
#include "platform/errors.h"
#include "platform/program_dir.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStyledItemDelegate>

#include <algorithm>

namespace corvatta {

namespace {

// The grid's cell editor shows what is typed in upper case.
class UpperCaseDelegate final : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
            platform::MakeUpperCase(edit);
        }
        return editor;
    }
};

bool IsEntryCharacter(QChar c) {
    return c == u' ' || c == u'/' || (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') ||
           (c >= u'a' && c <= u'z');
}

}  // namespace

void TfMain::BuildLog() {
    logModel_ = new QsoLogModel(this);
    logBook_ = std::make_unique<LogBook>(state_, *logModel_);
    // The entry line's Run/S-P sequence goes on once a contact is logged.
    logBook_->HandOver = [this] { sequence_->AfterLogging(); };
    licences_ = LicenceTable::ForProgram();
    Log->setModel(logModel_);
    Log->setItemDelegate(new UpperCaseDelegate(Log));
    Log->viewport()->installEventFilter(this);
    ECall->installEventFilter(this);

    connect(this, &TfMain::logReloadRequested, this, &TfMain::ReloadLog);
    connect(ECall, &QLineEdit::textChanged, this, &TfMain::ValidateEntry);
    connect(EditLL, &QLineEdit::textChanged, this, &TfMain::ValidateEntry);
    connect(logModel_, &QsoLogModel::CellEdited, this, [this] { LogSetEditText(state_.log); });
    // A refused cell edit says why where the entry line's messages appear;
    // the cell itself shows its old text again.
    connect(logModel_, &QsoLogModel::CellRefused, this,
            [this](int, int, const QString& reason) { ShowInfo(reason); });
    logMenu_ = new LogMenu(*this, state_, *logBook_, *logModel_, this);
    connect(logMenu_, &LogMenu::logShown, this, [this](const LogBook::Shown& shown, bool relabel) {
        ShowLog(shown);
        if (relabel) {
            ClearEntryLabels();
        }
    });
    connect(logMenu_, &LogMenu::scoreShown, this, &TfMain::ShowScore);
    connect(logMenu_, &LogMenu::logReloadRequested, this, &TfMain::ReloadLog);
    connect(logMenu_, &LogMenu::licencesChanged, this,
            [this] { licences_ = LicenceTable::ForProgram(); });
    backups_ = new LogBackups(clock_, this);
    logMenu_->AttachBackups(*backups_, clock_);
    // A failed copy is no reason to stop the operator in the middle of the
    // contest: the log itself is safe, and the mark stays until a copy works.
    connect(backups_, &LogBackups::backupFailed, this, [this](const QString& message) {
        LBackupFailed->setToolTip(message);
        LBackupFailed->show();
    });
    connect(backups_, &LogBackups::backupWritten, LBackupFailed, &QWidget::hide);
}

void TfMain::ShowScore(const Score& score) {
    EPoint->setText(score.EPoint);
    EMult->setText(score.EMult);
    ESum->setText(score.ESum);
}

void TfMain::ShowLog(const LogBook::Shown& shown) {
    ShowScore(shown.score);
    LQSO->setText(shown.lqso);
    // Hiding and showing the grid around the move scrolls it to the end of
    // the log in one step.
    Log->hide();
    Log->setCurrentIndex(logModel_->index(shown.currentRow, 0));
    Log->scrollTo(logModel_->index(shown.currentRow, 0));
    Log->show();
    // The current row is the one before the newest contact; the newest must
    // not be left half below the grid's edge.
    Log->doItemsLayout();
    Log->scrollTo(logModel_->index(std::max(0, state_.log.QsoCount - 1), 0));
}

void TfMain::ShowInfo(const QString& text) {
    LInfo->setText(text);
    state_.entry.ShownCall = text;
}

void TfMain::ClearEntryLabels() {
    ShowInfo(QString());
    LError->clear();
    LMult->clear();
    EditLL->clear();
}

void TfMain::ReloadLog() {
    ShowLog(logBook_->OpenLog());
    ClearEntryLabels();
}

void TfMain::ValidateEntry() {
    ValidationInput in;
    in.EntryText = ECall->text();
    in.EditLLText = EditLL->text();
    in.Mode = state_.op.Mode;
    in.MixCategory = EMode->currentIndex() == 2;
    in.CurrentYear = state_.dates.CurrentYear;
    in.SuggestLicenceYear = state_.SuggestLicenceYear;
    in.ShapeQSOVisible = !ShapeQSO->isHidden();
    in.ShapeMultVisible = !ShapeMult->isHidden();
    const ValidationResult r = corvatta::ValidateEntry(in, state_.entry, *logModel_, licences_);
    state_.entry = r.Entry;
    ShowInfo(r.LInfo);
    LError->setText(r.LError);
    LDouble->setText(r.LDouble);
    LMult->setText(r.LMult);
    if (r.ShapeColor)
        PaintBackground(Shape, *r.ShapeColor);
    if (r.Shape1Color)
        PaintBackground(Shape1, *r.Shape1Color);
    ShapeQSO->setVisible(r.ShapeQSOVisible);
    ShapeMult->setVisible(r.ShapeMultVisible);
    // A new prediction re-runs these checks once through EditLL's change
    // handler; the same text raises no change.
    if (r.EditLL && *r.EditLL != EditLL->text()) {
        EditLL->setText(*r.EditLL);
    }
    sequence_->AfterValidation();
}

bool TfMain::EntryKeyPress(QKeyEvent* event) {
    const QString text = event->text();
    if (text.isEmpty()) {
        return false;  // arrows, function keys: not characters
    }
    const QChar c = text.front();
    if (c == u'\r' || c == u'\n') {
        EnterPressed();
        return true;
    }
    if (c == QChar(0x1B)) {
        EscPressed();
        return true;
    }
    // Editing keys carry control characters as their text (Delete is 0x7F,
    // Backspace 0x08, Ctrl+A 0x01): they edit the line as in any line edit.
    // Tab still goes nowhere, as before.
    if ((c.unicode() < 0x20 && c != u'\t') || c.unicode() == 0x7F) {
        return false;
    }
    // Only what a callsign and a year are made of reaches the line.
    return !IsEntryCharacter(c);
}

void TfMain::LogQso() {
    const auto logged = logBook_->LogQso(state_.dates.UtcTime);
    if (!logged) {
        return;
    }
    ResetEntryLine();
    if (logged->clearDoubleLabel) {
        LDouble->clear();
    }
    ShowLog(*logged);
    ClearEntryLabels();
    PaintBackground(Shape, colors::ColorBusy);
    PaintBackground(Shape1, colors::ColorBusy);
    ECall->end(false);
    // Practice contacts never reach the contest log's copies.
    if (!logBook_->UsingOtherLog()) {
        backups_->ContactLogged(logBook_->LogFileName(), state_.op.FileCall);
    }
}

}  // namespace corvatta
