// The whole path: SDL capture (the disk driver delivering a click track in
// real time), the level meter on the audio thread, and the scene's frame
// timer feeding the beat detector.
#include "sceneFixture.h"

#include "audio/audioInMeter.h"
#include "audio/audioInput.h"
#include "platform/audio/sdlAudioInput.h"
#include "platform/window/RunLoop.h"
#include "recordings.h"

#include <chrono>

namespace zorbel::test {
namespace {

TEST(CaptureScene, HearsTheMusicTheCaptureDeviceDelivers)
{
    const int seconds = 20;  // the click track's length, 120 beats a minute
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_DISKAUDIOFILEIN", clickTrack(120, seconds).c_str(), 1);
    setAudioQueueOpener(openSdlAudioInput);
    RunLoop loop;
    std::shared_ptr<EAGLContext> context = EAGLContext::createSurfaceless();
    ASSERT_TRUE(context);
    std::shared_ptr<EAGLView> view = EAGLView::initWithContext(context, &loop);
    ASSERT_TRUE(view);
    view->layer().setDrawableSize(32, 48);
    view->createFramebuffer();
    view->startAnimation();
    ASSERT_EQ(audioInMeterIsRunning(), 1);

    // The frames run until three beats are heard, or the recording ends.
    int beats = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    loop.addRepeatingTimer(1.0 / 60.0, [&] {
        beats += view->lastBeat() == 1.0f ? 1 : 0;
        if (beats >= 3 || std::chrono::steady_clock::now() > end)
            loop.quit();
    });
    loop.run();
    EXPECT_GE(beats, 3) << "no music heard";
}

}  // namespace
}  // namespace zorbel::test
