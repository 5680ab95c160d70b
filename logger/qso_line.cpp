#include "logger/qso_line.h"

#include <QDate>
#include <QRegularExpression>

#include <algorithm>

namespace corvatta {

namespace {

// Both reports end in the same column whatever their length.
constexpr int kPadColumns59 = 14;
constexpr int kPadColumns599 = 13;

const QString kReport59 = QStringLiteral("59 ");
const QString kReport599 = QStringLiteral("599 ");

// Every line of regular callsigns is this long; anything that does not fit
// its columns makes it longer or shorter.
constexpr int kLineLength = 74;
constexpr int kYearDigits = 2;
constexpr int kDateLength = 10;  // "yyyy-mm-dd"

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

namespace {

bool IsDigits(const QString& text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

bool IsCallCharacter(QChar c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'/';
}

// "9:05", "09:05", "905" and "0905" all say five past nine.
std::optional<QString> NormaliseTime(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^(\\d{1,2}):?(\\d{2})$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch()) {
        return std::nullopt;
    }
    const int hour = m.captured(1).toInt();
    const int minute = m.captured(2).toInt();
    if (hour > 23 || minute > 59) {
        return std::nullopt;
    }
    return QStringLiteral("%1:%2")
        .arg(hour, 2, 10, QLatin1Char('0'))
        .arg(minute, 2, 10, QLatin1Char('0'));
}

}  // namespace

CellCheck CheckGridCell(int column, const QString& text) {
    const QString t = text.trimmed();
    switch (column) {
        case Time:
            if (auto time = NormaliseTime(t)) {
                return {time, {}};
            }
            return {std::nullopt, kMsgBadTime};
        case Call: {
            // The reader leaves blanks out, so a callsign with one inside
            // would come back changed.
            const QString call = t.toUpper();
            if (!call.isEmpty() && call.size() <= kMaxCallLength &&
                std::all_of(call.begin(), call.end(), IsCallCharacter)) {
                return {call, {}};
            }
            return {std::nullopt, kMsgBadCall};
        }
        case LicYear:
            // A single digit is stored with its "0", as the entry line does.
            if (!t.isEmpty() && t.size() <= kYearDigits && IsDigits(t)) {
                return {t.rightJustified(kYearDigits, u'0'), {}};
            }
            return {std::nullopt, kMsgBadYear};
        case Mode: {
            const QString mode = t.toUpper();
            if (mode == kModeCw || mode == kModeSsb) {
                return {mode, {}};
            }
            if (mode == QLatin1String("PH")) {  // the file's word for it
                return {kModeSsb, {}};
            }
            return {std::nullopt, kMsgBadMode};
        }
        default:
            // Points and multiplier are not written; scoring judges them.
            return {text, {}};
    }
}

std::optional<QString> NormaliseContestDate(const QString& typed) {
    const QDate date = QDate::fromString(typed.trimmed(), QStringLiteral("yyyy-M-d"));
    // Qt reads "-0729-1-9" as a valid date before the common era; its text
    // would push every later column of the line one place to the right.
    if (!date.isValid() || date.year() < 1) {
        return std::nullopt;
    }
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

QString QsoLineFault(const OwnLineData& own, const QsoRow& row) {
    if (own.MyCall.size() > kMaxCallLength) {
        return QStringLiteral("lastni pozivni znak ima več kot 12 znakov");
    }
    if (own.MyYearLic.size() != kYearDigits) {
        return QStringLiteral("lastno leto licence ni dvomestno");
    }
    if (own.ContestDate.size() != kDateLength) {
        return QStringLiteral("datum ni oblike llll-mm-dd");
    }
    const QString line = CabrilloQsoLine(own, row);
    const std::optional<QsoRow> back = ParseQsoLine(line);
    const QString writtenMode = row[Mode] == kModeSsb ? kModeSsb : kModeCw;
    if (line.size() != kLineLength || !back || (*back)[Time] != row[Time] ||
        (*back)[Call] != row[Call] || (*back)[LicYear] != row[LicYear] ||
        (*back)[Mode] != writtenMode) {
        return QStringLiteral("čas %1, znak %2, leto %3 ne gredo v stolpce vrstice")
            .arg(row[Time], row[Call], row[LicYear]);
    }
    return {};
}

}  // namespace corvatta
