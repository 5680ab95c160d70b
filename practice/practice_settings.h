// The practice set-up as the operator last chose it, kept in its own section
// of Corvattaini.ini ([PRACTICE]); and what the band, the receiver and the
// mixer take from it.
#pragma once

#include "platform/ini_file.h"
#include "practice/band_audio.h"
#include "practice/practice_band.h"

#include <QString>

namespace corvatta::practice {

struct PracticeSettings {
    int Minutes = 30;  // 10, 30, 60 or 120
    PracticeStyle Style = PracticeStyle::Pileup;
    int Activity = 3;  // 1..9
    // The callers' speed range; 0 follows the operator's Speed, 4 WPM
    // either side.
    int SpeedMin = 0;
    int SpeedMax = 0;
    int Pitch = 600;      // Hz
    int Bandwidth = 500;  // Hz, 300..1000
    bool Qrn = true;
    bool Qsb = true;
    bool Qrm = false;
    bool Lids = false;
    bool Qsk = true;
    int Volume = 70;  // percent
    bool Record = false;
    QString RecordFile;
    // Empty: a new seed each session. Kept as text: a seed is 64 bits.
    QString Seed;
};

inline const QString kPracticeSection = QStringLiteral("PRACTICE");

// Values out of range are brought back to the nearest allowed one (a
// duration not offered to the default), so a hand-edited file cannot start
// a band of 40 callers.
PracticeSettings ReadPracticeSettings(const platform::IniDocument& ini);
void WritePracticeSettings(platform::IniDocument& ini, const PracticeSettings& settings);
PracticeSettings LoadPracticeSettings(const platform::IniFile& file);
// Throws platform::IniWriteError when the file cannot be written.
void SavePracticeSettings(const platform::IniFile& file, const PracticeSettings& settings);

// The speed range in force for the operator's speed.
std::pair<int, int> CallerSpeedRange(const PracticeSettings& settings, int operatorSpeed);
BandSettings MakeBandSettings(const PracticeSettings& settings, const QString& myCall,
                              int operatorSpeed);
ReceiverSettings MakeReceiverSettings(const PracticeSettings& settings);
MixerSettings MakeMixerSettings(const PracticeSettings& settings);
// The set-up in a line for the results text.
QString SettingsText(const PracticeSettings& settings, int operatorSpeed);

}  // namespace corvatta::practice
