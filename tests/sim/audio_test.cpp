// Dancing to recorded sound, headless: zorbel-sim --audio feeds a recording
// through the app's level meter in step with the frames. Click tracks and a
// real piece of game music must give beats at their tempo; silence and a
// steady noise must give none.
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

int run(const std::string& cmd)
{
    return std::system((cmd + " >/dev/null 2>&1").c_str());
}

std::string capture(const std::string& cmd)
{
    std::string out;
    if (FILE* p = popen(cmd.c_str(), "r")) {
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, p)) > 0)
            out.append(buf, n);
        pclose(p);
    }
    return out;
}

const std::string kRaw = " -r 8000 -c 1 -b 16 -e signed-integer";

// A click every beat (30 ms of 1200 Hz), over a quiet pink-noise bed, as raw
// 8000 Hz mono 16-bit little-endian samples.
std::string clickTrack(int bpm, int seconds)
{
    const std::string dir = test::freshDir("clicks");
    const double period = 60.0 / bpm;
    char cmd[1024];
    std::snprintf(
        cmd, sizeof cmd,
        SOX " -n%s %s/click.wav synth 0.03 sine 1200 fade 0 0.03 0.025 pad 0 %.6f && " SOX
            " %s/click.wav %s/beats.wav repeat %d && " SOX " -n%s %s/bed.wav synth %d pinknoise vol 0.02 && " SOX
            " -m -v 0.8 %s/beats.wav %s/bed.wav -t raw%s -L %s/track.raw trim 0 %d",
        kRaw.c_str(), dir.c_str(), period - 0.03, dir.c_str(), dir.c_str(), static_cast<int>(seconds / period),
        kRaw.c_str(), dir.c_str(), seconds, dir.c_str(), dir.c_str(), kRaw.c_str(), dir.c_str(), seconds);
    EXPECT_EQ(run(cmd), 0) << cmd;
    return dir + "/track.raw";
}

// The frames in which the detector reported a beat.
std::vector<int> beatsHeard(const std::string& recording, int frames)
{
    const std::string dir = test::freshDir("sim");
    std::ofstream(dir + "/script") << "frames " << frames << "\n";
    const std::string trace =
        capture("XDG_CONFIG_HOME=" + dir + " " ZORBEL_SIM " --audio " + recording + " " + dir + "/script");
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

double medianInterval(const std::vector<int>& beats)
{
    std::vector<int> gaps;
    for (size_t i = 1; i < beats.size(); ++i)
        gaps.push_back(beats[i] - beats[i - 1]);
    if (gaps.empty())
        return 0;
    std::nth_element(gaps.begin(), gaps.begin() + gaps.size() / 2, gaps.end());
    return gaps[gaps.size() / 2];
}

// Beats at the tempo, or at a clean half or double of it, within 10%.
::testing::AssertionResult atTempo(double framesPerBeat, double bpm)
{
    const double expected = 3600.0 / bpm;
    for (double factor : {1.0, 0.5, 2.0}) {
        if (std::fabs(framesPerBeat - expected * factor) <= 0.1 * expected * factor)
            return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << framesPerBeat << " frames a beat; " << bpm << " bpm is " << expected;
}

class ClickTrack : public ::testing::TestWithParam<int> {};

TEST_P(ClickTrack, GivesBeatsAtItsTempo)
{
    const int bpm = GetParam();
    const auto beats = beatsHeard(clickTrack(bpm, 20), 1200);
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
    const std::string music = MUSIC_FILE;
    const std::string dir = test::freshDir("music");
    ASSERT_EQ(run(SOX " " + music + kRaw + " -t raw -L " + dir + "/music.raw repeat 3"), 0)
        << "missing " << music << " (Debian package chromium-bsu-data)";
    const double seconds = std::stod(capture(SOXI " -D " + music));
    const double bpm = 16.0 * 60.0 / seconds;
    const double tracked = std::stod(capture(AUBIO " tempo -B 256 -H 128 " + music + " 2>/dev/null | tail -n 1"));
    EXPECT_NEAR(tracked, bpm, 0.03 * bpm) << "the beat tracker disagrees with the loop's length";

    const auto beats = beatsHeard(dir + "/music.raw", 1500);
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
