// The setup dialog on the offscreen platform, and the port list it shows.
#include "serial/com_setup_frm.h"
#include "serial/com_port.h"
#include "serial/linux_termios.h"
#include "serial/serial_ports.h"
#include "tests/serial/spy_device.h"
#include "tests/support/keyer_port.h"
#include "tests/support/qt_printers.h"
#include "tests/support/winkeyer/winkeyer_simulator.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace serial;
using testing_support::DeviceLog;
using testing_support::SpyDevice;
using testing_support::WinKeyerSimulator;

namespace {

using testing_support::ConfigureForKeyer;

void Pick(TComSetupFrm& form, TComProperty property, const QString& text) {
    TComComboBox* combo = form.Combo(property);
    const int index = combo->findText(text);
    ASSERT_GE(index, 0) << text.toStdString();
    combo->setCurrentIndex(index);
}

// Presses OK as the operator does; what ShowSettingsDialog then does with an accepted form.
void PressOk(TComSetupFrm& form) {
    QTest::mouseClick(form.OkButton(), Qt::LeftButton);
    ASSERT_EQ(form.result(), QDialog::Accepted);
    form.ApplySettings();
}

TEST(ComSetupFrm, ShowsTheListsAndTheCurrentSettings) {
    TComPort port;
    ConfigureForKeyer(port, "ttyUSB0");
    TComSetupFrm form(&port, QStringList{"ttyS0", "ttyUSB0"});
    EXPECT_EQ(form.windowTitle(), "Setup");
    EXPECT_EQ(form.size(), QSize(231, 216));
    EXPECT_TRUE(form.OkButton()->isDefault());
    EXPECT_EQ(form.findChild<QGroupBox*>()->title(), " Settings ");
    QStringList labels;
    for (QLabel* label : form.findChildren<QLabel*>())
        labels << label->text();
    EXPECT_EQ(labels, QStringList({"Port", "Baud rate", "Data bits", "Stop bits", "Parity",
                                   "Flow control"}));

    EXPECT_EQ(form.Combo(cpBaudRate)->count(), 16);
    EXPECT_EQ(form.Combo(cpBaudRate)->itemText(0), "Custom");
    EXPECT_EQ(form.Combo(cpDataBits)->count(), 4);
    EXPECT_EQ(form.Combo(cpStopBits)->count(), 3);
    EXPECT_EQ(form.Combo(cpParity)->count(), 5);
    EXPECT_EQ(form.Combo(cpFlowControl)->count(), 4);
    for (auto p : {cpBaudRate, cpDataBits, cpStopBits, cpParity, cpFlowControl}) {
        EXPECT_FALSE(form.Combo(p)->isEditable());
        EXPECT_FALSE(form.Combo(p)->AutoApply());
    }

    // The item equal to the setting, ignoring case, is selected and pending.
    EXPECT_EQ(form.Combo(cpPort)->PendingText(), "ttyUSB0");
    EXPECT_EQ(form.Combo(cpBaudRate)->PendingText(), "1200");
    EXPECT_EQ(form.Combo(cpDataBits)->PendingText(), "8");
    EXPECT_EQ(form.Combo(cpStopBits)->PendingText(), "1");
    EXPECT_EQ(form.Combo(cpParity)->PendingText(), "None");
    EXPECT_EQ(form.Combo(cpFlowControl)->PendingText(), "Software");

    // Picking only changes the pending value.
    Pick(form, cpBaudRate, "9600");
    EXPECT_EQ(port.BaudRate(), br1200);
}

TEST(ComSetupFrm, OkKeepsThePortInUseWhateverTheListHolds) {
    const QStringList listed = {"ttyS0", "ttyUSB0"};
    struct Case {
        QString port;
        int expectedCount;  // the current port is added only when no item names its device
    };
    const Case cases[] = {
        {"/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0", 3},
        {"/dev/pts/7", 3},
        {"/dev/ttyUSB0", 2},  // listed as "ttyUSB0": shown once, under the port's own spelling
        {"ttyusb0", 3},       // another device here: names are case-sensitive
        {"COM7", 3},
        {"ttyS0", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.port.toStdString());
        TComPort port;
        ConfigureForKeyer(port, c.port);
        TComSetupFrm form(&port, listed);
        EXPECT_EQ(form.Combo(cpPort)->count(), c.expectedCount);
        EXPECT_EQ(form.Combo(cpPort)->PendingText(), c.port);
        PressOk(form);
        EXPECT_EQ(port.Port(), c.port);
    }
}

TEST(ComSetupFrm, OkOnAnOpenPortOutsideTheListKeepsItOpen) {
    WinKeyerSimulator keyer;  // a pseudo-terminal, never among the listed devices
    TComPort port;
    ConfigureForKeyer(port, keyer.PortPath());
    port.Open();
    {
        TComSetupFrm form(&port, QStringList{"ttyS0"});
        Pick(form, cpBaudRate, "2400");
        PressOk(form);
    }
    EXPECT_TRUE(port.Connected());
    EXPECT_EQ(port.Port(), keyer.PortPath());
    port.SendText(QByteArray("K"));
    EXPECT_TRUE(keyer.WaitForReceived("K"));
}

TEST(ComSetupFrm, AnEmptyPortNameStaysEmptyAndCannotBeOpened) {
    TComPort port;
    ConfigureForKeyer(port, "");
    TComSetupFrm form(&port, QStringList{"ttyS0", "ttyUSB0"});
    EXPECT_EQ(form.Combo(cpPort)->currentIndex(), -1);
    EXPECT_EQ(form.Combo(cpPort)->PendingText(), "");
    PressOk(form);
    EXPECT_EQ(port.Port(), "");
    EXPECT_EQ(port.BaudRate(), br1200);
    try {
        port.Open();
        FAIL() << "opened an unnamed port";
    } catch (const EComPort& e) {
        EXPECT_EQ(e.ErrorNumber(), 1);
    }
}

TEST(ComSetupFrm, CustomAndFlowControlChoices) {
    WinKeyerSimulator keyer;
    TComPort port;
    ConfigureForKeyer(port, keyer.PortPath());
    port.Open();
    {
        TComSetupFrm form(&port, QStringList{keyer.PortPath()});
        Pick(form, cpBaudRate, "Custom");
        Pick(form, cpFlowControl, "Hardware");
        PressOk(form);
    }
    EXPECT_EQ(port.BaudRate(), brCustom);
    int rate = 0;
    posix::GetBaudRate(keyer.MasterFd(), &rate);
    EXPECT_EQ(rate, 9600);  // CustomBaudRate, which the dialog offers no field for
    EXPECT_EQ(port.FlowControl().ControlRTS, rtsHandshake);
    EXPECT_TRUE(port.FlowControl().OutCTSFlow);
    EXPECT_FALSE(port.FlowControl().XonXoffIn || port.FlowControl().XonXoffOut);
    EXPECT_EQ(port.FlowControl().ControlDTR, dtrEnable);
    {
        TComSetupFrm form(&port, QStringList{keyer.PortPath()});
        EXPECT_EQ(form.Combo(cpFlowControl)->PendingText(), "Hardware");
        Pick(form, cpFlowControl, "None");
        PressOk(form);
    }
    EXPECT_EQ(port.FlowControlSummary(), fcNone);
    EXPECT_EQ(port.FlowControl().ControlRTS, rtsDisable);
    EXPECT_EQ(port.FlowControl().ControlDTR, dtrEnable);
}

TEST(ComSetupFrm, OkOnAnOpenPortAppliesOnceAndMovesToANewPort) {
    WinKeyerSimulator first;
    WinKeyerSimulator second;
    auto log = std::make_shared<DeviceLog>();
    TComPort port(std::make_unique<SpyDevice>(log));
    ConfigureForKeyer(port, first.PortPath());
    port.Open();
    log->calls.clear();
    {
        TComSetupFrm form(&port, QStringList{first.PortPath(), second.PortPath()});
        Pick(form, cpBaudRate, "4800");
        PressOk(form);
    }
    EXPECT_EQ(log->calls, QStringList({"queues", "line", "timeouts"}));
    EXPECT_EQ(log->lastLine.BaudRate, 4800);

    log->calls.clear();
    {
        TComSetupFrm form(&port, QStringList{first.PortPath(), second.PortPath()});
        Pick(form, cpPort, second.PortPath());
        Pick(form, cpParity, "Even");
        PressOk(form);
    }
    EXPECT_TRUE(port.Connected());
    EXPECT_EQ(port.Port(), second.PortPath());
    EXPECT_EQ(log->lastLine.Parity, 2);
    port.SendText(QByteArray("S"));
    EXPECT_TRUE(second.WaitForReceived("S"));
}

TEST(ComSetupFrm, ShowSettingsDialogCancelChangesNothingAndOkApplies) {
    TComPort port;
    ConfigureForKeyer(port, "COM7");
    const TComSettings before = port.Settings();
    auto operate = [](bool ok) {
        QTimer::singleShot(0, [ok] {
            auto* form = qobject_cast<TComSetupFrm*>(QApplication::activeModalWidget());
            ASSERT_NE(form, nullptr);
            Pick(*form, cpBaudRate, "57600");
            Pick(*form, cpDataBits, "7");
            Pick(*form, cpStopBits, "2");
            Pick(*form, cpParity, "Odd");
            Pick(*form, cpFlowControl, "None");
            QTest::mouseClick(ok ? form->OkButton() : form->CancelButton(), Qt::LeftButton);
        });
    };
    operate(false);
    ShowSettingsDialog(port);
    EXPECT_EQ(port.Settings(), before);

    operate(true);
    ShowSettingsDialog(port);
    EXPECT_EQ(port.BaudRate(), br57600);
    EXPECT_EQ(port.DataBits(), dbSeven);
    EXPECT_EQ(port.StopBits(), sbTwoStopBits);
    EXPECT_EQ(port.Parity().Bits, prOdd);
    EXPECT_EQ(port.FlowControlSummary(), fcNone);
    EXPECT_FALSE(QApplication::activeModalWidget());  // the form is gone
}

TEST(ComSetupFrm, OpensInTheMiddleOfTheScreenNotOfTheKeyerWindow) {
    QWidget keyerWindow;
    keyerWindow.setGeometry(10, 20, 300, 200);
    keyerWindow.show();
    const QRect screen = keyerWindow.screen()->availableGeometry();
    ASSERT_GT(screen.width(), 300 + 231);  // room for the two centres to differ

    TComPort port;
    ConfigureForKeyer(port, "COM7");
    QRect shown;
    QTimer::singleShot(0, [&shown] {
        auto* form = qobject_cast<TComSetupFrm*>(QApplication::activeModalWidget());
        ASSERT_NE(form, nullptr);
        shown = form->geometry();
        QTest::mouseClick(form->CancelButton(), Qt::LeftButton);
    });
    ShowSettingsDialog(port, &keyerWindow);
    ASSERT_FALSE(shown.isNull());
    EXPECT_EQ(shown.size(), QSize(231, 216));
    EXPECT_LE((shown.center() - screen.center()).manhattanLength(), 4)  // rounding
        << shown.center().x() << "," << shown.center().y();
}

// A /sys and /dev as the kernel lays them out, with files for the attributes and the nodes.
class DeviceTree {
  public:
    QString Sys() const { return root_.filePath("sys"); }
    QString Dev() const { return root_.filePath("dev"); }

