// "Record to WAV": what the operator heard, as 16-bit PCM mono at 48 kHz.
// The samples go to the file as they come (two hours are some 700 MB); the
// header's lengths are written at the start and brought up to date at every
// Flush and at Close, so a recording cut off by a crash still plays up to
// its last flush.
#pragma once

#include <QFile>
#include <QString>
#include <cstdint>
#include <vector>

namespace corvatta::practice {

class WavWriter {
  public:
    WavWriter() = default;
    ~WavWriter();
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;

    // Creates (or replaces) the file; false with the system's reason in
    // Error() when it cannot be made.
    bool Open(const QString& fileName, int sampleRate = 48000);
    // Samples beyond -1..1 are clipped. A failed write (a full disk) stops
    // the recording: false, Error() says why, later calls do nothing, and
    // the file keeps what was written before, playable.
    bool Write(const float* samples, int count);
    bool Flush();
    bool Close();

    bool IsOpen() const { return file_.isOpen(); }
    std::int64_t SamplesWritten() const { return samples_; }
    const QString& Error() const { return error_; }

  private:
    bool WriteHeader();
    bool Fail();

    QFile file_;
    int sampleRate_ = 48000;
    std::int64_t samples_ = 0;
    std::vector<char> buffer_;
    QString error_;
};

}  // namespace corvatta::practice
