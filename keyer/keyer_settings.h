// The keyer's settings in the port and profile file: the serial port's
// section and the keyer window's place. No window is needed to read or write
// them; the keyer window only shows what fails.
#pragma once

#include "serial/com_port.h"
#include "station/station_state.h"

#include <QString>
#include <optional>

namespace corvatta::keyer {

// Corvatta.ini in the program's folder.
QString PortProfileFileName();

// Reads the port's settings and the keyer window's place (WKTop, WKLeft of
// [VIEW]). The place is read even when the port's section cannot be: that
// failure comes back as its message.
std::optional<QString> ReadKeyerPortSettings(serial::TCustomComPort& port, ViewSettings& view);

// Writes the keyer window's place, then the port's settings; throws
// platform::Error when the file cannot be written. `portName`, when given,
// is written as the port's name in place of the one it has open now (a
// stand-in keyer's).
void WriteKeyerPortSettings(const serial::TCustomComPort& port, const ViewSettings& view,
                            const std::optional<QString>& portName = std::nullopt);

}  // namespace corvatta::keyer
