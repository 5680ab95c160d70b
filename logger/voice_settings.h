// The voice keyer's settings, section [VOICE] of Corvattaini.ini. Off unless
// the operator turns it on; a file without the section reads as the defaults
// and is not written to until the voice messages window changes something.
#pragma once

#include <QString>

namespace platform {
class IniDocument;
}

namespace corvatta {

enum class PttKind { None, Rts, Dtr, Rig };

struct VoiceSettings {
    bool Enabled = false;
    PttKind Ptt = PttKind::None;
    QString PttPort;
    int Lead = 50;   // ms from keying to the first sound
    int Tail = 100;  // ms from the last sound to release
    QString Output;  // device names; empty is the default device
    QString Input;
};

// "none", "rts", "dtr", "rig"; an unknown text reads as nothing.
QString PttKindText(PttKind kind);
bool ParsePttKind(const QString& text, PttKind* kind);

// Reads [VOICE] with the values in `settings` as defaults. Lead and tail
// outside 0..2000 ms keep the default: a typo must not hold the transmitter.
void LoadVoiceSettings(const platform::IniDocument& ini, VoiceSettings& settings);
void SaveVoiceSettings(const VoiceSettings& settings, platform::IniDocument& ini);

}  // namespace corvatta
