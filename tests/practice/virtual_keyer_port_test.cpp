// The built-in keyer on its pseudo-terminal, opened by the program's own
// keyer link as it opens a keyer on a serial port: the link reads version
// 23 and becomes ready, a message is keyed with its echo and idle, and the
// port's timer is set from the keyer's timeline. The keyer's clock is moved
// by hand: the link's waits move it, and the test moves it past the
// message.
#include "practice/virtual_keyer_port.h"
#include "keyer/keyer_link.h"
#include "tests/keyer/fake_main_window_link.h"

#include <gtest/gtest.h>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace corvatta::practice {
namespace {

TEST(VirtualKeyerPort, TheProgramsKeyerLinkOpensItAndKeys) {
    double now = 0;
    VirtualKeyer virtualKeyer;
    VirtualKeyerPort port(virtualKeyer, [&] { return now; });
    ASSERT_TRUE(port.Open()) << port.Error().toStdString();
    StationState state;
    state.keyer.Speed = 25;
    state.keyer.SpeedMode = 1;
    keyer::FakeMainWindowLink main;
    keyer::KeyerLink link(state, main, [&](int ms) { now += ms / 1000.0; });
    link.Port()->SetPort(port.PortPath());
    link.OpenKeyer();
    ASSERT_TRUE(QTest::qWaitFor([&] { return link.State() == keyer::LinkState::Ready; }, 5000));
    EXPECT_EQ(state.flags.KeyerVersion, 2);  // 23 read as "Winkeyer 2"
    EXPECT_EQ(virtualKeyer.Speed(), 25);

    QSignalSpy busy(&link, &keyer::KeyerLink::busyReported);
    QSignalSpy idle(&link, &keyer::KeyerLink::idleReported);
    ASSERT_TRUE(link.SendCwMessage(QStringLiteral("CQ TEST")));
    ASSERT_TRUE(busy.wait());
    // C (-.-.) is over after 11 dots of 48 ms: the timer waits for its echo.
    EXPECT_TRUE(port.DueTimer()->isActive());
    EXPECT_EQ(port.DueTimer()->interval(), 528);
    now += 10;
    port.Serve();
    ASSERT_TRUE(idle.wait());
    EXPECT_EQ(main.transmitted, QStringLiteral("CQ TEST "));
    EXPECT_FALSE(state.flags.Transmitting);
    EXPECT_FALSE(port.DueTimer()->isActive());
}

}  // namespace
}  // namespace corvatta::practice
