// Failures of file input and output. They travel as exceptions to the one
// application-level handler, which shows them in the standard error box.
#pragma once

#include <QString>
#include <stdexcept>

namespace platform {

class Error : public std::runtime_error {
  public:
    explicit Error(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }
};

// A file could not be read, created or appended to; the text carries the
// system's reason and the file name.
class IoError : public Error {
  public:
    using Error::Error;
};

// A settings file could not be written; the text names the file and the
// system's reason.
class IniWriteError : public Error {
  public:
    IniWriteError(const QString& fileName, const QString& reason)
        : Error(QStringLiteral("Unable to write to %1 (%2)").arg(fileName, reason)),
          fileName_(fileName) {}
    QString fileName() const { return fileName_; }

  private:
    QString fileName_;
};

}  // namespace platform
