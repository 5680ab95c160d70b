// The log on disk and in the grid together: logging, restarting, deleting,
// editing, clearing and importing, with the file always equal to what the
// grid shows, and every failure reported instead of losing a contact.
#include "logger/log_book.h"

#include "logger/cabrillo.h"
#include "logger/licence_table.h"
#include "logger/log_file.h"
#include "logger/qso_line.h"
#include "logger/qso_log_model.h"
#include "logger/validation.h"
#include "platform/cp1250.h"
#include "platform/errors.h"
#include "platform/ini_file.h"
#include "platform/text_file.h"
#include "tests/support/disk_limits.h"
#include "tests/support/qt_printers.h"
#include "tests/support/temp_program_dir.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

namespace corvatta {
namespace {

QString Sp(int n) {
    return QString(n, u' ');
}

class LogFileTest : public ::testing::Test {
  protected:
    LogFileTest() {
        state.op.MyCall = "S59ABC";
        state.op.MyYearLic = "75";
        state.op.Mode = "CW";
        state.log.ContestDate = "2025-04-20";
        state.dates.CurrentYear = "26";
        book.HandOver = [this] { ++handOvers; };
    }

    // What the window does on Enter: validate, then log a valid entry.
    std::optional<LogBook::Logged> Enter(const QString& text, const QString& time = "07:12") {
        ValidationInput in;
        in.EntryText = text;
        in.Mode = state.op.Mode;
        in.CurrentYear = state.dates.CurrentYear;
        state.entry = ValidateEntry(in, state.entry, log, table).Entry;
        if (!IsValidForLogging(state.entry, text)) {
            return std::nullopt;
        }
        return book.LogQso(time);
    }

    QByteArray FileBytes() const { return dir.Read(state.op.MyCall + ".log"); }

    // The file holds exactly the log rows, written with the current own data.
    void ExpectFileMatchesGrid() const {
        const QStringList lines = QsoLines(book.Own(), log, state.log.QsoCount);
        EXPECT_EQ(
            dir.Read(QString(state.op.MyCall).replace('/', '_') + ".log"),
            platform::EncodeCp1250(lines.isEmpty() ? QString() : lines.join("\r\n") + "\r\n"));
        for (int r = state.log.QsoCount; r < log.RowCount(); ++r) {
            EXPECT_EQ(log.Row(r), QsoRow{}) << "row after the log is not blank: " << r;
        }
    }

