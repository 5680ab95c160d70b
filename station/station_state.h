// Every piece of state the logger's windows share: operator data, keyer
// settings and runtime flags, the entry line's state, the log's state,
// dates and times, and the colour texts. One StationState is created in
// main() and handed by reference to the windows; nothing else is global.
#pragma once

#include <QDate>
#include <QString>
#include <array>

namespace corvatta {

// Colour texts, $00BBGGRR.
namespace colors {
inline const QString ColorPortOpen = QStringLiteral("$00FFEEAA");  // light blue
inline const QString ColorBusy = QStringLiteral("$00AAAAFF");      // light red, also "not valid"
inline const QString ColorReady = QStringLiteral("$00A5FDBF");     // light green, also "valid"
inline const QString ColorPlain = QStringLiteral("$00FFFFFF");     // white
inline const QString ColorRed = QStringLiteral("$000000FF");
inline const QString ColorBlack = QStringLiteral("$00000000");
inline const QString ColorBlue = QStringLiteral("$00FF0000");
inline const QString ColorFieldOk = QStringLiteral("$00F0FBFF");     // cream, 15793151
inline const QString ColorFieldWrong = QStringLiteral("$0011A5FF");  // orange, 1156607
}  // namespace colors

// The operator's own data, named after the settings keys.
struct OperatorData {
    QString MyCall;
    QString MyYearLic;
    QString Mode;  // "CW" or "SSB": the mode of the next contact
    QString MyClub;
    QString MyName;
    QString MyAddress;
    QString MyAddress1;
    QString MyEmail;
    // Derived.
    QString FileCall;  // MyCall with "/" replaced by "_"
    QString Category;  // Cabrillo category text
};

// Settings that live in controls of the main window's data panel; the
// values here are the controls' design values.
struct PanelSettings {
    int EMode = -1;  // 0 CW, 1 SSB, 2 MIX, -1 nothing selected
    int EPower = 1;  // 0 HIGH, 1 LOW, 2 QRP
    bool RKChk = false;
    bool AutoS5 = false;
    bool AutoLL = false;
};

struct ViewSettings {
    int MainTop = 114;
    int MainLeft = 1067;
    bool VisibleASCI = false;
    bool VisibleMemo = false;
    int WKTop = 211;
    int WKLeft = 994;
};

// The keyer's stored settings.
struct KeyerSettings {
    bool ComAuto = false;
    bool ComConnected = false;
    bool RunMode = false;
    bool EnterSendMsg = false;
    int Speed = 0;
    int SpeedUp = 0;
    int SpeedMode = 0;
    int SpeedMin = 0;
    int SpeedMax = 0;
    int SpeedStep = 0;
    int Sidetone = 0;
    // Mode-register and paddle options.
    bool PaddleWatchdog = false;
    bool PaddleEcho = false;
    bool PaddleSwap = false;
    bool SerialEcho = false;
    bool AutoSpace = false;
    bool WordSpace = false;
    int PaddleMode = 0;
    bool SidetonePaddle = false;
    // Timing values, kept as the text the operator typed.
    QString Lead;
    QString Tail;
    QString FirstCarExt;
    QString KeyComp;
    QString Ratio;
    int HangTime = 0;
    // Last values written to three keyer registers.
    int E0 = 0;
    int R01 = 0;
    int R09 = 0;
};

// The nine messages of one set, F1..F9 at index 0..8.
using MessageSet = std::array<QString, 9>;

struct MessageSets {
    MessageSet Run;     // F1..F9
    MessageSet SP;      // F1s..F9s
    MessageSet Visual;  // F1Text..F9Text
};

struct ShortCharOptions {
    bool LicCheck = false;  // "# myLIC"
    bool Short0T = false;
    bool Short0O = false;
    bool Short9N = false;
};

// Written by the keyer, read by the entry line.
struct KeyerFlags {
    bool KeyerReady = false;
    bool TuneOn = false;
    bool Transmitting = false;
    bool PaddleActive = false;
    bool ExchangePending = false;
    int KeyerVersion = 0;
    int PaddleSpeed = 0;
    QString LastMessageKey;
};

// Where the Run/S-P sequence of the entry line stands. The values are the
// step numbers the sequence has always had, which is why 3 is missing.
enum class EntryStep : int {
    Idle = 0,
    ExchangeSent = 1,  // Run: the callsign and exchange went out, the year is awaited
    ClosingDue = 2,    // Run: the contact is being logged, the closing message follows
    Closed = 4,        // the contact is logged; the next Enter starts afresh
    SearchLogged = 5,  // S/P: the exchange went out and the contact is being logged
};

// What the entry line holds and where the Run/S-P sequence stands.
struct EntryData {
    QString CurrentCall;
    QString CurrentLicYear;
    bool ThirdNotDigit = false;
    bool NotSlovenian = false;
    bool CallTooShort = false;
    bool CallTooLong = false;  // more than the log file's columns hold
    bool CallInvalid = false;
    bool YearBad = false;
    bool YearMissing = false;
    bool YearInvalid = false;
    bool IsDupe = false;
    bool NewMult = false;
    bool WorkedOtherMode = false;
    bool YearNewOtherMode = false;
    QString LookupKey;
    EntryStep EntryState = EntryStep::Idle;
    QString SentCall;
    QString ShownCall;  // what the callsign label shows: the callsign or what is wrong with it
    QString LastLoggedCall;
    bool CallCorrected = false;
    int EntryLength = 0;
};

struct LogState {
    int QsoCount = 0;
    bool HasLines = false;
    QString ContestDate;  // "yyyy-mm-dd"
    bool EditArmed = false;
    bool LogModified = false;
    bool OwnYearMissing = true;
};

struct DatesAndTimes {
    QDate Today;
    QDate Yesterday;
    QDate LastDate;
    bool FirstStartToday = false;
    QString UtcTime;      // "hh:mm"
    QString CurrentYear;  // UTC year at start, "yy"
};

struct StationState {
    OperatorData op;
    PanelSettings panel;
    ViewSettings view;
    KeyerSettings keyer;
    MessageSets messages;
    ShortCharOptions shortChars;
    KeyerFlags flags;
    EntryData entry;
    LogState log;
    DatesAndTimes dates;

    // Main window flags.
    bool CallValid = false;
    bool YearValid = false;
    bool DataValid = false;
    QString PreviousCall;
    bool ProfileKeysEnabled = false;
    bool AutoS5Flag = false;
    bool AutoLLFlag = false;
    bool SuggestLicenceYear = false;
    bool AutoPrefixRequest = false;
    int WindowsVersion = 0;
};

}  // namespace corvatta
