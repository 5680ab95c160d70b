#include "settings.h"

#include "logger/qso_line.h"
#include "platform/program_dir.h"
#include "station/settings_files.h"

namespace corvatta {

namespace {

const QString kGeneral = QStringLiteral("GENERAL");
const QString kView = QStringLiteral("VIEW");
const QString kInfo = QStringLiteral("INFO");
const QString kWk = QStringLiteral("WK");
const QString kMemo = QStringLiteral("Memo");
const QString kShortChar = QStringLiteral("SHORT CHAR");
const QString kWkSetup = QStringLiteral("WKSetup");
const QString kRegister = QStringLiteral("REGISTER");

// One description of every key drives both reading and writing, so the two
// can never disagree on order, names or types.
class Reader {
  public:
    explicit Reader(const platform::IniDocument& ini) : ini_(ini) {}
    void Str(const QString& s, const char* k, QString& v) { v = ini_.ReadString(s, k, v); }
    void Int(const QString& s, const char* k, int& v) { v = ini_.ReadInteger(s, k, v); }
    void Bool(const QString& s, const char* k, bool& v) { v = ini_.ReadBool(s, k, v); }

  private:
    const platform::IniDocument& ini_;
};

class Writer {
  public:
    explicit Writer(platform::IniDocument& ini) : ini_(ini) {}
    void Str(const QString& s, const char* k, const QString& v) { ini_.WriteString(s, k, v); }
    void Int(const QString& s, const char* k, int v) { ini_.WriteInteger(s, k, v); }
    void Bool(const QString& s, const char* k, bool v) { ini_.WriteBool(s, k, v); }

