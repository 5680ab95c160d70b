// The logger as the program runs it: the main window, the link to the keyer
// (which owns the serial port) and, built the first time they are needed,
// the keyer options window and the memo window, all wired together. Tests
// build the same assembly the program runs.
#pragma once

#include "keyer/keyer_link.h"
#include "keyer/keyer_window.h"
#include "keyer/memo_window.h"
#include "logger/main_window.h"
#include "logger/practice_mode.h"
#include "logger/practice_window.h"
#include "logger/statistics_window.h"
#include "logger/voice_window.h"

#include <QPoint>

#include <memory>

namespace corvatta {

class Program final : public KeyerWindows {
  public:
    // `keyerWait` blocks between the keyer's start-up commands: the real
    // sleep in the program, something quicker in tests that allow it.
    Program(StationState& state, platform::Clock& clock,
            keyer::KeyerWait keyerWait = keyer::SleepOnUiThread);
    ~Program() override;

    // KeyerWindows. The options window is built when it is asked for or the
    // link first opens (from then on it follows the link's reports); the memo
    // window when it is shown or something shows a mark in it, and with the
    // options window, whose "Form Memo" box and keys reach it.
    keyer::KeyerLink& Keyer() override { return keyer; }
    keyer::TfWK* BuiltKeyerWindow() override { return wk_.get(); }
    keyer::TfMemo* BuiltMemoWindow() override { return memo_.get(); }
    keyer::TfMemo& MemoWindow() override;
    keyer::TfWK& KeyerWindow();
    StatisticsWindows& Statistics() { return *statistics_; }
    // The voice keyer for SSB and its window.
    VoiceWindows& Voice() { return *voice_; }
    // Practice sessions with the built-in keyer.
    PracticeMode& Practice() { return *practice_; }
    // Starts a session (the command line's --practice) and shows the
    // set-up window with it; a session that cannot start says why there.
    void StartPractice(const practice::PracticeSettings& settings);
    // The practice set-up ("Ostalo" > "Vaja") and results windows, built
    // when first needed.
    PracticeSetupWindow& PracticeSetup();
    PracticeResultsWindow& PracticeResults();

    // Members are destroyed in reverse: the memo and the keyer windows, then
    // the link (closing the port and ending its thread), then the main window.
    TfMain main;
    keyer::KeyerLink keyer;

  private:
    StationState& state_;
    // Where the main window stood when the program started: the memo window
    // sits against that place, whenever it is built.
    QPoint mainAtStart_;
    std::unique_ptr<keyer::TfWK> wk_;
    std::unique_ptr<keyer::TfMemo> memo_;
    // Last, so its windows go before the main window they stand beside.
    std::unique_ptr<StatisticsWindows> statistics_;
    // Before the main window goes: its PTT is released through the rig link.
    std::unique_ptr<VoiceWindows> voice_;
    std::unique_ptr<PracticeSetupWindow> practiceSetup_;
    std::unique_ptr<PracticeResultsWindow> practiceResults_;
    // First to go: a session still running gives the keyer link its own
    // port and the main window the contest log back.
    std::unique_ptr<PracticeMode> practice_;
};

}  // namespace corvatta
