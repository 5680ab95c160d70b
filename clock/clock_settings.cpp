#include "clock_settings.h"

#include "platform/colors.h"

#include <QRegularExpression>

namespace tickwell {

namespace {
const QString kGeneral = QStringLiteral("GENERAL");
const QString kView = QStringLiteral("VIEW");
const QString kAplication = QStringLiteral("APLICATION");
}  // namespace

QColor StringToColor(const QString& text) {
    const auto color = platform::ColorFromText(text);
    if (!color) {
        throw ConvertError(text);
    }
    return *color;
}

int SizeAddition(int value) {
    return value >= 1 && value <= 30 ? value : 0;
}

ClockSettings ReadClockSettings(const platform::IniDocument& ini, ClockSettingsTarget& target) {
    ClockSettings s;
    s.ClockLabel = ini.ReadString(kGeneral, QStringLiteral("LABEL"), QString());
    s.DigitColor = ini.ReadString(kGeneral, QStringLiteral("COLOR"), QString());
    s.ShowLauncher = ini.ReadBool(kGeneral, QStringLiteral("APLICATION"), false);
    target.SetTop(ini.ReadInteger(kView, QStringLiteral("TOP"), kDesignTop));
    target.SetLeft(ini.ReadInteger(kView, QStringLiteral("LEFT"), kDesignLeft));
    s.ExtraHeight = ini.ReadInteger(kView, QStringLiteral("HEIGHT+"), 0);
    s.ExtraWidth = ini.ReadInteger(kView, QStringLiteral("WIDTH+"), 0);

    // A missing button colour repeats the one before, so one key colours
    // the whole row; the first has nothing before it and must be there.
    QString colorText;
    for (int n = 0; n < kButtonCount; ++n) {
        colorText = ini.ReadString(kAplication, QStringLiteral("COLORAPP%1").arg(n + 1), colorText);
        target.SetButtonColor(n, StringToColor(colorText));
    }
    for (int n = 0; n < kButtonCount; ++n) {
        target.SetButtonCaption(n, ini.ReadString(kAplication, QStringLiteral("NAME%1").arg(n + 1),
                                                  target.ButtonCaption(n)));
    }
    for (int n = 0; n < kButtonCount; ++n) {
        s.LaunchPaths[std::size_t(n)] =
            ini.ReadString(kAplication, QStringLiteral("Path%1").arg(n + 1), QString());
    }
    s.ExtraHeight = SizeAddition(s.ExtraHeight);
    s.ExtraWidth = SizeAddition(s.ExtraWidth);
    return s;
}

QString ClockSettingsFile(const QString& programDirectory) {
    return programDirectory + QStringLiteral("Tickwell") + QStringLiteral("ini.ini");
}

QChar TimeSeparator(const QLocale& locale) {
    const QString format = locale.timeFormat(QLocale::ShortFormat);
    const qsizetype hour = format.indexOf(QRegularExpression(QStringLiteral("[hH]")));
    if (hour < 0) {
        return u':';
    }
    for (qsizetype i = hour; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c == u'h' || c == u'H') {
            continue;
        }
        return c == u'm' ? QChar(u':') : c;
    }
    return u':';
}

QString TimeText(QTime t, QChar separator) {
    // Built in place: the clock asks for it every second, and formatting
    // through QString::arg cost several times what reading the clock does.
    QString text(8, separator);
    const auto put = [&text](qsizetype at, int value) {
        text[at] = QChar(u'0' + value / 10);
        text[at + 1] = QChar(u'0' + value % 10);
    };
    put(0, t.hour());
    put(3, t.minute());
    put(6, t.second());
    return text;
}

int FramedWidth(int extraWidth) {
    return 295 + extraWidth;
}

int FramedHeight(bool showLauncher, int extraHeight) {
    // The short window, without the launcher row, takes no addition.
    return showLauncher ? 125 + extraHeight : 102;
}

}  // namespace tickwell
