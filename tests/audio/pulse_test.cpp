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

TEST_F(ComputerSound, ClicksAndMusicPlayedMakeHimDanceAtTheirTempo)
{
    const struct {
        std::string recording;
        double bpm;
    } cases[] = {{test::clickTrack(120, 20), 120}, {test::musicTrack(3), test::musicBpm()}};
    for (const auto& c : cases) {
        server.play(c.recording);
        float loudest = 0;
        const auto beats = beatsHeard(900, loudest);
        EXPECT_GT(loudest, 0.05f) << c.recording;
        ASSERT_GE(beats.size(), 8u) << "no music declared in " << c.recording;
        EXPECT_TRUE(test::atTempo(test::medianInterval(beats), c.bpm)) << c.recording;
    }
}

TEST_F(ComputerSound, FollowsTheDefaultOutputWhenItChanges)
{
    ASSERT_TRUE(server.pactl("load-module module-null-sink sink_name=headphones"));
    ASSERT_TRUE(server.pactl("set-default-sink headphones"));
    server.play(test::musicTrack(1));  // into the new default only
    float loudest = 0;
    beatsHeard(180, loudest);
    EXPECT_GT(loudest, 0.05f);
}

TEST_F(ComputerSound, TheServerGoingAwayInterruptsAndItsReturnEndsIt)
{
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

    // Switched off by the user: neither the server's loss nor its return starts it.
    stopAudioInMeter(1);
    server.stop();
    ASSERT_TRUE(server.start());
    EXPECT_FALSE(interruptions.awaitingSoundServer());
    interruptions.soundServerBack();
    EXPECT_EQ(audioInMeterIsRunning(), 0);
}

TEST_F(ComputerSound, ASourceThatCannotBeOpenedChangesNothing)
{
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILEIN", "/nonexistent.raw", 1);  // no microphone
    setAudioQueueOpener(AudioSource::Microphone, openSdlAudioInput);
    EXPECT_FALSE(listenToAudioSource(AudioSource::Microphone));
    EXPECT_EQ(audioInMeterIsRunning(), 1);
    EXPECT_EQ(getAudioSource(), AudioSource::Computer);

    setenv("PULSE_SERVER", "unix:/nonexistent", 1);
    const auto begin = std::chrono::steady_clock::now();
    EXPECT_EQ(openPulseAudioInput(nullptr), nullptr);
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(1));
    Prefs::standardUserDefaults()->setString("Computer, please", "LISTEN_TO");
    EXPECT_EQ(getAudioSource(), AudioSource::Microphone);  // anything unknown is the microphone
}

}  // namespace
}  // namespace zorbel
