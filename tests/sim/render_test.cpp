// What zorbel-sim --png writes: the scene's rendered frames, checked on their
// pixels against the figure the trace reports.
#include "platform/imaging/image.h"
#include "pixels.h"
#include "testHome.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace zorbel::test {
namespace {

struct Frame {
    std::vector<float> fields;               // the F line's numbers after "F"
    std::vector<std::vector<float>> strips;  // the S lines that follow it: points only
};

// Runs the simulator with --strips and --png; returns the frames it traced.
std::vector<Frame> simulate(const std::string& script, const std::string& pngDir)
{
    const std::string dir = freshDir("render");
    std::ofstream(dir + "/script") << script;
    const std::string cmd = std::string(ZORBEL_SIM) + " --strips --png " + pngDir + " --every 50 " + dir + "/script";
    std::vector<Frame> frames;
    FILE* p = popen(cmd.c_str(), "r");
    char line[65536];
    while (p && fgets(line, sizeof line, p)) {
        std::istringstream in(line);
        std::string tag;
        in >> tag;
        if (tag == "F") {
            frames.emplace_back();
            for (float v; in >> v;)
                frames.back().fields.push_back(v);
        } else if (tag == "S" && !frames.empty()) {
            std::string name;
            int count = 0;
            in >> name >> count;
            std::vector<float> xy(2 * count);
            for (float& v : xy)
                in >> v;
            frames.back().strips.push_back(xy);
        }
    }
    EXPECT_EQ(p ? pclose(p) : -1, 0);
    return frames;
}

Picture load(const std::string& path)
{
    RGBAImage image;
    EXPECT_TRUE(loadPNG(path, image)) << path;
    return {image.width, image.height, image.pixels};
}

// F fields: n beat, 16 positions, 16 velocities, 6 ints, then grabs.
float massX(const Frame& f, int i)
{
    return f.fields[2 + 2 * i];
}
float massY(const Frame& f, int i)
{
    return f.fields[3 + 2 * i];
}

TEST(SimPng, FramesShowBoardChalkTacksAndIcons)
{
    // Where his right hand rests once he stands.
    const std::string pngDir = freshDir("png");
    const auto standing = simulate("frames 400\n", pngDir);
    ASSERT_EQ(standing.size(), 400u);
    const float hx = massX(standing.back(), 5);
    const float hy = massY(standing.back(), 5);
    char grab[256];
    std::snprintf(grab, sizeof grab,
                  "frames 400\ntouches began %g %g\ntouches began 10 470\ntouches ended %g %g\nframes 50\n"
                  "touches began 200 60\nframes 50\n",
                  (hx + 1.0f) * 160.0f, (1.5f - hy) * 160.0f, (hx + 1.0f) * 160.0f, (1.5f - hy) * 160.0f);
    const auto frames = simulate(grab, pngDir);
    ASSERT_EQ(frames.size(), 500u);

    // Frame 450: a tacked hand, no free grab.
    const Frame& tacked = frames[449];
    ASSERT_EQ(tacked.fields[38], 1.0f);  // grabCount
    ASSERT_EQ(tacked.fields[39], 1.0f);  // tackCount
    const Picture a = load(pngDir + "/frame-000450.png");
    ASSERT_EQ(a.width, 320);
    for (int i = 0; i < 40; ++i) {  // the board fills the frame up to its corners
        EXPECT_TRUE(isBoard(a.at(i, i)));
        EXPECT_TRUE(isBoard(a.at(a.width - 1 - i, i)));
    }
    for (int y = 0; y < a.height; ++y) {  // chalk only along the strokes
        for (int x = 0; x < a.width; ++x) {
            if (!isChalk(a.at(x, y)) || (x > 280 && y > 440))
                continue;
            float d = 1e9f;
            for (const auto& s : tacked.strips)
                d = std::fmin(d, a.distanceToStrip(s.data(), static_cast<int>(s.size() / 2), x + 0.5f, y + 0.5f));
            ASSERT_LT(d, 4.0f) << "stray chalk at " << x << ", " << y;
        }
    }
    int tx, ty;
    a.toPixel(tacked.fields[40] + 0.06875f, tacked.fields[41] + 0.1f, tx, ty);
    EXPECT_GT(a.countNear(tx, ty, 12, isYellow), 20) << "no yellow tack at its offset";
    EXPECT_GT(a.countNear(304, 464, 12, isLightBlue), 10) << "no info icon in the lower right";
    auto notBoard = [](const Pixel& p) { return !isBoard(p); };
    EXPECT_EQ(a.countNear(17, 462, 14, notBoard), 0) << "tack tool shown with nothing to tack";

    // Frame 500: a finger on the board as well: the tack tool shows.
    ASSERT_EQ(frames[499].fields[38], 2.0f);
    const Picture b = load(pngDir + "/frame-000500.png");
    EXPECT_GT(b.countNear(17, 462, 14, notBoard), 10) << "no tack tool while a grab is free";
}

}  // namespace
}  // namespace zorbel::test
