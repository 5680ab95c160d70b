// The clock program's settings file and the arithmetic around its window:
// reading Tickwellini.ini in its fixed order, colour texts that must convert,
// the size additions and the time text the digits show.
#pragma once

#include "platform/errors.h"
#include "platform/ini_file.h"

#include <QChar>
#include <QColor>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <array>

namespace tickwell {

constexpr int kButtonCount = 7;
constexpr int kDesignLeft = 1514;
constexpr int kDesignTop = 112;
constexpr const char* kVersionSuffix = " 1.06";

// A text that should have been a number or a colour was neither.
class ConvertError : public platform::Error {
  public:
    explicit ConvertError(const QString& text)
        : platform::Error(QStringLiteral("'%1' is not a valid integer value").arg(text)) {}
};

// A colour name ("clRed") or a 0x00BBGGRR number ("$00F0FBFF", "255");
// throws ConvertError for anything else, the empty text included.
QColor StringToColor(const QString& text);

// Size additions outside 1 to 30 pixels are taken as mistakes and dropped.
int SizeAddition(int value);

struct ClockSettings {
    QString ClockLabel;
    QString DigitColor;
    bool ShowLauncher = false;
    int ExtraWidth = 0;
    int ExtraHeight = 0;
    std::array<QString, kButtonCount> LaunchPaths;
};

// What reading the settings changes on the window at once, as it goes.
class ClockSettingsTarget {
  public:
    virtual ~ClockSettingsTarget() = default;
    virtual void SetTop(int top) = 0;
    virtual void SetLeft(int left) = 0;
    // n counts from 0.
    virtual void SetButtonColor(int n, const QColor& color) = 0;
    virtual QString ButtonCaption(int n) const = 0;
    virtual void SetButtonCaption(int n, const QString& caption) = 0;
};

// Reads every key in the file's order and applies positions, button colours
// and captions to target as soon as each is read. An unconvertible button
// colour throws ConvertError at once, leaving what was applied so far.
ClockSettings ReadClockSettings(const platform::IniDocument& ini, ClockSettingsTarget& target);

// Full path of the settings file in a program directory.
QString ClockSettingsFile(const QString& programDirectory);

// The time separator of a locale's time format, ":" when it shows none.
QChar TimeSeparator(const QLocale& locale);

// "hh:mm:ss" with the given separator.
QString TimeText(QTime time, QChar separator);

// Which character of the time text each of the seven digits shows: hours,
// separator, minutes, then the seconds (the second separator has no digit).
inline constexpr std::array<int, 7> kDigitSource = {0, 1, 2, 3, 4, 6, 7};

// Window sizes of the framed clock, frame included.
int FramedWidth(int extraWidth);
int FramedHeight(bool showLauncher, int extraHeight);

}  // namespace tickwell
