// The camera screen's work on the main thread per preview frame, with a
// 640 x 480 test picture at 30 a second standing in for the webcam: taking
// the newest picture and converting it into the preview (arg 0), and with
// the screen (the camera over the face picker) drawn as the window
// composites it at 2x, 640 x 960 pixels (arg 1).
#include "platform/imaging/image.h"
#include "platform/kit/kit.h"
#include "ui/cameraPicker.h"
#include "ui/facePickerController.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace zorbel {
namespace {

void BM_CameraPreviewFrame(benchmark::State& state)
{
    setenv("ZORBEL_TEST_CAMERA", "videotestsrc pattern=ball", 1);  // 640 x 480 is what the camera is asked for
    static std::atomic<bool> woken{false};
    setMainThreadWakeUp([] { woken = true; });
    Screen screen;
    auto picker = facePickerController::create();
    screen.root().addSubview(picker->view());
    auto camera = CameraPicker::create();
    screen.root().addSubview(camera->view());
    RGBAImage picture;
    if (!camera->message().empty())
        state.SkipWithError(camera->message().c_str());
    for (auto _ : state) {
        state.PauseTiming();
        while (!woken.exchange(false))
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        state.ResumeTiming();
        runMainThreadTasks();  // the newest picture into the preview
        if (state.range(0))
            screen.render(640, 960, picture);
    }
    {
        EventScope scope;
        camera->view()->removeFromSuperview();
        picker->view()->removeFromSuperview();
    }
    setMainThreadWakeUp(nullptr);
}

BENCHMARK(BM_CameraPreviewFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(150);

}  // namespace
}  // namespace zorbel
