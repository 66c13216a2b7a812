// Launch to the first presented frame, in process: opening the window,
// building the scene (textures, figure, meter) and compositing its first
// frame. The exec and dynamic loading before main() add a few milliseconds
// (time `zorbel --version`).
#include "app/desktopApp.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <unistd.h>

namespace zorbel {
namespace {

void BM_StartToFirstFrame(benchmark::State& state)
{
    static char home[] = "/tmp/zorbel-bench-XXXXXX";
    if (mkdtemp(home)) {
        setenv("XDG_CONFIG_HOME", home, 1);
        setenv("XDG_DATA_HOME", home, 1);
    }
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
    for (auto _ : state) {
        auto app = std::make_unique<DesktopApp>();
        if (!app->start()) {
            state.SkipWithError("the app cannot start here");
            break;
        }
        state.PauseTiming();  // tearing down is not part of the launch
        app.reset();
        state.ResumeTiming();
    }
}

// The first launch in the process pays for loading the GL driver and
// compiling its first shaders, as a real launch does; later ones are warm.
BENCHMARK(BM_StartToFirstFrame)
    ->Name("BM_ColdStartToFirstFrame")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);
BENCHMARK(BM_StartToFirstFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10)->Repetitions(3);

}  // namespace
}  // namespace zorbel
