// Following the radio: a link to a rigctld server (the radio control daemon
// of the usual amateur-radio control library) over TCP. It asks the radio's
// frequency and mode twice a second, reports them, shows a lost server as
// disconnected and connects again by itself. Off unless the port and profile
// file turns it on:
//   [Rig]
//   Enabled=1
//   Host=localhost
//   Port=4532
#pragma once

#include <QObject>
#include <QString>
#include <QTcpSocket>
#include <QTimer>

#include <deque>
#include <optional>

namespace platform {
class IniDocument;
}

namespace corvatta {

// Shown instead of the frequency while rigctld cannot be reached.
inline const QString kRigOffline = QStringLiteral("Radio ni povezan");

struct RigSettings {
    bool Enabled = false;
    QString Host = QStringLiteral("localhost");
    int Port = 4532;
};

// Reads [Rig] with the values in `settings` as defaults.
void LoadRigSettings(const platform::IniDocument& ini, RigSettings& settings);

// The contest mode a radio mode stands for: "CW" for CW and CWR, "SSB" for
// USB and LSB; nothing for the others (AM, FM, data modes).
std::optional<QString> ContestModeOfRigMode(const QString& rigMode);

// The frequency in kHz with one decimal, as a radio's display shows it:
// "3550.0 kHz".
QString RigFrequencyText(qint64 hertz);

class RigLink : public QObject {
    Q_OBJECT

  public:
    static constexpr int kPollIntervalMs = 500;
    static constexpr int kReconnectIntervalMs = 2000;
    // rigctld's replies are short lines; this much without a line end is not one of them,
    // and the link is dropped rather than holding an endless line in memory.
    static constexpr qint64 kMaxReplyBytes = 4096;

    explicit RigLink(QObject* parent = nullptr);
    ~RigLink() override;

    // Connects to host:port and keeps the link up until Stop.
    void Start(const QString& host, int port);
    void Stop();
    bool Connected() const { return connected_; }
    // Keys the radio's transmitter ("T 1") or releases it ("T 0"); the answer
    // comes as pttAnswered. False when the link is not up.
    bool SetPtt(bool on);
    // A lost link is tried again after this long (kReconnectIntervalMs unless set).
    void SetReconnectIntervalMs(int ms) { reconnectTimer_.setInterval(ms); }

  signals:
    void connectionChanged(bool connected);
    void frequencyChanged(qint64 hertz);
    // The radio's own mode text ("CW", "USB", ...), when it changed.
    void modeChanged(const QString& rigMode);
    // rigctld's answer to SetPtt: "RPRT 0" is ok, anything else is its error.
    void pttAnswered(bool on, bool ok, const QString& reply);

  private:
    enum class Reply { Frequency, Mode, Passband, PttOn, PttOff };

    void Connect();
    void Poll();
    void ReadReplies();
    void Lost();
    void Drop();
    void SetConnected(bool on);

    QTcpSocket socket_;
    QTimer pollTimer_;
    QTimer reconnectTimer_;
    QString host_;
    int port_ = 0;
    bool running_ = false;
    bool connected_ = false;
    std::deque<Reply> expected_;
    qint64 frequency_ = -1;
    QString mode_;
};

}  // namespace corvatta
