// The words the operator reads about the keyer's connection: each reason
// names the device and says what to do, and the main window's offline mark
// follows the category and the link's state.
#include "keyer/link_status.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QTemporaryDir>

#include <grp.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace corvatta::keyer {
namespace {

TEST(LinkStatusText, EachOpenFailureNamesTheDeviceAndTheRemedy) {
    const QString dev = QStringLiteral("/dev/ttyUSB0");
    struct Row {
        int code;
        const char* remedy;  // the part the operator acts on
    };
    const Row rows[] = {
        {EACCES, "skupino"},           {EPERM, "skupino"},           {ENOENT, "ni priključen"},
        {ENODEV, "ni priključen"},     {ENXIO, "ni priključen"},     {EBUSY, "drug program"},
        {EWOULDBLOCK, "drug program"}, {ENOTTY, "ni serijski port"},
    };
    for (const Row& r : rows) {
        const QString text = OpenFailureText(dev, r.code);
        EXPECT_TRUE(text.contains(dev)) << r.code;
        EXPECT_TRUE(text.contains(QString::fromUtf8(r.remedy)))
            << r.code << " " << text.toStdString();
    }
    // Anything else still names the device, with the system's own words.
    const QString other = OpenFailureText(dev, EIO);
    EXPECT_TRUE(other.contains(dev));
    EXPECT_TRUE(other.contains(QString::fromLocal8Bit(std::strerror(EIO))));
    EXPECT_EQ(OpenFailureText(dev, 0), QStringLiteral("Porta /dev/ttyUSB0 ni mogoče odpreti."));
}

TEST(LinkStatusText, NoPermissionNamesTheDevicesOwnGroup) {
    const std::pair<const char*, const char*> rows[] = {
        {"dialout", "skupino dialout (sudo usermod -aG dialout $USER)"},
        {"uucp", "skupino uucp (sudo usermod -aG uucp $USER)"},
        {"root", "skupini root, zato vam lahko dostop do nje omogoči le skrbnik sistema"}};
    for (const auto& [group, advice] : rows) {
        QTemporaryDir dir;
        const QString device = dir.filePath("ttyUSB0");
        QFile(device).open(QIODevice::WriteOnly);
        const struct group* g = ::getgrnam(group);
        if (g && ::chown(QFile::encodeName(device).constData(), uid_t(-1), g->gr_gid) == 0) {
            EXPECT_TRUE(OpenFailureText(device, EACCES).contains(QString::fromUtf8(advice)))
                << OpenFailureText(device, EACCES).toStdString();
        }
    }
}

TEST(LinkStatusText, LostAndNoAnswerSayWhatToCheck) {
    const QString dev = QStringLiteral("/dev/ttyACM0");
    EXPECT_TRUE(NoAnswerText(dev).contains(QStringLiteral("napajanje")));
    EXPECT_TRUE(NoAnswerText(dev).contains(dev));
    EXPECT_TRUE(LostText(dev, 2).endsWith(RetryingSuffix(2)));
    EXPECT_TRUE(RetryingSuffix(2).contains(QStringLiteral(" 2 s")));
    EXPECT_FALSE(LostText(dev, 0).contains(RetryingSuffix(2)));
    EXPECT_TRUE(LostText(dev, 0).contains(QStringLiteral("Open Com")));
    EXPECT_EQ(ReadyText(dev, 2), QStringLiteral("Winkeyer 2 na /dev/ttyACM0 je pripravljen."));
    EXPECT_EQ(ReadyText(dev, 0), QStringLiteral("Winkeyer na /dev/ttyACM0 je pripravljen."));
}

TEST(LinkStatusText, OfflineMarkOnlyInCwCategoriesWithoutAReadyKeyer) {
    const LinkState all[] = {LinkState::Closed,     LinkState::Opening,  LinkState::Ready,
                             LinkState::OpenFailed, LinkState::NoAnswer, LinkState::Lost};
    for (const LinkState s : all) {
        const bool notReady = s != LinkState::Ready;
        EXPECT_EQ(KeyerOfflineShown(0, s), notReady) << int(s);  // CW
        EXPECT_FALSE(KeyerOfflineShown(1, s)) << int(s);         // SSB
        EXPECT_EQ(KeyerOfflineShown(2, s), notReady) << int(s);  // MIX
        EXPECT_FALSE(KeyerOfflineShown(-1, s)) << int(s);        // none chosen
    }
}

}  // namespace
}  // namespace corvatta::keyer
