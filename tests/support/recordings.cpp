#include "recordings.h"

#include "testHome.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace zorbel::test {

namespace {
const std::string kRaw = " -r 8000 -c 1 -b 16 -e signed-integer";
}  // namespace

std::string clickTrack(int bpm, int seconds)
{
    const std::string dir = freshDir("clicks");
    const double period = 60.0 / bpm;
    char cmd[1024];
    std::snprintf(
        cmd, sizeof cmd,
        SOX " -n%s %s/click.wav synth 0.03 sine 1200 fade 0 0.03 0.025 pad 0 %.6f && " SOX
            " %s/click.wav %s/beats.wav repeat %d && " SOX " -n%s %s/bed.wav synth %d pinknoise vol 0.02 && " SOX
            " -m -v 0.8 %s/beats.wav %s/bed.wav -t raw%s -L %s/track.raw trim 0 %d",
        kRaw.c_str(), dir.c_str(), period - 0.03, dir.c_str(), dir.c_str(), static_cast<int>(seconds / period),
        kRaw.c_str(), dir.c_str(), seconds, dir.c_str(), dir.c_str(), kRaw.c_str(), dir.c_str(), seconds);
    EXPECT_EQ(std::system((std::string(cmd) + " >/dev/null 2>&1").c_str()), 0) << cmd;
    return dir + "/track.raw";
}

std::string musicTrack(int times)
{
    const std::string path = freshDir("music") + "/music.raw";
    const std::string cmd = SOX " " MUSIC_FILE + kRaw + " -t raw -L " + path + " repeat " + std::to_string(times - 1);
    EXPECT_EQ(std::system((cmd + " >/dev/null 2>&1").c_str()), 0)
        << "missing " MUSIC_FILE " (Debian package chromium-bsu-data)";
    return path;
}

double musicBpm()
{
    return 16.0 * 60.0 / std::atof(commandOutput(SOXI " -D " MUSIC_FILE).c_str());
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

::testing::AssertionResult atTempo(double framesPerBeat, double bpm)
{
    const double expected = 3600.0 / bpm;
    for (double factor : {1.0, 0.5, 2.0}) {
        if (std::fabs(framesPerBeat - expected * factor) <= 0.1 * expected * factor)
            return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << framesPerBeat << " frames a beat; " << bpm << " bpm is " << expected;
}

}  // namespace zorbel::test
