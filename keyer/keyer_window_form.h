// The controls of the keyer options window TfWK, built as the window's
// design places them: names, captions, positions, colours and start values.
// TfWK holds them through this class, so they keep their names (wk->ECommand,
// wk->BOpenCom, ...); what they do is wired in keyer_window.cpp.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QWidget>
#include <array>

namespace corvatta::keyer {

// The PC speed spin edit: the arrows stay within 10..50, while the speed keys
// may show one step beyond (51, or 9, which is then not sent).
class SpeedSpinBox : public QSpinBox {
    Q_OBJECT
  public:
    using QSpinBox::QSpinBox;
    void stepBy(int steps) override;
};

class KeyerWindowForm {
  public:
    // Creates every control as a child of `window` and sizes the window.
    void SetupUi(QWidget* window);

    QLineEdit* ECommand;
    QPushButton *BSetupCom, *BOpenCom, *BSendSpeedRange, *BWriteWK, *BTune, *BInstalCH, *BClose;
    QCheckBox* CBComAutoConnect;
    QLabel *LCCom, *LBCom, *LInfo, *LInfo1;
    QFrame* ShapeCom;
    SpeedSpinBox* EdSpeed;
    QSpinBox* UpSpeed;
    QRadioButton *RB1, *RB2, *SM1, *SM2, *SM3;
    QLineEdit *ESpeedMin, *ESpeedMax;
    QComboBox* CBPaddleMode;
    QCheckBox *CBPaddleWatchdog, *CBPaddleEcho, *CBPaddleSwap, *CBSerialEcho, *CBAutoSpace,
        *CBWordSpace;
    QLineEdit *ELead, *ETail, *EFirstCarExt, *EKeyComp, *ERatio;
    QComboBox *EHangTime, *ESidetone;
    QCheckBox* CBSidetonePaddle;
    QCheckBox *cmyLIC, *CBShort0T, *CBShort0O, *CBShort9N;
    QFrame *ShapePad, *ShapePTT;
    QLabel *LPad, *LTun, *LSpeedPaddle;
    std::array<QPushButton*, 9> BF{};
    std::array<QLineEdit*, 9> EdF{};   // Run set
    std::array<QLineEdit*, 9> EdFs{};  // S/P set
    std::array<QLineEdit*, 9> EdFv{};  // Visual set
    QCheckBox* CBESM;
    QLabel* LWindowsVersion;
    // What the keyer link is doing and, when something is wrong, what to do.
    QLabel* LStatus;
    QCheckBox *cASCI, *cMemo;
};

}  // namespace corvatta::keyer
