// The log file beside the program: one QSO line per contact, cp1250 with
// CR LF. Appends are flushed to disk before they count; whole rewrites go
// through a temporary file renamed over the old one, so the file always
// holds either the old or the new log, in whole lines.
#pragma once

#include "logger/qso_line.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace corvatta {

class QsoLogModel;

// Program directory + FileCall + ".log".
QString LogFilePath(const QString& fileCall);
// MyCall with every "/" replaced by "_".
QString FileCallOf(const QString& myCall);

struct OpenedLog {
    int NonEmptyLines = 0;
    bool HasLines = false;
    // The contacts, as ReadLogRows reads them; empty when HasLines is not set.
    std::vector<QsoRow> Rows;
};

// Reads the log file once: counts its non-empty lines (a CR LF, a lone CR or
// a lone LF ends a line) and reads its contacts, creating the file empty when
// it is missing. Throws platform::IoError.
OpenedLog OpenLogFile(const QString& path);

// Reads a log (or a copy of one) into rows; lines that are not QSO lines
// are skipped; row 0 gets Mult "1". Throws platform::IoError.
std::vector<QsoRow> ReadLogRows(const QString& path);

// Rebuilds the model from the file; returns the number of contacts read,
// or -1 (model untouched) when the file does not exist. Throws IoError.
int LoadLogFile(const QString& path, QsoLogModel& log);

// The QSO lines of rows 0 to qsoCount - 1, written with the current own data.
QStringList QsoLines(const OwnLineData& own, const QsoLogModel& log, int qsoCount);

// Replaces a file with the lines (CR LF after each) atomically: a temporary
// in the same folder, flushed, renamed over it, the folder flushed. A failed
// attempt is tried once more; when both fail, IoError names the file and
// the old contents stay.
void WriteLinesReplacing(const QString& path, const QStringList& lines);

// The log file anew from the rows. Throws IoError as above.
void RewriteLogFile(const QString& path, const OwnLineData& own, const QsoLogModel& log,
                    int qsoCount);

// Appends one line through platform::AppendTextLine: every step checked.
// On failure the file is cut back to its old length and IoError is thrown.
void AppendLogLine(const QString& path, const QString& line);

}  // namespace corvatta
