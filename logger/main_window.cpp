#include "main_window.h"

#include "logger/calendar.h"
#include "logger/entry_sequence.h"
#include "logger/settings.h"
#include "platform/application.h"
#include "platform/clock.h"
#include "platform/colors.h"
#include "platform/dialogs.h"
#include "platform/errors.h"
#include "platform/ini_file.h"
#include "platform/shell.h"
#include "platform/system_info.h"
#include "platform/widget_look.h"
#include "platform/window_placement.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenuBar>
#include <QStyle>
#include <algorithm>

namespace corvatta {

namespace {

const QString kAccessCode = QStringLiteral("7Q2");
const QString kInvalidDataMessage =
    QStringLiteral("Nekateri podatki niso prav vpisani\n\rPopravi pred shranjevanjem!");

}  // namespace

TfMain::TfMain(StationState& state, platform::Clock& clock, QWidget* parent)
    : QMainWindow(parent), state_(state), clock_(clock) {
    setObjectName(QStringLiteral("fMain"));
    SetupForm(this);
    ConnectHandlers();
    BuildEntrySequence();
    BuildLog();

    // Creation, in the order the rest of the program relies on.
    auto& d = state_.dates;
    d.Today = clock_.Now().date();
    d.Yesterday = d.Today.addDays(-1);
    LoadSettings(platform::IniFile(SettingsFileName()).Load(), state_);
    ApplyPanelSettings();
    platform::PlaceOnScreen(this, state_.view.MainLeft, state_.view.MainTop);
    state_.op.Category = ComputeCategory(EPower->currentIndex(), EMode->currentIndex());
    state_.AutoPrefixRequest = false;
    state_.WindowsVersion = platform::WindowsVersion();
    if (state_.WindowsVersion == 7) {
        setFixedSize(465, 538);
    } else if (state_.WindowsVersion == 8) {
        setFixedSize(465, 545);
    }
    setWindowTitle(kMainCaption);
    Pdata->move(200, 27);
    FitLogColumns();
    if (state_.op.MyCall.isEmpty()) {
        state_.op.MyCall = QStringLiteral("S5");
    }
    state_.op.FileCall = QString(state_.op.MyCall).replace(u'/', u'_');
    FillDataEdits();
    d.FirstStartToday = d.LastDate != d.Today;
    d.CurrentYear = platform::LocalToUtc(clock_.Now()).toString(QStringLiteral("yy"));
    state_.entry = EntryData{};
    state_.log.HasLines = false;
}

void TfMain::ConnectHandlers() {
    EditLL->installEventFilter(this);
    BMode->installEventFilter(this);
    EMyYearLic->installEventFilter(this);
    EWinkeyer->installEventFilter(this);
    // Every data edit copies its text into the operator data; most also
    // ask for a new check of the data.
    const auto bind = [this](QLineEdit* edit, QString OperatorData::*member, bool check) {
        connect(edit, &QLineEdit::textChanged, this, [this, member, check](const QString& t) {
            state_.op.*member = t;
            if (check) {
                TimerCheck->start();
            }
        });
    };
    bind(EMyCall, &OperatorData::MyCall, true);
    bind(EMyYearLic, &OperatorData::MyYearLic, true);
    bind(EMyClub, &OperatorData::MyClub, false);
    bind(EMyName, &OperatorData::MyName, true);
    bind(EMyAddress, &OperatorData::MyAddress, true);
    bind(EMyAddress1, &OperatorData::MyAddress1, false);
    bind(EMyEmail, &OperatorData::MyEmail, true);
    connect(EMyCall, &QLineEdit::returnPressed, this, &TfMain::SaveClick);
    connect(BSave, &QPushButton::clicked, this, &TfMain::SaveClick);
    connect(BCancel, &QPushButton::clicked, this, &TfMain::CancelClick);
    connect(EMode, &QComboBox::activated, this, &TfMain::ModeSelected);
    connect(EPower, &QComboBox::activated, this, &TfMain::PowerSelected);
    // The panel's choices live in the state the moment the operator makes
    // them: exports and profile loads read them there, not the values of the
    // start.
    connect(EMode, &QComboBox::currentIndexChanged, this,
            [this](int index) { state_.panel.EMode = index; });
    connect(EPower, &QComboBox::currentIndexChanged, this,
            [this](int index) { state_.panel.EPower = index; });
    connect(CBRK, &QCheckBox::toggled, this, [this](bool on) {
        state_.panel.RKChk = on;
        EMyClub->setVisible(on);
    });
    connect(CS5, &QCheckBox::toggled, this, [this](bool on) {
        state_.panel.AutoS5 = on;
        state_.AutoS5Flag = on;
        state_.AutoPrefixRequest = true;
    });
    connect(CLL, &QCheckBox::toggled, this, [this](bool on) {
        state_.panel.AutoLL = on;
        state_.AutoLLFlag = on;
    });
    connect(cDate, &QCheckBox::toggled, this, [this](bool on) { EDate->setReadOnly(!on); });
    connect(ExitMenu, &QAction::triggered, this, &QWidget::close);
    connect(SettingsMenu, &QAction::triggered, this, &TfMain::OpenDataPanel);
    // Failures to start a page or the clock are of no consequence here.
    connect(RulesPage, &QAction::triggered, this, [] { platform::ShellOpen(kRulesPageUrl); });
    connect(UploadPage, &QAction::triggered, this, [] { platform::ShellOpen(kLogUploadUrl); });
    connect(ClockProgram, &QAction::triggered, this,
            [] { platform::ShellOpen(QStringLiteral("Tickwell.exe")); });
    connect(AboutBox, &QAction::triggered, this, &TfMain::ShowAbout);
    connect(TimerTime, &QTimer::timeout, this, &TfMain::ClockTimerTick);
    connect(TimerStart, &QTimer::timeout, this, &TfMain::StartTimerTick);
    connect(TimerCheck, &QTimer::timeout, this, &TfMain::CheckOperatorData);
    connect(TimerSetup, &QTimer::timeout, this, &TfMain::SetupTimerTick);
    connect(TimerWKClose, &QTimer::timeout, this, &TfMain::FocusTimerTick);
    connect(TimerChange, &QTimer::timeout, this, &TfMain::ChangeTimerTick);
}

void TfMain::FillDataEdits() {
    // From a copy: each edit's change handler writes its field back.
    const OperatorData op = state_.op;
    EMyCall->setText(op.MyCall);
    EMyYearLic->setText(op.MyYearLic);
    EMyClub->setText(op.MyClub);
    EMyName->setText(op.MyName);
    EMyAddress->setText(op.MyAddress);
    EMyAddress1->setText(op.MyAddress1);
    EMyEmail->setText(op.MyEmail);
}

TfMain::~TfMain() {
    // Focus moves while the children go; they must not reach a half-destroyed window.
    disconnect(qApp, nullptr, this, nullptr);
}

void TfMain::ApplyPanelSettings() {
    // Lists take their positions silently; check boxes run their click
    // reactions, as an operator's click would.
    EMode->setCurrentIndex(
        state_.panel.EMode >= 0 && state_.panel.EMode < EMode->count() ? state_.panel.EMode : -1);
    EPower->setCurrentIndex(state_.panel.EPower >= 0 && state_.panel.EPower < EPower->count()
                                ? state_.panel.EPower
                                : -1);
    const auto apply = [](QCheckBox* box, bool on) {
        if (box->isChecked() == on) {
            emit box->toggled(on);
        } else {
            box->setChecked(on);
        }
    };
    apply(CBRK, state_.panel.RKChk);
    apply(CS5, state_.panel.AutoS5);
    apply(CLL, state_.panel.AutoLL);
}

void TfMain::CollectControlSettings() {
    state_.panel.EMode = EMode->currentIndex();
    state_.panel.EPower = EPower->currentIndex();
    state_.panel.RKChk = CBRK->isChecked();
    state_.panel.AutoS5 = CS5->isChecked();
    state_.panel.AutoLL = CLL->isChecked();
    state_.view.MainTop = y();
    state_.view.MainLeft = x();
}

void TfMain::LoadProfileAndRefresh(int n) {
    // Read over the current choices, so a key the profile does not hold
    // keeps what the operator set; the window stays where it is.
    LoadProfile(platform::IniFile(PortProfileFileName()).Load(), n, state_);
    ApplyPanelSettings();
    state_.op.Category = ComputeCategory(EPower->currentIndex(), EMode->currentIndex());
    LTransmit->clear();
    TimerChange->start();
}

void TfMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FirstShow();
    }
}