  private:
    platform::IniDocument& ini_;
};

template <typename Io, typename State>
void GeneralKeys(Io& io, const QString& section, State& s) {
    io.Str(section, "MyCall", s.op.MyCall);
    io.Str(section, "MyYearLic", s.op.MyYearLic);
    io.Str(section, "Mode", s.op.Mode);
    io.Int(section, "EMode", s.panel.EMode);
    io.Int(section, "EPower", s.panel.EPower);
    io.Bool(section, "RKChk", s.panel.RKChk);
    io.Str(section, "MyClub", s.op.MyClub);
    io.Str(section, "MyName", s.op.MyName);
    io.Str(section, "MyAddress", s.op.MyAddress);
    io.Str(section, "MyAddress1", s.op.MyAddress1);
    io.Str(section, "MyEmail", s.op.MyEmail);
    io.Bool(section, "AutoS5", s.panel.AutoS5);
    io.Bool(section, "AutoLL", s.panel.AutoLL);
}

template <typename Io, typename State>
void ViewKeys(Io& io, State& s) {
    io.Int(kView, "MainTop", s.view.MainTop);
    io.Int(kView, "MainLeft", s.view.MainLeft);
    io.Bool(kView, "VisibleASCI", s.view.VisibleASCI);
    io.Bool(kView, "VisibleMemo", s.view.VisibleMemo);
}

template <typename Io, typename State>
void KeyerKeys(Io& io, State& s) {
    auto& k = s.keyer;
    io.Bool(kWk, "ComAuto", k.ComAuto);
    io.Bool(kWk, "ComConnected", k.ComConnected);
    io.Bool(kWk, "RunMode", k.RunMode);
    io.Bool(kWk, "EnterSendMsg", k.EnterSendMsg);
    io.Int(kWk, "Speed", k.Speed);
    io.Int(kWk, "SpeedUp", k.SpeedUp);
    io.Int(kWk, "SpeedMode", k.SpeedMode);
    io.Int(kWk, "SpeedMin", k.SpeedMin);
    io.Int(kWk, "SpeedMax", k.SpeedMax);
    io.Int(kWk, "SpeedStep", k.SpeedStep);
    io.Int(kWk, "Sidetone", k.Sidetone);
}

template <typename Io, typename State>
void MemoKeys(Io& io, State& s) {
    static const char* const run[] = {"F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9"};
    static const char* const sp[] = {"F1s", "F2s", "F3s", "F4s", "F5s", "F6s", "F7s", "F8s", "F9s"};
    static const char* const visual[] = {"F1Text", "F2Text", "F3Text", "F4Text", "F5Text",
                                         "F6Text", "F7Text", "F8Text", "F9Text"};
    for (int i = 0; i < 9; ++i)
        io.Str(kMemo, run[i], s.messages.Run[i]);
    for (int i = 0; i < 9; ++i)
        io.Str(kMemo, sp[i], s.messages.SP[i]);
    for (int i = 0; i < 9; ++i)
        io.Str(kMemo, visual[i], s.messages.Visual[i]);
}

template <typename Io, typename State>
void ShortCharKeys(Io& io, State& s) {
    io.Bool(kShortChar, "Lic Check", s.shortChars.LicCheck);
    io.Bool(kShortChar, "Short0T Check", s.shortChars.Short0T);
    io.Bool(kShortChar, "Short0O Check", s.shortChars.Short0O);
    io.Bool(kShortChar, "Short9N Check", s.shortChars.Short9N);
}

template <typename Io, typename State>
void KeyerSetupKeys(Io& io, State& s) {
    auto& k = s.keyer;
    io.Bool(kWkSetup, "PaddleWatchdog", k.PaddleWatchdog);
    io.Bool(kWkSetup, "PaddleEcho", k.PaddleEcho);
    io.Bool(kWkSetup, "PaddleSwap", k.PaddleSwap);
    io.Bool(kWkSetup, "SerialEcho", k.SerialEcho);
    io.Bool(kWkSetup, "AutoSpace", k.AutoSpace);
    io.Bool(kWkSetup, "WordSpace", k.WordSpace);
    io.Int(kWkSetup, "PaddleMode", k.PaddleMode);
    io.Bool(kWkSetup, "SidetonePaddle", k.SidetonePaddle);
    io.Str(kWkSetup, "Lead", k.Lead);
    io.Str(kWkSetup, "Tail", k.Tail);
    io.Str(kWkSetup, "FirstCarExt", k.FirstCarExt);
    io.Str(kWkSetup, "KeyComp", k.KeyComp);
    io.Str(kWkSetup, "Ratio", k.Ratio);
    io.Int(kWkSetup, "HangTime", k.HangTime);
    io.Int(kRegister, "E0", k.E0);
    io.Int(kRegister, "R01", k.R01);
    io.Int(kRegister, "R09", k.R09);
}

// Every part of the program knows two modes; anything else a hand-edited
// file holds would be logged as its own text while the log file says CW, so
// it is CW from the start, as the log file has always taken it.
void KeepModeKnown(OperatorData& op) {
    if (op.Mode != kModeSsb) {
        op.Mode = kModeCw;
    }
}

}  // namespace

QString SettingsFileName() {
    return platform::ProgramDirectory() + kSettingsFile;
}

QString FormatLastDate(const QDate& date) {
    return date.toString(QStringLiteral("dd.MM.yyyy"));
}

QDate ParseLastDate(const QString& text) {
    return QDate::fromString(text.trimmed(), QStringLiteral("dd.MM.yyyy"));
}

void LoadSettings(const platform::IniDocument& ini, StationState& state) {
    Reader r(ini);
    GeneralKeys(r, kGeneral, state);
    KeepModeKnown(state.op);
    ViewKeys(r, state);
    const QDate last = ParseLastDate(ini.ReadString(kInfo, "LastDate", QString()));
    if (last.isValid()) {
        state.dates.LastDate = last;
    }
    KeyerKeys(r, state);
    MemoKeys(r, state);
    ShortCharKeys(r, state);
    KeyerSetupKeys(r, state);
    if (state.keyer.SpeedStep != 1 && state.keyer.SpeedStep != 2) {
        state.keyer.SpeedStep = 1;
    }
}

void SaveSettings(const StationState& state, platform::IniDocument& ini) {
    Writer w(ini);
    GeneralKeys(w, kGeneral, state);
    ViewKeys(w, state);
    ini.WriteString(kInfo, "LastDate", FormatLastDate(state.dates.Today));
    KeyerKeys(w, state);
    MemoKeys(w, state);
    ShortCharKeys(w, state);
    KeyerSetupKeys(w, state);
}

void LoadProfile(const platform::IniDocument& ini, int n, StationState& state) {
    if (n < 1 || n > 4) {
        return;
    }
    Reader r(ini);
    GeneralKeys(r, QStringLiteral("CALL%1").arg(n), state);
    KeepModeKnown(state.op);
}

QString ComputeCategory(int powerIndex, int modeIndex) {
    static const char* const powers[] = {"HIGH", "LOW", "QRP"};
    static const char* const modes[] = {"CW", "SSB", "MIXED"};
    if (powerIndex < 0 || powerIndex > 2 || modeIndex < 0 || modeIndex > 2) {
        return {};
    }
    return QStringLiteral("SINGLE-OP 80M %1 %2")
        .arg(QLatin1String(powers[powerIndex]), QLatin1String(modes[modeIndex]));
}

}  // namespace corvatta
