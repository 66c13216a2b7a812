// The microphone functions over real SDL capture. SDL's disk driver stands in
// for a microphone: it delivers a raw file in real time, and with a missing
// file no capture device can be opened.
#include "audio/audioInMeter.h"
#include "audio/audioInput.h"
#include "audio/interruptions.h"
#include "platform/audio/sdlAudioInput.h"
#include "platform/prefs/prefs.h"
#include "testHome.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace zorbel {
namespace {

// A loud square wave, 10 s: the meter reads about 0.5.
std::string loudRecording()
{
    std::string samples;
    for (int i = 0; i < 80000; ++i)
        samples += (i / 8) % 2 ? std::string("\x00\x40", 2) : std::string("\x00\xc0", 2);  // +-16384
    const std::string path = test::freshDir("mic") + "/loud.raw";
    test::writeFile(path, samples);
    return path;
}

class MicTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILEIN", loudRecording().c_str(), 1);
        setAudioQueueOpener(openSdlAudioInput);
    }
    void TearDown() override { stopAudioInMeter(0); }

    // The level once capture has delivered sound for a while (it comes in
    // real time), or 0 when nothing comes within a second.
    static float levelSoon()
    {
        for (int i = 0; i < 50 && getAverageAudioPower() == 0.0f; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        std::this_thread::sleep_for(std::chrono::milliseconds(1200));  // the meter's window fills
        return getAverageAudioPower();
    }

    Prefs* prefs() { return Prefs::standardUserDefaults(); }
};

TEST_F(MicTest, StartsAtLaunchAndSwitchingOffAndOnStoresTheChoice)
{
    EXPECT_EQ(initAudioInMeter(), 1);
    EXPECT_EQ(audioInMeterIsRunning(), 1);
    EXPECT_NE(runningCaptureDevice(), 0u);
    EXPECT_NEAR(levelSoon(), 0.5f, 0.05f);
    EXPECT_EQ(g_minDyn, 0.04f);
    stopAudioInMeter(1);
    EXPECT_EQ(audioInMeterIsRunning(), 0);
    EXPECT_EQ(getAverageAudioPower(), 0.0f);
    EXPECT_TRUE(prefs()->boolForKey("DISABLE_MIC"));
    initAudioInMeter();  // switched off at launch: stays off
    EXPECT_EQ(audioInMeterIsRunning(), 0);

    prefs()->setBool(false, "DISABLE_MIC");
    stopAudioInMeter(1);  // already stopped: nothing at all
    EXPECT_FALSE(prefs()->boolForKey("DISABLE_MIC"));

    prefs()->setBool(true, "DISABLE_MIC");
    startAudioInMeter(1);
    EXPECT_EQ(audioInMeterIsRunning(), 1);
    EXPECT_FALSE(prefs()->boolForKey("DISABLE_MIC"));

    // Starting while running restarts capture; 0 stores nothing.
    prefs()->setBool(true, "DISABLE_MIC");
    startAudioInMeter(0);
    EXPECT_EQ(audioInMeterIsRunning(), 1);
    EXPECT_GT(levelSoon(), 0.3f);
    EXPECT_TRUE(prefs()->boolForKey("DISABLE_MIC"));
}

TEST_F(MicTest, InterruptionsStopAndRestartUnlessSwitchedOff)
{
    initAudioInMeter();
    AudioInterruptions interruptions;
    interruptions.captureDeviceRemoved(runningCaptureDevice() + 100, runningCaptureDevice());  // not ours
    EXPECT_EQ(audioInMeterIsRunning(), 1);
    interruptions.captureDeviceRemoved(runningCaptureDevice(), runningCaptureDevice());
    EXPECT_EQ(audioInMeterIsRunning(), 0);
    EXPECT_FALSE(prefs()->boolForKey("DISABLE_MIC"));  // an interruption records nothing
    interruptions.captureDeviceAdded();
    EXPECT_EQ(audioInMeterIsRunning(), 1);
    EXPECT_GT(levelSoon(), 0.3f);

    interruptions.didEnterForeground();  // no background began: nothing happens
    EXPECT_EQ(audioInMeterIsRunning(), 1);
    interruptions.willEnterBackground();
    EXPECT_EQ(audioInMeterIsRunning(), 0);
    interruptions.didEnterForeground();
    EXPECT_EQ(audioInMeterIsRunning(), 1);

    stopAudioInMeter(1);  // the user switches it off
    interruptionListenerCallback(nullptr, 1);
    interruptions.captureDeviceAdded();
    EXPECT_EQ(audioInMeterIsRunning(), 0);
    interruptionListenerCallback(nullptr, 7);  // any other state: nothing
    EXPECT_EQ(audioInMeterIsRunning(), 0);
}

TEST_F(MicTest, NoCaptureDeviceLeavesTheMeterStoppedAtLevelZero)
{
    setenv("SDL_DISKAUDIOFILEIN", (test::testHome() + "/no-such-recording.raw").c_str(), 1);
    EXPECT_EQ(initAudioInMeter(), 1);
    EXPECT_EQ(audioInMeterIsRunning(), 0);
    EXPECT_EQ(getAverageAudioPower(), 0.0f);
    EXPECT_FALSE(prefs()->boolForKey("DISABLE_MIC"));
    startAudioInMeter(1);  // a failed start stores nothing
    EXPECT_EQ(audioInMeterIsRunning(), 0);
}

TEST_F(MicTest, RapidStartsAndStopsWhileCapturing)
{
    initAudioInMeter();
    for (int i = 0; i < 50; ++i) {
        startAudioInMeter(0);
        std::this_thread::sleep_for(std::chrono::milliseconds(i % 5));
        if (i % 3 == 0)
            stopAudioInMeter(0);
    }
    startAudioInMeter(0);
    EXPECT_GT(levelSoon(), 0.3f);
}

}  // namespace
}  // namespace zorbel