    testing_support::TempProgramDir dir;
    StationState state;
    QsoLogModel log;
    LicenceTable table;
    LogBook book{state, log};
    int handOvers = 0;
};

TEST_F(LogFileTest, LogRestartAndReload) {
    const LogBook::Shown opened = book.OpenLog();
    EXPECT_TRUE(dir.Exists("S59ABC.log"));  // created empty
    EXPECT_EQ(opened.lqso, "S59ABC QSO: 0");
    EXPECT_FALSE(state.log.HasLines);

    auto first = Enter("S51A 80");
    ASSERT_TRUE(first);
    EXPECT_EQ(first->row, 0);
    EXPECT_EQ(log.Row(0), (QsoRow{"07:12", "S51A", "80", "2", "1", "CW"}));
    EXPECT_EQ(first->score.ESum, "4");
    EXPECT_EQ(first->lqso, "S59ABC QSO: 1");
    EXPECT_EQ(FileBytes(), "QSO:  3500 CW 2025-04-20 0712 S59ABC" + Sp(7).toLatin1() + "599 75" +
                               Sp(6).toLatin1() + "S51A" + Sp(9).toLatin1() + "599 80\r\n");
    EXPECT_EQ(state.entry.CurrentCall, "");  // ClearEntry
    EXPECT_EQ(state.entry.LastLoggedCall, "S51A");
    EXPECT_EQ(handOvers, 1);

    state.op.Mode = "SSB";
    ASSERT_TRUE(Enter("S52BCDEFGHIJ 7", "07:15"));
    state.op.Mode = "CW";
    const auto dupe = Enter("S51A 80", "07:20");
    ASSERT_TRUE(dupe);
    EXPECT_TRUE(dupe->clearDoubleLabel);
    EXPECT_EQ(log.Cell(2, Points), "0");
    ExpectFileMatchesGrid();

    // Restart: a new grid filled from the file.
    StationState again = state;
    QsoLogModel reloaded;
    LogBook book2(again, reloaded);
    const LogBook::Shown shown = book2.OpenLog();
    EXPECT_TRUE(again.log.HasLines);
    EXPECT_EQ(again.log.QsoCount, 3);
    EXPECT_EQ(shown.currentRow, 2);
    EXPECT_EQ(shown.score.ESum, "9");  // 3 points x 3 multipliers
    for (int r = 0; r < 3; ++r) {
        EXPECT_EQ(reloaded.Row(r), log.Row(r)) << r;
    }
}

TEST_F(LogFileTest, OwnDataOfTheLine) {
    state.op.MyCall = "S59ABC/P";
    state.op.MyYearLic = "7";
    book.OpenLog();
    ASSERT_TRUE(Enter("S51A 80"));
    EXPECT_EQ(state.op.MyYearLic, "07");
    EXPECT_TRUE(dir.Exists("S59ABC_P.log"));
    const QByteArray line = dir.Read("S59ABC_P.log");
    EXPECT_EQ(line.mid(30, 8), "S59ABC/P");
    EXPECT_EQ(line.mid(47, 2), "07");
    EXPECT_TRUE(line.endsWith("\r\n"));
}

TEST_F(LogFileTest, EnterNeverLogsAnEmptyContact) {
    book.OpenLog();
    EXPECT_FALSE(Enter(""));
    EXPECT_FALSE(Enter("S5"));
    ASSERT_TRUE(Enter("S51A 80"));
    EXPECT_FALSE(Enter(""));  // the second Enter after a contact
    // And LogQso itself refuses an entry without callsign or year.
    EXPECT_FALSE(book.LogQso("07:30"));
    EXPECT_EQ(state.log.QsoCount, 1);
    ExpectFileMatchesGrid();
}

TEST_F(LogFileTest, DeleteTheLastContact) {
    book.OpenLog();
    EXPECT_FALSE(book.DeleteLastQSO());
    ASSERT_TRUE(Enter("S51A 80"));
    auto deleted = book.DeleteLastQSO();
    ASSERT_TRUE(deleted);
    EXPECT_EQ(state.log.QsoCount, 0);
    EXPECT_EQ(log.RowCount(), 1);
    EXPECT_EQ(FileBytes(), "");
    EXPECT_EQ(deleted->lqso, "S59ABC QSO: 0");
    // The next contact goes into the blank row, as a first contact.
    state.op.Mode = "SSB";
    ASSERT_TRUE(Enter("S52B 85"));
    EXPECT_EQ(log.Row(0), (QsoRow{"07:12", "S52B", "85", "1", "1", "SSB"}));
    ASSERT_TRUE(Enter("S53C 86"));
    ASSERT_TRUE(Enter("S54D 87"));
    ASSERT_TRUE(book.DeleteLastQSO());
    EXPECT_EQ(log.RowCount(), 3);  // the row stays, blank
    ExpectFileMatchesGrid();
}

TEST_F(LogFileTest, GridEditsAreSavedOnlyAfterAClick) {
    book.OpenLog();
    ASSERT_TRUE(Enter("S51A 80"));
    ASSERT_TRUE(Enter("S52B 81"));
    const QByteArray before = FileBytes();
    QObject::connect(&log, &QsoLogModel::CellEdited, [this] { LogSetEditText(state.log); });

    // Typed without a click: the grid shows it, the file does not get it.
    log.setData(log.index(1, Call), "S52X");
    EXPECT_FALSE(book.SaveGridEdits());
    EXPECT_EQ(FileBytes(), before);

    LogClick(state.log);
    log.setData(log.index(1, Call), "S52Y");
    EXPECT_TRUE(state.log.LogModified);
    const auto score = book.SaveGridEdits();
    ASSERT_TRUE(score);
    EXPECT_FALSE(state.log.LogModified);
    EXPECT_TRUE(FileBytes().contains("S52Y"));
    ExpectFileMatchesGrid();
    // A mode the file cannot say is refused; the file's own word is taken.
    LogClick(state.log);
    EXPECT_FALSE(log.setData(log.index(1, Mode), "xx"));
    EXPECT_EQ(log.Cell(1, Mode), "CW");
    EXPECT_FALSE(state.log.LogModified);
    EXPECT_TRUE(log.setData(log.index(1, Mode), "ph"));
    ASSERT_TRUE(book.SaveGridEdits());
    EXPECT_EQ(log.Cell(1, Mode), "SSB");
    ExpectFileMatchesGrid();
}

TEST_F(LogFileTest, ClearTheLog) {
    book.OpenLog();
    ASSERT_TRUE(Enter("S51A 80"));
    ASSERT_TRUE(Enter("S52B 81"));
    const LogBook::Shown cleared = book.ClearLog();
    EXPECT_EQ(FileBytes(), "");
    EXPECT_EQ(log.RowCount(), 1);
    EXPECT_EQ(log.Row(0), QsoRow{});
    EXPECT_EQ(state.log.QsoCount, 0);
    EXPECT_EQ(cleared.lqso, "S59ABC QSO: 0");
    EXPECT_EQ(cleared.score.EPoint, "0");
    EXPECT_EQ(cleared.score.EMult, "0");
    EXPECT_EQ(cleared.score.ESum, "0");
}

TEST_F(LogFileTest, AFailedAppendKeepsTheContactOutOfTheGrid) {
    book.OpenLog();
    ASSERT_TRUE(Enter("S51A 80"));
    const QString path = book.LogFileName();
    // A full disk: every write fails.
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QFile::link("/dev/full", path));
    EXPECT_THROW(Enter("S52B 81"), platform::IoError);
    EXPECT_EQ(state.log.QsoCount, 1);
    EXPECT_EQ(log.RowCount(), 1);
    EXPECT_EQ(state.entry.CurrentCall, "S52B");  // still there to try again
    // A file that cannot be opened at all.
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QDir().mkdir(path));
    try {
        book.LogQso("07:13");
        FAIL() << "no error";
    } catch (const platform::IoError& e) {
        EXPECT_TRUE(e.message().contains(path));
    }
    EXPECT_EQ(state.log.QsoCount, 1);
    // Back to a good file: the same entry logs.
    ASSERT_TRUE(QDir().rmdir(path));
    ASSERT_TRUE(book.LogQso("07:14"));
    EXPECT_EQ(state.log.QsoCount, 2);
}

