// ListSerialPorts: the system's serial devices, sorted case-insensitively, with a readable
// description of each, for the setup dialog's port list.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace serial {

// Where the devices are looked for; tests point these at trees of their own.
struct SerialPortSources {
    // Every tty under <sysRoot>/class/tty with a "device" entry and a node under devRoot is a
    // port, named as under /dev/ ("ttyUSB0"), except a serial-core port whose "type" reads 0
    // (a ttyS* with no UART behind it).
    QString sysRoot = QStringLiteral("/sys");
    // <devRoot>/serial/by-id holds the stable names of USB adapters, listed as absolute paths.
    QString devRoot = QStringLiteral("/dev");
};

struct SerialPortInfo {
    QString name;         // what the port's Port setting takes: "ttyUSB0" or an absolute path
    QString description;  // "FTDI FT232R USB UART", "built-in serial port"; may be empty
    bool operator==(const SerialPortInfo&) const = default;
};

// An unreadable source gives no entries; the list may be empty.
QList<SerialPortInfo> ListSerialPortInfos(const SerialPortSources& sources = {});
QStringList ListSerialPorts(const SerialPortSources& sources = {});

}  // namespace serial
