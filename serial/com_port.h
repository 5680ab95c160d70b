// TCustomComPort / TComPort, the serial port component: settings, open and close
// through Connected, a blocking SendText, a non-blocking ReceiveText, and OnRxChar raised on
// the UI thread with the number of bytes waiting.
//
// How an owner uses it (the keyer window does this):
//
//   port_ = new serial::TComPort(this);            // a child of the owning window
//   port_->LoadFromIni(programDir + "Corvatta.ini");  // section [ComPort]; throws EComPort 17
//   connect(port_, &serial::TComPort::OnRxChar, this, [this](int count) {
//       const QByteArray bytes = port_->ReceiveText(count);  // UI thread, one call at a time
//       ...
//   });
//   connect(port_, &serial::TComPort::OnDisconnect, this, [this] { /* show as closed */ });
//   try { port_->SetConnected(true); } catch (const serial::EComPort&) {}  // then test Connected()
//   port_->SendText(QByteArray("\x00\x02", 2));    // raw bytes; give the size, NULs count
//   port_->SetConnected(false);                    // also allowed from inside OnRxChar
//
// Threads. Everything is called on the UI thread. While the port is open an event thread
// sleeps in the device wait; each wake is handed to the UI thread (a posted event) and the
// thread waits until it has been handled, so OnRxChar runs only from the event loop, never
// nested in itself. The hand-off needs a running event loop; a UI thread blocked in a sleep
// delays it, which is intended. Closing serves a pending hand-off while it waits for the
// thread (it may therefore raise one last OnRxChar), without running the event loop. Bytes
// SendText queued just before closing still go out (bounded by the write timeout); bytes
// received and not read are discarded.
//
// Unplugging. A hang-up of the device (a USB adapter pulled, a pty master closed) is handed
// over once: the component then releases the device, Connected becomes false, and
// OnDisconnect follows as a queued call, so its handler may close, reopen or show the state.
//
// Errors. Failures throw EComPort (com_error.h) with its error number and, where there
// is one, errno as the system code. An exception thrown by an OnRxChar handler ends the
// event thread without a message; the port then stays open without notifications until it
// is closed and opened again.
//
// Destroying the component closes the port quietly (no handlers run). Delete it with
// deleteLater(), never from inside its own OnRxChar.
#pragma once

#include "com_error.h"
#include "com_types.h"
#include "serial_device.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>
#include <string_view>
#include <vector>

namespace serial {

class TComThread;

class TCustomComPort : public QObject {
    Q_OBJECT

  public:
    explicit TCustomComPort(QObject* parent = nullptr);
    // With another backend (tests wrap the real one to watch what reaches the device).
    explicit TCustomComPort(std::unique_ptr<SerialDevice> device, QObject* parent = nullptr);
    ~TCustomComPort() override;

    // --- Settings. Changes reach an open port at once, or at the last EndSettingsChange.
    const TComSettings& Settings() const { return s_; }