void TfMain::FirstShow() {
    state_.ProfileKeysEnabled = false;
    TimerCheck->start();
    LTest->setText(banners::kOutside);
    for (QLabel* l : {LClock, LSecond, LError, LDouble, LMult}) {
        l->clear();
    }
    ShowInfo(QString());
    EditLL->clear();
    if (state_.keyer.RunMode) {
        LRun->setText(QStringLiteral("RUN"));
        PaintText(LRun, colors::ColorRed);
        state_.entry.EntryState = 0;
    } else {
        LRun->setText(QStringLiteral("S/P"));
        PaintText(LRun, colors::ColorBlack);
        // Zero, as F10 sets it: Enter on a bare callsign calls the station
        // from the first contact on.
        state_.entry.EntryState = 0;
    }
    state_.flags.ExchangePending = false;
    state_.entry.SentCall.clear();
    LESM->setVisible(state_.keyer.EnterSendMsg);
    ResetEntryLine();
    state_.SuggestLicenceYear = CLL->isChecked();
    LSpeed->setText(QString::number(state_.keyer.Speed));
    state_.log.ContestDate = clock_.Now().date().toString(QStringLiteral("yyyy-MM-dd"));
    EDate->setText(state_.log.ContestDate);
    if (state_.op.Mode == QLatin1String("CW")) {
        BMode->setText(QStringLiteral("  CW"));
        ShowKeyerControls(true);
    } else if (state_.op.Mode == QLatin1String("SSB")) {
        BMode->setText(QStringLiteral("  SSB"));
        ShowKeyerControls(false);
    }
    try {
        emit logReloadRequested();
    } catch (...) {
        // A log that cannot be opened is shown to the operator, and the start
        // goes on: the clock, the start timer and the focus in the entry line
        // must not depend on it.
        platform::ShowCurrentException();
    }
    TimerTime->start();
    TimerStart->start();
    ResetEntryLine();
    if (state_.view.VisibleMemo) {
        emit memoWindowRequested();
    }
    FocusEnd(ECall);
}

