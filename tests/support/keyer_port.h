// The keyer window's line settings (1200 baud, DTR on, XON/XOFF both ways) on
// a port under test, usually the WinKeyer simulator's pseudo-terminal.
#pragma once

#include "serial/com_port.h"

namespace testing_support {

inline void ConfigureForKeyer(serial::TCustomComPort& port, const QString& path) {
    port.BeginSettingsChange();
    port.SetPort(path);
    port.SetBaudRate(serial::br1200);
    serial::TComFlowControl flow;
    flow.ControlDTR = serial::dtrEnable;
    flow.XonXoffIn = flow.XonXoffOut = true;
    port.SetFlowControl(flow);
    port.EndSettingsChange();
}

}  // namespace testing_support
