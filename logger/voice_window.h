// The "Glasovna sporočila" window and what stands behind it for the whole
// session: the sound streams, the voice keyer and the recorder. The window
// lists the 18 messages with their length, plays, records and deletes them,
// and sets the devices and the PTT; it is built the first time it is opened.
#pragma once

#include "logger/rig_link.h"
#include "logger/voice_keyer.h"
#include "logger/voice_settings.h"
#include "platform/audio_stream.h"

#include <QPointer>
#include <QWidget>

#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace serial {
class TCustomComPort;
}

namespace corvatta {

class TfMain;

class VoiceWindow final : public QWidget {
    Q_OBJECT

  public:
    VoiceWindow(VoiceKeyer& keyer, VoiceRecorder& recorder, QWidget* parent = nullptr);
    // The list and the devices as they are now.
    void Refresh();

    QTableWidget* Messages;
    QPushButton* BPlay;
    QPushButton* BRecord;
    QPushButton* BDelete;
    QCheckBox* CBEnabled;
    QComboBox* CBOutput;
    QComboBox* CBInput;
    QComboBox* CBPtt;
    QLineEdit* EPttPort;
    QSpinBox* SLead;
    QSpinBox* STail;
    QPushButton* BSave;
    QLabel* LStatus;

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  signals:
    void settingsChosen(const VoiceSettings& settings);

  private:
    void ShowSettings(const VoiceSettings& settings);
    VoiceSettings ChosenSettings() const;
    bool Selected(VoiceSet* set, int* n) const;
    void PlaySelected();
    void RecordSelected();
    void DeleteSelected();
    void ShowStatus(const QString& text);

    VoiceKeyer& keyer_;
    VoiceRecorder& recorder_;
};

// Owns the voice keyer for the program and opens its window from "Ostalo".
// Reads [VOICE] of Corvattaini.ini at the start and writes it only when the
// window saves.
class VoiceWindows final : public QObject {
    Q_OBJECT

  public:
    explicit VoiceWindows(TfMain& main);
    ~VoiceWindows() override;

    // The keyer, set up with the settings and the main window's rig link.
    VoiceKeyer& Keyer();
    // The same keyer as it is, to connect to its signals: a PTT port is not
    // opened for the voice keyer before it is used.
    VoiceKeyer& KeyerAsIs() { return keyer_; }
    VoiceRecorder& Recorder() { return recorder_; }
    // The settings read at the start or saved since.
    const VoiceSettings& Settings() const { return settings_; }
    // A recording started or ended outside the window: the list shows it.
    void RecordingChanged();
    void Open();
    VoiceWindow* BuiltWindow() { return window_.get(); }

  private:
    void Save(const VoiceSettings& settings);

    TfMain& main_;
    platform::AudioOutput output_;
    platform::AudioInput input_;
    VoiceKeyer keyer_;
    VoiceRecorder recorder_;
    VoiceSettings settings_;
    QPointer<RigLink> configuredRig_;
    serial::TCustomComPort* configuredPort_ = nullptr;
    bool configured_ = false;
    std::unique_ptr<VoiceWindow> window_;
};

}  // namespace corvatta
