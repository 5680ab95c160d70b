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

OpenedLog OpenLogFile(const QString& path) {
    OpenedLog opened;
    if (!QFile::exists(path)) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly)) {
            Fail(file.errorString(), path);
        }
        return opened;
    }
    for (const QString& line : platform::ReadTextLines(path)) {
        if (!line.isEmpty()) {
            ++opened.NonEmptyLines;
        }
    }
    opened.HasLines = opened.NonEmptyLines > 0;
    return opened;
}

std::vector<QsoRow> RowsFromLines(const QStringList& lines) {
    std::vector<QsoRow> rows;
    rows.reserve(size_t(lines.size()));
    for (const QString& line : lines) {
        if (auto row = ParseQsoLine(line)) {
            rows.push_back(std::move(*row));
        }
    }
    if (!rows.empty()) {
        rows.front()[Mult] = QStringLiteral("1");
    }
    return rows;
}

std::vector<QsoRow> ReadLogRows(const QString& path) {
    return RowsFromLines(platform::ReadTextLines(path));
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
