// The settings model of the serial port component: its enumerations with their
// fixed text forms and conversions, the flow-control summary, and the line-settings record
// (the DCB) built from the settings. Plain logic: nothing here touches a device.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <initializer_list>

namespace serial {

// The enumerations keep the component's identifiers and ordinals (ordinal 0 first).
enum TBaudRate : int {
    brCustom,
    br110,
    br300,
    br600,
    br1200,
    br2400,
    br4800,
    br9600,
    br14400,
    br19200,
    br38400,
    br56000,
    br57600,
    br115200,
    br128000,
    br256000
};
enum TDataBits : int { dbFive, dbSix, dbSeven, dbEight };
enum TStopBits : int { sbOneStopBit, sbOne5StopBits, sbTwoStopBits };
enum TParityBits : int { prNone, prOdd, prEven, prMark, prSpace };
enum TFlowControl : int { fcHardware, fcSoftware, fcNone, fcCustom };
enum TDTRFlowControl : int { dtrDisable, dtrEnable, dtrHandshake };
enum TRTSFlowControl : int { rtsDisable, rtsEnable, rtsHandshake, rtsToggle };
enum TComEvent : int {
    evRxChar,
    evTxEmpty,
    evRxFlag,
    evRing,
    evBreak,
    evCTS,
    evDSR,
    evError,
    evRLSD,
    evRx80Full
};
enum TStoredProp : int { spBasic, spFlowControl, spBuffer, spTimeouts, spParity, spOthers };
enum TSyncMethod : int { smThreadSync, smWindowSync, smNone };
enum TComProperty : int {
    cpNone,
    cpPort,
    cpBaudRate,
    cpDataBits,
    cpStopBits,
    cpParity,
    cpFlowControl
};

// A Pascal-style set over an enumeration with ordinals 0..Count-1.
template <typename E, int Count>
class EnumSet {
  public:
    constexpr EnumSet() = default;
    constexpr EnumSet(std::initializer_list<E> items) {
        for (E e : items)
            Include(e);
    }
    static constexpr EnumSet All() {
        EnumSet s;
        s.bits_ = (1u << Count) - 1;
        return s;
    }
    constexpr bool Has(E e) const { return (bits_ >> e) & 1u; }
    constexpr void Include(E e) { bits_ |= 1u << e; }
    constexpr void Exclude(E e) { bits_ &= ~(1u << e); }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr bool operator==(const EnumSet&) const = default;

  private:
    std::uint32_t bits_ = 0;
};
using TComEvents = EnumSet<TComEvent, 10>;
using TStoredProps = EnumSet<TStoredProp, 6>;

struct TComParity {
    TParityBits Bits = prNone;
    bool Check = false;
    bool Replace = false;
    std::uint8_t ReplaceChar = 0;
    bool operator==(const TComParity&) const = default;
};

struct TComFlowControl {
    bool OutCTSFlow = false;
    bool OutDSRFlow = false;
    TDTRFlowControl ControlDTR = dtrDisable;
    TRTSFlowControl ControlRTS = rtsDisable;
    bool XonXoffOut = false;
    bool XonXoffIn = false;
    bool DSRSensitivity = false;
    bool TxContinueOnXoff = false;
    std::uint8_t XonChar = 17;
    std::uint8_t XoffChar = 19;
    bool operator==(const TComFlowControl&) const = default;
};

// Driver queue sizes. A size set to an odd value is stored one lower.
class TComBuffer {
  public:
    int InputSize() const { return input_; }
    int OutputSize() const { return output_; }
    void SetInputSize(int size) { input_ = Even(size); }
    void SetOutputSize(int size) { output_ = Even(size); }
    bool operator==(const TComBuffer&) const = default;

  private:
    static int Even(int size) { return size % 2 != 0 ? size - 1 : size; }
    int input_ = 1024;
    int output_ = 1024;
};

// Milliseconds, passed to the driver unchanged; -1 (all bits set) as ReadInterval means
// "return at once with what has arrived".
struct TComTimeouts {
    int ReadInterval = -1;
    int ReadTotalMultiplier = 0;
    int ReadTotalConstant = 0;
    int WriteTotalMultiplier = 100;
    int WriteTotalConstant = 1000;
    bool operator==(const TComTimeouts&) const = default;
};

// Every setting of the component, with the component's defaults.
struct TComSettings {
    QString Port = QStringLiteral("COM1");
    TBaudRate BaudRate = br9600;
    int CustomBaudRate = 9600;
    TDataBits DataBits = dbEight;
    TStopBits StopBits = sbOneStopBit;
    TComParity Parity;
    TComFlowControl FlowControl;
    TComBuffer Buffer;
    TComTimeouts Timeouts;
    TComEvents Events = TComEvents::All();
    std::uint8_t EventChar = 0;
    bool DiscardNull = false;
    TStoredProps StoredProps{spBasic};
    bool TriggersOnRxChar = true;
    TSyncMethod SyncMethod = smThreadSync;
    bool operator==(const TComSettings&) const = default;
};

// Text forms, in ordinal order.
const QStringList& BaudRateTexts();
const QStringList& DataBitsTexts();
const QStringList& StopBitsTexts();
const QStringList& ParityTexts();
const QStringList& FlowControlTexts();

QString BaudRateToText(TBaudRate value);
QString DataBitsToText(TDataBits value);
QString StopBitsToText(TStopBits value);
QString ParityToText(TParityBits value);
QString FlowControlToText(TFlowControl value);

// Case-insensitive; a text outside the table gives br9600, dbEight, sbOneStopBit, prNone,
// fcCustom.
TBaudRate TextToBaudRate(const QString& text);
TDataBits TextToDataBits(const QString& text);
TStopBits TextToStopBits(const QString& text);
TParityBits TextToParity(const QString& text);
TFlowControl TextToFlowControl(const QString& text);

// Bits per second behind a rate; 0 for brCustom.
int BaudRateValue(TBaudRate value);

// The flow-control summary: derived when read, sets the fields when written; fcCustom writes
// nothing. DTR, DSR flow, DSR sensitivity and TxContinueOnXoff are never read or touched.
TFlowControl FlowControlSummary(const TComFlowControl& flow);
void SetFlowControlSummary(TComFlowControl& flow, TFlowControl summary);

// The line-settings record (the platform's DCB), field by field as the component fills it.
struct LineSettings {
    int BaudRate = 0;  // bits per second
    int ByteSize = 8;  // 5..8
    int Parity = 0;    // 0..4: none, odd, even, mark, space
    int StopBits = 0;  // 0, 1, 2: one, one and a half, two
    bool Binary = true;
    bool ParityCheck = false;
    bool OutxCtsFlow = false;
    bool OutxDsrFlow = false;
    int DtrControl = 0;  // 0 disable, 1 enable, 2 handshake
    bool DsrSensitivity = false;
    bool TxContinueOnXoff = false;
    bool OutX = false;
    bool InX = false;
    bool ErrorCharOn = false;
    bool Null = false;
    int RtsControl = 0;  // 0 disable, 1 enable, 2 handshake, 3 toggle
    int XonLim = 0;
    int XoffLim = 0;
    std::uint8_t XonChar = 17;
    std::uint8_t XoffChar = 19;
    std::uint8_t ErrorChar = 0;
    std::uint8_t EvtChar = 0;
    bool operator==(const LineSettings&) const = default;
};

LineSettings MakeLineSettings(const TComSettings& settings);

}  // namespace serial
