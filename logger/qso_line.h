// The fixed-column QSO line that makes up both the log file and the QSO part
// of the Cabrillo file, and the reading of such a line back into a log row.
#pragma once

#include <QString>

#include <array>
#include <optional>

namespace corvatta {

// The six text cells of one log row, in grid column order.
enum LogColumn { Time = 0, Call, LicYear, Points, Mult, Mode, LogColumnCount };
using QsoRow = std::array<QString, LogColumnCount>;

inline const QString kModeCw = QStringLiteral("CW");
inline const QString kModeSsb = QStringLiteral("SSB");

// The spacing and report that follow a callsign so that the report ends in
// a fixed column: Pad59 for a phone line, Pad599 for a CW line.
struct CallPadding {
    QString Pad59;
    QString Pad599;
};

// For 4 to 12 characters the report ends 13 columns after the callsign's
// first column. Shorter callsigns are padded by the same formula (they stay
// aligned); longer ones keep at least one space so the callsign never runs
// into its report and the line can still be read back.
CallPadding CallPad(const QString& callsign);

// What the sent half of every line is made of, taken afresh each time lines
// are written.
struct OwnLineData {
    QString MyCall;
    QString MyYearLic;
    QString ContestDate;  // "yyyy-mm-dd"
};

// One line, without its line end. `time` is the grid's "hh:mm" (the colon
// is dropped); every mode but "SSB" is written as CW.
QString CabrilloQsoLine(const OwnLineData& own, const QString& time, const QString& call,
                        const QString& licYear, const QString& mode);
QString CabrilloQsoLine(const OwnLineData& own, const QsoRow& row);

// The longest callsign (own or correspondent's) that keeps the columns of
// the line: a longer one pushes the licence year out of its columns.
constexpr int kMaxCallLength = 12;

// An operator's edit of a grid cell, checked before it is taken: the text to
// store (normalised where the meaning is plain, such as "9:05" to "09:05"),
// or nothing and the reason it cannot go into the log file.
struct CellCheck {
    std::optional<QString> text;
    QString refusal;
};
CellCheck CheckGridCell(int column, const QString& text);

inline const QString kMsgBadTime = QStringLiteral("Čas zveze je hh:mm, popravek zavrnjen !");
inline const QString kMsgBadCall =
    QStringLiteral("Pozivni znak je 1 do 12 znakov A-Z, 0-9, /, popravek zavrnjen !");
inline const QString kMsgBadYear =
    QStringLiteral("Leto licence sta ena ali dve številki, popravek zavrnjen !");
inline const QString kMsgBadMode = QStringLiteral("Način je CW ali SSB, popravek zavrnjen !");

// The contest date as the operator typed it, in the line's "yyyy-mm-dd"
// ("2027-4-18" becomes "2027-04-18"); nothing when it is no date.
std::optional<QString> NormaliseContestDate(const QString& typed);

// Why the line of this contact would not read back as it was written (a
// field that does not fit its columns); empty when it reads back.
QString QsoLineFault(const OwnLineData& own, const QsoRow& row);

// Reads a log or Cabrillo QSO line by its columns: time, callsign (blanks
// left out), licence year and the mode mark ("CW" gives CW and 2 points,
// "PH" gives SSB and 1 point, anything else leaves both cells blank). Columns
// past the end of a short line read as blanks. Lines that do not begin with
// "QSO:" (blank lines, headers, "END-OF-LOG:") are not contacts: nullopt.
std::optional<QsoRow> ParseQsoLine(const QString& line);

}  // namespace corvatta
