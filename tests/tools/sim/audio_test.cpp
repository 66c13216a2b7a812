// Dancing to recorded sound, headless: zorbel-sim --audio feeds a recording
// through the app's level meter in step with the frames. Click tracks and a
// real piece of game music must give beats at their tempo; silence and a
// steady noise must give none.
#include "recordings.h"
#include "testHome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace zorbel {
namespace {

using test::atTempo;
using test::medianInterval;

int run(const std::string& cmd)
{
    return std::system((cmd + " >/dev/null 2>&1").c_str());
}

const std::string kRaw = " -r 8000 -c 1 -b 16 -e signed-integer";

// The frames in which the detector reported a beat.
std::vector<int> beatsHeard(const std::string& recording, int frames)
{
    const std::string dir = test::freshDir("sim");
    std::ofstream(dir + "/script") << "frames " << frames << "\n";
    const std::string trace =
        test::commandOutput("XDG_CONFIG_HOME=" + dir + " " ZORBEL_SIM " --audio " + recording + " " + dir + "/script");
    std::vector<int> beats;
    std::istringstream in(trace);
    std::string tag;
    int n;
    float beat;
    for (std::string line; std::getline(in, line);) {
        std::istringstream f(line);
        if (f >> tag >> n >> beat && tag == "F" && beat == 1.0f)
            beats.push_back(n);
    }
    return beats;
}

class ClickTrack : public ::testing::TestWithParam<int> {};

TEST_P(ClickTrack, GivesBeatsAtItsTempo)
{
    const int bpm = GetParam();
    const auto beats = beatsHeard(test::clickTrack(bpm, 20), 1200);
    ASSERT_GE(beats.size(), 8u) << "no music declared";
    EXPECT_TRUE(atTempo(medianInterval(beats), bpm));
}

INSTANTIATE_TEST_SUITE_P(Bpm, ClickTrack, ::testing::Values(90, 120, 150));

TEST(Recording, SilenceAndSteadyNoiseAreNoMusic)
{
    const std::string dir = test::freshDir("quiet");
    ASSERT_EQ(run(SOX " -n" + kRaw + " -t raw -L " + dir + "/silence.raw trim 0 15"), 0);
    ASSERT_EQ(run(SOX " -n" + kRaw + " -t raw -L " + dir + "/noise.raw synth 15 pinknoise vol 0.3"), 0);
    ASSERT_EQ(run(SOX " -n" + kRaw + " -t raw -L " + dir + "/hum.raw synth 15 sine 220 vol 0.5"), 0);
    for (const char* name : {"silence", "noise", "hum"})
        EXPECT_TRUE(beatsHeard(dir + "/" + name + ".raw", 900).empty()) << name;
}

// The in-game music of a Debian game package: a 16-beat loop, played four
// times. Its tempo comes from the loop's length, and an independent beat
// tracker must agree with it.
TEST(Recording, RealMusicGivesBeatsAtItsTempo)
{
    const double bpm = test::musicBpm();
    const double tracked =
        std::stod(test::commandOutput(AUBIO " tempo -B 256 -H 128 " MUSIC_FILE " 2>/dev/null | tail -n 1"));
    EXPECT_NEAR(tracked, bpm, 0.03 * bpm) << "the beat tracker disagrees with the loop's length";

    const auto beats = beatsHeard(test::musicTrack(4), 1500);
    ASSERT_GE(beats.size(), 20u) << "no music declared";
    EXPECT_TRUE(atTempo(medianInterval(beats), bpm));
}

TEST(Recording, LevelLinesAreAnErrorWithARecording)
{
    const std::string dir = test::freshDir("level");
    std::ofstream(dir + "/script") << "frames 1\nlevel 0.5\n";
    std::ofstream(dir + "/empty.raw");
    const int status =
        std::system((ZORBEL_SIM " --audio " + dir + "/empty.raw " + dir + "/script 2>/dev/null").c_str());
    EXPECT_EQ(WEXITSTATUS(status), 2);
}

}  // namespace
}  // namespace zorbel
