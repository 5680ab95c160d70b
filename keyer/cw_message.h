// Turning a CW message text into the bytes written to the keyer: the short
// characters for numbers, the macro characters for calls, year and speed,
// and the speed command in front.
#pragma once

#include "station/station_state.h"

#include <QByteArray>
#include <QString>

namespace corvatta::keyer {

// What the macros insert, read at the moment the message is built.
struct MessageValues {
    QString MyCall;
    QString MyYearLic;
    QString CurrentCall;
    QString LastLoggedCall;
    int Speed = 0;
    int SpeedUp = 0;
    int SpeedMode = 0;
};

MessageValues CurrentMessageValues(const StationState& state);

// "#" as the own year (with "# myLIC"), then "0" as "T" or "O" and "9" as
// "N"; works on the message text only, before any callsign is inserted.
// Running it twice gives what running it once does.
void ApplyShortCharacters(QString& message, const ShortCharOptions& options,
                          const QString& myYearLic);

// Replaces the macro characters in order: "*" own call, "!" the
// correspondent's call, "#" own year, "$" last logged call, "<" and ">"
// buffered speed up and down, "%" back to the normal speed; with SpeedMode 0
// the message starts with the PC speed. Returns the bytes to write.
//
// A speed byte that "<" or ">" inserted is never taken for a macro character
// by a later step (37 is "%", 62 is ">"), and every speed sent, the one in
// front included, is kept to 5..99 WPM so that a stored value or a large
// factor cannot wrap round to nonsense. Between the commands only text is
// sent: tabs and line breaks as blanks, other control characters and macro
// characters that an inserted value brought along left out.
QByteArray ExpandMessageMacros(const QString& message, const MessageValues& values);

// The whole message as SendCwMessage writes it: "?" for an empty text, one
// space after the text, short characters, then the macros.
QByteArray BuildCwMessage(const QString& text, const ShortCharOptions& options,
                          const MessageValues& values);

}  // namespace corvatta::keyer
