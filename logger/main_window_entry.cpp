// The entry line's keys: which go to the Run / S-P sequence, which to the
// keyer, and how the sequence's requests reach the window and the keyer.
#include "keyer/keyer_window.h"
#include "keyer/memo_window.h"
#include "keyer/winkeyer_protocol.h"
#include "logger/entry_sequence.h"
#include "logger/main_window.h"

#include <QKeyEvent>

namespace corvatta {

namespace {

constexpr int kSpeedCeiling = 50;  // PgUp steps only below this
constexpr int kSpeedFloor = 10;    // PgDn steps only above this

bool CtrlAlone(Qt::KeyboardModifiers m) {
    return (m & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) == Qt::ControlModifier;
}

}  // namespace

// The window's side of the sequence: the entry line, its labels and the keyer.
class TfMain::EntryWindowActions final : public EntryActions {
  public:
    explicit EntryWindowActions(TfMain& w) : w_(w) {}
    QString EntryText() const override { return w_.ECall->text(); }
    QString PredictedYear() const override { return w_.EditLL->text(); }
    bool KeyerPortOpen() const override { return w_.KeyerPortOpen(); }
    bool SendMessage(const QString& text) override { return w_.wk_ && w_.wk_->SendCwMessage(text); }
    bool SendBytes(const QByteArray& bytes) override { return w_.SendBytes(bytes); }
    void ClearKeyerBuffer() override {
        if (w_.wk_) {
            w_.wk_->ClearKeyerBuffer();
        }
    }
    void LogQso() override { w_.LogQso(); }
    void SetEntryText(const QString& text) override {
        w_.ECall->setText(text);
        w_.ECall->end(false);
    }
    void ShowMessageKey(const QString& key) override { w_.LMemo->setText(key); }
    void ClearTransmitIndicator() override { w_.LTransmit->clear(); }
    void ShowSearchAndPounce() override {
        w_.LRun->setText(QStringLiteral("S/P"));
        PaintText(w_.LRun, colors::ColorBlack);
    }
    void PaintModeBusy() override { PaintBackground(w_.BMode, colors::ColorBusy); }
    void ShowTuneOff() override {
        if (w_.memo_ && w_.memo_->isVisible()) {
            w_.memo_->ShowTune(false);
        }
    }

  private:
    TfMain& w_;
};

void TfMain::BuildEntrySequence() {
    entryActions_ = std::make_unique<EntryWindowActions>(*this);
    sequence_ = std::make_unique<EntrySequence>(state_, *entryActions_);
}

void TfMain::AttachKeyer(keyer::TfWK* wk, keyer::TfMemo* memo) {
    wk_ = wk;
    memo_ = memo;
}

bool TfMain::KeyerPortOpen() const {
    return wk_ && wk_->ComPort->Connected();
}

bool TfMain::SendBytes(const QByteArray& bytes) {
    return wk_ && wk_->SendToKeyer(bytes);
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
        sequence_->FunctionKey(key - Qt::Key_F1);
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

void TfMain::EnterPressed() {
    sequence_->Enter();
}

void TfMain::EscPressed() {
    sequence_->Esc();
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
