#include "practice/wav_writer.h"

#include <QtEndian>
#include <algorithm>
#include <cmath>

namespace corvatta::practice {

namespace {

constexpr int kHeaderBytes = 44;
constexpr int kBytesPerSample = 2;
// The lengths in a RIFF header are 32 bits: a longer recording keeps
// playing, with the lengths held at their largest.
constexpr std::int64_t kMaxDataBytes = 0xFFFFFFFFLL - kHeaderBytes;

void Put32(char* at, std::uint32_t value) {
    qToLittleEndian(value, at);
}
void Put16(char* at, std::uint16_t value) {
    qToLittleEndian(value, at);
}

}  // namespace

WavWriter::~WavWriter() {
    Close();
}

bool WavWriter::Open(const QString& fileName, int sampleRate) {
    Close();
    error_.clear();
    samples_ = 0;
    sampleRate_ = sampleRate;
    file_.setFileName(fileName);
    // Unbuffered, so a failed write is known at once and the count of
    // samples on disk is exact.
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        return Fail();
    }
    return WriteHeader();
}

bool WavWriter::WriteHeader() {
    const std::int64_t dataBytes = std::min(samples_ * kBytesPerSample, kMaxDataBytes);
    char h[kHeaderBytes];
    std::copy_n("RIFF", 4, h);
    Put32(h + 4, std::uint32_t(dataBytes + kHeaderBytes - 8));
    std::copy_n("WAVEfmt ", 8, h + 8);
    Put32(h + 16, 16);  // the format chunk's length
    Put16(h + 20, 1);   // PCM
    Put16(h + 22, 1);   // mono
    Put32(h + 24, std::uint32_t(sampleRate_));
    Put32(h + 28, std::uint32_t(sampleRate_ * kBytesPerSample));
    Put16(h + 32, kBytesPerSample);
    Put16(h + 34, 16);
    std::copy_n("data", 4, h + 36);
    Put32(h + 40, std::uint32_t(dataBytes));
    const qint64 at = file_.pos();
    const bool ok = file_.seek(0) && file_.write(h, kHeaderBytes) == kHeaderBytes &&
                    file_.seek(std::max<qint64>(at, kHeaderBytes));
    return ok || Fail();
}

bool WavWriter::Write(const float* samples, int count) {
    if (!file_.isOpen()) {
        return false;
    }
    buffer_.resize(size_t(count) * kBytesPerSample);
    for (int i = 0; i < count; ++i) {
        const float clipped = std::clamp(samples[i], -1.0f, 1.0f);
        Put16(buffer_.data() + i * kBytesPerSample,
              std::uint16_t(std::int16_t(std::lround(clipped * 32767.0f))));
    }
    if (file_.write(buffer_.data(), qint64(buffer_.size())) != qint64(buffer_.size())) {
        // A full disk: the header is brought up to what is on disk (it does
        // not grow the file), so the recording plays up to there.
        const QString reason = file_.errorString();
        WriteHeader();
        error_ = QStringLiteral("%1 (%2)").arg(file_.fileName(), reason);
        return Fail();
    }
    samples_ += count;
    return true;
}

bool WavWriter::Flush() {
    if (!file_.isOpen()) {
        return false;
    }
    return (WriteHeader() && file_.flush()) || Fail();
}

bool WavWriter::Close() {
    if (!file_.isOpen()) {
        return error_.isEmpty();
    }
    const bool ok = Flush();
    file_.close();
    return ok;
}

bool WavWriter::Fail() {
    if (error_.isEmpty()) {
        error_ = QStringLiteral("%1 (%2)").arg(file_.fileName(), file_.errorString());
    }
    file_.close();
    return false;
}

}  // namespace corvatta::practice
