#include "logger/main_window_view.h"

#include "keyer/keyer_link.h"
#include "keyer/keyer_window.h"
#include "keyer/memo_window.h"
#include "keyer/winkeyer_protocol.h"
#include "logger/voice_window.h"
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

void MainWindowView::AttachVoice(VoiceWindows* voice) {
    voice_ = voice;
    if (!voice_) {
        return;
    }
    VoiceKeyer& keyer = voice_->KeyerAsIs();
    auto& flags = state_.flags;
    // As the keyer's busy and idle reports do in CW; a message replaced by
    // another ends while the new one already plays.
    QObject::connect(&keyer, &VoiceKeyer::started, &window_,
                     [&flags] { flags.Transmitting = true; });
    QObject::connect(&keyer, &VoiceKeyer::finished, &window_, [&flags, &keyer] {
        flags.Transmitting = keyer.Playing();
        if (!flags.Transmitting) {
            flags.LastMessageKey.clear();
        }
    });
    QObject::connect(&keyer, &VoiceKeyer::statusChanged, &window_, [this](const QString& status) {
        if (!status.isEmpty()) {
            ShowVoiceStatus(status);
        }
    });
    QObject::connect(&voice_->Recorder(), &VoiceRecorder::failed, &window_,
                     [this] { ShowVoiceStatus(voice_->Recorder().Reason()); });
}

serial::TCustomComPort* MainWindowView::KeyerPort() const {
    return keyer_ ? keyer_->Keyer().Port() : nullptr;
}

bool MainWindowView::VoiceEnabled() const {
    return voice_ && voice_->Settings().Enabled;
}

bool MainWindowView::Played(bool played) {
    VoiceKeyer& keyer = voice_->Keyer();
    state_.flags.Transmitting = keyer.Playing();
    if (!played && !keyer.Status().isEmpty()) {
        ShowVoiceStatus(keyer.Status());
    }
    return played;
}

bool MainWindowView::PlayVoice(int n) {
    if (!voice_ || voice_->Recorder().Recording()) {
        return false;
    }
    const VoiceSet set = state_.keyer.RunMode ? VoiceSet::Run : VoiceSet::SearchPounce;
    return Played(voice_->Keyer().PlayMessage(set, n));
}

bool MainWindowView::PlayVoiceCall(const QString& call, int n) {
    if (!voice_ || voice_->Recorder().Recording()) {
        return false;
    }
    const VoiceSet set = state_.keyer.RunMode ? VoiceSet::Run : VoiceSet::SearchPounce;
    return Played(voice_->Keyer().PlayCall(call, set, n));
}

void MainWindowView::StopVoice() {
    if (voice_) {
        voice_->Keyer().Stop();
    }
}

void MainWindowView::RecordVoice(int n) {
    if (!voice_) {
        return;
    }
    VoiceRecorder& recorder = voice_->Recorder();
    const bool run = state_.keyer.RunMode;
    const QString file = VoiceMessageFile(run ? VoiceSet::Run : VoiceSet::SearchPounce, n);
    if (recorder.Recording()) {
        if (recorder.FileName() == file) {
            ShowVoiceStatus(recorder.Finish() ? QStringLiteral("F%1 je posneto.").arg(n)
                                              : recorder.Reason());
            voice_->RecordingChanged();
        }
        return;
    }
    voice_->Keyer().Stop();
    ShowVoiceStatus(recorder.Start(file, voice_->Settings().Input)
                        ? QStringLiteral("Snemam F%1 (%2): Ctrl+Shift+F%1 shrani, Esc prekliče.")
                              .arg(n)
                              .arg(run ? QStringLiteral("Run") : QStringLiteral("S/P"))
                        : recorder.Reason());
    voice_->RecordingChanged();
}

bool MainWindowView::CancelVoiceRecording() {
    if (!voice_ || !voice_->Recorder().Recording()) {
        return false;
    }
    voice_->Recorder().Cancel();
    ShowVoiceStatus(QStringLiteral("Snemanje je preklicano; prejšnji posnetek ostaja."));
    voice_->RecordingChanged();
    return true;
}

void MainWindowView::ShowVoiceStatus(const QString& text) {
    f_.LTransmit->setText(text);
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