TEST_F(LogFileTest, AFailedRewriteIsReportedAndChangesNothing) {
    book.OpenLog();
    ASSERT_TRUE(Enter("S51A 80"));
    ASSERT_TRUE(Enter("S52B 81"));
    const QString path = book.LogFileName();
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QDir().mkdir(path));  // cannot be replaced
    try {
        book.DeleteLastQSO();
        FAIL() << "no error";
    } catch (const platform::IoError& e) {
        EXPECT_TRUE(e.message().contains(path));
    }
    EXPECT_EQ(state.log.QsoCount, 2);
    EXPECT_EQ(log.Cell(1, Call), "S52B");
    LogClick(state.log);
    LogSetEditText(state.log);
    EXPECT_THROW(book.SaveGridEdits(), platform::IoError);
    EXPECT_THROW(book.ClearLog(), platform::IoError);
    EXPECT_EQ(state.log.QsoCount, 2);
}

TEST_F(LogFileTest, EveryWholeFileWriteHittingAFullDiskKeepsTheOldFile) {
    book.OpenLog();
    ASSERT_TRUE(Enter("S51A 80"));
    ASSERT_TRUE(Enter("S52B 81"));
    ASSERT_TRUE(Enter("S53C 82"));
    const QString copy = dir.File("copy.log");
    dir.Write("copy.log", FileBytes());
    for (const char* name :
         {"S59ABC.cbr", "zmbtmp.bak", "mine.cbr", "mine.log", "Corvattaini.ini"}) {
        dir.Write(name, QByteArray("old ") + name);
    }
    const CabrilloHeader header{"S59ABC", "SINGLE-OP", "", false, "12", "Ime", "A", "B", "e@x"};
    const QString tooLarge = QString::fromLocal8Bit(std::strerror(EFBIG));
    struct Writer {
        const char* what;
        QString file;
        std::function<void()> write;
    };
    const Writer writers[] = {
        {"Ctrl+Del", book.LogFileName(), [&] { book.DeleteLastQSO(); }},
        {"grid edit", book.LogFileName(),
         [&] {
             LogClick(state.log);
             log.setData(log.index(0, Call), "S51AA");
             book.SaveGridEdits();
         }},
        {"Odpri Log", book.LogFileName(), [&] { book.ImportLogCopy(copy); }},
        {"Shrani CBR", dir.File("S59ABC.cbr"),
         [&] { SaveCbr("S59ABC", header, book.Own(), log, state.log.QsoCount); }},
        {"Shrani kot Cbr", dir.File("mine.cbr"),
         [&] { ExportCabrillo(dir.File("mine.cbr"), header, book.Own(), log, 3); }},
        {"Shrani kot Log", dir.File("mine.log"),
         [&] { ExportLogAs(dir.File("mine.log"), book.Own(), log, 3); }},
        {"settings", dir.File("Corvattaini.ini"),
         [&] {
             const platform::IniFile ini(dir.File("Corvattaini.ini"));
             platform::IniDocument doc;
             doc.WriteString("GENERAL", "MyName", QString(200, u'x'));
             ini.Save(doc);
         }},
    };
    QObject::connect(&log, &QsoLogModel::CellEdited, [this] { LogSetEditText(state.log); });
    for (const Writer& w : writers) {
        SCOPED_TRACE(w.what);
        const QString name = QFileInfo(w.file).fileName();
        const QByteArray before = dir.Read(name);
        const QString result = testing_support::RunWithFileSizeLimit(100, [&] {
            w.write();
            return QStringLiteral("written");
        });
        EXPECT_TRUE(result.startsWith("exception: ")) << result.toStdString();
        EXPECT_TRUE(result.contains(w.file)) << result.toStdString();
        EXPECT_TRUE(result.contains(tooLarge)) << result.toStdString();
        EXPECT_EQ(dir.Read(name), before);
    }
    EXPECT_EQ(dir.Read("zmbtmp.bak"), "old zmbtmp.bak");
    EXPECT_EQ(QDir(dir.Path()).entryList(QDir::Hidden | QDir::Files).size(), 7);  // no temporaries
}

