#include "logger/rig_link.h"

#include "platform/ini_file.h"

namespace corvatta {

namespace {

const QString kRigSection = QStringLiteral("Rig");
// A reply of the form "RPRT -n" is rigctld's error for a command it could
// not carry out (the radio did not answer, say).
const QString kErrorReply = QStringLiteral("RPRT");

}  // namespace

void LoadRigSettings(const platform::IniDocument& ini, RigSettings& settings) {
    settings.Enabled = ini.ReadBool(kRigSection, QStringLiteral("Enabled"), settings.Enabled);
    settings.Host = ini.ReadString(kRigSection, QStringLiteral("Host"), settings.Host);
    settings.Port = ini.ReadInteger(kRigSection, QStringLiteral("Port"), settings.Port);
}

std::optional<QString> ContestModeOfRigMode(const QString& rigMode) {
    if (rigMode == QLatin1String("CW") || rigMode == QLatin1String("CWR")) {
        return QStringLiteral("CW");
    }
    if (rigMode == QLatin1String("USB") || rigMode == QLatin1String("LSB")) {
        return QStringLiteral("SSB");
    }
    return std::nullopt;
}

QString RigFrequencyText(qint64 hertz) {
    return QString::number(double(hertz) / 1000.0, 'f', 1) + QStringLiteral(" kHz");
}

RigLink::RigLink(QObject* parent) : QObject(parent) {
    pollTimer_.setInterval(kPollIntervalMs);
    reconnectTimer_.setInterval(kReconnectIntervalMs);
    reconnectTimer_.setSingleShot(true);
    // No more is taken from the server than one over-long reply.
    socket_.setReadBufferSize(kMaxReplyBytes + 1);
    connect(&pollTimer_, &QTimer::timeout, this, &RigLink::Poll);
    connect(&reconnectTimer_, &QTimer::timeout, this, &RigLink::Connect);
    connect(&socket_, &QTcpSocket::connected, this, [this] {
        SetConnected(true);
        Poll();
        pollTimer_.start();
    });
    connect(&socket_, &QTcpSocket::readyRead, this, &RigLink::ReadReplies);
    connect(&socket_, &QTcpSocket::disconnected, this, &RigLink::Lost);
    connect(&socket_, &QTcpSocket::errorOccurred, this, [this] { Lost(); });
}

RigLink::~RigLink() {
    // No signals from a socket that is going away.
    socket_.disconnect(this);
}

void RigLink::Start(const QString& host, int port) {
    host_ = host;
    port_ = port;
    running_ = true;
    Connect();
}

void RigLink::Stop() {
    running_ = false;
    pollTimer_.stop();
    reconnectTimer_.stop();
    socket_.abort();
    SetConnected(false);
}

void RigLink::Connect() {
    if (!running_) {
        return;
    }
    expected_.clear();
    socket_.abort();
    socket_.connectToHost(host_, quint16(port_));
}

void RigLink::Poll() {
    // A radio slower than the poll: wait for its answers instead of piling
    // questions up.
    if (!expected_.empty() || socket_.state() != QAbstractSocket::ConnectedState) {
        return;
    }
    expected_ = {Reply::Frequency, Reply::Mode, Reply::Passband};
    socket_.write("f\nm\n");
}

bool RigLink::SetPtt(bool on) {
    if (socket_.state() != QAbstractSocket::ConnectedState) {
        return false;
    }
    expected_.push_back(on ? Reply::PttOn : Reply::PttOff);
    socket_.write(on ? "T 1\n" : "T 0\n");
    // Sent now, not at the next return to the event loop: the lead time
    // before the audio is counted from here.
    socket_.flush();
    return true;
}

void RigLink::ReadReplies() {
    while (socket_.canReadLine()) {
        const QString line = QString::fromLatin1(socket_.readLine()).trimmed();
        if (expected_.empty()) {
            continue;  // nothing asked: not ours
        }
        const Reply reply = expected_.front();
        expected_.pop_front();
        if (reply == Reply::PttOn || reply == Reply::PttOff) {
            emit pttAnswered(reply == Reply::PttOn, line == QLatin1String("RPRT 0"), line);
            continue;
        }
        if (line.startsWith(kErrorReply)) {
            // A failed mode question has no passband line after it.
            if (reply == Reply::Mode && !expected_.empty()) {
                expected_.pop_front();
            }
            continue;
        }
        if (reply == Reply::Frequency) {
            bool ok = false;
            const qint64 hertz = line.toLongLong(&ok);
            if (ok && hertz != frequency_) {
                frequency_ = hertz;
                emit frequencyChanged(hertz);
            }
        } else if (reply == Reply::Mode && !line.isEmpty() && line != mode_) {
            mode_ = line;
            emit modeChanged(line);
        }
    }
    if (socket_.bytesAvailable() > kMaxReplyBytes) {
        Drop();
    }
}

void RigLink::Drop() {
    // Closed from this side: the socket may say nothing of it, so it is
    // reported here, and the link tries again as after a lost server.
    socket_.abort();
    Lost();
}

void RigLink::Lost() {
    pollTimer_.stop();
    expected_.clear();
    SetConnected(false);
    if (running_ && !reconnectTimer_.isActive()) {
        reconnectTimer_.start();
    }
}

void RigLink::SetConnected(bool on) {
    if (on == connected_) {
        return;
    }
    connected_ = on;
    if (!on) {
        // Whatever comes after a reconnect is news again.
        frequency_ = -1;
        mode_.clear();
    }
    emit connectionChanged(on);
}

}  // namespace corvatta
