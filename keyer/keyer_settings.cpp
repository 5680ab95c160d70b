#include "keyer/keyer_settings.h"

#include "serial/com_ini.h"

#include "platform/errors.h"
#include "platform/ini_file.h"
#include "platform/program_dir.h"
#include "station/settings_files.h"

namespace corvatta::keyer {

namespace {

const QString kView = QStringLiteral("VIEW");
const QString kTop = QStringLiteral("WKTop");
const QString kLeft = QStringLiteral("WKLeft");

}  // namespace

QString PortProfileFileName() {
    return platform::ProgramDirectory() + kPortProfileFile;
}

std::optional<QString> ReadKeyerPortSettings(serial::TCustomComPort& port, ViewSettings& view) {
    const QString file = PortProfileFileName();
    std::optional<QString> failure;
    try {
        port.LoadFromIni(file);
    } catch (const platform::Error& e) {
        failure = e.message();
    }
    const platform::IniDocument doc = platform::IniFile(file).Load();
    view.WKTop = doc.ReadInteger(kView, kTop, view.WKTop);
    view.WKLeft = doc.ReadInteger(kView, kLeft, view.WKLeft);
    return failure;
}

void WriteKeyerPortSettings(const serial::TCustomComPort& port, const ViewSettings& view,
                            const std::optional<QString>& portName) {
    const QString file = PortProfileFileName();
    const platform::IniFile ini(file);
    platform::IniDocument doc = ini.Load();
    doc.WriteInteger(kView, kTop, view.WKTop);
    doc.WriteInteger(kView, kLeft, view.WKLeft);
    ini.Save(doc);
    port.SaveToIni(file);
    if (portName) {
        serial::TComSettings own = port.Settings();
        own.Port = *portName;
        platform::IniDocument saved = ini.Load();
        serial::WriteComSettings(saved, port.IniSection(), own);
        ini.Save(saved);
    }
}

}  // namespace corvatta::keyer
