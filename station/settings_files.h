// The names of the logger's two settings files in the program's folder: the
// settings (operator data, view, keyer options, messages), read at start and
// written at close, and the port and profile file (the keyer window's place,
// the serial port, the operator profiles CALL1..CALL4).
#pragma once

#include <QString>

namespace corvatta {

inline const QString kSettingsFile = QStringLiteral("Corvattaini.ini");
inline const QString kPortProfileFile = QStringLiteral("Corvatta.ini");

}  // namespace corvatta
