// The real app in a real window (run under Xvfb): a mouse drag through the X
// server moves the figure, F12 saves a screenshot, the window's place is
// kept, with a window manager too, and it quits cleanly; what it prints.
#include "clipFile.h"
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

// Every file in a clip folder: a ".part" left behind counts too.
std::vector<std::string> clipsIn(const std::string& folder)
{
    std::vector<std::string> clips;
    for (const std::string& name : listDir(folder))
        clips.push_back(name);
    return clips;
}

// A clip checked as a player would: VP8 or VP9 video of the board's shape
// (2:3, as the window drew it), about `seconds` long, with an Opus track
// that has the test tone; his chalk in every picture, and the recording
// mark's red dot in none.
void expectClip(const std::string& path, double seconds)
{
    SCOPED_TRACE(path);
    const ClipInfo info = inspectClip(path);
    ASSERT_TRUE(info.readable) << info.error;
    EXPECT_EQ(info.container, "video/webm");
    EXPECT_TRUE(info.video == "video/x-vp8" || info.video == "video/x-vp9") << info.video;
    EXPECT_EQ(info.audio, "audio/x-opus");
    EXPECT_GE(info.width, 320);
    EXPECT_NEAR(info.height, info.width * 3 / 2, 2);
    EXPECT_NEAR(info.seconds, seconds, 1.0);
    int pictures = 0, withChalk = 0, withDot = 0, upright = 0;
    eachPicture(path, [&](double, const RGBAImage& img) {
        ++pictures;
        // The info icon, light blue, lies in the lower right corner.
        auto icon = [](Pixel p) { return p.b > 150 && p.b > p.r + 40; };
        upright += countPixels(img, img.width * 9 / 10, img.height * 9 / 10, img.width, img.height, icon) > 10 &&
                   countPixels(img, img.width * 9 / 10, 0, img.width, img.height / 10, icon) == 0;
        withChalk += countPixels(img, 0, 0, img.width, img.height * 9 / 10, isChalk) > 100;
        // The mark: top right, 246..312 x 8..32 of 320 x 480 points.
        const int x0 = img.width * 246 / 320, y0 = img.height * 8 / 480;
        withDot += countPixels(img, x0, y0, x0 + img.width * 66 / 320, y0 + img.height * 24 / 480,
                               [](Pixel p) { return p.r > 150 && p.g < 80 && p.b < 80; }) > 10;
    });
    EXPECT_GE(pictures, static_cast<int>(seconds * 30 * 0.8)) << "pictures are missing";
    EXPECT_EQ(withChalk, pictures) << "pictures without him";
    EXPECT_EQ(withDot, 0) << "the recording mark is in the clip";
    EXPECT_EQ(upright, pictures) << "pictures upside down";
    double start = 0;
    const std::vector<float> sound = clipSound(path, 8000, start);
    double power = 0;
    for (float v : sound)
        power += v * v;
    EXPECT_GT(sound.size(), seconds * 8000 * 0.8);
    EXPECT_GT(power / std::max<size_t>(sound.size(), 1), 0.001) << "the test tone is not in the clip";
}

