// The real app in a real window (run under Xvfb): a mouse drag through the X
// server moves the figure, F12 saves a screenshot, the window's place is
// kept, with a window manager too, and it quits cleanly; what it prints.
#include "pixels.h"
#include "platform/imaging/image.h"
#include "testHome.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace zorbel::test {
namespace {

// The centre of the chalk-white pixels above the icons' row of a picture of
// the window; with `head`, only of those in the band of rows where he begins.
bool chalkCentre(const std::string& png, float& cx, float& cy, bool head = false)
{
    RGBAImage img;
    if (!loadPNG(png, img))
        return false;
    double sx = 0, sy = 0;
    int n = 0, top = -1;
    for (int y = 0; y < img.height * 9 / 10 && (!head || top < 0 || y < top + img.height / 20); ++y) {
        for (int x = 0; x < img.width; ++x) {
            if (isChalk(pixelAt(img, x, y))) {
                top = top < 0 ? y : top;
                sx += x;
                sy += y;
                ++n;
            }
        }
    }
    cx = static_cast<float>(sx / std::max(n, 1));
    cy = static_cast<float>(sy / std::max(n, 1));
    return n >= 20;
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
            wid_ = commandOutput("xdotool search --onlyvisible --name '^Zorbel$' 2>/dev/null | head -n 1");
            while (!wid_.empty() && wid_.back() == '\n')
                wid_.pop_back();
        }
    }
    ~RunningApp()
    {
        if (pid_ > 0)
            stop();
    }

    const std::string& window() const { return wid_; }
    bool xdotool(const std::string& args) { return std::system(("xdotool " + args).c_str()) == 0; }
    bool screenshot(const std::string& png) { return std::system(("import -window " + wid_ + " " + png).c_str()) == 0; }

    // Its exit status once SIGTERM has ended it.
    int stop()
    {
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    std::string wid_;
};

TEST(Window, AMouseDragMovesHimF12SavesAPictureAndTheWindowKeepsItsPlace)
{
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "needs an X display (run under xvfb-run)";
    const std::string dir = freshDir("window"), pictures = freshDir("Pictures");
    makeDirs(testHome() + "/config");
    writeFile(testHome() + "/config/user-dirs.dirs", "XDG_PICTURES_DIR=\"" + pictures + "\"\n");
    {
        RunningApp app;
        ASSERT_FALSE(app.window().empty()) << "no window appeared";
        std::this_thread::sleep_for(std::chrono::seconds(8));  // he falls, stands up and comes to rest
        float x0, y0, hx, hy, x1, y1;
        ASSERT_TRUE(app.screenshot(dir + "/before.png"));
        ASSERT_TRUE(chalkCentre(dir + "/before.png", x0, y0)) << "no figure on screen";
        ASSERT_TRUE(chalkCentre(dir + "/before.png", hx, hy, true));

        // Grab him by the head and pull to the left and up, in small steps as a
        // hand moves a mouse: a jump beyond his reach would let go of him.
        std::string drag = "mousemove --window " + app.window() + " " + std::to_string(static_cast<int>(hx)) + " " +
                           std::to_string(static_cast<int>(hy)) + " mousedown 1 sleep 0.1";
        for (int step = 0; step < 30; ++step)
            drag += " mousemove_relative -- -4 -3 sleep 0.03";
        ASSERT_TRUE(app.xdotool(drag + " sleep 0.5"));
        ASSERT_TRUE(app.screenshot(dir + "/after.png"));
        EXPECT_TRUE(app.xdotool("mouseup 1"));
        ASSERT_TRUE(chalkCentre(dir + "/after.png", x1, y1));
        EXPECT_LT(x1, x0 - 30.0f) << "he did not follow the mouse";

        // The overlay, opened from the window's info corner, is in the picture F12 saves.
        RGBAImage window;
        ASSERT_TRUE(loadPNG(dir + "/before.png", window));
        EXPECT_TRUE(app.xdotool("mousemove --window " + app.window() + " " + std::to_string(window.width - 4) + " " +
                                std::to_string(window.height - 4) + " click 1 sleep 0.5"));
        EXPECT_TRUE(app.xdotool("key --window " + app.window() + " F12 sleep 1"));
        EXPECT_TRUE(
            app.xdotool("windowsize " + app.window() + " 400 600 windowmove " + app.window() + " 100 150 sleep 0.5"));
        EXPECT_EQ(app.stop(), 0);
    }
    const std::vector<std::string> shots = listDir(pictures);
    ASSERT_EQ(shots.size(), 1u);
    EXPECT_EQ(shots[0].rfind("Zorbel-20", 0), 0u) << shots[0];
    RGBAImage shot;
    ASSERT_TRUE(loadPNG(pictures + "/" + shots[0], shot));
    EXPECT_EQ(shot.width * 3, shot.height * 2);  // the 320 x 480 point screen, without bars
    const int page = countPixels(shot, 0, 0, shot.width, shot.height, [](Pixel p) {
        return p.r > 150 && std::abs(p.r - p.g) < 8 && std::abs(p.g - p.b) < 8;
    });
    EXPECT_GT(page, shot.width * shot.height / 4) << "the overlay's light page is not in the picture";

    RunningApp again;
    ASSERT_FALSE(again.window().empty());
    const std::string geometry = commandOutput("xdotool getwindowgeometry " + again.window());
    EXPECT_NE(geometry.find("Position: 100,150"), std::string::npos) << geometry;
    EXPECT_NE(geometry.find("Geometry: 400x600"), std::string::npos) << geometry;
    EXPECT_EQ(again.stop(), 0);
}