TEST_F(LogFileTest, ContactAfterAHandEditedLastLineIsKept) {
    // The last line lost its line end in a text editor.
    dir.Write("S59ABC.log",
              platform::EncodeCp1250(CabrilloQsoLine(book.Own(), "07:12", "S51A", "80", "CW")));
    book.OpenLog();
    ASSERT_TRUE(Enter("S52B 81", "07:13"));
    book.OpenLog();  // the next start
    EXPECT_EQ(state.log.QsoCount, 2);
    EXPECT_EQ(log.Row(1), (QsoRow{"07:13", "S52B", "81", "2", "1", "CW"}));
    // A rewrite keeps both.
    ASSERT_TRUE(Enter("S53C 82", "07:14"));
    ASSERT_TRUE(book.DeleteLastQSO());
    book.OpenLog();
    EXPECT_EQ(state.log.QsoCount, 2);
    EXPECT_EQ(log.Cell(0, Call), "S51A");
    EXPECT_EQ(log.Cell(1, Call), "S52B");
    ExpectFileMatchesGrid();
}

TEST_F(LogFileTest, OwnDataThatDoNotFitTheColumnsAreNeverWritten) {
    book.OpenLog();
    ASSERT_TRUE(Enter("S51A 80"));
    ASSERT_TRUE(Enter("S53C 82"));
    // A single-digit own year is written with its "0" also by a rewrite.
    state.op.MyYearLic = "7";
    LogClick(state.log);
    LogSetEditText(state.log);
    ASSERT_TRUE(book.SaveGridEdits());
    EXPECT_EQ(FileBytes().mid(47, 2), "07");
    // An own callsign of 13 characters (a hand-edited settings file).
    const QByteArray before = FileBytes();
    state.op.MyCall = "S59ABCDEFGHIJ";
    dir.Write("S59ABCDEFGHIJ.log", before);
    try {
        Enter("S52B 81");
        ADD_FAILURE() << "no error";
    } catch (const platform::Error& e) {
        EXPECT_TRUE(e.message().contains(dir.File("S59ABCDEFGHIJ.log")))
            << e.message().toStdString();
    }
    EXPECT_EQ(state.log.QsoCount, 2);
    EXPECT_THROW(book.DeleteLastQSO(), platform::Error);
    EXPECT_EQ(state.log.QsoCount, 2);
    EXPECT_EQ(dir.Read("S59ABCDEFGHIJ.log"), before);
}

