#include "logger/licence_table.h"

#include "platform/cp1250.h"
#include "platform/program_dir.h"
#include "platform/text_file.h"

#include <QFile>
#include <QRegularExpression>

#include <algorithm>

// A resource in a static library must be registered by name before use;
// the function has to live outside any namespace.
static void InitLicenceResource() {
    Q_INIT_RESOURCE(licence_table);
}

namespace corvatta {

namespace {

const QString kBuiltInPath = QStringLiteral(":/corvatta/licence_table.txt");

constexpr char kUtf8ByteOrderMark[] = "\xEF\xBB\xBF";

bool IsCallChar(QChar c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'/';
}

}  // namespace

LicenceTable LicenceTable::Parse(const QStringList& lines) {
    LicenceTable table;
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(u'#')) {
            continue;
        }
        qsizetype sep = line.indexOf(u',');
        if (sep < 0) {
            sep = line.indexOf(u'=');
        }
        const QString call = sep < 0 ? QString() : line.left(sep).trimmed().toUpper();
        QString year = sep < 0 ? QString() : line.mid(sep + 1).trimmed();
        const bool callOk = !call.isEmpty() && std::all_of(call.begin(), call.end(), IsCallChar);
        const bool yearOk =
            (year.size() == 1 || year.size() == 2) &&
            std::all_of(year.begin(), year.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
        if (!callOk || !yearOk) {
            ++table.skipped_;
            continue;
        }
        // Stored as given: a single digit stays one, as the entry line shows
        // what the table holds.
        table.entries_.emplace_back(call, year);
        table.byCall_.insert(call, year);
    }
    return table;
}

QStringList LicenceTable::BuiltInLines() {
    InitLicenceResource();
    QFile file(kBuiltInPath);
    if (!file.open(QIODevice::ReadOnly)) {
        // Only a broken build lacks the resource; prediction then finds nothing.
        return {};
    }
    return platform::SplitLines(QString::fromLatin1(file.readAll()));
}

LicenceTable LicenceTable::BuiltIn() {
    const QStringList lines = BuiltInLines();
    if (lines.isEmpty()) {
        return {};
    }
    LicenceTable table = Parse(lines);
    table.source_ = kBuiltInPath;
    return table;
}

LicenceTable LicenceTable::ForProgram() {
    const QString path = platform::ProgramDirectory() + kLicenceFileName;
    QFile file(path);
    if (file.exists() && file.open(QIODevice::ReadOnly)) {
        QByteArray bytes = file.readAll();
        if (file.error() == QFileDevice::NoError) {
            // Editors that save UTF-8 put a byte order mark in front; read as
            // cp1250 it would spoil the first callsign and lose its entry.
            if (bytes.startsWith(kUtf8ByteOrderMark)) {
                bytes.remove(0, qsizetype(sizeof(kUtf8ByteOrderMark) - 1));
            }
            LicenceTable table = Parse(platform::SplitLines(platform::DecodeCp1250(bytes)));
            table.source_ = path;
            return table;
        }
        // An unreadable override is no reason to lose prediction.
    }
    return BuiltIn();
}

std::optional<QString> LicenceTable::Find(const QString& callsign) const {
    const auto it = byCall_.constFind(callsign);
    if (it == byCall_.cend()) {
        return std::nullopt;
    }
    return *it;
}

}  // namespace corvatta
