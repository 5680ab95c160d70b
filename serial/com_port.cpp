#include "com_port.h"

#include "com_ini.h"
#include "com_thread.h"

#include "platform/ini_file.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMetaObject>
#include <QScopeGuard>
#include <QtDebug>

#include <algorithm>
#include <cerrno>
#include <exception>

namespace serial {

namespace {

QEvent::Type HandoffEventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

// Errors that mean the device has gone away; closing must still release it.
bool DeviceGone(int error) {
    return error == EIO || error == ENXIO || error == ENODEV;
}

}  // namespace

TCustomComPort::TCustomComPort(QObject* parent)
    : TCustomComPort(CreateSystemSerialDevice(), parent) {}

TCustomComPort::TCustomComPort(std::unique_ptr<SerialDevice> device, QObject* parent)
    : QObject(parent), device_(std::move(device)) {
    setObjectName(kComPortSection);
}

TCustomComPort::~TCustomComPort() {
    try {
        CloseWith(CloseMode::Quiet);
    } catch (...) {
        // Quiet closing throws nothing of its own; nothing can be reported from here anyway.
    }
    thread_.reset();
    retired_.clear();
}

// --- Settings -------------------------------------------------------------------------

void TCustomComPort::SetPort(const QString& port) {
    if (port == s_.Port)
        return;
    s_.Port = port;
    if (connected_) {
        Close();
        Open();
    }
}

void TCustomComPort::SetBaudRate(TBaudRate value) {
    if (value == s_.BaudRate)
        return;
    s_.BaudRate = value;
    LineSettingsChanged();
}

void TCustomComPort::SetCustomBaudRate(int value) {
    if (value == s_.CustomBaudRate)
        return;
    s_.CustomBaudRate = value;
    LineSettingsChanged();
}

void TCustomComPort::SetDataBits(TDataBits value) {
    if (value == s_.DataBits)
        return;
    s_.DataBits = value;
    LineSettingsChanged();
}

void TCustomComPort::SetStopBits(TStopBits value) {
    if (value == s_.StopBits)
        return;
    s_.StopBits = value;
    LineSettingsChanged();
}

void TCustomComPort::SetParity(const TComParity& value) {
    if (value == s_.Parity)
        return;
    s_.Parity = value;
    LineSettingsChanged();
}

void TCustomComPort::SetParityBits(TParityBits value) {
    TComParity parity = s_.Parity;
    parity.Bits = value;
    SetParity(parity);
}

void TCustomComPort::SetFlowControl(const TComFlowControl& value) {
    if (value == s_.FlowControl)
        return;
    s_.FlowControl = value;
    LineSettingsChanged();
}

TFlowControl TCustomComPort::FlowControlSummary() const {
    return serial::FlowControlSummary(s_.FlowControl);
}

void TCustomComPort::SetFlowControlSummary(TFlowControl value) {
    TComFlowControl flow = s_.FlowControl;
    serial::SetFlowControlSummary(flow, value);
    SetFlowControl(flow);
}

void TCustomComPort::SetBuffer(const TComBuffer& value) {
    if (value == s_.Buffer)
        return;
    s_.Buffer = value;
    if (connected_ && changeCount_ == 0) {
        ApplyQueueSizes();
        ApplyLineSettings();  // the XON/XOFF limits follow the input size
    }
}

void TCustomComPort::SetTimeouts(const TComTimeouts& value) {
    if (value == s_.Timeouts)
        return;
    s_.Timeouts = value;
    if (connected_ && changeCount_ == 0)
        ApplyTimeouts();
}

void TCustomComPort::SetEventChar(std::uint8_t value) {
    if (value == s_.EventChar)
        return;
    s_.EventChar = value;
    LineSettingsChanged();
}

void TCustomComPort::SetDiscardNull(bool value) {
    if (value == s_.DiscardNull)
        return;
    s_.DiscardNull = value;
    LineSettingsChanged();
}

void TCustomComPort::BeginSettingsChange() {
    ++changeCount_;
}

void TCustomComPort::EndSettingsChange() {
    if (changeCount_ == 0)
        return;
    if (--changeCount_ == 0 && connected_)
        ApplyAll();
}

void TCustomComPort::EndSettingsChangeQuietly() {
    try {
        EndSettingsChange();
    } catch (...) {
        // Already failing: the first error is the one reported.
    }
}

void TCustomComPort::LineSettingsChanged() {
    if (connected_ && changeCount_ == 0)
        ApplyLineSettings();
}

void TCustomComPort::ApplyQueueSizes() {
    if (const int e = device_->SetQueueSizes(s_.Buffer.InputSize(), s_.Buffer.OutputSize())) {
        throw EComPort(kErrSetupComm, e);
    }
}

void TCustomComPort::ApplyLineSettings() {
    if (const int e = device_->SetLineSettings(MakeLineSettings(s_))) {
        throw EComPort(kErrSetState, e);
    }
}

void TCustomComPort::ApplyTimeouts() {
    if (const int e = device_->SetTimeouts(s_.Timeouts))
        throw EComPort(kErrSetTimeouts, e);
}

void TCustomComPort::ApplyAll() {
    ApplyQueueSizes();
    ApplyLineSettings();
    ApplyTimeouts();
}

// --- Open and close ---------------------------------------------------------------------

void TCustomComPort::SetConnected(bool value) {
    if (value) {
        Open();
    } else {
        Close();
    }
}

void TCustomComPort::Open() {
    if (connected_)
        return;
    if (const int e = device_->Open(s_.Port))
        throw EComPort(kErrOpen, e);
    connected_ = true;
    try {
        ApplyAll();
        if (!s_.Events.Empty())
            StartEventThread();
    } catch (...) {
        device_->Close();
        connected_ = false;
        throw;
    }
    QueryModemSignals();
}

void TCustomComPort::StartEventThread() {
    int error = 0;
    auto waiter = device_->CreateEventWaiter(s_.Events, &error);
    if (!waiter)
        throw EComPort(kErrOpen, error);
    thread_ = std::make_unique<TComThread>(std::move(waiter), [this] {
        QCoreApplication::postEvent(this, new QEvent(HandoffEventType()));
    });
}

void TCustomComPort::QueryModemSignals() {
    // One status query for each of CTS, DSR and RLSD, as the signal-change notifications
    // would need; none is assigned, but a failing line still shows here.
    for (int signal = 0; signal < 3; ++signal) {
        unsigned lines = 0;
        if (const int e = device_->ModemStatus(&lines))
            throw EComPort(kErrModemStatus, e);
    }
}

void TCustomComPort::Close() {
    CloseWith(CloseMode::Normal);
}

void TCustomComPort::CloseWith(CloseMode mode) {
    if (!connected_ || closing_)
        return;
    closing_ = true;
    const auto done = qScopeGuard([this] { closing_ = false; });
    if (mode != CloseMode::HangUp)
        ReleaseQueues(mode == CloseMode::Normal);
    StopEventThread(mode);
    device_->Close();
    connected_ = false;
}

void TCustomComPort::ResumeOutput() {
    if (connected_)
        device_->ResumeOutput();
}

int TCustomComPort::SetOutputLine(SerialDevice::OutputLine line, bool on) {
    if (!connected_)
        return EBADF;
    const TComFlowControl& flow = s_.FlowControl;
    if (line == SerialDevice::OutputLine::Dtr ? flow.ControlDTR != dtrDisable
                                              : flow.ControlRTS != rtsDisable)
        return EBUSY;
    return device_->SetOutputLine(line, on);
}

void TCustomComPort::ReleaseQueues(bool report) {
    // SendText returns once its bytes are queued, so a last command written just before
    // closing (the keyer's host close) is often still in the driver: let it go out, and cut
    // it off only when the line will not take it within the write timeout (closing a real
    // line with output held back by XOFF would otherwise wait half a minute). Received bytes
    // nobody will read are discarded.
    const int drained = device_->DrainOutput();
    const bool stuck = drained == ETIMEDOUT;
    const int purged = device_->Purge(true, stuck);
    if (!report)
        return;
    for (const int e : {stuck ? 0 : drained, purged}) {
        if (e != 0 && !DeviceGone(e))
            throw EComPort(kErrPurge, e);
    }
}

void TCustomComPort::StopEventThread(CloseMode mode) {
    if (!thread_)
        return;
    if (thread_->HandoffInProgress()) {
        // Called from inside this thread's hand-off, which the thread is waiting for: it
        // ends as soon as the hand-off returns, and is joined then (ServeHandoff).
        thread_->RequestStop();
        retired_.push_back(std::move(thread_));
        return;
    }
    thread_->StopAndJoin([this, mode] { ServeHandoff(mode == CloseMode::Normal); });
    thread_.reset();
}

// --- Hand-off from the event thread -----------------------------------------------------

void TCustomComPort::customEvent(QEvent* event) {
    if (event->type() == HandoffEventType()) {
        ServeHandoff(true);
    } else {
        QObject::customEvent(event);
    }
}

void TCustomComPort::ServeHandoff(bool runHandlers) {
    TComThread* thread = thread_.get();
    if (thread == nullptr)
        return;  // a stale event: the hand-off was served while closing
    const std::optional<DeviceWake> wake = thread->TakeHandoff();
    if (!wake)
        return;
    bool keepRunning = true;
    if (runHandlers) {
        try {
            HandleWake(*wake);
        } catch (const std::exception& e) {
            qWarning("serial: OnRxChar handler failed, event thread ends: %s", e.what());
            keepRunning = false;
        } catch (...) {
            qWarning("serial: OnRxChar handler failed, event thread ends");
            keepRunning = false;
        }
    }
    thread->FinishHandoff(keepRunning);
    const auto retired = std::find_if(retired_.begin(), retired_.end(),
                                      [thread](const auto& t) { return t.get() == thread; });
    if (retired != retired_.end()) {
        (*retired)->Join();
        retired_.erase(retired);
    }
}

void TCustomComPort::HandleWake(const DeviceWake& wake) {
    // The kinds in the platform's order: error first, then received characters.
    if (wake.hangUp) {
        if (closing_)
            return;  // the owner is closing it already and needs no telling
        CloseWith(CloseMode::HangUp);
        QMetaObject::invokeMethod(
            this, [this] { emit OnDisconnect(); }, Qt::QueuedConnection);
        return;
    }
    if (wake.received && s_.Events.Has(evRxChar)) {
        const int count = InputCount();
        if (count > 0)
            emit OnRxChar(count);
    }
}

// --- Data -------------------------------------------------------------------------------

int TCustomComPort::SendText(const QByteArray& text) {
    return SendText(std::string_view(text.constData(), static_cast<size_t>(text.size())));
}

int TCustomComPort::SendText(std::string_view text) {
    if (text.empty())
        return 0;
    if (!connected_)
        throw EComPort(kErrNotOpen);
    const IoResult r = device_->Write(text.data(), static_cast<int>(text.size()));
    if (r.error != 0)
        throw EComPort(kErrWrite, r.error);
    return r.count;
}

QByteArray TCustomComPort::ReceiveText(int count) {
    if (count <= 0)
        return {};
    if (!connected_)
        throw EComPort(kErrNotOpen);
    QByteArray bytes(count, Qt::Uninitialized);
    const IoResult r = device_->Read(bytes.data(), count);
    if (r.error != 0)
        throw EComPort(kErrRead, r.error);
    bytes.truncate(r.count);
    return bytes;
}

int TCustomComPort::InputCount() {
    if (!connected_)
        throw EComPort(kErrNotOpen);
    const IoResult r = device_->WaitingCount();
    if (r.error != 0)
        throw EComPort(kErrClearComm, r.error);
    return r.count;
}

// --- Settings file ----------------------------------------------------------------------

QString TCustomComPort::IniSection() const {
    return objectName().isEmpty() ? kComPortSection : objectName();
}

void TCustomComPort::ApplyBasicSettings(const TComSettings& n) {
    SetPort(n.Port);
    SetBaudRate(n.BaudRate);
    SetCustomBaudRate(n.CustomBaudRate);
    SetStopBits(n.StopBits);
    SetDataBits(n.DataBits);
    SetParityBits(n.Parity.Bits);
    SetFlowControl(n.FlowControl);
}

void TCustomComPort::LoadFromIni(const QString& fileName) {
    BeginSettingsChange();
    try {
        if (s_.StoredProps.Has(spBasic)) {
            const platform::IniDocument doc = platform::IniFile(fileName).Load();
            ApplyBasicSettings(ReadComSettings(doc, IniSection(), s_));
        }
    } catch (...) {
        EndSettingsChangeQuietly();
        throw EComPort(kErrLoadFailed);
    }
    try {
        EndSettingsChange();
    } catch (...) {
        throw EComPort(kErrLoadFailed);
    }
}

void TCustomComPort::SaveToIni(const QString& fileName) const {
    if (!s_.StoredProps.Has(spBasic))
        return;
    try {
        const platform::IniFile file(fileName);
        platform::IniDocument doc = file.Load();
        WriteComSettings(doc, IniSection(), s_);
        file.Save(doc);
    } catch (...) {
        throw EComPort(kErrStoreFailed);
    }
}

}  // namespace serial
