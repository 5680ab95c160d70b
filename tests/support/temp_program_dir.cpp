#include "temp_program_dir.h"

#include "platform/program_dir.h"

#include <QFile>
#include <stdexcept>

namespace testing_support {

TempProgramDir::TempProgramDir() {
    if (!dir_.isValid()) {
        throw std::runtime_error("cannot create a temporary directory");
    }
    platform::SetProgramDirectory(dir_.path());
}

TempProgramDir::~TempProgramDir() {
    platform::SetProgramDirectory(QString());
}

QString TempProgramDir::Path() const {
    return platform::ProgramDirectory();
}

void TempProgramDir::Write(const QString& name, const QByteArray& bytes) const {
    QFile f(File(name));
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
        throw std::runtime_error("cannot write test file");
    }
}

QByteArray TempProgramDir::Read(const QString& name) const {
    QFile f(File(name));
    if (!f.open(QIODevice::ReadOnly)) {
        return {};
    }
    return f.readAll();
}

bool TempProgramDir::Exists(const QString& name) const {
    return QFile::exists(File(name));
}

}  // namespace testing_support
