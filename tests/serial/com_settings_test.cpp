// The settings model without a device: text forms, the flow-control summary, the
// line-settings record and its termios form, EComPort texts, the [ComPort] INI section.
#include "serial/com_error.h"
#include "serial/com_ini.h"
#include "serial/com_port.h"
#include "serial/com_types.h"
#include "serial/serial_device_posix.h"
#include "tests/support/temp_program_dir.h"

#include <gtest/gtest.h>

using namespace serial;

namespace {

// The configuration of the keyer window.
TComSettings KeyerWindowSettings() {
    TComSettings s;
    s.Port = "COM7";
    s.BaudRate = br1200;
    s.FlowControl.ControlDTR = dtrEnable;
    s.FlowControl.XonXoffIn = s.FlowControl.XonXoffOut = true;
    return s;
}

platform::IniDocument Doc(const char* text) {
    return platform::IniDocument::FromBytes(QByteArray(text));
}

TEST(ComTextForms, ConvertBothWaysWithFallbacks) {
    for (int i = 0; i < BaudRateTexts().size(); ++i) {
        EXPECT_EQ(TextToBaudRate(BaudRateToText(TBaudRate(i))), i);
    }
    EXPECT_EQ(BaudRateToText(brCustom), "Custom");
    EXPECT_EQ(TextToBaudRate("9600"), br9600);
    EXPECT_EQ(TextToBaudRate("custom"), brCustom);
    EXPECT_EQ(TextToBaudRate("9601"), br9600);
    EXPECT_EQ(TextToBaudRate(""), br9600);
    EXPECT_EQ(BaudRateValue(br256000), 256000);
    EXPECT_EQ(BaudRateValue(brCustom), 0);

    EXPECT_EQ(TextToStopBits("1.5"), sbOne5StopBits);
    EXPECT_EQ(TextToStopBits("3"), sbOneStopBit);
    EXPECT_EQ(StopBitsToText(sbTwoStopBits), "2");
    EXPECT_EQ(TextToDataBits("5"), dbFive);
    EXPECT_EQ(TextToDataBits("9"), dbEight);
    EXPECT_EQ(TextToParity("sPaCe"), prSpace);
    EXPECT_EQ(TextToParity("Parity"), prNone);
    EXPECT_EQ(ParityToText(prMark), "Mark");
    EXPECT_EQ(TextToFlowControl("HARDWARE"), fcHardware);
    EXPECT_EQ(TextToFlowControl("RTS/CTS"), fcCustom);
    EXPECT_EQ(FlowControlToText(fcSoftware), "Software");
}

TEST(ComFlowControl, SummaryReadAndWritten) {
    TComFlowControl flow = KeyerWindowSettings().FlowControl;
    EXPECT_EQ(FlowControlSummary(flow), fcSoftware);

    SetFlowControlSummary(flow, fcHardware);
    EXPECT_EQ(flow.ControlRTS, rtsHandshake);
    EXPECT_TRUE(flow.OutCTSFlow);
    EXPECT_FALSE(flow.XonXoffIn || flow.XonXoffOut);
    EXPECT_EQ(flow.ControlDTR, dtrEnable);  // DTR stays on whatever is chosen
    EXPECT_EQ(FlowControlSummary(flow), fcHardware);

    SetFlowControlSummary(flow, fcNone);
    EXPECT_EQ(flow.ControlRTS, rtsDisable);
    EXPECT_FALSE(flow.OutCTSFlow || flow.XonXoffIn || flow.XonXoffOut);
    EXPECT_EQ(flow.ControlDTR, dtrEnable);
    EXPECT_EQ(FlowControlSummary(flow), fcNone);

    // Mixed settings read as Custom, and writing Custom changes nothing.
    flow.XonXoffIn = true;
    flow.OutDSRFlow = true;
    EXPECT_EQ(FlowControlSummary(flow), fcCustom);
    const TComFlowControl before = flow;
    SetFlowControlSummary(flow, fcCustom);
    EXPECT_EQ(flow, before);
    // Fields the summary ignores do not change what it reads.
    TComFlowControl soft;
    SetFlowControlSummary(soft, fcSoftware);
    soft.DSRSensitivity = soft.TxContinueOnXoff = soft.OutDSRFlow = true;
    soft.ControlDTR = dtrHandshake;
    EXPECT_EQ(FlowControlSummary(soft), fcSoftware);
}

TEST(ComBuffer, OddSizesStoredOneLower) {
    TComBuffer b;
    EXPECT_EQ(b.InputSize(), 1024);
    b.SetInputSize(1025);
    b.SetOutputSize(7);
    EXPECT_EQ(b.InputSize(), 1024);
    EXPECT_EQ(b.OutputSize(), 6);
    b.SetInputSize(4096);
    EXPECT_EQ(b.InputSize(), 4096);
}

TEST(EComPortTexts, NumbersTextsAndSuffix) {
    EXPECT_EQ(EComPort(1, 2).message(), "Unable to open com port (Error: 2)");
    EXPECT_EQ(EComPort(24).message(), "Port Not Open");
    EXPECT_EQ(EComPort(24).SystemErrorCode(), -1);
    EXPECT_EQ(EComPort(7, 0).message(), "SetCommState function failed");
    EXPECT_EQ(EComPort::ErrorText(4), "Invalid Async parameter");
    EXPECT_EQ(EComPort::ErrorText(14), "Cannot set property while connected");
    EXPECT_EQ(EComPort::ErrorText(23), "Registry error");
    EXPECT_EQ(EComPort::ErrorText(0), "");
    EXPECT_EQ(EComPort::ErrorText(25), "");
    for (int n = 1; n <= 24; ++n)
        EXPECT_FALSE(EComPort::ErrorText(n).isEmpty()) << n;
}

TEST(LineSettingsRecord, FilledFromTheKeyerWindowsSettings) {
    const LineSettings d = MakeLineSettings(KeyerWindowSettings());
    EXPECT_EQ(d.BaudRate, 1200);
    EXPECT_EQ(d.ByteSize, 8);
    EXPECT_EQ(d.Parity, 0);
    EXPECT_EQ(d.StopBits, 0);
    EXPECT_TRUE(d.Binary);
    EXPECT_EQ(d.DtrControl, 1);
    EXPECT_EQ(d.RtsControl, 0);
    EXPECT_TRUE(d.OutX && d.InX);
    EXPECT_FALSE(d.OutxCtsFlow || d.OutxDsrFlow || d.ErrorCharOn || d.Null);
    EXPECT_EQ(d.XonLim, 256);
    EXPECT_EQ(d.XoffLim, 256);
    EXPECT_EQ(d.XonChar, 17);
    EXPECT_EQ(d.XoffChar, 19);

    TComSettings custom = KeyerWindowSettings();
    custom.BaudRate = brCustom;
    custom.CustomBaudRate = 31250;
    custom.Parity = {prMark, true, true, '?'};
    custom.StopBits = sbTwoStopBits;
    const LineSettings c = MakeLineSettings(custom);
    EXPECT_EQ(c.BaudRate, 31250);
    EXPECT_EQ(c.Parity, 3);
    EXPECT_EQ(c.StopBits, 2);
    EXPECT_TRUE(c.ParityCheck && c.ErrorCharOn);
    EXPECT_EQ(c.ErrorChar, '?');
}

// What a pseudo-terminal cannot show (it forces 8 bits and no parity): the termios the
// backend builds.
TEST(LineSettingsRecord, TermiosForDataBitsParityAndStopBits) {
    LineSettings d = MakeLineSettings(KeyerWindowSettings());
    termios t{};
    t.c_lflag = ECHO | ICANON;
    t.c_oflag = OPOST | ONLCR;
    t.c_iflag = ICRNL;
    bool custom = true;
    ASSERT_EQ(posix::BuildTermios(d, &t, &custom), 0);
    EXPECT_FALSE(custom);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL), static_cast<tcflag_t>(IXON | IXOFF));
    EXPECT_EQ(t.c_lflag & (ECHO | ICANON), 0u);  // 0x0A must not become 0D 0A, nor echo back
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(t.c_cc[VMIN], 0);
    EXPECT_EQ(t.c_cc[VTIME], 0);
    EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B1200));

    d.ByteSize = 7;
    d.Parity = 1;
    d.StopBits = 2;
    d.RtsControl = rtsHandshake;
    ASSERT_EQ(posix::BuildTermios(d, &t, &custom), 0);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS7));
    EXPECT_EQ(t.c_cflag & (PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS),
              static_cast<tcflag_t>(PARENB | PARODD | CSTOPB | CRTSCTS));
    d.Parity = 4;
    ASSERT_EQ(posix::BuildTermios(d, &t, &custom), 0);
    EXPECT_EQ(t.c_cflag & (PARENB | PARODD | CMSPAR), static_cast<tcflag_t>(PARENB | CMSPAR));

    // termios has no 1.5 stop bits: with 5 data bits the UART sends 2 as 1.5; else refused.
    d.StopBits = 1;
    EXPECT_EQ(posix::BuildTermios(d, &t, &custom), EINVAL);
    d.ByteSize = 5;
    ASSERT_EQ(posix::BuildTermios(d, &t, &custom), 0);
    EXPECT_EQ(t.c_cflag & (CSIZE | CSTOPB), static_cast<tcflag_t>(CS5 | CSTOPB));

    d.BaudRate = 14400;
    ASSERT_EQ(posix::BuildTermios(d, &t, &custom), 0);
    EXPECT_TRUE(custom);
}

