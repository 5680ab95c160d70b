// Keying the transmitter for a voice message: nothing (the radio's VOX), the
// RTS or DTR line of a serial port, or the radio itself through rigctld
// ("T 1" / "T 0"). Keying may take a moment (the radio answers over the
// network), so the outcome comes as a signal; a line or radio that failed
// says why in words.
#pragma once

#include "logger/voice_settings.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

namespace serial {
class SerialDevice;
class TCustomComPort;
}  // namespace serial

namespace corvatta {

class RigLink;

class Ptt : public QObject {
    Q_OBJECT

  public:
    using QObject::QObject;
    // False when nothing keys: with VOX the lead and tail are not waited.
    virtual bool Keys() const { return true; }
    // Asks for the transmitter on or off; keyed() or failed() follows.
    virtual void Key(bool on) = 0;
    bool IsKeyed() const { return keyed_; }

  signals:
    void keyed(bool on);
    void failed(const QString& reason);

  protected:
    void Report(bool on) {
        keyed_ = on;
        emit keyed(on);
    }
    bool keyed_ = false;
};

// VOX: the audio keys the radio.
class NoPtt final : public Ptt {
    Q_OBJECT

  public:
    using Ptt::Ptt;
    bool Keys() const override { return false; }
    void Key(bool on) override { Report(on); }
};

// RTS or DTR of a serial port of its own, opened at once with the line low
// (opening a port raises both lines) and kept for the session.
class SerialLinePtt final : public Ptt {
    Q_OBJECT

  public:
    SerialLinePtt(const QString& port, PttKind line, QObject* parent = nullptr);
    // For tests: a device other than the system's.
    SerialLinePtt(std::unique_ptr<serial::SerialDevice> device, const QString& port, PttKind line,
                  QObject* parent = nullptr);
    ~SerialLinePtt() override;
    void Key(bool on) override;
    // Empty when the port opened and its line can be moved.
    const QString& OpenError() const { return openError_; }

  private:
    int Set(bool on);

    std::unique_ptr<serial::SerialDevice> device_;
    QString port_;
    PttKind line_;
    QString openError_;
};

// RTS or DTR of the keyer's own port, driven through the keyer link's open
// port: the device cannot be opened a second time. The line must be free
// (neither raised by the port's settings nor moved by its flow control).
class KeyerPortPtt final : public Ptt {
    Q_OBJECT

  public:
    KeyerPortPtt(serial::TCustomComPort* port, PttKind line, QObject* parent = nullptr);
    void Key(bool on) override;

  private:
    QPointer<serial::TCustomComPort> port_;
    PttKind line_;
};

// The radio through the rig link.
class RigPtt final : public Ptt {
    Q_OBJECT

  public:
    explicit RigPtt(RigLink* rig, QObject* parent = nullptr);
    ~RigPtt() override;
    void Key(bool on) override;

  private:
    QPointer<RigLink> rig_;
    // Requests not answered yet: only the answer to the last one tells the
    // transmitter's state.
    int pending_ = 0;
};

// Whether two port names are the same device (a by-id link and its target too).
bool SamePortDevice(const QString& a, const QString& b);

// The PTT the settings ask for; a line of `keyerPort`'s device goes through
// that port.
std::unique_ptr<Ptt> MakePtt(const VoiceSettings& settings, RigLink* rig,
                             serial::TCustomComPort* keyerPort = nullptr);

}  // namespace corvatta
