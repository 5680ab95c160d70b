// The practice options of the command line: --practice starts a session at
// once with the stored set-up; --seed, --minutes and --record change it for
// that session only.
#pragma once

#include "practice/practice_settings.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace corvatta::practice {

struct PracticeOptions {
    bool practice = false;
    std::optional<QString> seed;
    std::optional<int> minutes;
    std::optional<QString> record;  // a WAV file
    // Why the arguments cannot be taken; empty when they can.
    QString error;
};

// The longest session the command line may ask for, in minutes.
inline constexpr int kMaxOptionMinutes = 240;

// Reads the options from the program's arguments (the first is the
// program); other arguments are left to the toolkit. Both "--seed N" and
// "--seed=N" are taken.
PracticeOptions ParsePracticeOptions(const QStringList& arguments);

// The stored set-up with the options' changes.
PracticeSettings ApplyOptions(PracticeSettings settings, const PracticeOptions& options);

// The lines --help adds for them.
inline constexpr const char* kPracticeOptionsHelp =
    "      --practice       start a practice session at once, with the stored set-up\n"
    "      --seed N         the session's seed: the same seed replays the same band\n"
    "      --minutes M      the session's length in minutes (1 to 240)\n"
    "      --record FILE    record what is heard to FILE (a WAV file)\n";

}  // namespace corvatta::practice
