// The whole path: SDL capture (the disk driver delivering a click track in
// real time), the level meter on the audio thread, and the scene's frame
// timer feeding the beat detector.
#include "../view/sceneFixture.h"

#include "audio/audioInMeter.h"
#include "audio/audioInput.h"
#include "audio/interruptions.h"
#include "platform/audio/sdlAudioInput.h"
#include "platform/window/RunLoop.h"
#include "testHome.h"

#include <fstream>
#include <random>

namespace zorbel::test {
namespace {

// 120 beats a minute: a 30 ms 1 kHz click every half second over a quiet hiss.
std::string clickTrack(double seconds)
{
    const std::string path = freshDir("e2e") + "/clicks.raw";
    std::ofstream out(path, std::ios::binary);
    std::mt19937 rng(7);
    std::normal_distribution<double> hiss(0.0, 300.0);
    const int n = static_cast<int>(seconds * 8000);
    for (int i = 0; i < n; ++i) {
        double v = hiss(rng);
        if (i % 4000 < 240)
            v += 20000.0 * std::sin(2 * M_PI * 1000.0 * i / 8000.0);
        const int16_t s = static_cast<int16_t>(std::lround(v));
        out.put(static_cast<char>(s & 0xff));
        out.put(static_cast<char>((s >> 8) & 0xff));
    }
    return path;
}

class CaptureSceneTest : public ::testing::Test {
protected:
    void start(const std::string& recording)
    {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_DISKAUDIOFILEIN", recording.c_str(), 1);
        setAudioQueueOpener(openSdlAudioInput);
        context = EAGLContext::createSurfaceless();
        ASSERT_TRUE(context);
        view = EAGLView::initWithContext(context, &loop);
        ASSERT_TRUE(view);
        view->layer().setDrawableSize(32, 48);
        view->createFramebuffer();
        view->startAnimation();
    }

    void TearDown() override
    {
        view.reset();
        context.reset();
    }

    // Runs the frame timer until `until` holds or the time is up; seconds taken.
    template <typename Pred> double runUntil(double limitSeconds, Pred until)
    {
        const auto begin = std::chrono::steady_clock::now();
        const int check = loop.addRepeatingTimer(1.0 / 60.0, [&] {
            const double t = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
            if (until() || t > limitSeconds)
                loop.quit();
        });
        loop.run();
        loop.invalidateTimer(check);
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    }

    RunLoop loop;
    std::shared_ptr<EAGLContext> context;
    std::shared_ptr<EAGLView> view;
};

TEST_F(CaptureSceneTest, HearsMusicFromTheCaptureDeviceWithinSeconds)
{
    start(clickTrack(12.0));
    ASSERT_EQ(audioInMeterIsRunning(), 1);
    int beats = 0;
    const double seconds = runUntil(8.0, [&] {
        beats += view->lastBeat() == 1.0f ? 1 : 0;
        return beats >= 3;
    });
    EXPECT_GE(beats, 3) << "no music heard in " << seconds << " s";
    EXPECT_LT(seconds, 6.0);
}

// The microphone is unplugged mid-run and plugged in again: the scene runs
// throughout, listening stops and starts, and the music is found again.
TEST_F(CaptureSceneTest, TheMicrophoneVanishesAndComesBackWhileTheSceneRuns)
{
    start(clickTrack(20.0));
    AudioInterruptions interruptions;
    int beats = 0;
    runUntil(6.0, [&] {
        beats += view->lastBeat() == 1.0f ? 1 : 0;
        return beats >= 2;
    });
    ASSERT_GE(beats, 2);

    interruptions.captureDeviceRemoved(runningCaptureDevice(), runningCaptureDevice());
    EXPECT_EQ(audioInMeterIsRunning(), 0);
    const uint64_t before = view->layer().presentCount();
    runUntil(0.5, [] { return false; });
    EXPECT_GT(view->layer().presentCount(), before + 10);  // still animating
    EXPECT_EQ(getAverageAudioPower(), 0.0f);

    interruptions.captureDeviceAdded();
    ASSERT_EQ(audioInMeterIsRunning(), 1);
    beats = 0;
    runUntil(8.0, [&] {
        beats += view->lastBeat() == 1.0f ? 1 : 0;
        return beats >= 2;
    });
    EXPECT_GE(beats, 2) << "no music after the microphone came back";
}

TEST_F(CaptureSceneTest, WithoutACaptureDeviceTheToyRunsAtLevelZero)
{
    start(testHome() + "/missing.raw");
    EXPECT_EQ(audioInMeterIsRunning(), 0);
    const uint64_t before = view->layer().presentCount();
    runUntil(0.5, [] { return false; });
    EXPECT_GT(view->layer().presentCount(), before + 10);
    EXPECT_EQ(getAverageAudioPower(), 0.0f);
}

}  // namespace
}  // namespace zorbel::test
