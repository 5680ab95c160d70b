// The Run and S/P sequences of the entry line, without a window or a keyer:
// a fake window validates its text with the real checks, logs as the log
// does (entry cleared, hand-over, line reset) and records every request.
#include "logger/entry_sequence.h"
#include "keyer/cw_message.h"
#include "logger/validation.h"
#include "tests/support/qt_printers.h"

#include <gtest/gtest.h>
#include <QRegularExpression>

#include <functional>
#include <vector>

namespace corvatta {
namespace {

class FakeWindow final : public EntryActions {
  public:
    explicit FakeWindow(StationState& s) : s_(s), seq(s, *this) {}

    QString EntryText() const override { return text; }
    QString PredictedYear() const override { return predicted; }
    bool KeyerPortOpen() const override { return portOpen; }
    bool SendMessage(const QString& t) override {
        calls << "msg:" + t;
        return writes;
    }
    bool SendBytes(const QByteArray& b) override {
        calls << "bytes:" + QString::fromLatin1(b);
        return writes;
    }
    void ClearKeyerBuffer() override { calls << "clear-buffer"; }
    void LogQso() override {
        auto& e = s_.entry;
        if (e.CurrentCall.isEmpty() || e.CurrentLicYear.isEmpty())
            return;
        calls << "log:" + e.CurrentCall + " " + e.CurrentLicYear;
        ClearEntry(e);
        seq.AfterLogging();
        SetText(s_.panel.AutoS5 ? QStringLiteral("S5") : QString());
        e.ShownCall.clear();
        predicted.clear();
    }
    void SetEntryText(const QString& t) override {
        calls << "text:" + t;
        SetText(t);
    }
    void ShowMessageKey(const QString& key) override { calls << "key:" + key; }
    void ClearTransmitIndicator() override { calls << "clear-tx"; }
    void ShowSearchAndPounce() override { calls << "show-sp"; }
    void PaintModeBusy() override { calls << "busy"; }
    void ShowTuneOff() override { calls << "tune-off"; }
    bool VoiceEnabled() const override { return voice; }
    bool PlayVoice(int n) override { return PlayVoiceCall(QString(), n); }
    // As the voice keyer: a recorded message plays and keeps the station transmitting.
    bool PlayVoiceCall(const QString& call, int n) override {
        calls << QStringLiteral("voice:%1F%2").arg(call.isEmpty() ? call : call + "+").arg(n);
        s_.flags.Transmitting = s_.flags.Transmitting || recorded;
        return recorded;
    }

    // Typing: the text is validated and the sequence looks at it.
    void SetText(const QString& t) {
        text = t;
        ValidationInput in;
        in.EntryText = t;
        in.EditLLText = predicted;
        in.Mode = s_.op.Mode;
        in.CurrentYear = QStringLiteral("26");
        const auto noLog = [](const QString&, const QString&, const QString&, const QString&,
                              bool) { return LogMatches{}; };
        const auto noPrediction = [](const QString&) { return std::optional<QString>(); };
        const ValidationResult r = ValidateEntryWith(in, s_.entry, noLog, noPrediction);
        s_.entry = r.Entry;
        s_.entry.ShownCall = r.LInfo;
        seq.AfterValidation();
    }

    QString text;
    QString predicted;
    bool portOpen = true;
    bool writes = true;
    bool voice = false;
    bool recorded = true;
    QStringList calls;

  private:
    StationState& s_;

  public:
    EntrySequence seq;
};

// A station with a ready keyer in the Run mode, ESM on, and its window.
struct Bench {
    Bench() {
        s.op.Mode = QStringLiteral("CW");
        s.op.MyYearLic = QStringLiteral("75");
        s.keyer.EnterSendMsg = true;
        s.keyer.RunMode = true;
        s.flags.KeyerReady = true;
        s.messages.Run = {"CQ TEST ", "5NN # ", "TU ", "@ ", "F5 ", "F6 ", "F7 ", "F8 ", "F9 "};
        s.messages.SP = {"S1 ", "S2 ", "S3 ", "S4 ", "S5 ", "S6 ", "S7 ", "S8 ", "S9 "};
    }

