// "Shrani ADIF": the file is read back by a strict reader of its own that
// refuses any length that does not match its data, and every field of the
// header and of each record is checked.
#include "logger/adif.h"
#include "logger/qso_log_model.h"
#include "tests/logger/adif_strict_reader.h"

#include <gtest/gtest.h>

namespace {

using namespace corvatta;
using testing_support::Fields;
using testing_support::ReadAdifStrictly;

TEST(AdifStrictReader, RefusesWhatAWrongWriterWouldProduce) {
    struct Case {
        const char* name;
        QByteArray bytes;
        bool good;
    } cases[] = {
        {"good", "x <ADIF_VER:5>3.1.4 <EOH> <CALL:4>S51A <EOR>\r\n", true},
        {"typed field", "x <EOH> <FREQ:5:N>3.500 <EOR>", true},
        {"length short", "x <EOH> <CALL:3>S51A <EOR>", false},
        {"length long", "x <EOH> <CALL:5>S51A <EOR>", false},
        {"length long before a tag", "x <EOH> <CALL:5>S51A<EOR>", false},
        {"no header end", "x <CALL:4>S51A <EOR>", false},
        {"unterminated record", "x <EOH> <CALL:4>S51A", false},
        {"field twice", "x <EOH> <CALL:4>S51A <CALL:4>S51B <EOR>", false},
        {"not ASCII",
         "x <EOH> <CALL:4>S5\xe8"
         "1 <EOR>",
         false},
        {"length not a number", "x <EOH> <CALL:x>S51A <EOR>", false},
    };
    for (const Case& c : cases) {
        QString why;
        const auto file = ReadAdifStrictly(c.bytes, &why);
        EXPECT_EQ(file.has_value(), c.good) << c.name << ": " << why.toStdString();
    }
}

std::vector<QsoRow> Rows() {
    return {{"07:05", "S51A", "85", "2", "1", "CW"},
            {"07:06", "S59ABCDEFGHI", "07", "1", "1", "SSB"},
            {"08:59", "S5/S59ABC", "99", "0", "0", ""}};
}

TEST(AdifExport, EveryFieldOfTheHeaderAndOfEachRecordReadsBackExactly) {
    const OwnLineData own{"S59XYZ/P", "5", "2027-04-18"};
    const QDateTime created(QDate(2027, 4, 18), QTime(9, 3, 7), Qt::UTC);
    const QString text = AdifLines(own, Rows(), created).join("\r\n") + "\r\n";
    QString why;
    const auto file = ReadAdifStrictly(text.toLatin1(), &why);
    ASSERT_TRUE(file) << why.toStdString();
    EXPECT_FALSE(file->preamble.trimmed().isEmpty());
    const Fields header{{"ADIF_VER", "3.1.4"},
                        {"PROGRAMID", "Corvatta"},
                        {"PROGRAMVERSION", "1.11"},
                        {"CREATED_TIMESTAMP", "20270418 090307"}};
    EXPECT_EQ(file->header, header);
    ASSERT_EQ(file->records.size(), 3u);
    const auto record = [](const char* call, const char* time, const char* mode, const char* rst,
                           const char* year) {
        return Fields{{"CALL", call},
                      {"QSO_DATE", "20270418"},
                      {"TIME_ON", time},
                      {"BAND", "80m"},
                      {"FREQ", "3.500"},
                      {"MODE", mode},
                      {"RST_SENT", rst},
                      {"RST_RCVD", rst},
                      {"STX_STRING", "05"},
                      {"SRX_STRING", year},
                      {"CONTEST_ID", "KV-PRVENSTVO-ZRS"},
                      {"STATION_CALLSIGN", "S59XYZ/P"}};
    };
    EXPECT_EQ(file->records[0], record("S51A", "0705", "CW", "599", "85"));
    EXPECT_EQ(file->records[1], record("S59ABCDEFGHI", "0706", "SSB", "59", "07"));
    // A mode cell left empty is a CW contact, as in the log file.
    EXPECT_EQ(file->records[2], record("S5/S59ABC", "0859", "CW", "599", "99"));
}

TEST(AdifExport, LettersOutsideAsciiKeepTheLengthsExact) {
    std::vector<QsoRow> rows{{"07:05", QString::fromUtf8("S5ČABC"), "85", "2", "1", "CW"}};
    const QString text = AdifLines({"S59XYZ", "75", "2027-04-18"}, rows, QDateTime()).join("\n");
    QString why;
    const auto file = ReadAdifStrictly(text.toLatin1(), &why);
    ASSERT_TRUE(file) << why.toStdString();
    EXPECT_EQ(file->records[0]["CALL"], "S5?ABC");
}

}  // namespace
