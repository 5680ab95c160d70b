#include "logger/data_panel.h"

#include "logger/log_file.h"
#include "logger/qso_line.h"
#include "logger/settings.h"
#include "logger/validation.h"
#include "platform/colors.h"
#include "platform/dialogs.h"
#include "platform/ini_file.h"
#include "platform/widget_look.h"

#include <algorithm>

namespace corvatta {

using platform::PaintBackground;
using platform::PaintText;

namespace {

const QString kAccessCode = QStringLiteral("7Q2");
const QString kInvalidDataMessage =
    QStringLiteral("Nekateri podatki niso prav vpisani\n\rPopravi pred shranjevanjem!");

}  // namespace

DataPanel::DataPanel(TfMainForm& form, StationState& state, QObject* parent)
    : QObject(parent), f_(form), state_(state) {
    ConnectHandlers();
}

void DataPanel::ConnectHandlers() {
    // Every data edit copies its text into the operator data; most also
    // ask for a new check of the data.
    const auto bind = [this](QLineEdit* edit, QString OperatorData::*member, bool check) {
        connect(edit, &QLineEdit::textChanged, this, [this, member, check](const QString& t) {
            state_.op.*member = t;
            if (check) {
                f_.TimerCheck->start();
            }
        });
    };
    bind(f_.EMyCall, &OperatorData::MyCall, true);
    bind(f_.EMyYearLic, &OperatorData::MyYearLic, true);
    bind(f_.EMyClub, &OperatorData::MyClub, false);
    bind(f_.EMyName, &OperatorData::MyName, true);
    bind(f_.EMyAddress, &OperatorData::MyAddress, true);
    bind(f_.EMyAddress1, &OperatorData::MyAddress1, false);
    bind(f_.EMyEmail, &OperatorData::MyEmail, true);
    connect(f_.EMyCall, &QLineEdit::returnPressed, this, &DataPanel::SaveClick);
    connect(f_.BSave, &QPushButton::clicked, this, &DataPanel::SaveClick);
    connect(f_.BCancel, &QPushButton::clicked, this, &DataPanel::CancelClick);
    connect(f_.EMode, &QComboBox::activated, this, &DataPanel::ModeSelected);
    connect(f_.EPower, &QComboBox::activated, this, &DataPanel::PowerSelected);
    // The panel's choices live in the state the moment the operator makes
    // them: exports and profile loads read them there, not the values of the
    // start.
    connect(f_.EMode, &QComboBox::currentIndexChanged, this,
            [this](int index) { state_.panel.EMode = index; });
    connect(f_.EPower, &QComboBox::currentIndexChanged, this,
            [this](int index) { state_.panel.EPower = index; });
    connect(f_.CBRK, &QCheckBox::toggled, this, [this](bool on) {
        state_.panel.RKChk = on;
        f_.EMyClub->setVisible(on);
    });
    connect(f_.CS5, &QCheckBox::toggled, this, [this](bool on) {
        state_.panel.AutoS5 = on;
        state_.AutoS5Flag = on;
        state_.AutoPrefixRequest = true;
    });
    connect(f_.CLL, &QCheckBox::toggled, this, [this](bool on) {
        state_.panel.AutoLL = on;
        state_.AutoLLFlag = on;
    });
    connect(f_.cDate, &QCheckBox::toggled, this, [this](bool on) { f_.EDate->setReadOnly(!on); });
    connect(f_.TimerCheck, &QTimer::timeout, this, &DataPanel::CheckOperatorData);
    connect(f_.TimerSetup, &QTimer::timeout, this, &DataPanel::SetupTimerTick);
    connect(f_.TimerWKClose, &QTimer::timeout, this, &DataPanel::FocusTimerTick);
    connect(f_.TimerChange, &QTimer::timeout, this, &DataPanel::ChangeTimerTick);
}

void DataPanel::ClearInfo() {
    f_.LInfo->clear();
    state_.entry.ShownCall.clear();
}

void DataPanel::LoadProfile(int n) {
    // Read over the current choices, so a key the profile does not hold
    // keeps what the operator set; the window stays where it is.
    corvatta::LoadProfile(platform::IniFile(PortProfileFileName()).Load(), n, state_);
    ApplyPanelSettings();
    state_.op.Category = ComputeCategory(f_.EPower->currentIndex(), f_.EMode->currentIndex());
    f_.LTransmit->clear();
    f_.TimerChange->start();
}

void DataPanel::FillDataEdits() {
    // From a copy: each edit's change handler writes its field back.
    const OperatorData op = state_.op;
    f_.EMyCall->setText(op.MyCall);
    f_.EMyYearLic->setText(op.MyYearLic);
    f_.EMyClub->setText(op.MyClub);
    f_.EMyName->setText(op.MyName);
    f_.EMyAddress->setText(op.MyAddress);
    f_.EMyAddress1->setText(op.MyAddress1);
    f_.EMyEmail->setText(op.MyEmail);
}

void DataPanel::ApplyPanelSettings() {
    // Lists take their positions silently; check boxes run their click
    // reactions, as an operator's click would.
    f_.EMode->setCurrentIndex(state_.panel.EMode >= 0 && state_.panel.EMode < f_.EMode->count()
                                  ? state_.panel.EMode
                                  : -1);
    f_.EPower->setCurrentIndex(state_.panel.EPower >= 0 && state_.panel.EPower < f_.EPower->count()
                                   ? state_.panel.EPower
                                   : -1);
    const auto apply = [](QCheckBox* box, bool on) {
        if (box->isChecked() == on) {
            emit box->toggled(on);
        } else {
            box->setChecked(on);
        }
    };
    apply(f_.CBRK, state_.panel.RKChk);
    apply(f_.CS5, state_.panel.AutoS5);
    apply(f_.CLL, state_.panel.AutoLL);
}

void DataPanel::Open() {
    state_.PreviousCall = state_.op.MyCall;
    f_.Pdata->show();
    f_.Pdata->raise();
    f_.EMyClub->setVisible(f_.CBRK->isChecked());
    f_.EWinkeyer->setVisible(f_.EMode->currentIndex() != 1);
    f_.ECall->hide();
    f_.FocusEnd(f_.EMyCall);
    f_.TimerCheck->start();
}

void DataPanel::CheckOperatorData() {
    f_.TimerCheck->stop();
    auto& s = state_;
    const auto paint = [](QWidget* w, bool ok) {
        PaintBackground(w, ok ? colors::ColorFieldOk : colors::ColorFieldWrong);
    };
    s.CallValid = IsOwnCallValid(s.op.MyCall);
    const QString& year = s.op.MyYearLic;
    s.YearValid =
        !year.isEmpty() && year.size() <= 2 &&
        std::all_of(year.begin(), year.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    if (f_.Pdata->isVisible()) {
        paint(f_.EMyCall, s.CallValid);
        paint(f_.EMyYearLic, s.YearValid);
    }
    const bool hasAt = s.op.MyEmail.contains(u'@');
    paint(f_.EMyName, !s.op.MyName.isEmpty());
    paint(f_.EMyAddress, !s.op.MyAddress.isEmpty());
    paint(f_.EMyEmail, hasAt);
    s.DataValid = s.CallValid && s.YearValid && !f_.EMyName->text().isEmpty() &&
                  !f_.EMyAddress->text().isEmpty() && !f_.EMyEmail->text().isEmpty() && hasAt;
    if (!s.DataValid && !f_.Pdata->isVisible()) {
        Open();
    }
}

void DataPanel::SwitchToCallsignLog() {
    state_.op.FileCall = FileCallOf(state_.op.MyCall);
    f_.TimerCheck->start();
    if (state_.op.MyCall != state_.PreviousCall) {
        if (state_.DataValid) {
            emit logReloadRequested();
        } else {
            platform::ShowMessage(kInvalidDataMessage);
        }
    }
}

void DataPanel::SaveClick() {
    if (f_.EMyName->text() == kAccessCode) {
        state_.ProfileKeysEnabled = true;
        f_.EMyName->clear();
        if (f_.LMyName) {
            PaintText(f_.LMyName, colors::ColorRed);
        }
    } else {
        SwitchToCallsignLog();
        if (state_.DataValid) {
            f_.TimerSetup->start();
        }
    }
    // A date the log's columns cannot hold is not taken: the field shows the
    // date in force again, marked, and stays open for a correction.
    if (const auto date = NormaliseContestDate(f_.EDate->text())) {
        state_.log.ContestDate = *date;
        f_.EDate->setText(*date);
        f_.EDate->setPalette(QPalette());
        f_.cDate->setChecked(false);
    } else {
        f_.EDate->setText(state_.log.ContestDate);
        PaintBackground(f_.EDate, colors::ColorFieldWrong);
    }
}

void DataPanel::CancelClick() {
    if (!state_.DataValid) {
        return;
    }
    // An edited callsign must take its own log with it, or later contacts
    // would go into the old callsign's file.
    SwitchToCallsignLog();
    f_.Pdata->hide();
    f_.ECall->show();
    f_.ResetEntryLine();
    f_.FocusEnd(f_.ECall);
}

void DataPanel::SetupTimerTick() {
    f_.TimerSetup->stop();
    f_.Pdata->hide();
    f_.ECall->show();
    f_.ECall->setText(state_.AutoS5Flag ? QStringLiteral("S5") : QString());
    f_.FocusEnd(f_.ECall);
    ClearInfo();
    f_.LError->clear();
    f_.LMult->clear();
    f_.EditLL->clear();
    state_.entry.CurrentCall.clear();
    state_.entry.CurrentLicYear.clear();
}

void DataPanel::ModeSelected(int index) {
    switch (index) {
        case 0:
        case 2:
            state_.op.Mode = QStringLiteral("CW");
            f_.BMode->setText(QStringLiteral("  CW"));
            f_.ShowKeyerControls(true);
            if (index == 0) {
                f_.ShapeQSO->hide();
                f_.ShapeMult->hide();
            }
            emit keyerLinkOpenRequested();
            break;
        case 1:
            state_.op.Mode = QStringLiteral("SSB");
            f_.BMode->setText(QStringLiteral("  SSB"));
            f_.ShowKeyerControls(false);
            f_.ShapeQSO->hide();
            f_.ShapeMult->hide();
            emit keyerLinkCloseRequested();
            break;
        default:
            break;
    }
    state_.op.Category = ComputeCategory(f_.EPower->currentIndex(), f_.EMode->currentIndex());
    f_.FocusEnd(f_.EMyCall);
}

void DataPanel::PowerSelected(int) {
    state_.op.Category = ComputeCategory(f_.EPower->currentIndex(), f_.EMode->currentIndex());
    f_.TimerWKClose->start();
}

void DataPanel::FocusTimerTick() {
    f_.TimerWKClose->stop();
    f_.FocusEnd(f_.Pdata->isVisible() ? f_.EMyCall : f_.ECall);
}

void DataPanel::ChangeTimerTick() {
    f_.TimerChange->stop();
    FillDataEdits();
    for (QLabel* l : {f_.LError, f_.LDouble, f_.LMult}) {
        l->clear();
    }
    ClearInfo();
    f_.EditLL->clear();
    f_.ResetEntryLine();
    state_.SuggestLicenceYear = f_.CLL->isChecked();
    state_.op.FileCall = FileCallOf(state_.op.MyCall);
    emit logReloadRequested();
}

}  // namespace corvatta