// F9 starts and stops a clip, and so do the menu's "Record a clip" and
// "Stop recording": each is a WebM file in Videos/Zorbel, named by its time,
// with the test tone as the sound he listens to.
TEST(Window, F9AndTheMenuRecordClips)
{
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "needs an X display (run under xvfb-run)";
    const std::string videos = freshDir("Videos");
    makeDirs(testHome() + "/config");
    writeFile(testHome() + "/config/user-dirs.dirs", "XDG_VIDEOS_DIR=\"" + videos + "\"\n");
    setenv("ZORBEL_TEST_CLIP_SOUND", "audiotestsrc wave=sine freq=440 volume=0.5 is-live=true", 1);
    const std::string clips = videos + "/Zorbel";
    {
        RunningApp app;
        ASSERT_FALSE(app.window().empty()) << "no window appeared";
        std::this_thread::sleep_for(std::chrono::seconds(4));
        EXPECT_TRUE(
            app.xdotool("key --window " + app.window() + " F9 sleep 3 key --window " + app.window() + " F9 sleep 2"));
        std::vector<std::string> made = clipsIn(clips);
        ASSERT_EQ(made.size(), 1u) << ::testing::PrintToString(made);
        EXPECT_EQ(made[0].rfind("zorbel-20", 0), 0u);
        EXPECT_EQ(made[0].substr(made[0].size() - 5), ".webm");

        // The menu: F10, then down to its fifth item, "Record a clip", and
        // later to the same place, "Stop recording". A second passes so that
        // the second clip's name differs.
        const std::string menuItem =
            "key --window " + app.window() + " F10 sleep 0.5 key Down Down Down Down Down sleep 0.3 key Return";
        EXPECT_TRUE(app.xdotool("sleep 1 " + menuItem + " sleep 3 " + menuItem + " sleep 2"));
        EXPECT_EQ(app.stop(), 0);
    }
    const std::vector<std::string> made = clipsIn(clips);
    ASSERT_EQ(made.size(), 2u) << ::testing::PrintToString(made);
    for (const std::string& name : made)
        expectClip(clips + "/" + name, 3);
}

// The app with its Videos folder and the clip's sound set, in the process
// `wrapper` runs it in (a shell line with ZORBEL for the program and VIDEOS
// for the folder); what it printed, once F9 has started a clip, `actions`
// (xdotool's, WINDOW for its window) have run, and it has been ended.
struct ClipRun {
    std::string log, videos;
};

