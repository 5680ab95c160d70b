// The practice mode's built-in keyer against any host: bytes of any value,
// commands cut anywhere, arriving at any times (some before the keyer's own).
// Whatever comes in:
//  - the keyer's time never runs back, and nothing it reports (a reply, the
//    start or end of keying, a cut) is dated before the time it was reported
//    at or after the time the keyer was moved to;
//  - replies come out in the order of their times;
//  - once the replies due are taken, what is next due is not in the past;
//  - the host gets a bounded number of bytes back for what it sent (no
//    runaway echo or status stream).
#include "tests/fuzz/fuzz_support.h"

#include "practice/virtual_keyer.h"

#include <cmath>

namespace {

using namespace corvatta::practice;

class Watch final : public KeyingListener {
  public:
    void KeyingStarted(double time) override { Check(time, "keying started"); }
    void Keyed(const KeyingSchedule&) override {}
    void KeyingCut(double time) override { Check(time, "keying cut"); }
    void KeyingEnded(const QString&, double time) override { Check(time, "keying ended"); }

  private:
    void Check(double time, const char* what) {
        FUZZ_CHECK(std::isfinite(time) && time + 1e-9 >= last_, "reports never go back in time",
                   {QString::fromLatin1(what), QString::number(time), QString::number(last_)});
        last_ = time;
    }
    double last_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto source = fuzz::Source::For(data, size);
    fuzz::Source& in = *source;
    VirtualKeyer keyer;
    Watch watch;
    keyer.SetListener(&watch);
    double time = 0;
    qsizetype sent = 0, replied = 0;
    double lastReply = 0;
    while (!in.Exhausted()) {
        // Mostly forward in small steps, now and then a stamp from the past.
        time += in.Bool() ? double(in.Int(0, 5000)) / 1000.0 : -double(in.Int(0, 1000)) / 1000.0;
        time = std::max(time, 0.0);
        const QByteArray bytes = in.Bytes(24);
        sent += bytes.size();
        const double before = keyer.Time();
        keyer.Receive(bytes, time);
        FUZZ_CHECK(keyer.Time() >= before, "the keyer's time never runs back",
                   {fuzz::Visible(bytes)});
        const double due = keyer.NextEventTime();
        const double until = std::isfinite(due) && in.Bool() ? due : time;
        for (const KeyerReply& r : keyer.TakeReplies(until)) {
            FUZZ_CHECK(
                r.time + 1e-9 >= lastReply && r.time <= std::max(until, keyer.Time()) + 1e-9,
                "replies come in order, none later than asked for",
                {QString::number(r.time), QString::number(lastReply), QString::number(until)});
            lastReply = r.time;
            ++replied;
        }
        const double next = keyer.NextEventTime();
        FUZZ_CHECK(next >= keyer.Time(),
                   "once the replies due are taken, what is next due is not in the past",
                   {QString::number(next), QString::number(keyer.Time())});
        // Every byte sent may be echoed and bring a status, a host open a
        // version, an echo test its byte; a handful more for the rest.
        FUZZ_CHECK(replied <= 4 * sent + 16, "the replies stay bounded by what was sent",
                   {QString::number(replied), QString::number(sent)});
    }
    // Run out the keyer: it falls idle in a bounded time unless the key is held.
    for (int i = 0; i < 10000 && std::isfinite(keyer.NextEventTime()); ++i) {
        keyer.TakeReplies(keyer.NextEventTime());
    }
    return 0;
}
