// The entry line's Run and S/P sequences without a window: which message goes
// to the keyer on Enter, when the contact is logged, how Esc and the end of a
// logged contact move the sequence on, and how characters typed while a
// callsign is still being sent follow it. The window turns key events into
// calls and carries out what the sequence asks of it through EntryActions.
#pragma once

#include "station/station_state.h"

#include <QByteArray>
#include <QString>

namespace corvatta {

// What the sequence asks of the window and, through it, of the keyer. Calls
// are made in the order the sequence needs them; several of them change the
// entry state as a side effect (a new entry text is validated at once,
// logging hands over to AfterLogging), and the sequence reads the state
// again after each.
class EntryActions {
  public:
    virtual ~EntryActions() = default;
    // What the entry line and the licence-year field beside it hold now.
    virtual QString EntryText() const = 0;
    virtual QString PredictedYear() const = 0;
    virtual bool KeyerPortOpen() const = 0;
    // Expands and writes a CW message; true when it was written in full.
    virtual bool SendMessage(const QString& text) = 0;
    // Writes bytes as they are; true when written.
    virtual bool SendBytes(const QByteArray& bytes) = 0;
    // Stops the keyer's output at once (Esc); only asked while the port is open.
    virtual void ClearKeyerBuffer() = 0;
    // Logs the valid entry; the log calls AfterLogging when it is done.
    virtual void LogQso() = 0;
    // Replaces the entry line's text (which validates it) and puts the caret at its end.
    virtual void SetEntryText(const QString& text) = 0;
    // The message key shown beside the entry line ("F1".."F9"; empty clears it).
    virtual void ShowMessageKey(const QString& key) = 0;
    virtual void ClearTransmitIndicator() = 0;
    virtual void ShowSearchAndPounce() = 0;
    virtual void PaintModeBusy() = 0;
    // Tune off in the memo window (Esc), when that window is shown.
    virtual void ShowTuneOff() = 0;

    // The voice keyer of SSB. Off unless the operator turned it on; then
    // message n (1..9) of the current set plays, or the call letter by letter
    // and then message n. True when it plays; Transmitting follows the voice
    // keyer from then on until the message ends.
    virtual bool VoiceEnabled() const { return false; }
    virtual bool PlayVoice(int n) {
        (void)n;
        return false;
    }
    virtual bool PlayVoiceCall(const QString& call, int n) {
        (void)call;
        (void)n;
        return false;
    }
    virtual void StopVoice() {}
};

class EntrySequence {
  public:
    EntrySequence(StationState& state, EntryActions& actions) : s_(state), act_(actions) {}

    // Enter on the entry line: the Run/S-P steps with ESM, then logging.
    void Enter();
    // Esc on the entry line.
    void Esc();
    // F1..F9 (n = 0..8): the message of the current set.
    void FunctionKey(int n);
    // The log has taken the contact: the closing message of a Run contact.
    void AfterLogging();
    // The entry was validated again: leaves ExchangeSent when the callsign shown
    // is no longer the one sent, and sends type-ahead characters.
    void AfterValidation();

  private:
    bool StartMessage(const QString& text);
    bool CompleteRunContact();
    // In SSB with the voice keyer on, the keys play recorded messages.
    bool VoiceOn() const;
    bool StartVoice(const QString& call, int n);
    void VoiceEnter();
    void ShowMessageKey(const QString& key);

    StationState& s_;
    EntryActions& act_;
};

}  // namespace corvatta
