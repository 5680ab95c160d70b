// The basic settings of the serial port in an INI document: section "ComPort", the keys Port,
// BaudRate, CustomBaudRate (only for Custom), StopBits, DataBits, Parity and FlowControl, in
// this order, as text forms.
#pragma once

#include "com_types.h"

#include "platform/ini_file.h"

namespace serial {

inline const QString kComPortSection = QStringLiteral("ComPort");

// The settings `current` with the stored basic settings read over it. A missing section
// leaves everything as it is; a missing key keeps its current value, except CustomBaudRate,
// which is 9600 when BaudRate reads "Custom" without it; a FlowControl text outside the
// table (or "Custom") leaves the flow-control fields unchanged.
TComSettings ReadComSettings(const platform::IniDocument& doc, const QString& section,
                             TComSettings current);

void WriteComSettings(platform::IniDocument& doc, const QString& section,
                      const TComSettings& settings);

}  // namespace serial
