// The practice mode's built-in keyer: the WinKeyer host protocol as a state
// machine on one timeline, in seconds, given with every call (nothing here
// waits). The host's bytes go in with the time they arrived; out come the
// bytes the keyer sends back, each with the time it is due, and the keying
// itself, told to a listener (the sidetone and the band) as it happens.
#pragma once

#include "practice/cw_keying.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

namespace corvatta::practice {

// The version a host open is answered with ("Winkeyer 2").
inline constexpr std::uint8_t kVirtualKeyerVersion = 23;

struct KeyerReply {
    double time = 0;
    std::uint8_t byte = 0;
};

// What the keying does, told when the keyer's time reaches it. The times
// passed are when it happens; they are never before the time the keyer was
// last advanced to.
class KeyingListener {
  public:
    virtual ~KeyingListener() = default;
    // The keyer has started keying text: it reports busy.
    virtual void KeyingStarted(double time) = 0;
    // The keying grew: `keying` holds every element of the text being keyed
    // since KeyingStarted (or the key held down for tune), the new ones
    // starting at the keyer's time or later.
    virtual void Keyed(const KeyingSchedule& keying) = 0;
    // The buffer was cleared, the host closed or the key came up: nothing
    // keyed sounds after `time`.
    virtual void KeyingCut(double time) = 0;
    // The keyer fell idle: `text` is what it keyed since it started, without
    // a character cut short.
    virtual void KeyingEnded(const QString& text, double time) = 0;
};

class VirtualKeyer {
  public:
    explicit VirtualKeyer(std::uint8_t version = kVirtualKeyerVersion);

    void SetListener(KeyingListener* listener) { listener_ = listener; }

    // Bytes from the host, arrived at `time`. A time before the keyer's own
    // counts as the keyer's time: the timeline never runs back.
    void Receive(const QByteArray& bytes, double time);
    // Moves the keyer's time on: characters whose turn has come start, those
    // keyed are echoed, an emptied buffer reports idle.
    void AdvanceTo(double time);
    // The replies due by `time` (the keyer is moved on to it first), in
    // order, taken out.
    std::vector<KeyerReply> TakeReplies(double time);
    // When something is next due (a reply, a character's start, idle);
    // kKeyHeld when nothing is.
    double NextEventTime() const;
    double Time() const { return now_; }

    bool HostOpen() const { return hostOpen_; }
    bool Busy() const { return run_.has_value(); }
    bool KeyDown() const { return tune_.has_value(); }
    int Speed() const { return speed_; }
    std::uint8_t ModeRegister() const { return mode_; }
    std::uint8_t Sidetone() const { return sidetone_; }
    // The speed the next character is keyed at: a buffered change while
    // it is in force, else the set speed.
    int KeyingWpm() const;
    // Every character keyed in full so far (a space too), upper case, by
    // the keyer's time.
    QString KeyedText() const;

  private:
    struct Item {
        enum Kind { Character, BufferedSpeed, CancelBufferedSpeed } kind;
        std::uint8_t value;
    };

    void Feed(std::uint8_t byte);
    void Execute();
    void Admin(std::uint8_t sub, std::uint8_t parameter);
    void QueueText(std::uint8_t byte);
    void StartDue();
    void StartItem(const Item& item);
    void Reply(std::uint8_t byte, double time);
    // Stops the keying at the keyer's time; `report` sends idle.
    void Stop(bool report);
    void EndRun(double time, bool report);
    void Reset();

    const std::uint8_t version_;
    KeyingListener* listener_ = nullptr;
    double now_ = 0;
    bool hostOpen_ = false;
    std::vector<std::uint8_t> command_;  // a command whose parameters are still coming
    int parametersNeeded_ = 0;
    int speed_ = 20;
    int bufferedSpeed_ = 0;  // 0: none in force
    std::uint8_t mode_ = 0;
    std::uint8_t sidetone_ = 0;
    int potMinimum_ = 10;
    int potRange_ = 25;
    std::deque<Item> buffer_;
    // The text being keyed, from busy to idle.
    std::optional<KeyingSchedule> run_;
    // Each character of the run (a space too) and when it has been keyed.
    std::vector<std::pair<double, QChar>> runCharacters_;
    // What the runs that have ended keyed.
    QString keyedText_;
    std::optional<KeyingSchedule> tune_;
    std::deque<KeyerReply> replies_;
};

}  // namespace corvatta::practice
