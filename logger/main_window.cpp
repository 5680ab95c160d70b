#include "main_window.h"

#include "logger/calendar.h"
#include "logger/entry_sequence.h"
#include "logger/log_backup.h"
#include "logger/log_file.h"
#include "logger/log_menu.h"
#include "logger/rig_link.h"
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

namespace {}  // namespace

TfMain::TfMain(StationState& state, platform::Clock& clock, QWidget* parent)
    : QMainWindow(parent), state_(state), clock_(clock) {
    setObjectName(QStringLiteral("fMain"));
    SetupForm(this);
    panel_ = new DataPanel(*this, state_, this);
    ConnectHandlers();
    BuildEntrySequence();
    BuildLog();

    // Creation, in the order the rest of the program relies on.
    auto& d = state_.dates;
    d.Today = clock_.Now().date();
    d.Yesterday = d.Today.addDays(-1);
    LoadSettings(platform::IniFile(SettingsFileName()).Load(), state_);
    panel_->ApplyPanelSettings();
    platform::RestorePlace(this, state_.view.MainLeft, state_.view.MainTop);
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
    state_.op.FileCall = FileCallOf(state_.op.MyCall);
    panel_->FillDataEdits();
    d.FirstStartToday = d.LastDate != d.Today;
    d.CurrentYear = platform::LocalToUtc(clock_.Now()).toString(QStringLiteral("yy"));
    state_.entry = EntryData{};
    state_.log.HasLines = false;
}

TfMain::~TfMain() {
    // Focus moves while the children go; they must not reach a half-destroyed window.
    disconnect(qApp, nullptr, this, nullptr);
    disconnect(qApp, nullptr, logMenu_, nullptr);
}

void TfMain::ConnectHandlers() {
    EditLL->installEventFilter(this);
    BMode->installEventFilter(this);
    EMyYearLic->installEventFilter(this);
    EWinkeyer->installEventFilter(this);
    connect(ExitMenu, &QAction::triggered, this, &QWidget::close);
    connect(SettingsMenu, &QAction::triggered, panel_, &DataPanel::Open);
    connect(panel_, &DataPanel::logReloadRequested, this, &TfMain::logReloadRequested);
    connect(panel_, &DataPanel::keyerLinkOpenRequested, this, &TfMain::keyerLinkOpenRequested);
    connect(panel_, &DataPanel::keyerLinkCloseRequested, this, &TfMain::keyerLinkCloseRequested);
    // Failures to start a page or the clock are of no consequence here.
    connect(RulesPage, &QAction::triggered, this, [] { platform::ShellOpen(kRulesPageUrl); });
    connect(UploadPage, &QAction::triggered, this, [this] {
        if (logMenu_->CheckBeforeExport())
            platform::ShellOpen(kLogUploadUrl);
    });
    connect(ClockProgram, &QAction::triggered, this,
            [] { platform::ShellOpen(QStringLiteral("Tickwell.exe")); });
    connect(AboutBox, &QAction::triggered, this, &TfMain::ShowAbout);
    connect(TimerTime, &QTimer::timeout, this, &TfMain::ClockTimerTick);
    connect(TimerStart, &QTimer::timeout, this, &TfMain::StartTimerTick);
}

void TfMain::CollectControlSettings() {
    state_.panel.EMode = EMode->currentIndex();
    state_.panel.EPower = EPower->currentIndex();
    state_.panel.RKChk = CBRK->isChecked();
    state_.panel.AutoS5 = CS5->isChecked();
    state_.panel.AutoLL = CLL->isChecked();
    platform::SavePlace(this, state_.view.MainLeft, state_.view.MainTop);
}

void TfMain::LoadProfileAndRefresh(int n) {
    panel_->LoadProfile(n);
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
        state_.entry.EntryState = EntryStep::Idle;
    } else {
        LRun->setText(QStringLiteral("S/P"));
        PaintText(LRun, colors::ColorBlack);
        // Zero, as F10 sets it: Enter on a bare callsign calls the station
        // from the first contact on.
        state_.entry.EntryState = EntryStep::Idle;
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
    StartRigLink();
}

void TfMain::StartRigLink() {
    RigSettings settings;
    try {
        LoadRigSettings(platform::IniFile(PortProfileFileName()).Load(), settings);
    } catch (const platform::Error&) {
        return;  // an unreadable file leaves the radio alone, as it is by default
    }
    if (!settings.Enabled) {
        return;
    }
    rig_ = new RigLink(this);
    LRig->setText(kRigOffline);
    LRig->show();
    connect(rig_, &RigLink::connectionChanged, this, [this](bool on) {
        if (!on) {
            LRig->setText(kRigOffline);
        }
    });
    connect(rig_, &RigLink::frequencyChanged, this,
            [this](qint64 hertz) { LRig->setText(RigFrequencyText(hertz)); });
    connect(rig_, &RigLink::modeChanged, this, &TfMain::FollowRigMode);
    rig_->Start(settings.Host, settings.Port);
}

void TfMain::FollowRigMode(const QString& rigMode) {
    // In the MIX category the radio's mode decides, as a click on the mode
    // button would; the single-mode categories keep theirs.
    const std::optional<QString> mode = ContestModeOfRigMode(rigMode);
    if (mode && EMode->currentIndex() == 2 && *mode != state_.op.Mode) {
        BModeClick();
    }
}

void TfMain::closeEvent(QCloseEvent* event) {
    if (!saved_) {
        saved_ = true;
        // A practice session ends first: the contest log is back in place
        // and the keyer's own port is in the settings before they are saved.
        emit closing();
        // The last contacts reach the backup folder before the program ends.
        backups_->BackupNow(logBook_->LogFileName(), state_.op.FileCall, true);
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
    platform::CurrentDialogs().ShowBox(platform::BoxKind::Information,
                                       QStringLiteral("KV prvenstvo ZRS"), kAboutText);
}

}  // namespace corvatta
