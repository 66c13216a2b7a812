// Ten seconds of the app in a 480 x 720 window, playing and recording a clip
// (F9): the scene's frames a second, the whole process's CPU (the encoder's
// threads and the rasteriser's included) and the pictures in the clip,
// against 300. Run under Xvfb with a screen that opens the window at scale
// 1.5 (bench/clip_compare.sh does).
#include "app/desktopApp.h"
#include "clipFile.h"
#include "platform/gles/EAGLLayer.h"
#include "view/EAGLView.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <memory>
#include <string>

namespace zorbel {
namespace {

constexpr double kSeconds = 10;

double processSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// F9 as the keyboard gives it.
void pressF9()
{
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.state = SDL_PRESSED;
    e.key.keysym.sym = SDLK_F9;
    e.key.keysym.scancode = SDL_SCANCODE_F9;
    SDL_PushEvent(&e);
    e.type = SDL_KEYUP;
    e.key.state = SDL_RELEASED;
    SDL_PushEvent(&e);
}

// Runs the loop for `seconds`, then returns.
void runFor(DesktopApp& app, double seconds)
{
    int timer = 0;
    timer = app.loop().addRepeatingTimer(seconds, [&] {
        app.loop().invalidateTimer(timer);
        app.loop().quit();
    });
    app.run();
}

// The newest clip in Videos/Zorbel of the benchmark's home.
std::string newestClip(const std::string& home)
{
    const std::string dir = home + "/Videos/Zorbel";
    std::string newest;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
            const std::string name = e->d_name;
            if (name.size() > 5 && name.compare(name.size() - 5, 5, ".webm") == 0 && name > newest)
                newest = name;
        }
        closedir(d);
    }
    return newest.empty() ? "" : dir + "/" + newest;
}

void BM_TenSeconds(benchmark::State& state)
{
    const bool recording = state.range(0) != 0;
    static char home[] = "/tmp/zorbel-clip-bench-XXXXXX";
    static const bool made = mkdtemp(home) != nullptr;
    if (made) {
        setenv("HOME", home, 1);
        setenv("XDG_CONFIG_HOME", home, 1);
        setenv("XDG_DATA_HOME", home, 1);
    }
    for (auto _ : state) {
        auto app = std::make_unique<DesktopApp>();
        if (!app->start()) {
            state.SkipWithError("the app cannot start here");
            break;
        }
        runFor(*app, 1);  // settled
        if (recording)
            pressF9();
        runFor(*app, 0.1);  // the clip has started
        const uint64_t frames0 = app->glView().layer().presentCount();
        const double cpu0 = processSeconds();
        runFor(*app, kSeconds);
        const uint64_t frames1 = app->glView().layer().presentCount();
        const double cpu1 = processSeconds();
        if (recording) {
            pressF9();
            runFor(*app, 2);  // the file is finished
        }
        app.reset();
        state.counters["fps"] = static_cast<double>(frames1 - frames0) / kSeconds;
        state.counters["cores"] = (cpu1 - cpu0) / kSeconds;
        if (recording) {
            long pictures = 0;
            const std::string clip = newestClip(home);
            test::eachPicture(clip, [&](double, const RGBAImage&) { ++pictures; });
            // Pictures in 10 s of the clip (it holds a little more).
            state.counters["clip_pictures_per_10s"] =
                static_cast<double>(pictures) * kSeconds / std::max(0.1, test::inspectClip(clip).seconds);
            state.counters["clip_pictures"] = static_cast<double>(pictures);
        }
    }
}

BENCHMARK(BM_TenSeconds)->ArgName("recording")->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
}  // namespace zorbel
