// The whole frame on Mesa's software rasteriser: one drawView at 640 x 960
// pixels, headless. Reports process CPU time (llvmpipe rasterises on worker
// threads) and wall time.
#include "figure/myGuy.h"
#include "platform/gles/EAGLContext.h"
#include "platform/gles/EAGLLayer.h"
#include "view/EAGLView.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <unistd.h>

namespace zorbel {
namespace {

// Keeps the benchmark away from the user's preferences.
void privateHome()
{
    static char dir[] = "/tmp/zorbel-bench-XXXXXX";
    static bool done = false;
    if (!done && mkdtemp(dir)) {
        setenv("XDG_CONFIG_HOME", dir, 1);
        setenv("XDG_DATA_HOME", dir, 1);
        done = true;
    }
}

void drawView(benchmark::State& state, bool grabbed)
{
    privateHome();
    auto context = EAGLContext::createSurfaceless();
    if (!context) {
        state.SkipWithError("no EGL surfaceless context");
        return;
    }
    auto view = EAGLView::initWithContext(context, nullptr);
    view->layer().setDrawableSize(640, 960);
    view->createFramebuffer();
    for (int i = 0; i < 400; ++i)  // he stands up
        view->drawView();
    if (grabbed) {  // a tacked hand and a finger: tack tool and tacks drawn too
        const TouchPoint hand{210.0f, 300.0f};
        view->touchesBegan(&hand, 1);
        const TouchPoint corner{10.0f, 470.0f};
        view->touchesBegan(&corner, 1);
        const TouchPoint finger{100.0f, 100.0f};
        view->touchesBegan(&finger, 1);
    }
    for (auto _ : state)
        view->drawView();
    view.reset();
}

void BM_DrawView640x960(benchmark::State& state)
{
    drawView(state, false);
}
void BM_DrawView640x960WithTacks(benchmark::State& state)
{
    drawView(state, true);
}

BENCHMARK(BM_DrawView640x960)->MeasureProcessCPUTime()->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_DrawView640x960WithTacks)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace
}  // namespace zorbel