TEST(ComIni, SectionWrittenInOrderAndReadBack) {
    testing_support::TempProgramDir dir;
    const QString file = dir.File("Corvatta.ini");
    dir.Write("Corvatta.ini", "[WK]\r\nSpeed=28\r\n");
    TComPort port;
    port.BeginSettingsChange();
    port.SetPort("COM7");
    port.SetBaudRate(br1200);
    port.SetFlowControl(KeyerWindowSettings().FlowControl);
    port.EndSettingsChange();
    port.SaveToIni(file);
    EXPECT_EQ(dir.Read("Corvatta.ini"),
              "[WK]\r\nSpeed=28\r\n"
              "[ComPort]\r\nPort=COM7\r\nBaudRate=1200\r\nStopBits=1\r\nDataBits=8\r\n"
              "Parity=None\r\nFlowControl=Software\r\n");

    TComPort other;
    other.LoadFromIni(file);
    EXPECT_EQ(other.Port(), "COM7");
    EXPECT_EQ(other.BaudRate(), br1200);
    EXPECT_EQ(other.FlowControlSummary(), fcSoftware);
    EXPECT_EQ(other.FlowControl().ControlDTR, dtrDisable);  // not stored: as configured

    // Custom writes its rate, in place between BaudRate and StopBits.
    port.SetBaudRate(brCustom);
    port.SetCustomBaudRate(31250);
    port.SaveToIni(file);
    other.LoadFromIni(file);
    EXPECT_EQ(other.BaudRate(), brCustom);
    EXPECT_EQ(other.CustomBaudRate(), 31250);
}

