// EComPort, the exception of the serial port component: a number from 1 to 24 with its fixed
// English text, and the system's error code where the platform gave one.
#pragma once

#include "platform/errors.h"

namespace serial {

// The numbers a caller may test for; the others keep their places in the table.
enum EComPortNumber : int {
    kErrOpen = 1,
    kErrWrite = 2,
    kErrRead = 3,
    kErrPurge = 5,
    kErrSetState = 7,
    kErrSetTimeouts = 8,
    kErrSetupComm = 9,
    kErrClearComm = 10,
    kErrModemStatus = 11,
    kErrStoreFailed = 16,
    kErrLoadFailed = 17,
    kErrNotOpen = 24,
};

class EComPort : public platform::Error {
  public:
    static constexpr int kNoSystemCode = -1;

    explicit EComPort(int errorNumber, int systemErrorCode = kNoSystemCode);

    int ErrorNumber() const { return errorNumber_; }
    int SystemErrorCode() const { return systemErrorCode_; }

    // The text of a number ("" outside 1..24).
    static QString ErrorText(int errorNumber);
    // The text, followed by " (Error: %d)" when the system code is above 0.
    static QString Message(int errorNumber, int systemErrorCode);

  private:
    int errorNumber_;
    int systemErrorCode_;
};

}  // namespace serial
