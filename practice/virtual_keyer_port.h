// The built-in keyer on a pseudo-terminal, so the program's keyer link opens
// it as it opens any serial port and speaks to it unchanged. The keyer is
// served on the master side on the thread that made the port (the UI
// thread): a notifier for the host's bytes, a timer set for the next thing
// due on the keyer's timeline. Time comes from an injected source, the
// session's clock in the product and a hand-moved one in tests.
#pragma once

#include "practice/virtual_keyer.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>

class QSocketNotifier;
class QTimer;

namespace corvatta::practice {

// Seconds on the keyer's timeline; never runs back.
using KeyerTimeSource = std::function<double()>;

class VirtualKeyerPort : public QObject {
    Q_OBJECT

  public:
    VirtualKeyerPort(VirtualKeyer& keyer, KeyerTimeSource now, QObject* parent = nullptr);
    ~VirtualKeyerPort() override;
    VirtualKeyerPort(const VirtualKeyerPort&) = delete;
    VirtualKeyerPort& operator=(const VirtualKeyerPort&) = delete;

    // Opens the pseudo-terminal, both sides raw; false, with the system's
    // reason in Error(), when there is none to be had.
    bool Open();
    // Closes it: a link still open on it sees a hang-up.
    void Close();
    bool IsOpen() const { return master_ >= 0; }
    // What the keyer link opens as its port.
    QString PortPath() const { return slavePath_; }
    const QString& Error() const { return error_; }

    // Serves what is due by the time source's now: the host's bytes go to
    // the keyer, the replies due go to the host, and the timer is set for
    // the next. The notifier and the timer call it; a test that has moved
    // its clock calls it too.
    void Serve();
    QTimer* DueTimer() const { return timer_; }

  private:
    void ReadHost();
    void WriteHost();
    void SetTimer();
    bool Fail(const char* what);

    VirtualKeyer& keyer_;
    KeyerTimeSource now_;
    int master_ = -1;
    // Held open, so the master never reads a hang-up while the link has
    // the port closed between two opens.
    int slave_ = -1;
    QString slavePath_;
    QString error_;
    QSocketNotifier* readNotifier_ = nullptr;
    QSocketNotifier* writeNotifier_ = nullptr;
    QTimer* timer_;
    // Replies the host has not yet taken off the line.
    QByteArray unwritten_;
};

}  // namespace corvatta::practice
