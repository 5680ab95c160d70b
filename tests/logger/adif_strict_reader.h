// A strict reader of ADIF files for the tests: it refuses any length that does not match its
// data, so a writer's slip cannot pass as a file that merely reads back.
#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

#include <optional>
#include <vector>

namespace testing_support {

using Fields = QMap<QString, QString>;

struct AdifFile {
    QString preamble;
    Fields header;
    std::vector<Fields> records;
};

// Reads an .adi file strictly: the text before the first "<" is the
// preamble; then only tags "<NAME:LEN>" (an optional ":TYPE" is allowed)
// followed by exactly LEN bytes of data, blanks or line ends between them,
// <EOH> once, each record ended by <EOR>, no field twice in one record, no
// byte outside printable ASCII, no value that begins or ends with a blank.
inline std::optional<AdifFile> ReadAdifStrictly(const QByteArray& bytes, QString* error) {
    const auto fail = [error](const QString& why) {
        *error = why;
        return std::nullopt;
    };
    for (char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u > 0x7E || (u < 0x20 && c != '\r' && c != '\n'))
            return fail(QStringLiteral("byte %1 is not ASCII").arg(u));
    }
    AdifFile file;
    qsizetype i = bytes.indexOf('<');
    if (i < 0)
        return fail("no tag");
    file.preamble = QString::fromLatin1(bytes.left(i));
    bool inHeader = true;
    Fields current;
    while (i < bytes.size()) {
        const char c = bytes[i];
        if (c == ' ' || c == '\r' || c == '\n') {
            ++i;
            continue;
        }
        if (c != '<')
            return fail(QStringLiteral("text between fields at %1").arg(i));
        const qsizetype close = bytes.indexOf('>', i);
        if (close < 0)
            return fail("unclosed tag");
        const QString tag = QString::fromLatin1(bytes.mid(i + 1, close - i - 1));
        i = close + 1;
        const QString upper = tag.toUpper();
        if (upper == "EOH") {
            if (!inHeader)
                return fail("second <EOH>");
            file.header = current;
            current.clear();
            inHeader = false;
            continue;
        }
        if (upper == "EOR") {
            if (inHeader)
                return fail("<EOR> in the header");
            file.records.push_back(current);
            current.clear();
            continue;
        }
        const QStringList parts = tag.split(':');
        if (parts.size() < 2 || parts.size() > 3 || parts[0].isEmpty())
            return fail("bad tag " + tag);
        bool ok = false;
        const int length = parts[1].toInt(&ok);
        if (!ok || length < 0 || parts[1] != QString::number(length))
            return fail("bad length in " + tag);
        if (i + length > bytes.size())
            return fail("data past the end in " + tag);
        const QString name = parts[0].toUpper();
        if (current.contains(name))
            return fail("field twice: " + name);
        const QString data = QString::fromLatin1(bytes.mid(i, length));
        // No value written here begins or ends with a blank: one that does
        // took in the separator, so its length was too long.
        if (data != data.trimmed())
            return fail("blank inside the length of " + tag);
        current.insert(name, data);
        i += length;
        // The data ends where the length says: only a separator or the
        // next tag may follow.
        if (i < bytes.size() && bytes[i] != ' ' && bytes[i] != '\r' && bytes[i] != '\n' &&
            bytes[i] != '<')
            return fail("data longer than its length in " + tag);
    }
    if (inHeader)
        return fail("no <EOH>");
    if (!current.isEmpty())
        return fail("fields after the last <EOR>");
    return file;
}

}  // namespace testing_support
