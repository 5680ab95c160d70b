// The logger's three windows as the program runs them: the main window, the
// keyer options window (which owns the serial port to the keyer) and the
// memo window, created in that order and wired together. Tests build the
// same assembly the program runs.
#pragma once

#include "keyer/keyer_window.h"
#include "keyer/main_window_link.h"
#include "keyer/memo_window.h"
#include "logger/main_window.h"

namespace corvatta {

class Program {
  public:
    // `keyerWait` blocks between the keyer's start-up commands: the real
    // sleep in the program, something quicker in tests that allow it.
    Program(StationState& state, platform::Clock& clock,
            keyer::KeyerWait keyerWait = keyer::SleepOnUiThread);

    // Members are destroyed in reverse: the memo, then the keyer window
    // (closing the port and ending its thread), then the main window.
    TfMain main;
    keyer::WidgetMainWindowLink link;
    keyer::TfWK wk;
    keyer::TfMemo memo;
};

}  // namespace corvatta
