// The core's time per frame (physics, both meshes, the beat detector) on the
// inputs of the committed scripts, and the heap allocations made in the
// frames (they must be 0). A plain program, so that the browser build runs
// the very same one under node:
//   build/bench/zorbel-core-bench           (native)
//   node build-web/bench/zorbel-core-bench.js  (WebAssembly)
// bench/web_compare.sh runs both and prints the ratio.
#include "audio/audioInMeter.h"
#include "countingAllocator.h"
#include "figure/myGuy.h"
#include "script.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace zorbel;

namespace {

// Gravity and the microphone level of every frame a script runs.
struct FrameInput {
    float gravityX, gravityY, level;
};

std::vector<FrameInput> framesOf(const std::vector<ScriptCommand>& script)
{
    std::vector<FrameInput> frames;
    float ax = 0, ay = -1, level = 0;
    for (const ScriptCommand& c : script) {
        if (c.kind == ScriptCommand::Accel) {
            ax = static_cast<float>(c.a[0]);
            ay = static_cast<float>(c.a[1]);
        } else if (c.kind == ScriptCommand::Level) {
            level = c.f[0];
        } else if (c.kind == ScriptCommand::Frames) {
            for (long i = 0; i < c.count; ++i)
                frames.push_back({100.0f * ax, 100.0f * ay, level});
        }
    }
    return frames;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s SCRIPT... (zorbel-sim scripts)\n", argv[0]);
        return 2;
    }
    const int kRounds = 200;
    std::printf("%-28s %8s %12s %8s\n", "script", "frames", "ns/frame", "allocs");
    for (int a = 1; a < argc; ++a) {
        std::ifstream in(argv[a]);
        std::stringstream text;
        text << in.rdbuf();
        std::vector<ScriptCommand> script;
        std::string error;
        ScriptOptions options;
        options.allowCrop = true;
        if (!in || !parseScript(text.str(), options, script, error)) {
            std::fprintf(stderr, "%s: %s\n", argv[a], in ? error.c_str() : "cannot read");
            return 2;
        }
        const std::vector<FrameInput> frames = framesOf(script);
        double best = 1e300;
        long allocations = 0;
        float sink = 0;
        for (int round = 0; round < kRounds; ++round) {
            Guy* guy = NewGuy(-1, 1, -1.5f, 1.5f);
            const long before = heapAllocations();
            const auto start = std::chrono::steady_clock::now();
            for (const FrameInput& f : frames) {
                guy->gravityX = f.gravityX;
                guy->gravityY = f.gravityY;
                IntegratePhysics(guy, 0.025f, getAudioBeat(f.level));
                PrepareBodyGLVertexArrays(guy);
                PrepareHeadGLVertexArrays(guy);
            }
            const auto end = std::chrono::steady_clock::now();
            allocations += heapAllocations() - before;
            sink += guy->headStrip[0];
            FreeGuy(guy);
            best = std::min(best, std::chrono::duration<double, std::nano>(end - start).count());
        }
        const std::string name = std::string(argv[a]).substr(std::string(argv[a]).rfind('/') + 1);
        std::printf("%-28s %8zu %12.0f %8ld\n", name.c_str(), frames.size(), best / frames.size(), allocations);
        if (sink == 12345.0f)
            std::printf(" ");  // keeps the frames from being optimised away
    }
    return 0;
}
