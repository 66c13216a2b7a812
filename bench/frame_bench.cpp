// One frame's pure work: physics, both meshes and the beat detector.
// The "allocs" counter must stay 0: the frame allocates nothing.
#include "audio/audioInMeter.h"
#include "countingAllocator.h"
#include "figure/myGuy.h"

#include <benchmark/benchmark.h>

namespace zorbel {
namespace {

// Runs frames of the figure; `clicks` feeds a 2-per-second click level so
// that he dances.
void frames(benchmark::State& state, bool clicks)
{
    Guy* guy = NewGuy(-1, 1, -1.5f, 1.5f);
    guy->gravityY = -100.0f;
    int frame = 0;
    auto step = [&] {
        const float level = clicks && frame % 30 < 2 ? 0.7f : 0.04f;
        const float beat = getAudioBeat(clicks ? level : 0.0f);
        IntegratePhysics(guy, 0.025f, beat);
        PrepareBodyGLVertexArrays(guy);
        PrepareHeadGLVertexArrays(guy);
        ++frame;
    };
    for (int i = 0; i < 600; ++i)  // stand up, and let the music be heard
        step();
    const long before = heapAllocations();
    for (auto _ : state) {
        step();
        benchmark::DoNotOptimize(guy->headStrip[0]);
    }
    state.counters["allocs"] = static_cast<double>(heapAllocations() - before);
    FreeGuy(guy);
}

void BM_FrameStanding(benchmark::State& state)
{
    frames(state, false);
}
void BM_FrameDancing(benchmark::State& state)
{
    frames(state, true);
}

BENCHMARK(BM_FrameStanding)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_FrameDancing)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace
}  // namespace zorbel
