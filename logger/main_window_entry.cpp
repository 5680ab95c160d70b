// The entry line's keys: which go to the Run / S-P sequence, which to the
// shared key rules, which to the keyer, and in SSB to the voice keyer.
#include "keyer/shared_keys.h"
#include "logger/entry_sequence.h"
#include "logger/main_window.h"
#include "logger/main_window_view.h"

#include <QKeyEvent>

namespace corvatta {

namespace {

bool CtrlAlone(Qt::KeyboardModifiers m) {
    return (m & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) == Qt::ControlModifier;
}

bool CtrlShift(Qt::KeyboardModifiers m) {
    return (m & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) ==
           (Qt::ControlModifier | Qt::ShiftModifier);
}

}  // namespace

void TfMain::BuildEntrySequence() {
    view_ = std::make_unique<MainWindowView>(*this, *this, state_, [this] { LogQso(); });
    sequence_ = std::make_unique<EntrySequence>(state_, *view_);
}

void TfMain::AttachKeyer(KeyerWindows* keyer) {
    view_->AttachKeyer(keyer);
}

bool TfMain::EntryKeyDown(QKeyEvent* event) {
    const bool voice = state_.op.Mode == QLatin1String("SSB") && view_->VoiceEnabled();
    // In the SSB category without voice messages the entry line knows only
    // typing, Enter and Esc.
    if (EMode->currentIndex() == 1 && !voice) {
        return false;
    }
    const int key = event->key();
    const Qt::KeyboardModifiers mods = event->modifiers();
    auto& f = state_.flags;

    if (voice) {
        if (CtrlShift(mods) && key >= Qt::Key_F1 && key <= Qt::Key_F9) {
            view_->RecordVoice(key - Qt::Key_F1 + 1);
            return true;
        }
        if (key == Qt::Key_Escape && view_->CancelVoiceRecording()) {
            return true;
        }
        // The speed keys and tune are the keyer's: in SSB they do nothing.
        if (key == Qt::Key_PageUp || key == Qt::Key_PageDown ||
            (CtrlAlone(mods) && (key == Qt::Key_T || key == Qt::Key_F5))) {
            return false;
        }
    }

    if (CtrlAlone(mods) && (key == Qt::Key_T || key == Qt::Key_F5)) {
        view_->ToggleTune();
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
        keyer::ApplySharedKey(*shared, state_.keyer, state_.flags, *view_);
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
        const bool toCw = state_.op.Mode != QLatin1String("CW");
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