TEST_F(LogFileTest, NonQsoLinesAreSkippedOnLoad) {
    const QString good = CabrilloQsoLine(book.Own(), "07:12", "S51A", "80", "CW");
    const QString good2 = CabrilloQsoLine(book.Own(), "07:13", "S52B", "81", "SSB");
    dir.Write("S59ABC.log",
              platform::EncodeCp1250("\r\nSTART-OF-LOG: 2.0\r\n" + good + "\r\n\r\n" + good2 +
                                     "\r\nQSO:  3500 CW 2025\r\nEND-OF-LOG:"));
    const OpenedLog opened = OpenLogFile(book.LogFileName());
    EXPECT_EQ(opened.NonEmptyLines, 5);
    const LogBook::Shown shown = book.OpenLog();
    EXPECT_EQ(state.log.QsoCount, 3);
    EXPECT_EQ(log.Row(0), (QsoRow{"07:12", "S51A", "80", "2", "1", "CW"}));
    EXPECT_EQ(log.Cell(1, Mode), "SSB");
    EXPECT_EQ(log.Row(2), (QsoRow{"  :  ", "", "  ", "2", "1", "CW"}));
    EXPECT_EQ(shown.score.EPoint, "5");
    EXPECT_EQ(LoadLogFile(dir.File("missing.log"), log), -1);
    EXPECT_EQ(state.log.QsoCount, 3);
}

// The contacts as the text reader's lines give them: what the one read must
// match. Row 0 carries Mult "1", as the log's first contact always does.
std::vector<QsoRow> RowsOfTextLines(const QStringList& lines) {
    std::vector<QsoRow> rows;
    for (const QString& line : lines) {
        if (auto row = ParseQsoLine(line)) {
            rows.push_back(std::move(*row));
        }
    }
    if (!rows.empty()) {
        rows.front()[Mult] = QStringLiteral("1");
    }
    return rows;
}

// The file is read once for its line count and its contacts: the count is
// that of the non-empty lines as the text reader splits them, and the rows
// are those the text reader's lines give.
TEST_F(LogFileTest, OneReadCountsLinesAsTheTextReaderSplitsThem) {
    const QByteArray a =
        platform::EncodeCp1250(CabrilloQsoLine(book.Own(), "07:12", "S51A", "80", "CW"));
    const QByteArray b =
        platform::EncodeCp1250(CabrilloQsoLine(book.Own(), "07:13", "S52Č", "81", "SSB"));
    const struct {
        const char* name;
        QByteArray bytes;
        int nonEmpty;
        size_t contacts;
    } cases[] = {
        {"CR LF", a + "\r\n" + b + "\r\n", 2, 2},
        {"LF only", a + "\n" + b + "\n", 2, 2},
        {"lone CR", a + "\r" + b + "\r", 2, 2},
        {"no final line end", a + "\r\n" + b, 2, 2},
        {"empty lines", "\r\n\n" + a + "\r\n\r\n\r\r\n" + b + "\n\n", 2, 2},
        {"LF CR is two ends", a + "\n\r" + b, 2, 2},
        {"other lines count", "START-OF-LOG: 2.0\r\n" + a + "\r\n \r\nQSO:\r\n", 4, 2},
        {"only line ends", "\r\n\r\n\n\r", 0, 0},
        {"empty file", "", 0, 0},
    };
    for (const auto& c : cases) {
        dir.Write("S59ABC.log", c.bytes);
        const OpenedLog opened = OpenLogFile(book.LogFileName());
        EXPECT_EQ(opened.NonEmptyLines, c.nonEmpty) << c.name;
        EXPECT_EQ(opened.HasLines, c.nonEmpty > 0) << c.name;
        const std::vector<QsoRow> byText =
            RowsOfTextLines(platform::ReadTextLines(book.LogFileName()));
        EXPECT_EQ(opened.Rows.size(), c.contacts) << c.name;
        EXPECT_EQ(opened.Rows, byText) << c.name;
        EXPECT_EQ(ReadLogRows(book.LogFileName()), byText) << c.name;
    }
    // A missing file is created empty and holds nothing.
    const OpenedLog created = OpenLogFile(dir.File("S51NEW.log"));
    EXPECT_EQ(created.NonEmptyLines, 0);
    EXPECT_TRUE(created.Rows.empty());
    EXPECT_TRUE(QFile::exists(dir.File("S51NEW.log")));
}

