#include "com_error.h"

#include <array>

namespace serial {

QString EComPort::ErrorText(int errorNumber) {
    static const std::array<const char*, 24> kTexts = {
        "Unable to open com port",
        "WriteFile function failed",
        "ReadFile function failed",
        "Invalid Async parameter",
        "PurgeComm function failed",
        "Unable to get async status",
        "SetCommState function failed",
        "SetCommTimeouts failed",
        "SetupComm function failed",
        "ClearCommError function failed",
        "GetCommModemStatus function failed",
        "EscapeCommFunction function failed",
        "TransmitCommChar function failed",
        "Cannot set property while connected",
        "EnumPorts function failed",
        "Failed to store settings",
        "Failed to load settings",
        "Link (un)registration failed",
        "Cannot change led state if ComPort is selected",
        "Cannot wait for event if event thread is created",
        "WaitForEvent method failed",
        "A component is linked to OnRxBuf event",
        "Registry error",
        "Port Not Open",
    };
    if (errorNumber < 1 || errorNumber > static_cast<int>(kTexts.size()))
        return {};
    return QString::fromLatin1(kTexts[errorNumber - 1]);
}

QString EComPort::Message(int errorNumber, int systemErrorCode) {
    QString text = ErrorText(errorNumber);
    if (systemErrorCode > 0)
        text += QStringLiteral(" (Error: %1)").arg(systemErrorCode);
    return text;
}

EComPort::EComPort(int errorNumber, int systemErrorCode)
    : platform::Error(Message(errorNumber, systemErrorCode)),
      errorNumber_(errorNumber),
      systemErrorCode_(systemErrorCode) {}

}  // namespace serial
