// A fresh temporary folder that stands in for the program directory for the
// life of the object.
#pragma once

#include "tests/support/qt_printers.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace testing_support {

class TempProgramDir {
  public:
    TempProgramDir();
    ~TempProgramDir();
    TempProgramDir(const TempProgramDir&) = delete;
    TempProgramDir& operator=(const TempProgramDir&) = delete;

    // The folder, with a trailing "/".
    QString Path() const;
    QString File(const QString& name) const { return Path() + name; }

    void Write(const QString& name, const QByteArray& bytes) const;
    QByteArray Read(const QString& name) const;
    bool Exists(const QString& name) const;

  private:
    QTemporaryDir dir_;
};

}  // namespace testing_support
