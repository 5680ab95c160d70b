#include "keyer/keyer_window_form.h"

#include "platform/widget_look.h"
#include "station/station_state.h"

#include <QButtonGroup>
#include <algorithm>
#include <utility>

namespace corvatta::keyer {

using platform::PaintBackground;

namespace {

constexpr int kClientWidth = 684;
constexpr int kClientHeight = 577;
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

}  // namespace

void SpeedSpinBox::stepBy(int steps) {
    const int target = std::clamp(value() + steps * singleStep(), 10, 50);
    setValue(target);
}

void KeyerWindowForm::SetupUi(QWidget* window) {
    QWidget* p = window;
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
    // The keyer's two short info lines ("Winkeyer 2 - Open", "WKConnected") leave the
    // rest of the band under the port row to the link's state in words.
    LInfo = Place(new QLabel(QStringLiteral("LInfo")), p, QStringLiteral("LInfo"), 8, 70, 170, 18);
    LInfo1 = Place(new QLabel, p, QStringLiteral("LInfo1"), 182, 70, 84, 18);
    LStatus = Place(new QLabel, p, QStringLiteral("LStatus"), 270, 66, 406, 28);
    LStatus->setWordWrap(true);
    LStatus->setFrameShape(QFrame::StyledPanel);
    LStatus->setAutoFillBackground(true);
    LStatus->setMargin(1);

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
    auto* steps = new QButtonGroup(window);
    auto* speedModes = new QButtonGroup(window);
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

    window->setFixedSize(kClientWidth, kClientHeight);
}

}  // namespace corvatta::keyer
