#include "practice/practice_settings.h"

#include <algorithm>

namespace corvatta::practice {

namespace {

constexpr int kDurations[] = {10, 30, 60, 120};
constexpr int kSpeedSpread = 4;

// One description of the keys for reading and writing.
template <typename Io, typename S>
void Keys(Io& io, S& s) {
    io("Minutes", s.Minutes);
    int style = int(s.Style);
    io("Style", style);
    s.Style = PracticeStyle(std::clamp(style, 0, 2));
    io("Activity", s.Activity);
    io("SpeedMin", s.SpeedMin);
    io("SpeedMax", s.SpeedMax);
    io("Pitch", s.Pitch);
    io("Bandwidth", s.Bandwidth);
    io("QRN", s.Qrn);
    io("QSB", s.Qsb);
    io("QRM", s.Qrm);
    io("LID", s.Lids);
    io("QSK", s.Qsk);
    io("Volume", s.Volume);
    io("Record", s.Record);
    io("RecordFile", s.RecordFile);
    io("Seed", s.Seed);
}

}  // namespace

PracticeSettings ReadPracticeSettings(const platform::IniDocument& ini) {
    PracticeSettings s;
    struct {
        const platform::IniDocument& ini;
        void operator()(const char* k, int& v) { v = ini.ReadInteger(kPracticeSection, k, v); }
        void operator()(const char* k, bool& v) { v = ini.ReadBool(kPracticeSection, k, v); }
        void operator()(const char* k, QString& v) {
            v = ini.ReadString(kPracticeSection, k, v).trimmed();
        }
    } reader{ini};
    Keys(reader, s);
    if (std::find(std::begin(kDurations), std::end(kDurations), s.Minutes) ==
        std::end(kDurations)) {
        s.Minutes = PracticeSettings{}.Minutes;
    }
    s.Activity = std::clamp(s.Activity, 1, 9);
    s.SpeedMin = s.SpeedMin <= 0 ? 0 : std::clamp(s.SpeedMin, kMinWpm, kMaxWpm);
    s.SpeedMax =
        s.SpeedMax <= 0 ? 0 : std::clamp(s.SpeedMax, std::max(s.SpeedMin, kMinWpm), kMaxWpm);
    s.Pitch = std::clamp(s.Pitch, 300, 1200);
    s.Bandwidth = std::clamp(s.Bandwidth, 300, 1000);
    s.Volume = std::clamp(s.Volume, 0, 100);
    bool seedOk = false;
    s.Seed.toULongLong(&seedOk);
    if (!seedOk) {
        s.Seed.clear();
    }
    return s;
}

void WritePracticeSettings(platform::IniDocument& ini, const PracticeSettings& settings) {
    PracticeSettings s = settings;
    struct {
        platform::IniDocument& ini;
        void operator()(const char* k, int& v) { ini.WriteInteger(kPracticeSection, k, v); }
        void operator()(const char* k, bool& v) { ini.WriteBool(kPracticeSection, k, v); }
        void operator()(const char* k, QString& v) { ini.WriteString(kPracticeSection, k, v); }
    } writer{ini};
    Keys(writer, s);
}

PracticeSettings LoadPracticeSettings(const platform::IniFile& file) {
    return ReadPracticeSettings(file.Load());
}

void SavePracticeSettings(const platform::IniFile& file, const PracticeSettings& settings) {
    platform::IniDocument doc = file.Load();
    WritePracticeSettings(doc, settings);
    file.Save(doc);
}

std::pair<int, int> CallerSpeedRange(const PracticeSettings& s, int operatorSpeed) {
    const int speed = std::clamp(operatorSpeed > 0 ? operatorSpeed : 25, kMinWpm, kMaxWpm);
    const int lo = s.SpeedMin > 0 ? s.SpeedMin : std::max(kMinWpm, speed - kSpeedSpread);
    const int hi = s.SpeedMax > 0 ? s.SpeedMax : std::min(kMaxWpm, speed + kSpeedSpread);
    return {std::min(lo, hi), std::max(lo, hi)};
}

BandSettings MakeBandSettings(const PracticeSettings& s, const QString& myCall, int operatorSpeed) {
    BandSettings b;
    b.style = s.Style;
    b.activity = s.Activity;
    std::tie(b.minWpm, b.maxWpm) = CallerSpeedRange(s, operatorSpeed);
    b.pitchHz = s.Pitch;
    b.bandwidthHz = s.Bandwidth;
    b.qsb = s.Qsb;
    b.qrm = s.Qrm;
    b.lids = s.Lids;
    b.myCall = myCall;
    return b;
}

ReceiverSettings MakeReceiverSettings(const PracticeSettings& s) {
    ReceiverSettings r;
    r.pitchHz = s.Pitch;
    r.bandwidthHz = s.Bandwidth;
    r.qrn = s.Qrn;
    return r;
}

MixerSettings MakeMixerSettings(const PracticeSettings& s) {
    MixerSettings m;
    m.qsk = s.Qsk;
    m.volume = float(s.Volume) / 100.0f;
    m.sidetoneHz = s.Pitch;
    return m;
}

QString SettingsText(const PracticeSettings& s, int operatorSpeed) {
    const auto [lo, hi] = CallerSpeedRange(s, operatorSpeed);
    const QString style = s.Style == PracticeStyle::Pileup ? QStringLiteral("Run, kopica")
                          : s.Style == PracticeStyle::SingleCaller
                              ? QStringLiteral("Run, en klicatelj")
                              : QStringLiteral("S/P");
    QStringList effects;
    const std::pair<bool, const char*> flags[] = {
        {s.Qrn, "QRN"}, {s.Qsb, "QSB"}, {s.Qrm, "QRM"}, {s.Lids, "LID"}, {s.Qsk, "QSK"}};
    for (const auto& [on, name] : flags) {
        if (on) {
            effects << QString::fromLatin1(name);
        }
    }
    return QStringLiteral("%1, aktivnost %2, hitrost %3-%4 WPM, ton %5 Hz, pasovna širina %6 Hz%7")
        .arg(style)
        .arg(s.Activity)
        .arg(lo)
        .arg(hi)
        .arg(s.Pitch)
        .arg(s.Bandwidth)
        .arg(effects.isEmpty() ? QString()
                               : QStringLiteral(", ") + effects.join(QStringLiteral(", ")));
}

}  // namespace corvatta::practice
