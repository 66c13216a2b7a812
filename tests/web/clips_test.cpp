// Clips in the browser, made as a phone user makes them: the info page's
// "Record a clip", the red mark tapped to stop, and the file the browser
// saves. Chromium and Firefox save downloads where a test can read them;
// WebKitGTK's driver has no way to say where.
#include "browser.h"
#include "clipFile.h"
#include "page.h"
#include "recordings.h"
#include "testHome.h"
#include "wire.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <dirent.h>
#include <sys/stat.h>
#include <thread>

namespace zorbel::test {
namespace {

// The file a finished download left in `dir`, once no partial one is left;
// empty when none comes within `seconds`.
std::string downloaded(const std::string& dir, int seconds)
{
    off_t lastSize = -1;
    for (int i = 0; i < seconds * 10; ++i) {
        std::string done;
        bool partial = false;
        if (DIR* d = opendir(dir.c_str())) {
            while (dirent* e = readdir(d)) {
                const std::string name = e->d_name;
                if (name == "." || name == "..")
                    continue;
                const bool clip = name.size() > 5 &&
                                  (name.rfind(".webm") == name.size() - 5 || name.rfind(".mp4") == name.size() - 4);
                if (clip)
                    done = name;
                else
                    partial = true;  // Chromium's .crdownload, Firefox's .part
            }
            closedir(d);
        }
        // Firefox first makes the clip's name empty, then renames its part
        // file over it: a clip counts once it has bytes that stay put.
        struct stat st {};
        const off_t size = !done.empty() && stat((dir + "/" + done).c_str(), &st) == 0 ? st.st_size : -1;
        if (!done.empty() && !partial && size > 0 && size == lastSize)
            return dir + "/" + done;
        lastSize = partial ? -1 : size;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return "";
}

// When, in a clip's pictures, the info icon turns red: its flashes.
std::vector<double> flashesIn(const std::string& path)
{
    std::vector<double> flashes;
    bool before = true;
    eachPicture(path, [&](double seconds, const RGBAImage& img) {
        int n = 0;
        for (int y = img.height * 446 / 480; y < img.height; ++y)
            for (int x = img.width * 282 / 320; x < img.width; ++x)
                n += red(at(img, x, y));
        if (n > 3 && !before)
            flashes.push_back(seconds);
        before = n > 3;
    });
    return flashes;
}

class Clips : public ::testing::TestWithParam<Engine> {
protected:
    // WebKitWebDriver cannot say where downloads go: no clip can be read back.
    void skipWithoutDownloads()
    {
        if (GetParam() == Engine::WebKit)
            GTEST_SKIP() << "WebKitWebDriver cannot say where downloads go, so the clip cannot be read back";
    }

    // The page with a microphone that hears `raw`, listening, and showing.
    std::unique_ptr<Page> listening(const std::string& raw)
    {
        BrowserOptions options;
        options.site = &server;
        options.microphoneFile = wavOf(raw);
        options.downloadDir = downloads;
        auto page = openBrowser(GetParam(), options);
        if (!page)
            return page;
        page->open(server.url());
        EXPECT_TRUE(boardShown(*page));
        tap(*page, 40, 120);  // the first touch starts the microphone
        return page;
    }

    // The info page's item: the overlay closes, and the clip starts.
    static void recordFromTheInfoPage(Page& page)
    {
        tap(page, 312, 472);
        ASSERT_TRUE(screensShown(page));
        tap(page, 135, 428);
        ASSERT_TRUE(page.waitFor("1", 100));
    }

    SiteServer server{webBuild() + "/site"};
    std::string downloads = freshDir("downloads");
};

// Three seconds of him dancing to clicks, recorded from the info page and
// stopped by tapping the red mark: a download named by its time, with the
// board's pictures (the mark not among them) and the clicks, each flash of
// the icon as long after its click as the desktop's ears take.
TEST_P(Clips, AClipHoldsTheBoardAndTheClicksInStep)
{
    skipWithoutDownloads();
    if (IsSkipped())
        return;
    const std::string raw = clickTrack(120, 60);
    auto page = listening(raw);
    ASSERT_TRUE(page);
    ASSERT_TRUE(iconTurnsRed(*page, 20)) << "no dance to the clicks";
    recordFromTheInfoPage(*page);
    // The mark, red, in the top right corner, over the board; the overlay
    // is gone.
    const RGBAImage marked =
        until(*page, [](const RGBAImage& img) { return extent(cropOf(img, 246, 8, 66, 24), red).count > 10; });
    ASSERT_GT(extent(cropOf(marked, 246, 8, 66, 24), red).count, 10) << "no recording mark";
    for (auto [x, y] : {std::pair{5, 300}, {314, 300}})
        EXPECT_TRUE(board(at(marked, x, y))) << "the overlay stays, at " << x << "," << y;
    std::this_thread::sleep_for(std::chrono::milliseconds(3000));
    tap(*page, 262, 20);
    const std::string file = downloaded(downloads, 20);
    ASSERT_FALSE(file.empty()) << "no clip downloaded; console: " << ::testing::PrintToString(page->console());
    EXPECT_TRUE(logged(*page, "clip: zorbel-")) << ::testing::PrintToString(page->console());
    EXPECT_TRUE(noticeShown(until(*page, noticeShown, 5))) << "the board does not say where the clip went";
    const std::string name = file.substr(file.rfind('/') + 1);
    EXPECT_EQ(name.rfind("zorbel-", 0), 0u) << name;
    EXPECT_EQ(name.size(), std::string("zorbel-YYYYMMDD-HHMMSS").size() + 5) << name;
    EXPECT_EQ(name.substr(name.size() - 5), ".webm") << "these browsers record WebM";

    const ClipInfo info = inspectClip(file);
    ASSERT_TRUE(info.readable) << info.error;
    EXPECT_TRUE(info.video == "video/x-vp8" || info.video == "video/x-vp9" || info.video == "video/x-h264")
        << info.video;
    EXPECT_TRUE(info.audio == "audio/x-opus" || info.audio == "audio/mpeg") << info.audio;
    EXPECT_EQ(info.width, 320);
    EXPECT_EQ(info.height, 480);
    int pictures = 0, marks = 0, chalky = 0;
    eachPicture(file, [&](double, const RGBAImage& img) {
        ++pictures;
        marks += extent(cropOf(img, 246, 8, 66, 24), red).count > 10;
        chalky += extent(img, chalk).count > 100;
    });
    EXPECT_GT(pictures, 30) << "too few pictures";
    EXPECT_EQ(marks, 0) << "the recording mark is in the clip";
    EXPECT_GT(chalky, pictures * 9 / 10) << "pictures without him";

    // Each flash as long after the click before it as the page took to
    // hear it live: the desktop's detector's lag, plus the browser's way
    // from the microphone to the page's ears (Firefox through a sound
    // server: about 140 ms here). The same lag throughout: no drift.
    double start = 0;
    const std::vector<double> clicks = clickTimes(clipSound(file, 8000, start), 8000, start);
    const std::vector<double> flashes = flashesIn(file);
    ASSERT_GE(clicks.size(), 4u) << "the clicks are not in the clip";
    ASSERT_GE(flashes.size(), 3u) << "he does not dance in the clip";
    double desktopLag = 0;
    const std::vector<double> beats = simulatorBeats(raw, 60 * 10);
    for (double t : beats)
        desktopLag += std::fmod(t, 0.5) / beats.size();
    std::vector<double> lags;
    for (double f : flashes) {
        const auto after = std::upper_bound(clicks.begin(), clicks.end(), f);
        if (after != clicks.begin())
            lags.push_back(f - *(after - 1));
    }
    ASSERT_GE(lags.size(), 3u);
    std::vector<double> sorted = lags;
    std::sort(sorted.begin(), sorted.end());
    const double lag = sorted[sorted.size() / 2];
    std::printf("flashes %.0f ms after their clicks (the desktop's detector: %.0f ms)\n", 1000 * lag,
                1000 * desktopLag);
    EXPECT_GE(lag, desktopLag - 0.1) << "the sound is late in the clip";
    EXPECT_LE(lag, desktopLag + 0.2) << "the sound is early in the clip";
    int inStep = 0;
    for (double l : lags)
        inStep += std::fabs(l - lag) <= 0.1;
    EXPECT_GE(inStep, static_cast<int>(lags.size()) - 1) << "picture and sound drift apart";
}

// A page hidden mid-clip ends the clip, and what was recorded is saved.
TEST_P(Clips, APageHiddenMidClipKeepsWhatWasRecorded)
{
    skipWithoutDownloads();
    if (IsSkipped())
        return;
    auto page = listening(clickTrack(120, 30));
    ASSERT_TRUE(page);
    recordFromTheInfoPage(*page);
    std::this_thread::sleep_for(std::chrono::milliseconds(2000));
    ASSERT_TRUE(page->coverWithAnotherTab());
    ASSERT_TRUE(page->waitFor("document.visibilityState == 'hidden'", 5000));
    std::string file = downloaded(downloads, 20);
    EXPECT_FALSE(file.empty()) << "the clip is not saved while hidden; console: "
                               << ::testing::PrintToString(page->console());
    if (file.empty()) {
        page->uncover();
        file = downloaded(downloads, 20);
    }
    ASSERT_FALSE(file.empty()) << "the clip is lost; console: " << ::testing::PrintToString(page->console());
    const ClipInfo info = inspectClip(file);
    EXPECT_TRUE(info.readable) << info.error;
    // Pictures up to the moment the page hid (a recorder's WebM says no
    // length; a busy browser may start its encoder late, never later than
    // the hiding).
    double last = 0;
    int pictures = 0;
    eachPicture(file, [&](double seconds, const RGBAImage&) { last = seconds, ++pictures; });
    EXPECT_GT(pictures, 10) << "the clip holds no pictures";
    EXPECT_LT(last, 3.5) << "the clip ran on after the page hid";
}

// A browser without MediaRecorder: the item says so, and the toy runs on.
TEST_P(Clips, WithoutMediaRecorderTheItemSaysNoClipsHere)
{
    BrowserOptions options;
    options.site = &server;
    auto page = openBrowser(GetParam(), options);
    ASSERT_TRUE(page);
    page->addPreloadScript("delete window.MediaRecorder;");
    page->open(server.url());
    ASSERT_TRUE(boardShown(*page));
    ASSERT_TRUE(page->eval("typeof MediaRecorder == 'undefined'").get<bool>());
    recordFromTheInfoPage(*page);
    EXPECT_TRUE(noticeShown(until(*page, noticeShown, 5))) << "nothing says why no clip is made";
    EXPECT_TRUE(logged(*page, "clip: Clips cannot be made in this browser"))
        << ::testing::PrintToString(page->console());
    EXPECT_TRUE(standing(until(*page, standing))) << "the toy does not run on";
    EXPECT_TRUE(downloaded(downloads, 1).empty());
}

INSTANTIATE_TEST_SUITE_P(, Clips, ::testing::Values(Engine::Chromium, Engine::Firefox, Engine::WebKit),
                         [](const auto& info) { return std::string(engineName(info.param)); });

}  // namespace
}  // namespace zorbel::test
