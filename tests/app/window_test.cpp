// The real app in a real window (run under Xvfb): it starts, a mouse drag
// moves the figure, and it quits cleanly.
#include "platform/imaging/image.h"
#include "testHome.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace zorbel {
namespace {

std::string output(const std::string& cmd)
{
    std::string out;
    if (FILE* p = popen(cmd.c_str(), "r")) {
        char buf[256];
        while (fgets(buf, sizeof buf, p))
            out += buf;
        pclose(p);
    }
    return out;
}

// Centre of the chalk-white pixels whose rows lie in [top, top + rows),
// away from the two icon corners.
bool chalkCentre(const std::string& png, float& cx, float& cy, int top = 0, int rows = 1 << 20)
{
    RGBAImage img;
    if (!loadPNG(png, img))
        return false;
    auto chalk = [&](int x, int y) {
        const uint8_t* p = &img.pixels[(static_cast<size_t>(y) * img.width + x) * 4];
        return p[0] > 170 && p[1] > 170 && p[2] > 170;
    };
    const int bottom = img.height * 9 / 10;
    double sx = 0, sy = 0;
    long n = 0;
    for (int y = top; y < bottom && y < top + rows; ++y) {
        for (int x = 0; x < img.width; ++x) {
            if (chalk(x, y)) {
                sx += x;
                sy += y;
                ++n;
            }
        }
    }
    if (n < 20)
        return false;
    cx = static_cast<float>(sx / n);
    cy = static_cast<float>(sy / n);
    return true;
}

// The head: the chalk near the highest chalk row.
bool headPoint(const std::string& png, float& hx, float& hy)
{
    RGBAImage img;
    if (!loadPNG(png, img))
        return false;
    for (int y = 0; y < img.height * 9 / 10; ++y) {
        for (int x = 0; x < img.width; ++x) {
            const uint8_t* p = &img.pixels[(static_cast<size_t>(y) * img.width + x) * 4];
            if (p[0] > 170 && p[1] > 170 && p[2] > 170)
                return chalkCentre(png, hx, hy, y, img.height / 20);
        }
    }
    return false;
}

TEST(Window, DraggingWithTheMouseMovesTheFigure)
{
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "needs an X display (run under xvfb-run)";
    const std::string dir = test::freshDir("window");
    pid_t app = fork();
    ASSERT_GE(app, 0);
    if (app == 0) {
        execl(ZORBEL_APP, ZORBEL_APP, static_cast<char*>(nullptr));
        _exit(127);
    }
    std::string wid;
    for (int i = 0; i < 100 && wid.empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        wid = output("xdotool search --onlyvisible --name '^Zorbel$' 2>/dev/null | head -n 1");
        while (!wid.empty() && (wid.back() == '\n'))
            wid.pop_back();
    }
    ASSERT_FALSE(wid.empty()) << "no window appeared";
    std::this_thread::sleep_for(std::chrono::seconds(8));  // he falls, stands up and comes to rest

    const std::string before = dir + "/before.png";
    const std::string after = dir + "/after.png";
    ASSERT_EQ(system(("import -window " + wid + " " + before).c_str()), 0);
    float x0, y0, hx, hy;
    ASSERT_TRUE(chalkCentre(before, x0, y0)) << "no figure on screen";
    ASSERT_TRUE(headPoint(before, hx, hy));

    // Grab him by the head and pull to the left and up, in small steps as a
    // hand moves a mouse: a jump beyond his reach would let go of him.
    std::string drag = "xdotool mousemove --window " + wid + " " + std::to_string(static_cast<int>(hx)) + " " +
                       std::to_string(static_cast<int>(hy)) + " mousedown 1 sleep 0.1";
    for (int step = 0; step < 30; ++step)
        drag += " mousemove_relative -- -4 -3 sleep 0.03";
    drag += " sleep 0.5";
    ASSERT_EQ(system(drag.c_str()), 0);
    ASSERT_EQ(system(("import -window " + wid + " " + after).c_str()), 0);
    EXPECT_EQ(system("xdotool mouseup 1"), 0);
    float x1, y1;
    ASSERT_TRUE(chalkCentre(after, x1, y1));
    EXPECT_LT(x1, x0 - 30.0f) << "he did not follow the mouse";

    kill(app, SIGTERM);
    int status = 0;
    waitpid(app, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
}

}  // namespace
}  // namespace zorbel
