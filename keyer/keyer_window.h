// TfWK, the keyer options window. It owns the serial port to the keyer and
// runs the link whether it is shown or not: opening and closing the keyer,
// the bytes it reports back, CW messages, and every option control. The byte
// logic lives in winkeyer_protocol and cw_message; this class applies it.
#pragma once

#include "keyer/main_window_link.h"
#include "keyer/shared_keys.h"
#include "logger/station_state.h"
#include "serial/com_port.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QWidget>
#include <array>
#include <optional>

namespace corvatta::keyer {

class TfMemo;

inline const QString kKeyerWindowCaption = QStringLiteral("Corvattans - WinKeyer Options");
// Shown in LInfo when the adapter went away under an open link.
inline const QString kKeyerDisconnectedText = QStringLiteral("Winkeyer disconnected");
// How often a lost link is tried again.
inline constexpr int kReconnectIntervalMs = 2000;

// The PC speed spin edit: the arrows stay within 10..50, while the speed keys
// may show one step beyond (51, or 9, which is then not sent).
class SpeedSpinBox : public QSpinBox {
    Q_OBJECT
  public:
    using QSpinBox::QSpinBox;
    void stepBy(int steps) override;
};

class TfWK : public QWidget, private SharedKeyView {
    Q_OBJECT

  public:
    TfWK(StationState& state, MainWindowLink& link, QWidget* parent = nullptr);
    ~TfWK() override;

    // The memo window, created after this one.
    void SetMemoWindow(TfMemo* memo) { memo_ = memo; }

    // --- The link to the keyer.
    void OpenKeyer();
    void CloseKeyer();
    void TimerReadWKTimer();
    void ComPortRxChar(QObject* sender, int count);
    // Expands and writes a message; true when it was written in full. When
    // it was not (port closed, write failed) the caller should leave its
    // Transmitting and ExchangePending flags as they were.
    bool SendCwMessage(const QString& text);
    // Writes bytes as they are when the port is open (the entry line's
    // callsign, type-ahead, speed and clear-buffer writes); true when written.
    bool SendToKeyer(const QByteArray& bytes);
    // Esc from any window: resumes output a stray XOFF may have stopped and
    // clears the keyer's buffer; true when the command was written.
    bool ClearKeyerBuffer();
    // Tune toggled from any window: nothing (nullopt) unless KeyerReady,
    // otherwise the new TuneOn.
    std::optional<bool> ToggleTune();
    // A lost link is being tried again every two seconds.
    bool Reconnecting() const { return reconnecting_; }

    // --- Settings of this window in the port and profile file.
    void LoadKeyerWindowSettings();
    void SaveKeyerWindowSettings();
    QString PortFileName() const;

    serial::TComPort* ComPort;
    QTimer* TimerReadWK;
    QTimer* TimerReconnect;

    QLineEdit* ECommand;
    QPushButton *BSetupCom, *BOpenCom, *BSendSpeedRange, *BWriteWK, *BTune, *BInstalCH, *BClose;
    QCheckBox* CBComAutoConnect;
    QLabel *LCCom, *LBCom, *LInfo, *LInfo1;
    QFrame* ShapeCom;
    SpeedSpinBox* EdSpeed;
    QSpinBox* UpSpeed;
    QRadioButton *RB1, *RB2, *SM1, *SM2, *SM3;
    QLineEdit *ESpeedMin, *ESpeedMax;
    QComboBox* CBPaddleMode;
    QCheckBox *CBPaddleWatchdog, *CBPaddleEcho, *CBPaddleSwap, *CBSerialEcho, *CBAutoSpace,
        *CBWordSpace;
    QLineEdit *ELead, *ETail, *EFirstCarExt, *EKeyComp, *ERatio;
    QComboBox *EHangTime, *ESidetone;
    QCheckBox* CBSidetonePaddle;
    QCheckBox *cmyLIC, *CBShort0T, *CBShort0O, *CBShort9N;
    QFrame *ShapePad, *ShapePTT;
    QLabel *LPad, *LTun, *LSpeedPaddle;
    std::array<QPushButton*, 9> BF{};
    std::array<QLineEdit*, 9> EdF{};   // Run set
    std::array<QLineEdit*, 9> EdFs{};  // S/P set
    std::array<QLineEdit*, 9> EdFv{};  // Visual set
    QCheckBox* CBESM;
    QLabel* LWindowsVersion;
    QCheckBox *cASCI, *cMemo;

  signals:
    // The keyer fell idle with the exchange pending and the exchange has
    // been sent: the entry line is now in state 1, waiting for the year.
    void exchangeStarted();
    // F10 switched Run and S/P: the entry line's sequence goes back to idle.
    void entrySequenceReset();

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildWindow();
    void ConnectHandlers();
    void FillControls();
    void FocusCommandLine();
    bool PortOpen() const { return ComPort->Connected(); }
    bool SendIfOpen(const QByteArray& bytes);
    bool SendIfReady(const QByteArray& bytes);
    bool Write(const QByteArray& bytes);
    int TransmitMilliseconds(qsizetype bytes) const;
    void ShowLinkClosed();
    void LinkLost();
    void ReconnectTick();
    void StopReconnecting();

    void HandleReceivedByte(std::uint8_t byte);
    void IdleReport();

    void ModeRegisterChanged();
    void SidetoneChanged();
    void TimingEditChanged(QLineEdit* edit, QString& stored, int limit, bool isRatio);
    void SpeedChanged(int value);
    void UseSpeedPot();
    void SendSpeedRange();
    void WriteToWinkeyer();
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
    TfMemo* memo_ = nullptr;
    QString bitness_;
    bool reconnecting_ = false;
};

}  // namespace corvatta::keyer
