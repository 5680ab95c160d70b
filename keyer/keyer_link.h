// KeyerLink, the program's one link to the WinKeyer: it owns the serial port,
// opens and starts the keyer, closes it, classifies what the keyer reports,
// tries a lost adapter again, and sends messages, tune and speed. It holds no
// controls: the main window's indicators go through MainWindowLink, and the
// keyer window follows its signals. The waits between start-up commands go
// through an injected function, so that tests need not sleep through them.
#pragma once

#include "keyer/link_status.h"
#include "keyer/main_window_link.h"
#include "keyer/winkeyer_protocol.h"
#include "serial/com_port.h"
#include "station/station_state.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <optional>

namespace corvatta::keyer {

// Shown in LInfo when the adapter went away under an open link.
inline const QString kKeyerDisconnectedText = QStringLiteral("Winkeyer disconnected");
// How often a lost link is tried again.
inline constexpr int kReconnectIntervalMs = 2000;
// The keyer-ready timer: this long after the start (or the echo reply).
inline constexpr int kReadTimerMs = 100;
// How long after the start sequence the keyer must have answered (a version
// or an echo reply) before the operator is told it does not.
inline constexpr int kAnswerTimeoutMs = 1000;

// Blocks the caller for `ms` milliseconds; the program passes SleepOnUiThread.
using KeyerWait = std::function<void(int ms)>;
// The real wait: the user-interface thread sleeps, as the keyer expects.
void SleepOnUiThread(int ms);

class KeyerLink : public QObject {
    Q_OBJECT

  public:
    KeyerLink(StationState& state, MainWindowLink& main, KeyerWait wait, QObject* parent = nullptr);
    ~KeyerLink() override;

    serial::TComPort* Port() const { return port_; }
    bool PortOpen() const { return port_->Connected(); }
    // A lost link is being tried again every kReconnectIntervalMs.
    bool Reconnecting() const { return reconnecting_; }
    QTimer* ReadTimer() const { return readTimer_; }
    QTimer* ReconnectTimer() const { return reconnectTimer_; }

    // Where the link stands, and the line that tells the operator why and
    // what to do; kept here so a window made later shows it too.
    LinkState State() const { return linkState_; }
    QString StatusText() const { return statusText_; }
    // The device the port setting names ("COM7" becomes "/dev/COM7").
    QString DevicePath() const;

    // Another keyer stands in for the one on the serial port (the practice
    // mode's built-in keyer on its pseudo-terminal): the link is closed and
    // from now on opens `path`; the port's own name is kept for the
    // settings, which never see the stand-in's. EndStandIn closes the link
    // and gives the port its own name back.
    void StandIn(const QString& path);
    void EndStandIn();
    // The port's own name while a stand-in is in use.
    std::optional<QString> OwnPortWhileStandingIn() const { return ownPort_; }

    // Opens the port and starts the keyer: host open, echo test, speed and
    // mode register, with the waits the keyer needs between them.
    void OpenKeyer();
    // Host close, then the port is closed; also gives up a reconnect.
    void CloseKeyer();
    // "Open Com" / "Close Com": closes an open (or awaited) link, else opens.
    void OpenOrClose();
    // The keyer-ready timer fired: KeyerReady, and the sidetone byte.
    void TimerReadWKTimer();
    // The port's received-character event.
    void ComPortRxChar(int count);
    // One byte the keyer sent, handled as ComPortRxChar handles each byte.
    void HandleReceivedByte(std::uint8_t byte);

    // Expands and writes a message; true when it was written in full. When
    // it was not (port closed, write failed) the caller should leave its
    // Transmitting and ExchangePending flags as they were.
    bool SendCwMessage(const QString& text);
    // Writes bytes as they are when the port is open; true when written.
    bool SendIfOpen(const QByteArray& bytes);
    // Writes bytes when KeyerReady (with the port closed the component's
    // not-open error is reported); true when written.
    bool SendIfReady(const QByteArray& bytes);
    // Esc from any window: resumes output a stray XOFF may have stopped and
    // clears the keyer's buffer; true when the command was written.
    bool ClearKeyerBuffer();
    // Tune toggled from any window: nothing (nullopt) unless KeyerReady and
    // written, otherwise the new TuneOn.
    std::optional<bool> ToggleTune();

    // The PC speed control changed: false when the port is closed (nothing
    // happens); else the speed is sent and taken when it is above 9 and the
    // pot does not rule the speed.
    bool PcSpeedChanged(int wpm);
    // "Use keyer speed pot": SpeedMode 2, 02 00 when open, Speed from the pot.
    void UseSpeedPot();
    // Recomputes E0 from the options and sends it when open.
    void ModeRegisterChanged();
    // Recomputes R01 and sends it when ready.
    void SidetoneChanged();
    // 05 min range 00 from SpeedMin and SpeedMax when open.
    void SendSpeedRange();
    // "Write to winkeyer": the four timing commands, a wait after each.
    void WriteToWinkeyer();

  signals:
    // The port is open: the window shows "Close Com", the port and its rate.
    void portOpened();
    // The start sequence is at the step where the options' controls are
    // filled from the settings (changed check boxes send their commands).
    void fillControlsDue();
    // The link is closed (by the operator or because the adapter went away).
    void portClosed();
    // The adapter went away; `retrying` when the keyer is still wanted.
    void disconnected(bool retrying);
    // A reconnect was given up by closing.
    void reconnectAbandoned();
    // KeyerReady was just set (the window refreshes its speed controls).
    void keyerReady();
    // One received byte's text for the command line: `shown` is appended
    // (empty when nothing shows), `clears` empties the line after it.
    void commandLineByte(const QString& shown, bool clears);
    // The keyer's reports, after the link has taken their state.
    void paddleSpeedReported(int wpm, bool speedFollows);
    void versionReported(int version);
    void echoReplied();
    void paddleReported();
    void busyReported();
    void idleReported();
    void keyDownReported();
    // A message is about to be written, and has been handled.
    void messageStarting();
    void messageHandled();
    // The keyer fell idle with the exchange pending and the exchange has
    // been sent: the entry line's sequence is now waiting for the year.
    void exchangeStarted();
    // A write or close failed with this message; the window shows it.
    void failed(const QString& message);
    // State() or StatusText() changed.
    void statusChanged();

  private:
    bool Write(const QByteArray& bytes);
    int TransmitMilliseconds(qsizetype bytes) const;
    void LinkLost();
    void ReconnectTick();
    void StopReconnecting();
    void ShowLinkClosed();
    void IdleReport();
    void SetStatus(LinkState state, const QString& text);
    void OpenFailed(int systemCode);
    void AnswerTimeout();
    void CheckReady();

    StationState& state_;
    MainWindowLink& main_;
    KeyerWait wait_;
    serial::TComPort* port_;
    QTimer* readTimer_;
    QTimer* reconnectTimer_;
    QTimer* answerTimer_;
    bool reconnecting_ = false;
    // A version or echo reply came since the port was opened.
    bool answered_ = false;
    std::optional<QString> ownPort_;
    LinkState linkState_ = LinkState::Closed;
    QString statusText_ = ClosedText();
};

}  // namespace corvatta::keyer
