// ListSerialPorts: the names of the system's serial ports, sorted case-insensitively
// for the setup dialog's port list.
#pragma once

#include <QString>
#include <QStringList>

namespace serial {

// Where the ports are looked for; tests point these at folders of their own.
struct SerialPortSources {
    // Every tty here with a "device" entry is a port, named as under /dev/ ("ttyUSB0"),
    // except a serial-core port whose "type" reads 0 (no UART behind it).
    QString sysClassTty = QStringLiteral("/sys/class/tty");
    // Stable names of USB adapters, listed as absolute paths.
    QString serialById = QStringLiteral("/dev/serial/by-id");
};

// An unreadable source gives no names; the list may be empty.
QStringList ListSerialPorts(const SerialPortSources& sources = {});

}  // namespace serial
