#include "page.h"

#include "testHome.h"
#include "wire.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include <chrono>
#include <sstream>
#include <thread>

namespace zorbel::test {

Pixel at(const RGBAImage& img, int x, int y)
{
    const uint8_t* p = &img.pixels[(static_cast<size_t>(y) * img.width + x) * 4];
    return {p[0], p[1], p[2]};
}

bool chalk(Pixel p)
{
    return p.r > 170 && p.g > 170 && p.b > 170;
}

bool tackYellow(Pixel p)
{
    return p.r > 150 && p.g > 130 && p.b < 90;
}

bool board(Pixel p)
{
    return p.r < 110 && p.g < 110 && p.b < 110 && p.r + p.g + p.b > 30;
}

bool red(Pixel p)
{
    return p.r > 120 && p.r > p.g + 60 && p.r > p.b + 60;
}

bool blue(Pixel p)
{
    return p.b > 120 && p.b > p.r + 60 && p.b > p.g + 40;
}

bool green(Pixel p)
{
    return p.g > 100 && p.g > p.r + 50 && p.g > p.b + 50;
}

// The info icon, in the lower right corner, drawn red: it flashes on a beat.
bool iconRed(const RGBAImage& img)
{
    for (int y = 446; y < 480; ++y)
        for (int x = 282; x < 320; ++x)
            if (red(at(img, x, y)))
                return true;
    return false;
}

// Whether the icon flashes red within `seconds`.
bool iconTurnsRed(Page& page, int seconds)
{
    return iconRed(until(page, iconRed, seconds));
}

// A notice: a dark band with white words in it, at the top edge of the
// board or at the bottom one, above the corners.
bool noticeIn(const RGBAImage& img, int top)
{
    int words = 0;
    for (int y = top + 4; y < top + 42; ++y)
        for (int x = 18; x < 302; ++x) {
            const Pixel p = at(img, x, y);
            words += p.r > 200 && p.g > 200 && p.b > 200;
        }
    // The band's ends: the board darkened by three quarters.
    const Pixel left = at(img, 12, top + 2), right = at(img, 307, top + 43);
    return words > 40 && left.r + left.g + left.b < 60 && right.r + right.g + right.b < 60;
}

bool noticeShown(const RGBAImage& img)
{
    return noticeIn(img, 6) || noticeIn(img, 395);
}

// Whether the page's log has a line starting with `start`.
bool logged(Page& page, const std::string& start)
{
    for (const std::string& line : page.console())
        if (line.compare(0, start.size(), start) == 0)
            return true;
    return false;
}

// A sound file Chromium's fake microphone plays: raw 8000 Hz samples made WAV.
std::string wavOf(const std::string& raw)
{
    const std::string wav = raw + ".wav";
    const std::string cmd = SOX " -r 8000 -c 1 -b 16 -e signed-integer -t raw " + raw + " -r 48000 " + wav;
    EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
    return wav;
}

std::string silence(int seconds)
{
    const std::string raw = freshDir("silence") + "/silence.raw";
    const std::string cmd =
        SOX " -n -r 8000 -c 1 -b 16 -e signed-integer -t raw " + raw + " trim 0 " + std::to_string(seconds);
    EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
    return raw;
}

bool wears(const RGBAImage& img, bool (*top)(Pixel), bool (*bottom)(Pixel))
{
    const Extent a = extent(img, top, 0, 440);
    if (!bottom)
        return a.count > 40;
    const Extent b = extent(img, bottom, 0, 440);
    return a.count > 40 && b.count > 40 && a.meanY() + 4 < b.meanY();
}

Extent extent(const RGBAImage& img, bool (*kind)(Pixel), int y0, int y1)
{
    Extent e;
    for (int y = y0; y < (y1 < 0 ? img.height : y1); ++y)
        for (int x = 0; x < img.width; ++x)
            if (kind(at(img, x, y))) {
                ++e.count;
                e.sumY += y;
                e.left = std::min(e.left, x);
                e.right = std::max(e.right, x);
                e.top = std::min(e.top, y);
                e.bottom = std::max(e.bottom, y);
            }
    return e;
}

RGBAImage cropOf(const RGBAImage& page, int x, int y, int width, int height)
{
    RGBAImage out;
    out.width = width;
    out.height = height;
    out.pixels.resize(static_cast<size_t>(width) * height * 4);
    for (int row = 0; row < height; ++row)
        std::copy_n(&page.pixels[(static_cast<size_t>(row + y) * page.width + x) * 4], width * 4,
                    &out.pixels[static_cast<size_t>(row) * width * 4]);
    return out;
}

RGBAImage until(Page& page, const std::function<bool(const RGBAImage&)>& condition, int seconds)
{
    RGBAImage shot;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    do {
        shot = page.screenshot();
        if (shot.width > 0 && condition(shot))
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    } while (std::chrono::steady_clock::now() < deadline);
    return shot;
}

bool standing(const RGBAImage& img)
{
    const Extent c = extent(img, chalk, 0, img.height - 60 * img.height / 480);  // not the corner icons
    const int floor = img.height - 60 * img.height / 480;
    return c.count > 300 && c.bottom > floor - 30 * img.height / 480 && c.bottom - c.top > 110 * img.height / 480 &&
           c.right - c.left < 140 * img.width / 320;
}

RGBAImage standingStill(Page& page, int bandTop, int bandLeft, int width, int height)
{
    auto crop = [&](const RGBAImage& page) {
        return width == 0 ? page : cropOf(page, bandLeft, bandTop, width, height);
    };
    RGBAImage before;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(40);
    while (std::chrono::steady_clock::now() < deadline) {
        const RGBAImage now = crop(page.screenshot());
        if (standing(now) && before.width) {
            const Extent a = extent(before, chalk, 0, now.height * 7 / 8),
                         b = extent(now, chalk, 0, now.height * 7 / 8);
            if (std::abs(a.left - b.left) + std::abs(a.right - b.right) + std::abs(a.top - b.top) < 4)
                return now;
        }
        before = standing(now) ? now : RGBAImage();
        page.frames(30);
    }
    return {};
}

int jumpBetween(const RGBAImage& a, const RGBAImage& b)
{
    auto headTop = [](const RGBAImage& img) {
        return extent(
                   img, [](Pixel p) { return chalk(p) || red(p); }, 0, 420)
            .top;
    };
    auto feet = [](const RGBAImage& img) { return extent(cropOf(img, 0, 440, 280, 40), chalk); };
    const Extent fa = feet(a), fb = feet(b);
    return std::abs(headTop(a) - headTop(b)) + std::abs(fa.left - fb.left) + std::abs(fa.right - fb.right);
}

bool boardShown(Page& page)
{
    return page.waitFor("document.getElementById('board').style.visibility == 'visible'");
}

bool screensShown(Page& page, bool shown)
{
    return page.waitFor(std::string("document.getElementById('screens').style.visibility == '") +
                            (shown ? "visible'" : "hidden'"),
                        5000);
}

void tap(Page& page, double x, double y)
{
    page.touch("touchStart", {{x, y, 1}});
    page.touch("touchEnd", {});
}

void openSettings(Page& page)
{
    tap(page, 312, 472);
    ASSERT_TRUE(screensShown(page));
    tap(page, 50, 462);
    page.frames(3);
}

void openFacePicker(Page& page)
{
    openSettings(page);
    tap(page, 160, 85);
    page.frames(3);
}

std::string photoFile(const std::string& name, const std::string& recipe, int orientation)
{
    const std::string path = freshDir("photos") + "/" + name;
    const std::string cmd = IM_CONVERT " " + recipe + " " + path;
    EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
    if (orientation)
        tagJpegOrientation(path, static_cast<unsigned char>(orientation));
    return path;
}

std::string sidewaysPhoto()
{
    return photoFile("turned.jpg", "-size 200x300 xc:red -size 200x300 xc:blue +append", 6);
}

bool wearsUpright(const RGBAImage& img)
{
    return wears(img, red, blue) && !wears(img, blue, red);
}

bool putOnAFace(Page& page, const std::string& photo, bool (*shows)(const RGBAImage&))
{
    openFacePicker(page);
    page.chooseFile(160, 312, photo);  // "Use a photo in your album"
    until(page, shows, 10);
    tap(page, 270, 462);  // OK
    page.frames(3);
    tap(page, 270, 462);  // Dismiss
    return shows(until(page, shows));
}

bool headTop(const RGBAImage& img, double& x, double& y)
{
    const Extent c = extent(img, chalk, 0, img.height * 7 / 8);
    int sum = 0, n = 0;
    for (int column = 0; c.count && column < img.width; ++column)
        if (chalk(at(img, column, c.top + 2)))
            sum += column, ++n;
    x = n ? static_cast<double>(sum) / n : 0;
    y = c.top;
    return n > 0;
}

void liftWithAFinger(Page& page, double x, double y, double toY)
{
    page.touch("touchStart", {{x, y, 1}});
    for (int step = 1; step <= 40; ++step) {
        page.touch("touchMove", {{x, y - (y - toY) * step / 40, 1}});
        page.frames(2);
    }
}

bool onLeftWall(const RGBAImage& img)
{
    const Extent c = extent(img, chalk, 0, img.height * 7 / 8);
    return c.count > 300 && c.left <= img.width / 16 && (c.left + c.right) / 2 < img.width * 15 / 32;
}

bool onRightWall(const RGBAImage& img)
{
    const Extent c = extent(img, chalk, 0, img.height * 7 / 8);
    return c.count > 300 && c.right >= img.width * 15 / 16 && (c.left + c.right) / 2 > img.width * 17 / 32;
}

bool onCeiling(const RGBAImage& img)
{
    const Extent c = extent(img, chalk, 0, img.height * 7 / 8);
    return c.count > 300 && c.top <= img.height / 24 && c.bottom < img.height * 13 / 24;
}

std::string runInPage(Page& page, const SiteServer& server, const std::string& script)
{
    page.open(server.url() + "?script=" + "data:text/plain;base64," + base64Encode(script));
    EXPECT_TRUE(page.waitFor("window.Module && Module.scriptDone", 60000)) << "the script did not end";
    EXPECT_EQ(page.eval("Module.scriptDone"), "ok") << page.eval("Module.trace");
    const json trace = page.eval("Module.trace");
    return trace.is_string() ? trace.get<std::string>() : std::string();
}

// The frames (from the recording's start, 60 a second) in which the desktop
// simulator, whose level meter hears the recording in step with the frames,
// finds a beat.
std::vector<double> simulatorBeats(const std::string& raw, int frames)
{
    const std::string dir = freshDir("beats");
    writeFile(dir + "/run.script", "frames " + std::to_string(frames) + "\n");
    std::istringstream trace(commandOutput(std::string(ZORBEL_SIM) + " --audio " + raw + " " + dir + "/run.script"));
    std::vector<double> beats;
    std::string tag;
    long frame;
    double beat;
    for (std::string line; std::getline(trace, line);) {
        std::istringstream fields(line);
        if (fields >> tag >> frame >> beat && tag == "F" && beat == 1)
            beats.push_back(frame / 60.0);
    }
    return beats;
}

}  // namespace zorbel::test
