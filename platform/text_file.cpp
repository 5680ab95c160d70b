#include "text_file.h"

#include "cp1250.h"
#include "errors.h"

#include <QFile>
#include <QSaveFile>

#include <unistd.h>

namespace platform {

QStringList SplitLines(const QString& text) {
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            lines.append(text.mid(start, i - start));
            if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n') {
                ++i;
            }
            start = i + 1;
        }
    }
    if (start < n) {
        lines.append(text.mid(start));
    }
    return lines;
}

QString JoinLinesCrLf(const QStringList& lines) {
    QString out;
    qsizetype size = 0;
    for (const QString& l : lines) {
        size += l.size() + 2;
    }
    out.reserve(size);
    for (const QString& l : lines) {
        out += l;
        out += QLatin1String("\r\n");
    }
    return out;
}

bool WriteFileAtomically(const QString& fileName, const QByteArray& bytes, QString* error) {
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    if (file.write(bytes) != bytes.size()) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    // commit() flushes the temporary file to disk before the rename.
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

QStringList ReadTextLines(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        throw IoError(QStringLiteral("%1: %2").arg(file.errorString(), fileName));
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        throw IoError(QStringLiteral("%1: %2").arg(file.errorString(), fileName));
    }
    return SplitLines(DecodeCp1250(bytes));
}

void AppendTextLine(const QString& fileName, const QString& line) {
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        throw IoError(QStringLiteral("%1: %2").arg(file.errorString(), fileName));
    }
    const qint64 sizeBefore = file.size();
    const QByteArray bytes = EncodeCp1250(line) + "\r\n";
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString reason = file.errorString();
        // Cut a partial line off again so the file keeps whole lines only.
        file.resize(sizeBefore);
        throw IoError(QStringLiteral("%1: %2").arg(reason, fileName));
    }
    // A logged contact must survive a power cut a moment later.
    ::fsync(file.handle());
}

}  // namespace platform
