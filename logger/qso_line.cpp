#include "logger/qso_line.h"

namespace corvatta {

namespace {

// Both reports end in the same column whatever their length.
constexpr int kPadColumns59 = 14;
constexpr int kPadColumns599 = 13;

const QString kReport59 = QStringLiteral("59 ");
const QString kReport599 = QStringLiteral("599 ");

// 1-based columns of the line, as the file format counts them.
constexpr int kModeMarkColumn = 12;
constexpr int kTimeColumn = 26;
constexpr int kCallColumn = 56;
constexpr int kCallReadWidth = 13;  // columns 56-68
constexpr int kYearColumn = 73;

// Characters [column, column + width) of a 1-based column range, short or
// empty where the line ends sooner.
QString Columns(const QString& line, int column, int width) {
    return line.mid(column - 1, width);
}

// Like Columns, but a missing character reads as a blank, so a cut line
// never yields a half-shifted field.
QString ColumnsPadded(const QString& line, int column, int width) {
    return Columns(line, column, width).leftJustified(width, u' ');
}

}  // namespace

CallPadding CallPad(const QString& callsign) {
    const auto len = callsign.size();
    const auto spaces59 = std::max<qsizetype>(1, kPadColumns59 - len);
    const auto spaces599 = std::max<qsizetype>(1, kPadColumns599 - len);
    return {QString(spaces59, u' ') + kReport59, QString(spaces599, u' ') + kReport599};
}

namespace {

// The callsign, its spacing and report, written straight into the line: a
// 100,000-contact export builds every line, so no temporaries per field.
void AppendCallAndReport(QString& line, const QString& call, bool phone) {
    line += call;
    const qsizetype spaces =
        std::max<qsizetype>(1, (phone ? kPadColumns59 : kPadColumns599) - call.size());
    for (qsizetype i = 0; i < spaces; ++i) {
        line += u' ';
    }
    line += phone ? kReport59 : kReport599;
}

}  // namespace

QString CabrilloQsoLine(const OwnLineData& own, const QString& time, const QString& call,
                        const QString& licYear, const QString& mode) {
    const bool phone = mode == kModeSsb;
    QString line;
    line.reserve(80);
    line += phone ? QLatin1String("QSO:  3500 PH ") : QLatin1String("QSO:  3500 CW ");
    line += own.ContestDate;
    line += u' ';
    for (QChar c : time) {
        if (c != u':') {
            line += c;
        }
    }
    line += u' ';
    AppendCallAndReport(line, own.MyCall, phone);
    line += own.MyYearLic;
    line += QLatin1String("      ");
    AppendCallAndReport(line, call, phone);
    line += licYear;
    return line;
}

QString CabrilloQsoLine(const OwnLineData& own, const QsoRow& row) {
    return CabrilloQsoLine(own, row[Time], row[Call], row[LicYear], row[Mode]);
}

std::optional<QsoRow> ParseQsoLine(const QString& line) {
    if (!line.startsWith(QLatin1String("QSO:"))) {
        return std::nullopt;
    }
    QsoRow row;
    const QString time = ColumnsPadded(line, kTimeColumn, 4);
    row[Time] = time.left(2) + u':' + time.mid(2);
    row[Call] = Columns(line, kCallColumn, kCallReadWidth).remove(u' ');
    row[LicYear] = ColumnsPadded(line, kYearColumn, 2);
    const QString mark = Columns(line, kModeMarkColumn, 2);
    if (mark == QLatin1String("CW")) {
        row[Mode] = kModeCw;
        row[Points] = QStringLiteral("2");
    } else if (mark == QLatin1String("PH")) {
        row[Mode] = kModeSsb;
        row[Points] = QStringLiteral("1");
    }
    return row;
}

}  // namespace corvatta
