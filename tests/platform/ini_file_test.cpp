#include "platform/ini_file.h"
#include "platform/errors.h"
#include "tests/support/temp_program_dir.h"

#include <gtest/gtest.h>
#include <QFile>

using platform::IniDocument;
using platform::IniFile;
using platform::ParseIniInteger;

namespace {

IniDocument Doc(const char* text) {
    return IniDocument::FromBytes(QByteArray(text));
}
QString Text(const IniDocument& d) {
    return QString::fromLatin1(d.ToBytes());
}

TEST(IniDocument, WritesFollowPrivateProfileRules) {
    IniDocument d =
        Doc("; operator notes\r\n"
            "[GENERAL]\r\n"
            "MyCall=S59AA\r\n"
            "Unknown=keep me\r\n"
            "\r\n"
            "[VIEW]\r\n"
            "MainTop=5\r\n");
    d.WriteString("general", "MYCALL", "S51ZZ");  // replaced in place, key spelling kept
    d.WriteString("GENERAL", "MyName", "Janez");  // appended to its section, before the blank
    d.WriteInteger("INFO", "Count", -3);          // new section at the end
    EXPECT_EQ(Text(d),
              "; operator notes\r\n"
              "[GENERAL]\r\n"
              "MyCall=S51ZZ\r\n"
              "Unknown=keep me\r\n"
              "MyName=Janez\r\n"
              "\r\n"
              "[VIEW]\r\n"
              "MainTop=5\r\n"
              "[INFO]\r\n"
              "Count=-3\r\n");
}

TEST(IniDocument, ReadsCaseInsensitivelyAndFirstDuplicateWins) {
    const IniDocument d =
        Doc("[Wk]\n"
            "  speed = 28  \n"
            "SPEED=30\n"
            "Quoted=\"a b \"\n"
            "[wk]\n"
            "Other=1\n");
    EXPECT_EQ(d.ReadInteger("WK", "Speed", 0), 28);
    EXPECT_EQ(d.ReadString("wk", "quoted", "-"), "a b ");
    // A repeated section header: lookups use the first one.
    EXPECT_EQ(d.ReadString("WK", "Other", "default"), "default");
    EXPECT_EQ(d.ReadString("Missing", "Speed", "dflt"), "dflt");
}

TEST(IniDocument, IntegersAndBooleans) {
    EXPECT_EQ(ParseIniInteger("0x1F"), 31);
    EXPECT_EQ(ParseIniInteger("0X10"), 16);
    EXPECT_EQ(ParseIniInteger("$FFFFFFFF"), -1);
    EXPECT_EQ(ParseIniInteger("-12"), -12);
    EXPECT_EQ(ParseIniInteger("2147483647"), 2147483647);
    EXPECT_EQ(ParseIniInteger("-2147483648"), -2147483647 - 1);
    for (const char* bad : {"", "12a", "0x", "2147483648", "1.5", "-", "0xG1", "１２"}) {
        EXPECT_FALSE(ParseIniInteger(QString::fromUtf8(bad)).has_value()) << bad;
    }
    const IniDocument d = Doc("[S]\nA=7x\nB=2\nC=0\nD=0x0\nE=\n");
    EXPECT_EQ(d.ReadInteger("S", "A", 42), 42);
    EXPECT_TRUE(d.ReadBool("S", "B", false));
    EXPECT_FALSE(d.ReadBool("S", "C", true));
    EXPECT_FALSE(d.ReadBool("S", "D", true));
    EXPECT_TRUE(d.ReadBool("S", "E", true));  // not a number: the default
}

TEST(IniDocument, LineBreaksInAValueStayOnItsLine) {
    IniDocument d = Doc("[Memo]\r\nF1=CQ\r\nF2=5NN\r\n[GENERAL]\r\nMyCall=S59AA\r\n");
    d.WriteString("Memo", "F1", "CQ\r\n[GENERAL]\nMyCall=X\rY");
    EXPECT_EQ(d.Value("Memo", "F1"), "CQ [GENERAL] MyCall=X Y");
    EXPECT_EQ(d.Value("Memo", "F2"), "5NN");
    EXPECT_EQ(d.Value("GENERAL", "MyCall"), "S59AA");
    EXPECT_EQ(IniDocument::FromBytes(d.ToBytes()).Lines(), d.Lines());
}

TEST(IniDocument, LongValuesAreCutAt2047) {
    const QByteArray longValue(100000, 'x');
    const IniDocument d = IniDocument::FromBytes("[S]\r\nK=" + longValue + "\r\nL=ok\r\n");
    EXPECT_EQ(d.ReadString("S", "K", "").size(), 2047);
    EXPECT_EQ(d.ReadString("S", "L", ""), "ok");
}

TEST(IniDocument, MalformedFilesStillYieldTheReadableKeys) {
    QByteArray junk;
    for (int i = 0; i < 4096; ++i) {
        junk.append(char((i * 37 + 11) % 256));
    }
    const IniDocument d =
        IniDocument::FromBytes("[A]\r\nGood=1\r\n" + junk +
                               "\r\nNoEquals\r\n=novalue\r\n[Broken\r\nAfter=2\r\n[B]\r\nX=3");
    EXPECT_EQ(d.ReadInteger("A", "Good", 0), 1);
    // A header without "]" is no header: the key after it stays in [A].
    EXPECT_EQ(d.ReadInteger("A", "After", 0), 2);
    EXPECT_FALSE(d.HasSection("Broken"));
    EXPECT_EQ(d.ReadInteger("B", "X", 0), 3);  // last line without a line end
    // Writing keeps every other line, junk included.
    IniDocument copy = d;
    copy.WriteInteger("B", "Y", 4);
    EXPECT_TRUE(copy.ToBytes().contains("NoEquals\r\n=novalue\r\n[Broken\r\n"));
    EXPECT_EQ(IniDocument::FromBytes(copy.ToBytes()).ReadInteger("B", "Y", 0), 4);
}

TEST(IniFile, SlovenianTextRoundTripsAsCp1250) {
    testing_support::TempProgramDir dir;
    const IniFile ini(dir.File("x.ini"));
    ini.WriteString("GENERAL", "MyName", QString::fromUtf8("Čedo Šušteršič Žan"));
    EXPECT_EQ(
        dir.Read("x.ini"),
        QByteArray("[GENERAL]\r\nMyName=\xC8\x65\x64o \x8A\x75\x9At\x65r\x9Ai\xE8 \x8E\x61n\r\n"));
    EXPECT_EQ(ini.ReadString("general", "myname", ""), QString::fromUtf8("Čedo Šušteršič Žan"));
}

TEST(IniFile, MissingFileReadsDefaultsAndUnwritableFileThrows) {
    testing_support::TempProgramDir dir;
    const IniFile missing(dir.File("none.ini"));
    EXPECT_EQ(missing.ReadInteger("S", "K", 9), 9);
    const IniFile bad(dir.File("no/such/dir/x.ini"));
    try {
        bad.WriteString("S", "K", "v");
        FAIL() << "no exception";
    } catch (const platform::IniWriteError& e) {
        EXPECT_EQ(e.message(), "Unable to write to " + dir.File("no/such/dir/x.ini") +
                                   " (No such file or directory)");
    }
}

}  // namespace
