#include "colors.h"

#include "ini_file.h"

#include <array>
#include <utility>

namespace platform {

namespace {

struct NamedColor {
    const char* name;
    quint32 value;  // 0x00BBGGRR
};

constexpr std::array<NamedColor, 26> kNamed = {{
    {"clBlack", 0x000000},      {"clMaroon", 0x000080},   {"clGreen", 0x008000},
    {"clOlive", 0x008080},      {"clNavy", 0x800000},     {"clPurple", 0x800080},
    {"clTeal", 0x808000},       {"clGray", 0x808080},     {"clSilver", 0xC0C0C0},
    {"clRed", 0x0000FF},        {"clLime", 0x00FF00},     {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},       {"clFuchsia", 0xFF00FF},  {"clAqua", 0xFFFF00},
    {"clWhite", 0xFFFFFF},      {"clLtGray", 0xC0C0C0},   {"clDkGray", 0x808080},
    {"clMoneyGreen", 0xC0DCC0}, {"clSkyBlue", 0xF0CAA6},  {"clCream", 0xF0FBFF},
    {"clMedGray", 0xA4A0A0},    {"clNone", 0x1FFFFFFF},   {"clDefault", 0x20000000},
    {"clBtnFace", 0xFF00000F},  {"clWindow", 0xFF000005},
}};

// The light-theme look of the few system colours the programs use.
QColor SystemColor(quint32 index) {
    switch (index) {
        case 5:  // window background
            return QColor(255, 255, 255);
        case 8:   // window text
        case 18:  // button text
            return QColor(0, 0, 0);
        case 15:  // button face
        default:
            return QColor(240, 240, 240);
    }
}

}  // namespace

QColor ColorFromValue(qint64 bgr) {
    const quint32 v = quint32(bgr);
    if ((v & 0xFF000000u) == 0xFF000000u) {
        return SystemColor(v & 0xFFu);
    }
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

std::optional<QColor> ColorFromText(const QString& text) {
    const QString t = text.trimmed();
    for (const auto& named : kNamed) {
        if (t.compare(QLatin1String(named.name), Qt::CaseInsensitive) == 0) {
            return ColorFromValue(named.value);
        }
    }
    const auto value = ParseIniInteger(t);
    if (!value) {
        return std::nullopt;
    }
    return ColorFromValue(quint32(*value));
}

QColor ColorOf(const QString& text) {
    return ColorFromText(text).value_or(QColor(Qt::black));
}

QString ColorToText(const QColor& color) {
    const quint32 v =
        quint32(color.red()) | (quint32(color.green()) << 8) | (quint32(color.blue()) << 16);
    return QStringLiteral("$%1").arg(v, 8, 16, QLatin1Char('0')).toUpper();
}

}  // namespace platform
