#include "logger/practice_mode.h"

#include "keyer/keyer_link.h"
#include "logger/licence_table.h"
#include "logger/log_file.h"
#include "logger/main_window.h"
#include "logger/qso_log_model.h"
#include "logger/scoring.h"
#include "logger/settings.h"
#include "platform/audio_stream.h"
#include "platform/clock.h"
#include "platform/errors.h"
#include "platform/ini_file.h"
#include "platform/program_dir.h"
#include "practice/virtual_keyer_port.h"
#include "station/station_state.h"

#include <QDir>
#include <QSet>
#include <algorithm>
#include <cmath>

namespace corvatta {

using practice::kSampleRate;

namespace {

// Blocks of sound are made at most this long: the band must hear the end
// of the operator's over before it is moved far past it (see
// PracticeSession::Render).
constexpr int kBlockFrames = kSampleRate / 50;  // 20 ms
// Without a sound device the sound is made on a timer this often, a little
// ahead of the clock.
constexpr int kPullIntervalMs = 10;
constexpr double kPullAheadSeconds = 0.03;
// A sound device that has not asked for sound this long has stalled.
constexpr double kStalledSeconds = 0.25;

QString HistoryFile() {
    return platform::ProgramDirectory() + QStringLiteral("vaja_history.txt");
}

// The score the logger's own scoring gives these rows.
long ScoreOf(std::vector<QsoRow> rows, const QString& myYear) {
    if (rows.empty()) {
        return 0;
    }
    rows.front()[Mult] = QStringLiteral("1");
    QsoLogModel model;
    const int count = int(rows.size());
    model.ReplaceRows(std::move(rows));
    try {
        return Recalculate(model, count, myYear).ESum.toLong();
    } catch (const ConversionError&) {
        return 0;
    }
}

}  // namespace

PracticeMode::PracticeMode(TfMain& main, keyer::KeyerLink& keyer, StationState& state,
                           platform::Clock& clock)
    : main_(main), keyer_(keyer), state_(state), clock_(clock) {
    pullTimer_.setTimerType(Qt::PreciseTimer);
    pullTimer_.setInterval(kPullIntervalMs);
    connect(&pullTimer_, &QTimer::timeout, this, &PracticeMode::PullOnTimer);
    // Closing the program ends the session before the window saves its
    // settings and copies the log.
    connect(&main_, &TfMain::closing, this, [this] {
        programClosing_ = true;
        if (Running()) {
            Stop();
        }
    });
}

PracticeMode::~PracticeMode() {
    if (Running()) {
        Stop();
    }
}

practice::PracticeSettings PracticeMode::StoredSettings() {
    try {
        return practice::LoadPracticeSettings(platform::IniFile(SettingsFileName()));
    } catch (const platform::Error&) {
        return {};
    }
}

void PracticeMode::StoreSettings(const practice::PracticeSettings& settings) {
    practice::SavePracticeSettings(platform::IniFile(SettingsFileName()), settings);
}

QString PracticeMode::PracticeLogFile() const {
    return platform::ProgramDirectory() + FileCallOf(state_.op.MyCall) +
           QStringLiteral("_vaja.log");
}

void PracticeMode::SetStatus(const QString& status) {
    if (status != status_) {
        status_ = status;
        emit statusChanged(status_);
    }
}

bool PracticeMode::Start(const practice::PracticeSettings& settings) {
    if (Running()) {
        SetStatus(QStringLiteral("Vaja že teče."));
        return false;
    }
    const QString myCall = state_.op.MyCall.trimmed().toUpper();
    if (myCall.size() < 3) {
        SetStatus(QStringLiteral("Za vajo najprej vpiši svoj klicni znak v podatke postaje."));
        return false;
    }
    if (state_.op.Mode != kModeCw) {
        SetStatus(QStringLiteral("Vaja je v telegrafiji: preklopi način na CW."));
        return false;
    }

    practice::SessionSetup setup;
    setup.settings = settings;
    setup.myCall = myCall;
    setup.operatorSpeed = state_.keyer.Speed > 0 ? state_.keyer.Speed : 25;
    // The stations of the program's licence list and of the built-in one,
    // each call once.
    QSet<QString> seen;
    const LicenceTable builtIn = LicenceTable::BuiltIn();
    for (const LicenceTable* table : {&main_.Licences(), &builtIn}) {
        for (const auto& [call, year] : table->Entries()) {
            if (!seen.contains(call)) {
                seen.insert(call);
                setup.stations.push_back({call, year});
            }
        }
    }
    setup.seed = practice::SessionSeed(settings);
    setup.start = platform::LocalToUtc(clock_.Now());
    if (settings.Record) {
        setup.recordFile =
            settings.RecordFile.isEmpty()
                ? platform::ProgramDirectory() +
                      setup.start.toString(QStringLiteral("'vaja_'yyyy-MM-dd_hhmm'.wav'"))
                : QDir(platform::ProgramDirectory()).absoluteFilePath(settings.RecordFile);
    }

    auto session = std::make_unique<practice::PracticeSession>(setup);
    auto* s = session.get();
    auto port = std::make_unique<practice::VirtualKeyerPort>(s->Keyer(), [s] { return s->Now(); });
    if (!port->Open()) {
        SetStatus(QStringLiteral("Vgrajenega ključa ni mogoče odpreti: %1").arg(port->Error()));
        return false;
    }
    try {
        main_.EnterPracticeLog(PracticeLogFile(),
                               QStringLiteral("VAJA – dnevnik %1")
                                   .arg(FileCallOf(myCall) + QStringLiteral("_vaja.log")));
    } catch (const platform::Error& e) {
        SetStatus(QStringLiteral("Dnevnika vaje ni mogoče pripraviti: %1").arg(e.message()));
        return false;
    }

    session_ = std::move(session);
    port_ = std::move(port);
    elapsed_.start();
    // With a sound device the sound is the session's clock: what the keyer
    // keys is heard one device buffer later, however late the device began
    // or however often it ran dry. The wall clock counts only while the
    // timer makes the sound.
    session_->SetClock([this] { return onTimer_ ? Seconds() + clockOffset_ : 0.0; });
    session_->SetRenderListener([this] { AfterRender(); });
    block_.assign(size_t(kBlockFrames), 0.0f);

    // The keyer link leaves the keyer's own port for the built-in keyer;
    // the port's name is given back at the end, before anything is saved.
    keyerWasOpen_ = keyer_.PortOpen() || keyer_.Reconnecting();
    keyerComConnected_ = state_.keyer.ComConnected;
    keyer_.StandIn(port_->PortPath());
    keyer_.OpenKeyer();

    QStringList notes;
    audio_ = std::make_unique<platform::AudioOutput>();
    if (!audio_->Open(QString(), kSampleRate, [this](qint16* samples, qsizetype frames) {
            return Pull(samples, frames);
        })) {
        notes << QStringLiteral("Vaja teče brez zvoka: %1").arg(audio_->Reason());
        audio_.reset();
        RenderOnTimer();
    } else {
        lastPull_ = Seconds();
        // The timer stands by, for a device that stops asking for sound.
        pullTimer_.start();
        connect(audio_.get(), &platform::AudioOutput::failed, this, [this] {
            // The session goes on silently, on the timer, from where the
            // sound stopped.
            SetStatus(QStringLiteral("Zvok je odpovedal, vaja teče brez njega: %1")
                          .arg(audio_->Reason()));
            audio_.release()->deleteLater();
            RenderOnTimer();
        });
    }
    // Enter alone sends the Run messages: without them the band hears nothing.
    const auto& run = state_.messages.Run;
    if (run[0].trimmed().isEmpty() || run[1].trimmed().isEmpty() || run[2].trimmed().isEmpty()) {
        notes << QStringLiteral(
            "Sporočila F1–F3 so prazna: vpiši jih v oknu WinKeyer Options (npr. F1 »CQ TEST *«, "
            "F2 »5NN #«, F3 »TU *«).");
    }
    if (settings.Record && !session_->Recording()) {
        notes << QStringLiteral("Snemanje ni mogoče: %1").arg(session_->RecordingError());
    }
    SetStatus(notes.join(u' '));
    emit started();
    return true;
}

qsizetype PracticeMode::Pull(qint16* samples, qsizetype frames) {
    if (!session_ || session_->Finished()) {
        return 0;
    }
    lastPull_ = Seconds();
    onTimer_ = false;
    qsizetype done = 0;
    while (done < frames && session_ && !session_->Finished()) {
        const int n = int(std::min<qsizetype>(frames - done, kBlockFrames));
        session_->Render(block_.data(), n);
        for (int i = 0; i < n; ++i) {
            samples[done + i] =
                qint16(std::lround(std::clamp(block_[size_t(i)], -1.0f, 1.0f) * 32767.0f));
        }
        done += n;
    }
    return done;
}

double PracticeMode::Seconds() const {
    return double(elapsed_.nsecsElapsed()) / 1e9;
}

void PracticeMode::RenderOnTimer() {
    if (!onTimer_ && session_) {
        onTimer_ = true;
        clockOffset_ = session_->RenderedSeconds() - Seconds();
    }
    pullTimer_.start();
}

void PracticeMode::PullOnTimer() {
    if (!session_) {
        pullTimer_.stop();
        return;
    }
    // A device that has not asked for sound for a while has stalled: the
    // band goes on, silently, until it asks again.
    if (audio_ && !onTimer_) {
        if (Seconds() - lastPull_ < kStalledSeconds) {
            return;
        }
        RenderOnTimer();
    }
    const double target = Seconds() + clockOffset_ + kPullAheadSeconds;
    while (session_ && !session_->Finished() && session_->RenderedSeconds() < target) {
        const int n = int(std::clamp<double>(
            std::ceil((target - session_->RenderedSeconds()) * kSampleRate), 1, kBlockFrames));
        session_->Render(block_.data(), n);
    }
}

void PracticeMode::AfterRender() {
    // The replies the block made due go to the host now, whatever the
    // wall clock says.
    if (port_) {
        port_->Serve();
    }
    if (session_ && session_->Finished() && !ending_) {
        ending_ = true;
        QTimer::singleShot(0, this, [this] {
            ending_ = false;
            if (Running()) {
                Stop();
            }
        });
    }
    if (session_ && !session_->RecordingError().isEmpty() &&
        !status_.contains(session_->RecordingError())) {
        SetStatus(QStringLiteral("Snemanje se je ustavilo: %1").arg(session_->RecordingError()));
    }
}

std::optional<PracticeResults> PracticeMode::ResultsSoFar() const {
    if (!session_) {
        return std::nullopt;
    }
    return MakeResults(false);
}

PracticeResults PracticeMode::MakeResults(bool write) const {
    const practice::SessionSetup& setup = session_->Setup();
    const QsoLogModel& model = main_.LogModel();
    const int count = std::min(state_.log.QsoCount, model.RowCount());
    std::vector<practice::LoggedContact> log;
    std::vector<QsoRow> rows;
    for (int r = 0; r < count; ++r) {
        const QsoRow& row = model.Row(r);
        rows.push_back(row);
        practice::LoggedContact c;
        c.call = row[Call];
        c.year = row[LicYear];
        c.mode = row[Mode];
        // The log keeps hours and minutes; a session over midnight UTC
        // has its later contacts on the next day (a clock set back a little
        // leaves them on the same one).
        QDateTime t(setup.start.date(), QTime::fromString(row[Time], QStringLiteral("hh:mm")),
                    Qt::UTC);
        if (t.isValid() && t < setup.start.addSecs(-12 * 3600)) {
            t = t.addDays(1);
        }
        c.time = t;
        log.push_back(c);
    }
    PracticeResults results;
    results.verification = session_->Verify(log);
    std::vector<QsoRow> correct;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (results.verification.Counts(i)) {
            correct.push_back(rows[i]);
        }
    }
    practice::SessionSummary& s = results.summary;
    s.start = setup.start;
    s.plannedMinutes = setup.settings.Minutes;
    s.minutes = session_->RenderedSeconds() / 60.0;
    s.settingsText = practice::SettingsText(setup.settings, setup.operatorSpeed);
    s.seed = setup.seed;
    s.claimedScore = ScoreOf(rows, state_.op.MyYearLic);
    s.verifiedScore = ScoreOf(correct, state_.op.MyYearLic);

