// The entry line's keys and the Run / S-P sequences that Enter walks with
// ESM: which message goes to the keyer, when a contact is logged, and how
// the sequence moves on when the keyer reports back.
#include "keyer/cw_message.h"
#include "keyer/keyer_window.h"
#include "keyer/memo_window.h"
#include "keyer/winkeyer_protocol.h"
#include "logger/main_window.h"
#include "logger/validation.h"

#include <QKeyEvent>

namespace corvatta {

namespace {

constexpr int kSpeedCeiling = 50;  // PgUp steps only below this
constexpr int kSpeedFloor = 10;    // PgDn steps only above this

bool CtrlAlone(Qt::KeyboardModifiers m) {
    return (m & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) == Qt::ControlModifier;
}

}  // namespace

void TfMain::AttachKeyer(keyer::TfWK* wk, keyer::TfMemo* memo) {
    wk_ = wk;
    memo_ = memo;
}

bool TfMain::KeyerPortOpen() const {
    return wk_ && wk_->ComPort->Connected();
}

bool TfMain::SendMessage(const QString& text) {
    return wk_ && wk_->SendCwMessage(text);
}

bool TfMain::SendBytes(const QByteArray& bytes) {
    return wk_ && wk_->SendToKeyer(bytes);
}

void TfMain::ShowMessageKey(const QString& key) {
    state_.flags.LastMessageKey = key;
    LMemo->setText(key);
}

// Starts a message as the sequence does: the keyer counts as busy from
// here on. When nothing could be written the flags stay as they were, or
// Enter would wait for an idle report that never comes.
bool TfMain::StartMessage(const QString& text) {
    auto& f = state_.flags;
    const bool wasTransmitting = f.Transmitting;
    f.Transmitting = true;
    LTransmit->clear();
    if (!SendMessage(text)) {
        f.Transmitting = wasTransmitting;
        return false;
    }
    return true;
}

bool TfMain::EntryKeyDown(QKeyEvent* event) {
    // In the SSB category the entry line knows only typing, Enter and Esc.
    if (EMode->currentIndex() == 1) {
        return false;
    }
    const int key = event->key();
    const Qt::KeyboardModifiers mods = event->modifiers();
    auto& k = state_.keyer;
    auto& f = state_.flags;

    if (CtrlAlone(mods) && (key == Qt::Key_T || key == Qt::Key_F5)) {
        if (f.KeyerReady && wk_) {
            if (const auto on = wk_->ToggleTune(); on && memo_ && memo_->isVisible()) {
                memo_->ShowTune(*on);
            }
        }
        FocusEnd(ECall);
        return true;
    }
    if (CtrlAlone(mods) && key >= Qt::Key_F1 && key <= Qt::Key_F4) {
        if (state_.ProfileKeysEnabled && ECall->text().size() <= 2 && !f.Transmitting) {
            LoadProfileAndRefresh(key - Qt::Key_F1 + 1);
        }
        return true;
    }
    if (key == Qt::Key_PageUp || key == Qt::Key_PageDown) {
        if (k.ComConnected) {
            const bool up = key == Qt::Key_PageUp;
            // The bound is tested before the step, so a step of 2 may pass
            // it once (49 -> 51).
            if (up ? k.Speed < kSpeedCeiling : k.Speed > kSpeedFloor) {
                k.Speed += up ? k.SpeedStep : -k.SpeedStep;
                if (KeyerPortOpen()) {
                    SendBytes(keyer::SetSpeedCommand(k.Speed));
                }
                LSpeed->setText(QString::number(k.Speed));
            }
        }
        return true;
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F9) {
        const int n = key - Qt::Key_F1;
        ShowMessageKey(QStringLiteral("F%1").arg(n + 1));
        SendMessage(k.RunMode ? state_.messages.Run[size_t(n)] : state_.messages.SP[size_t(n)]);
        return true;
    }
    if (key == Qt::Key_F10) {
        k.RunMode = !k.RunMode;
        LRun->setText(k.RunMode ? QStringLiteral("RUN") : QStringLiteral("S/P"));
        PaintText(LRun, k.RunMode ? colors::ColorRed : colors::ColorBlack);
        if (memo_) {
            memo_->ShowRunMode(k.RunMode);
        }
        state_.entry.EntryState = 0;
        LMemo->clear();
        return true;
    }
    if (key == Qt::Key_F11) {
        const bool on = LESM->isHidden();
        if (wk_) {
            wk_->CBESM->setChecked(on);  // its handler sets EnterSendMsg and LESM
        } else {
            k.EnterSendMsg = on;
            LESM->setVisible(on);
        }
        if (memo_) {
            memo_->LMemoESM->setVisible(on);
        }
        return true;
    }
    if (key == Qt::Key_F12) {
        f.LastMessageKey = QStringLiteral("Wipe");
        ResetEntryLine();
        LTransmit->clear();
        ECall->end(false);
        EditLL->clear();
        return true;
    }
    return false;
}

void TfMain::EscPressed() {
    LMemo->clear();
    LTransmit->clear();
    if (KeyerPortOpen()) {
        wk_->ClearKeyerBuffer();
    }
    if (memo_ && memo_->isVisible()) {
        memo_->ShowTune(false);
    }
    if (state_.entry.EntryState == 1) {
        state_.entry.EntryState = 0;
    }
}

void TfMain::EnterPressed() {
    auto& e = state_.entry;
    auto& f = state_.flags;
    const auto& k = state_.keyer;
    const auto& run = state_.messages.Run;
    const bool cw = state_.op.Mode == QLatin1String("CW");
    const bool ssb = state_.op.Mode == QLatin1String("SSB");
    e.EntryLength = int(ECall->text().size());

    if (cw && k.EnterSendMsg && f.KeyerReady) {
        // A1: Run, the exchange has been sent; the year completes the contact.
        if (e.EntryState == 1 && !f.Transmitting && k.RunMode && !e.CallInvalid) {
            if (e.YearInvalid && !EditLL->text().isEmpty()) {
                const QString text = ECall->text();
                ECall->setText(text + (text.contains(u' ') ? QString() : QStringLiteral(" ")) +
                               EditLL->text());
                e.YearInvalid = false;
            }
            if (!e.YearInvalid && IsValidForLogging(e, ECall->text())) {
                if (LInfo->text() != e.SentCall) {
                    e.CallCorrected = true;
                    e.SentCall = LInfo->text();
                }
                e.EntryState = 2;
                LogQso();
            }
        }
        // A2: S/P, the year is in: the exchange goes out and the contact is logged.
        if (e.EntryLength > 2 && !f.Transmitting && !k.RunMode && !e.CallInvalid &&
            !e.YearInvalid && IsValidForLogging(e, ECall->text())) {
            ShowMessageKey(QStringLiteral("F2"));
            QString exchange = run[1];
            keyer::ApplyShortCharacters(exchange, state_.shortChars, state_.op.MyYearLic);
            StartMessage(exchange);
            e.EntryState = 5;
            LogQso();
        }
        // A3: Run: the callsign, or the exchange once more.
        if (e.EntryLength > 2 && !f.Transmitting && k.RunMode && !e.CallInvalid &&
            !f.ExchangePending) {
            if (e.EntryState != 0) {
                ShowMessageKey(QStringLiteral("F2"));
                StartMessage(run[1]);
            } else {
                const bool wasTransmitting = f.Transmitting;
                f.Transmitting = true;
                LTransmit->clear();
                e.SentCall = LInfo->text();
                f.LastMessageKey = QStringLiteral("F5");
                f.ExchangePending = true;
                if (SendBytes(ECall->text().toLatin1())) {
                    PaintBackground(BMode, colors::ColorBusy);
                } else {
                    f.Transmitting = wasTransmitting;
                    f.ExchangePending = false;
                }
            }
        }
        // A4: S/P: call the station.
        if (e.EntryLength > 2 && !f.Transmitting && !k.RunMode && !e.CallInvalid && e.YearInvalid &&
            e.EntryState == 0) {
            LRun->setText(QStringLiteral("S/P"));
            PaintText(LRun, colors::ColorBlack);
            ShowMessageKey(QStringLiteral("F4"));
            if (!ECall->text().contains(u' ')) {
                ECall->setText(ECall->text() + u' ');
            }
            StartMessage(run[3]);
        }
        // A5: Run: call CQ.
        if (e.EntryLength <= 2 && !f.Transmitting && k.RunMode && e.EntryState == 0) {
            e.CallCorrected = false;
            ShowMessageKey(QStringLiteral("F1"));
            StartMessage(run[0]);
            if (e.EntryLength < 2 && CS5->isChecked()) {
                ECall->setText(QStringLiteral("S5"));
                ECall->end(false);
            }
        }
    }
    // B to D, for every Enter.
    if (e.EntryState == 4) {
        e.EntryState = 0;
    }
    const bool valid = IsValidForLogging(e, ECall->text());
    if (valid && ((cw && !k.EnterSendMsg) || ssb)) {
        LogQso();
    }
}

void TfMain::HandOverAfterLogging() {
    auto& e = state_.entry;
    if (e.EntryState == 2) {
        const auto& run = state_.messages.Run;
        ShowMessageKey(QStringLiteral("F3"));
        if (e.CallCorrected) {
            StartMessage(e.SentCall);
        }
        StartMessage(run[2]);
        e.EntryState = 4;
    } else if (e.EntryState == 5) {
        e.EntryState = 4;
    }
}

void TfMain::EntryChecksAfterChange() {
    auto& e = state_.entry;
    auto& f = state_.flags;
    const QString shown = LInfo->text();
    if (e.EntryState == 1 &&
        (shown == QLatin1String("S5") || shown.size() < 2 || shown != e.SentCall)) {
        e.EntryState = 0;
    }
    // Characters typed while the callsign is still being sent follow it.
    if (f.ExchangePending && shown.size() == e.SentCall.size() + 1) {
        e.SentCall = shown;
        SendBytes(shown.right(1).toLatin1());
    }
}

void TfMain::BModeClick() {
    if (EMode->currentIndex() == 2) {
        const bool toCw = BMode->text() != QLatin1String("  CW");
        state_.op.Mode = toCw ? QStringLiteral("CW") : QStringLiteral("SSB");
        BMode->setText(toCw ? QStringLiteral("  CW") : QStringLiteral(" SSB"));
        ShowKeyerControls(toCw);
    }
    FocusEnd(Pdata->isVisible() ? EMyCall : ECall);
    if (!ECall->text().isEmpty()) {
        ValidateEntry();
    }
}

}  // namespace corvatta
