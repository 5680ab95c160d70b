#include "com_ini.h"

namespace serial {

namespace {
constexpr int kDefaultCustomBaudRate = 9600;
}

TComSettings ReadComSettings(const platform::IniDocument& doc, const QString& section,
                             TComSettings s) {
    if (!doc.HasSection(section))
        return s;
    s.Port = doc.ReadString(section, "Port", s.Port);
    s.BaudRate = TextToBaudRate(doc.ReadString(section, "BaudRate", BaudRateToText(s.BaudRate)));
    if (s.BaudRate == brCustom) {
        s.CustomBaudRate = doc.ReadInteger(section, "CustomBaudRate", kDefaultCustomBaudRate);
    }
    s.StopBits = TextToStopBits(doc.ReadString(section, "StopBits", StopBitsToText(s.StopBits)));
    s.DataBits = TextToDataBits(doc.ReadString(section, "DataBits", DataBitsToText(s.DataBits)));
    s.Parity.Bits = TextToParity(doc.ReadString(section, "Parity", ParityToText(s.Parity.Bits)));
    const QString flow = doc.ReadString(section, "FlowControl",
                                        FlowControlToText(FlowControlSummary(s.FlowControl)));
    SetFlowControlSummary(s.FlowControl, TextToFlowControl(flow));
    return s;
}

void WriteComSettings(platform::IniDocument& doc, const QString& section, const TComSettings& s) {
    doc.WriteString(section, "Port", s.Port);
    doc.WriteString(section, "BaudRate", BaudRateToText(s.BaudRate));
    if (s.BaudRate == brCustom)
        doc.WriteInteger(section, "CustomBaudRate", s.CustomBaudRate);
    doc.WriteString(section, "StopBits", StopBitsToText(s.StopBits));
    doc.WriteString(section, "DataBits", DataBitsToText(s.DataBits));
    doc.WriteString(section, "Parity", ParityToText(s.Parity.Bits));
    doc.WriteString(section, "FlowControl", FlowControlToText(FlowControlSummary(s.FlowControl)));
}

}  // namespace serial
