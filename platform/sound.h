// Sounds of the programs: a wave file and a plain tone. Both start and return
// at once; on a machine without an audio device (a server, Xvfb) they are
// silent, and nothing is ever reported.
#pragma once

#include <QString>

namespace platform {

// Plays a wave file. A name without a directory is looked for in the current
// directory first, then in the program directory. False when nothing plays.
bool PlaySoundFile(const QString& fileName);

// A sine tone of the given frequency and length. False when nothing plays.
bool Beep(int frequencyHz, int durationMs);

// What was asked for: a file name as given, or a tone.
struct SoundRequest {
    QString fileName;
    int frequencyHz = 0;
    int durationMs = 0;
};

// Tests replace the real output so they can see what would sound.
using SoundHook = bool (*)(const SoundRequest& request);
void SetSoundHook(SoundHook hook);

}  // namespace platform