TEST(ComIni, MissingSectionCustomWithoutRateAndUnknownTexts) {
    TComSettings configured = KeyerWindowSettings();
    configured.BaudRate = brCustom;
    configured.CustomBaudRate = 31250;
    EXPECT_EQ(ReadComSettings(Doc("[Other]\nPort=COM3\n"), kComPortSection, configured),
              configured);

    const TComSettings custom = ReadComSettings(Doc("[comport]\nBaudRate=custom\n"),
                                                kComPortSection, KeyerWindowSettings());
    EXPECT_EQ(custom.BaudRate, brCustom);
    EXPECT_EQ(custom.CustomBaudRate, 9600);
    EXPECT_EQ(custom.Port, "COM7");  // missing keys keep their values

    TComSettings withFlow = KeyerWindowSettings();
    withFlow.FlowControl.OutDSRFlow = true;
    const TComSettings odd = ReadComSettings(
        Doc("[ComPort]\nBaudRate=1234\nStopBits=3\nDataBits=x\nParity=?\nFlowControl=XON\n"),
        kComPortSection, withFlow);
    EXPECT_EQ(odd.BaudRate, br9600);
    EXPECT_EQ(odd.StopBits, sbOneStopBit);
    EXPECT_EQ(odd.DataBits, dbEight);
    EXPECT_EQ(odd.Parity.Bits, prNone);
    EXPECT_EQ(odd.FlowControl, withFlow.FlowControl);  // "Custom" and unknown leave it

    const TComSettings none = ReadComSettings(Doc("[ComPort]\nFlowControl=None\n"), kComPortSection,
                                              KeyerWindowSettings());
    EXPECT_EQ(FlowControlSummary(none.FlowControl), fcNone);
    EXPECT_EQ(none.FlowControl.ControlDTR, dtrEnable);
}

TEST(ComIni, SaveFailureIsNumber16) {
    testing_support::TempProgramDir dir;
    TComPort port;
    try {
        port.SaveToIni(dir.File("no-such-folder/Corvatta.ini"));
        FAIL() << "saved into a missing folder";
    } catch (const EComPort& e) {
        EXPECT_EQ(e.ErrorNumber(), 16);
        EXPECT_EQ(e.message(), "Failed to store settings");
    }
}

}  // namespace
