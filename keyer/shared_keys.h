// The keys the entry line and the keyer window's command line share: PgUp and
// PgDn step the PC speed, F10 switches between Run and S/P, F11 switches ESM,
// F12 wipes the entry line. The rules live here once; each window says through
// SharedKeyView how it shows the outcome.
#pragma once

#include "station/station_state.h"

#include <QString>
#include <optional>

namespace corvatta::keyer {

// PgUp steps only while the speed is below the ceiling, PgDn only while it is
// above the floor. The bound is tested before the step, so a step of 2 may
// pass it once (49 -> 51, 11 -> 9).
inline constexpr int kSpeedKeyCeiling = 50;
inline constexpr int kSpeedKeyFloor = 10;

enum class SharedKey { SpeedUp, SpeedDown, RunToggle, EsmToggle, Wipe };

// The shared key a Qt key code stands for (modifiers make no difference).
std::optional<SharedKey> SharedKeyOf(int qtKey);

// The speed after PgUp (up) or PgDn, or nothing when the key does nothing:
// the keys work only while the keyer is connected (ComConnected).
std::optional<int> SteppedSpeed(const KeyerSettings& keyer, bool up);

// What a window shows when a shared key has changed the state.
class SharedKeyView {
  public:
    virtual ~SharedKeyView() = default;

    // PgUp/PgDn: Speed already holds the new value; show it (and send it).
    virtual void SpeedStepped(int wpm) = 0;
    // F10: RunMode already switched; LRun and the memo's LMemoRun show it.
    virtual void ShowRunMode(bool run) = 0;
    // F10: the Run/S-P sequence of the entry line goes back to idle.
    virtual void ResetEntrySequence() = 0;
    // F10: the message label LMemo is cleared.
    virtual void ClearMessageKey() = 0;
    // F11: whether ESM shows as on (the main window's LESM).
    virtual bool EsmShown() const = 0;
    // F11: EnterSendMsg already switched; CBESM, LESM and the memo's LMemoESM
    // show it.
    virtual void ShowEsm(bool on) = 0;
    // F12: whether new entries start with "S5" (the main window's CS5).
    virtual bool AutoS5() const = 0;
    // F12: the entry line gets `text`, LTransmit and EditLL are cleared and
    // the entry line's caret goes to its end.
    virtual void WipeEntry(const QString& text) = 0;
};

// Applies a shared key to the state its rules own (Speed, RunMode,
// EnterSendMsg, LastMessageKey) and tells `view` what to show. Every shared
// key is consumed by the window, whether it changed anything or not.
void ApplySharedKey(SharedKey key, KeyerSettings& keyer, KeyerFlags& flags, SharedKeyView& view);

}  // namespace corvatta::keyer
