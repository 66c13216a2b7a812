// Killed while saving: a child saves the preferences and the face file in a
// tight loop and is killed (SIGKILL) at random moments. Every file left
// behind is whole: the store reads without being moved aside and holds the
// values of one complete save, the face file is one of the two pictures.
// The writer's temporary files left behind go at the next start, and
// nothing else does.
#include "hardening.h"
#include "platform/files/files.h"
#include "platform/imaging/image.h"
#include "platform/prefs/prefs.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <random>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace zorbel::test {

std::string noisePng(unsigned seed)
{
    RGBAImage img{256, 256, std::vector<uint8_t>(256 * 256 * 4)};
    std::mt19937 rng(seed);
    for (size_t i = 0; i < img.pixels.size(); ++i)
        img.pixels[i] = i % 4 == 3 ? 255 : static_cast<uint8_t>(rng());  // opaque: any colour is premultiplied
    std::vector<uint8_t> png;
    EXPECT_TRUE(encodePNG(img, png));
    return std::string(png.begin(), png.end());
}

namespace {

const char* const kKeys[3] = {"SPR_COEFF_MULT", "SPR_DAMP_MULT", "STICKY_MULT"};
const float kSets[2][3] = {{0.5f, 0.75f, 1.25f}, {1.5f, 1.75f, 0.25f}};
// What the store's folder holds after a restart (sorted): the store, and names
// near it that are no temporary file of its writer.
const std::vector<std::string> kKept = {"customface.png.ABCDEF", "preferences.ini", "preferences.ini.AB-DEF",
                                        "preferences.ini.ABCDE", "preferences.ini.ABCDEFG"};

// Each setter saves the whole store, so one save is the unit that must
// survive whole. Starting from set 0, the child sets the keys of set 1 one
// by one, then those of set 0, and so on: after any save, the first few
// keys hold one set and the others the other set.
bool isAWholeSave(const float values[3])
{
    for (int from = 0; from < 2; ++from) {
        for (int split = 0; split <= 3; ++split) {
            bool match = true;
            for (int k = 0; k < 3; ++k)
                match = match && values[k] == kSets[k < split ? 1 - from : from][k];
            if (match)
                return true;
        }
    }
    return false;
}

// Sets `set` in the store and writes the face `face`: one round of saves.
void save(Prefs& prefs, const std::string& facePath, const std::string& face, int set)
{
    for (int k = 0; k < 3; ++k)
        prefs.setFloat(kSets[set][k], kKeys[k]);
    std::string error;
    EXPECT_TRUE(writeFileAtomically(facePath, face.data(), face.size(), error)) << error;
}

TEST(CrashMidSave, EveryKillLeavesWholeFiles)
{
    const std::string dir = freshDir("crash"), configDir = dir + "/config";
    const std::string dataDir = dir + "/data", prefsPath = configDir + "/preferences.ini";
    const std::string facePath = dataDir + "/customface.png";
    const std::string faces[2] = {noisePng(1), noisePng(2)};
    makeDirs(configDir);
    for (const std::string& name : kKept)
        writeFile(configDir + "/" + name, "");  // the store too: empty reads as the defaults

    std::mt19937 rng(1207);  // fixed: the same kill moments on every run
    std::uniform_int_distribution<int> delayMicros(0, 20000);
    for (int round = 0; round < 200; ++round) {
        SCOPED_TRACE("kill " + std::to_string(round));
        {
            Prefs reset(prefsPath);  // every round starts from set 0 and the first picture
            save(reset, facePath, faces[0], 0);
        }
        std::fflush(stdout);
        std::fflush(stderr);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            Prefs prefs(prefsPath);
            const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);  // should the parent die
            for (unsigned n = 1; std::chrono::steady_clock::now() < end; ++n)
                save(prefs, facePath, faces[n % 2], n % 2);
            _exit(0);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(delayMicros(rng)));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the child stopped by itself";

        ::testing::internal::CaptureStderr();
        Prefs after(prefsPath);
        float values[3];
        for (int k = 0; k < 3; ++k)
            values[k] = after.floatForKey(kKeys[k]);
        removeUnfinishedWrites(facePath);  // as loading the face at start-up does
        std::istringstream log(::testing::internal::GetCapturedStderr());
        for (std::string line; std::getline(log, line);)
            EXPECT_NE(line.find("left by a save that did not finish"), std::string::npos) << line;
        ASSERT_EQ(listDir(configDir), kKept) << "the store was moved aside, or a file left behind";
        EXPECT_EQ(listDir(dataDir), std::vector<std::string>{"customface.png"});
        EXPECT_TRUE(isAWholeSave(values)) << values[0] << " " << values[1] << " " << values[2];
        const std::string face = readFile(facePath);
        EXPECT_TRUE(face == faces[0] || face == faces[1]) << "a face file of " << face.size() << " bytes";
        RGBAImage decoded;
        EXPECT_TRUE(loadPNG(facePath, decoded, 4096));
        if (HasFatalFailure())
            return;
    }
}

}  // namespace
}  // namespace zorbel::test
