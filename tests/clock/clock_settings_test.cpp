#include "clock/clock_settings.h"

#include <gtest/gtest.h>
#include <QList>

namespace {

using tickwell::ReadClockSettings;

// Records what reading the settings applies, in order.
class Target : public tickwell::ClockSettingsTarget {
  public:
    QStringList applied;
    std::array<QString, 7> captions;
    void SetTop(int top) override { applied << QStringLiteral("top %1").arg(top); }
    void SetLeft(int left) override { applied << QStringLiteral("left %1").arg(left); }
    void SetButtonColor(int n, const QColor& color) override {
        applied << QStringLiteral("color%1 %2").arg(n + 1).arg(color.name());
    }
    QString ButtonCaption(int n) const override { return captions[std::size_t(n)]; }
    void SetButtonCaption(int n, const QString& caption) override {
        captions[std::size_t(n)] = caption;
        applied << QStringLiteral("name%1 %2").arg(n + 1).arg(caption);
    }
};

platform::IniDocument Ini(const char* text) {
    return platform::IniDocument::FromBytes(QByteArray(text).replace("\n", "\r\n"));
}

TEST(ClockSettings, ReadsInOrderAndRepeatsTheLastButtonColour) {
    Target t;
    t.captions[3] = "keep";
    const auto s = ReadClockSettings(Ini("[general]\nLABEL=Ura\nCOLOR=clNavy\nAPLICATION=1\n"
                                         "[VIEW]\nTOP=40\nLEFT=-8\nHEIGHT+=12\nWIDTH+=30\n"
                                         "[APLICATION]\nCOLORAPP1=clRed\nCOLORAPP3=$00FF0000\n"
                                         "NAME1=Log\nPath1=Corvatta.exe\nPath7=https://x.si/\n"),
                                     t);
    EXPECT_EQ(s.ClockLabel, "Ura");
    EXPECT_EQ(s.DigitColor, "clNavy");
    EXPECT_TRUE(s.ShowLauncher);
    EXPECT_EQ(s.ExtraHeight, 12);
    EXPECT_EQ(s.ExtraWidth, 30);
    EXPECT_EQ(s.LaunchPaths[0], "Corvatta.exe");
    EXPECT_EQ(s.LaunchPaths[6], "https://x.si/");
    EXPECT_TRUE(s.LaunchPaths[1].isEmpty());
    const QStringList expected = {
        "top 40",         "left -8",        "color1 #ff0000", "color2 #ff0000",
        "color3 #0000ff", "color4 #0000ff", "color5 #0000ff", "color6 #0000ff",
        "color7 #0000ff", "name1 Log",      "name2 ",         "name3 ",
        "name4 keep",     "name5 ",         "name6 ",         "name7 "};
    EXPECT_EQ(t.applied, expected);
}

TEST(ClockSettings, SizeAdditionsOutsideOneToThirtyAreDropped) {
    for (auto [value, want] : std::initializer_list<std::pair<int, int>>{
             {-2, 0}, {0, 0}, {1, 1}, {30, 30}, {31, 0}, {1000, 0}}) {
        EXPECT_EQ(tickwell::SizeAddition(value), want) << value;
    }
    Target t;
    const auto s =
        ReadClockSettings(Ini("[VIEW]\nHEIGHT+=31\nWIDTH+=-2\n[APLICATION]\nCOLORAPP1=0\n"), t);
    EXPECT_EQ(s.ExtraHeight, 0);
    EXPECT_EQ(s.ExtraWidth, 0);
    EXPECT_EQ(tickwell::FramedWidth(30), 325);
    EXPECT_EQ(tickwell::FramedHeight(true, 12), 137);
    EXPECT_EQ(tickwell::FramedHeight(false, 12), 102);
}

TEST(ClockSettings, BadButtonColourStopsReadingWhereItStands) {
    Target t;
    EXPECT_THROW(
        {
            try {
                ReadClockSettings(Ini("[VIEW]\nTOP=5\n[APLICATION]\nCOLORAPP1=$00FFFFFF\n"
                                      "COLORAPP3=rdeca\nNAME1=never\n"),
                                  t);
            } catch (const tickwell::ConvertError& e) {
                EXPECT_EQ(e.message(), "'rdeca' is not a valid integer value");
                throw;
            }
        },
        tickwell::ConvertError);
    EXPECT_EQ(t.applied, QStringList({"top 5", "left 1514", "color1 #ffffff", "color2 #ffffff"}));

    Target empty;
    try {
        ReadClockSettings(platform::IniDocument(), empty);
        ADD_FAILURE() << "an empty file has no first button colour";
    } catch (const tickwell::ConvertError& e) {
        EXPECT_EQ(e.message(), "'' is not a valid integer value");
    }
    EXPECT_EQ(empty.applied, QStringList({"top 112", "left 1514"}));
}

TEST(ClockSettings, TimeTextAndSeparator) {
    const QTime t(9, 5, 7);
    EXPECT_EQ(tickwell::TimeText(t, u':'), "09:05:07");
    EXPECT_EQ(tickwell::TimeText(t, u'.'), "09.05.07");
    EXPECT_EQ(tickwell::TimeText(QTime(23, 59, 59), u':'), "23:59:59");
    EXPECT_EQ(tickwell::TimeText(QTime(0, 0, 0), u':'), "00:00:00");
    EXPECT_EQ(tickwell::TimeText(QTime(10, 40, 50), u'\u2236'), u"10\u223640\u223650");
    EXPECT_EQ(tickwell::TimeSeparator(QLocale::c()), u':');
    EXPECT_EQ(tickwell::TimeSeparator(QLocale(QLocale::Finnish)), u'.');
}

TEST(ClockSettings, ColourTexts) {
    EXPECT_EQ(tickwell::StringToColor("clCream"), QColor(255, 251, 240));
    EXPECT_EQ(tickwell::StringToColor("$000000FF"), QColor(255, 0, 0));
    EXPECT_EQ(tickwell::StringToColor("8421504"), QColor(128, 128, 128));
    EXPECT_THROW(tickwell::StringToColor("$00GG0000"), tickwell::ConvertError);
    EXPECT_THROW(tickwell::StringToColor("red"), tickwell::ConvertError);
}

}  // namespace
