#include "serial_ports.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace serial {

namespace {

QString ReadAttribute(const QString& dir, const char* name) {
    QFile file(dir + u'/' + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.read(256)).trimmed();
}

bool HasUart(const QString& ttyDir) {
    if (!QFileInfo::exists(ttyDir + QStringLiteral("/type")))
        return true;  // not a serial-core port
    return ReadAttribute(ttyDir, "type") != QStringLiteral("0");
}

// A USB adapter names itself in the attributes of its USB device, which lies one level
// above an ACM interface and two above a USB-serial port.
QString UsbDeviceName(const QString& deviceDir) {
    QDir dir(QFileInfo(deviceDir).canonicalFilePath());
    if (dir.path().isEmpty())
        return {};
    for (int level = 0; level < 3; ++level) {
        const QString product = ReadAttribute(dir.path(), "product");
        if (!product.isEmpty()) {
            const QString maker = ReadAttribute(dir.path(), "manufacturer");
            if (maker.isEmpty() || product.startsWith(maker, Qt::CaseInsensitive))
                return product;
            return maker + u' ' + product;
        }
        if (!dir.cdUp())
            break;
    }
    return {};
}

QString TtyDescription(const QString& ttyDir, const QString& name) {
    const QString usb = UsbDeviceName(ttyDir + QStringLiteral("/device"));
    if (!usb.isEmpty())
        return usb;
    if (name.startsWith(QStringLiteral("ttyUSB")))
        return QStringLiteral("USB serial adapter");
    if (name.startsWith(QStringLiteral("ttyACM")))
        return QStringLiteral("USB modem-class device");
    if (name.startsWith(QStringLiteral("ttyS")))
        return QStringLiteral("built-in serial port");
    return {};
}

// "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0" -> "FTDI FT232R USB UART A50285BI", for a
// link whose device is not among the listed ttys.
QString ReadableById(QString name) {
    static const QRegularExpression bus(QStringLiteral("^[a-z]+-"));
    static const QRegularExpression tail(QStringLiteral("-if[0-9a-fA-F]+(-port[0-9]+)?$"));
    name.remove(bus).remove(tail);
    return name.replace(u'_', u' ');
}

}  // namespace

QList<SerialPortInfo> ListSerialPortInfos(const SerialPortSources& sources) {
    QList<SerialPortInfo> ports;
    QHash<QString, QString> ttyDescriptions;
    const QDir ttys(sources.sysRoot + QStringLiteral("/class/tty"));
    const QDir dev(sources.devRoot);
    for (const QString& name : ttys.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System)) {
        const QString dir = ttys.filePath(name);
        if (!QFileInfo::exists(dir + QStringLiteral("/device")) || !HasUart(dir) ||
            !QFileInfo::exists(dev.filePath(name))) {
            continue;
        }
        const QString description = TtyDescription(dir, name);
        ttyDescriptions.insert(name, description);
        ports.append({name, description});
    }
    const QDir byId(sources.devRoot + QStringLiteral("/serial/by-id"));
    for (const QString& link :
         byId.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        const QFileInfo info(byId.filePath(link));
        const QString target = QFileInfo(info.symLinkTarget()).fileName();
        QString description = ttyDescriptions.value(target);
        if (description.isEmpty() || description == QStringLiteral("USB serial adapter") ||
            description == QStringLiteral("USB modem-class device")) {
            description = ReadableById(link);
        }
        if (!target.isEmpty())
            description += QStringLiteral(" (") + target + u')';
        ports.append({info.absoluteFilePath(), description});
    }
    std::sort(ports.begin(), ports.end(), [](const SerialPortInfo& a, const SerialPortInfo& b) {
        return QString::compare(a.name, b.name, Qt::CaseInsensitive) < 0;
    });
    return ports;
}

QStringList ListSerialPorts(const SerialPortSources& sources) {
    QStringList names;
    for (const SerialPortInfo& port : ListSerialPortInfos(sources))
        names << port.name;
    return names;
}

}  // namespace serial
