#include "keyer/keyer_window.h"

#include "keyer/cw_message.h"
#include "keyer/keyer_settings.h"
#include "keyer/memo_window.h"
#include "keyer/timing_values.h"
#include "keyer/winkeyer_protocol.h"
#include "platform/dialogs.h"
#include "platform/errors.h"
#include "platform/ini_file.h"
#include "platform/program_dir.h"
#include "platform/shell.h"
#include "platform/system_info.h"
#include "platform/widget_look.h"
#include "platform/window_placement.h"
#include "serial/com_setup_frm.h"

#include <QKeyEvent>
#include <QSignalBlocker>

namespace corvatta::keyer {

using platform::PaintBackground;

namespace {

constexpr int kCommandLineLimit = 125;

void SetBold(QLabel* label, bool bold) {
    QFont f = label->font();
    f.setBold(bold);
    label->setFont(f);
}

}  // namespace

TfWK::TfWK(StationState& state, MainWindowLink& link, KeyerWait wait, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      state_(state),
      link_(link) {
    keyer_ = new KeyerLink(state_, link_, std::move(wait), this);
    BuildWindow();
    LoadKeyerWindowSettings();
}

TfWK::TfWK(StationState& state, MainWindowLink& link, KeyerLink& keyer, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      state_(state),
      link_(link),
      keyer_(&keyer) {
    BuildWindow();
    PlaceWindow();
    // The first opening of the link builds the window while it reports it.
    if (keyer_->PortOpen()) {
        ShowPortOpen();
    }
}

void TfWK::BuildWindow() {
    setObjectName(QStringLiteral("fWK"));
    setWindowTitle(kKeyerWindowCaption);
    ComPort = keyer_->Port();
    TimerReadWK = keyer_->ReadTimer();
    TimerReconnect = keyer_->ReconnectTimer();

    SetupUi(this);
    for (QLineEdit* e : {ESpeedMin, ESpeedMax, ELead, ETail, EFirstCarExt, EKeyComp, ERatio}) {
        e->installEventFilter(this);
    }
    ECommand->installEventFilter(this);
    ConnectHandlers();
    ConnectLink();
    ShowLinkStatus();
}

TfWK::~TfWK() {
    // The link's reports must not reach the controls while they go away.
    keyer_->disconnect(this);
}

void TfWK::ConnectHandlers() {
    auto& k = state_.keyer;
    connect(BSetupCom, &QPushButton::clicked, this,
            [this] { serial::ShowSettingsDialog(*ComPort, this); });
    connect(BOpenCom, &QPushButton::clicked, this, [this] {
        keyer_->OpenOrClose();
        if (isVisible()) {
            FocusCommandLine();
        }
    });
    connect(CBComAutoConnect, &QCheckBox::toggled, this, [&k](bool on) { k.ComAuto = on; });
    connect(EdSpeed, &QSpinBox::valueChanged, this, [this](int value) {
        if (keyer_->PcSpeedChanged(value)) {
            FocusCommandLine();
        }
    });
    connect(UpSpeed, &QSpinBox::valueChanged, this, [this, &k](int v) {
        k.SpeedUp = v;
        FocusCommandLine();
    });
    connect(RB1, &QRadioButton::toggled, this, [this, &k](bool on) {
        if (on) {
            k.SpeedStep = 1;
            EdSpeed->setSingleStep(1);
        }
    });
    connect(RB2, &QRadioButton::toggled, this, [this, &k](bool on) {
        if (on) {
            k.SpeedStep = 2;
            EdSpeed->setSingleStep(2);
        }
    });
    connect(SM1, &QRadioButton::toggled, this, [this, &k](bool on) {
        if (on) {
            k.SpeedMode = 0;
            EdSpeed->setEnabled(true);
        }
    });
    connect(SM2, &QRadioButton::toggled, this, [this, &k](bool on) {
        if (on) {
            k.SpeedMode = 1;
            EdSpeed->setEnabled(true);
        }
    });
    connect(SM3, &QRadioButton::toggled, this, [this](bool on) {
        if (on) {
            UseSpeedPot();
        }
    });
    connect(BSendSpeedRange, &QPushButton::clicked, this, &TfWK::SendSpeedRange);
    connect(CBPaddleMode, &QComboBox::activated, this, [this, &k](int index) {
        k.PaddleMode = index;
        keyer_->ModeRegisterChanged();
    });
    const std::array<std::pair<QCheckBox*, bool*>, 6> modeBoxes{{
        {CBPaddleWatchdog, &k.PaddleWatchdog},
        {CBPaddleEcho, &k.PaddleEcho},
        {CBPaddleSwap, &k.PaddleSwap},
        {CBSerialEcho, &k.SerialEcho},
        {CBAutoSpace, &k.AutoSpace},
        {CBWordSpace, &k.WordSpace},
    }};
    for (const auto& [box, flag] : modeBoxes) {
        connect(box, &QCheckBox::toggled, this, [this, flag](bool on) {
            *flag = on;
            keyer_->ModeRegisterChanged();
        });
    }
    connect(ELead, &QLineEdit::textChanged, this,
            [this, &k] { TimingEditChanged(ELead, k.Lead, kLeadLimit, false); });
    connect(ETail, &QLineEdit::textChanged, this,
            [this, &k] { TimingEditChanged(ETail, k.Tail, kTailLimit, false); });
    connect(EFirstCarExt, &QLineEdit::textChanged, this, [this, &k] {
        TimingEditChanged(EFirstCarExt, k.FirstCarExt, kFirstCarExtLimit, false);
    });
    connect(EKeyComp, &QLineEdit::textChanged, this,
            [this, &k] { TimingEditChanged(EKeyComp, k.KeyComp, kKeyCompLimit, false); });
    connect(ERatio, &QLineEdit::textChanged, this,
            [this, &k] { TimingEditChanged(ERatio, k.Ratio, kRatioLimit, true); });
    connect(EHangTime, &QComboBox::activated, this, [&k](int index) { k.HangTime = index + 1; });
    connect(BWriteWK, &QPushButton::clicked, keyer_, &KeyerLink::WriteToWinkeyer);
    connect(CBSidetonePaddle, &QCheckBox::toggled, this, [this, &k](bool on) {
        k.SidetonePaddle = on;
        keyer_->SidetoneChanged();
    });
    connect(ESidetone, &QComboBox::activated, this, [this, &k](int index) {
        k.Sidetone = index;
        keyer_->SidetoneChanged();
    });
    auto& sc = state_.shortChars;
    connect(cmyLIC, &QCheckBox::toggled, this, [&sc](bool on) { sc.LicCheck = on; });
    connect(CBShort0T, &QCheckBox::toggled, this, [&sc](bool on) { sc.Short0T = on; });
    connect(CBShort0O, &QCheckBox::toggled, this, [&sc](bool on) { sc.Short0O = on; });
    connect(CBShort9N, &QCheckBox::toggled, this, [&sc](bool on) { sc.Short9N = on; });
    auto& m = state_.messages;
    for (int i = 0; i < 9; ++i) {
        connect(BF[i], &QPushButton::clicked, this, [this, i] { MessageButton(i); });
        connect(EdF[i], &QLineEdit::textChanged, this, [&m, i](const QString& t) { m.Run[i] = t; });
        connect(EdFs[i], &QLineEdit::textChanged, this, [&m, i](const QString& t) { m.SP[i] = t; });
        connect(EdFv[i], &QLineEdit::textChanged, this,
                [&m, i](const QString& t) { m.Visual[i] = t; });
    }
    connect(BTune, &QPushButton::clicked, this, &TfWK::TuneClick);
    connect(CBESM, &QCheckBox::toggled, this, [this, &k](bool on) {
        k.EnterSendMsg = on;
        link_.ShowEsmLabel(on);
    });
    connect(cASCI, &QCheckBox::toggled, this, [this](bool on) { state_.view.VisibleASCI = on; });
    connect(cMemo, &QCheckBox::toggled, this, [this](bool on) {
        state_.view.VisibleMemo = on;
        if (memo_ != nullptr) {
            if (on) {
                memo_->show();
            } else {
                memo_->close();
            }
        }
    });
    connect(BInstalCH, &QPushButton::clicked, this, &TfWK::InstallDriver);
    connect(BClose, &QPushButton::clicked, this, &TfWK::SaveKeyerWindowSettings);
}

// ---- Settings of this window ------------------------------------------------

void LoadKeyerPortSettings(KeyerLink& keyer, StationState& state) {
    if (const std::optional<QString> failure = ReadKeyerPortSettings(*keyer.Port(), state.view)) {
        platform::ShowError(*failure);
    }
}

void TfWK::LoadKeyerWindowSettings() {
    // A stand-in keyer's link keeps its port: the place was read at start.
    if (!keyer_->OwnPortWhileStandingIn()) {
        LoadKeyerPortSettings(*keyer_, state_);
    }
    PlaceWindow();
}

void TfWK::PlaceWindow() {
    platform::RestorePlace(this, state_.view.WKLeft, state_.view.WKTop);
    bitness_ = platform::BitnessText();
}

void TfWK::SaveKeyerWindowSettings() {
    platform::SavePlace(this, state_.view.WKLeft, state_.view.WKTop);
    try {
        WriteKeyerPortSettings(*ComPort, state_.view, keyer_->OwnPortWhileStandingIn());
    } catch (const platform::Error& e) {
        // The window stays open, so the operator sees that the settings are
        // not on disk and can try again.
        platform::ShowError(e.message());
        return;
    }
    close();
}

// ---- Showing and filling ----------------------------------------------------

void TfWK::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    const auto& k = state_.keyer;
    switch (k.SpeedMode) {
        case 0:
            SM1->setChecked(true);
            break;
        case 1:
            SM2->setChecked(true);
            break;
        case 2:
            SM3->setChecked(true);
            break;
        default:
            break;
    }
    if (k.SpeedStep == 1) {
        RB1->setChecked(true);
    } else if (k.SpeedStep == 2) {
        RB2->setChecked(true);
    }
    LTun->clear();
    LPad->clear();
    if (!k.ComConnected) {
        LInfo->clear();
        LInfo1->clear();
    }
    LWindowsVersion->setText(QStringLiteral("Windows Ver: ") + bitness_);
    LCCom->setText(ComPort->Port());
    LBCom->setText(serial::BaudRateToText(ComPort->BaudRate()));
    CBComAutoConnect->setChecked(k.ComAuto);
    FillControls();
    TimerReadWK->start();
    if (state_.flags.PaddleSpeed == 0) {
        state_.flags.PaddleSpeed = kDefaultPaddleSpeed;
    }
    FocusCommandLine();
}

void TfWK::FillControls() {
    auto& k = state_.keyer;
    ESpeedMin->setText(QString::number(k.SpeedMin));
    ESpeedMax->setText(QString::number(k.SpeedMax));
    CBPaddleWatchdog->setChecked(k.PaddleWatchdog);
    CBPaddleEcho->setChecked(k.PaddleEcho);
    CBPaddleSwap->setChecked(k.PaddleSwap);
    CBSerialEcho->setChecked(k.SerialEcho);
    CBAutoSpace->setChecked(k.AutoSpace);
    CBWordSpace->setChecked(k.WordSpace);
    CBPaddleMode->setCurrentIndex(k.PaddleMode);
    for (QString* v : {&k.Lead, &k.Tail, &k.FirstCarExt, &k.KeyComp, &k.Ratio}) {
        if (v->isEmpty()) {
            *v = QStringLiteral("0");
        }
    }
    ELead->setText(k.Lead);
    ETail->setText(k.Tail);
    EFirstCarExt->setText(k.FirstCarExt);
    EKeyComp->setText(k.KeyComp);
    // A stored ratio of "0" is not taken back by the edit's rule; show it as
    // it is stored.
    ERatio->setText(k.Ratio);
    EHangTime->setCurrentIndex(k.HangTime - 1);
    k.R01 = SidetoneByte(k.SidetonePaddle, k.Sidetone);
    {
        // The stored choice is shown; the sidetone byte goes out with the
        // keyer timer that follows every fill.
        const QSignalBlocker block(CBSidetonePaddle);
        CBSidetonePaddle->setChecked(k.SidetonePaddle);
    }
    const auto& sc = state_.shortChars;
    cmyLIC->setChecked(sc.LicCheck);
    CBShort0T->setChecked(sc.Short0T);
    CBShort0O->setChecked(sc.Short0O);
    CBShort9N->setChecked(sc.Short9N);
    const MessageSets m = state_.messages;
    for (int i = 0; i < 9; ++i) {
        EdF[i]->setText(m.Run[i]);
        EdFs[i]->setText(m.SP[i]);
        EdFv[i]->setText(m.Visual[i]);
    }
    CBESM->setChecked(k.EnterSendMsg);
    cMemo->setChecked(state_.view.VisibleMemo);
    cASCI->setChecked(state_.view.VisibleASCI);
}

void TfWK::FocusCommandLine() {
    ECommand->setFocus();
    ECommand->end(false);
}

// ---- What the link shows here -------------------------------------------------

void TfWK::ConnectLink() {
    KeyerLink* l = keyer_;
    connect(l, &KeyerLink::failed, this, [](const QString& m) { platform::ShowError(m); });
    connect(l, &KeyerLink::statusChanged, this, &TfWK::ShowLinkStatus);
    connect(l, &KeyerLink::portOpened, this, &TfWK::ShowPortOpen);
    connect(l, &KeyerLink::fillControlsDue, this, &TfWK::FillControls);
    connect(l, &KeyerLink::portClosed, this, &TfWK::ShowPortClosed);
    connect(l, &KeyerLink::disconnected, this, [this](bool retrying) {
        LInfo->setText(kKeyerDisconnectedText);
        if (retrying) {
            BOpenCom->setText(QStringLiteral("Close Com"));
        }
    });
    connect(l, &KeyerLink::reconnectAbandoned, this,
            [this] { BOpenCom->setText(QStringLiteral("Open Com")); });
    connect(l, &KeyerLink::keyerReady, this, [this] {
        if (isVisible()) {
            const auto& k = state_.keyer;
            EdSpeed->setValue(k.Speed);
            UpSpeed->setValue(k.SpeedUp);
            ESidetone->setCurrentIndex(k.Sidetone);
        }
    });
    connect(l, &KeyerLink::commandLineByte, this, &TfWK::CommandLineByte);
    connect(l, &KeyerLink::paddleSpeedReported, this, [this](int wpm, bool speedFollows) {
        LSpeedPaddle->setText(QString::number(wpm));
        if (speedFollows && EdSpeed->isEnabled()) {
            EdSpeed->setValue(wpm);
        }
    });
    connect(l, &KeyerLink::versionReported, this, [this](int version) {
        PaintBackground(ShapeCom, colors::ColorReady);
        LInfo->setText(QStringLiteral("Winkeyer %1 - Open").arg(version));
    });
    connect(l, &KeyerLink::echoReplied, this,
            [this] { LInfo1->setText(QStringLiteral("WKConnected")); });
    connect(l, &KeyerLink::paddleReported, this, [this] {
        LPad->setText(QStringLiteral("Pad"));
        PaintBackground(ShapePad, colors::ColorBusy);
    });
    connect(l, &KeyerLink::busyReported, this, [this] {
        PaintBackground(ShapePad, colors::ColorReady);
        LPad->clear();
        PaintBackground(ShapePTT, colors::ColorBusy);
    });
    connect(l, &KeyerLink::idleReported, this, [this] {
        LPad->clear();
        LTun->clear();
        PaintBackground(ShapePad, colors::ColorReady);
        PaintBackground(ShapePTT, colors::ColorReady);
    });
    connect(l, &KeyerLink::keyDownReported, this, [this] {
        LTun->setText(QStringLiteral("TUNE"));
        PaintBackground(ShapePTT, colors::ColorBusy);
    });
    connect(l, &KeyerLink::messageStarting, this, [this] {
        if (isVisible()) {
            LTun->setText(state_.flags.LastMessageKey);
        }
    });
    connect(l, &KeyerLink::messageHandled, this, [this] {
        if (isVisible()) {
            FocusCommandLine();
        }
    });
    connect(l, &KeyerLink::exchangeStarted, this, &TfWK::exchangeStarted);
}

void TfWK::ShowPortOpen() {
    BOpenCom->setText(QStringLiteral("Close Com"));
    PaintBackground(ShapeCom, colors::ColorPortOpen);
    SetBold(LCCom, true);
    LCCom->setText(ComPort->Port());
    LBCom->setText(serial::BaudRateToText(ComPort->BaudRate()));
}

void TfWK::ShowLinkStatus() {
    const LinkState s = keyer_->State();
    LStatus->setText(keyer_->StatusText());
    // The band holds two lines; a longer reason (a long device path) is read whole here.
    LStatus->setToolTip(LStatus->text());
    PaintBackground(LStatus, IsProblem(s)            ? colors::ColorBusy
                             : s == LinkState::Ready ? colors::ColorReady
                                                     : colors::ColorPlain);
}

void TfWK::ShowPortClosed() {
    LInfo->clear();
    LInfo1->clear();
    SetBold(LCCom, false);
    BOpenCom->setText(QStringLiteral("Open Com"));
    PaintBackground(ShapeCom, colors::ColorBusy);
}

void TfWK::CommandLineByte(const QString& shown, bool clears) {
    if (ECommand->text().size() > kCommandLineLimit) {
        ECommand->clear();
    }
    if (!shown.isEmpty()) {
        ECommand->setText(ECommand->text() + shown);
    }
    if (clears) {
        ECommand->clear();
    }
}

// ---- Option handlers ----------------------------------------------------------

void TfWK::TimingEditChanged(QLineEdit* edit, QString& stored, int limit, bool isRatio) {
    const QString text = edit->text();
    const TimingCheck c = CheckTimingText(text, limit, isRatio);
    switch (c.verdict) {
        case TimingVerdict::Ignore:
            break;
        case TimingVerdict::NotANumber:
            platform::ShowError(NotAnIntegerMessage(text));
            break;
        case TimingVerdict::UseLimit:
            edit->setText(c.limitText);  // runs this handler again, which stores it
            break;
        case TimingVerdict::Store:
            stored = text;
            break;
    }
}

void TfWK::UseSpeedPot() {
    auto& k = state_.keyer;
    keyer_->UseSpeedPot();
    EdSpeed->setValue(k.Speed);
    EdSpeed->setEnabled(false);
    link_.ShowSpeed(k.Speed);
}

void TfWK::SendSpeedRange() {
    auto& k = state_.keyer;
    const std::optional<int> low = platform::ParseIniInteger(ESpeedMin->text());
    if (!low) {
        platform::ShowError(NotAnIntegerMessage(ESpeedMin->text()));
        return;
    }
    k.SpeedMin = *low;
    const std::optional<int> high = platform::ParseIniInteger(ESpeedMax->text());
    if (!high) {
        platform::ShowError(NotAnIntegerMessage(ESpeedMax->text()));
        return;
    }
    k.SpeedMax = *high;
    keyer_->SendSpeedRange();
}

void TfWK::MessageButton(int index) {
    state_.flags.LastMessageKey = QStringLiteral("F%1").arg(index + 1);
    QString text = state_.messages.Run[index];
    // The exchange-type messages are shortened before they are sent.
    if (index == 1 || index == 5 || index == 7 || index == 8) {
        ApplyShortCharacters(text, state_.shortChars, state_.op.MyYearLic);
    }
    SendCwMessage(text);
}

// ---- Tune, the driver and keys ------------------------------------------------

void TfWK::TuneClick() {
    if (const std::optional<bool> on = keyer_->ToggleTune()) {
        BTune->setText(*on ? QStringLiteral("TUNE ON") : QStringLiteral("TUNE"));
    }
    FocusCommandLine();
}

void TfWK::InstallDriver() {
    const QString dir = platform::ProgramDirectory();
    if (bitness_ == QLatin1String(" 64")) {
        platform::ShellOpen(dir + QStringLiteral("DRVSETUP64/DRVSETUP64.exe"));
    } else {
        platform::ShellOpen(dir + QStringLiteral("CHSETUP.exe"));
    }
}

// ---- Keys ------------------------------------------------------------------------

bool TfWK::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return QWidget::eventFilter(watched, event);
    }
    auto* key = static_cast<QKeyEvent*>(event);
    if (watched == ECommand) {
        return CommandKey(key->key(), key->modifiers()) || QWidget::eventFilter(watched, event);
    }
    // The number fields take digits and Backspace only.
    const QString text = key->text();
    if (!text.isEmpty() && key->key() != Qt::Key_Backspace) {
        for (const QChar c : text) {
            if (c < u'0' || c > u'9') {
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool TfWK::CommandKey(int key, Qt::KeyboardModifiers modifiers) {
    auto& k = state_.keyer;
    auto& f = state_.flags;
    const Qt::KeyboardModifiers held =
        modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (const std::optional<SharedKey> shared = SharedKeyOf(key)) {
        ApplySharedKey(*shared, k, f, *this);
        return true;
    }
    switch (key) {
        case Qt::Key_Escape:
            if (k.ComConnected) {
                ClearKeyerBuffer();
            }
            return true;
        case Qt::Key_T:
        case Qt::Key_F5:
            if (held != Qt::ControlModifier || state_.op.Mode == QLatin1String("SSB")) {
                return false;
            }
            if (f.KeyerReady && keyer_->SendIfReady(KeyDownCommand(true))) {
                f.TuneOn = true;
                FocusCommandLine();
            }
            return true;
        default:
            return false;
    }
}

void TfWK::SpeedStepped(int wpm) {
    EdSpeed->setValue(wpm);  // its change handler sends the new speed
    link_.ShowSpeed(wpm);
}

void TfWK::ShowRunMode(bool run) {
    link_.ShowRunLabel(run);
    if (memo_ != nullptr) {
        memo_->ShowRunMode(run);
    }
}

void TfWK::ResetEntrySequence() {
    emit entrySequenceReset();
}

void TfWK::ClearMessageKey() {
    link_.ShowMessageKey(QString());
}

bool TfWK::EsmShown() const {
    return link_.EsmLabelVisible();
}

void TfWK::ShowEsm(bool on) {
    CBESM->setChecked(on);  // its handler shows LESM
    if (memo_ != nullptr) {
        memo_->ShowEsm(on);
    }
}

bool TfWK::AutoS5() const {
    return link_.AutoS5Checked();
}

void TfWK::WipeEntry(const QString& text) {
    link_.SetEntryText(text);
    link_.ClearTransmitted();
    link_.ClearExchangeField();
    link_.MoveEntryCaretToEnd();
}

}  // namespace corvatta::keyer
