#include "logger/cabrillo.h"

#include "logger/log_file.h"
#include "platform/errors.h"
#include "platform/program_dir.h"
#include "station/station_state.h"

namespace corvatta {

CabrilloHeader CabrilloHeaderOf(const StationState& state, const QString& claimedScore) {
    CabrilloHeader h;
    h.MyCall = state.op.MyCall;
    h.Category = state.op.Category;
    h.MyClub = state.op.MyClub;
    h.RadioClub = state.panel.RKChk;
    h.ClaimedScore = claimedScore;
    h.MyName = state.op.MyName;
    h.MyAddress = state.op.MyAddress;
    h.MyAddress1 = state.op.MyAddress1;
    h.MyEmail = state.op.MyEmail;
    return h;
}

QStringList CabrilloLines(const CabrilloHeader& header, const QStringList& qsoLines) {
    QStringList lines;
    lines.reserve(qsoLines.size() + 13);
    lines << QStringLiteral("START-OF-LOG: 2.0") << QStringLiteral("CREATED-BY: Corvatta 1.11")
          << QStringLiteral("CALLSIGN: ") + header.MyCall
          << QStringLiteral("CONTEST: KV prvenstvo ZRS")
          << QStringLiteral("CATEGORY: ") + header.Category
          << QStringLiteral("CLUB: ") + (header.RadioClub ? header.MyClub : QString())
          << QStringLiteral("CLAIMED-SCORE: ") + header.ClaimedScore
          << QStringLiteral("OPERATORS: ") + header.MyCall
          << QStringLiteral("NAME: ") + header.MyName
          << QStringLiteral("ADDRESS: ") + header.MyAddress
          << QStringLiteral("ADDRESS: ") + header.MyAddress1
          << QStringLiteral("EMAIL: ") + header.MyEmail;
    lines += qsoLines;
    lines << QStringLiteral("END-OF-LOG:");
    return lines;
}

void ExportCabrillo(const QString& fileName, const CabrilloHeader& header, const OwnLineData& own,
                    const QsoLogModel& log, int qsoCount) {
    WriteLinesReplacing(fileName, CabrilloLines(header, QsoLines(own, log, qsoCount)));
}

void ExportLogAs(const QString& fileName, const OwnLineData& own, const QsoLogModel& log,
                 int qsoCount) {
    WriteLinesReplacing(fileName, QsoLines(own, log, qsoCount));
}

void SaveCbr(const QString& fileCall, const CabrilloHeader& header, const OwnLineData& own,
             const QsoLogModel& log, int qsoCount) {
    const QStringList lines = CabrilloLines(header, QsoLines(own, log, qsoCount));
    const QString dir = platform::ProgramDirectory();
    QStringList failures;
    for (const QString& name : {fileCall + QStringLiteral(".cbr"), kBackupCbrName}) {
        try {
            WriteLinesReplacing(dir + name, lines);
        } catch (const platform::IoError& e) {
            failures << e.message();
        }
    }
    if (!failures.isEmpty()) {
        throw platform::IoError(failures.join(QLatin1Char('\n')));
    }
}

}  // namespace corvatta
