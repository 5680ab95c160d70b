#include "shell.h"

#include "program_dir.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace platform {

namespace {
ShellHook& Hook() {
    static ShellHook hook = nullptr;
    return hook;
}
}  // namespace

void SetShellHook(ShellHook hook) {
    Hook() = hook;
}

QString ResolveExecutable(const QString& target) {
    QString name = target.trimmed();
    if (name.isEmpty() || name.contains(QLatin1String("://"))) {
        return {};
    }
    // The programs were named *.exe on their first platform; settings files
    // and menus still say so.
    if (name.compare(QLatin1String("Tickwell.exe"), Qt::CaseInsensitive) == 0) {
        name = QStringLiteral("Tickwell");
    }
    QFileInfo info(name);
    if (info.isAbsolute() || name.contains(u'/')) {
        if (!info.isAbsolute()) {
            info = QFileInfo(ProgramDirectory() + name);
        }
        return info.isFile() && info.isExecutable() ? info.absoluteFilePath() : QString();
    }
    const QFileInfo local(ProgramDirectory() + name);
    if (local.isFile() && local.isExecutable()) {
        return local.absoluteFilePath();
    }
    if (name.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive)) {
        const QFileInfo stripped(ProgramDirectory() + name.chopped(4));
        if (stripped.isFile() && stripped.isExecutable()) {
            return stripped.absoluteFilePath();
        }
    }
    // An installed program keeps its files apart from the executables, which the search
    // path finds under their own names.
    const QString found = QStandardPaths::findExecutable(name);
    if (found.isEmpty() && name.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive)) {
        return QStandardPaths::findExecutable(name.chopped(4));
    }
    return found;
}

bool ShellOpen(const QString& target) {
    if (Hook()) {
        return Hook()(target);
    }
    const QString exe = ResolveExecutable(target);
    if (!exe.isEmpty()) {
        return QProcess::startDetached(exe, {}, QFileInfo(exe).absolutePath());
    }
    if (target.contains(QLatin1String("://"))) {
        return QDesktopServices::openUrl(QUrl(target));
    }
    QFileInfo info(target);
    if (!info.isAbsolute()) {
        info = QFileInfo(ProgramDirectory() + target);
    }
    if (!info.exists()) {
        return false;
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(info.absoluteFilePath()));
}

}  // namespace platform
