// The real app in a real window (run under Xvfb): it starts, a mouse drag
// moves the figure, and it quits cleanly.
#include "platform/imaging/image.h"
#include "testHome.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
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

// The app running in its own process, with its window found.
class RunningApp {
public:
    RunningApp()
    {
        pid_ = fork();
        if (pid_ == 0) {
            execl(ZORBEL_APP, ZORBEL_APP, static_cast<char*>(nullptr));
            _exit(127);
        }
        for (int i = 0; i < 100 && wid_.empty(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            wid_ = output("xdotool search --onlyvisible --name '^Zorbel$' 2>/dev/null | head -n 1");
            while (!wid_.empty() && wid_.back() == '\n')
                wid_.pop_back();
        }
        const std::string geometry = output("xdotool getwindowgeometry " + wid_ + " 2>/dev/null");
        const size_t at = geometry.find("Geometry: ");
        if (at != std::string::npos)
            scale_ = std::stof(geometry.substr(at + 10)) / 320.0f;  // window pixels per point
    }

    ~RunningApp()
    {
        if (pid_ > 0 && !stopped_)
            stop();
    }

    bool hasWindow() const { return !wid_.empty(); }
    const std::string& window() const { return wid_; }

    // A click at a point of the 320 x 480 screen.
    void click(float x, float y, double settle = 0.4)
    {
        run("xdotool mousemove --window " + wid_ + " " + px(x) + " " + px(y) + " click 1");
        std::this_thread::sleep_for(std::chrono::milliseconds(static_cast<int>(settle * 1000)));
    }

    // A drag in small steps, as a hand moves a mouse.
    void drag(float x0, float y0, float x1, float y1, int steps = 30)
    {
        std::string cmd = "xdotool mousemove --window " + wid_ + " " + px(x0) + " " + px(y0) + " mousedown 1";
        for (int i = 1; i <= steps; ++i)
            cmd += " mousemove --window " + wid_ + " " + px(x0 + (x1 - x0) * i / steps) + " " +
                   px(y0 + (y1 - y0) * i / steps) + " sleep 0.02";
        run(cmd + " mouseup 1 sleep 0.3");
    }

    bool screenshot(const std::string& png) { return std::system(("import -window " + wid_ + " " + png).c_str()) == 0; }

    int stop()
    {
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
        stopped_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    std::string px(float points) const { return std::to_string(static_cast<int>(points * scale_)); }
    static void run(const std::string& cmd) { EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd; }

    pid_t pid_ = -1;
    std::string wid_;
    float scale_ = 1.5f;
    bool stopped_ = false;
};

#define NEEDS_DISPLAY()                                                                                            \
    if (!std::getenv("DISPLAY"))                                                                                   \
    GTEST_SKIP() << "needs an X display (run under xvfb-run)"

// Pure magenta pixels in a picture of the window: the test photo on his head.
int magentaPixels(RunningApp& app)
{
    const std::string shot = test::freshDir("shot") + "/head.png";
    RGBAImage img;
    if (!app.screenshot(shot) || !loadPNG(shot, img))
        return -1;
    int n = 0;
    for (size_t i = 0; i < img.pixels.size(); i += 4)
        n += img.pixels[i] > 200 && img.pixels[i + 1] < 60 && img.pixels[i + 2] > 200 ? 1 : 0;
    return n;
}

TEST(Window, TheOverlayStoresAFrictionSetOnItsSlider)
{
    NEEDS_DISPLAY();
    RunningApp app;
    ASSERT_TRUE(app.hasWindow());
    std::this_thread::sleep_for(std::chrono::seconds(1));
    app.click(315, 475);  // the info corner
    app.click(50, 462);   // Settings
    app.drag(160, 373.5f, 300, 373.5f);  // the friction knob, from 1.0 to the right end
    app.click(270, 462);  // Dismiss
    EXPECT_EQ(app.stop(), 0);
    std::ifstream prefs(test::testHome() + "/config/zorbel/preferences.ini");
    std::string text((std::istreambuf_iterator<char>(prefs)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("STICKY_MULT=1.8999999"), std::string::npos) << text;
}

// A photo in a temporary Pictures folder, through the whole chain: overlay,
// Settings, the face button, the album, a thumbnail, the crop editor's OK.
TEST(Window, APhotoFromTheAlbumEndsUpOnHisHead)
{
    NEEDS_DISPLAY();
    const std::string pictures = test::freshDir("Pictures");
    RGBAImage magenta;
    magenta.width = magenta.height = 400;
    magenta.pixels.resize(400 * 400 * 4);
    for (size_t i = 0; i < magenta.pixels.size(); i += 4) {
        magenta.pixels[i] = 255;
        magenta.pixels[i + 2] = 255;
        magenta.pixels[i + 3] = 255;
    }
    ASSERT_TRUE(savePNG(pictures + "/me.png", magenta));
    mkdir((test::testHome() + "/config").c_str(), 0700);
    std::ofstream(test::testHome() + "/config/user-dirs.dirs") << "XDG_PICTURES_DIR=\"" << pictures << "\"\n";

    RunningApp app;
    ASSERT_TRUE(app.hasWindow());
    std::this_thread::sleep_for(std::chrono::seconds(4));  // he stands
    app.click(315, 475);        // the info corner
    app.click(50, 462);         // Settings
    app.click(160, 85);         // Change Zorbel's face
    app.click(160, 312, 1.5);   // Use a photo in your album; thumbnails load
    app.click(40, 84, 1.0);     // the photo
    app.click(270, 462);        // OK in the crop editor
    app.click(270, 462, 1.0);   // Dismiss the overlay
    EXPECT_GT(magentaPixels(app), 300) << "no photo on his head";
    EXPECT_EQ(app.stop(), 0);
}

// The same with the camera (videotestsrc, all magenta): the camera button,
// the shutter, OK.
TEST(Window, APictureFromTheCameraEndsUpOnHisHead)
{
    NEEDS_DISPLAY();
    setenv("ZORBEL_TEST_CAMERA", "videotestsrc pattern=solid-color foreground-color=0xffff00ff", 1);
    RunningApp app;
    ASSERT_TRUE(app.hasWindow());
    std::this_thread::sleep_for(std::chrono::seconds(4));  // he stands
    app.click(315, 475);       // the info corner
    app.click(50, 462);        // Settings
    app.click(160, 85);        // Change Zorbel's face
    app.click(160, 367, 1.5);  // Take a picture with your camera; the preview starts
    app.click(160, 460, 1.0);  // Take Photo
    app.click(270, 462);       // OK in the crop editor
    app.click(270, 462, 1.0);  // Dismiss the overlay
    EXPECT_GT(magentaPixels(app), 300) << "no picture on his head";
    EXPECT_EQ(app.stop(), 0);
}

TEST(Window, F12SavesAScreenshotAndTheWindowKeepsItsPlace)
{
    NEEDS_DISPLAY();
    const std::string pictures = test::freshDir("Shots");
    mkdir((test::testHome() + "/config").c_str(), 0700);
    std::ofstream(test::testHome() + "/config/user-dirs.dirs") << "XDG_PICTURES_DIR=\"" << pictures << "\"\n";
    {
        RunningApp app;
        ASSERT_TRUE(app.hasWindow());
        std::this_thread::sleep_for(std::chrono::seconds(1));
        ASSERT_EQ(std::system(("xdotool key --window " + app.window() + " F12 sleep 1").c_str()), 0);
        ASSERT_EQ(std::system(("xdotool windowsize " + app.window() + " 400 600 windowmove " + app.window() +
                               " 100 150 sleep 0.5")
                                  .c_str()),
                  0);
        EXPECT_EQ(app.stop(), 0);
    }
    const std::string listing = output("ls " + pictures);
    ASSERT_EQ(listing.rfind("Zorbel-20", 0), 0u) << listing;
    RGBAImage shot;
    ASSERT_TRUE(loadPNG(pictures + "/" + listing.substr(0, listing.find('\n')), shot));
    EXPECT_EQ(shot.width * 3, shot.height * 2);  // the 320 x 480 point screen, without bars

    RunningApp again;
    ASSERT_TRUE(again.hasWindow());
    const std::string geometry = output("xdotool getwindowgeometry " + again.window());
    EXPECT_NE(geometry.find("Position: 100,150"), std::string::npos) << geometry;
    EXPECT_NE(geometry.find("Geometry: 400x600"), std::string::npos) << geometry;
    EXPECT_EQ(again.stop(), 0);
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