// Under a window manager (openbox) the window's frame has a title bar: the
// window opens where it was left, start after start.
TEST(Window, StaysWhereItWasLeftUnderAWindowManager)
{
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "needs an X display (run under xvfb-run)";
    freshDir("window-manager");
    const pid_t manager = fork();
    if (manager == 0) {
        execlp("openbox", "openbox", static_cast<char*>(nullptr));
        _exit(127);
    }
    std::this_thread::sleep_for(std::chrono::seconds(1));
    std::vector<std::string> positions;
    for (int start = 0; start < 3; ++start) {
        RunningApp app;
        ASSERT_FALSE(app.window().empty()) << "no window appeared";
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        const std::string geometry = commandOutput("xdotool getwindowgeometry " + app.window());
        const size_t at = geometry.find("Position:");
        positions.push_back(at == std::string::npos ? geometry : geometry.substr(at, geometry.find('\n', at) - at));
        EXPECT_EQ(app.stop(), 0);
    }
    kill(manager, SIGTERM);
    waitpid(manager, nullptr, 0);
    EXPECT_EQ(positions[1], positions[0]);
    EXPECT_EQ(positions[2], positions[0]);
}

// With no display to reach, the app says so and stops with an error, rather
// than running on unseen.
TEST(Window, WithoutADisplayItSaysSoAndStops)
{
    for (const std::string env : {"env -u DISPLAY -u WAYLAND_DISPLAY", "env -u WAYLAND_DISPLAY DISPLAY=:77"}) {
        SCOPED_TRACE(env);
        const std::string out = commandOutput(env + " timeout 20 " ZORBEL_APP " 2>&1; echo status $?");
        EXPECT_NE(out.find("cannot open a display: "), std::string::npos) << out;
        EXPECT_NE(out.find("status 1"), std::string::npos) << out;
    }
}

// On a computer with neither a sound server nor a sound card, the missing
// microphone is one line of ours, with ALSA's reason in it, and nothing more.
TEST(Window, NoSoundCardIsOneQuietLine)
{
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "needs an X display (run under xvfb-run)";
    freshDir("no-sound");
    const std::string out = commandOutput(
        "env -u SDL_AUDIODRIVER PULSE_SERVER=unix:/nonexistent PIPEWIRE_REMOTE=zorbel-none ALSA_CARD=ZorbelNoCard "
        "timeout -s TERM 4 " ZORBEL_APP " 2>&1");
    EXPECT_EQ(out.find("ALSA lib"), std::string::npos) << out;
    const size_t line = out.find("microphone: ");
    ASSERT_NE(line, std::string::npos) << out;
    EXPECT_EQ(out.find("microphone: ", line + 1), std::string::npos) << out;
    EXPECT_NE(out.find("cannot find card 'ZorbelNoCard'"), std::string::npos) << out;
    for (const char c : out)
        EXPECT_LT(static_cast<unsigned char>(c), 128u) << out;
}

}  // namespace
}  // namespace zorbel::test