TEST_F(LogFileTest, ImportACopyMadeUnderAnotherCallsign) {
    book.OpenLog();
    ASSERT_TRUE(Enter("S55Z 90"));
    const OwnLineData other{"S57XYZ", "60", "2024-10-20"};
    const QString copy = dir.File("copy.log");
    {
        QFile f(copy);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(platform::EncodeCp1250(
            CabrilloQsoLine(other, "08:01", "S51A", "80", "CW") + "\r\n\r\n" +
            CabrilloQsoLine(other, "08:02", "S52BC", "07", "SSB") + "\r\nnot a contact\r\n"));
    }
    const LogBook::Shown shown = book.ImportLogCopy(copy);
    EXPECT_EQ(state.log.QsoCount, 2);
    EXPECT_EQ(shown.lqso, "S59ABC QSO: 2");
    EXPECT_EQ(log.Row(1), (QsoRow{"08:02", "S52BC", "07", "1", "1", "SSB"}));
    EXPECT_FALSE(FileBytes().contains("S57XYZ"));
    EXPECT_TRUE(FileBytes().startsWith("QSO:  3500 CW 2025-04-20 0801 S59ABC"));
    ExpectFileMatchesGrid();

    // Picking the log itself leaves it as it is.
    const QByteArray before = FileBytes();
    book.ImportLogCopy(book.LogFileName());
    EXPECT_EQ(FileBytes(), before);
    EXPECT_EQ(state.log.QsoCount, 2);

    // A copy that cannot be read changes nothing.
    EXPECT_THROW(book.ImportLogCopy(dir.File("gone.log")), platform::IoError);
    EXPECT_EQ(FileBytes(), before);
    EXPECT_EQ(state.log.QsoCount, 2);
    EXPECT_EQ(log.Cell(0, Call), "S51A");
}

TEST_F(LogFileTest, LicenceFileReplacesTheBuiltInTable) {
    EXPECT_EQ(LicenceTable::ForProgram().Size(), 401);
    dir.Write("Licence.txt", "# mine\r\nS51XYZ,77\r\nbroken line\r\nS52XYZ=05\r\n");
    const LicenceTable t = LicenceTable::ForProgram();
    EXPECT_EQ(t.Size(), 2);
    EXPECT_EQ(t.SkippedLines(), 1);
    EXPECT_EQ(t.Find("S51XYZ"), QString("77"));
    EXPECT_FALSE(t.Find(LicenceTable::BuiltIn().Entries().front().first));
}

TEST_F(LogFileTest, LicenceFileSavedAsUtf8KeepsItsFirstEntry) {
    dir.Write("Licence.txt", "\xEF\xBB\xBFS51XYZ,77\r\nS52XYZ=05");
    const LicenceTable t = LicenceTable::ForProgram();
    EXPECT_EQ(t.Find("S51XYZ"), QString("77"));
    EXPECT_EQ(t.Find("S52XYZ"), QString("05"));
    EXPECT_EQ(t.SkippedLines(), 0);
}

}  // namespace
}  // namespace corvatta
