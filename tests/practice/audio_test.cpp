#include "practice/band_audio.h"
#include "practice/wav_writer.h"
#include "tests/support/disk_limits.h"
#include "tests/support/temp_program_dir.h"

#include <gtest/gtest.h>
#include <QtEndian>
#include <cmath>
#include <complex>
#include <numbers>

namespace corvatta::practice {
namespace {

// Renders `seconds` of the mixer in blocks of awkward, changing sizes.
std::vector<float> Render(PracticeMixer& mixer, double seconds) {
    std::vector<float> out(size_t(SampleAt(seconds)));
    const int sizes[] = {1, 997, 64, 4801, 333};
    for (size_t at = 0, k = 0; at < out.size(); ++k) {
        const int n = int(std::min<size_t>(size_t(sizes[k % 5]), out.size() - at));
        mixer.Render(out.data() + at, n);
        at += size_t(n);
    }
    return out;
}

// The test's own receiver: rectified and smoothed over 3 ms, cut at half the
// loudest level (with a little hysteresis). Returns key-down spans in seconds.
std::vector<std::pair<double, double>> DetectKeying(const std::vector<float>& audio) {
    const int window = 3 * kSampleRate / 1000;
    std::vector<double> level(audio.size());
    double sum = 0, peak = 0;
    for (size_t i = 0; i < audio.size(); ++i) {
        sum += std::fabs(audio[i]);
        if (i >= size_t(window)) {
            sum -= std::fabs(audio[i - size_t(window)]);
        }
        level[i] = sum / window;
        peak = std::max(peak, level[i]);
    }
    std::vector<std::pair<double, double>> spans;
    bool down = false;
    for (size_t i = 0; i < level.size(); ++i) {
        if (!down && level[i] > 0.55 * peak) {
            spans.push_back({double(i) / kSampleRate, 0});
            down = true;
        } else if (down && level[i] < 0.45 * peak) {
            spans.back().second = double(i) / kSampleRate;
            down = false;
        }
    }
    return spans;
}

// Dots and dashes told apart at two units, letters at two units of silence.
QString Decode(const std::vector<std::pair<double, double>>& spans, double dot) {
    QString text, pattern;
    const auto flush = [&] {
        for (char c = ' '; c <= 'Z'; ++c) {
            if (!pattern.isEmpty() && MorsePattern(QLatin1Char(c)) == pattern) {
                text += QLatin1Char(c);
            }
        }
        pattern.clear();
    };
    for (size_t i = 0; i < spans.size(); ++i) {
        if (i > 0 && spans[i].first - spans[i - 1].second > 2 * dot) {
            flush();
        }
        pattern += spans[i].second - spans[i].first > 2 * dot ? u'-' : u'.';
    }
    flush();
    return text;
}

TEST(BandAudio, CallerHeardBackWithItsTiming) {
    for (int wpm : {22, 35}) {
        SCOPED_TRACE(wpm);
        ReceiverSettings rx;
        rx.noiseLevel = 0.01f;
        PracticeMixer mixer(rx, {}, 7);
        Transmission t;
        t.station = 3;
        t.text = QStringLiteral("S59QIE");
        t.wpm = wpm;
        t.pitchHz = 650;
        t.start = 0.2;
        mixer.Band().AddTransmission(t);
        KeyingSchedule expected(wpm, 0.2);
        expected.AddText(t.text);
        const auto spans = DetectKeying(Render(mixer, expected.End() + 0.2));
        EXPECT_EQ(Decode(spans, DotSeconds(wpm)), t.text);
        ASSERT_EQ(spans.size(), expected.Elements().size());
        // The shaped edges cross one half 2.5 ms after each key change; the
        // detector's 3 ms window adds 1.5 ms.
        for (size_t i = 0; i < spans.size(); ++i) {
            EXPECT_NEAR(spans[i].first, expected.Elements()[i].down + 0.004, 0.0015) << i;
            EXPECT_NEAR(spans[i].second - spans[i].first,
                        expected.Elements()[i].up - expected.Elements()[i].down, 0.0015)
                << i;
        }
    }
}

TEST(BandAudio, SameSoundWhateverTheBlockSizes) {
    ReceiverSettings rx;
    rx.qrn = true;
    Transmission t{1, QStringLiteral("TEST"), 30, 700, 0.3f, 0.05, 0, {0.6, 0.3, 0.1, 1, 2}};
    PracticeMixer a(rx, {}, 11), b(rx, {}, 11);
    a.Band().AddTransmission(t);
    b.Band().AddTransmission(t);
    const std::vector<float> blocks = Render(a, 1.0);
    std::vector<float> whole(blocks.size());
    b.Render(whole.data(), int(whole.size()));
    float worst = 0;
    for (size_t i = 0; i < whole.size(); ++i) {
        worst = std::max(worst, std::fabs(whole[i] - blocks[i]));
    }
    EXPECT_LT(worst, 1e-5f);
}

// The noise's power near a frequency: Hann-windowed frames of 0.1 s.
double NoisePower(const std::vector<float>& x, double hz) {
    const int frame = kSampleRate / 10;
    double total = 0;
    for (size_t at = 0; at + size_t(frame) <= x.size(); at += size_t(frame)) {
        std::complex<double> sum;
        for (int i = 0; i < frame; ++i) {
            const double w = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * i / frame);
            sum += w * x[at + size_t(i)] *
                   std::polar(1.0, -2 * std::numbers::pi * hz * i / kSampleRate);
        }
        total += std::norm(sum);
    }
    return total;
}

TEST(BandAudio, NoiseFillsTheReceiveBandwidthOnly) {
    for (double bandwidth : {300.0, 1000.0}) {
        SCOPED_TRACE(bandwidth);
        ReceiverSettings rx;
        rx.bandwidthHz = bandwidth;
        BandNoise noise(rx, 2);
        std::vector<float> x(size_t(3 * kSampleRate));
        noise.Render(x.data(), int(x.size()), 0);
        double energy = 0;
        for (float v : x) {
            energy += double(v) * v;
        }
        EXPECT_NEAR(std::sqrt(energy / double(x.size())), rx.noiseLevel, 0.1 * rx.noiseLevel);
        const double centre = NoisePower(x, rx.pitchHz);
        const double dB = 10 * std::log10(NoisePower(x, rx.pitchHz + 0.4 * bandwidth) / centre);
        EXPECT_GT(dB, -3.5) << "inside the passband";
        for (double away : {-1.5 * bandwidth, 1.5 * bandwidth}) {
            if (rx.pitchHz + away > 50) {
                EXPECT_LT(10 * std::log10(NoisePower(x, rx.pitchHz + away) / centre), -30) << away;
            }
        }
        EXPECT_NEAR(noise.FilterGain(rx.pitchHz + bandwidth / 2), std::sqrt(0.5), 0.02);
    }
}

// The band's noise between the operator's two elements: heard with QSK,
// muted without.
TEST(PracticeMixer, QskDecidesWhetherTheBandIsHeardBetweenElements) {
    for (bool qsk : {true, false}) {
        MixerSettings m;
        m.qsk = qsk;
        m.sidetoneLevel = 0.5f;
        PracticeMixer mixer({}, m, 3);
        mixer.AddOwnKeying(ScheduleKeyerBytes("T T", 20));  // dashes at 0-0.18 and 0.6-0.78
        const std::vector<float> out = Render(mixer, 0.8);
        double energy = 0;
        for (size_t i = size_t(SampleAt(0.3)); i < size_t(SampleAt(0.5)); ++i) {
            energy += double(out[i]) * out[i];
        }
        const double rms = std::sqrt(energy / double(SampleAt(0.2)));
        if (qsk) {
            EXPECT_GT(rms, 0.02) << "band noise (0.05 RMS) between the elements";
        } else {
            EXPECT_LT(rms, 1e-6);
        }
    }
}

TEST(WavWriter, WritesPlayable16BitMono) {
    testing_support::TempProgramDir dir;
    WavWriter wav;
    ASSERT_TRUE(wav.Open(dir.File("rec.wav")));
    const float samples[] = {0.0f, 0.5f, -1.0f, 2.0f};
    ASSERT_TRUE(wav.Write(samples, 4));
    ASSERT_TRUE(wav.Close());
    const QByteArray b = dir.Read("rec.wav");
    ASSERT_EQ(b.size(), 44 + 8);
    EXPECT_EQ(b.left(4), "RIFF");
    EXPECT_EQ(qFromLittleEndian<quint32>(b.constData() + 4), 44u + 8u - 8u);
    EXPECT_EQ(b.mid(8, 8), "WAVEfmt ");
    EXPECT_EQ(qFromLittleEndian<quint16>(b.constData() + 22), 1);  // mono
    EXPECT_EQ(qFromLittleEndian<quint32>(b.constData() + 24), 48000u);
    EXPECT_EQ(qFromLittleEndian<quint32>(b.constData() + 40), 8u);
    const qint16 expected[] = {0, 16384, -32767, 32767};  // clipped at full scale
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(qFromLittleEndian<qint16>(b.constData() + 44 + 2 * i), expected[i], 1) << i;
    }
    EXPECT_FALSE(wav.Open(dir.File("no/such/folder/rec.wav")));
    EXPECT_FALSE(wav.Error().isEmpty());

    // A full disk part way: the recording stops and what is on disk plays.
    const QString file = dir.File("full.wav");
    const QString result = testing_support::RunWithFileSizeLimit(44 + 10000, [&] {
        WavWriter full;
        full.Open(file);
        const std::vector<float> block(960, 0.25f);
        int blocks = 0;
        while (blocks < 100 && full.Write(block.data(), 960)) {
            ++blocks;
        }
        const bool after = full.Write(block.data(), 960);
        return QStringLiteral("%1 %2 %3").arg(blocks).arg(after).arg(full.Error().isEmpty());
    });
    EXPECT_EQ(result, QStringLiteral("5 0 0"));  // five blocks of 1920 bytes fit
    const QByteArray kept = dir.Read("full.wav");
    EXPECT_EQ(qFromLittleEndian<quint32>(kept.constData() + 40), 5u * 1920u);
    EXPECT_GE(kept.size(), 44 + 5 * 1920);
}

}  // namespace
}  // namespace corvatta::practice
