// The page against a bare WebGL page that draws one full-canvas textured
// quad a frame, in each of the three engines (software rendering: the GPU's
// work is the CPU's here):
//   - CPU use of all the browser's processes (and of its X server, for
//     Firefox and WebKitGTK under Xvfb) over 10 s at 640 x 960 device
//     pixels, and the frames a second each draws;
//   - the time from asking for the page to its first frame, on a first visit
//     and on a visit served by the service worker;
//   - the site's size, gzipped, as the first visit fetches it;
//   - one overlay render in Canvas 2D (bench/overlay_bench.cpp in a page).
// Usage: zorbel-page-bench [SECONDS] [ROUNDS] [ENGINE...]   (after the
// desktop build has made the browser version in build/web; the engines are
// Chromium, Firefox and WebKit, all three by default)
#include "chromium.h"
#include "testHome.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace zorbel;
using namespace zorbel::test;

namespace {

// Every process below `root`, and `root`.
std::set<pid_t> family(pid_t root)
{
    std::map<pid_t, pid_t> parent;
    DIR* proc = opendir("/proc");
    while (dirent* e = proc ? readdir(proc) : nullptr) {
        const pid_t pid = std::atoi(e->d_name);
        if (pid <= 0)
            continue;
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string line;
        std::getline(stat, line);
        const size_t close = line.rfind(')');
        if (close == std::string::npos)
            continue;
        std::istringstream rest(line.substr(close + 2));
        std::string state;
        pid_t ppid = 0;
        rest >> state >> ppid;
        parent[pid] = ppid;
    }
    if (proc)
        closedir(proc);
    std::set<pid_t> out = {root};
    for (bool grew = true; grew;) {
        grew = false;
        for (const auto& [pid, ppid] : parent)
            if (out.count(ppid) && out.insert(pid).second)
                grew = true;
    }
    return out;
}

// CPU ticks (user and system) of a set of processes.
long ticks(const std::set<pid_t>& pids)
{
    long total = 0;
    for (pid_t pid : pids) {
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string line;
        std::getline(stat, line);
        const size_t close = line.rfind(')');
        if (close == std::string::npos)
            continue;
        std::istringstream rest(line.substr(close + 2));
        std::string field;
        for (int i = 3; i <= 15; ++i) {
            rest >> field;
            if (i == 14 || i == 15)
                total += std::atol(field.c_str());
        }
    }
    return total;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

struct Load {
    double cpuPercent;  // of one core
    double framesPerSecond;
};

// A page at 320 x 480 CSS pixels, twice that (or ZORBEL_BENCH_SCALE times)
// in device pixels: CPU over the window and the frames the page counts with
// `frames` (a JavaScript expression); with `recording`, while F9 records a
// clip of it.
Load measure(Engine engine, const std::string& url, const std::string& frames, int seconds, bool recording = false)
{
    BrowserOptions options;
    // ZORBEL_BENCH_SCALE: device pixels per CSS pixel (2 unless said; a
    // phone's is often 3).
    const char* scale = std::getenv("ZORBEL_BENCH_SCALE");
    options.deviceScaleFactor = scale && std::atof(scale) > 0 ? std::atof(scale) : 2;
    options.fakeMedia = false;
    auto tab = openBrowser(engine, options);
    if (!tab)
        return {0, 0};
    tab->open(url);
    tab->waitFor("document.readyState == 'complete' && (!window.Module || Module.firstFrameAt)");
    tab->waitFor(frames + " > 0");
    if (recording) {
        tab->key("F9");
        auto started = [&] {
            const auto lines = tab->console();
            return std::any_of(lines.begin(), lines.end(),
                               [](const std::string& l) { return l.rfind("clip: recording", 0) == 0; });
        };
        for (int i = 0; i < 50 && !started(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (!started())
            std::printf("    (the clip did not start)\n");
    }
    std::this_thread::sleep_for(std::chrono::seconds(2));
    std::set<pid_t> pids;
    for (pid_t root : tab->processes())
        for (pid_t p : family(root))
            pids.insert(p);
    std::map<pid_t, long> each0;
    for (pid_t p : pids)
        each0[p] = ticks({p});
    const long t0 = ticks(pids);
    const double f0 = tab->eval(frames).get<double>();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const long t1 = ticks(pids);
    const double f1 = tab->eval(frames).get<double>();
    // ZORBEL_BENCH_PROCESSES=1: each process's share (the GPU process
    // renders with swiftshader, on the CPU).
    if (std::getenv("ZORBEL_BENCH_PROCESSES")) {
        for (pid_t p : pids) {
            std::string type = commandOutput("tr '\\0' '\\n' < /proc/" + std::to_string(p) +
                                             "/cmdline | sed -n 's/^--type=//p;1s|.*/||p' | head -2 | tail -1");
            if (!type.empty() && type.back() == '\n')
                type.pop_back();
            std::printf("    %-20s %5.1f%%\n", type.empty() ? "browser" : type.c_str(),
                        100.0 * (ticks({p}) - each0[p]) / sysconf(_SC_CLK_TCK) / seconds);
        }
    }
    return {100.0 * (t1 - t0) / sysconf(_SC_CLK_TCK) / seconds, (f1 - f0) / seconds};
}

long gzipped(const std::string& path)
{
    const std::string out = commandOutput("gzip -9c '" + path + "' | wc -c");
    return std::atol(out.c_str());
}

}  // namespace

int main(int argc, char** argv)
{
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
    const std::string site = webBuild() + "/site";

    // The bare page beside the site, served by the same server.
    const std::string dir = freshDir("page-bench");
    commandOutput("cp -r '" + site + "'/. '" + dir + "'");
    commandOutput("cp '" + std::string(ZORBEL_BARE_PAGE) + "' '" + dir + "/bare.html'");
    SiteServer server(dir);

    std::vector<Engine> engines;
    for (int i = 3; i < argc; ++i)
        for (Engine e : {Engine::Chromium, Engine::Firefox, Engine::WebKit})
            if (std::string(argv[i]) == engineName(e))
                engines.push_back(e);
    if (engines.empty())
        engines = {Engine::Chromium, Engine::Firefox, Engine::WebKit};
    for (Engine engine : engines) {
        std::vector<double> pageCpu, pageFps, bareCpu, bareFps;
        for (int r = 0; r < rounds; ++r) {
            const Load page = measure(engine, server.url(), "_zorbelFramesDrawn()", seconds);
            const Load bare = measure(engine, server.url() + "bare.html", "window.framesDrawn", seconds);
            std::printf("%s, round %d: page %.1f%% at %.1f frames/s, bare %.1f%% at %.1f frames/s\n",
                        engineName(engine), r + 1, page.cpuPercent, page.framesPerSecond, bare.cpuPercent,
                        bare.framesPerSecond);
            pageCpu.push_back(page.cpuPercent);
            pageFps.push_back(page.framesPerSecond);
            bareCpu.push_back(bare.cpuPercent);
            bareFps.push_back(bare.framesPerSecond);
        }
        std::printf("%s, CPU of one core (median): page %.1f%%, bare WebGL page %.1f%%, ratio %.2f\n",
                    engineName(engine), median(pageCpu), median(bareCpu), median(pageCpu) / median(bareCpu));
        std::printf("%s, frames a second (median): page %.1f, bare WebGL page %.1f\n", engineName(engine),
                    median(pageFps), median(bareFps));
        if (engine != Engine::Chromium)
            continue;
        // The page while it records a clip (MediaRecorder, WebM).
        std::vector<double> clipCpu, clipFps;
        for (int r = 0; r < rounds; ++r) {
            const Load clip = measure(engine, server.url(), "_zorbelFramesDrawn()", seconds, true);
            std::printf("%s, round %d, recording a clip: page %.1f%% at %.1f frames/s\n", engineName(engine), r + 1,
                        clip.cpuPercent, clip.framesPerSecond);
            clipCpu.push_back(clip.cpuPercent);
            clipFps.push_back(clip.framesPerSecond);
        }
        std::printf("%s, recording a clip (median): page %.1f%% of one core at %.1f frames a second\n",
                    engineName(engine), median(clipCpu), median(clipFps));
    }

    // Asking for the page to its first frame: a first visit (empty cache,
    // the service worker not yet there) and a visit it serves.
    std::vector<double> first, again;
    for (int r = 0; r < 5; ++r) {
        Chromium browser;
        Tab tab(browser, {320, 480, 2, true});
        tab.open(server.url());
        tab.waitFor("window.Module && Module.firstFrameAt");
        first.push_back(tab.eval("Module.firstFrameAt").get<double>());
        tab.waitFor("navigator.serviceWorker.controller != null");
        tab.reload();
        tab.waitFor("window.Module && Module.firstFrameAt");
        again.push_back(tab.eval("Module.firstFrameAt").get<double>());
    }
    std::printf("navigation to the first frame (median of 5): first visit %.0f ms, from the service worker %.0f ms\n",
                median(first), median(again));

    // What the first visit fetches: every file but the two large icons.
    long total = 0;
    const std::string list = commandOutput("cd '" + site + "' && find . -type f | sort");
    std::istringstream files(list);
    for (std::string f; std::getline(files, f);) {
        if (f.find("zorbel-256x256") != std::string::npos || f.find("zorbel-512x512") != std::string::npos)
            continue;
        const long size = gzipped(site + "/" + f);
        total += size;
        std::printf("  %8ld  %s\n", size, f.c_str());
    }
    std::printf("the site, gzipped: %ld bytes (%.2f MB)\n", total, total / 1e6);

    // The overlay drawn by the kit in Canvas 2D.
    SiteServer benches(webBuild() + "/bench");
    Chromium browser;
    Tab tab(browser, {320, 480, 2, true});
    tab.open(benches.url() + "overlay.html");
    if (tab.waitFor("window.result !== undefined", 120000))
        std::printf("Canvas 2D: %s\n", tab.eval("window.result").get<std::string>().c_str());
    return 0;
}
