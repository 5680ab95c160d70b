// The main window's entry line as the entry sequence and the shared keys see
// it: what they ask for reaches the entry line, its labels, the keyer link
// and the memo window here.
#pragma once

#include "keyer/shared_keys.h"
#include "logger/entry_sequence.h"
#include "logger/main_window_form.h"
#include "station/station_state.h"

#include <functional>

namespace corvatta {

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

class EntryLineView final : public EntryActions, public keyer::SharedKeyView {
  public:
    // `logQso` logs the entry the line holds (the window's LogQso).
    EntryLineView(TfMainForm& form, StationState& state, std::function<void()> logQso)
        : f_(form), state_(state), logQso_(std::move(logQso)) {}
    // The keyer, set up after the main window.
    void AttachKeyer(KeyerWindows* keyer) { keyer_ = keyer; }

    // EntryActions.
    QString EntryText() const override;
    QString PredictedYear() const override;
    bool KeyerPortOpen() const override;
    bool SendMessage(const QString& text) override;
    bool SendBytes(const QByteArray& bytes) override;
    void ClearKeyerBuffer() override;
    void LogQso() override { logQso_(); }
    void SetEntryText(const QString& text) override;
    void ShowMessageKey(const QString& key) override;
    void ClearTransmitIndicator() override;
    void ShowSearchAndPounce() override;
    void PaintModeBusy() override;
    void ShowTuneOff() override;

    // SharedKeyView: PgUp, PgDn, F10, F11, F12 as the main window shows them.
    void SpeedStepped(int wpm) override;
    void ShowRunMode(bool run) override;
    void ResetEntrySequence() override { state_.entry.EntryState = EntryStep::Idle; }
    void ClearMessageKey() override;
    bool EsmShown() const override;
    void ShowEsm(bool on) override;
    bool AutoS5() const override;
    void WipeEntry(const QString& text) override;

    // Tune toggled from the entry line (Ctrl+T, Ctrl+F5).
    void ToggleTune();

  private:
    TfMainForm& f_;
    StationState& state_;
    std::function<void()> logQso_;
    // The memo window when it is built and showing.
    keyer::TfMemo* VisibleMemo() const;

    KeyerWindows* keyer_ = nullptr;
};

}  // namespace corvatta
