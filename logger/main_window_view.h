// The main window as everything else sees it: what the keyer (its link, its
// options and memo windows), the entry sequence and the shared keys ask of
// the main window reaches its controls, the keyer link and the memo window
// here, and nowhere else.
#pragma once

#include "keyer/main_window_link.h"
#include "keyer/shared_keys.h"
#include "logger/entry_sequence.h"
#include "logger/main_window_form.h"
#include "station/station_state.h"

#include <functional>

class QWidget;

namespace serial {
class TCustomComPort;
}

namespace corvatta {

class VoiceWindows;

namespace keyer {
class KeyerLink;
class TfWK;
class TfMemo;
}  // namespace keyer

// The keyer as the main window reaches it: the link runs from the start,
// the keyer options and memo windows are built the first time they are
// needed (the program's assembly does that).
class KeyerWindows {
  public:
    virtual ~KeyerWindows() = default;
    virtual keyer::KeyerLink& Keyer() = 0;
    // Null while the window has not been needed yet.
    virtual keyer::TfWK* BuiltKeyerWindow() = 0;
    virtual keyer::TfMemo* BuiltMemoWindow() = 0;
    // Builds the memo window if it is not there yet.
    virtual keyer::TfMemo& MemoWindow() = 0;
};

class MainWindowView final : public keyer::MainWindowLink,
                             public EntryActions,
                             public keyer::SharedKeyView {
  public:
    // `window` is the main window that holds `form`'s controls; `logQso`
    // logs the entry the line holds (the window's LogQso).
    MainWindowView(QWidget& window, TfMainForm& form, StationState& state,
                   std::function<void()> logQso)
        : window_(window), f_(form), state_(state), logQso_(std::move(logQso)) {}
    // The keyer, set up after the main window.
    void AttachKeyer(KeyerWindows* keyer) { keyer_ = keyer; }
    // The voice keyer of SSB, set up after the main window (null detaches it).
    void AttachVoice(VoiceWindows* voice);
    // The keyer link's port, for a PTT line on it; null before the keyer is attached.
    serial::TCustomComPort* KeyerPort() const;

    // What the keyer, the entry sequence and the shared keys all read and
    // write: the entry line and the message label.
    QString EntryText() const override;
    void SetEntryText(const QString& text) override;
    void ShowMessageKey(const QString& key) override;

    // keyer::MainWindowLink.
    void SetModeButtonColor(const QString& colorText) override;
    void SetKeyerFieldColor(const QString& colorText) override;
    void ShowSpeed(int wpm) override;
    void ShowPaddleSpeed(int wpm) override;
    void AppendTransmitted(const QString& text) override;
    void ClearTransmitted() override;
    void ShowRunLabel(bool run) override;
    bool EsmLabelVisible() const override;
    void ShowEsmLabel(bool visible) override;
    bool EntryVisible() const override;
    void MoveEntryCaretToEnd() override;
    void FocusEntryEnd() override;
    void ClearExchangeField() override;
    bool AutoS5Checked() const override;
    QPoint MainWindowPosition() const override;

    // EntryActions.
    QString PredictedYear() const override;
    bool KeyerPortOpen() const override;
    bool SendMessage(const QString& text) override;
    bool SendBytes(const QByteArray& bytes) override;
    void ClearKeyerBuffer() override;
    void LogQso() override { logQso_(); }
    void ClearTransmitIndicator() override { ClearTransmitted(); }
    void ShowSearchAndPounce() override { ShowRunLabel(false); }
    void PaintModeBusy() override;
    void ShowTuneOff() override;
    bool VoiceEnabled() const override;
    bool PlayVoice(int n) override;
    bool PlayVoiceCall(const QString& call, int n) override;
    void StopVoice() override;

    // Ctrl+Shift+F1..F9 (n = 1..9): records message n of the current set; the
    // same key again keeps the recording, other keys wait until it ends.
    void RecordVoice(int n);
    // Esc while recording drops the recording; true when there was one.
    bool CancelVoiceRecording();

    // keyer::SharedKeyView: PgUp, PgDn, F10, F11, F12 as the main window shows them.
    void SpeedStepped(int wpm) override;
    void ShowRunMode(bool run) override;
    void ResetEntrySequence() override { state_.entry.EntryState = EntryStep::Idle; }
    void ClearMessageKey() override;
    bool EsmShown() const override;
    void ShowEsm(bool on) override;
    bool AutoS5() const override { return AutoS5Checked(); }
    void WipeEntry(const QString& text) override;

    // Tune toggled from the entry line (Ctrl+T, Ctrl+F5).
    void ToggleTune();

  private:
    // The memo window when it is built and showing.
    keyer::TfMemo* VisibleMemo() const;
    // After a voice message was asked for: Transmitting follows the voice
    // keyer, and why it did not play is shown.
    bool Played(bool played);
    // The voice keyer's problems and the recording, in words beside the entry line.
    void ShowVoiceStatus(const QString& text);

    QWidget& window_;
    TfMainForm& f_;
    StationState& state_;
    std::function<void()> logQso_;
    KeyerWindows* keyer_ = nullptr;
    VoiceWindows* voice_ = nullptr;
};

}  // namespace corvatta
