#include "logger/voice_keyer.h"

#include "platform/audio_stream.h"
#include "platform/sound.h"
#include "platform/text_file.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cstring>
#include <limits>

namespace corvatta {

namespace {

constexpr int kMarkToneHz = 1000;
constexpr int kMarkToneMs = 80;

}  // namespace

VoiceKeyer::VoiceKeyer(platform::AudioOutput& output, QObject* parent)
    : QObject(parent), output_(output) {
    clock_.start();
    for (QTimer* t : {&tailTimer_, &watchdog_}) {
        t->setSingleShot(true);
        t->setTimerType(Qt::PreciseTimer);
    }
    connect(&tailTimer_, &QTimer::timeout, this, [this] { End(true); });
    connect(&watchdog_, &QTimer::timeout, this, [this] {
        SetStatus(QStringLiteral("Varovalo je ustavilo sporočilo in izklopilo oddajo."));
        End(false);
    });
    connect(&output_, &platform::AudioOutput::failed, this, [this] {
        outputOpen_ = false;
        SetStatus(output_.Reason());
        if (Playing()) {
            End(false);
        }
    });
    Configure(settings_, nullptr);
}

VoiceKeyer::~VoiceKeyer() {
    Stop();
    output_.Close();
}

void VoiceKeyer::Configure(const VoiceSettings& settings, RigLink* rig,
                           serial::TCustomComPort* keyerPort) {
    Stop();
    if (settings.Output != settings_.Output) {
        output_.Close();
        outputOpen_ = false;
    }
    settings_ = settings;
    ptt_.reset();
    ptt_ = MakePtt(settings_, rig, keyerPort);
    connect(ptt_.get(), &Ptt::keyed, this, &VoiceKeyer::OnKeyed);
    connect(ptt_.get(), &Ptt::failed, this, &VoiceKeyer::OnPttFailed);
    const auto* line = qobject_cast<SerialLinePtt*>(ptt_.get());
    SetStatus(line ? line->OpenError() : QString());
}

bool VoiceKeyer::EnsureOutput() {
    if (outputOpen_ && output_.IsOpen()) {
        return true;
    }
    outputOpen_ = output_.Open(settings_.Output, kVoiceSampleRate,
                               [this](qint16* s, qsizetype n) { return Pull(s, n); });
    return outputOpen_;
}

bool VoiceKeyer::PlayMessage(VoiceSet set, int n) {
    const QString file = VoiceMessageFile(set, n);
    if (n < 1 || n > kVoiceMessages || !QFileInfo(file).isFile()) {
        return false;
    }
    QString error;
    std::optional<VoiceClip> clip = ReadWaveFile(file, &error);
    if (!clip) {
        SetStatus(error);
        return false;
    }
    return PlayClip(std::move(*clip));
}

bool VoiceKeyer::PlayCall(const QString& call, VoiceSet set, int n) {
    VoiceClip all;
    if (VoiceLettersComplete()) {
        QString error;
        if (std::optional<VoiceClip> spelled = SpellCall(call, &error)) {
            all = std::move(*spelled);
        } else {
            SetStatus(error);
        }
    }
    QString error;
    const QString file = VoiceMessageFile(set, n);
    if (QFileInfo(file).isFile()) {
        if (std::optional<VoiceClip> message = ReadWaveFile(file, &error)) {
            const VoiceClip at = Resampled(*message, all.sampleRate);
            all.samples.insert(all.samples.end(), at.samples.begin(), at.samples.end());
        } else {
            SetStatus(error);
        }
    }
    return PlayClip(std::move(all));
}

bool VoiceKeyer::PlayClip(VoiceClip clip) {
    if (clip.samples.empty()) {
        return false;
    }
    // A new message while one plays takes the transmitter as it is: no
    // release and keying again between the two, no second lead.
    if (Playing() && (phase_ == Phase::Keying || ptt_->IsKeyed()) && output_.IsOpen()) {
        {
            const std::lock_guard lock(mutex_);
            playing_ = nullptr;
        }
        tailTimer_.stop();
        emit finished(false);
        clip_ = Resampled(clip, output_.SampleRate());
        StartWatchdog();
        if (phase_ != Phase::Keying) {
            StartSound(0);
        }
        return true;
    }
    Stop();
    // Without a device the message is not played and the transmitter not keyed.
    if (!EnsureOutput()) {
        SetStatus(output_.Reason());
        return false;
    }
    clip_ = Resampled(clip, output_.SampleRate());
    phase_ = Phase::Keying;
    StartWatchdog();
    ptt_->Key(true);
    return Playing();
}

void VoiceKeyer::StartWatchdog() {
    watchdog_.start(int(std::min<qint64>(settings_.Lead + clip_.DurationMs() + kWatchdogMarginMs,
                                         std::numeric_limits<int>::max())));
}

void VoiceKeyer::OnKeyed(bool on) {
    emit pttChanged(on);
    if (!on || phase_ != Phase::Keying) {
        return;
    }
    SetStatus(QString());
    StartSound(ptt_->Keys() ? settings_.Lead : 0);
}

void VoiceKeyer::OnPttFailed(const QString& reason) {
    SetStatus(reason);
    if (Playing()) {
        End(false);
    }
}

void VoiceKeyer::StartSound(int leadMs) {
    {
        const std::lock_guard lock(mutex_);
        playing_ = &clip_.samples;
        position_ = 0;
        firstPulled_ = false;
        soundAtMs_ = clock_.elapsed() + leadMs;
    }
    phase_ = Phase::Sounding;
    emit started();
}

qsizetype VoiceKeyer::Pull(qint16* samples, qsizetype frames) {
    bool first = false;
    bool drained = false;
    qsizetype n = 0;
    {
        const std::lock_guard lock(mutex_);
        if (!playing_) {
            return 0;
        }
        qsizetype gap = 0;
        if (!firstPulled_) {
            // The lead is counted where it is heard: what is handed over now
            // sounds after what the device still holds, so the silence before
            // the first sample is cut to fit, to the sample.
            const qint64 heardAtMs =
                clock_.elapsed() + qint64(output_.QueuedFrames()) * 1000 / output_.SampleRate();
            gap = std::clamp<qsizetype>(
                qsizetype((soundAtMs_ - heardAtMs) * output_.SampleRate() / 1000), 0, frames);
            std::fill(samples, samples + gap, qint16(0));
        }
        n = qsizetype(std::min(size_t(frames - gap), playing_->size() - position_));
        std::memcpy(samples + gap, playing_->data() + position_, size_t(n) * sizeof(qint16));
        position_ += size_t(n);
        first = !firstPulled_ && n > 0;
        firstPulled_ = firstPulled_ || n > 0;
        if (position_ == playing_->size()) {
            playing_ = nullptr;
            drained = true;
        }
        n += gap;
    }
    if (first) {
        emit firstSampleQueued();
    }
    if (drained) {
        QMetaObject::invokeMethod(this, &VoiceKeyer::OnDrained, Qt::QueuedConnection);
    }
    return n;
}

void VoiceKeyer::OnDrained() {
    if (phase_ != Phase::Sounding) {
        return;
    }
    // The last samples are still in the device's buffer: the tail counts
    // from when they are heard.
    phase_ = Phase::Tail;
    const int buffered = int(output_.BufferFrames() * 1000 / std::max(1, output_.SampleRate()));
    tailTimer_.start(buffered + (ptt_->Keys() ? settings_.Tail : 0));
}

void VoiceKeyer::Stop() {
    if (Playing()) {
        End(false);
    }
}

void VoiceKeyer::End(bool completed) {
    tailTimer_.stop();
    watchdog_.stop();
    {
        const std::lock_guard lock(mutex_);
        playing_ = nullptr;
    }
    phase_ = Phase::Idle;
    Release();
    emit finished(completed);
}

void VoiceKeyer::Release() {
    // Also when the keying was still unanswered: a radio that keys late
    // must not stay keyed.
    if (ptt_) {
        ptt_->Key(false);
    }
}

void VoiceKeyer::SetStatus(const QString& status) {
    if (status == status_) {
        return;
    }
    status_ = status;
    emit statusChanged(status_);
}

VoiceRecorder::VoiceRecorder(platform::AudioInput& input, QObject* parent)
    : QObject(parent), input_(input) {
    connect(&input_, &platform::AudioInput::failed, this, [this] {
        if (Recording()) {
            const QString reason = input_.Reason();
            Cancel();
            reason_ = reason;
            emit failed();
        }
    });
}

VoiceRecorder::~VoiceRecorder() {
    Cancel();
}

bool VoiceRecorder::Start(const QString& fileName, const QString& inputDevice) {
    if (Recording()) {
        reason_ = QStringLiteral("Snemanje že teče.");
        return false;
    }
    if (!input_.Start(inputDevice, kVoiceSampleRate)) {
        reason_ = input_.Reason();
        return false;
    }
    fileName_ = fileName;
    reason_.clear();
    platform::Beep(kMarkToneHz, kMarkToneMs);
    return true;
}

bool VoiceRecorder::Finish() {
    if (!Recording()) {
        return false;
    }
    const QString fileName = std::exchange(fileName_, QString());
    VoiceClip clip{input_.Stop(), kVoiceSampleRate};
    platform::Beep(kMarkToneHz, kMarkToneMs);
    if (clip.samples.empty()) {
        reason_ = QStringLiteral("Posnetek je prazen; %1 ostaja, kot je bil.")
                      .arg(QFileInfo(fileName).fileName());
        return false;
    }
    QString error;
    if (!QDir().mkpath(QFileInfo(fileName).absolutePath()) ||
        !platform::WriteFileAtomically(fileName, WaveBytes(clip), &error)) {
        reason_ = QStringLiteral("Posnetka %1 ni mogoče shraniti: %2")
                      .arg(QFileInfo(fileName).fileName(), error);
        return false;
    }
    return true;
}

void VoiceRecorder::Cancel() {
    if (Recording()) {
        fileName_.clear();
        input_.Stop();
    }
}

}  // namespace corvatta
