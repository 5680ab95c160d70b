#include "serial_ports.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace serial {

namespace {

bool HasUart(const QString& ttyDir) {
    QFile type(ttyDir + QStringLiteral("/type"));
    if (!type.open(QIODevice::ReadOnly))
        return true;  // not a serial-core port
    return type.readAll().trimmed() != "0";
}

}  // namespace

QStringList ListSerialPorts(const SerialPortSources& sources) {
    QStringList names;
    const QDir ttys(sources.sysClassTty);
    for (const QString& name : ttys.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System)) {
        const QString dir = ttys.filePath(name);
        if (QFileInfo::exists(dir + QStringLiteral("/device")) && HasUart(dir))
            names << name;
    }
    const QDir byId(sources.serialById);
    for (const QString& name :
         byId.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        names << byId.absoluteFilePath(name);
    }
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    return names;
}

}  // namespace serial
