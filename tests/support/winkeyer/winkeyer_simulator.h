// A WinKeyer on a pseudo-terminal, for the serial and keyer tests: the port under test opens
// PortPath(), and the simulator answers on its own thread as a keyer does on its host
// interface. It records every byte it receives, with the time it read it.
//
//   testing_support::WinKeyerSimulator keyer;            // or keyer(linkPath) for a stable name
//   port.SetPort(keyer.PortPath()); port.Open();
//   port.SendText(QByteArray("\x00\x02", 2));
//   ASSERT_TRUE(keyer.WaitForReceived(QByteArray("\x00\x02", 2)));   // blocks this thread
//   ASSERT_TRUE(QTest::qWaitFor([&] { return got.contains('\x17'); }));  // runs the event loop
//
// The keyer itself is the program's built-in one (practice::VirtualKeyer); this class serves
// it on the pty from a thread of its own, on a timeline that runs with real time. It keys in
// real time at the set speed, as a keyer does, and takes only admin commands until the host
// opens it. A test that does not measure keying time sets a time scale (SetTimeScale(0): the
// keyer's time jumps from one due event to the next, so every character is keyed the moment
// it arrives, with busy, the echo and idle in their usual order), so that it never waits for
// the keying.
//
// The sim's waits block the calling thread; to see the port's OnRxChar run, wait with the event
// loop running (QTest::qWaitFor). Destroying the simulator is unplugging the adapter: the
// master closes and the open port sees a hang-up. A new simulator made with the same link
// path is the adapter plugged in again.
#pragma once

#include "practice/virtual_keyer.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace testing_support {

// The protocol bytes the tests send to the keyer and expect from it.
namespace winkeyer {
inline constexpr std::uint8_t kAdmin = 0x00;
inline constexpr std::uint8_t kAdminHostOpen = 0x02;
inline constexpr std::uint8_t kAdminHostClose = 0x03;
inline constexpr std::uint8_t kAdminEcho = 0x04;
inline constexpr std::uint8_t kSidetone = 0x01;
inline constexpr std::uint8_t kSetSpeed = 0x02;
inline constexpr std::uint8_t kClearBuffer = 0x0A;
inline constexpr std::uint8_t kKeyImmediate = 0x0B;
inline constexpr std::uint8_t kSetModeRegister = 0x0E;
inline constexpr std::uint8_t kRequestStatus = 0x15;
inline constexpr std::uint8_t kBufferedSpeed = 0x1C;
inline constexpr std::uint8_t kCancelBufferedSpeed = 0x1E;
inline constexpr std::uint8_t kBufferedNop = 0x1F;  // does nothing: a marker in the byte stream

inline constexpr std::uint8_t kStatusIdle = 0xC0;     // 192
inline constexpr std::uint8_t kStatusBusy = 0xC4;     // 196
inline constexpr std::uint8_t kStatusPaddle = 0xC6;   // 198, break-in
inline constexpr std::uint8_t kStatusKeyDown = 0xD8;  // 216
inline constexpr std::uint8_t kPotReport = 0x80;      // | pot position 0..63

inline constexpr std::uint8_t kModeSerialEcho = 0x04;  // mode register bit 2
inline constexpr std::uint8_t kDefaultVersion = 23;    // "Winkeyer 2"
}  // namespace winkeyer

class WinKeyerSimulator {
  public:
    using Clock = std::chrono::steady_clock;
    struct ReceivedByte {
        std::uint8_t value;
        Clock::time_point at;
    };

    // Opens the pty and starts the keyer. With `linkPath`, a symbolic link there points to
    // the slave (replacing a link a previous simulator left).
    explicit WinKeyerSimulator(const QString& linkPath = {},
                               std::uint8_t version = winkeyer::kDefaultVersion);
    // Unplugs: ends the thread, closes the master (an open port sees a hang-up), removes the
    // link if it still points here.
    ~WinKeyerSimulator();
    WinKeyerSimulator(const WinKeyerSimulator&) = delete;
    WinKeyerSimulator& operator=(const WinKeyerSimulator&) = delete;

    // What the port should open: the link when there is one, else the slave.
    QString PortPath() const;
    QString SlavePath() const { return slavePath_; }
    // The master, for reading the line settings in force (tcgetattr, TCGETS2); on Linux the
    // master reports the slave's settings. Never read or write it.
    int MasterFd() const { return master_; }

    // --- Keyer state.
    bool HostOpen() const;
    int Speed() const;  // WPM of the last 02 nn; 0 (the pot) keeps the speed there was
    std::uint8_t ModeRegister() const;
    std::uint8_t Sidetone() const;
    bool KeyDown() const;
    bool Busy() const;             // keying text (status busy sent, idle not yet)
    QByteArray KeyedText() const;  // every character keyed in full so far, upper case
    // Milliseconds a dit lasts at the speed in force: 1200 / WPM.
    double DitMilliseconds() const;

    // How long keying takes against real time: 1 (the default) is real time, 0.1 ten times
    // faster, 0 at once. Applies from now on to what is still to come (the keyer's time never
    // runs back); negative counts as 0.
    void SetTimeScale(double scale);
    double TimeScale() const;

    // --- Sending to the host, from the calling thread.
    void SendRaw(const QByteArray& bytes);
    void SendPotReport(int position);  // 0x80 | position (0..63)
    void SendPaddleStatus();           // 0xC6

    // --- What the host sent.
    std::vector<ReceivedByte> Received() const;
    QByteArray ReceivedBytes() const;
    void ClearReceived();

    // --- Waits of the calling thread; true when it happened within the timeout.
    bool WaitForReceived(const QByteArray& bytes, int timeoutMs = 2000) const;  // anywhere
    bool WaitForIdle(int timeoutMs = 5000) const;  // nothing left to key, idle sent
    bool WaitFor(const std::function<bool()>& condition, int timeoutMs) const;

    // Stops reading from the host (its writes then fill the pty's queue), or resumes.
    void PauseReading(bool paused);

  private:
    void Run();
    // The keyer's time at the real time `now`: what it had when the scale was last set, and
    // the real time since then at that scale.
    double KeyerTimeLocked(Clock::time_point now) const;
    // Takes the replies due into `out`; at scale 0 the keyer's time first runs on through
    // everything it has to do.
    void TakeDueLocked(Clock::time_point now, QByteArray& out);
    int PollTimeoutMs(Clock::time_point now) const;
    void WriteToHost(const QByteArray& bytes);
    void WriteLocked(const QByteArray& bytes);  // with writeMutex_ held
    void Wake();

    int master_ = -1;
    int slave_ = -1;  // held open so that the master never sees the slave side close
    int wakeFd_ = -1;
    QString slavePath_;
    QString linkPath_;

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::mutex writeMutex_;
    bool stop_ = false;
    bool paused_ = false;
    std::vector<ReceivedByte> received_;
    corvatta::practice::VirtualKeyer keyer_;
    double timeScale_ = 1.0;
    Clock::time_point scaleSetAt_;
    double keyerTimeAtScale_ = 0;

    std::thread thread_;
};

}  // namespace testing_support
