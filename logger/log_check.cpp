#include "logger/log_check.h"

#include "logger/calendar.h"
#include "logger/validation.h"

#include <QDate>
#include <QSet>
#include <QTime>

#include <algorithm>

namespace corvatta {

namespace {

const QString kTimeFormat = QStringLiteral("hh:mm");

const char* const kCellNames[LogColumnCount] = {"čas",   "pozivni znak", "leto licence",
                                                "točke", "množitelj",    "način"};

// The entry line's own rules on a callsign and a year, without the log.
ValidationResult Rules(const QString& entry, const QString& currentYear) {
    ValidationInput in;
    in.EntryText = entry;
    in.CurrentYear = currentYear;
    in.Mode = kModeCw;
    return ValidateEntryWith(
        in, EntryData{},
        [](const QString&, const QString&, const QString&, const QString&, bool) {
            return LogMatches{};
        },
        [](const QString&) { return std::optional<QString>(); });
}

QString RowLabel(int row, const QsoRow& r) {
    return QStringLiteral("Zveza %1 (%2 %3): ").arg(row + 1).arg(r[Time], r[Call]);
}

// The own callsign of a line: from column 31 to the padding after it.
QString OwnCallOfLine(const QString& line) {
    return line.mid(30).section(u' ', 0, 0);
}

bool ModeFits(const QString& mode, int category) {
    switch (category) {
        case 0:
            return mode == kModeCw;
        case 1:
            return mode == kModeSsb;
        default:
            return mode == kModeCw || mode == kModeSsb;
    }
}

QString TwoDigits(const QString& year) {
    return year.size() == 1 ? QStringLiteral("0") + year : year;
}

}  // namespace

int LogCheckReport::Problems() const {
    int n = 0;
    for (const LogFinding& f : findings)
        n += f.informational ? 0 : 1;
    return n;
}

int LogCheckReport::Duplicates() const {
    int n = 0;
    for (const LogFinding& f : findings)
        n += f.kind == LogProblem::Duplicate ? 1 : 0;
    return n;
}

LogCheckReport CheckLog(const LogCheckInput& in) {
    LogCheckReport report;
    auto& out = report.findings;
    const auto add = [&out](int row, LogProblem kind, const QString& text, bool info = false) {
        out.push_back({row, kind, text, info});
    };

    // The log as a whole: the header's data and the own year.
    const struct {
        const QString& value;
        const char* name;
        bool needed;
    } header[] = {
        {in.op.MyCall, "pozivni znak", true},   {in.op.MyYearLic, "leto licence", true},
        {in.op.MyName, "ime in priimek", true}, {in.op.MyAddress, "naslov", true},
        {in.op.MyEmail, "e-pošta", true},       {in.op.MyClub, "radioklub", in.radioClub},
    };
    for (const auto& h : header) {
        if (h.needed && h.value.trimmed().isEmpty()) {
            add(-1, LogProblem::MissingHeader,
                QStringLiteral("Manjka podatek operaterja za Cabrillo: %1").arg(h.name));
        }
    }
    if (!in.op.MyEmail.trimmed().isEmpty() && !in.op.MyEmail.contains(u'@')) {
        add(-1, LogProblem::MissingHeader,
            QStringLiteral("E-pošta operaterja ni pravilna: %1").arg(in.op.MyEmail));
    }
    const QString ownYear = TwoDigits(in.op.MyYearLic);
    if (in.listedOwnYear && !ownYear.isEmpty() && TwoDigits(*in.listedOwnYear) != ownYear) {
        add(-1, LogProblem::OwnYearListed,
            QStringLiteral("Lastno leto licence %1 se razlikuje od leta %2 v tabeli licenc za %3")
                .arg(ownYear, TwoDigits(*in.listedOwnYear), in.op.MyCall));
    }
    const QDate date = QDate::fromString(in.contestDate, QStringLiteral("yyyy-MM-dd"));
    const auto period = ContestPeriodUtc(date);
    if (!period) {
        add(-1, LogProblem::NotContestDay,
            QStringLiteral("Datum dnevnika %1 ni dan tekmovanja").arg(in.contestDate));
    }

    // Row by row.
    QSet<QString> worked;  // callsign + mode
    QTime previous;
    int contact = 0;
    for (const QString& line : in.fileLines) {
        if (!line.startsWith(QLatin1String("QSO:"))) {
            continue;
        }
        const QString written = line.mid(47, 2);
        if (!ownYear.isEmpty() && written != ownYear) {
            add(contact, LogProblem::OwnYearInLog,
                QStringLiteral("Zveza %1: v dnevniku je lastno leto licence %2, v podatkih "
                               "operaterja %3")
                    .arg(contact + 1)
                    .arg(written.trimmed(), ownYear));
        }
        const QString ownCall = OwnCallOfLine(line);
        if (!in.op.MyCall.isEmpty() && ownCall != in.op.MyCall) {
            add(contact, LogProblem::OwnCallInLog,
                QStringLiteral("Zveza %1: v dnevniku je lastni pozivni znak %2, v podatkih "
                               "operaterja %3")
                    .arg(contact + 1)
                    .arg(ownCall, in.op.MyCall));
        }
        ++contact;
    }
    for (size_t i = 0; i < in.rows.size(); ++i) {
        const int row = static_cast<int>(i);
        const QsoRow& r = in.rows[i];
        const QString label = RowLabel(row, r);
        QStringList empty;
        for (int c = 0; c < LogColumnCount; ++c) {
            if (r[static_cast<size_t>(c)].trimmed().isEmpty())
                empty.append(QString::fromUtf8(kCellNames[c]));
        }
        if (!empty.isEmpty()) {
            add(row, LogProblem::EmptyCell,
                label + QStringLiteral("prazno polje: %1").arg(empty.join(QStringLiteral(", "))));
        }
        const QTime t = QTime::fromString(r[Time], kTimeFormat);
        if (!r[Time].isEmpty() && !t.isValid()) {
            add(row, LogProblem::EmptyCell, label + QStringLiteral("čas ni v obliki hh:mm"));
        }
        if (t.isValid()) {
            if (period && (t < period->start || t >= period->end)) {
                add(row, LogProblem::OutsidePeriod,
                    label + QStringLiteral("zveza izven časa tekmovanja (%1 - %2 UTC)")
                                .arg(period->start.toString(kTimeFormat),
                                     period->end.toString(kTimeFormat)));
            }
            if (previous.isValid() && t < previous) {
                add(row, LogProblem::TimeOrder,
                    label + QStringLiteral("čas je pred časom prejšnje zveze (%1)")
                                .arg(previous.toString(kTimeFormat)));
            }
            previous = t;
        }
        if (!r[Call].isEmpty()) {
            // A good year stands in, so only the callsign is judged.
            const ValidationResult call = Rules(r[Call] + QStringLiteral(" 50"), in.currentYear);
            if (call.Entry.CallInvalid) {
                const QString why =
                    call.LInfo == r[Call] ? QStringLiteral("znak je prekratek") : call.LInfo;
                add(row, LogProblem::BadCall, label + why);
            }
        }
        if (!r[LicYear].isEmpty()) {
            const ValidationResult year =
                Rules(QStringLiteral("S59AAA ") + r[LicYear], in.currentYear);
            if (year.Entry.YearInvalid || r[LicYear].size() != 2) {
                add(row, LogProblem::BadYear,
                    label + (year.Entry.YearInvalid ? year.LInfo
                                                    : QStringLiteral("leto licence ni dvomestno")));
            }
        }
        if (!r[Mode].isEmpty() && !ModeFits(r[Mode], in.modeCategory)) {
            static const char* const categories[] = {"CW", "SSB", "MIX"};
            add(row, LogProblem::ModeCategory,
                label + QStringLiteral("način %1 ne sodi v kategorijo %2")
                            .arg(r[Mode],
                                 QLatin1String(categories[std::clamp(in.modeCategory, 0, 2)])));
        }
        if (!r[Call].isEmpty() && r[Call] == in.op.MyCall) {
            add(row, LogProblem::OwnCallWorked,
                label + QStringLiteral("zveza z lastnim pozivnim znakom"));
        }
        const QString key = r[Call] + u'\t' + r[Mode];
        if (!r[Call].isEmpty() && worked.contains(key)) {
            add(row, LogProblem::Duplicate, label + QStringLiteral("dvojna zveza (0 točk)"), true);
        }
        worked.insert(key);
    }
    return report;
}

QString LogCheckText(const QString& myCall, const LogCheckReport& report, int maxLines) {
    QStringList lines;
    lines.append(QStringLiteral("Dnevnik %1 - napake: %2, dvojne zveze: %3")
                     .arg(myCall)
                     .arg(report.Problems())
                     .arg(report.Duplicates()));
    int shown = 0;
    for (const LogFinding& f : report.findings) {
        if (shown == maxLines) {
            lines.append(
                QStringLiteral("... in še %1").arg(report.findings.size() - size_t(shown)));
            break;
        }
        lines.append(f.text);
        ++shown;
    }
    return lines.join(QStringLiteral("\n\r"));
}

QString CheckCleanText(const QString& myCall) {
    return QStringLiteral("Dnevnik %1 je pregledan, napak ni.").arg(myCall);
}

QString CheckBeforeExportText(const QString& reportText) {
    return reportText +
           QStringLiteral("\n\r\n\rDnevnik lahko popraviš - CANCEL !\n\rVseeno nadaljuješ - OK !");
}

}  // namespace corvatta
