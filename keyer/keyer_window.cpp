#include "keyer/keyer_window.h"

#include "keyer/cw_message.h"
#include "keyer/memo_window.h"
#include "keyer/timing_values.h"
#include "keyer/winkeyer_protocol.h"
#include "platform/dialogs.h"
#include "platform/errors.h"
#include "platform/ini_file.h"
#include "platform/program_dir.h"
#include "platform/shell.h"
#include "platform/system_info.h"
#include "platform/window_placement.h"

#include <QButtonGroup>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <QThread>
#include <QValidator>
#include <algorithm>

namespace corvatta::keyer {

namespace {

constexpr int kClientWidth = 684;
constexpr int kClientHeight = 577;
constexpr int kCommandLineLimit = 125;
constexpr int kReadTimerMs = 100;
constexpr int kAfterOpenWaitMs = 100;
constexpr int kAfterHostOpenWaitMs = 500;
constexpr int kAfterEchoTestWaitMs = 200;
constexpr int kWriteStepWaitMs = 100;
constexpr int kDrainMarginMs = 50;
const QString kTuneHint =
    QStringLiteral("Ctrl+T or Ctrl+F12 vklopi ali izklopi Tune, izklop tudi z ESC");
const QString kMessageFieldColor = QStringLiteral("$00AFFFFF");
const QString kFixedMessageColor = QStringLiteral("$00FFEEAA");

template <typename T>
T* Place(T* w, QWidget* parent, const QString& name, int x, int y, int width, int height) {
    w->setParent(parent);
    w->setObjectName(name);
    w->setGeometry(x, y, width, height);
    return w;
}

QLabel* Caption(QWidget* parent, const QString& text, int x, int y, int width) {
    auto* l = new QLabel(text, parent);
    l->setGeometry(x, y, width, 18);
    return l;
}

QLineEdit* Edit(QWidget* parent, const QString& name, const QString& text, int x, int y,
                int width) {
    auto* e = Place(new QLineEdit, parent, name, x, y, width, 21);
    e->setText(text);
    return e;
}

QCheckBox* Check(QWidget* parent, const QString& name, const QString& text, int x, int y,
                 int width) {
    return Place(new QCheckBox(text), parent, name, x, y, width, 19);
}

QPushButton* Button(QWidget* parent, const QString& name, const QString& text, int x, int y,
                    int width) {
    return Place(new QPushButton(text), parent, name, x, y, width, 25);
}

QFrame* Shape(QWidget* parent, const QString& name, int x, int y) {
    auto* f = Place(new QFrame, parent, name, x, y, 18, 18);
    f->setFrameShape(QFrame::Box);
    PaintBackground(f, colors::ColorBusy);
    return f;
}

void SetBold(QLabel* label, bool bold) {
    QFont f = label->font();
    f.setBold(bold);
    label->setFont(f);
}

}  // namespace

void SpeedSpinBox::stepBy(int steps) {
    const int target = std::clamp(value() + steps * singleStep(), 10, 50);
    setValue(target);
}

TfWK::TfWK(StationState& state, MainWindowLink& link, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      state_(state),
      link_(link) {
    setObjectName(QStringLiteral("fWK"));
    setWindowTitle(kKeyerWindowCaption);

    ComPort = new serial::TComPort(this);
    ComPort->setObjectName(QStringLiteral("ComPort"));
    // The window's own port settings, used until the port file has others.
    ComPort->SetPort(QStringLiteral("COM7"));
    ComPort->SetBaudRate(serial::br1200);
    ComPort->SetDataBits(serial::dbEight);
    ComPort->SetStopBits(serial::sbOneStopBit);
    ComPort->SetParityBits(serial::prNone);
    serial::TComFlowControl flow;
    flow.ControlDTR = serial::dtrEnable;
    flow.ControlRTS = serial::rtsDisable;
    flow.XonXoffIn = true;
    flow.XonXoffOut = true;
    ComPort->SetFlowControl(flow);
    connect(ComPort, &serial::TComPort::OnRxChar, this,
            [this](int count) { ComPortRxChar(ComPort, count); });
    connect(ComPort, &serial::TComPort::OnDisconnect, this, &TfWK::LinkLost);

    TimerReadWK = new QTimer(this);
    TimerReadWK->setObjectName(QStringLiteral("TimerReadWK"));
    TimerReadWK->setInterval(kReadTimerMs);
    connect(TimerReadWK, &QTimer::timeout, this, &TfWK::TimerReadWKTimer);
    TimerReconnect = new QTimer(this);
    TimerReconnect->setObjectName(QStringLiteral("TimerReconnect"));
    TimerReconnect->setInterval(kReconnectIntervalMs);
    connect(TimerReconnect, &QTimer::timeout, this, &TfWK::ReconnectTick);

    // The paddle speed the keyer starts with until its pot reports.
    if (state_.flags.PaddleSpeed == 0) {
        state_.flags.PaddleSpeed = kDefaultPaddleSpeed;
    }

    BuildWindow();
    ConnectHandlers();
    LoadKeyerWindowSettings();
}

TfWK::~TfWK() {
    TimerReconnect->stop();
    TimerReadWK->stop();
}

QString TfWK::PortFileName() const {
    return platform::ProgramDirectory() + QStringLiteral("Corvatta.ini");
}

void TfWK::BuildWindow() {
    QWidget* p = this;
    ECommand = Edit(p, QStringLiteral("ECommand"), QString(), 8, 8, 668);

    BSetupCom = Button(p, QStringLiteral("BSetupCom"), QStringLiteral("Setup Com"), 8, 40, 90);
    BSetupCom->setToolTip(QStringLiteral("Nastavitve COM/USB Priključka"));
    BOpenCom = Button(p, QStringLiteral("BOpenCom"), QStringLiteral("Open Com"), 104, 40, 90);
    CBComAutoConnect =
        Check(p, QStringLiteral("CBComAutoConnect"), QStringLiteral("Auto Winkeyer"), 204, 43, 110);
    CBComAutoConnect->setToolTip(QStringLiteral("Omogoča avtomatski zagon Winkeyer tasterja"));
    ShapeCom = Shape(p, QStringLiteral("ShapeCom"), 324, 43);
    LCCom = Place(new QLabel(QStringLiteral("Port")), p, QStringLiteral("LCCom"), 348, 43, 170, 18);
    LBCom = Place(new QLabel(QStringLiteral("BRate")), p, QStringLiteral("LBCom"), 522, 43, 70, 18);
    LInfo = Place(new QLabel(QStringLiteral("LInfo")), p, QStringLiteral("LInfo"), 8, 70, 260, 18);
    LInfo1 = Place(new QLabel, p, QStringLiteral("LInfo1"), 276, 70, 200, 18);

    // Speeds.
    Caption(p, QStringLiteral("PC Speed"), 8, 97, 60);
    EdSpeed = Place(new SpeedSpinBox, p, QStringLiteral("EdSpeed"), 70, 95, 55, 22);
    EdSpeed->setRange(0, 99);
    EdSpeed->setValue(20);
    Caption(p, QStringLiteral("Speed factor"), 135, 97, 75);
    UpSpeed = Place(new QSpinBox, p, QStringLiteral("UpSpeed"), 212, 95, 50, 22);
    UpSpeed->setRange(1, 20);
    UpSpeed->setValue(5);
    RB1 =
        Place(new QRadioButton(QStringLiteral("Step 1")), p, QStringLiteral("RB1"), 8, 121, 70, 19);
    RB2 = Place(new QRadioButton(QStringLiteral("Step 2")), p, QStringLiteral("RB2"), 90, 121, 70,
                19);
    SM1 = Place(new QRadioButton(QStringLiteral("Speed pot only for paddle ")), p,
                QStringLiteral("SM1"), 8, 143, 220, 19);
    SM2 = Place(new QRadioButton(QStringLiteral("Ignore keyer speed pot")), p,
                QStringLiteral("SM2"), 8, 161, 220, 19);
    SM3 = Place(new QRadioButton(QStringLiteral("Use keyer speed pot")), p, QStringLiteral("SM3"),
                8, 179, 220, 19);
    // Two independent choices; neither step is selected at first.
    auto* steps = new QButtonGroup(this);
    auto* speedModes = new QButtonGroup(this);
    for (QRadioButton* b : {RB1, RB2}) {
        b->setAutoExclusive(false);
        steps->addButton(b);
    }
    for (QRadioButton* b : {SM1, SM2, SM3}) {
        b->setAutoExclusive(false);
        speedModes->addButton(b);
    }
    SM2->setChecked(true);

    Caption(p, QStringLiteral("Keying mode"), 8, 205, 80);
    CBPaddleMode = Place(new QComboBox, p, QStringLiteral("CBPaddleMode"), 90, 202, 120, 22);
    CBPaddleMode->addItems({QStringLiteral("Iambic B"), QStringLiteral("Iambic A"),
                            QStringLiteral("Ultimatic"), QStringLiteral("Bug Mode")});
    CBPaddleMode->setCurrentIndex(1);
    CBPaddleWatchdog = Check(p, QStringLiteral("CBPaddleWatchdog"),
                             QStringLiteral("Disable Paddle watchdog"), 8, 228, 200);
    CBPaddleEcho =
        Check(p, QStringLiteral("CBPaddleEcho"), QStringLiteral("Paddle Echoback "), 8, 247, 200);
    CBPaddleSwap =
        Check(p, QStringLiteral("CBPaddleSwap"), QStringLiteral("Paddle Swap"), 8, 266, 200);
    CBSerialEcho =
        Check(p, QStringLiteral("CBSerialEcho"), QStringLiteral("Serial Echoback "), 8, 285, 200);
    CBAutoSpace =
        Check(p, QStringLiteral("CBAutoSpace"), QStringLiteral("Auto Space"), 8, 304, 200);
    CBWordSpace =
        Check(p, QStringLiteral("CBWordSpace"), QStringLiteral("Word Space"), 8, 323, 200);

    // Speed-pot range and timing values.
    Caption(p, QStringLiteral("Minimum speed"), 280, 97, 150);
    ESpeedMin = Edit(p, QStringLiteral("ESpeedMin"), QStringLiteral("10"), 440, 95, 50);
    ESpeedMin->setReadOnly(true);
    Caption(p, QStringLiteral("Maximum speed"), 280, 121, 150);
    ESpeedMax = Edit(p, QStringLiteral("ESpeedMax"), QStringLiteral("46"), 440, 119, 50);
    BSendSpeedRange = Button(p, QStringLiteral("BSendSpeedRange"),
                             QStringLiteral("Send Speed range"), 280, 145, 210);
    Caption(p, QStringLiteral("Lead Time"), 280, 180, 150);
    ELead = Edit(p, QStringLiteral("ELead"), QStringLiteral("0"), 440, 178, 50);
    Caption(p, QStringLiteral("Tail Time"), 280, 202, 150);
    ETail = Edit(p, QStringLiteral("ETail"), QStringLiteral("0"), 440, 200, 50);
    Caption(p, QStringLiteral("First character extension"), 280, 224, 160);
    EFirstCarExt = Edit(p, QStringLiteral("EFirstCarExt"), QStringLiteral("0"), 440, 222, 50);
    EFirstCarExt->setToolTip(QStringLiteral("0 - 250 ms"));
    Caption(p, QStringLiteral("Keying compensation"), 280, 246, 160);
    EKeyComp = Edit(p, QStringLiteral("EKeyComp"), QStringLiteral("0"), 440, 244, 50);
    EKeyComp->setToolTip(QStringLiteral("0 - 15 ms"));
    Caption(p, QStringLiteral("Dit Dah Ratio normal is 50"), 280, 268, 160);
    ERatio = Edit(p, QStringLiteral("ERatio"), QStringLiteral("50"), 440, 266, 50);
    ERatio->setToolTip(QStringLiteral("32 - 67 Ratio"));
    Caption(p, QStringLiteral("Hang Time"), 280, 290, 150);
    EHangTime = Place(new QComboBox, p, QStringLiteral("EHangTime"), 440, 288, 50, 22);
    EHangTime->addItems(
        {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")});
    BWriteWK =
        Button(p, QStringLiteral("BWriteWK"), QStringLiteral("Write to winkeyer"), 280, 313, 210);

    // Sidetone, indicators, tune and the display options.
    Caption(p, QStringLiteral("Frequency sidetone"), 505, 97, 170);
    ESidetone = Place(new QComboBox, p, QStringLiteral("ESidetone"), 505, 117, 80, 22);
    ESidetone->addItems({QStringLiteral("4000"), QStringLiteral("2000"), QStringLiteral("1333"),
                         QStringLiteral("1000"), QStringLiteral("800"), QStringLiteral("666"),
                         QStringLiteral("571"), QStringLiteral("500"), QStringLiteral("444")});
    ESidetone->setCurrentIndex(4);
    CBSidetonePaddle = Check(p, QStringLiteral("CBSidetonePaddle"),
                             QStringLiteral("Sidetone only on paddle"), 505, 143, 175);
    ShapePad = Shape(p, QStringLiteral("ShapePad"), 505, 170);
    LPad = Place(new QLabel, p, QStringLiteral("LPad"), 527, 170, 40, 18);
    ShapePTT = Shape(p, QStringLiteral("ShapePTT"), 572, 170);
    LTun = Place(new QLabel, p, QStringLiteral("LTun"), 594, 170, 80, 18);
    Caption(p, QStringLiteral("Paddle speed"), 505, 195, 90);
    LSpeedPaddle = Place(new QLabel(QStringLiteral("10")), p, QStringLiteral("LSpeedPaddle"), 600,
                         195, 40, 18);
    BTune = Button(p, QStringLiteral("BTune"), QStringLiteral("TUNE"), 505, 218, 110);
    BTune->setToolTip(kTuneHint);
    cASCI = Check(p, QStringLiteral("cASCI"), QStringLiteral("ASCI"), 505, 252, 100);
    cMemo = Check(p, QStringLiteral("cMemo"), QStringLiteral("Form Memo"), 505, 272, 100);
    LWindowsVersion = Place(new QLabel, p, QStringLiteral("LWindowsVersion"), 505, 296, 170, 18);

    // Short characters and ESM.
    auto* shortGroup = Place(new QGroupBox(QStringLiteral(" Short Caracter RST + myLIC ")), p,
                             QStringLiteral("GBShort"), 8, 342, 390, 44);
    cmyLIC = Check(shortGroup, QStringLiteral("cmyLIC"), QStringLiteral("# myLIC"), 8, 18, 80);
    CBShort0T =
        Check(shortGroup, QStringLiteral("CBShort0T"), QStringLiteral("Short 0 = T"), 95, 18, 95);
    CBShort0O =
        Check(shortGroup, QStringLiteral("CBShort0O"), QStringLiteral("Short 0 = O"), 195, 18, 95);
    CBShort9N =
        Check(shortGroup, QStringLiteral("CBShort9N"), QStringLiteral("Short 9 = N"), 295, 18, 90);
    CBESM = Check(p, QStringLiteral("CBESM"), QStringLiteral("Enter send Message (ESM mode) F11 "),
                  408, 360, 268);

    // The three message sets.
    Caption(p, QStringLiteral("Run"), 44, 390, 100);
    Caption(p, QStringLiteral("S/P"), 188, 390, 100);
    Caption(p, QStringLiteral("Visual"), 332, 390, 100);
    for (int i = 0; i < 9; ++i) {
        const QString n = QString::number(i + 1);
        const int y = 408 + i * 18;
        BF[i] = Place(new QPushButton(QStringLiteral("F") + n), p, QStringLiteral("BF") + n, 8, y,
                      32, 18);
        EdF[i] = Edit(p, QStringLiteral("EdF") + n, QString(), 44, y, 140);
        EdFs[i] = Edit(p, QStringLiteral("EdF") + n + QStringLiteral("s"), QString(), 188, y, 140);
        EdFv[i] = Edit(p, QStringLiteral("EdF") + n + QStringLiteral("v"), QString(), 332, y, 140);
        for (QLineEdit* e : {EdF[i], EdFs[i], EdFv[i]}) {
            e->setFixedHeight(18);
            platform::MakeUpperCase(e);
        }
    }
    // F4 sends the own call and F5 the correspondent's call.
    EdF[3]->setText(QStringLiteral("*"));
    EdFs[3]->setText(QStringLiteral("*"));
    EdF[4]->setText(QStringLiteral("!"));
    EdFs[4]->setText(QStringLiteral("!"));
    for (QLineEdit* e : {EdF[3], EdF[4], EdFs[3], EdFs[4]}) {
        e->setReadOnly(true);
        PaintBackground(e, kFixedMessageColor);
    }
    for (int i : {1, 5, 6, 7, 8}) {
        PaintBackground(EdF[i], kMessageFieldColor);
        PaintBackground(EdFs[i], kMessageFieldColor);
    }

    // The macro legend, the driver installer and Close.
    auto* legend = Place(new QGroupBox(QStringLiteral(" Kratice ")), p, QStringLiteral("GBKratice"),
                         480, 390, 196, 136);
    const std::array<std::pair<const char*, QString>, 7> macros{{
        {"*", QStringLiteral(" = moj pozivni znak")},
        {"!", QStringLiteral(" = pozivni znak korespodenta")},
        {"#", QStringLiteral(" = moja letnica licence")},
        {"$", QStringLiteral(" = pozivni znak zadnje zveze")},
        {"<", QStringLiteral(" = povečaj hitrost za faktor")},
        {">", QStringLiteral(" = zmanjšaj hitrost za faktor")},
        {"%", QStringLiteral(" = delaj z normalno hitrostjo")},
    }};
    for (int i = 0; i < 7; ++i) {
        Caption(legend, QString::fromLatin1(macros[i].first) + macros[i].second, 8, 18 + i * 16,
                185);
    }
    auto* driverGroup = Place(new QGroupBox(QStringLiteral(" Install USB driver ")), p,
                              QStringLiteral("GBDriver"), 480, 528, 110, 44);
    BInstalCH = Button(driverGroup, QStringLiteral("BInstalCH"),
                       QStringLiteral("Install driver CH341"), 5, 16, 100);
    BClose = Button(p, QStringLiteral("BClose"), QStringLiteral("Close"), 600, 540, 76);

    for (QLineEdit* e : {ESpeedMin, ESpeedMax, ELead, ETail, EFirstCarExt, EKeyComp, ERatio}) {
        e->installEventFilter(this);
    }
    ECommand->installEventFilter(this);
    setFixedSize(kClientWidth, kClientHeight);
}

void TfWK::ConnectHandlers() {
    auto& k = state_.keyer;
    connect(BSetupCom, &QPushButton::clicked, this, [this] { ComPort->ShowSettingsDialog(this); });
    connect(BOpenCom, &QPushButton::clicked, this, [this] {
        if (PortOpen() || reconnecting_) {
            CloseKeyer();
        } else {
            OpenKeyer();
        }
        if (isVisible()) {
            FocusCommandLine();
        }
    });
    connect(CBComAutoConnect, &QCheckBox::toggled, this, [&k](bool on) { k.ComAuto = on; });
    connect(EdSpeed, &QSpinBox::valueChanged, this, &TfWK::SpeedChanged);
    connect(UpSpeed, &QSpinBox::valueChanged, this, [this, &k](int v) {
        k.SpeedUp = v;
        FocusCommandLine();
    });
    connect(RB1, &QRadioButton::toggled, this, [this, &k](bool on) {
        if (on) {
            k.SpeedStep = 1;
            EdSpeed->setSingleStep(1);
        }
    });
    connect(RB2, &QRadioButton::toggled, this, [this, &k](bool on) {
        if (on) {
            k.SpeedStep = 2;
            EdSpeed->setSingleStep(2);
        }
    });
    connect(SM1, &QRadioButton::toggled, this, [this, &k](bool on) {
        if (on) {
            k.SpeedMode = 0;
            EdSpeed->setEnabled(true);
        }
    });
    connect(SM2, &QRadioButton::toggled, this, [this, &k](bool on) {
        if (on) {
            k.SpeedMode = 1;
            EdSpeed->setEnabled(true);
        }
    });
    connect(SM3, &QRadioButton::toggled, this, [this](bool on) {
        if (on) {
            UseSpeedPot();
        }
    });
    connect(BSendSpeedRange, &QPushButton::clicked, this, &TfWK::SendSpeedRange);
    connect(CBPaddleMode, &QComboBox::activated, this, [this, &k](int index) {
        k.PaddleMode = index;
        ModeRegisterChanged();
    });
    const std::array<std::pair<QCheckBox*, bool*>, 6> modeBoxes{{
        {CBPaddleWatchdog, &k.PaddleWatchdog},
        {CBPaddleEcho, &k.PaddleEcho},
        {CBPaddleSwap, &k.PaddleSwap},
        {CBSerialEcho, &k.SerialEcho},
        {CBAutoSpace, &k.AutoSpace},
        {CBWordSpace, &k.WordSpace},
    }};
    for (const auto& [box, flag] : modeBoxes) {
        connect(box, &QCheckBox::toggled, this, [this, flag](bool on) {
            *flag = on;
            ModeRegisterChanged();
        });
    }
    connect(ELead, &QLineEdit::textChanged, this,
            [this, &k] { TimingEditChanged(ELead, k.Lead, kLeadLimit, false); });
    connect(ETail, &QLineEdit::textChanged, this,
            [this, &k] { TimingEditChanged(ETail, k.Tail, kTailLimit, false); });
    connect(EFirstCarExt, &QLineEdit::textChanged, this, [this, &k] {
        TimingEditChanged(EFirstCarExt, k.FirstCarExt, kFirstCarExtLimit, false);
    });
    connect(EKeyComp, &QLineEdit::textChanged, this,
            [this, &k] { TimingEditChanged(EKeyComp, k.KeyComp, kKeyCompLimit, false); });
    connect(ERatio, &QLineEdit::textChanged, this,
            [this, &k] { TimingEditChanged(ERatio, k.Ratio, kRatioLimit, true); });
    connect(EHangTime, &QComboBox::activated, this, [&k](int index) { k.HangTime = index + 1; });
    connect(BWriteWK, &QPushButton::clicked, this, &TfWK::WriteToWinkeyer);
    connect(CBSidetonePaddle, &QCheckBox::toggled, this, [this, &k](bool on) {
        k.SidetonePaddle = on;
        SidetoneChanged();
    });
    connect(ESidetone, &QComboBox::activated, this, [this, &k](int index) {
        k.Sidetone = index;
        SidetoneChanged();
    });
    auto& sc = state_.shortChars;
    connect(cmyLIC, &QCheckBox::toggled, this, [&sc](bool on) { sc.LicCheck = on; });
    connect(CBShort0T, &QCheckBox::toggled, this, [&sc](bool on) { sc.Short0T = on; });
    connect(CBShort0O, &QCheckBox::toggled, this, [&sc](bool on) { sc.Short0O = on; });
    connect(CBShort9N, &QCheckBox::toggled, this, [&sc](bool on) { sc.Short9N = on; });
    auto& m = state_.messages;
    for (int i = 0; i < 9; ++i) {
        connect(BF[i], &QPushButton::clicked, this, [this, i] { MessageButton(i); });
        connect(EdF[i], &QLineEdit::textChanged, this, [&m, i](const QString& t) { m.Run[i] = t; });
        connect(EdFs[i], &QLineEdit::textChanged, this, [&m, i](const QString& t) { m.SP[i] = t; });
        connect(EdFv[i], &QLineEdit::textChanged, this,
                [&m, i](const QString& t) { m.Visual[i] = t; });
    }
    connect(BTune, &QPushButton::clicked, this, &TfWK::TuneClick);
    connect(CBESM, &QCheckBox::toggled, this, [this, &k](bool on) {
        k.EnterSendMsg = on;
        link_.ShowEsmLabel(on);
    });
    connect(cASCI, &QCheckBox::toggled, this, [this](bool on) { state_.view.VisibleASCI = on; });
    connect(cMemo, &QCheckBox::toggled, this, [this](bool on) {
        state_.view.VisibleMemo = on;
        if (memo_ != nullptr) {
            if (on) {
                memo_->show();
            } else {
                memo_->close();
            }
        }
    });
    connect(BInstalCH, &QPushButton::clicked, this, &TfWK::InstallDriver);
    connect(BClose, &QPushButton::clicked, this, &TfWK::SaveKeyerWindowSettings);
}

// ---- Settings of this window ------------------------------------------------

void TfWK::LoadKeyerWindowSettings() {
    const QString file = PortFileName();
    try {
        ComPort->LoadFromIni(file);
    } catch (const platform::Error& e) {
        platform::ShowError(e.message());
    }
    const platform::IniDocument doc = platform::IniFile(file).Load();
    state_.view.WKTop =
        doc.ReadInteger(QStringLiteral("VIEW"), QStringLiteral("WKTop"), state_.view.WKTop);
    state_.view.WKLeft =
        doc.ReadInteger(QStringLiteral("VIEW"), QStringLiteral("WKLeft"), state_.view.WKLeft);
    platform::PlaceOnScreen(this, state_.view.WKLeft, state_.view.WKTop);
    bitness_ = platform::BitnessText();
}

void TfWK::SaveKeyerWindowSettings() {
    const QString file = PortFileName();
    state_.view.WKTop = y();
    state_.view.WKLeft = x();
    try {
        const platform::IniFile ini(file);
        platform::IniDocument doc = ini.Load();
        doc.WriteInteger(QStringLiteral("VIEW"), QStringLiteral("WKTop"), state_.view.WKTop);
        doc.WriteInteger(QStringLiteral("VIEW"), QStringLiteral("WKLeft"), state_.view.WKLeft);
        ini.Save(doc);
        ComPort->SaveToIni(file);
    } catch (const platform::Error& e) {
        // The window stays open, so the operator sees that the settings are
        // not on disk and can try again.
        platform::ShowError(e.message());
        return;
    }
    close();
}

// ---- Showing and filling ----------------------------------------------------

void TfWK::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    const auto& k = state_.keyer;
    switch (k.SpeedMode) {
        case 0:
            SM1->setChecked(true);
            break;
        case 1:
            SM2->setChecked(true);
            break;
        case 2:
            SM3->setChecked(true);
            break;
        default:
            break;
    }
    if (k.SpeedStep == 1) {
        RB1->setChecked(true);
    } else if (k.SpeedStep == 2) {
        RB2->setChecked(true);
    }
    LTun->clear();
    LPad->clear();
    if (!k.ComConnected) {
        LInfo->clear();
        LInfo1->clear();
    }
    LWindowsVersion->setText(QStringLiteral("Windows Ver: ") + bitness_);
    LCCom->setText(ComPort->Port());
    LBCom->setText(serial::BaudRateToText(ComPort->BaudRate()));
    CBComAutoConnect->setChecked(k.ComAuto);
    FillControls();
    TimerReadWK->start();
    if (state_.flags.PaddleSpeed == 0) {
        state_.flags.PaddleSpeed = kDefaultPaddleSpeed;
    }
    FocusCommandLine();
}

void TfWK::FillControls() {
    auto& k = state_.keyer;
    ESpeedMin->setText(QString::number(k.SpeedMin));
    ESpeedMax->setText(QString::number(k.SpeedMax));
    CBPaddleWatchdog->setChecked(k.PaddleWatchdog);
    CBPaddleEcho->setChecked(k.PaddleEcho);
    CBPaddleSwap->setChecked(k.PaddleSwap);
    CBSerialEcho->setChecked(k.SerialEcho);
    CBAutoSpace->setChecked(k.AutoSpace);
    CBWordSpace->setChecked(k.WordSpace);
    CBPaddleMode->setCurrentIndex(k.PaddleMode);
    for (QString* v : {&k.Lead, &k.Tail, &k.FirstCarExt, &k.KeyComp, &k.Ratio}) {
        if (v->isEmpty()) {
            *v = QStringLiteral("0");
        }
    }
    ELead->setText(k.Lead);
    ETail->setText(k.Tail);
    EFirstCarExt->setText(k.FirstCarExt);
    EKeyComp->setText(k.KeyComp);
    // A stored ratio of "0" is not taken back by the edit's rule; show it as
    // it is stored.
    ERatio->setText(k.Ratio);
    EHangTime->setCurrentIndex(k.HangTime - 1);
    k.R01 = SidetoneByte(k.SidetonePaddle, k.Sidetone);
    {
        // The stored choice is shown; the sidetone byte goes out with the
        // keyer timer that follows every fill.
        const QSignalBlocker block(CBSidetonePaddle);
        CBSidetonePaddle->setChecked(k.SidetonePaddle);
    }
    const auto& sc = state_.shortChars;
    cmyLIC->setChecked(sc.LicCheck);
    CBShort0T->setChecked(sc.Short0T);
    CBShort0O->setChecked(sc.Short0O);
    CBShort9N->setChecked(sc.Short9N);
    const MessageSets m = state_.messages;
    for (int i = 0; i < 9; ++i) {
        EdF[i]->setText(m.Run[i]);
        EdFs[i]->setText(m.SP[i]);
        EdFv[i]->setText(m.Visual[i]);
    }
    CBESM->setChecked(k.EnterSendMsg);
    cMemo->setChecked(state_.view.VisibleMemo);
    cASCI->setChecked(state_.view.VisibleASCI);
}

void TfWK::FocusCommandLine() {
    ECommand->setFocus();
    ECommand->end(false);
}

// ---- Writing to the keyer ---------------------------------------------------

bool TfWK::Write(const QByteArray& bytes) {
    try {
        return ComPort->SendText(bytes) == bytes.size();
    } catch (const platform::Error& e) {
        platform::ShowError(e.message());
        return false;
    }
}

int TfWK::TransmitMilliseconds(qsizetype bytes) const {
    int baud = ComPort->BaudRate() == serial::brCustom
                   ? ComPort->CustomBaudRate()
                   : serial::BaudRateToText(ComPort->BaudRate()).toInt();
    if (baud <= 0) {
        baud = 1200;
    }
    // Ten bit times a byte, and a margin for the driver and the adapter.
    return static_cast<int>(bytes * 10 * 1000 / baud) + kDrainMarginMs;
}

bool TfWK::SendIfOpen(const QByteArray& bytes) {
    return PortOpen() && Write(bytes);
}

bool TfWK::SendIfReady(const QByteArray& bytes) {
    // Gated by the ready flag only, as the keyer commands always were: with
    // the port closed the component's not-open error is shown.
    return state_.flags.KeyerReady && Write(bytes);
}

bool TfWK::SendToKeyer(const QByteArray& bytes) {
    return SendIfOpen(bytes);
}

bool TfWK::ClearKeyerBuffer() {
    // Esc is the operator's way out of anything, a line stopped by XOFF too.
    ComPort->ResumeOutput();
    return SendIfOpen(ClearBufferCommand());
}

// ---- The link ----------------------------------------------------------------

void TfWK::OpenKeyer() {
    try {
        ComPort->SetConnected(true);
    } catch (const platform::Error&) {
        // A missing or busy port leaves the link closed, without a word.
    }
    if (!PortOpen()) {
        return;
    }
    StopReconnecting();
    auto& k = state_.keyer;
    QThread::msleep(kAfterOpenWaitMs);
    k.ComConnected = true;
    BOpenCom->setText(QStringLiteral("Close Com"));
    PaintBackground(ShapeCom, colors::ColorPortOpen);
    SetBold(LCCom, true);
    LCCom->setText(ComPort->Port());
    LBCom->setText(serial::BaudRateToText(ComPort->BaudRate()));

    SendIfOpen(HostOpenCommand());
    QThread::msleep(kAfterHostOpenWaitMs);
    SendIfOpen(EchoTestCommand());
    QThread::msleep(kAfterEchoTestWaitMs);
    SendIfOpen(SetSpeedCommand(k.Speed));
    SendIfOpen(ModeRegisterCommand(kStartModeRegister));
    FillControls();
    TimerReadWK->start();
    link_.SetKeyerFieldColor(colors::ColorReady);
    link_.SetModeButtonColor(colors::ColorReady);
}

void TfWK::ShowLinkClosed() {
    LInfo->clear();
    LInfo1->clear();
    SetBold(LCCom, false);
    BOpenCom->setText(QStringLiteral("Open Com"));
    PaintBackground(ShapeCom, colors::ColorBusy);
    link_.SetKeyerFieldColor(colors::ColorBusy);
    link_.SetModeButtonColor(colors::ColorPlain);
}

void TfWK::CloseKeyer() {
    auto& k = state_.keyer;
    if (reconnecting_) {
        // The operator gave up the keyer that was being waited for.
        StopReconnecting();
        k.ComConnected = false;
        BOpenCom->setText(QStringLiteral("Open Com"));
    }
    if (!PortOpen()) {
        return;
    }
    const QByteArray hostClose = HostCloseCommand();
    if (SendIfOpen(hostClose)) {
        // Closing the port purges what the driver has not sent yet; give the
        // host-close command time to reach the keyer first.
        QThread::msleep(static_cast<unsigned long>(TransmitMilliseconds(hostClose.size())));
    }
    try {
        ComPort->SetConnected(false);
    } catch (const platform::Error& e) {
        platform::ShowError(e.message());
    }
    k.ComConnected = false;
    state_.flags.KeyerVersion = 0;
    state_.flags.KeyerReady = false;
    ShowLinkClosed();
}

void TfWK::LinkLost() {
    if (PortOpen()) {
        return;  // reopened already
    }
    auto& f = state_.flags;
    f.KeyerVersion = 0;
    f.KeyerReady = false;
    // Only an idle report would clear these, and none will come.
    f.Transmitting = false;
    f.ExchangePending = false;
    f.TuneOn = false;
    TimerReadWK->stop();
    ShowLinkClosed();
    LInfo->setText(kKeyerDisconnectedText);
    if (state_.keyer.ComConnected) {
        reconnecting_ = true;
        BOpenCom->setText(QStringLiteral("Close Com"));
        TimerReconnect->start();
    }
}

void TfWK::ReconnectTick() {
    if (!reconnecting_) {
        TimerReconnect->stop();
        return;
    }
    OpenKeyer();
}

void TfWK::StopReconnecting() {
    reconnecting_ = false;
    TimerReconnect->stop();
}

void TfWK::TimerReadWKTimer() {
    TimerReadWK->stop();
    auto& k = state_.keyer;
    state_.flags.KeyerReady = true;
    if (isVisible()) {
        EdSpeed->setValue(k.Speed);
        UpSpeed->setValue(k.SpeedUp);
        ESidetone->setCurrentIndex(k.Sidetone);
    }
    k.R01 = SidetoneByte(k.SidetonePaddle, k.Sidetone);
    SendIfOpen(SidetoneCommand(k.R01));
}

// ---- What the keyer sends back ------------------------------------------------

void TfWK::ComPortRxChar(QObject*, int count) {
    QByteArray bytes;
    try {
        bytes = ComPort->ReceiveText(count);
    } catch (const platform::Error&) {
        return;
    }
    for (const char c : bytes) {
        HandleReceivedByte(static_cast<std::uint8_t>(c));
    }
}

void TfWK::HandleReceivedByte(std::uint8_t byte) {
    auto& f = state_.flags;
    auto& k = state_.keyer;
    if (ECommand->text().size() > kCommandLineLimit) {
        ECommand->clear();
    }
    const ReceivedByte r = ClassifyReceivedByte(byte, f.KeyerVersion != 0);
    if (state_.view.VisibleASCI) {
        ECommand->setText(ECommand->text() + u' ' + QString::number(byte));
    } else {
        if (r.shownAsCharacter) {
            const QString ch = ReceivedCharacter(byte);
            ECommand->setText(ECommand->text() + ch);
            link_.AppendTransmitted(ch);
        }
        if (r.clearsCommandLine) {
            ECommand->clear();
        }
    }
    switch (r.report) {
        case KeyerReport::None:
            break;
        case KeyerReport::SpeedPot:
            f.PaddleSpeed = r.value;
            LSpeedPaddle->setText(QString::number(r.value));
            link_.ShowPaddleSpeed(r.value);
            if (k.SpeedMode == 2) {
                k.Speed = r.value;
                link_.ShowSpeed(k.Speed);
                if (EdSpeed->isEnabled()) {
                    EdSpeed->setValue(k.Speed);
                }
            }
            break;
        case KeyerReport::Version:
            PaintBackground(ShapeCom, colors::ColorReady);
            f.KeyerVersion = r.value;
            LInfo->setText(QStringLiteral("Winkeyer %1 - Open").arg(r.value));
            break;
        case KeyerReport::EchoReply:
            link_.SetModeButtonColor(colors::ColorReady);
            LInfo1->setText(QStringLiteral("WKConnected"));
            TimerReadWK->start();
            break;
        case KeyerReport::Paddle:
            f.PaddleActive = true;
            if (k.SpeedMode == 0) {
                // The keyer takes the pot speed while the paddle is used.
                SendIfOpen(
                    SetSpeedCommand(f.PaddleSpeed != 0 ? f.PaddleSpeed : kDefaultPaddleSpeed));
            }
            LPad->setText(QStringLiteral("Pad"));
            PaintBackground(ShapePad, colors::ColorBusy);
            link_.SetModeButtonColor(colors::ColorBusy);
            break;
        case KeyerReport::Busy:
            f.Transmitting = true;
            f.PaddleActive = false;
            PaintBackground(ShapePad, colors::ColorReady);
            LPad->clear();
            PaintBackground(ShapePTT, colors::ColorBusy);
            break;
        case KeyerReport::Idle:
            IdleReport();
            break;
        case KeyerReport::KeyDown:
            f.TuneOn = true;
            LTun->setText(QStringLiteral("TUNE"));
            PaintBackground(ShapePTT, colors::ColorBusy);
            break;
    }
}

void TfWK::IdleReport() {
    auto& f = state_.flags;
    f.Transmitting = false;
    f.TuneOn = false;
    LPad->clear();
    LTun->clear();
    f.LastMessageKey.clear();
    PaintBackground(ShapePad, colors::ColorReady);
    PaintBackground(ShapePTT, colors::ColorReady);
    link_.SetModeButtonColor(colors::ColorReady);
    link_.MoveEntryCaretToEnd();
    if (!f.ExchangePending) {
        return;
    }
    f.ExchangePending = false;
    f.LastMessageKey = QStringLiteral("F2");
    link_.ShowMessageKey(f.LastMessageKey);
    const MessageSet& set = state_.keyer.RunMode ? state_.messages.Run : state_.messages.SP;
    if (!SendCwMessage(QStringLiteral(" ") + set[1])) {
        // Not sent: the exchange is still due at the next idle report.
        f.ExchangePending = true;
        return;
    }
    if (!link_.EntryText().contains(u' ')) {
        link_.SetEntryText(link_.EntryText() + u' ');
    }
    link_.MoveEntryCaretToEnd();
    emit exchangeStarted();
}

// ---- Messages --------------------------------------------------------------------

bool TfWK::SendCwMessage(const QString& text) {
    const auto& f = state_.flags;
    if (!f.Transmitting) {
        link_.ClearTransmitted();
    }
    if (isVisible()) {
        LTun->setText(f.LastMessageKey);
    }
    const QByteArray bytes = BuildCwMessage(text, state_.shortChars, CurrentMessageValues(state_));
    bool written = false;
    if (PortOpen()) {
        // Every message starts with the line going: nothing the keyer sends
        // (a stray XOFF) may silence the ones that follow.
        ComPort->ResumeOutput();
        written = Write(bytes);
        if (written) {
            link_.SetModeButtonColor(colors::ColorBusy);
        }
    }
    if (isVisible()) {
        FocusCommandLine();
    }
    return written;
}

void TfWK::MessageButton(int index) {
    state_.flags.LastMessageKey = QStringLiteral("F%1").arg(index + 1);
    QString text = state_.messages.Run[index];
    // The exchange-type messages are shortened before they are sent.
    if (index == 1 || index == 5 || index == 7 || index == 8) {
        ApplyShortCharacters(text, state_.shortChars, state_.op.MyYearLic);
    }
    SendCwMessage(text);
}

// ---- Option handlers ----------------------------------------------------------

void TfWK::ModeRegisterChanged() {
    auto& k = state_.keyer;
    k.E0 = ModeRegisterByte(k);
    SendIfOpen(ModeRegisterCommand(k.E0));
}

void TfWK::SidetoneChanged() {
    auto& k = state_.keyer;
    k.R01 = SidetoneByte(k.SidetonePaddle, k.Sidetone);
    SendIfReady(SidetoneCommand(k.R01));
}

void TfWK::TimingEditChanged(QLineEdit* edit, QString& stored, int limit, bool isRatio) {
    const QString text = edit->text();
    const TimingCheck c = CheckTimingText(text, limit, isRatio);
    switch (c.verdict) {
        case TimingVerdict::Ignore:
            break;
        case TimingVerdict::NotANumber:
            platform::ShowError(NotAnIntegerMessage(text));
            break;
        case TimingVerdict::UseLimit:
            edit->setText(c.limitText);  // runs this handler again, which stores it
            break;
        case TimingVerdict::Store:
            stored = text;
            break;
    }
}

void TfWK::SpeedChanged(int value) {
    auto& k = state_.keyer;
    if (!PortOpen()) {
        return;
    }
    if (value > 9 && k.SpeedMode != 2) {
        SendIfOpen(SetSpeedCommand(value));
        k.Speed = value;
        link_.ShowSpeed(value);
    }
    FocusCommandLine();
}

void TfWK::UseSpeedPot() {
    auto& k = state_.keyer;
    auto& f = state_.flags;
    k.SpeedMode = 2;
    SendIfOpen(SetSpeedCommand(kUseSpeedPot));
    if (f.PaddleSpeed == 0) {
        f.PaddleSpeed = kDefaultPaddleSpeed;
    }
    k.Speed = f.PaddleSpeed;
    EdSpeed->setValue(k.Speed);
    EdSpeed->setEnabled(false);
    link_.ShowSpeed(k.Speed);
}

void TfWK::SendSpeedRange() {
    auto& k = state_.keyer;
    const std::optional<int> low = platform::ParseIniInteger(ESpeedMin->text());
    if (!low) {
        platform::ShowError(NotAnIntegerMessage(ESpeedMin->text()));
        return;
    }
    k.SpeedMin = *low;
    const std::optional<int> high = platform::ParseIniInteger(ESpeedMax->text());
    if (!high) {
        platform::ShowError(NotAnIntegerMessage(ESpeedMax->text()));
        return;
    }
    k.SpeedMax = *high;
    SendIfOpen(SpeedPotSetupCommand(k.SpeedMin, k.SpeedMax));
}

void TfWK::WriteToWinkeyer() {
    if (!state_.flags.KeyerReady) {
        return;
    }
    const auto& k = state_.keyer;
    const std::array<QByteArray, 4> commands{
        Command(kPttLeadTail, {TimingValue(k.Lead), TimingValue(k.Tail)}),
        Command(kFirstCharExtension, {TimingValue(k.FirstCarExt)}),
        Command(kKeyingCompensation, {TimingValue(k.KeyComp)}),
        Command(kDitDahRatio, {TimingValue(k.Ratio)}),
    };
    for (const QByteArray& c : commands) {
        if (!SendIfReady(c)) {
            return;
        }
        QThread::msleep(kWriteStepWaitMs);
    }
}

std::optional<bool> TfWK::ToggleTune() {
    auto& f = state_.flags;
    if (!f.KeyerReady) {
        return std::nullopt;
    }
    const bool on = !f.TuneOn;
    if (!SendIfReady(KeyDownCommand(on))) {
        return std::nullopt;
    }
    f.TuneOn = on;
    if (on) {
        link_.SetModeButtonColor(colors::ColorBusy);
    }
    return on;
}

void TfWK::TuneClick() {
    if (const std::optional<bool> on = ToggleTune()) {
        BTune->setText(*on ? QStringLiteral("TUNE ON") : QStringLiteral("TUNE"));
    }
    FocusCommandLine();
}

void TfWK::InstallDriver() {
    const QString dir = platform::ProgramDirectory();
    if (bitness_ == QLatin1String(" 64")) {
        platform::ShellOpen(dir + QStringLiteral("DRVSETUP64/DRVSETUP64.exe"));
    } else {
        platform::ShellOpen(dir + QStringLiteral("CHSETUP.exe"));
    }
}

// ---- Keys ------------------------------------------------------------------------

bool TfWK::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return QWidget::eventFilter(watched, event);
    }
    auto* key = static_cast<QKeyEvent*>(event);
    if (watched == ECommand) {
        return CommandKey(key->key(), key->modifiers()) || QWidget::eventFilter(watched, event);
    }
    // The number fields take digits and Backspace only.
    const QString text = key->text();
    if (!text.isEmpty() && key->key() != Qt::Key_Backspace) {
        for (const QChar c : text) {
            if (c < u'0' || c > u'9') {
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool TfWK::CommandKey(int key, Qt::KeyboardModifiers modifiers) {
    auto& k = state_.keyer;
    auto& f = state_.flags;
    const Qt::KeyboardModifiers held =
        modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (const std::optional<SharedKey> shared = SharedKeyOf(key)) {
        ApplySharedKey(*shared, k, f, *this);
        return true;
    }
    switch (key) {
        case Qt::Key_Escape:
            if (k.ComConnected) {
                ClearKeyerBuffer();
            }
            return true;
        case Qt::Key_T:
        case Qt::Key_F5:
            if (held != Qt::ControlModifier || state_.op.Mode == QLatin1String("SSB")) {
                return false;
            }
            if (f.KeyerReady && SendIfReady(KeyDownCommand(true))) {
                f.TuneOn = true;
                FocusCommandLine();
            }
            return true;
        default:
            return false;
    }
}

void TfWK::SpeedStepped(int wpm) {
    EdSpeed->setValue(wpm);  // its change handler sends the new speed
    link_.ShowSpeed(wpm);
}

void TfWK::ShowRunMode(bool run) {
    link_.ShowRunMode(run);
    if (memo_ != nullptr) {
        memo_->ShowRunMode(run);
    }
}

void TfWK::ResetEntrySequence() {
    emit entrySequenceReset();
}

void TfWK::ClearMessageKey() {
    link_.ShowMessageKey(QString());
}

bool TfWK::EsmShown() const {
    return link_.EsmLabelVisible();
}

void TfWK::ShowEsm(bool on) {
    CBESM->setChecked(on);  // its handler shows LESM
    if (memo_ != nullptr) {
        memo_->ShowEsm(on);
    }
}

bool TfWK::AutoS5() const {
    return link_.AutoS5Checked();
}

void TfWK::WipeEntry(const QString& text) {
    link_.SetEntryText(text);
    link_.ClearTransmitted();
    link_.ClearExchangeField();
    link_.MoveEntryCaretToEnd();
}

}  // namespace corvatta::keyer
