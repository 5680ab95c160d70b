#include "program_dir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <unistd.h>

namespace platform {

namespace {
QString& Override() {
    static QString dir;
    return dir;
}
QString WithSeparator(const QString& dir) {
    return dir.endsWith(u'/') ? dir : dir + u'/';
}

// Where an installed program finds the files it ships: beside its bin folder, as
// `cmake --install` and the package lay them out.
QString ShippedDataDir(const QString& executableDir, const QString& applicationName) {
    const QString dir =
        QDir::cleanPath(executableDir + QStringLiteral("/../share/corvatta/") + applicationName);
    return QFileInfo(dir).isDir() ? dir : QString();
}

ProgramLocation RunningProgram() {
    ProgramLocation location;
    location.executableDir = QCoreApplication::applicationDirPath();
    location.executableDirWritable =
        ::access(QFile::encodeName(location.executableDir).constData(), W_OK) == 0;
    location.applicationName = QCoreApplication::applicationName();
    location.shippedDataDir = ShippedDataDir(location.executableDir, location.applicationName);
    location.dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return location;
}
}  // namespace

QString ResolveProgramDirectory(const ProgramLocation& location) {
    const QString beside = WithSeparator(location.executableDir);
    // Root may write anywhere, so an installed program is recognised by its prefix too: a
    // packaged program never writes into /usr/bin.
    const bool portable = location.executableDirWritable && location.shippedDataDir.isEmpty();
    if (portable || location.dataHome.isEmpty() || location.applicationName.isEmpty())
        return beside;
    const QString data = WithSeparator(location.dataHome) + location.applicationName;
    if (!QDir().mkpath(data))
        return beside;
    if (!location.shippedDataDir.isEmpty()) {
        const QDir shipped(location.shippedDataDir);
        for (const QString& name : shipped.entryList(QDir::Files)) {
            const QString target = data + u'/' + name;
            if (!QFileInfo::exists(target) && QFile::copy(shipped.filePath(name), target)) {
                // A copy keeps the read-only mode of the packaged file; the program rewrites
                // its settings file in place.
                QFile::setPermissions(target, QFile::permissions(target) | QFile::WriteOwner);
            }
        }
    }
    return WithSeparator(data);
}

QString ProgramDirectory() {
    if (!Override().isEmpty()) {
        return Override();
    }
    static const QString chosen = ResolveProgramDirectory(RunningProgram());
    return chosen;
}

void SetProgramDirectory(const QString& directory) {
    Override() = directory.isEmpty() ? QString() : WithSeparator(QDir(directory).absolutePath());
}

}  // namespace platform
