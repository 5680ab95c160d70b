#include "platform/sound.h"
#include "tests/support/temp_program_dir.h"

#include <gtest/gtest.h>
#include <QAudioDevice>
#include <QElapsedTimer>
#include <QFile>
#include <QMediaDevices>

namespace {

TEST(Sound, NeverWaitsForTheSoundAndIsSilentWithoutADevice) {
    testing_support::TempProgramDir dir;
    QFile wav(QStringLiteral(TICKWELL_DATA_DIR "/Whoosh.wav"));
    ASSERT_TRUE(wav.open(QIODevice::ReadOnly));
    dir.Write("Whoosh.wav", wav.readAll());
    const bool device = !QMediaDevices::defaultAudioOutput().isNull();

    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(platform::Beep(800, 500), device);
    EXPECT_EQ(platform::PlaySoundFile(dir.File("Whoosh.wav")), device);
    // A bare name is found in the program directory when not in the current one.
    EXPECT_EQ(platform::PlaySoundFile("Whoosh.wav"), device);
    // A half-second tone that waited would take at least that long.
    EXPECT_LT(timer.elapsed(), 400);

    EXPECT_FALSE(platform::PlaySoundFile(dir.File("missing.wav")));
    EXPECT_FALSE(platform::Beep(0, 500));
}

}  // namespace
