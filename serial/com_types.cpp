#include "com_types.h"

#include <iterator>

namespace serial {

namespace {

template <typename E>
E FromText(const QStringList& texts, const QString& text, E fallback) {
    const QString upper = text.toUpper();
    for (int i = 0; i < texts.size(); ++i) {
        if (texts[i].toUpper() == upper)
            return static_cast<E>(i);
    }
    return fallback;
}

QString ToText(const QStringList& texts, int ordinal) {
    return ordinal >= 0 && ordinal < texts.size() ? texts[ordinal] : QString();
}

}  // namespace

const QStringList& BaudRateTexts() {
    static const QStringList texts{"Custom", "110",    "300",    "600",   "1200",  "2400",
                                   "4800",   "9600",   "14400",  "19200", "38400", "56000",
                                   "57600",  "115200", "128000", "256000"};
    return texts;
}
const QStringList& DataBitsTexts() {
    static const QStringList texts{"5", "6", "7", "8"};
    return texts;
}
const QStringList& StopBitsTexts() {
    static const QStringList texts{"1", "1.5", "2"};
    return texts;
}
const QStringList& ParityTexts() {
    static const QStringList texts{"None", "Odd", "Even", "Mark", "Space"};
    return texts;
}
const QStringList& FlowControlTexts() {
    static const QStringList texts{"Hardware", "Software", "None", "Custom"};
    return texts;
}

QString BaudRateToText(TBaudRate value) {
    return ToText(BaudRateTexts(), value);
}
QString DataBitsToText(TDataBits value) {
    return ToText(DataBitsTexts(), value);
}
QString StopBitsToText(TStopBits value) {
    return ToText(StopBitsTexts(), value);
}
QString ParityToText(TParityBits value) {
    return ToText(ParityTexts(), value);
}
QString FlowControlToText(TFlowControl value) {
    return ToText(FlowControlTexts(), value);
}

TBaudRate TextToBaudRate(const QString& text) {
    return FromText(BaudRateTexts(), text, br9600);
}
TDataBits TextToDataBits(const QString& text) {
    return FromText(DataBitsTexts(), text, dbEight);
}
TStopBits TextToStopBits(const QString& text) {
    return FromText(StopBitsTexts(), text, sbOneStopBit);
}
TParityBits TextToParity(const QString& text) {
    return FromText(ParityTexts(), text, prNone);
}
TFlowControl TextToFlowControl(const QString& text) {
    return FromText(FlowControlTexts(), text, fcCustom);
}

int BaudRateValue(TBaudRate value) {
    static constexpr int kRates[] = {0,     110,   300,   600,   1200,  2400,   4800,   9600,
                                     14400, 19200, 38400, 56000, 57600, 115200, 128000, 256000};
    return value >= 0 && value < static_cast<int>(std::size(kRates)) ? kRates[value] : 0;
}

TFlowControl FlowControlSummary(const TComFlowControl& flow) {
    const bool xonXoff = flow.XonXoffIn && flow.XonXoffOut;
    const bool noXonXoff = !flow.XonXoffIn && !flow.XonXoffOut;
    if (flow.ControlRTS == rtsHandshake && flow.OutCTSFlow && noXonXoff)
        return fcHardware;
    if (flow.ControlRTS == rtsDisable && !flow.OutCTSFlow && xonXoff)
        return fcSoftware;
    if (flow.ControlRTS == rtsDisable && !flow.OutCTSFlow && noXonXoff)
        return fcNone;
    return fcCustom;
}

void SetFlowControlSummary(TComFlowControl& flow, TFlowControl summary) {
    switch (summary) {
        case fcHardware:
            flow.ControlRTS = rtsHandshake;
            flow.OutCTSFlow = true;
            flow.XonXoffIn = flow.XonXoffOut = false;
            break;
        case fcSoftware:
            flow.ControlRTS = rtsDisable;
            flow.OutCTSFlow = false;
            flow.XonXoffIn = flow.XonXoffOut = true;
            break;
        case fcNone:
            flow.ControlRTS = rtsDisable;
            flow.OutCTSFlow = false;
            flow.XonXoffIn = flow.XonXoffOut = false;
            break;
        case fcCustom:
            break;
    }
}

LineSettings MakeLineSettings(const TComSettings& s) {
    LineSettings d;
    d.BaudRate = s.BaudRate == brCustom ? s.CustomBaudRate : BaudRateValue(s.BaudRate);
    d.ByteSize = 5 + s.DataBits;
    d.Parity = s.Parity.Bits;
    d.StopBits = s.StopBits;
    d.Binary = true;
    d.ParityCheck = s.Parity.Check;
    d.OutxCtsFlow = s.FlowControl.OutCTSFlow;
    d.OutxDsrFlow = s.FlowControl.OutDSRFlow;
    d.DtrControl = s.FlowControl.ControlDTR;
    d.DsrSensitivity = s.FlowControl.DSRSensitivity;
    d.TxContinueOnXoff = s.FlowControl.TxContinueOnXoff;
    d.OutX = s.FlowControl.XonXoffOut;
    d.InX = s.FlowControl.XonXoffIn;
    d.ErrorCharOn = s.Parity.Check && s.Parity.Replace;
    d.ErrorChar = d.ErrorCharOn ? s.Parity.ReplaceChar : 0;
    d.Null = s.DiscardNull;
    d.RtsControl = s.FlowControl.ControlRTS;
    d.XonLim = s.Buffer.InputSize() / 4;
    d.XoffLim = s.Buffer.InputSize() / 4;
    d.XonChar = s.FlowControl.XonChar;
    d.XoffChar = s.FlowControl.XoffChar;
    d.EvtChar = s.EventChar;
    return d;
}

}  // namespace serial
