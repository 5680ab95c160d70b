// Text files as the programs keep them: cp1250 bytes, CR LF line ends.
// Whole-file rewrites go through a temporary file in the same directory that
// is flushed to disk and renamed over the target, so a crash, a full disk or
// a power cut leaves either the old or the new contents, never a torn file.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace platform {

// Splits text at CR LF, LF or a lone CR; a final line end adds no line.
QStringList SplitLines(const QString& text);
// Joins lines with CR LF after every line.
QString JoinLinesCrLf(const QStringList& lines);

// Replaces the file with the bytes: written unbuffered to a temporary in the
// same folder with every write checked, synced, renamed over the file, and
// the folder synced. On failure returns false with the system's reason
// (strerror) in *error, and the old file is still there byte for byte; only
// a failed sync of the folder, after the rename, leaves the new contents in
// place, and is reported all the same, as they may not survive a power cut.
// A file that its rights do not let this user write (read-only, or another
// user's) is refused with EACCES's reason, even for the administrator, and
// left as it was; one that may be written keeps its owner where the system
// allows and always its rights.
bool WriteFileAtomically(const QString& fileName, const QByteArray& bytes, QString* error);

// Reads a whole cp1250 text file into lines. Throws IoError when the file
// exists but cannot be read; a missing file throws too.
QStringList ReadTextLines(const QString& fileName);

// Appends one line and its CR LF, on a line of its own (after a CR LF when
// the file ends inside a line), synced to disk before returning. On any
// failure the file is cut back to its old length and IoError names the
// reason and the file. A file its rights keep from being written is refused
// as WriteFileAtomically refuses it.
void AppendTextLine(const QString& fileName, const QString& line);

}  // namespace platform
