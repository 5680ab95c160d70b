#include "logger/settings.h"

#include <gtest/gtest.h>

using corvatta::LoadProfile;
using corvatta::LoadSettings;
using corvatta::SaveSettings;
using corvatta::StationState;
using platform::IniDocument;

namespace {

// A state in which every stored value differs from its default.
StationState FullState() {
    StationState s;
    s.op.MyCall = "S59ABC/P";
    s.op.MyYearLic = "85";
    s.op.Mode = "SSB";
    s.op.MyClub = "S50A";
    s.op.MyName = QString::fromUtf8("Žiga Čuk");
    s.op.MyAddress = QString::fromUtf8("Šolska 1");
    s.op.MyAddress1 = "1000 Ljubljana";
    s.op.MyEmail = "s59abc@example.org";
    s.panel = {2, 0, true, true, true};
    s.view.MainTop = 20;
    s.view.MainLeft = -30;
    s.view.VisibleASCI = true;
    s.view.VisibleMemo = true;
    auto& k = s.keyer;
    k.ComAuto = k.ComConnected = k.RunMode = k.EnterSendMsg = true;
    k.Speed = 28;
    k.SpeedUp = 4;
    k.SpeedMode = 2;
    k.SpeedMin = 15;
    k.SpeedMax = 40;
    k.SpeedStep = 2;
    k.Sidetone = 5;
    k.PaddleWatchdog = k.PaddleEcho = k.PaddleSwap = k.SerialEcho = true;
    k.AutoSpace = k.WordSpace = k.SidetonePaddle = true;
    k.PaddleMode = 3;
    k.Lead = "10";
    k.Tail = "20";
    k.FirstCarExt = "5";
    k.KeyComp = "7";
    k.Ratio = "50";
    k.HangTime = 2;
    k.E0 = 0xC4;
    k.R01 = 0x85;
    k.R09 = 0x5B;
    for (int i = 0; i < 9; ++i) {
        s.messages.Run[i] = QStringLiteral("run %1 #").arg(i + 1);
        s.messages.SP[i] = QStringLiteral("sp %1 !").arg(i + 1);
        s.messages.Visual[i] = QStringLiteral("vis %1").arg(i + 1);
    }
    s.shortChars = {true, true, false, true};
    s.dates.Today = QDate(2027, 4, 18);
    return s;
}

QStringList KeyOrder(const IniDocument& doc) {
    QStringList out;
    for (const QString& line : doc.Lines()) {
        out.append(line.startsWith('[') ? line : line.section('=', 0, 0));
    }
    return out;
}

TEST(Settings, EveryKeyIsWrittenInOrderAndReadBack) {
    const StationState full = FullState();
    IniDocument doc;
    SaveSettings(full, doc);

    QStringList expected = {"[GENERAL]",    "MyCall",    "MyYearLic",   "Mode",         "EMode",
                            "EPower",       "RKChk",     "MyClub",      "MyName",       "MyAddress",
                            "MyAddress1",   "MyEmail",   "AutoS5",      "AutoLL",       "[VIEW]",
                            "MainTop",      "MainLeft",  "VisibleASCI", "VisibleMemo",  "[INFO]",
                            "LastDate",     "[WK]",      "ComAuto",     "ComConnected", "RunMode",
                            "EnterSendMsg", "Speed",     "SpeedUp",     "SpeedMode",    "SpeedMin",
                            "SpeedMax",     "SpeedStep", "Sidetone",    "[Memo]"};
    for (const char* suffix : {"", "s", "Text"}) {
        for (int i = 1; i <= 9; ++i)
            expected.append(QStringLiteral("F%1%2").arg(i).arg(suffix));
    }
    expected += {"[SHORT CHAR]",
                 "Lic Check",
                 "Short0T Check",
                 "Short0O Check",
                 "Short9N Check",
                 "[WKSetup]",
                 "PaddleWatchdog",
                 "PaddleEcho",
                 "PaddleSwap",
                 "SerialEcho",
                 "AutoSpace",
                 "WordSpace",
                 "PaddleMode",
                 "SidetonePaddle",
                 "Lead",
                 "Tail",
                 "FirstCarExt",
                 "KeyComp",
                 "Ratio",
                 "HangTime",
                 "[REGISTER]",
                 "E0",
                 "R01",
                 "R09"};
    EXPECT_EQ(KeyOrder(doc), expected);
    EXPECT_EQ(doc.ReadString("INFO", "LastDate", ""), "18.04.2027");
    EXPECT_EQ(doc.ReadString("GENERAL", "RKChk", ""), "1");
    EXPECT_EQ(doc.ReadString("VIEW", "MainLeft", ""), "-30");

    // Through the file's bytes, so cp1250 takes part.
    StationState back;
    LoadSettings(IniDocument::FromBytes(doc.ToBytes()), back);
    EXPECT_EQ(back.op.MyCall, full.op.MyCall);
    EXPECT_EQ(back.op.MyName, full.op.MyName);
    EXPECT_EQ(back.op.MyAddress, full.op.MyAddress);
    EXPECT_EQ(back.op.MyEmail, full.op.MyEmail);
    EXPECT_EQ(back.op.Mode, "SSB");
    EXPECT_EQ(back.panel.EMode, 2);
    EXPECT_EQ(back.panel.EPower, 0);
    EXPECT_TRUE(back.panel.RKChk && back.panel.AutoS5 && back.panel.AutoLL);
    EXPECT_EQ(back.view.MainTop, 20);
    EXPECT_EQ(back.view.MainLeft, -30);
    EXPECT_TRUE(back.view.VisibleMemo);
    EXPECT_EQ(back.dates.LastDate, QDate(2027, 4, 18));
    EXPECT_EQ(back.keyer.Speed, 28);
    EXPECT_EQ(back.keyer.SpeedStep, 2);
    EXPECT_EQ(back.keyer.PaddleMode, 3);
    EXPECT_EQ(back.keyer.Ratio, "50");
    EXPECT_EQ(back.keyer.E0, 0xC4);
    EXPECT_EQ(back.keyer.R09, 0x5B);
    EXPECT_EQ(back.messages.Run, full.messages.Run);
    EXPECT_EQ(back.messages.SP, full.messages.SP);
    EXPECT_EQ(back.messages.Visual, full.messages.Visual);
    EXPECT_TRUE(back.shortChars.LicCheck && back.shortChars.Short0T && back.shortChars.Short9N);
    EXPECT_FALSE(back.shortChars.Short0O);

    // Writing again over the file read back changes nothing.
    IniDocument again = IniDocument::FromBytes(doc.ToBytes());
    SaveSettings(back, again);
    EXPECT_EQ(again.ToBytes().replace("18.04.2027", ""), doc.ToBytes().replace("18.04.2027", ""));
}

TEST(Settings, MissingKeysLeaveValuesAndCaseDoesNotMatter) {
    StationState s = FullState();
    LoadSettings(IniDocument::FromBytes("[general]\r\nmyname=Ana\r\n[wk]\r\nSPEED=0x1E\r\n"), s);
    EXPECT_EQ(s.op.MyName, "Ana");
    EXPECT_EQ(s.keyer.Speed, 30);
    EXPECT_EQ(s.op.MyCall, "S59ABC/P");
    EXPECT_EQ(s.messages.Run[8], "run 9 #");
    EXPECT_EQ(s.dates.LastDate, QDate());  // never read: stays unset

    StationState fresh;
    LoadSettings(IniDocument(), fresh);
    EXPECT_TRUE(fresh.op.MyCall.isEmpty());
    EXPECT_EQ(fresh.panel.EMode, -1);
    EXPECT_EQ(fresh.panel.EPower, 1);
    EXPECT_EQ(fresh.view.MainTop, 114);
    EXPECT_EQ(fresh.keyer.SpeedStep, 1);  // 0 is corrected
}

TEST(Settings, SpeedStepIsOneOrTwo) {
    for (auto [text, expected] :
         {std::pair{"1", 1}, {"2", 2}, {"0", 1}, {"5", 1}, {"-2", 1}, {"x", 1}}) {
        StationState s;
        LoadSettings(IniDocument::FromBytes(QByteArray("[WK]\r\nSpeedStep=") + text), s);
        EXPECT_EQ(s.keyer.SpeedStep, expected) << text;
    }
}

TEST(Settings, AModeOtherThanSsbIsCw) {
    for (auto [text, expected] :
         {std::pair{"CW", "CW"}, {"SSB", "SSB"}, {"RTTY", "CW"}, {"", "CW"}, {"ssb", "CW"}}) {
        StationState s, profile;
        LoadSettings(IniDocument::FromBytes(QByteArray("[GENERAL]\r\nMode=") + text), s);
        LoadProfile(IniDocument::FromBytes(QByteArray("[CALL2]\r\nMode=") + text), 2, profile);
        EXPECT_EQ(s.op.Mode + profile.op.Mode, QString(expected) + expected) << text;
    }
}

TEST(Settings, LastDateReadsOnlyTheWrittenForm) {
    for (const char* bad : {"2027-04-18", "18/04/2027", "", "31.02.2027", "junk"}) {
        StationState s;
        s.dates.LastDate = QDate(2020, 1, 1);
        LoadSettings(IniDocument::FromBytes(QByteArray("[INFO]\r\nLastDate=") + bad), s);
        EXPECT_EQ(s.dates.LastDate, QDate(2020, 1, 1)) << bad;
    }
    EXPECT_EQ(corvatta::ParseLastDate(corvatta::FormatLastDate(QDate(2026, 12, 8))),
              QDate(2026, 12, 8));
}

TEST(Settings, ProfileOverwritesOnlyWhatItHolds) {
    const IniDocument ports = IniDocument::FromBytes(
        "[CALL1]\r\nMyCall=S50XYZ\r\n"
        "[CALL2]\r\nMyCall=S51QQ\r\nMode=SSB\r\nEMode=1\r\nAutoS5=1\r\nMyName=Eva\r\n");
    StationState s = FullState();
    LoadProfile(ports, 1, s);
    EXPECT_EQ(s.op.MyCall, "S50XYZ");
    EXPECT_EQ(s.op.MyName, FullState().op.MyName);
    EXPECT_EQ(s.panel.EMode, 2);
    LoadProfile(ports, 2, s);
    EXPECT_EQ(s.op.MyCall, "S51QQ");
    EXPECT_EQ(s.op.Mode, "SSB");
    EXPECT_EQ(s.panel.EMode, 1);
    EXPECT_EQ(s.op.MyName, "Eva");
    LoadProfile(ports, 5, s);  // no such profile
    EXPECT_EQ(s.op.MyCall, "S51QQ");
}

TEST(Settings, CategoryFromPowerAndMode) {
    EXPECT_EQ(corvatta::ComputeCategory(2, 2), "SINGLE-OP 80M QRP MIXED");
    EXPECT_EQ(corvatta::ComputeCategory(0, 1), "SINGLE-OP 80M HIGH SSB");
    EXPECT_EQ(corvatta::ComputeCategory(1, 0), "SINGLE-OP 80M LOW CW");
    EXPECT_EQ(corvatta::ComputeCategory(1, -1), "");
    EXPECT_EQ(corvatta::ComputeCategory(3, 0), "");
}

}  // namespace
