// The rig link's texts, and a server that never ends its replies.
#include "logger/rig_link.h"

#include <gtest/gtest.h>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

namespace corvatta {
namespace {

TEST(RigLink, ModesAndFrequencyTexts) {
    const std::pair<const char*, const char*> modes[] = {
        {"CW", "CW"}, {"CWR", "CW"}, {"USB", "SSB"}, {"LSB", "SSB"}, {"FM", ""}, {"PKTUSB", ""}};
    for (const auto& [rig, contest] : modes) {
        EXPECT_EQ(ContestModeOfRigMode(rig).value_or(QString()), contest) << rig;
    }
    EXPECT_EQ(RigFrequencyText(3550000), "3550.0 kHz");
    EXPECT_EQ(RigFrequencyText(3512340), "3512.3 kHz");
}

TEST(RigLink, AnEndlessReplyDropsTheLinkAndItConnectsAgain) {
    QTcpServer server;  // answers every question with digits, never a line end
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    int connections = 0;
    QObject::connect(&server, &QTcpServer::newConnection, [&] {
        QTcpSocket* peer = server.nextPendingConnection();
        ++connections;
        QObject::connect(peer, &QTcpSocket::readyRead,
                         [peer] { peer->write(peer->readAll().fill('3', 64 * 1024)); });
    });
    RigLink link;
    link.SetReconnectIntervalMs(100);  // how soon is not what this test is about
    QSignalSpy connection(&link, &RigLink::connectionChanged);
    link.Start(QStringLiteral("127.0.0.1"), server.serverPort());
    EXPECT_TRUE(QTest::qWaitFor([&] { return connections == 2; }, 30000));
    EXPECT_EQ(connection.value(0).value(0), QVariant(true));  // up, then dropped
    EXPECT_EQ(connection.value(1).value(0), QVariant(false));
}

}  // namespace
}  // namespace corvatta
