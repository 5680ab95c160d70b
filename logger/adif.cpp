#include "logger/adif.h"

#include "logger/log_file.h"
#include "logger/qso_log_model.h"

namespace corvatta {

namespace {

// Two digits of the licence year as the contest exchanges them.
QString TwoDigits(const QString& year) {
    return year.size() == 1 ? QStringLiteral("0") + year : year;
}

}  // namespace

QString AdifField(const QString& name, const QString& value) {
    // An .adi file is ASCII: a letter an operator typed into a grid cell
    // outside that range becomes "?", so every length stays exact.
    QString ascii = value;
    for (QChar& c : ascii) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7E)
            c = u'?';
    }
    return QStringLiteral("<%1:%2>%3").arg(name).arg(ascii.size()).arg(ascii);
}

QStringList AdifLines(const OwnLineData& own, const std::vector<QsoRow>& rows,
                      const QDateTime& createdUtc) {
    QStringList lines;
    lines.append(QStringLiteral("Corvatta ADIF export: KV prvenstvo ZRS, ") + own.MyCall);
    lines.append(AdifField(QStringLiteral("ADIF_VER"), kAdifVersion) + u' ' +
                 AdifField(QStringLiteral("PROGRAMID"), kAdifProgramId) + u' ' +
                 AdifField(QStringLiteral("PROGRAMVERSION"), kAdifProgramVersion));
    lines.append(AdifField(QStringLiteral("CREATED_TIMESTAMP"),
                           createdUtc.toUTC().toString(QStringLiteral("yyyyMMdd HHmmss"))));
    lines.append(QStringLiteral("<EOH>"));
    const QString date = QString(own.ContestDate).remove(u'-');
    for (const QsoRow& r : rows) {
        const bool ssb = r[Mode] == kModeSsb;
        const QString report = ssb ? QStringLiteral("59") : QStringLiteral("599");
        // Every mode but SSB is CW, as in the log file.
        QStringList f;
        f << AdifField(QStringLiteral("CALL"), r[Call])
          << AdifField(QStringLiteral("QSO_DATE"), date)
          << AdifField(QStringLiteral("TIME_ON"), QString(r[Time]).remove(u':'))
          << AdifField(QStringLiteral("BAND"), QStringLiteral("80m"))
          << AdifField(QStringLiteral("FREQ"), QStringLiteral("3.500"))
          << AdifField(QStringLiteral("MODE"), ssb ? kModeSsb : kModeCw)
          << AdifField(QStringLiteral("RST_SENT"), report)
          << AdifField(QStringLiteral("RST_RCVD"), report)
          << AdifField(QStringLiteral("STX_STRING"), TwoDigits(own.MyYearLic))
          << AdifField(QStringLiteral("SRX_STRING"), r[LicYear])
          << AdifField(QStringLiteral("CONTEST_ID"), kAdifContestId)
          << AdifField(QStringLiteral("STATION_CALLSIGN"), own.MyCall);
        lines.append(f.join(u' ') + QStringLiteral(" <EOR>"));
    }
    return lines;
}

void ExportAdif(const QString& fileName, const OwnLineData& own, const QsoLogModel& log,
                int qsoCount, const QDateTime& createdUtc) {
    std::vector<QsoRow> rows;
    for (int r = 0; r < qsoCount; ++r) {
        QsoRow row;
        for (int c = 0; c < LogColumnCount; ++c)
            row[static_cast<size_t>(c)] = log.Cell(r, c);
        rows.push_back(row);
    }
    WriteLinesReplacing(fileName, AdifLines(own, rows, createdUtc));
}

}  // namespace corvatta