    QStringList problems;
    // A session left without a contact is no mark of progress.
    if (write && !rows.empty()) {
        practice::HistoryEntry h;
        h.start = s.start;
        h.minutes = s.plannedMinutes;
        h.verifiedScore = s.verifiedScore;
        h.claimedScore = s.claimedScore;
        h.contacts = int(rows.size());
        h.correct = results.verification.counts.correct;
        h.seed = s.seed;
        try {
            practice::AddToHistory(HistoryFile(), h);
        } catch (const platform::Error& e) {
            problems << e.message();
        }
    }
    results.history = practice::ReadHistory(HistoryFile());
    if (write) {
        try {
            const QString name = practice::WriteResults(platform::ProgramDirectory(), s,
                                                        results.verification, results.history);
            results.fileNote = QStringLiteral("Rezultati so zapisani v %1").arg(name);
        } catch (const platform::Error& e) {
            problems.prepend(
                QStringLiteral("Rezultatov ni bilo mogoče zapisati: %1").arg(e.message()));
        }
    }
    if (!problems.isEmpty()) {
        results.fileNote = (results.fileNote.isEmpty() ? QString() : results.fileNote + u'\n') +
                           problems.join(u'\n');
    }
    return results;
}

void PracticeMode::RestoreKeyer() {
    keyer_.EndStandIn();
    state_.keyer.ComConnected = keyerComConnected_;
    if (keyerWasOpen_) {
        keyer_.OpenKeyer();
    }
}

void PracticeMode::Stop() {
    if (!session_) {
        return;
    }
    pullTimer_.stop();
    audio_.reset();
    PracticeResults results = MakeResults(true);
    RestoreKeyer();
    port_.reset();
    QString problem;
    try {
        main_.LeavePracticeLog();
    } catch (const platform::Error& e) {
        problem = QStringLiteral("Tekmovalnega dnevnika ni bilo mogoče znova naložiti: %1")
                      .arg(e.message());
    }
    session_.reset();
    last_ = std::move(results);
    SetStatus(problem);
    emit finished();
}

}  // namespace corvatta