    // The callsign has gone out and the exchange with it: state 1.
    void ExchangeSent(const char* sentCall, const char* typed) {
        w.SetText(typed);
        s.entry.EntryState = EntryStep::ExchangeSent;
        s.entry.SentCall = sentCall;
    }

    StationState s;
    FakeWindow w{s};
};

TEST(EntrySequence, RunContactStepByStep) {
    struct Row {
        const char* name;
        std::function<void(Bench&)> setup;
        QStringList calls;
        int entryState;
        bool transmitting;
        bool exchangePending;
    };
    const std::vector<Row> rows = {
        {"A5 CQ on an empty line",
         [](Bench&) {},
         {"key:F1", "clear-tx", "msg:CQ TEST "},
         0,
         true,
         false},
        {"A5 CQ with the automatic prefix",
         [](Bench& t) { t.s.panel.AutoS5 = true; },
         {"key:F1", "clear-tx", "msg:CQ TEST ", "text:S5"},
         0,
         true,
         false},
        {"A5 CQ that cannot be written leaves the keyer free",
         [](Bench& t) { t.w.writes = false; },
         {"key:F1", "clear-tx", "msg:CQ TEST "},
         0,
         false,
         false},
        {"A3 the callsign goes out as typed",
         [](Bench& t) { t.w.SetText("S59AB"); },
         {"clear-tx", "bytes:S59AB", "busy"},
         0,
         true,
         true},
        {"A3 an unwritten callsign leaves the flags",
         [](Bench& t) {
             t.w.SetText("S59AB");
             t.w.writes = false;
         },
         {"clear-tx", "bytes:S59AB"},
         0,
         false,
         false},
        {"A3 the exchange once more while the year is missing",
         [](Bench& t) { t.ExchangeSent("S59ABC", "S59ABC"); },
         {"key:F2", "clear-tx", "msg:5NN # "},
         1,
         true,
         false},
        {"A1 the year logs, TU follows, state ends at 0",
         [](Bench& t) { t.ExchangeSent("S59ABC", "S59ABC 85"); },
         {"log:S59ABC 85", "key:F3", "clear-tx", "msg:TU "},
         0,
         true,
         false},
        {"A1 a corrected callsign goes out before TU",
         [](Bench& t) { t.ExchangeSent("S59ABD", "S59ABC 85"); },
         {"log:S59ABC 85", "key:F3", "clear-tx", "msg:S59ABC", "clear-tx", "msg:TU "},
         0,
         true,
         false},
        {"A1 the predicted year completes the line",
         [](Bench& t) {
             t.ExchangeSent("S59ABC", "S59ABC");
             t.w.predicted = "85";
         },
         {"text:S59ABC 85", "log:S59ABC 85", "key:F3", "clear-tx", "msg:TU "},
         0,
         true,
         false},
        {"nothing while the keyer is sending",
         [](Bench& t) {
             t.w.SetText("S59AB");
             t.s.flags.Transmitting = true;
         },
         {},
         0,
         true,
         false},
        {"nothing while the keyer is not ready",
         [](Bench& t) {
             t.w.SetText("S59ABC 85");
             t.s.flags.KeyerReady = false;
         },
         {},
         0,
         false,
         false},
        {"an invalid callsign is never sent",
         [](Bench& t) { t.w.SetText("S5XAB"); },
         {},
         0,
         false,
         false},
    };
    for (const Row& row : rows) {
        Bench fresh;
        row.setup(fresh);
        fresh.w.calls.clear();
        fresh.w.seq.Enter();
        EXPECT_EQ(fresh.w.calls, row.calls) << row.name;
        EXPECT_EQ(fresh.s.entry.EntryState, EntryStep(row.entryState)) << row.name;
        EXPECT_EQ(fresh.s.flags.Transmitting, row.transmitting) << row.name;
        EXPECT_EQ(fresh.s.flags.ExchangePending, row.exchangePending) << row.name;
    }
}

TEST(EntrySequence, SearchAndPounceContact) {
    Bench b;
    auto& s = b.s;
    auto& w = b.w;
    s.keyer.RunMode = false;
    w.SetText("S59ABC");
    w.seq.Enter();  // A4: call the station, the caret waits after a space
    EXPECT_EQ(w.calls, (QStringList{"show-sp", "key:F4", "text:S59ABC ", "clear-tx", "msg:@ "}));
    EXPECT_EQ(s.flags.LastMessageKey, "F4");
    s.flags.Transmitting = false;  // the keyer fell idle
    w.SetText("S59ABC 85");
    w.calls.clear();
    w.seq.Enter();  // A2: the exchange goes out and the contact is logged
    QString exchange = s.messages.Run[1];
    keyer::ApplyShortCharacters(exchange, s.shortChars, s.op.MyYearLic);
    EXPECT_EQ(w.calls, (QStringList{"key:F2", "clear-tx", "msg:" + exchange, "log:S59ABC 85"}));
    EXPECT_EQ(s.entry.EntryState, EntryStep::Idle);  // 5, 4 in the hand-over, 0 at the end of Enter
}

TEST(EntrySequence, WithoutEsmOrInSsbEnterOnlyLogsAValidEntry) {
    for (const bool ssb : {false, true}) {
        Bench t;
        t.s.op.Mode = ssb ? QStringLiteral("SSB") : QStringLiteral("CW");
        t.s.keyer.EnterSendMsg = false;
        t.w.SetText("S59AB");
        t.w.seq.Enter();
        EXPECT_TRUE(t.w.calls.isEmpty()) << ssb;
        t.w.SetText("S59AB 85");
        t.w.seq.Enter();
        EXPECT_EQ(t.w.calls, QStringList{"log:S59AB 85"}) << ssb;
        EXPECT_EQ(t.w.text, "") << ssb;
    }
    // ESM on does not send in SSB either, the contact is still logged.
    Bench t;
    t.s.op.Mode = QStringLiteral("SSB");
    t.w.SetText("S59AB 85");
    t.w.seq.Enter();
    EXPECT_EQ(t.w.calls, QStringList{"log:S59AB 85"});
}

TEST(EntrySequence, EscStopsTheKeyerAndLeavesStateOne) {
    Bench b;
    auto& s = b.s;
    auto& w = b.w;
    b.ExchangeSent("S59ABC", "S59ABC");
    w.calls.clear();
    w.seq.Esc();
    EXPECT_EQ(w.calls, (QStringList{"key:", "clear-tx", "clear-buffer", "tune-off"}));
    EXPECT_EQ(s.entry.EntryState, EntryStep::Idle);
    s.entry.EntryState = EntryStep::ClosingDue;  // only state 1 is left by Esc
    w.portOpen = false;
    w.calls.clear();
    w.seq.Esc();
    EXPECT_EQ(w.calls, (QStringList{"key:", "clear-tx", "tune-off"}));
    EXPECT_EQ(s.entry.EntryState, EntryStep::ClosingDue);
}

TEST(EntrySequence, TypeAheadFollowsTheCallsignAndAChangedCallsignLeavesStateOne) {
    Bench b;
    auto& s = b.s;
    auto& w = b.w;
    w.SetText("S59AB");
    w.seq.Enter();
    ASSERT_TRUE(s.flags.ExchangePending);
    w.calls.clear();
    w.SetText("S59ABC");
    EXPECT_EQ(w.calls, QStringList{"bytes:C"});
    EXPECT_EQ(s.entry.SentCall, "S59ABC");
    w.SetText("S59ABCDE");  // two characters at once do not follow
    EXPECT_EQ(w.calls, QStringList{"bytes:C"});

    for (const char* typed : {"S59ABD", "S5", "S"}) {
        b.ExchangeSent("S59ABC", "S59ABC");
        ASSERT_EQ(s.entry.EntryState, EntryStep::ExchangeSent);
        w.SetText(typed);
        EXPECT_EQ(s.entry.EntryState, EntryStep::Idle) << typed;
    }
    b.ExchangeSent("S59ABC", "S59ABC");
    w.SetText("S59ABC 8");  // the year being typed keeps state 1
    EXPECT_EQ(s.entry.EntryState, EntryStep::ExchangeSent);
}

TEST(EntrySequence, FunctionKeysSendTheMessageOfTheCurrentSet) {
    Bench b;
    auto& s = b.s;
    auto& w = b.w;
    w.seq.FunctionKey(2);
    s.keyer.RunMode = false;
    w.seq.FunctionKey(8);
    w.seq.FunctionKey(9);  // no such key
    EXPECT_EQ(w.calls, (QStringList{"key:F3", "msg:TU ", "key:F9", "msg:S9 "}));
    EXPECT_EQ(s.flags.LastMessageKey, "F9");
    EXPECT_FALSE(s.flags.Transmitting);  // the function keys do not wait for idle
}

TEST(EntrySequence, VoiceMessagesInSsb) {
    enum Quirk { None, NotRecorded, EsmOff, VoiceOff };
    // sent: the call already given with the exchange; played: voice and log requests in order.
    // clang-format off
    struct Row { const char* name; bool run; const char* sent; const char* typed; Quirk quirk; QStringList played; int entryState; };
    const std::vector<Row> rows = {
        {"CQ on an empty line", true, nullptr, "", None, {"voice:F1"}, 0},
        {"the call spelled, then the exchange", true, nullptr, "S59ABC", None, {"voice:S59ABC+F2"}, 1},
        {"call and year at once: not logged yet", true, nullptr, "S59ABC 85", None, {"voice:S59ABC+F2"}, 1},
        {"the year logs, TU follows", true, "S59ABC", "S59ABC 85", None, {"log:S59ABC 85", "voice:F3"}, 0},
        {"a corrected call before TU", true, "S59ABD", "S59ABC 85", None, {"log:S59ABC 85", "voice:S59ABC+F3"}, 0},
        {"a missing TU takes no further step", true, "S59ABC", "S59ABC 85", NotRecorded, {"log:S59ABC 85", "voice:F3"}, 0},
        {"no year yet: the exchange again", true, "S59ABC", "S59ABC", None, {"voice:F2"}, 1},
        {"S/P calls the station", false, nullptr, "S59ABC", None, {"voice:F4"}, 0},
        {"S/P: the year, the exchange, logged", false, nullptr, "S59ABC 85", None, {"voice:F2", "log:S59ABC 85"}, 0},
        {"ESM off logs as before", true, nullptr, "S59ABC 85", EsmOff, {"log:S59ABC 85"}, 0},
        {"voice off logs as before", true, nullptr, "S59ABC 85", VoiceOff, {"log:S59ABC 85"}, 0},
    };
    // clang-format on
    for (const Row& row : rows) {
        Bench t;
        t.s.op.Mode = QStringLiteral("SSB");
        t.s.keyer.RunMode = row.run;
        t.s.keyer.EnterSendMsg = row.quirk != EsmOff;
        t.w.voice = row.quirk != VoiceOff;
        t.w.recorded = row.quirk != NotRecorded;
        row.sent ? t.ExchangeSent(row.sent, row.typed) : t.w.SetText(row.typed);
        t.w.seq.Enter();
        EXPECT_EQ(t.w.calls.filter(QRegularExpression("^(voice|log:)")), row.played) << row.name;
        EXPECT_EQ(t.s.entry.EntryState, EntryStep(row.entryState)) << row.name;
        EXPECT_FALSE(t.w.calls.join(' ').contains("msg:")) << row.name;  // no CW in SSB
    }
}

}  // namespace
}  // namespace corvatta
