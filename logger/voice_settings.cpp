#include "logger/voice_settings.h"

#include "platform/ini_file.h"

#include <array>
#include <utility>

namespace corvatta {

namespace {

const QString kSection = QStringLiteral("VOICE");
constexpr int kMaxDelayMs = 2000;

constexpr std::array<std::pair<PttKind, const char*>, 4> kKinds{{
    {PttKind::None, "none"},
    {PttKind::Rts, "rts"},
    {PttKind::Dtr, "dtr"},
    {PttKind::Rig, "rig"},
}};

int ReadDelay(const platform::IniDocument& ini, const QString& key, int def) {
    const int value = ini.ReadInteger(kSection, key, def);
    return value >= 0 && value <= kMaxDelayMs ? value : def;
}

}  // namespace

QString PttKindText(PttKind kind) {
    for (const auto& [k, text] : kKinds) {
        if (k == kind) {
            return QString::fromLatin1(text);
        }
    }
    return {};
}

bool ParsePttKind(const QString& text, PttKind* kind) {
    for (const auto& [k, name] : kKinds) {
        if (text.trimmed().compare(QLatin1String(name), Qt::CaseInsensitive) == 0) {
            *kind = k;
            return true;
        }
    }
    return false;
}

void LoadVoiceSettings(const platform::IniDocument& ini, VoiceSettings& s) {
    s.Enabled = ini.ReadBool(kSection, QStringLiteral("Enabled"), s.Enabled);
    ParsePttKind(ini.ReadString(kSection, QStringLiteral("Ptt"), PttKindText(s.Ptt)), &s.Ptt);
    s.PttPort = ini.ReadString(kSection, QStringLiteral("PttPort"), s.PttPort);
    s.Lead = ReadDelay(ini, QStringLiteral("Lead"), s.Lead);
    s.Tail = ReadDelay(ini, QStringLiteral("Tail"), s.Tail);
    s.Output = ini.ReadString(kSection, QStringLiteral("Output"), s.Output);
    s.Input = ini.ReadString(kSection, QStringLiteral("Input"), s.Input);
}

void SaveVoiceSettings(const VoiceSettings& s, platform::IniDocument& ini) {
    ini.WriteBool(kSection, QStringLiteral("Enabled"), s.Enabled);
    ini.WriteString(kSection, QStringLiteral("Ptt"), PttKindText(s.Ptt));
    ini.WriteString(kSection, QStringLiteral("PttPort"), s.PttPort);
    ini.WriteInteger(kSection, QStringLiteral("Lead"), s.Lead);
    ini.WriteInteger(kSection, QStringLiteral("Tail"), s.Tail);
    ini.WriteString(kSection, QStringLiteral("Output"), s.Output);
    ini.WriteString(kSection, QStringLiteral("Input"), s.Input);
}

}  // namespace corvatta
