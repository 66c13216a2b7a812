// Listening to this computer's sound through a private PulseAudio daemon:
// what is played into its null sink reaches the meter and the beat detector,
// the capture follows a new default output, and the server going away and
// coming back interrupts listening and ends the interruption.
#include "audio/audioInMeter.h"
#include "audio/interruptions.h"
#include "platform/audio/pulseAudioInput.h"
#include "platform/audio/sdlAudioInput.h"
#include "platform/prefs/prefs.h"
#include "pulseServer.h"
#include "recordings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

namespace zorbel {
namespace {

class ComputerSound : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.start());
        setAudioQueueOpener(AudioSource::Computer,
                            [this] { return openPulseAudioInput([this](uint32_t capture) { gone = capture; }); });
        ASSERT_TRUE(listenToAudioSource(AudioSource::Computer));
    }
    void TearDown() override { stopAudioInMeter(0); }

    // Runs the detector at 60 frames a second; the frames with a beat.
    static std::vector<int> beatsHeard(int frames, float& loudest)
    {
        std::vector<int> beats;
        auto next = std::chrono::steady_clock::now();
        for (int f = 0; f < frames; ++f) {
            std::this_thread::sleep_until(next += std::chrono::microseconds(16667));
            const float level = getAverageAudioPower();
            loudest = std::max(loudest, level);
            if (getAudioBeat(level) == 1.0f)
                beats.push_back(f);
        }
        return beats;
    }

    test::PulseServer server;
    std::atomic<uint32_t> gone{0};
};

// Clicks, then a piece of real music, played into a new default output: the
// capture follows it, and he dances at their tempo.
TEST_F(ComputerSound, ClicksAndMusicOnANewDefaultOutputMakeHimDanceAtTheirTempo)
{
    ASSERT_TRUE(server.pactl("load-module module-null-sink sink_name=headphones"));
    ASSERT_TRUE(server.pactl("set-default-sink headphones"));
    server.play(test::clickTrack(120, 15));
    float loudest = 0;
    const auto beats = beatsHeard(900, loudest);
    EXPECT_GT(loudest, 0.05f);
    ASSERT_GE(beats.size(), 8u) << "no music declared";
    EXPECT_TRUE(test::atTempo(test::medianInterval(beats), 120));

    server.play(test::musicTrack(4));
    const auto musicBeats = beatsHeard(1500, loudest);
    ASSERT_GE(musicBeats.size(), 20u) << "no music declared";
    EXPECT_TRUE(test::atTempo(test::medianInterval(musicBeats), test::musicBpm()));
}

// Neither a microphone that cannot be opened nor the server going away and
// coming back changes what the user chose; the server's loss interrupts
// listening and its return ends the interruption, unless the user has
// switched listening off.
TEST_F(ComputerSound, AMissingSourceOrServerChangesNothingStored)
{
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILEIN", "/nonexistent.raw", 1);  // no microphone
    setAudioQueueOpener(AudioSource::Microphone, openSdlAudioInput);
    EXPECT_FALSE(listenToAudioSource(AudioSource::Microphone));
    EXPECT_EQ(audioInMeterIsRunning(), 1);
    EXPECT_EQ(getAudioSource(), AudioSource::Computer);

    AudioInterruptions interruptions;
    Prefs* prefs = Prefs::standardUserDefaults();
    EXPECT_FALSE(interruptions.awaitingSoundServer());
    server.stop();
    for (int i = 0; i < 100 && !gone; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    interruptions.soundServerGone(gone, runningSoundServerCapture());
    EXPECT_EQ(audioInMeterIsRunning(), 0);
    EXPECT_FALSE(prefs->boolForKey("DISABLE_MIC"));  // an interruption records nothing
    EXPECT_TRUE(interruptions.awaitingSoundServer());
    EXPECT_FALSE(soundServerAnswers());
    ASSERT_TRUE(server.start());
    EXPECT_TRUE(soundServerAnswers());
    interruptions.soundServerBack();
    EXPECT_EQ(audioInMeterIsRunning(), 1);
    EXPECT_EQ(getAudioSource(), AudioSource::Computer);

    stopAudioInMeter(1);  // switched off by the user
    server.stop();
    ASSERT_TRUE(server.start());
    EXPECT_FALSE(interruptions.awaitingSoundServer());
    interruptions.soundServerBack();
    EXPECT_EQ(audioInMeterIsRunning(), 0);

    setenv("PULSE_SERVER", "unix:/nonexistent", 1);
    EXPECT_EQ(openPulseAudioInput(nullptr), nullptr);
    prefs->setString("Computer, please", "LISTEN_TO");
    EXPECT_EQ(getAudioSource(), AudioSource::Microphone);  // anything unknown is the microphone
}

}  // namespace
}  // namespace zorbel
