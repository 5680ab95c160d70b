#include "keyer/shared_keys.h"

#include <Qt>

namespace corvatta::keyer {

std::optional<SharedKey> SharedKeyOf(int qtKey) {
    switch (qtKey) {
        case Qt::Key_PageUp:
            return SharedKey::SpeedUp;
        case Qt::Key_PageDown:
            return SharedKey::SpeedDown;
        case Qt::Key_F10:
            return SharedKey::RunToggle;
        case Qt::Key_F11:
            return SharedKey::EsmToggle;
        case Qt::Key_F12:
            return SharedKey::Wipe;
        default:
            return std::nullopt;
    }
}

std::optional<int> SteppedSpeed(const KeyerSettings& keyer, bool up) {
    if (!keyer.ComConnected) {
        return std::nullopt;
    }
    if (up) {
        if (keyer.Speed < kSpeedKeyCeiling) {
            return keyer.Speed + keyer.SpeedStep;
        }
    } else if (keyer.Speed > kSpeedKeyFloor) {
        return keyer.Speed - keyer.SpeedStep;
    }
    return std::nullopt;
}

void ApplySharedKey(SharedKey key, KeyerSettings& keyer, KeyerFlags& flags, SharedKeyView& view) {
    switch (key) {
        case SharedKey::SpeedUp:
        case SharedKey::SpeedDown:
            if (const std::optional<int> speed = SteppedSpeed(keyer, key == SharedKey::SpeedUp)) {
                keyer.Speed = *speed;
                view.SpeedStepped(*speed);
            }
            break;
        case SharedKey::RunToggle:
            keyer.RunMode = !keyer.RunMode;
            view.ShowRunMode(keyer.RunMode);
            view.ResetEntrySequence();
            view.ClearMessageKey();
            break;
        case SharedKey::EsmToggle: {
            const bool on = !view.EsmShown();
            keyer.EnterSendMsg = on;
            view.ShowEsm(on);
            break;
        }
        case SharedKey::Wipe:
            flags.LastMessageKey = QStringLiteral("Wipe");
            view.WipeEntry(view.AutoS5() ? QStringLiteral("S5") : QString());
            break;
    }
}

}  // namespace corvatta::keyer
