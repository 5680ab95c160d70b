// TfWK, the keyer options window: it builds, fills and wires the option
// controls and shows the keyer link's state. The link itself (port, start
// sequence, reports, messages) is KeyerLink, which this window owns and which
// runs whether the window is shown or not.
#pragma once

#include "keyer/keyer_link.h"
#include "keyer/keyer_window_form.h"
#include "keyer/main_window_link.h"
#include "keyer/shared_keys.h"
#include "serial/com_port.h"
#include "station/station_state.h"

#include <QTimer>
#include <QWidget>
#include <optional>

namespace corvatta::keyer {

class TfMemo;

inline const QString kKeyerWindowCaption = QStringLiteral("Corvattans - WinKeyer Options");

// The keyer's port settings and this window's place, from the port and
// profile file; read at program start, whether the window is built or not. A
// port section that cannot be read is shown in the error box.
void LoadKeyerPortSettings(KeyerLink& keyer, StationState& state);

class TfWK : public QWidget, public KeyerWindowForm, private SharedKeyView {
    Q_OBJECT

  public:
    // A window with a link of its own, which it loads its settings into.
    // `wait` blocks between the keyer's start-up commands.
    TfWK(StationState& state, MainWindowLink& link, KeyerWait wait = SleepOnUiThread,
         QWidget* parent = nullptr);
    // The window over the program's link, which runs from the start and has
    // its settings already; built the first time the window is needed, it
    // shows the link as it is then.
    TfWK(StationState& state, MainWindowLink& link, KeyerLink& keyer, QWidget* parent = nullptr);
    ~TfWK() override;

    // The memo window, created after this one.
    void SetMemoWindow(TfMemo* memo) { memo_ = memo; }
    KeyerLink& Link() { return *keyer_; }

    // --- The link to the keyer (KeyerLink), as other windows call it.
    void OpenKeyer() { keyer_->OpenKeyer(); }
    void CloseKeyer() { keyer_->CloseKeyer(); }
    void TimerReadWKTimer() { keyer_->TimerReadWKTimer(); }
    void ComPortRxChar(QObject*, int count) { keyer_->ComPortRxChar(count); }
    bool SendCwMessage(const QString& text) { return keyer_->SendCwMessage(text); }
    bool SendToKeyer(const QByteArray& bytes) { return keyer_->SendIfOpen(bytes); }
    bool ClearKeyerBuffer() { return keyer_->ClearKeyerBuffer(); }
    std::optional<bool> ToggleTune() { return keyer_->ToggleTune(); }
    bool Reconnecting() const { return keyer_->Reconnecting(); }
    // ESM switched from another window: the check box and the memo's mark.
    void ShowEsmChoice(bool on) { ShowEsm(on); }

    // --- Settings of this window in the port and profile file.
    void LoadKeyerWindowSettings();
    void SaveKeyerWindowSettings();

    // The link's port and timers, under the names the window always had.
    serial::TComPort* ComPort;
    QTimer* TimerReadWK;
    QTimer* TimerReconnect;

  signals:
    // The keyer fell idle with the exchange pending and the exchange has
    // been sent: the entry line's sequence now waits for the year (ExchangeSent).
    void exchangeStarted();
    // F10 switched Run and S/P: the entry line's sequence goes back to idle.
    void entrySequenceReset();

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildWindow();
    // At its saved place, and the system's bitness for its label.
    void PlaceWindow();
    void ConnectHandlers();
    void ConnectLink();
    void FillControls();
    void FocusCommandLine();
    void ShowPortOpen();
    void ShowPortClosed();
    // The link's status line: its text, on red when something is wrong.
    void ShowLinkStatus();
    void CommandLineByte(const QString& shown, bool clears);

    void TimingEditChanged(QLineEdit* edit, QString& stored, int limit, bool isRatio);
    void UseSpeedPot();
    void SendSpeedRange();
    void MessageButton(int index);
    void TuneClick();
    void InstallDriver();
    bool CommandKey(int key, Qt::KeyboardModifiers modifiers);

    // How the command line's shared keys show here and on the other windows.
    void SpeedStepped(int wpm) override;
    void ShowRunMode(bool run) override;
    void ResetEntrySequence() override;
    void ClearMessageKey() override;
    bool EsmShown() const override;
    void ShowEsm(bool on) override;
    bool AutoS5() const override;
    void WipeEntry(const QString& text) override;

    StationState& state_;
    MainWindowLink& link_;
    KeyerLink* keyer_;
    TfMemo* memo_ = nullptr;
    QString bitness_;
};

}  // namespace corvatta::keyer
