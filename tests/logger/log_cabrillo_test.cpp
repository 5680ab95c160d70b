// The Cabrillo file byte for byte, the plain QSO-line export, and "Shrani
// CBR" with its two files and its failures.
#include "logger/cabrillo.h"

#include "logger/log_file.h"
#include "logger/qso_log_model.h"
#include "platform/errors.h"
#include "station/station_state.h"
#include "tests/support/qt_printers.h"
#include "tests/support/temp_program_dir.h"

#include <gtest/gtest.h>

#include <QDir>

namespace corvatta {
namespace {

class LogCabrillo : public ::testing::Test {
  protected:
    LogCabrillo() {
        header.MyCall = "S51A";
        header.Category = "SINGLE-OP SSB LOW";
        header.MyClub = "Radioklub Vrh";
        header.RadioClub = false;
        header.ClaimedScore = "9";
        header.MyName = "Žiga Čuk";
        header.MyAddress = "Cesta 1";
        header.MyAddress1 = "1000 Ljubljana";
        header.MyEmail = "s51a@example.org";
        own = {"S51A", "60", "2025-04-20"};
        log.ReplaceRows({{"07:01", "S52B", "80", "1", "1", "SSB"},
                         {"07:02", "S53C", "81", "1", "1", "SSB"},
                         {"07:03", "S54D", "82", "1", "1", "SSB"},
                         {"", "", "", "", "", ""}});  // a blank row after the log
    }

    testing_support::TempProgramDir dir;
    CabrilloHeader header;
    OwnLineData own;
    QsoLogModel log;
};

TEST_F(LogCabrillo, ThreePhoneContactsByteForByte) {
    ExportCabrillo(dir.File("out.cbr"), header, own, log, 3);
    const QByteArray expected =
        "START-OF-LOG: 2.0\r\n"
        "CREATED-BY: Corvatta 1.11\r\n"
        "CALLSIGN: S51A\r\n"
        "CONTEST: KV prvenstvo ZRS\r\n"
        "CATEGORY: SINGLE-OP SSB LOW\r\n"
        "CLUB: \r\n"
        "CLAIMED-SCORE: 9\r\n"
        "OPERATORS: S51A\r\n"
        "NAME: \x8Eiga \xC8uk\r\n"
        "ADDRESS: Cesta 1\r\n"
        "ADDRESS: 1000 Ljubljana\r\n"
        "EMAIL: s51a@example.org\r\n"
        "QSO:  3500 PH 2025-04-20 0701 S51A          59 60      S52B          59 80\r\n"
        "QSO:  3500 PH 2025-04-20 0702 S51A          59 60      S53C          59 81\r\n"
        "QSO:  3500 PH 2025-04-20 0703 S51A          59 60      S54D          59 82\r\n"
        "END-OF-LOG:\r\n";
    EXPECT_EQ(dir.Read("out.cbr"), expected);
    for (const QByteArray& line : expected.split('\n')) {
        if (line.startsWith("QSO:")) {
            EXPECT_EQ(line.size(), 75);  // 74 and the CR
            EXPECT_EQ(line.mid(44, 2), "59");
            EXPECT_EQ(line.mid(69, 2), "59");
        }
    }
}

TEST_F(LogCabrillo, HeaderVariantsAndModes) {
    header.RadioClub = true;
    QStringList lines = CabrilloLines(header, {});
    EXPECT_EQ(lines.size(), 13);
    EXPECT_EQ(lines[5], "CLUB: Radioklub Vrh");
    EXPECT_EQ(lines.last(), "END-OF-LOG:");
    // An own callsign with "/" stays as it is in the header and the lines.
    header.MyCall = own.MyCall = "S51A/P";
    log.SetCell(1, Mode, "CW");
    log.SetCell(2, Mode, "");  // no mode: written as CW
    lines = CabrilloLines(header, QsoLines(own, log, 3));
    EXPECT_EQ(lines[2], "CALLSIGN: S51A/P");
    EXPECT_EQ(lines[7], "OPERATORS: S51A/P");
    EXPECT_EQ(lines[12].mid(30, 17), "S51A/P" + QString(8, ' ') + "59 ");
    EXPECT_EQ(lines[13], "QSO:  3500 CW 2025-04-20 0702 S51A/P" + QString(7, ' ') + "599 60" +
                             QString(6, ' ') + "S53C" + QString(9, ' ') + "599 81");
    EXPECT_TRUE(lines[14].startsWith("QSO:  3500 CW "));
}

TEST_F(LogCabrillo, EmptyLogAndTheLogExport) {
    ExportCabrillo(dir.File("empty.cbr"), header, own, log, 0);
    const QList<QByteArray> lines = dir.Read("empty.cbr").split('\n');
    EXPECT_EQ(lines.size(), 14);  // 13 lines and what follows the last line end
    EXPECT_EQ(lines[12], "END-OF-LOG:\r");
    ExportLogAs(dir.File("copy.log"), own, log, 3);
    const QByteArray copy = dir.Read("copy.log");
    EXPECT_EQ(copy.count("\r\n"), 3);
    EXPECT_TRUE(copy.startsWith("QSO:  3500 PH 2025-04-20 0701 S51A"));
    // The export reads back as the log it came from.
    const std::vector<QsoRow> back = ReadLogRows(dir.File("copy.log"));
    ASSERT_EQ(back.size(), 3u);
    EXPECT_EQ(back[2][Call], "S54D");
}

TEST_F(LogCabrillo, SaveCbrWritesBothFilesOrSaysWhichFailed) {
    SaveCbr("S51A_P", header, own, log, 3);
    const QByteArray first = dir.Read("S51A_P.cbr");
    EXPECT_TRUE(first.endsWith("END-OF-LOG:\r\n"));
    EXPECT_EQ(dir.Read("zmbtmp.bak"), first);
    // Again, unchanged: the same two files.
    SaveCbr("S51A_P", header, own, log, 3);
    EXPECT_EQ(dir.Read("S51A_P.cbr"), first);

    // The backup cannot be written: the main file still is, and the failure
    // names the backup.
    ASSERT_TRUE(QFile::remove(dir.File("zmbtmp.bak")));
    ASSERT_TRUE(QDir().mkdir(dir.File("zmbtmp.bak")));
    log.SetCell(0, Call, "S52Q");
    try {
        SaveCbr("S51A_P", header, own, log, 3);
        FAIL() << "no error";
    } catch (const platform::IoError& e) {
        EXPECT_TRUE(e.message().contains("zmbtmp.bak"));
        EXPECT_FALSE(e.message().contains("S51A_P.cbr"));
    }
    EXPECT_TRUE(dir.Read("S51A_P.cbr").contains("S52Q"));
    EXPECT_THROW(ExportCabrillo(dir.File("zmbtmp.bak"), header, own, log, 3), platform::IoError);
    EXPECT_THROW(ExportLogAs(dir.File("no/such/folder.log"), own, log, 3), platform::IoError);
}

}  // namespace
}  // namespace corvatta
