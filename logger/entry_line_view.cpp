#include "logger/entry_line_view.h"

#include "keyer/keyer_link.h"
#include "keyer/keyer_window.h"
#include "keyer/memo_window.h"
#include "keyer/winkeyer_protocol.h"
#include "platform/widget_look.h"

namespace corvatta {

using platform::PaintBackground;
using platform::PaintText;

QString EntryLineView::EntryText() const {
    return f_.ECall->text();
}

QString EntryLineView::PredictedYear() const {
    return f_.EditLL->text();
}

bool EntryLineView::KeyerPortOpen() const {
    return keyer_ && keyer_->Keyer().PortOpen();
}

bool EntryLineView::SendMessage(const QString& text) {
    return keyer_ && keyer_->Keyer().SendCwMessage(text);
}

bool EntryLineView::SendBytes(const QByteArray& bytes) {
    return keyer_ && keyer_->Keyer().SendIfOpen(bytes);
}

void EntryLineView::ClearKeyerBuffer() {
    if (keyer_) {
        keyer_->Keyer().ClearKeyerBuffer();
    }
}

keyer::TfMemo* EntryLineView::VisibleMemo() const {
    keyer::TfMemo* memo = keyer_ ? keyer_->BuiltMemoWindow() : nullptr;
    return memo && memo->isVisible() ? memo : nullptr;
}

void EntryLineView::SetEntryText(const QString& text) {
    f_.ECall->setText(text);
    f_.ECall->end(false);
}

void EntryLineView::ShowMessageKey(const QString& key) {
    f_.LMemo->setText(key);
}

void EntryLineView::ClearTransmitIndicator() {
    f_.LTransmit->clear();
}

void EntryLineView::ShowSearchAndPounce() {
    f_.LRun->setText(QStringLiteral("S/P"));
    PaintText(f_.LRun, colors::ColorBlack);
}

void EntryLineView::PaintModeBusy() {
    PaintBackground(f_.BMode, colors::ColorBusy);
}

void EntryLineView::ShowTuneOff() {
    if (keyer::TfMemo* memo = VisibleMemo()) {
        memo->ShowTune(false);
    }
}

void EntryLineView::SpeedStepped(int wpm) {
    if (KeyerPortOpen()) {
        SendBytes(keyer::SetSpeedCommand(wpm));
    }
    f_.LSpeed->setText(QString::number(wpm));
}

void EntryLineView::ShowRunMode(bool run) {
    f_.LRun->setText(run ? QStringLiteral("RUN") : QStringLiteral("S/P"));
    PaintText(f_.LRun, run ? colors::ColorRed : colors::ColorBlack);
    // The memo keeps the mark until it is shown, as a window that was there
    // all along would.
    if (keyer_) {
        keyer_->MemoWindow().ShowRunMode(run);
    }
}

void EntryLineView::ClearMessageKey() {
    f_.LMemo->clear();
}

bool EntryLineView::EsmShown() const {
    return !f_.LESM->isHidden();
}

void EntryLineView::ShowEsm(bool on) {
    f_.LESM->setVisible(on);
    if (!keyer_) {
        return;
    }
    if (keyer::TfWK* wk = keyer_->BuiltKeyerWindow()) {
        wk->ShowEsmChoice(on);  // the options window's check box and the memo's mark
    } else {
        // An options window not built yet takes the choice from the state
        // when it is filled.
        keyer_->MemoWindow().ShowEsm(on);
    }
}

bool EntryLineView::AutoS5() const {
    return f_.CS5->isChecked();
}

void EntryLineView::WipeEntry(const QString& text) {
    f_.ECall->setText(text);
    f_.LTransmit->clear();
    f_.ECall->end(false);
    f_.EditLL->clear();
}

void EntryLineView::ToggleTune() {
    if (state_.flags.KeyerReady && keyer_) {
        if (const auto on = keyer_->Keyer().ToggleTune()) {
            if (keyer::TfMemo* memo = VisibleMemo()) {
                memo->ShowTune(*on);
            }
        }
    }
}

}  // namespace corvatta
