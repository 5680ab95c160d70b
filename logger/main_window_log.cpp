// The main window's log and entry line: the grid, logging on Enter, the
// file menu's log commands and the editing of logged contacts.
#include "logger/cabrillo.h"
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

// "Text files (*.log)|*.log" as the file dialogs of this toolkit want it.
QString DialogFilter(const QString& pairs) {
    const QStringList parts = pairs.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        filters.append(parts[i]);
    }
    return filters.join(QLatin1String(";;"));
}

bool IsEntryCharacter(QChar c) {
    return c == u' ' || c == u'/' || (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') ||
           (c >= u'a' && c <= u'z');
}

}  // namespace

void TfMain::BuildLog() {
    logModel_ = new QsoLogModel(this);
    logBook_ = std::make_unique<LogBook>(state_, *logModel_);
    // The entry line's Run/S-P sequence goes on once a contact is logged.
    logBook_->HandOver = [this] { HandOverAfterLogging(); };
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
            [this](int, int, const QString& reason) { LInfo->setText(reason); });
    connect(qApp, &QApplication::focusChanged, this, &TfMain::GridFocusChanged);

    using platform::Guarded;
    connect(ClearMenu, &QAction::triggered, this, Guarded([this] { ClearLogClick(); }));
    connect(DeleteLastQSO, &QAction::triggered, this, Guarded([this] { DeleteLastQsoClick(); }));
    connect(SaveAsLog, &QAction::triggered, this, Guarded([this] { SaveAsClick(false); }));
    connect(SaveAsCbr, &QAction::triggered, this, Guarded([this] { SaveAsClick(true); }));
    connect(SaveCbr, &QAction::triggered, this, Guarded([this] { SaveCbrClick(); }));
    connect(OpenLog, &QAction::triggered, this, Guarded([this] { OpenLogClick(); }));
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
}

void TfMain::ClearEntryLabels() {
    LInfo->clear();
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
    LInfo->setText(r.LInfo);
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
    EntryChecksAfterChange();
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
    if (c == u'\b') {
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
    if (LDouble->text() == kMsgDupe) {
        LDouble->clear();
    }
    ShowLog(*logged);
    ClearEntryLabels();
    PaintBackground(Shape, colors::ColorBusy);
    PaintBackground(Shape1, colors::ColorBusy);
    ECall->end(false);
}

void TfMain::ClearLogClick() {
    auto& dialogs = platform::CurrentDialogs();
    if (!dialogs.ConfirmOkCancel(platform::BoxKind::Error, kClearLogConfirm1) ||
        !dialogs.ConfirmOkCancel(platform::BoxKind::Error, ClearLogConfirm2(state_.op.MyCall))) {
        return;
    }
    ShowLog(logBook_->ClearLog());
}

void TfMain::DeleteLastQsoClick() {
    if (const auto shown = logBook_->DeleteLastQSO()) {
        ShowLog(*shown);
        ClearEntryLabels();
    }
}

CabrilloHeader TfMain::ExportHeader() {
    state_.op.Category = ComputeCategory(EPower->currentIndex(), EMode->currentIndex());
    return CabrilloHeaderOf(state_, ESum->text());
}

void TfMain::SaveAsClick(bool cabrillo) {
    const QString name = platform::CurrentDialogs().GetSaveFileName(
        QString(), platform::ProgramDirectory(), DialogFilter(cabrillo ? kCbrFilter : kLogFilter));
    if (name.isEmpty()) {
        return;
    }
    if (cabrillo) {
        ExportCabrillo(name, ExportHeader(), logBook_->Own(), *logModel_, state_.log.QsoCount);
    } else {
        ExportLogAs(name, logBook_->Own(), *logModel_, state_.log.QsoCount);
    }
}

void TfMain::SaveCbrClick() {
    if (!platform::CurrentDialogs().ConfirmOkCancel(platform::BoxKind::Error, SaveCbrConfirm())) {
        return;
    }
    corvatta::SaveCbr(state_.op.FileCall, ExportHeader(), logBook_->Own(), *logModel_,
                      state_.log.QsoCount);
}

void TfMain::OpenLogClick() {
    auto& dialogs = platform::CurrentDialogs();
    if (!dialogs.ConfirmOkCancel(platform::BoxKind::Error, ImportConfirm(state_.op.MyCall))) {
        return;
    }
    const QString name =
        dialogs.GetOpenFileName(QString(), platform::ProgramDirectory(), DialogFilter(kLogFilter));
    if (name.isEmpty()) {
        return;
    }
    ShowLog(logBook_->ImportLogCopy(name));
    ClearEntryLabels();
}

void TfMain::GridFocusChanged(QWidget* old, QWidget* now) {
    const auto inGrid = [this](QWidget* w) { return w && (w == Log || Log->isAncestorOf(w)); };
    if (inGrid(old) && !inGrid(now)) {
        try {
            if (const auto score = logBook_->SaveGridEdits()) {
                ShowScore(*score);
            }
        } catch (...) {
            // A cell that is no number, or a log that could not be
            // rewritten: the operator sees why and can mend it.
            platform::ShowCurrentException();
        }
    }
}

}  // namespace corvatta
