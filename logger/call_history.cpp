#include "logger/call_history.h"

#include "logger/qso_line.h"
#include "platform/text_file.h"

#include <QMap>

#include <algorithm>

namespace corvatta {

namespace {

bool IsCallChar(QChar c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'/';
}

bool IsYear(const QString& y) {
    return y.size() == 2 && y[0].isDigit() && y[1].isDigit();
}

QString TwoDigits(const QString& year) {
    return year.size() == 1 ? QStringLiteral("0") + year : year;
}

// The separator position of a table line, or -1 when it is no entry.
qsizetype SeparatorOf(const QString& line) {
    const QString t = line.trimmed();
    if (t.isEmpty() || t.startsWith(u'#')) {
        return -1;
    }
    qsizetype sep = line.indexOf(u',');
    return sep >= 0 ? sep : line.indexOf(u'=');
}

}  // namespace

HistoryFile ParseCallHistory(const QStringList& lines) {
    HistoryFile file;
    for (const QString& line : lines) {
        const auto row = ParseQsoLine(line);
        if (!row) {
            continue;
        }
        const QString call = (*row)[Call].toUpper();
        const QString year = (*row)[LicYear];
        if (call.size() < 3 || !std::all_of(call.begin(), call.end(), IsCallChar) ||
            !IsYear(year)) {
            ++file.skipped;
            continue;
        }
        // Columns 15 to 24 of a QSO line hold the date of the contest.
        const QDate date = QDate::fromString(line.mid(14, 10), QStringLiteral("yyyy-MM-dd"));
        file.entries.push_back({call, year, date});
    }
    return file;
}

HistoryFile ReadCallHistory(const QString& path) {
    return ParseCallHistory(platform::ReadTextLines(path));
}

QHash<QString, QString> LatestYears(const std::vector<HistoryFile>& files) {
    QHash<QString, HistoryEntry> latest;
    for (const HistoryFile& f : files) {
        for (const HistoryEntry& e : f.entries) {
            const auto it = latest.find(e.call);
            // ">=": the later of two entries of the same day wins.
            if (it == latest.end() || !it->contest.isValid() ||
                (e.contest.isValid() && e.contest >= it->contest)) {
                latest.insert(e.call, e);
            }
        }
    }
    QHash<QString, QString> years;
    for (auto it = latest.cbegin(); it != latest.cend(); ++it) {
        years.insert(it.key(), it->year);
    }
    return years;
}

LicenceMerge MergeIntoLicenceLines(const QStringList& table, const QHash<QString, QString>& years) {
    LicenceMerge out;
    out.lines = table;
    QHash<QString, bool> seen;  // callsign -> changed
    int commas = 0, equals = 0;
    for (QString& line : out.lines) {
        const qsizetype sep = SeparatorOf(line);
        if (sep < 0) {
            continue;
        }
        (line[sep] == u',' ? commas : equals) += 1;
        const QString call = line.left(sep).trimmed().toUpper();
        const auto it = years.constFind(call);
        if (it == years.cend()) {
            continue;
        }
        const QString old = line.mid(sep + 1).trimmed();
        const bool differs = TwoDigits(old) != *it;
        if (differs) {
            // Only the year is replaced: the callsign, its spacing and
            // separator stay as the operator wrote them.
            line = line.left(sep + 1) + *it;
        }
        seen[call] = seen.value(call, false) || differs;
    }
    const QChar sep = equals > commas ? u'=' : u',';
    QStringList calls = years.keys();
    calls.sort();  // new entries in a stable, readable order
    for (const QString& call : calls) {
        const auto it = seen.constFind(call);
        if (it == seen.cend()) {
            out.lines.append(call + sep + years.value(call));
            ++out.added;
        } else if (*it) {
            ++out.changed;
        } else {
            ++out.kept;
        }
    }
    return out;
}

QString HistorySummary(int files, const LicenceMerge& merge) {
    return QStringLiteral(
               "Leta licenc iz dnevnikov (%1): dodanih %2, spremenjenih %3, "
               "nespremenjenih %4.")
        .arg(files)
        .arg(merge.added)
        .arg(merge.changed)
        .arg(merge.kept);
}

QString HistoryConfirm(int files, const LicenceMerge& merge) {
    return HistorySummary(files, merge) +
           QStringLiteral(
               "\n\rPri sporu velja leto iz najnovejšega tekmovanja.\n\rZapišem v "
               "Licence.txt - OK !");
}

}  // namespace corvatta
