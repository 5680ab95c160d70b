// The entry line's checks: splits the entry into callsign and licence year,
// applies the contest rules, looks the pair up in the log, predicts the year,
// and says what the window must show. Pure: the window applies the result.
#pragma once

#include "logger/qso_log_model.h"
#include "station/station_state.h"

#include <QString>

#include <functional>
#include <optional>

namespace corvatta {

class LicenceTable;

inline const QString kMsgThirdNotDigit = QStringLiteral("3 element znaka obvezna številka !");
inline const QString kMsgNotSlovenian = QStringLiteral("Ni pozivni znak za Slovenijo !");
inline const QString kMsgCallTooLong = QStringLiteral("Predolg pozivni znak !");
inline const QString kMsgYearNotNumber = QStringLiteral("Množitelj ni številka, napačno !");
inline const QString kMsgYearNotPossible = QStringLiteral("Množitelj ni mogoč, napačno !");
inline const QString kMsgDupe = QStringLiteral("DVOJNA ZVEZA");

// True when every character is "0" to "9"; true for the empty text.
bool IsAllDigits(const QString& text);

struct ValidationInput {
    QString EntryText;         // ECall
    QString EditLLText;        // EditLL as it stands now
    QString Mode;              // the mode of the next contact
    bool MixCategory = false;  // EMode is MIX
    QString CurrentYear;       // "yy", UTC year at start
    bool SuggestLicenceYear = false;
    // Indicator visibility as it stands; kept outside MIX.
    bool ShapeQSOVisible = false;
    bool ShapeMultVisible = false;
};

struct ValidationResult {
    EntryData Entry;  // the new entry state (the previous one, updated)
    QString LInfo;
    QString LError;
    QString LDouble;
    QString LMult;
    // Colour texts for the callsign (Shape) and year (Shape1) marks; unset
    // when an entry of fewer than 2 characters leaves them as they were.
    std::optional<QString> ShapeColor;
    std::optional<QString> Shape1Color;
    bool ShapeQSOVisible = false;
    bool ShapeMultVisible = false;
    // The text EditLL must show; unset when it stays as it is.
    std::optional<QString> EditLL;
    // EditLL gets a different text: its change handler runs the checks once
    // more (the window does that, then the entry-line checks that follow
    // every validation).
    bool EditLLChanged = false;
};

// Look-ups the checks need; the standard ones use the log's index and the
// licence table's hash. Tests and benchmarks pass literal scans.
using LogMatcher =
    std::function<LogMatches(const QString& call, const QString& licYear, const QString& mode,
                             const QString& otherMode, bool mixCategory)>;
using LicencePredictor = std::function<std::optional<QString>(const QString& callsign)>;

ValidationResult ValidateEntry(const ValidationInput& input, const EntryData& previous,
                               const QsoLogModel& log, const LicenceTable& licences);
ValidationResult ValidateEntryWith(const ValidationInput& input, const EntryData& previous,
                                   const LogMatcher& matchLog, const LicencePredictor& predict);

// Whether the entry may be logged: no rule complains, and there is a
// callsign and a licence year on a line of at least 2 characters. The flags
// start false and survive ClearEntry, so they alone would let Enter log an
// empty contact.
bool IsValidForLogging(const EntryData& entry, const QString& entryText);

// Forgets the current entry after a contact (the window clears LInfo, LError,
// LMult and EditLL). The validity flags are deliberately left alone.
void ClearEntry(EntryData& entry);

QString OtherMode(const QString& mode);

// The operator panel's own callsign: contains "S5" (any case) and has 4 to
// 12 characters, so that every line written with it keeps its columns.
bool IsOwnCallValid(const QString& myCall);

}  // namespace corvatta
