// The log at contest-file sizes far beyond a contest: per-keystroke
// validation, scoring, loading and exporting at 1,000 / 10,000 / 100,000
// contacts, each beside the plain row-by-row scan it replaces.
#include "logger/cabrillo.h"
#include "logger/licence_table.h"
#include "logger/log_book.h"
#include "logger/log_file.h"
#include "logger/qso_log_model.h"
#include "logger/scoring.h"
#include "logger/validation.h"
#include "platform/program_dir.h"
#include "tests/logger/log_literal_scan.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

namespace corvatta {
namespace {

const OwnLineData kOwn{QStringLiteral("S59ABC"), QStringLiteral("75"),
                       QStringLiteral("2025-04-20")};

// Contacts with repeats, as a log kept over many contests has.
std::vector<QsoRow> MakeRows(int n) {
    std::vector<QsoRow> rows(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        const int k = (i * 7919) % (n / 2 + 1);
        rows[size_t(i)] = {QStringLiteral("07:%1").arg(i % 60, 2, 10, QChar(u'0')),
                           QStringLiteral("S5%1%2%3%4")
                               .arg(k % 10)
                               .arg(QChar(u'A' + (k / 10) % 26))
                               .arg(QChar(u'A' + (k / 260) % 26))
                               .arg(QChar(u'A' + (k / 6760) % 26)),
                           QStringLiteral("%1").arg((k * 31) % 100, 2, 10, QChar(u'0')),
                           QStringLiteral("2"),
                           QStringLiteral("1"),
                           i % 3 == 0 ? kModeSsb : kModeCw};
    }
    return rows;
}

// The keystrokes of one entry, cycled.
const QStringList kKeystrokes{"S5",        "S59",      "S59Q",     "S59QA",
                              "S59QAB",    "S59QAB ",  "S59QAB 8", "S59QAB 85",
                              "S5/S59QAB", "S5ABC 85", "DL1ABC",   "S53XYZ 30"};

ValidationInput Input() {
    ValidationInput in;
    in.Mode = kModeCw;
    in.MixCategory = true;
    in.CurrentYear = QStringLiteral("26");
    in.SuggestLicenceYear = true;
    return in;
}

void BM_ValidateEntry(benchmark::State& st) {
    QsoLogModel log;
    log.ReplaceRows(MakeRows(int(st.range(0))));
    const LicenceTable table = LicenceTable::BuiltIn();
    ValidationInput in = Input();
    EntryData entry;
    qsizetype k = 0;
    for (auto _ : st) {
        in.EntryText = kKeystrokes[k++ % kKeystrokes.size()];
        ValidationResult r = ValidateEntry(in, entry, log, table);
        entry = r.Entry;
        benchmark::DoNotOptimize(r);
    }
}

void BM_ValidateEntryScan(benchmark::State& st) {
    QsoLogModel log;
    log.ReplaceRows(MakeRows(int(st.range(0))));
    const LicenceTable table = LicenceTable::BuiltIn();
    ValidationInput in = Input();
    EntryData entry;
    qsizetype k = 0;
    for (auto _ : st) {
        in.EntryText = kKeystrokes[k++ % kKeystrokes.size()];
        ValidationResult r = ValidateEntryWith(
            in, entry,
            [&log](const QString& c, const QString& y, const QString& m, const QString& o,
                   bool mix) { return literal::Match(log, c, y, m, o, mix); },
            [&table](const QString& key) { return literal::Predict(table, key); });
        entry = r.Entry;
        benchmark::DoNotOptimize(r);
    }
}

void BM_Recalculate(benchmark::State& st) {
    const int n = int(st.range(0));
    QsoLogModel log;
    log.ReplaceRows(MakeRows(n));
    for (auto _ : st) {
        benchmark::DoNotOptimize(Recalculate(log, n, kOwn.MyYearLic));
    }
}

void BM_RecalculateScan(benchmark::State& st) {
    const int n = int(st.range(0));
    QsoLogModel log;
    log.ReplaceRows(MakeRows(n));
    for (auto _ : st) {
        benchmark::DoNotOptimize(literal::Recalculate(log, n, kOwn.MyYearLic));
    }
}

// A file of n lines on disk, written once per benchmark.
QString WriteLog(const QTemporaryDir& dir, int n) {
    QsoLogModel log;
    log.ReplaceRows(MakeRows(n));
    const QString path = dir.filePath(QStringLiteral("S59ABC.log"));
    RewriteLogFile(path, kOwn, log, n);
    return path;
}

// Loading the log is reading the file into the model and scoring it.
void BM_LoadLogFile(benchmark::State& st) {
    QTemporaryDir dir;
    const QString path = WriteLog(dir, int(st.range(0)));
    QsoLogModel log;
    for (auto _ : st) {
        const int n = LoadLogFile(path, log);
        benchmark::DoNotOptimize(Recalculate(log, n, kOwn.MyYearLic));
    }
}

void BM_LoadLogFileScan(benchmark::State& st) {
    QTemporaryDir dir;
    const QString path = WriteLog(dir, int(st.range(0)));
    QsoLogModel log;
    for (auto _ : st) {
        const int n = LoadLogFile(path, log);
        benchmark::DoNotOptimize(literal::Recalculate(log, n, kOwn.MyYearLic));
    }
}

// The program's start with a log of n contacts: the file read once for its
// line count and contacts, the rows and their index, the score.
void BM_OpenLog(benchmark::State& st) {
    QTemporaryDir dir;
    const QString path = WriteLog(dir, int(st.range(0)));
    platform::SetProgramDirectory(dir.path());
    StationState state;
    state.op.MyCall = kOwn.MyCall;
    state.op.MyYearLic = kOwn.MyYearLic;
    QsoLogModel log;
    LogBook book(state, log);
    for (auto _ : st) {
        benchmark::DoNotOptimize(book.OpenLog());
    }
    platform::SetProgramDirectory(QString());
}

void BM_ExportCabrillo(benchmark::State& st) {
    const int n = int(st.range(0));
    QTemporaryDir dir;
    QsoLogModel log;
    log.ReplaceRows(MakeRows(n));
    CabrilloHeader header;
    header.MyCall = kOwn.MyCall;
    header.ClaimedScore = QStringLiteral("1");
    for (auto _ : st) {
        ExportCabrillo(dir.filePath(QStringLiteral("S59ABC.cbr")), header, kOwn, log, n);
    }
}

// One contact appended and flushed to disk, the price of never losing it.
void BM_AppendLogLine(benchmark::State& st) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("S59ABC.log"));
    const QString line = CabrilloQsoLine(kOwn, QStringLiteral("07:12"), QStringLiteral("S51A"),
                                         QStringLiteral("80"), kModeCw);
    for (auto _ : st) {
        AppendLogLine(path, line);
    }
}

BENCHMARK(BM_ValidateEntry)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ValidateEntryScan)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Recalculate)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecalculateScan)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecalculateScan)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadLogFile)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadLogFileScan)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadLogFileScan)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenLog)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportCabrillo)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AppendLogLine)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace corvatta

BENCHMARK_MAIN();
