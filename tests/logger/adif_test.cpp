// "Shrani ADIF": the file is read back by a strict reader of its own that
// refuses any length that does not match its data, and every field of the
// header and of each record is checked.
#include "logger/adif.h"
#include "logger/main_window.h"
#include "logger/qso_log_model.h"
#include "platform/clock.h"
#include "tests/support/recording_dialogs.h"
#include "tests/support/temp_program_dir.h"

#include <gtest/gtest.h>
#include <QMap>
#include <QTest>

#include <memory>
#include <optional>

namespace {

using namespace corvatta;
using Fields = QMap<QString, QString>;

struct AdifFile {
    QString preamble;
    Fields header;
    std::vector<Fields> records;
};

// Reads an .adi file strictly: the text before the first "<" is the
// preamble; then only tags "<NAME:LEN>" (an optional ":TYPE" is allowed)
// followed by exactly LEN bytes of data, blanks or line ends between them,
// <EOH> once, each record ended by <EOR>, no field twice in one record, no
// byte outside printable ASCII, no value that begins or ends with a blank.
std::optional<AdifFile> ReadAdifStrictly(const QByteArray& bytes, QString* error) {
    const auto fail = [error](const QString& why) {
        *error = why;
        return std::nullopt;
    };
    for (char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u > 0x7E || (u < 0x20 && c != '\r' && c != '\n'))
            return fail(QStringLiteral("byte %1 is not ASCII").arg(u));
    }
    AdifFile file;
    qsizetype i = bytes.indexOf('<');
    if (i < 0)
        return fail("no tag");
    file.preamble = QString::fromLatin1(bytes.left(i));
    bool inHeader = true;
    Fields current;
    while (i < bytes.size()) {
        const char c = bytes[i];
        if (c == ' ' || c == '\r' || c == '\n') {
            ++i;
            continue;
        }
        if (c != '<')
            return fail(QStringLiteral("text between fields at %1").arg(i));
        const qsizetype close = bytes.indexOf('>', i);
        if (close < 0)
            return fail("unclosed tag");
        const QString tag = QString::fromLatin1(bytes.mid(i + 1, close - i - 1));
        i = close + 1;
        const QString upper = tag.toUpper();
        if (upper == "EOH") {
            if (!inHeader)
                return fail("second <EOH>");
            file.header = current;
            current.clear();
            inHeader = false;
            continue;
        }
        if (upper == "EOR") {
            if (inHeader)
                return fail("<EOR> in the header");
            file.records.push_back(current);
            current.clear();
            continue;
        }
        const QStringList parts = tag.split(':');
        if (parts.size() < 2 || parts.size() > 3 || parts[0].isEmpty())
            return fail("bad tag " + tag);
        bool ok = false;
        const int length = parts[1].toInt(&ok);
        if (!ok || length < 0 || parts[1] != QString::number(length))
            return fail("bad length in " + tag);
        if (i + length > bytes.size())
            return fail("data past the end in " + tag);
        const QString name = parts[0].toUpper();
        if (current.contains(name))
            return fail("field twice: " + name);
        const QString data = QString::fromLatin1(bytes.mid(i, length));
        // No value written here begins or ends with a blank: one that does
        // took in the separator, so its length was too long.
        if (data != data.trimmed())
            return fail("blank inside the length of " + tag);
        current.insert(name, data);
        i += length;
        // The data ends where the length says: only a separator or the
        // next tag may follow.
        if (i < bytes.size() && bytes[i] != ' ' && bytes[i] != '\r' && bytes[i] != '\n' &&
            bytes[i] != '<')
            return fail("data longer than its length in " + tag);
    }
    if (inHeader)
        return fail("no <EOH>");
    if (!current.isEmpty())
        return fail("fields after the last <EOR>");
    return file;
}

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

TEST(AdifExport, TheMenuCommandWritesTheLogToTheChosenFile) {
    testing_support::TempProgramDir dir;
    testing_support::RecordingDialogs dialogs;
    dir.Write("Corvattaini.ini",
              "[GENERAL]\r\nMyCall=S59XYZ\r\nMyYearLic=75\r\nMode=CW\r\nEMode=0\r\n"
              "MyName=Ana\r\nMyAddress=Pot 1\r\nMyEmail=ana@example.org\r\n");
    platform::FixedClock clock(QDateTime(QDate(2027, 4, 18), QTime(7, 12, 40), Qt::UTC));
    StationState state;
    TfMain window(state, clock);
    window.show();
    window.ClockTimerTick();
    for (const char* entry : {"S59ABC 85", "S51DEF 99"}) {
        QTest::keyClicks(window.ECall, entry);
        QTest::keyClick(window.ECall, Qt::Key_Return);
    }
    window.SaveAdif->trigger();  // cancelled: nothing written
    EXPECT_EQ(dialogs.records.back().kind, "save");
    EXPECT_EQ(dialogs.records.back().text, "ADIF (*.adi)");
    dialogs.AnswerFiles({dir.File("out.adi")});
    window.SaveAdif->trigger();
    QString why;
    const auto file = ReadAdifStrictly(dir.Read("out.adi"), &why);
    ASSERT_TRUE(file) << why.toStdString();
    ASSERT_EQ(file->records.size(), 2u);
    EXPECT_EQ(file->records[1]["CALL"], "S51DEF");
    EXPECT_EQ(file->records[1]["TIME_ON"], "0712");
    EXPECT_EQ(file->header["CREATED_TIMESTAMP"], "20270418 071240");
    EXPECT_TRUE(dir.Read("out.adi").endsWith("<EOR>\r\n"));
}

}  // namespace
