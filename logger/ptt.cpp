#include "logger/ptt.h"

#include "logger/rig_link.h"
#include "serial/com_port.h"
#include "serial/serial_device.h"
#include "serial/serial_device_posix.h"

#include <QFileInfo>

#include <cerrno>
#include <cstring>

namespace corvatta {

namespace {

QString LineName(PttKind line) {
    return line == PttKind::Dtr ? QStringLiteral("DTR") : QStringLiteral("RTS");
}

QString SystemReason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

}  // namespace

SerialLinePtt::SerialLinePtt(const QString& port, PttKind line, QObject* parent)
    : SerialLinePtt(serial::CreateSystemSerialDevice(), port, line, parent) {}

SerialLinePtt::SerialLinePtt(std::unique_ptr<serial::SerialDevice> device, const QString& port,
                             PttKind line, QObject* parent)
    : Ptt(parent), device_(std::move(device)), port_(port), line_(line) {
    if (port_.isEmpty()) {
        openError_ = QStringLiteral("Vrata za PTT niso izbrana.");
        return;
    }
    if (const int error = device_->Open(port_)) {
        openError_ =
            QStringLiteral("Vrat %1 za PTT ni mogoče odpreti: %2.").arg(port_, SystemReason(error));
        return;
    }
    if (const int error = Set(false)) {
        device_->Close();
        openError_ = QStringLiteral("Vrata %1 nimajo linije %2 (%3).")
                         .arg(port_, LineName(line_), SystemReason(error));
    }
}

SerialLinePtt::~SerialLinePtt() {
    if (device_->IsOpen()) {
        Set(false);
        device_->Close();
    }
}

int SerialLinePtt::Set(bool on) {
    return device_->SetOutputLine(line_ == PttKind::Dtr ? serial::SerialDevice::OutputLine::Dtr
                                                        : serial::SerialDevice::OutputLine::Rts,
                                  on);
}

void SerialLinePtt::Key(bool on) {
    if (!openError_.isEmpty()) {
        emit failed(openError_);
        return;
    }
    if (const int error = Set(on)) {
        emit failed(QStringLiteral("Linije %1 na vratih %2 ni mogoče %3: %4.")
                        .arg(LineName(line_), port_,
                             on ? QStringLiteral("vklopiti") : QStringLiteral("izklopiti"),
                             SystemReason(error)));
        return;
    }
    Report(on);
}

KeyerPortPtt::KeyerPortPtt(serial::TCustomComPort* port, PttKind line, QObject* parent)
    : Ptt(parent), port_(port), line_(line) {}

void KeyerPortPtt::Key(bool on) {
    const QString portName = port_ ? port_->Port() : QString();
    if (!port_ || !port_->Connected()) {
        if (on) {
            emit failed(QStringLiteral("Vrata keyerja %1 niso odprta: PTT na liniji %2 ni mogoč.")
                            .arg(portName, LineName(line_)));
        } else {
            Report(false);  // a closed port holds no line up
        }
        return;
    }
    const int error =
        port_->SetOutputLine(line_ == PttKind::Dtr ? serial::SerialDevice::OutputLine::Dtr
                                                   : serial::SerialDevice::OutputLine::Rts,
                             on);
    if (error == EBUSY) {
        emit failed(QStringLiteral("Linija %1 vrat keyerja %2 ni prosta: v nastavitvah vrat "
                                   "naj bo izklopljena.")
                        .arg(LineName(line_), portName));
    } else if (error) {
        emit failed(QStringLiteral("Linije %1 na vratih keyerja %2 ni mogoče %3: %4.")
                        .arg(LineName(line_), portName,
                             on ? QStringLiteral("vklopiti") : QStringLiteral("izklopiti"),
                             SystemReason(error)));
    } else {
        Report(on);
    }
}

RigPtt::RigPtt(RigLink* rig, QObject* parent) : Ptt(parent), rig_(rig) {
    if (rig_) {
        connect(rig_, &RigLink::pttAnswered, this, [this](bool on, bool ok, const QString& reply) {
            if (pending_ > 0 && --pending_ > 0) {
                return;
            }
            if (ok) {
                Report(on);
            } else {
                emit failed(
                    QStringLiteral("Radio ni %1 oddaje (%2).")
                        .arg(on ? QStringLiteral("vklopilo") : QStringLiteral("izklopilo"), reply));
            }
        });
        connect(rig_, &RigLink::connectionChanged, this, [this](bool connected) {
            pending_ = 0;
            if (!connected && keyed_) {
                keyed_ = false;
                emit failed(QStringLiteral("Povezava z radiem se je prekinila med oddajo."));
            }
        });
    }
}

RigPtt::~RigPtt() {
    if (rig_ && keyed_) {
        rig_->SetPtt(false);
    }
}

void RigPtt::Key(bool on) {
    if (!rig_) {
        emit failed(QStringLiteral(
            "Povezava z radiem je izključena: vključi jo v razdelku [Rig] datoteke Corvatta.ini."));
        return;
    }
    if (rig_->SetPtt(on)) {
        ++pending_;
    } else {
        emit failed(
            QStringLiteral("%1: oddaje ni mogoče %2.")
                .arg(kRigOffline, on ? QStringLiteral("vklopiti") : QStringLiteral("izklopiti")));
    }
}

bool SamePortDevice(const QString& a, const QString& b) {
    if (a.isEmpty() || b.isEmpty()) {
        return false;
    }
    const auto device = [](const QString& port) {
        const QString path = serial::posix::PortPath(port);
        const QString real = QFileInfo(path).canonicalFilePath();
        return real.isEmpty() ? path : real;
    };
    return device(a) == device(b);
}

std::unique_ptr<Ptt> MakePtt(const VoiceSettings& settings, RigLink* rig,
                             serial::TCustomComPort* keyerPort) {
    switch (settings.Ptt) {
        case PttKind::Rts:
        case PttKind::Dtr:
            // Whether the keyer's port is open now or later, it is the keyer
            // link's: opening it here too would lock the keyer out.
            if (keyerPort && SamePortDevice(settings.PttPort, keyerPort->Port())) {
                return std::make_unique<KeyerPortPtt>(keyerPort, settings.Ptt);
            }
            return std::make_unique<SerialLinePtt>(settings.PttPort, settings.Ptt);
        case PttKind::Rig:
            return std::make_unique<RigPtt>(rig);
        case PttKind::None:
            break;
    }
    return std::make_unique<NoPtt>();
}

}  // namespace corvatta
