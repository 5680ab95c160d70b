// A practice session run in the program: the built-in keyer takes the place
// of the keyer's serial port for the session, the main window shows the
// practice log, the band is heard through the default sound output (or, with
// none, rendered silently on a timer, so the session and its recording go
// on), and at the end the practice log is checked against what the stations
// logged, written beside the log and added to the history. The contest log,
// its copies and the keyer's own port come back as they were.
#pragma once

#include "practice/practice_options.h"
#include "practice/practice_session.h"
#include "practice/verification.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <optional>
#include <vector>

namespace platform {
class AudioOutput;
class Clock;
}  // namespace platform

namespace corvatta {

class TfMain;
struct StationState;
namespace keyer {
class KeyerLink;
}
namespace practice {
class VirtualKeyerPort;
}

// What a finished (or running) session came to.
struct PracticeResults {
    practice::SessionSummary summary;
    practice::Verification verification;
    QVector<practice::HistoryEntry> history;
    // Where the results were written, or why they could not be.
    QString fileNote;
};

class PracticeMode : public QObject {
    Q_OBJECT

  public:
    PracticeMode(TfMain& main, keyer::KeyerLink& keyer, StationState& state,
                 platform::Clock& clock);
    ~PracticeMode() override;

    // Starts a session with these settings: false, with Status() saying
    // why, when it cannot (one running, no own call, no pseudo-terminal, a
    // practice log that cannot be written). Nothing is changed then.
    bool Start(const practice::PracticeSettings& settings);
    // Ends the session: the results are made, written and kept in
    // LastResults(), the keyer's own port and the contest log come back.
    void Stop();
    bool Running() const { return session_ != nullptr; }
    // The program is closing: a session ends without its results shown.
    bool ProgramClosing() const { return programClosing_; }

    // Why the last start failed, or what the running session lacks (no
    // sound, a recording that stopped); empty when all is well.
    const QString& Status() const { return status_; }
    const std::optional<PracticeResults>& LastResults() const { return last_; }
    // The running session's results so far; nullopt when none runs.
    std::optional<PracticeResults> ResultsSoFar() const;

    practice::PracticeSession* Session() { return session_.get(); }
    practice::VirtualKeyerPort* Port() { return port_.get(); }
    platform::AudioOutput* Audio() { return audio_.get(); }
    QString PracticeLogFile() const;

    // The set-up kept in Corvattaini.ini.
    static practice::PracticeSettings StoredSettings();
    static void StoreSettings(const practice::PracticeSettings& settings);

  signals:
    void started();
    // The session ended; LastResults() holds its results.
    void finished();
    void statusChanged(const QString& status);

  private:
    void SetStatus(const QString& status);
    void PullOnTimer();
    void RenderOnTimer();
    double Seconds() const;
    qsizetype Pull(qint16* samples, qsizetype frames);
    void AfterRender();
    PracticeResults MakeResults(bool write) const;
    void RestoreKeyer();

    TfMain& main_;
    keyer::KeyerLink& keyer_;
    StationState& state_;
    platform::Clock& clock_;
    std::unique_ptr<practice::PracticeSession> session_;
    std::unique_ptr<practice::VirtualKeyerPort> port_;
    std::unique_ptr<platform::AudioOutput> audio_;
    QTimer pullTimer_;
    QElapsedTimer elapsed_;
    // The timer makes the sound (no device, or one that failed or stalled);
    // the session's time is then the wall clock plus the offset.
    bool onTimer_ = false;
    double clockOffset_ = 0;
    double lastPull_ = 0;
    std::vector<float> block_;
    QString status_;
    std::optional<PracticeResults> last_;
    bool ending_ = false;
    bool programClosing_ = false;
    // The keyer link as it was before the session.
    bool keyerWasOpen_ = false;
    bool keyerComConnected_ = false;
};

}  // namespace corvatta
