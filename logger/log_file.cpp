#include "logger/log_file.h"

#include "logger/qso_log_model.h"
#include "platform/cp1250.h"
#include "platform/errors.h"
#include "platform/program_dir.h"
#include "platform/text_file.h"

#include <QFile>
#include <QFileInfo>

namespace corvatta {

namespace {

constexpr int kWriteAttempts = 2;
// A QSO line with its CR LF: what a log file holds per contact, near enough
// to size the rows before reading.
constexpr qsizetype kBytesPerContact = 76;

[[noreturn]] void Fail(const QString& reason, const QString& path) {
    throw platform::IoError(QStringLiteral("%1: %2").arg(reason, path));
}

}  // namespace

QString FileCallOf(const QString& myCall) {
    return QString(myCall).replace(u'/', u'_');
}

QString LogFilePath(const QString& fileCall) {
    return platform::ProgramDirectory() + fileCall + QStringLiteral(".log");
}

namespace {

// The log file's lines are read from its bytes in one pass, split as
// platform::SplitLines splits their text (CR and LF are the same characters
// in cp1250, and no other byte decodes to either); only a line that can be a
// contact is decoded, each on its own.
OpenedLog ReadContacts(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Fail(file.errorString(), path);
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        Fail(file.errorString(), path);
    }
    OpenedLog read;
    read.Rows.reserve(size_t(bytes.size() / kBytesPerContact));
    const char* const data = bytes.constData();
    // Each contact line is decoded into the same text, which keeps its
    // room from line to line.
    QString text;
    const auto take = [&](qsizetype start, qsizetype end) {
        if (end == start) {
            return;
        }
        ++read.NonEmptyLines;
        const QByteArrayView line(data + start, end - start);
        if (!line.startsWith("QSO:")) {
            return;
        }
        platform::DecodeCp1250Into(line, text);
        if (auto row = ParseQsoLine(text)) {
            read.Rows.push_back(std::move(*row));
        }
    };
    const qsizetype n = bytes.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char c = data[i];
        if (c == '\r' || c == '\n') {
            take(start, i);
            if (c == '\r' && i + 1 < n && data[i + 1] == '\n') {
                ++i;
            }
            start = i + 1;
        }
    }
    take(start, n);
    read.HasLines = read.NonEmptyLines > 0;
    if (!read.Rows.empty()) {
        read.Rows.front()[Mult] = QStringLiteral("1");
    }
    return read;
}

}  // namespace

OpenedLog OpenLogFile(const QString& path) {
    if (!QFile::exists(path)) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly)) {
            Fail(file.errorString(), path);
        }
        return {};
    }
    return ReadContacts(path);
}

std::vector<QsoRow> ReadLogRows(const QString& path) {
    return ReadContacts(path).Rows;
}

int LoadLogFile(const QString& path, QsoLogModel& log) {
    if (!QFile::exists(path)) {
        return -1;
    }
    std::vector<QsoRow> rows = ReadLogRows(path);
    const int count = static_cast<int>(rows.size());
    log.ReplaceRows(std::move(rows));
    return count;
}

QStringList QsoLines(const OwnLineData& own, const QsoLogModel& log, int qsoCount) {
    QStringList lines;
    const int rows = std::min(qsoCount, log.RowCount());
    lines.reserve(rows);
    for (int r = 0; r < rows; ++r) {
        lines.append(CabrilloQsoLine(own, log.Row(r)));
    }
    return lines;
}

void WriteLinesReplacing(const QString& path, const QStringList& lines) {
    const QByteArray bytes = platform::EncodeCp1250(platform::JoinLinesCrLf(lines));
    QString reason;
    for (int attempt = 0; attempt < kWriteAttempts; ++attempt) {
        if (platform::WriteFileAtomically(path, bytes, &reason)) {
            return;
        }
    }
    Fail(reason, path);
}

void RewriteLogFile(const QString& path, const OwnLineData& own, const QsoLogModel& log,
                    int qsoCount) {
    WriteLinesReplacing(path, QsoLines(own, log, qsoCount));
}

void AppendLogLine(const QString& path, const QString& line) {
    platform::AppendTextLine(path, line);
}

}  // namespace corvatta
