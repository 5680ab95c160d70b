#include "keyer/link_status.h"

#include <QFile>

#include <grp.h>
#include <sys/stat.h>
#include <cerrno>
#include <cstring>
#include <vector>

namespace corvatta::keyer {

QString ClosedText() {
    return QStringLiteral("Winkeyer ni povezan: izberite port (Setup Com) in kliknite Open Com.");
}

QString DeviceGroup(const QString& device) {
    struct stat st {};
    if (::stat(QFile::encodeName(device).constData(), &st) != 0) {
        return {};
    }
    // getgrgid_r wants room for the group's member list, which can be long.
    std::vector<char> buffer(16384);
    struct group entry {};
    struct group* found = nullptr;
    if (::getgrgid_r(st.st_gid, &entry, buffer.data(), buffer.size(), &found) != 0 || !found) {
        return QString::number(st.st_gid);
    }
    return QString::fromLocal8Bit(found->gr_name);
}

QString NoPermissionText(const QString& device, const QString& group) {
    if (group.isEmpty()) {
        return QStringLiteral(
                   "Ni dovoljenja za %1. Dodajte uporabnika v skupino, ki ji naprava pripada "
                   "(ls -l %1), nato se odjavite in znova prijavite.")
            .arg(device);
    }
    if (group == QLatin1String("root")) {
        // Joining the administrator's own group is no remedy: the device's rights
        // must be changed (a udev rule), and only an administrator can do that.
        return QStringLiteral(
                   "Ni dovoljenja za %1: naprava pripada skupini root, zato vam lahko dostop "
                   "do nje omogoči le skrbnik sistema.")
            .arg(device);
    }
    // A new group counts only after a new login.
    return QStringLiteral(
               "Ni dovoljenja za %1. Dodajte uporabnika v skupino %2 "
               "(sudo usermod -aG %2 $USER), nato se odjavite in znova prijavite.")
        .arg(device, group);
}

QString OpenFailureText(const QString& device, int systemCode) {
    switch (systemCode) {
        case EACCES:
        case EPERM:
            return NoPermissionText(device, DeviceGroup(device));
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return QStringLiteral(
                       "Naprave %1 ni: Winkeyer ni priključen ali pa je izbran napačen "
                       "port (Setup Com).")
                .arg(device);
        case EBUSY:
        case EWOULDBLOCK:
            return QStringLiteral(
                       "Port %1 je zaseden: uporablja ga drug program. Zaprite ga in kliknite "
                       "Open Com.")
                .arg(device);
        case ENOTTY:
            return QStringLiteral("%1 ni serijski port: izberite pravega (Setup Com).").arg(device);
        default:
            break;
    }
    if (systemCode > 0) {
        return QStringLiteral("Porta %1 ni mogoče odpreti (%2).")
            .arg(device, QString::fromLocal8Bit(std::strerror(systemCode)));
    }
    return QStringLiteral("Porta %1 ni mogoče odpreti.").arg(device);
}

QString OpeningText(const QString& device) {
    return QStringLiteral("Čakam na odgovor Winkeyerja na %1 ...").arg(device);
}

QString NoAnswerText(const QString& device) {
    return QStringLiteral(
               "Winkeyer na %1 ne odgovarja: preverite njegovo napajanje in kabel, "
               "nato kliknite Close Com in Open Com.")
        .arg(device);
}

QString LostText(const QString& device, int retrySeconds) {
    const QString lost =
        QStringLiteral("Winkeyer na %1 se je odklopil: preverite kabel USB.").arg(device);
    return retrySeconds > 0 ? lost + RetryingSuffix(retrySeconds)
                            : lost + QStringLiteral(" Nato kliknite Open Com.");
}

QString RetryingSuffix(int seconds) {
    return QStringLiteral(" Ponovni poskus na %1 s.").arg(seconds);
}

QString ReadyText(const QString& device, int version) {
    if (version > 0) {
        return QStringLiteral("Winkeyer %1 na %2 je pripravljen.").arg(version).arg(device);
    }
    return QStringLiteral("Winkeyer na %1 je pripravljen.").arg(device);
}

}  // namespace corvatta::keyer
