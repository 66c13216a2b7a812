#include "browser.h"

#include "testHome.h"
#include "wire.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <thread>
#include <unistd.h>

namespace zorbel::test {

std::unique_ptr<Page> openChromium(const BrowserOptions& options);
std::unique_ptr<Page> openFirefox(const BrowserOptions& options);
std::unique_ptr<Page> openWebKit(const BrowserOptions& options);

const char* engineName(Engine engine)
{
    switch (engine) {
    case Engine::Chromium:
        return "Chromium";
    case Engine::Firefox:
        return "Firefox";
    case Engine::WebKit:
        break;
    }
    return "WebKit";
}

RGBAImage screenshotOf(const std::string& base64Png)
{
    const std::string file = freshDir("screenshot") + "/page.png";
    writeFile(file, base64Decode(base64Png));
    RGBAImage image;
    EXPECT_TRUE(loadPNG(file, image, 16384)) << "the screenshot cannot be read";
    return image;
}

std::string webBuild()
{
    return ZORBEL_WEB_BUILD;
}

SiteServer::SiteServer(const std::string& folder, int maxAge) : preload_(freshDir("site") + "/preload.js")
{
    const std::string age = std::to_string(maxAge);
    int out[2];
    if (pipe(out) != 0)
        return;
    pid_ = fork();
    if (pid_ == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        dup2(out[1], 1);
        close(out[0]);
        execlp("python3", "python3", "-u", ZORBEL_SITE_SERVER, folder.c_str(), preload_.c_str(), age.c_str(),
               static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    std::string line;
    char c;
    pollfd p{out[0], POLLIN, 0};
    while (line.find('\n') == std::string::npos && poll(&p, 1, 10000) > 0 && read(out[0], &c, 1) == 1)
        line += c;
    close(out[0]);
    if (line.compare(0, 5, "port ") == 0)
        url_ = "http://127.0.0.1:" + std::to_string(std::atoi(line.c_str() + 5)) + "/";
    EXPECT_FALSE(url_.empty()) << "the site server did not start: " << line;
}

SiteServer::~SiteServer()
{
    stop();
}

void SiteServer::stop()
{
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    pid_ = -1;
}

void SiteServer::setPreload(const std::string& source)
{
    if (source.empty())
        std::remove(preload_.c_str());
    else
        writeFile(preload_, source);
}

void Page::key(const std::string& name)
{
    keyDown(name);
    keyUp(name);
}

bool Page::waitFor(const std::string& expression, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const json v = eval("Promise.resolve(" + expression + ").then(v => !!v)");
        if (v.is_boolean() && v.get<bool>())
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

void Page::frames(int frames)
{
    eval("new Promise(done => { let n = " + std::to_string(frames) +
         "; const next = () => (--n > 0 ? requestAnimationFrame(next) : done(true)); requestAnimationFrame(next); })");
}

BoardRect Page::board(bool again)
{
    if (board_.scale > 0 && !again)
        return board_;
    const json r = eval("(() => { const c = document.getElementById('board');"
                        " if (!c || c.style.visibility != 'visible') return null; const b = c.getBoundingClientRect(); "
                        "return [b.left, b.top, b.width, devicePixelRatio]; })()");
    if (r.is_array() && r.size() == 4 && r[2].get<double>() > 0) {
        board_ = {r[0].get<double>(), r[1].get<double>(), r[2].get<double>() / 320};
        pixelRatio_ = r[3].get<double>();
    }
    return board_;
}

void Page::toViewport(double x, double y, double& vx, double& vy)
{
    const BoardRect b = board();
    const double scale = b.scale > 0 ? b.scale : 1;
    vx = b.x + x * scale;
    vy = b.y + y * scale;
}

RGBAImage Page::screenshot()
{
    const RGBAImage whole = viewportShot();
    const BoardRect b = board();
    if (b.scale <= 0 || whole.width == 0)
        return whole;
    const int x = static_cast<int>(std::lround(b.x * pixelRatio_)),
              y = static_cast<int>(std::lround(b.y * pixelRatio_));
    const int w = std::min(whole.width - x, static_cast<int>(std::lround(320 * b.scale * pixelRatio_)));
    const int h = std::min(whole.height - y, static_cast<int>(std::lround(480 * b.scale * pixelRatio_)));
    if (x == 0 && y == 0 && w == whole.width && h == whole.height)
        return whole;
    RGBAImage out;
    out.width = w;
    out.height = h;
    out.pixels.resize(static_cast<size_t>(w) * h * 4);
    for (int row = 0; row < h; ++row)
        std::copy_n(&whole.pixels[(static_cast<size_t>(row + y) * whole.width + x) * 4], w * 4,
                    &out.pixels[static_cast<size_t>(row) * w * 4]);
    return out;
}

std::unique_ptr<Page> openBrowser(Engine engine, const BrowserOptions& options)
{
    switch (engine) {
    case Engine::Chromium:
        return openChromium(options);
    case Engine::Firefox:
        return openFirefox(options);
    case Engine::WebKit:
        break;
    }
    return openWebKit(options);
}

}  // namespace zorbel::test
