// The keys shared by the entry line and the keyer window's command line,
// against a view that records what a window would show.
#include "keyer/shared_keys.h"

#include <gtest/gtest.h>
#include <QStringList>

namespace corvatta::keyer {
namespace {

class RecordingView final : public SharedKeyView {
  public:
    void SpeedStepped(int wpm) override { calls << QStringLiteral("speed %1").arg(wpm); }
    void ShowRunMode(bool run) override { calls << QStringLiteral("run %1").arg(run); }
    void ResetEntrySequence() override { calls << QStringLiteral("reset"); }
    void ClearMessageKey() override { calls << QStringLiteral("clear key"); }
    bool EsmShown() const override { return esmShown; }
    void ShowEsm(bool on) override { calls << QStringLiteral("esm %1").arg(on); }
    bool AutoS5() const override { return autoS5; }
    void WipeEntry(const QString& text) override { calls << QStringLiteral("wipe '%1'").arg(text); }

    QStringList calls;
    bool esmShown = false;
    bool autoS5 = false;
};

TEST(SharedKeys, SpeedStepsAndTheirBounds) {
    struct Row {
        bool connected;
        int speed;
        int step;
        bool up;
        std::optional<int> want;
    };
    const Row rows[] = {
        {true, 25, 1, true, 26},   {true, 25, 1, false, 24}, {true, 49, 1, true, 50},
        {true, 49, 2, true, 51},  // the bound is tested before the step
        {true, 50, 1, true, {}},   {true, 51, 2, true, {}},  {true, 11, 1, false, 10},
        {true, 11, 2, false, 9},   {true, 10, 1, false, {}}, {true, 9, 2, false, {}},
        {true, 10, 1, true, 11},   {true, 50, 2, false, 48}, {false, 25, 1, true, {}},
        {false, 25, 1, false, {}},
    };
    for (const Row& r : rows) {
        KeyerSettings k;
        KeyerFlags f;
        k.ComConnected = r.connected;
        k.Speed = r.speed;
        k.SpeedStep = r.step;
        RecordingView view;
        const SharedKey key = r.up ? SharedKey::SpeedUp : SharedKey::SpeedDown;
        EXPECT_EQ(SteppedSpeed(k, r.up), r.want) << r.speed << " step " << r.step << " up " << r.up;
        ApplySharedKey(key, k, f, view);
        if (r.want) {
            EXPECT_EQ(k.Speed, *r.want) << r.speed;
            EXPECT_EQ(view.calls, QStringList{QStringLiteral("speed %1").arg(*r.want)});
        } else {
            EXPECT_EQ(k.Speed, r.speed) << r.speed;
            EXPECT_TRUE(view.calls.isEmpty()) << r.speed;
        }
    }
}

TEST(SharedKeys, F10SwitchesRunAndResetsTheSequence) {
    for (const bool runBefore : {true, false}) {
        KeyerSettings k;
        KeyerFlags f;
        k.RunMode = runBefore;
        RecordingView view;
        ApplySharedKey(SharedKey::RunToggle, k, f, view);
        EXPECT_EQ(k.RunMode, !runBefore);
        EXPECT_EQ(view.calls, (QStringList{QStringLiteral("run %1").arg(!runBefore),
                                           QStringLiteral("reset"), QStringLiteral("clear key")}));
    }
}

TEST(SharedKeys, F11FollowsWhatTheEsmLabelShows) {
    struct Row {
        bool shown;
        bool esmBefore;
        bool want;
    };
    // The label decides, even when the flag went out of step with it.
    for (const Row r : {Row{false, false, true}, Row{true, true, false}, Row{false, true, true},
                        Row{true, false, false}}) {
        KeyerSettings k;
        KeyerFlags f;
        k.EnterSendMsg = r.esmBefore;
        RecordingView view;
        view.esmShown = r.shown;
        ApplySharedKey(SharedKey::EsmToggle, k, f, view);
        EXPECT_EQ(k.EnterSendMsg, r.want);
        EXPECT_EQ(view.calls, QStringList{QStringLiteral("esm %1").arg(r.want)});
    }
}

TEST(SharedKeys, F12WipesToS5OrEmptyAndLeavesTheRest) {
    for (const bool autoS5 : {true, false}) {
        KeyerSettings k;
        KeyerFlags f;
        k.RunMode = true;
        k.Speed = 30;
        f.LastMessageKey = QStringLiteral("F2");
        RecordingView view;
        view.autoS5 = autoS5;
        ApplySharedKey(SharedKey::Wipe, k, f, view);
        EXPECT_EQ(f.LastMessageKey, QStringLiteral("Wipe"));
        EXPECT_EQ(view.calls,
                  QStringList{autoS5 ? QStringLiteral("wipe 'S5'") : QStringLiteral("wipe ''")});
        EXPECT_TRUE(k.RunMode);
        EXPECT_EQ(k.Speed, 30);
    }
}

}  // namespace
}  // namespace corvatta::keyer