    QString Port() const { return s_.Port; }
    // On an open port this closes it and opens it on the new name, even inside a settings
    // change.
    void SetPort(const QString& port);
    TBaudRate BaudRate() const { return s_.BaudRate; }
    void SetBaudRate(TBaudRate value);
    int CustomBaudRate() const { return s_.CustomBaudRate; }
    void SetCustomBaudRate(int value);
    TDataBits DataBits() const { return s_.DataBits; }
    void SetDataBits(TDataBits value);
    TStopBits StopBits() const { return s_.StopBits; }
    void SetStopBits(TStopBits value);
    const TComParity& Parity() const { return s_.Parity; }
    void SetParity(const TComParity& value);
    void SetParityBits(TParityBits value);
    const TComFlowControl& FlowControl() const { return s_.FlowControl; }
    void SetFlowControl(const TComFlowControl& value);
    // The summary (Hardware, Software, None, Custom); writing fcCustom changes nothing.
    TFlowControl FlowControlSummary() const;
    void SetFlowControlSummary(TFlowControl value);
    const TComBuffer& Buffer() const { return s_.Buffer; }
    void SetBuffer(const TComBuffer& value);
    const TComTimeouts& Timeouts() const { return s_.Timeouts; }
    void SetTimeouts(const TComTimeouts& value);
    // Read when the port opens.
    TComEvents Events() const { return s_.Events; }
    void SetEvents(TComEvents value) { s_.Events = value; }
    std::uint8_t EventChar() const { return s_.EventChar; }
    void SetEventChar(std::uint8_t value);
    bool DiscardNull() const { return s_.DiscardNull; }
    void SetDiscardNull(bool value);
    // Only [spBasic], TriggersOnRxChar True and smThreadSync are supported;
    // the others are kept as values and behave as those.
    TStoredProps StoredProps() const { return s_.StoredProps; }
    void SetStoredProps(TStoredProps value) { s_.StoredProps = value; }
    bool TriggersOnRxChar() const { return s_.TriggersOnRxChar; }
    void SetTriggersOnRxChar(bool value) { s_.TriggersOnRxChar = value; }
    TSyncMethod SyncMethod() const { return s_.SyncMethod; }
    void SetSyncMethod(TSyncMethod value) { s_.SyncMethod = value; }

    // Raise and lower the settings-change counter; taking it from 1 to 0 applies buffer
    // sizes, line settings and timeouts to an open port, in that order. At 0 it does nothing.
    void BeginSettingsChange();
    void EndSettingsChange();

    // --- Open and close. Setting the value the port already has does nothing.
    bool Connected() const { return connected_; }
    void SetConnected(bool value);
    void Open();
    void Close();

    // --- Data. SendText writes every byte (NULs too) and returns the number written, which
    // can be fewer when the write timeout expires; an empty text returns 0 even when closed.
    // On Linux the call returns once the bytes are in the driver's queue.
    int SendText(const QByteArray& text);
    int SendText(std::string_view text);
    // At most `count` bytes of those already received; never waits.
    QByteArray ReceiveText(int count);
    // Bytes waiting in the driver's receive queue.
    int InputCount();
    // Lets output go again that a stray XOFF byte from the line stopped (with XON/XOFF on,
    // the driver would otherwise hold every later write until an XON happens to arrive).
    // Does nothing when the port is closed; a failure shows in the write that follows.
    void ResumeOutput();
    // Raises or drops DTR or RTS of the open port on its own: a transmitter's PTT wired to a
    // line the device on the port does not use. 0 or the system's error code; EBADF when the
    // port is closed, EBUSY when the line is not free (its setting raises it or the flow
    // control moves it).
    int SetOutputLine(SerialDevice::OutputLine line, bool on);

    // --- Settings file: [ComPort] (the object name), the basic settings.
    void LoadFromIni(const QString& fileName);
    void SaveToIni(const QString& fileName) const;
    QString IniSection() const;

  signals:
    void OnRxChar(int count);
    void OnDisconnect();

  protected:
    void customEvent(QEvent* event) override;

  private:
    enum class CloseMode { Normal, Quiet, HangUp };

    void LineSettingsChanged();
    void ApplyQueueSizes();
    void ApplyLineSettings();
    void ApplyTimeouts();
    void ApplyAll();
    void StartEventThread();
    void QueryModemSignals();
    void CloseWith(CloseMode mode);
    void ReleaseQueues(bool report);
    void StopEventThread(CloseMode mode);
    void ServeHandoff(bool runHandlers);
    void HandleWake(const DeviceWake& wake);
    void ApplyBasicSettings(const TComSettings& settings);
    void EndSettingsChangeQuietly();

    std::unique_ptr<SerialDevice> device_;
    TComSettings s_;
    bool connected_ = false;
    bool closing_ = false;
    int changeCount_ = 0;
    std::unique_ptr<TComThread> thread_;
    // Threads stopped from inside their own hand-off; joined once it has been answered.
    std::vector<std::unique_ptr<TComThread>> retired_;
};

class TComPort : public TCustomComPort {
    Q_OBJECT

  public:
    using TCustomComPort::TCustomComPort;
};

}  // namespace serial
