#include "program_dir.h"

#include <QCoreApplication>
#include <QDir>

namespace platform {

namespace {
QString& Override() {
    static QString dir;
    return dir;
}
QString WithSeparator(const QString& dir) {
    return dir.endsWith(u'/') ? dir : dir + u'/';
}
}  // namespace

QString ProgramDirectory() {
    if (!Override().isEmpty()) {
        return Override();
    }
    return WithSeparator(QCoreApplication::applicationDirPath());
}

void SetProgramDirectory(const QString& directory) {
    Override() = directory.isEmpty() ? QString() : WithSeparator(QDir(directory).absolutePath());
}

}  // namespace platform