    void Write(const QString& path, const QByteArray& text) {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
        file.write(text);
    }
    // A tty whose "device" is a link into /sys/devices, as on a real system; `type` is
    // written for serial-core ports; `node` puts the device node under /dev.
    void Tty(const QString& name, const QString& deviceDir, const char* type, bool node = true) {
        const QString dir = Sys() + "/class/tty/" + name;
        QDir().mkpath(dir);
        QDir().mkpath(Sys() + "/devices/" + deviceDir);
        ASSERT_TRUE(QFile::link(Sys() + "/devices/" + deviceDir, dir + "/device"));
        if (type)
            Write(dir + "/type", type);
        if (node)
            Write(Dev() + "/" + name, "");
    }
    void UsbDevice(const QString& dir, const QByteArray& maker, const QByteArray& product) {
        Write(Sys() + "/devices/" + dir + "/manufacturer", maker + "\n");
        Write(Sys() + "/devices/" + dir + "/product", product + "\n");
    }
    void ById(const QString& link, const QString& tty) {
        QDir().mkpath(Dev() + "/serial/by-id");
        ASSERT_TRUE(QFile::link("../../" + tty, Dev() + "/serial/by-id/" + link));
    }

  private:
    QTemporaryDir root_;
};

TEST(ListSerialPorts, EverySerialDeviceWithItsDescriptionSortedCaseInsensitively) {
    DeviceTree tree;
    const QString usb = "pci0000:00/0000:00:14.0/usb1/";
    tree.Tty("ttyS0", "platform/serial8250/tty/ttyS0", "4\n");
    tree.Tty("ttyS1", "platform/serial8250/tty/ttyS1", "0\n");         // no UART behind it
    tree.Tty("ttyS2", "platform/serial8250/tty/ttyS2", "4\n", false);  // no device node
    tree.Tty("ttyUSB0", usb + "1-1/1-1:1.0/ttyUSB0", nullptr);
    tree.UsbDevice(usb + "1-1", "FTDI", "FT232R USB UART");
    tree.Tty("ttyACM0", usb + "1-2/1-2:1.0", nullptr);
    tree.UsbDevice(usb + "1-2", "Arduino (www.arduino.cc)", "Arduino Uno");
    tree.Tty("ttyUSB1", usb + "1-3/1-3:1.0/ttyUSB1", nullptr);  // the adapter names nothing
    tree.Tty("COM10", "virtual/COM10", nullptr);
    tree.Tty("com3", "virtual/com3", nullptr);
    QDir().mkpath(tree.Sys() + "/class/tty/tty0");  // a virtual console: no device
    tree.Write(tree.Dev() + "/tty0", "");
    tree.ById("usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0", "ttyUSB0");
    tree.ById("usb-Silicon_Labs_CP2102_USB_to_UART_0001-if00-port0", "ttyUSB1");

    const QString byId = QDir(tree.Dev() + "/serial/by-id").absolutePath() + "/";
    const QList<SerialPortInfo> expected = {
        {byId + "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0", "FTDI FT232R USB UART (ttyUSB0)"},
        {byId + "usb-Silicon_Labs_CP2102_USB_to_UART_0001-if00-port0",
         "Silicon Labs CP2102 USB to UART 0001 (ttyUSB1)"},
        {"COM10", ""},
        {"com3", ""},
        {"ttyACM0", "Arduino (www.arduino.cc) Arduino Uno"},
        {"ttyS0", "built-in serial port"},
        {"ttyUSB0", "FTDI FT232R USB UART"},
        {"ttyUSB1", "USB serial adapter"},
    };
    const QList<SerialPortInfo> ports = ListSerialPortInfos({tree.Sys(), tree.Dev()});
    ASSERT_EQ(ports.size(), expected.size());
    for (qsizetype i = 0; i < ports.size(); ++i) {
        EXPECT_EQ(ports[i].name, expected[i].name) << i;
        EXPECT_EQ(ports[i].description, expected[i].description) << i;
    }
    EXPECT_EQ(ListSerialPorts({tree.Sys(), tree.Dev()}).size(), expected.size());
    EXPECT_TRUE(ListSerialPortInfos({tree.Sys() + "/none", tree.Dev() + "/none"}).isEmpty());
}

TEST(ComSetupFrm, ThePortListShowsDescriptionsAndTakesATypedPath) {
    WinKeyerSimulator keyer;  // a pseudo-terminal: typed, since no listing shows one
    TComPort port;
    ConfigureForKeyer(port, "ttyS0");
    QList<SerialPortInfo> ports = ListSerialPortInfos();
    ports.append(SerialPortInfo{"ttyS0", "built-in serial port"});
    ports.append(
        SerialPortInfo{"/dev/serial/by-id/usb-FTDI_FT232R-if00-port0", "FTDI FT232R (ttyUSB0)"});
    for (const SerialPortInfo& listed : ports)
        ASSERT_NE(listed.name, keyer.PortPath());
    TComSetupFrm form(&port, ports);
    TComComboBox* combo = form.Combo(cpPort);
    EXPECT_TRUE(combo->isEditable());
    const int byId = combo->findText("/dev/serial/by-id/usb-FTDI_FT232R-if00-port0");
    ASSERT_GE(byId, 0);
    EXPECT_EQ(
        combo->ItemListText(byId),
        QString("/dev/serial/by-id/usb-FTDI_FT232R-if00-port0  \u2014  FTDI FT232R (ttyUSB0)"));
    EXPECT_EQ(combo->PendingText(), "ttyS0");

    combo->lineEdit()->clear();
    QTest::keyClicks(combo->lineEdit(), keyer.PortPath());
    EXPECT_EQ(combo->PendingText(), keyer.PortPath());
    PressOk(form);
    EXPECT_EQ(port.Port(), keyer.PortPath());
    port.Open();
    port.SendText(QByteArray("T"));
    EXPECT_TRUE(keyer.WaitForReceived("T"));
}

}  // namespace
