#include "keyer/keyer_link.h"

#include "keyer/cw_message.h"
#include "keyer/timing_values.h"
#include "platform/errors.h"
#include "serial/com_error.h"
#include "serial/serial_device_posix.h"

#include <QThread>
#include <array>

namespace corvatta::keyer {

namespace {

constexpr int kAfterOpenWaitMs = 100;
constexpr int kAfterHostOpenWaitMs = 500;
constexpr int kAfterEchoTestWaitMs = 200;
constexpr int kWriteStepWaitMs = 100;
constexpr int kDrainMarginMs = 50;

}  // namespace

void SleepOnUiThread(int ms) {
    QThread::msleep(static_cast<unsigned long>(ms));
}

KeyerLink::KeyerLink(StationState& state, MainWindowLink& main, KeyerWait wait, QObject* parent)
    : QObject(parent), state_(state), main_(main), wait_(std::move(wait)) {
    port_ = new serial::TComPort(this);
    port_->setObjectName(QStringLiteral("ComPort"));
    // The keyer's own port settings, used until the port file has others.
    port_->SetPort(QStringLiteral("COM7"));
    port_->SetBaudRate(serial::br1200);
    port_->SetDataBits(serial::dbEight);
    port_->SetStopBits(serial::sbOneStopBit);
    port_->SetParityBits(serial::prNone);
    serial::TComFlowControl flow;
    flow.ControlDTR = serial::dtrEnable;
    flow.ControlRTS = serial::rtsDisable;
    flow.XonXoffIn = true;
    flow.XonXoffOut = true;
    port_->SetFlowControl(flow);
    connect(port_, &serial::TComPort::OnRxChar, this, &KeyerLink::ComPortRxChar);
    connect(port_, &serial::TComPort::OnDisconnect, this, &KeyerLink::LinkLost);

    readTimer_ = new QTimer(this);
    readTimer_->setObjectName(QStringLiteral("TimerReadWK"));
    readTimer_->setInterval(kReadTimerMs);
    connect(readTimer_, &QTimer::timeout, this, &KeyerLink::TimerReadWKTimer);
    reconnectTimer_ = new QTimer(this);
    reconnectTimer_->setObjectName(QStringLiteral("TimerReconnect"));
    reconnectTimer_->setInterval(kReconnectIntervalMs);
    connect(reconnectTimer_, &QTimer::timeout, this, &KeyerLink::ReconnectTick);
    answerTimer_ = new QTimer(this);
    answerTimer_->setObjectName(QStringLiteral("TimerAnswer"));
    answerTimer_->setSingleShot(true);
    answerTimer_->setInterval(kAnswerTimeoutMs);
    connect(answerTimer_, &QTimer::timeout, this, &KeyerLink::AnswerTimeout);

    // The paddle speed the keyer starts with until its pot reports.
    if (state_.flags.PaddleSpeed == 0) {
        state_.flags.PaddleSpeed = kDefaultPaddleSpeed;
    }
}

KeyerLink::~KeyerLink() {
    answerTimer_->stop();
    reconnectTimer_->stop();
    readTimer_->stop();
    // The port closes when it is destroyed; nothing it reports then may
    // reach this half-destroyed link.
    port_->disconnect(this);
}

// ---- Writing ------------------------------------------------------------------

bool KeyerLink::Write(const QByteArray& bytes) {
    try {
        return port_->SendText(bytes) == bytes.size();
    } catch (const platform::Error& e) {
        emit failed(e.message());
        return false;
    }
}

int KeyerLink::TransmitMilliseconds(qsizetype bytes) const {
    int baud = port_->BaudRate() == serial::brCustom
                   ? port_->CustomBaudRate()
                   : serial::BaudRateToText(port_->BaudRate()).toInt();
    if (baud <= 0) {
        baud = 1200;
    }
    // Ten bit times a byte, and a margin for the driver and the adapter.
    return static_cast<int>(bytes * 10 * 1000 / baud) + kDrainMarginMs;
}

bool KeyerLink::SendIfOpen(const QByteArray& bytes) {
    return PortOpen() && Write(bytes);
}

bool KeyerLink::SendIfReady(const QByteArray& bytes) {
    // Gated by the ready flag only, as the keyer commands always were: with
    // the port closed the component's not-open error is shown.
    return state_.flags.KeyerReady && Write(bytes);
}

bool KeyerLink::ClearKeyerBuffer() {
    // Esc is the operator's way out of anything, a line stopped by XOFF too.
    port_->ResumeOutput();
    return SendIfOpen(ClearBufferCommand());
}

// ---- What the operator is told ---------------------------------------------------

QString KeyerLink::DevicePath() const {
    return serial::posix::PortPath(port_->Port());
}

void KeyerLink::SetStatus(LinkState state, const QString& text) {
    if (state == linkState_ && text == statusText_) {
        return;
    }
    linkState_ = state;
    statusText_ = text;
    emit statusChanged();
}

void KeyerLink::OpenFailed(int systemCode) {
    // Said on the keyer window's status line, not in a box: this happens at
    // start and on every reconnect attempt, in the middle of a contest.
    QString text = OpenFailureText(DevicePath(), systemCode);
    if (reconnecting_) {
        text += RetryingSuffix(kReconnectIntervalMs / 1000);
    }
    SetStatus(LinkState::OpenFailed, text);
}

void KeyerLink::AnswerTimeout() {
    if (PortOpen() && !answered_) {
        SetStatus(LinkState::NoAnswer, NoAnswerText(DevicePath()));
    }
}

void KeyerLink::CheckReady() {
    // The ready timer sets KeyerReady whether or not a keyer is there; only
    // a reply shows that one is.
    if (PortOpen() && answered_ && state_.flags.KeyerReady) {
        SetStatus(LinkState::Ready, ReadyText(DevicePath(), state_.flags.KeyerVersion));
    }
}

// ---- Opening and closing ------------------------------------------------------

void KeyerLink::StandIn(const QString& path) {
    CloseKeyer();
    if (!ownPort_) {
        ownPort_ = port_->Port();
    }
    port_->SetPort(path);
}

void KeyerLink::EndStandIn() {
    if (!ownPort_) {
        return;
    }
    CloseKeyer();
    port_->SetPort(*ownPort_);
    ownPort_.reset();
}

void KeyerLink::OpenKeyer() {
    try {
        port_->SetConnected(true);
    } catch (const serial::EComPort& e) {
        OpenFailed(e.SystemErrorCode());
    } catch (const platform::Error&) {
        OpenFailed(0);
    }
    if (!PortOpen()) {
        return;
    }
    StopReconnecting();
    answered_ = false;
    SetStatus(LinkState::Opening, OpeningText(DevicePath()));
    auto& k = state_.keyer;
    wait_(kAfterOpenWaitMs);
    k.ComConnected = true;
    emit portOpened();

    SendIfOpen(HostOpenCommand());
    wait_(kAfterHostOpenWaitMs);
    SendIfOpen(EchoTestCommand());
    wait_(kAfterEchoTestWaitMs);
    SendIfOpen(SetSpeedCommand(k.Speed));
    SendIfOpen(ModeRegisterCommand(kStartModeRegister));
    emit fillControlsDue();
    readTimer_->start();
    // Started after the waits, which hold the event loop: the replies they
    // let in are handled before the timer can fire.
    answerTimer_->start();
    main_.SetKeyerFieldColor(colors::ColorReady);
    main_.SetModeButtonColor(colors::ColorReady);
}

void KeyerLink::OpenOrClose() {
    if (PortOpen() || reconnecting_) {
        CloseKeyer();
    } else {
        OpenKeyer();
    }
}

void KeyerLink::ShowLinkClosed() {
    emit portClosed();
    main_.SetKeyerFieldColor(colors::ColorBusy);
    main_.SetModeButtonColor(colors::ColorPlain);
}

void KeyerLink::CloseKeyer() {
    auto& k = state_.keyer;
    if (reconnecting_) {
        // The operator gave up the keyer that was being waited for.
        StopReconnecting();
        k.ComConnected = false;
        emit reconnectAbandoned();
    }
    if (!PortOpen()) {
        // The operator gave up a keyer that was lost or would not open.
        SetStatus(LinkState::Closed, ClosedText());
        return;
    }
    answerTimer_->stop();
    const QByteArray hostClose = HostCloseCommand();
    if (SendIfOpen(hostClose)) {
        // Closing the port purges what the driver has not sent yet; give the
        // host-close command time to reach the keyer first.
        wait_(TransmitMilliseconds(hostClose.size()));
    }
    try {
        port_->SetConnected(false);
    } catch (const platform::Error& e) {
        emit failed(e.message());
    }
    k.ComConnected = false;
    state_.flags.KeyerVersion = 0;
    state_.flags.KeyerReady = false;
    SetStatus(LinkState::Closed, ClosedText());
    ShowLinkClosed();
}

void KeyerLink::LinkLost() {
    if (PortOpen()) {
        return;  // reopened already
    }
    auto& f = state_.flags;
    f.KeyerVersion = 0;
    f.KeyerReady = false;
    // Only an idle report would clear these, and none will come.
    f.Transmitting = false;
    f.ExchangePending = false;
    f.TuneOn = false;
    readTimer_->stop();
    answerTimer_->stop();
    ShowLinkClosed();
    const bool retrying = state_.keyer.ComConnected;
    if (retrying) {
        reconnecting_ = true;
        reconnectTimer_->start();
    }
    SetStatus(LinkState::Lost, LostText(DevicePath(), retrying ? kReconnectIntervalMs / 1000 : 0));
    emit disconnected(retrying);
}

void KeyerLink::ReconnectTick() {
    if (!reconnecting_) {
        reconnectTimer_->stop();
        return;
    }
    OpenKeyer();
}

void KeyerLink::StopReconnecting() {
    reconnecting_ = false;
    reconnectTimer_->stop();
}

void KeyerLink::TimerReadWKTimer() {
    readTimer_->stop();
    auto& k = state_.keyer;
    state_.flags.KeyerReady = true;
    CheckReady();
    emit keyerReady();
    k.R01 = SidetoneByte(k.SidetonePaddle, k.Sidetone);
    SendIfOpen(SidetoneCommand(k.R01));
}

// ---- What the keyer sends back --------------------------------------------------

void KeyerLink::ComPortRxChar(int count) {
    QByteArray bytes;
    try {
        bytes = port_->ReceiveText(count);
    } catch (const platform::Error&) {
        return;
    }
    for (const char c : bytes) {
        HandleReceivedByte(static_cast<std::uint8_t>(c));
    }
}

void KeyerLink::HandleReceivedByte(std::uint8_t byte) {
    auto& f = state_.flags;
    auto& k = state_.keyer;
    const ReceivedByte r = ClassifyReceivedByte(byte, f.KeyerVersion != 0);
    if (state_.view.VisibleASCI) {
        emit commandLineByte(u' ' + QString::number(byte), false);
    } else {
        const QString ch = r.shownAsCharacter ? ReceivedCharacter(byte) : QString();
        emit commandLineByte(ch, r.clearsCommandLine);
        if (r.shownAsCharacter) {
            main_.AppendTransmitted(ch);
        }
    }
    switch (r.report) {
        case KeyerReport::None:
            break;
        case KeyerReport::SpeedPot:
            f.PaddleSpeed = r.value;
            main_.ShowPaddleSpeed(r.value);
            if (k.SpeedMode == 2) {
                k.Speed = r.value;
                main_.ShowSpeed(k.Speed);
            }
            emit paddleSpeedReported(r.value, k.SpeedMode == 2);
            break;
        case KeyerReport::Version:
            f.KeyerVersion = r.value;
            answered_ = true;
            CheckReady();
            emit versionReported(r.value);
            break;
        case KeyerReport::EchoReply:
            answered_ = true;
            CheckReady();
            main_.SetModeButtonColor(colors::ColorReady);
            emit echoReplied();
            readTimer_->start();
            break;
        case KeyerReport::Paddle:
            f.PaddleActive = true;
            if (k.SpeedMode == 0) {
                // The keyer takes the pot speed while the paddle is used.
                SendIfOpen(
                    SetSpeedCommand(f.PaddleSpeed != 0 ? f.PaddleSpeed : kDefaultPaddleSpeed));
            }
            emit paddleReported();
            main_.SetModeButtonColor(colors::ColorBusy);
            break;
        case KeyerReport::Busy:
            f.Transmitting = true;
            f.PaddleActive = false;
            emit busyReported();
            break;
        case KeyerReport::Idle:
            IdleReport();
            break;
        case KeyerReport::KeyDown:
            f.TuneOn = true;
            emit keyDownReported();
            break;
    }
}

void KeyerLink::IdleReport() {
    auto& f = state_.flags;
    f.Transmitting = false;
    f.TuneOn = false;
    f.LastMessageKey.clear();
    emit idleReported();
    main_.SetModeButtonColor(colors::ColorReady);
    main_.MoveEntryCaretToEnd();
    if (!f.ExchangePending) {
        return;
    }
    f.ExchangePending = false;
    f.LastMessageKey = QStringLiteral("F2");
    main_.ShowMessageKey(f.LastMessageKey);
    const MessageSet& set = state_.keyer.RunMode ? state_.messages.Run : state_.messages.SP;
    if (!SendCwMessage(QStringLiteral(" ") + set[1])) {
        // Not sent: the exchange is still due at the next idle report.
        f.ExchangePending = true;
        return;
    }
    if (!main_.EntryText().contains(u' ')) {
        main_.SetEntryText(main_.EntryText() + u' ');
    }
    main_.MoveEntryCaretToEnd();
    emit exchangeStarted();
}

// ---- Messages, tune and speed -----------------------------------------------------

bool KeyerLink::SendCwMessage(const QString& text) {
    const auto& f = state_.flags;
    if (!f.Transmitting) {
        main_.ClearTransmitted();
    }
    emit messageStarting();
    const QByteArray bytes = BuildCwMessage(text, state_.shortChars, CurrentMessageValues(state_));
    bool written = false;
    if (PortOpen()) {
        // Every message starts with the line going: nothing the keyer sends
        // (a stray XOFF) may silence the ones that follow.
        port_->ResumeOutput();
        written = Write(bytes);
        if (written) {
            main_.SetModeButtonColor(colors::ColorBusy);
        }
    }
    emit messageHandled();
    return written;
}

std::optional<bool> KeyerLink::ToggleTune() {
    auto& f = state_.flags;
    if (!f.KeyerReady) {
        return std::nullopt;
    }
    const bool on = !f.TuneOn;
    if (!SendIfReady(KeyDownCommand(on))) {
        return std::nullopt;
    }
    f.TuneOn = on;
    if (on) {
        main_.SetModeButtonColor(colors::ColorBusy);
    }
    return on;
}

bool KeyerLink::PcSpeedChanged(int wpm) {
    auto& k = state_.keyer;
    if (!PortOpen()) {
        return false;
    }
    if (wpm > 9 && k.SpeedMode != 2) {
        SendIfOpen(SetSpeedCommand(wpm));
        k.Speed = wpm;
        main_.ShowSpeed(wpm);
    }
    return true;
}

void KeyerLink::UseSpeedPot() {
    auto& k = state_.keyer;
    auto& f = state_.flags;
    k.SpeedMode = 2;
    SendIfOpen(SetSpeedCommand(kUseSpeedPot));
    if (f.PaddleSpeed == 0) {
        f.PaddleSpeed = kDefaultPaddleSpeed;
    }
    k.Speed = f.PaddleSpeed;
}

void KeyerLink::ModeRegisterChanged() {
    auto& k = state_.keyer;
    k.E0 = ModeRegisterByte(k);
    SendIfOpen(ModeRegisterCommand(k.E0));
}

void KeyerLink::SidetoneChanged() {
    auto& k = state_.keyer;
    k.R01 = SidetoneByte(k.SidetonePaddle, k.Sidetone);
    SendIfReady(SidetoneCommand(k.R01));
}

void KeyerLink::SendSpeedRange() {
    const auto& k = state_.keyer;
    SendIfOpen(SpeedPotSetupCommand(k.SpeedMin, k.SpeedMax));
}

void KeyerLink::WriteToWinkeyer() {
    if (!state_.flags.KeyerReady) {
        return;
    }
    const auto& k = state_.keyer;
    const std::array<QByteArray, 4> commands{
        Command(kPttLeadTail, {TimingValue(k.Lead), TimingValue(k.Tail)}),
        Command(kFirstCharExtension, {TimingValue(k.FirstCarExt)}),
        Command(kKeyingCompensation, {TimingValue(k.KeyComp)}),
        Command(kDitDahRatio, {TimingValue(k.Ratio)}),
    };
    for (const QByteArray& c : commands) {
        if (!SendIfReady(c)) {
            return;
        }
        wait_(kWriteStepWaitMs);
    }
}

}  // namespace corvatta::keyer
