#include "logger/main_window_view.h"

#include "keyer/keyer_link.h"
#include "keyer/keyer_window.h"
#include "keyer/memo_window.h"
#include "keyer/winkeyer_protocol.h"
#include "platform/widget_look.h"

#include <QWidget>

namespace corvatta {

using platform::PaintBackground;
using platform::PaintText;

QString MainWindowView::EntryText() const {
    return f_.ECall->text();
}

void MainWindowView::SetEntryText(const QString& text) {
    f_.ECall->setText(text);
    f_.ECall->end(false);
}

void MainWindowView::ShowMessageKey(const QString& key) {
    f_.LMemo->setText(key);
}

void MainWindowView::SetModeButtonColor(const QString& colorText) {
    PaintBackground(f_.BMode, colorText);
}

void MainWindowView::SetKeyerFieldColor(const QString& colorText) {
    PaintBackground(f_.EWinkeyer, colorText);
}

void MainWindowView::ShowSpeed(int wpm) {
    f_.LSpeed->setText(QString::number(wpm));
}

void MainWindowView::ShowPaddleSpeed(int wpm) {
    f_.LSpeedPaddle->setText(QString::number(wpm));
}

void MainWindowView::AppendTransmitted(const QString& text) {
    f_.LTransmit->setText(f_.LTransmit->text() + text);
}

void MainWindowView::ClearTransmitted() {
    f_.LTransmit->clear();
}

void MainWindowView::ShowRunLabel(bool run) {
    f_.LRun->setText(run ? QStringLiteral("RUN") : QStringLiteral("S/P"));
    PaintText(f_.LRun, run ? colors::ColorRed : colors::ColorBlack);
}

bool MainWindowView::EsmLabelVisible() const {
    return f_.LESM->isVisible();
}

void MainWindowView::ShowEsmLabel(bool visible) {
    f_.LESM->setVisible(visible);
}

bool MainWindowView::EntryVisible() const {
    return f_.ECall->isVisible();
}

void MainWindowView::MoveEntryCaretToEnd() {
    f_.ECall->end(false);
}

void MainWindowView::FocusEntryEnd() {
    f_.ECall->setFocus();
    f_.ECall->end(false);
}

void MainWindowView::ClearExchangeField() {
    f_.EditLL->clear();
}

bool MainWindowView::AutoS5Checked() const {
    return f_.CS5->isChecked();
}

QPoint MainWindowView::MainWindowPosition() const {
    return window_.pos();
}

QString MainWindowView::PredictedYear() const {
    return f_.EditLL->text();
}

bool MainWindowView::KeyerPortOpen() const {
    return keyer_ && keyer_->Keyer().PortOpen();
}

bool MainWindowView::SendMessage(const QString& text) {
    return keyer_ && keyer_->Keyer().SendCwMessage(text);
}

bool MainWindowView::SendBytes(const QByteArray& bytes) {
    return keyer_ && keyer_->Keyer().SendIfOpen(bytes);
}

void MainWindowView::ClearKeyerBuffer() {
    if (keyer_) {
        keyer_->Keyer().ClearKeyerBuffer();
    }
}

keyer::TfMemo* MainWindowView::VisibleMemo() const {
    keyer::TfMemo* memo = keyer_ ? keyer_->BuiltMemoWindow() : nullptr;
    return memo && memo->isVisible() ? memo : nullptr;
}

void MainWindowView::PaintModeBusy() {
    SetModeButtonColor(colors::ColorBusy);
}

void MainWindowView::ShowTuneOff() {
    if (keyer::TfMemo* memo = VisibleMemo()) {
        memo->ShowTune(false);
    }
}

void MainWindowView::SpeedStepped(int wpm) {
    if (KeyerPortOpen()) {
        SendBytes(keyer::SetSpeedCommand(wpm));
    }
    ShowSpeed(wpm);
}

void MainWindowView::ShowRunMode(bool run) {
    ShowRunLabel(run);
    // The memo keeps the mark until it is shown, as a window that was there
    // all along would.
    if (keyer_) {
        keyer_->MemoWindow().ShowRunMode(run);
    }
}

void MainWindowView::ClearMessageKey() {
    f_.LMemo->clear();
}

bool MainWindowView::EsmShown() const {
    return !f_.LESM->isHidden();
}

void MainWindowView::ShowEsm(bool on) {
    ShowEsmLabel(on);
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

void MainWindowView::WipeEntry(const QString& text) {
    f_.ECall->setText(text);
    f_.LTransmit->clear();
    f_.ECall->end(false);
    f_.EditLL->clear();
}

void MainWindowView::ToggleTune() {
    if (state_.flags.KeyerReady && keyer_) {
        if (const auto on = keyer_->Keyer().ToggleTune()) {
            if (keyer::TfMemo* memo = VisibleMemo()) {
                memo->ShowTune(*on);
            }
        }
    }
}

}  // namespace corvatta
