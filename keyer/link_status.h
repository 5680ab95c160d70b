// What the operator reads about the keyer's connection: one line in the
// keyer window that says what is wrong and what to do about it, in the
// operator's language. The link decides when each applies; these functions
// only word it, so that every reason is worded once and tested as a table.
#pragma once

#include <QString>

namespace corvatta::keyer {

// Where the link to the keyer stands, as the operator needs to know it.
enum class LinkState {
    Closed,      // not opened, or closed by the operator
    Opening,     // the port is open, the keyer's answer is awaited
    Ready,       // the keyer answered and is ready
    OpenFailed,  // the port could not be opened (or reopened)
    NoAnswer,    // the port is open, the keyer does not answer
    Lost,        // the adapter went away under an open link
};

// True for the states in which messages cannot reach a keyer.
inline bool IsProblem(LinkState s) {
    return s == LinkState::OpenFailed || s == LinkState::NoAnswer || s == LinkState::Lost;
}

// The main window's "keyer offline" mark: shown while the contest category
// (0 CW, 1 SSB, 2 MIX, -1 none) uses CW and the keyer is not ready.
inline bool KeyerOfflineShown(int categoryMode, LinkState s) {
    return (categoryMode == 0 || categoryMode == 2) && s != LinkState::Ready;
}

// Not opened yet, or closed by the operator.
QString ClosedText();
// The port could not be opened: `systemCode` is the system's error code
// (errno; 0 or below when there is none), `device` the path.
QString OpenFailureText(const QString& device, int systemCode);
// The group a device belongs to, whose members may use it; empty when the
// device cannot be looked at, its number when the group has no name.
QString DeviceGroup(const QString& device);
// No permission for the device: join `group` (empty: the device's group,
// unknown), or, for the administrator's group root, ask the administrator.
QString NoPermissionText(const QString& device, const QString& group);
// The port is open and the keyer's answer is awaited.
QString OpeningText(const QString& device);
// The port is open but nothing came back from the keyer.
QString NoAnswerText(const QString& device);
// The adapter disappeared; the link tries it again every `retrySeconds`
// (0: it does not).
QString LostText(const QString& device, int retrySeconds);
// Added to a failure while a lost link is being tried again.
QString RetryingSuffix(int seconds);
// The keyer answered (version 0 when it has not said which it is).
QString ReadyText(const QString& device, int version);

}  // namespace corvatta::keyer
