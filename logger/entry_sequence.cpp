#include "logger/entry_sequence.h"

#include "keyer/cw_message.h"
#include "logger/validation.h"

namespace corvatta {

void EntrySequence::ShowMessageKey(const QString& key) {
    s_.flags.LastMessageKey = key;
    act_.ShowMessageKey(key);
}

// Starts a message as the sequence does: the keyer counts as busy from here
// on. When nothing could be written the flags stay as they were, or Enter
// would wait for an idle report that never comes.
bool EntrySequence::StartMessage(const QString& text) {
    auto& f = s_.flags;
    const bool wasTransmitting = f.Transmitting;
    f.Transmitting = true;
    act_.ClearTransmitIndicator();
    if (!act_.SendMessage(text)) {
        f.Transmitting = wasTransmitting;
        return false;
    }
    return true;
}

// Run, once the exchange has been sent: the year (or the predicted one)
// completes the contact, which is logged; true when it was.
bool EntrySequence::CompleteRunContact() {
    auto& e = s_.entry;
    if (e.EntryState != EntryStep::ExchangeSent || s_.flags.Transmitting || !s_.keyer.RunMode ||
        e.CallInvalid) {
        return false;
    }
    const QString predicted = act_.PredictedYear();
    if (e.YearInvalid && !predicted.isEmpty()) {
        const QString text = act_.EntryText();
        act_.SetEntryText(text + (text.contains(u' ') ? QString() : QStringLiteral(" ")) +
                          predicted);
        e.YearInvalid = false;
    }
    if (e.YearInvalid || !IsValidForLogging(e, act_.EntryText())) {
        return false;
    }
    if (e.ShownCall != e.SentCall) {
        e.CallCorrected = true;
        e.SentCall = e.ShownCall;
    }
    e.EntryState = EntryStep::ClosingDue;
    act_.LogQso();
    return true;
}

void EntrySequence::Enter() {
    // The entry state is read anew after every action: a new entry text is
    // validated at once and logging hands over to AfterLogging.
    auto& e = s_.entry;
    auto& f = s_.flags;
    const auto& k = s_.keyer;
    const auto& run = s_.messages.Run;
    const bool cw = s_.op.Mode == QLatin1String("CW");
    const bool ssb = s_.op.Mode == QLatin1String("SSB");
    e.EntryLength = int(act_.EntryText().size());

    if (cw && k.EnterSendMsg && f.KeyerReady) {
        // A1: Run, the exchange has been sent; the year completes the contact.
        CompleteRunContact();
        // A2: S/P, the year is in: the exchange goes out and the contact is logged.
        if (e.EntryLength > 2 && !f.Transmitting && !k.RunMode && !e.CallInvalid &&
            !e.YearInvalid && IsValidForLogging(e, act_.EntryText())) {
            ShowMessageKey(QStringLiteral("F2"));
            QString exchange = run[1];
            keyer::ApplyShortCharacters(exchange, s_.shortChars, s_.op.MyYearLic);
            StartMessage(exchange);
            e.EntryState = EntryStep::SearchLogged;
            act_.LogQso();
        }
        // A3: Run: the callsign, or the exchange once more.
        if (e.EntryLength > 2 && !f.Transmitting && k.RunMode && !e.CallInvalid &&
            !f.ExchangePending) {
            if (e.EntryState != EntryStep::Idle) {
                ShowMessageKey(QStringLiteral("F2"));
                StartMessage(run[1]);
            } else {
                const bool wasTransmitting = f.Transmitting;
                f.Transmitting = true;
                act_.ClearTransmitIndicator();
                e.SentCall = e.ShownCall;
                f.LastMessageKey = QStringLiteral("F5");
                f.ExchangePending = true;
                if (act_.SendBytes(act_.EntryText().toLatin1())) {
                    act_.PaintModeBusy();
                } else {
                    f.Transmitting = wasTransmitting;
                    f.ExchangePending = false;
                }
            }
        }
        // A4: S/P: call the station.
        if (e.EntryLength > 2 && !f.Transmitting && !k.RunMode && !e.CallInvalid && e.YearInvalid &&
            e.EntryState == EntryStep::Idle) {
            act_.ShowSearchAndPounce();
            ShowMessageKey(QStringLiteral("F4"));
            const QString text = act_.EntryText();
            if (!text.contains(u' ')) {
                act_.SetEntryText(text + u' ');
            }
            StartMessage(run[3]);
        }
        // A5: Run: call CQ.
        if (e.EntryLength <= 2 && !f.Transmitting && k.RunMode && e.EntryState == EntryStep::Idle) {
            e.CallCorrected = false;
            ShowMessageKey(QStringLiteral("F1"));
            StartMessage(run[0]);
            if (e.EntryLength < 2 && s_.panel.AutoS5) {
                act_.SetEntryText(QStringLiteral("S5"));
            }
        }
    } else if (ssb && k.EnterSendMsg && VoiceOn()) {
        VoiceEnter();
    }
    // B to D, for every Enter.
    if (e.EntryState == EntryStep::Closed) {
        e.EntryState = EntryStep::Idle;
    }
    const bool valid = IsValidForLogging(e, act_.EntryText());
    // With voice messages the steps above log an SSB contact, as in CW.
    const bool voiceSteps = ssb && k.EnterSendMsg && VoiceOn();
    if (valid && ((cw && !k.EnterSendMsg) || (ssb && !voiceSteps))) {
        act_.LogQso();
    }
}

bool EntrySequence::VoiceOn() const {
    return s_.op.Mode == QLatin1String("SSB") && act_.VoiceEnabled();
}

bool EntrySequence::StartVoice(const QString& call, int n) {
    act_.ClearTransmitIndicator();
    return call.isEmpty() ? act_.PlayVoice(n) : act_.PlayVoiceCall(call, n);
}

// The Run and S/P steps of CW with recorded messages. A message that is not
// recorded plays nothing, so each Enter takes one step at most: a missing TU
// must not let the Enter that logged go on to the next step.
void EntrySequence::VoiceEnter() {
    auto& e = s_.entry;
    const auto& f = s_.flags;
    const bool run = s_.keyer.RunMode;
    // Run, the exchange has been given: the year completes the contact and
    // the log's hand-over plays TU.
    if (CompleteRunContact()) {
        return;
    }
    const bool callIn = e.EntryLength > 2 && !f.Transmitting && !e.CallInvalid;
    const auto spaceAfterCall = [this] {
        const QString text = act_.EntryText();
        if (!text.contains(u' ')) {
            act_.SetEntryText(text + u' ');
        }
    };
    if (callIn && !run && !e.YearInvalid && IsValidForLogging(e, act_.EntryText())) {
        // S/P, the year is in: the exchange, and the contact is logged.
        ShowMessageKey(QStringLiteral("F2"));
        StartVoice(QString(), 2);
        e.EntryState = EntryStep::SearchLogged;
        act_.LogQso();
    } else if (callIn && run) {
        // Run: the call and the exchange as one message, or the exchange again.
        ShowMessageKey(QStringLiteral("F2"));
        if (e.EntryState != EntryStep::Idle) {
            StartVoice(QString(), 2);
        } else if (StartVoice(e.ShownCall, 2)) {
            e.SentCall = e.ShownCall;
            e.EntryState = EntryStep::ExchangeSent;
            spaceAfterCall();
        }
    } else if (callIn && !run && e.YearInvalid && e.EntryState == EntryStep::Idle) {
        // S/P: call the station.
        act_.ShowSearchAndPounce();
        ShowMessageKey(QStringLiteral("F4"));
        spaceAfterCall();
        StartVoice(QString(), 4);
    } else if (e.EntryLength <= 2 && !f.Transmitting && run && e.EntryState == EntryStep::Idle) {
        // Run: call CQ.
        e.CallCorrected = false;
        ShowMessageKey(QStringLiteral("F1"));
        StartVoice(QString(), 1);
        if (e.EntryLength < 2 && s_.panel.AutoS5) {
            act_.SetEntryText(QStringLiteral("S5"));
        }
    }
}

void EntrySequence::Esc() {
    if (VoiceOn()) {
        act_.StopVoice();
    }
    act_.ShowMessageKey(QString());
    act_.ClearTransmitIndicator();
    if (act_.KeyerPortOpen()) {
        act_.ClearKeyerBuffer();
    }
    act_.ShowTuneOff();
    if (s_.entry.EntryState == EntryStep::ExchangeSent) {
        s_.entry.EntryState = EntryStep::Idle;
    }
}

void EntrySequence::FunctionKey(int n) {
    if (n < 0 || n > 8) {
        return;
    }
    ShowMessageKey(QStringLiteral("F%1").arg(n + 1));
    if (VoiceOn()) {
        StartVoice(QString(), n + 1);
        return;
    }
    act_.SendMessage(s_.keyer.RunMode ? s_.messages.Run[size_t(n)] : s_.messages.SP[size_t(n)]);
}

void EntrySequence::AfterLogging() {
    auto& e = s_.entry;
    if (e.EntryState == EntryStep::ClosingDue) {
        ShowMessageKey(QStringLiteral("F3"));
        if (VoiceOn()) {
            // A corrected call is said again before TU.
            StartVoice(e.CallCorrected ? e.SentCall : QString(), 3);
        } else {
            if (e.CallCorrected) {
                StartMessage(e.SentCall);
            }
            StartMessage(s_.messages.Run[2]);
        }
        e.EntryState = EntryStep::Closed;
    } else if (e.EntryState == EntryStep::SearchLogged) {
        e.EntryState = EntryStep::Closed;
    }
}

void EntrySequence::AfterValidation() {
    auto& e = s_.entry;
    const QString& shown = e.ShownCall;
    if (e.EntryState == EntryStep::ExchangeSent &&
        (shown == QLatin1String("S5") || shown.size() < 2 || shown != e.SentCall)) {
        e.EntryState = EntryStep::Idle;
    }
    // Characters typed while the callsign is still being sent follow it.
    if (s_.flags.ExchangePending && shown.size() == e.SentCall.size() + 1) {
        e.SentCall = shown;
        act_.SendBytes(shown.right(1).toLatin1());
    }
}

}  // namespace corvatta