ClipRun recordWith(const std::string& wrapper, const std::string& actions)
{
    ClipRun run;
    run.videos = freshDir("Videos");
    const std::string dir = freshDir("clip-run");
    makeDirs(testHome() + "/config");
    writeFile(testHome() + "/config/user-dirs.dirs", "XDG_VIDEOS_DIR=\"" + run.videos + "\"\n");
    setenv("ZORBEL_TEST_CLIP_SOUND", "audiotestsrc wave=sine freq=440 volume=0.5 is-live=true", 1);
    std::string line = wrapper;
    line.replace(line.find("ZORBEL"), 6, ZORBEL_APP);
    for (size_t at; (at = line.find("VIDEOS")) != std::string::npos;)
        line.replace(at, 6, run.videos);
    const std::string script = dir + "/run.sh";
    writeFile(script, "#!/bin/sh\n" + line + " > " + dir + "/app.log 2>&1 &\necho $! > " + dir + "/pid\nwait\n");
    const pid_t shell = fork();
    if (shell == 0) {
        execl("/bin/sh", "sh", script.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    std::string window;
    for (int i = 0; i < 100 && window.empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        window = commandOutput("xdotool search --onlyvisible --name '^Zorbel$' 2>/dev/null | head -n 1");
        while (!window.empty() && window.back() == '\n')
            window.pop_back();
    }
    EXPECT_FALSE(window.empty()) << "no window appeared";
    std::this_thread::sleep_for(std::chrono::seconds(3));
    std::string steps = actions;
    for (size_t at; (at = steps.find("WINDOW")) != std::string::npos;)
        steps.replace(at, 6, window);
    EXPECT_EQ(std::system(("xdotool key --window " + window + " F9 " + steps).c_str()), 0);
    // Ctrl+Q ends the app as a user would, so that whatever the wrapper runs
    // after it runs too; a window that is gone by then has ended already.
    std::system(("xdotool key --window " + window + " ctrl+q 2>/dev/null").c_str());
    for (int i = 0; i < 200 && waitpid(shell, nullptr, WNOHANG) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (waitpid(shell, nullptr, WNOHANG) == 0) {
        ADD_FAILURE() << "the app did not end on Ctrl+Q";
        std::system(("kill -TERM " + readFile(dir + "/pid") + " 2>/dev/null").c_str());
        waitpid(shell, nullptr, 0);
    }
    run.log = readFile(dir + "/app.log");
    return run;
}

// A window hidden mid-clip (unmapped, as a minimise does with a window
// manager): nothing of the board shows, so the clip ends, and what was
// recorded is kept, whole.
TEST(Window, AClipEndsWhenTheWindowIsHiddenAndIsKept)
{
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "needs an X display (run under xvfb-run)";
    const ClipRun run = recordWith("ZORBEL", "sleep 2 windowunmap WINDOW sleep 3");
    const std::vector<std::string> made = clipsIn(run.videos + "/Zorbel");
    ASSERT_EQ(made.size(), 1u) << ::testing::PrintToString(made) << run.log;
    const ClipInfo info = inspectClip(run.videos + "/Zorbel/" + made[0]);
    EXPECT_TRUE(info.readable) << info.error;
    EXPECT_NEAR(info.seconds, 2, 1);
}

// A disk that fills mid-clip (a 300 kB file system as the clip's folder, in
// a mount namespace of the app's own): the clip is not kept, nothing half
// written is left under any name, the log says why, and the toy runs on: the
// next F9, with the space free again, makes a short clip that is kept.
TEST(Window, AClipOnADiskThatFillsIsNotKeptAndTheToyRunsOn)
{
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "needs an X display (run under xvfb-run)";
    if (std::system("unshare -m true 2>/dev/null") != 0)
        GTEST_SKIP() << "no mount namespace can be made here (unshare -m needs root)";
    // The folder is mounted inside the app's namespace; its contents are
    // listed there once the app has ended.
    const std::string listing = freshDir("listing") + "/left.txt";
    const ClipRun run =
        recordWith("unshare -m sh -c 'mkdir -p VIDEOS/Zorbel && mount -t tmpfs -o size=300k tmpfs VIDEOS/Zorbel && "
                   "ZORBEL; ls -a VIDEOS/Zorbel > " +
                       listing + "'",
                   "sleep 5 key --window WINDOW F9 sleep 1");
    const size_t full = run.log.find("clip: the disk is full");
    ASSERT_NE(full, std::string::npos) << run.log;
    EXPECT_NE(run.log.find("is not kept", full), std::string::npos) << run.log;
    const size_t saved = run.log.find("clip: saved ", full);
    ASSERT_NE(saved, std::string::npos) << "no clip after the full disk\n" << run.log;
    const size_t name = run.log.rfind('/', run.log.find('\n', saved)) + 1;
    EXPECT_EQ(readFile(listing), ".\n..\n" + run.log.substr(name, run.log.find('\n', saved) - name) + "\n")
        << "the full clip, or a part of one, is left in the folder\n"
        << run.log;
}

// A computer whose GStreamer has no VP8 encoder (its plugins seen through a
// folder without the VPX one): F9 says that clips cannot be made here, and
// why, and the toy runs on.
TEST(Window, WithoutAnEncoderF9SaysClipsCannotBeMadeHere)
{
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "needs an X display (run under xvfb-run)";
    const std::string plugins = freshDir("plugins");
    ASSERT_EQ(std::system(("for p in /usr/lib/*/gstreamer-1.0/*.so; do case $p in *vpx*) ;; *) ln -s $p " + plugins +
                           "/;; esac; done")
                              .c_str()),
              0);
    const ClipRun run = recordWith("env GST_PLUGIN_SYSTEM_PATH_1_0=" + plugins + " GST_REGISTRY_1_0=" + plugins +
                                       "/registry.bin ZORBEL",
                                   "sleep 2");
    EXPECT_NE(run.log.find("clip: Clips cannot be made here: GStreamer has no vp8enc (install "
                           "gstreamer1.0-plugins-good)."),
              std::string::npos)
        << run.log;
    EXPECT_TRUE(clipsIn(run.videos + "/Zorbel").empty());
}

}  // namespace
}  // namespace zorbel::test