void TfMain::closeEvent(QCloseEvent* event) {
    if (!saved_) {
        saved_ = true;
        CollectControlSettings();
        const platform::IniFile file(SettingsFileName());
        try {
            platform::IniDocument doc = file.Load();
            SaveSettings(state_, doc);
            file.Save(doc);
        } catch (const platform::IniWriteError& e) {
            // The log is on disk already; keeping the operator in a window
            // that cannot be closed would only add harm to the lost settings.
            platform::ShowError(e.message());
        }
    }
    event->accept();
    TimerTime->stop();
    // The program ends with its main window, whatever else is open.
    QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

bool TfMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && (watched == ECall || watched == EditLL)) {
        auto* key = static_cast<QKeyEvent*>(event);
        try {
            if (watched == ECall && EntryKeyDown(key)) {
                return true;
            }
            return EntryKeyPress(key);
        } catch (...) {
            // A contact that could not be written, a bad cell in the log:
            // shown here, and the key is used up.
            platform::ShowCurrentException();
            return true;
        }
    }
    if (event->type() == QEvent::MouseButtonPress) {
        if (watched == Log->viewport()) {
            LogClick(state_.log);
        } else if (watched == BMode) {
            BModeClick();
        } else if (watched == EWinkeyer) {
            emit keyerWindowRequested();
        } else if (watched == EMyYearLic && EMyYearLic->text() == kYearHint) {
            EMyYearLic->clear();
        } else if (watched == EditLL) {
            EditLL->setText(QString::number(state_.WindowsVersion));
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfMain::FocusEnd(QLineEdit* edit) {
    edit->setFocus();
    edit->end(false);
}

void TfMain::ResetEntryLine() {
    ECall->setText(CS5->isChecked() ? QStringLiteral("S5") : QString());
}

void TfMain::ShowKeyerControls(bool show) {
    for (QWidget* w : std::initializer_list<QWidget*>{LSpeed, LSpeed1, LSpeedPaddle, EWinkeyer}) {
        w->setVisible(show);
    }
}

// ---- Operator data panel -------------------------------------------------

void TfMain::OpenDataPanel() {
    state_.PreviousCall = state_.op.MyCall;
    Pdata->show();
    Pdata->raise();
    EMyClub->setVisible(CBRK->isChecked());
    EWinkeyer->setVisible(EMode->currentIndex() != 1);
    ECall->hide();
    FocusEnd(EMyCall);
    TimerCheck->start();
}

void TfMain::CheckOperatorData() {
    TimerCheck->stop();
    auto& s = state_;
    const auto paint = [](QWidget* w, bool ok) {
        PaintBackground(w, ok ? colors::ColorFieldOk : colors::ColorFieldWrong);
    };
    s.CallValid =
        s.op.MyCall.contains(QLatin1String("S5"), Qt::CaseInsensitive) && s.op.MyCall.size() > 3;
    const QString& year = s.op.MyYearLic;
    s.YearValid =
        !year.isEmpty() && year.size() <= 2 &&
        std::all_of(year.begin(), year.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    if (Pdata->isVisible()) {
        paint(EMyCall, s.CallValid);
        paint(EMyYearLic, s.YearValid);
    }
    const bool hasAt = s.op.MyEmail.contains(u'@');
    paint(EMyName, !s.op.MyName.isEmpty());
    paint(EMyAddress, !s.op.MyAddress.isEmpty());
    paint(EMyEmail, hasAt);
    s.DataValid = s.CallValid && s.YearValid && !EMyName->text().isEmpty() &&
                  !EMyAddress->text().isEmpty() && !EMyEmail->text().isEmpty() && hasAt;
    if (!s.DataValid && !Pdata->isVisible()) {
        OpenDataPanel();
    }
}

void TfMain::SwitchToCallsignLog() {
    state_.op.FileCall = QString(state_.op.MyCall).replace(u'/', u'_');
    TimerCheck->start();
    if (state_.op.MyCall != state_.PreviousCall) {
        if (state_.DataValid) {
            emit logReloadRequested();
        } else {
            platform::ShowMessage(kInvalidDataMessage);
        }
    }
}

void TfMain::SaveClick() {
    if (EMyName->text() == kAccessCode) {
        state_.ProfileKeysEnabled = true;
        EMyName->clear();
        if (LMyName) {
            PaintText(LMyName, colors::ColorRed);
        }
    } else {
        SwitchToCallsignLog();
        if (state_.DataValid) {
            TimerSetup->start();
        }
    }
    state_.log.ContestDate = EDate->text();
    cDate->setChecked(false);
}

void TfMain::CancelClick() {
    if (!state_.DataValid) {
        return;
    }
    // An edited callsign must take its own log with it, or later contacts
    // would go into the old callsign's file.
    SwitchToCallsignLog();
    Pdata->hide();
    ECall->show();
    ResetEntryLine();
    FocusEnd(ECall);
}

void TfMain::SetupTimerTick() {
    TimerSetup->stop();
    Pdata->hide();
    ECall->show();
    ECall->setText(state_.AutoS5Flag ? QStringLiteral("S5") : QString());
    FocusEnd(ECall);
    ShowInfo(QString());
    LError->clear();
    LMult->clear();
    EditLL->clear();
    state_.entry.CurrentCall.clear();
    state_.entry.CurrentLicYear.clear();
}

void TfMain::ModeSelected(int index) {
    switch (index) {
        case 0:
        case 2:
            state_.op.Mode = QStringLiteral("CW");
            BMode->setText(QStringLiteral("  CW"));
            ShowKeyerControls(true);
            if (index == 0) {
                ShapeQSO->hide();
                ShapeMult->hide();
            }
            emit keyerLinkOpenRequested();
            break;
        case 1:
            state_.op.Mode = QStringLiteral("SSB");
            BMode->setText(QStringLiteral("  SSB"));
            ShowKeyerControls(false);
            ShapeQSO->hide();
            ShapeMult->hide();
            emit keyerLinkCloseRequested();
            break;
        default:
            break;
    }
    state_.op.Category = ComputeCategory(EPower->currentIndex(), EMode->currentIndex());
    FocusEnd(EMyCall);
}

void TfMain::PowerSelected(int) {
    state_.op.Category = ComputeCategory(EPower->currentIndex(), EMode->currentIndex());
    TimerWKClose->start();
}

void TfMain::FocusTimerTick() {
    TimerWKClose->stop();
    FocusEnd(Pdata->isVisible() ? EMyCall : ECall);
}

void TfMain::ChangeTimerTick() {
    TimerChange->stop();
    FillDataEdits();
    for (QLabel* l : {LError, LDouble, LMult}) {
        l->clear();
    }
    ShowInfo(QString());
    EditLL->clear();
    ResetEntryLine();
    state_.SuggestLicenceYear = CLL->isChecked();
    state_.op.FileCall = QString(state_.op.MyCall).replace(u'/', u'_');
    emit logReloadRequested();
}

// ---- Contest clock and calendar ------------------------------------------

void TfMain::StartTimerTick() {
    TimerStart->stop();
    const auto& k = state_.keyer;
    if (k.ComAuto && state_.op.Mode != QLatin1String("SSB") && k.ComConnected) {
        emit openComRequested();
    }
    const auto& d = state_.dates;
    state_.dates.UtcTime = platform::LocalToUtc(clock_.Now()).toString(QStringLiteral("hh:mm"));
    const StartBanner b = StartTimerBanner(d.Today, d.Yesterday, d.UtcTime, d.FirstStartToday);
    if (!b.banner.isEmpty()) {
        LTest->setText(b.banner);
    }
    if (!b.message.isEmpty()) {
        platform::ShowMessage(b.message);
    }
}

void TfMain::ClockTimerTick() {
    const QDateTime utc = platform::LocalToUtc(clock_.Now());
    LSecond->setText(utc.toString(QStringLiteral("ss")));
    // Whenever the minute shown is not the current one: a tick can miss the
    // second ":00" (timer drift, the keyer's blocking waits), and every
    // contact of the minute would be logged with a stale time.
    const QString minute = utc.toString(QStringLiteral("hh:mm"));
    if (minute != LClock->text() || LClock->text().isEmpty()) {
        state_.dates.UtcTime = minute;
        LClock->setText(minute);
    }
    switch (ClockTimerLayout(state_.dates.Today, state_.dates.UtcTime)) {
        case ClockLayout::LastMinute:
            ApplyClockLayout(true);
            PaintText(LTest, colors::ColorBlue);
            LTest->setText(banners::kLastMinute);
            break;
        case ClockLayout::End:
            ApplyClockLayout(false);
            PaintText(LTest, colors::ColorRed);
            LTest->setText(banners::kEnd);
            break;
        case ClockLayout::Unchanged:
            break;
    }
    if (state_.AutoPrefixRequest) {
        ECall->setText(state_.AutoS5Flag ? QStringLiteral("S5") : QString());
        state_.AutoPrefixRequest = false;
    }
    EditLL->setVisible(state_.AutoLLFlag);
    state_.SuggestLicenceYear = state_.AutoLLFlag;
}

void TfMain::ShowAbout() {
    const QString text = QStringLiteral(
        "Corvatta - dnevnik za KV prvenstvo ZRS\r\n"
        "Tekmovanje na 80 m, SSB, CW in MIX\r\n"
        "\r\n"
        "SSB verzija: 2024-03-10\r\n"
        "CW verzija: 2025-10-12\r\n"
        "Program Ver.:  1.11\r\n"
        "Zadnje spremembe: 2026-12-08\r\n"
        "\r\n"
        "Kontakt: corvatta@hamradio.si");
    platform::CurrentDialogs().ShowBox(platform::BoxKind::Information,
                                       QStringLiteral("KV prvenstvo ZRS"), text);
}

}  // namespace corvatta
