// The logger's two settings files: Corvattaini.ini (operator data, view,
// keyer options, messages; read at start, written at close) and Corvatta.ini
// (keyer window position, serial port, operator profiles CALL1..CALL4).
// Every read takes the value in memory as its default, so a missing file,
// section or key changes nothing.
#pragma once

#include "keyer/keyer_settings.h"
#include "platform/ini_file.h"
#include "station/station_state.h"

namespace corvatta {

QString SettingsFileName();  // program directory + "Corvattaini.ini"
// The port and profile file belongs to the keyer's settings, which read it first.
using keyer::PortProfileFileName;

// "LastDate" is written in one fixed form so that a file written and read
// on the same machine always round-trips, whatever the locale.
QString FormatLastDate(const QDate& date);
QDate ParseLastDate(const QString& text);  // invalid date when unreadable

void LoadSettings(const platform::IniDocument& ini, StationState& state);
void SaveSettings(const StationState& state, platform::IniDocument& ini);

// Reads section "CALL<n>" of the port and profile file over the current
// values. n outside 1..4 changes nothing.
void LoadProfile(const platform::IniDocument& ini, int n, StationState& state);

// "SINGLE-OP 80M <power> <mode>" from the list positions; empty when either
// is not one of the listed entries.
QString ComputeCategory(int powerIndex, int modeIndex);

}  // namespace corvatta
