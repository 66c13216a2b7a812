// The album screen with 200 photos of 12 megapixels: how long it takes to
// open (the grid is up, thumbnails still coming) and until every thumbnail
// has been decoded on the worker threads.
#include "platform/kit/kit.h"
#include "ui/albumPicker.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <unistd.h>

namespace zorbel {
namespace {

// 200 copies of one 4000 x 3000 JPEG, made once.
const std::string& album()
{
    static std::string dir;
    if (!dir.empty())
        return dir;
    char pattern[] = "/tmp/zorbel-album-XXXXXX";
    dir = mkdtemp(pattern);
    const std::string first = dir + "/photo-000.jpg";
    std::system(("/usr/bin/convert -size 4000x3000 gradient:orange-navy -attenuate 0.3 +noise Uniform -quality 85 '" +
                 first + "'")
                    .c_str());
    for (int i = 1; i < 200; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/photo-%03d.jpg", i);
        std::system(("cp '" + first + "' '" + dir + name + "'").c_str());
    }
    return dir;
}

void BM_AlbumOpens(benchmark::State& state)
{
    const std::string& dir = album();
    for (auto _ : state) {
        auto picker = AlbumPicker::create(dir);
        benchmark::DoNotOptimize(picker->photoCount());
        state.PauseTiming();
        picker.reset();
        runMainThreadTasks();
        state.ResumeTiming();
    }
}

void BM_AlbumAllThumbnails(benchmark::State& state)
{
    const std::string& dir = album();
    for (auto _ : state) {
        auto picker = AlbumPicker::create(dir);
        while (picker->thumbnailsLoaded() < picker->photoCount()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            runMainThreadTasks();
        }
    }
}

BENCHMARK(BM_AlbumOpens)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_AlbumAllThumbnails)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace
}  // namespace zorbel
