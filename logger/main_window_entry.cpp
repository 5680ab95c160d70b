// The entry line's keys: which go to the Run / S-P sequence, which to the
// keyer, and how the sequence's requests reach the window and the keyer.
#include "keyer/keyer_link.h"
#include "keyer/keyer_window.h"
#include "keyer/memo_window.h"
#include "keyer/shared_keys.h"
#include "keyer/winkeyer_protocol.h"
#include "logger/entry_sequence.h"
#include "logger/log_menu.h"
#include "logger/main_window.h"

#include <QApplication>
#include <QKeyEvent>

namespace corvatta {

namespace {

bool CtrlAlone(Qt::KeyboardModifiers m) {
    return (m & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) == Qt::ControlModifier;
}

}  // namespace

// The window's side of the sequence: the entry line, its labels and the keyer.
class TfMain::EntryWindowActions final : public EntryActions, public keyer::SharedKeyView {
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

    // The shared keys (PgUp, PgDn, F10, F11, F12) as the main window shows them.
    void SpeedStepped(int wpm) override {
        if (w_.KeyerPortOpen()) {
            w_.SendBytes(keyer::SetSpeedCommand(wpm));
        }
        w_.LSpeed->setText(QString::number(wpm));
    }
    void ShowRunMode(bool run) override {
        w_.LRun->setText(run ? QStringLiteral("RUN") : QStringLiteral("S/P"));
        PaintText(w_.LRun, run ? colors::ColorRed : colors::ColorBlack);
        if (w_.memo_) {
            w_.memo_->ShowRunMode(run);
        }
    }
    void ResetEntrySequence() override { w_.state_.entry.EntryState = 0; }
    void ClearMessageKey() override { w_.LMemo->clear(); }
    bool EsmShown() const override { return !w_.LESM->isHidden(); }
    void ShowEsm(bool on) override {
        w_.LESM->setVisible(on);
        if (w_.wk_) {
            w_.wk_->ShowEsmChoice(on);  // the options window's check box and the memo's mark
        } else if (w_.memo_) {
            w_.memo_->ShowEsm(on);
        }
    }
    bool AutoS5() const override { return w_.CS5->isChecked(); }
    void WipeEntry(const QString& text) override {
        w_.ECall->setText(text);
        w_.LTransmit->clear();
        w_.ECall->end(false);
        w_.EditLL->clear();
    }

  private:
    TfMain& w_;
};

void TfMain::BuildEntrySequence() {
    auto actions = std::make_unique<EntryWindowActions>(*this);
    sharedKeys_ = actions.get();
    entryActions_ = std::move(actions);
    sequence_ = std::make_unique<EntrySequence>(state_, *entryActions_);
}

void TfMain::AttachKeyer(keyer::TfWK* wk, keyer::TfMemo* memo) {
    wk_ = wk;
    memo_ = memo;
}

bool TfMain::KeyerPortOpen() const {
    return wk_ && wk_->Link().PortOpen();
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
    if (const auto shared = keyer::SharedKeyOf(key)) {
        keyer::ApplySharedKey(*shared, state_.keyer, state_.flags, *sharedKeys_);
        return true;
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F9) {
        sequence_->FunctionKey(key - Qt::Key_F1);
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
