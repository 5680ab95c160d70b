// Logs contacts and rewrites the log as fast as it can until it is killed.
// After each contact has reached the grid it prints "G <callsign>", so the
// test that kills it knows what the file must hold.
//   log_crash_child <program directory>
#include "logger/log_book.h"
#include "logger/qso_log_model.h"
#include "platform/program_dir.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        return 2;
    }
    platform::SetProgramDirectory(QString::fromLocal8Bit(argv[1]));
    corvatta::StationState state;
    state.op.MyCall = QStringLiteral("S59ABC");
    state.op.MyYearLic = QStringLiteral("75");
    state.op.Mode = QStringLiteral("CW");
    state.log.ContestDate = QStringLiteral("2025-04-20");
    corvatta::QsoLogModel log;
    corvatta::LogBook book(state, log);
    try {
        book.OpenLog();
        for (int i = 0; i < 100000; ++i) {
            // Six-character callsigns, each one new: S5 digit, three letters.
            const QString call = QStringLiteral("S5%1%2%3%4")
                                     .arg(i % 10)
                                     .arg(QChar(u'A' + (i / 10) % 26))
                                     .arg(QChar(u'A' + (i / 260) % 26))
                                     .arg(QChar(u'A' + (i / 6760) % 26));
            state.entry.CurrentCall = call;
            state.entry.CurrentLicYear = QStringLiteral("80");
            state.entry.NewMult = i == 0;
            book.LogQso(QStringLiteral("07:%1").arg(i % 60, 2, 10, QChar(u'0')));
            std::printf("G %s\n", call.toLatin1().constData());
            std::fflush(stdout);
            if (i % 2 == 1) {
                // A correction in the grid, saved as the grid is left.
                corvatta::LogClick(state.log);
                log.SetCell(i / 2, corvatta::Time,
                            QStringLiteral("08:%1").arg(i % 60, 2, 10, QChar(u'0')));
                corvatta::LogSetEditText(state.log);
                book.SaveGridEdits();
            }
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
