// Broken preference files: each gives a log line and the defaults, never a
// crash, and what the user had is kept (moved aside when it cannot be used).
#include "audio/audioInMeter.h"
#include "figure/myGuy.h"
#include "hardening.h"
#include "platform/prefs/prefs.h"
#include "testHome.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace zorbel::test {
namespace {

using ::testing::internal::CaptureStderr;
using ::testing::internal::GetCapturedStderr;

const char* const kFloatKeys[] = {"SPR_COEFF_MULT", "SPR_DAMP_MULT", "STICKY_MULT", "MIN_DYN"};

void expectDefaults(const Prefs& p)
{
    for (const char* key : kFloatKeys)
        EXPECT_EQ(p.floatForKey(key), 0.0f) << key;
    EXPECT_FALSE(p.boolForKey("DISABLE_MIC"));
    EXPECT_EQ(p.integerForKey("USE_CUSTOM_FACE"), 0);
}

// The name of the one entry moved aside in `dir`, or "".
std::string movedAside(const std::string& dir)
{
    std::string found;
    for (const std::string& n : listDir(dir)) {
        if (n.rfind("preferences.ini.broken-", 0) == 0) {
            EXPECT_TRUE(found.empty()) << "more than one file moved aside";
            found = n;
        }
    }
    return found;
}

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

TEST(BadPrefs, RandomBytesAreMovedAsideWholeAndTheDefaultsUsed)
{
    std::mt19937 rng(20261207);
    for (int round = 0; round < 20; ++round) {
        const std::string dir = freshDir("random");
        const std::string path = dir + "/preferences.ini";
        std::string bytes(16 + rng() % 4000, '\0');
        for (char& c : bytes)
            c = static_cast<char>(rng());
        writeFile(path, bytes);
        CaptureStderr();
        {
            Prefs p(path);
            expectDefaults(p);
            p.setFloat(0.05f, "MIN_DYN");
        }
        const std::string log = GetCapturedStderr();
        EXPECT_TRUE(contains(log, "##### Broken preferences " + path)) << log;
        const std::string aside = movedAside(dir);
        ASSERT_FALSE(aside.empty());
        EXPECT_TRUE(contains(log, "moved to " + dir + "/" + aside)) << log << aside;
        EXPECT_TRUE(readFile(dir + "/" + aside) == bytes) << "the user's file is kept byte for byte";
        EXPECT_EQ(Prefs(path).floatForKey("MIN_DYN"), 0.05f) << "a fresh file from then on";
    }
}

TEST(BadPrefs, AnEmptyFileGivesTheDefaultsAndIsWrittenOverOnTheNextChange)
{
    const std::string dir = freshDir("empty");
    const std::string path = dir + "/preferences.ini";
    writeFile(path, "");
    CaptureStderr();
    Prefs p(path);
    const std::string log = GetCapturedStderr();
    EXPECT_TRUE(contains(log, "##### Preferences " + path + " are empty; using defaults")) << log;
    expectDefaults(p);
    EXPECT_EQ(listDir(dir), std::vector<std::string>{"preferences.ini"});
    p.setBool(true, "DISABLE_MIC");
    EXPECT_TRUE(Prefs(path).boolForKey("DISABLE_MIC"));
}

TEST(BadPrefs, ATenMegabyteFileIsMovedAsideUnread)
{
    // A well-formed key file, only far too large: its MIN_DYN must not be read.
    std::string bytes = "[zorbel]\nMIN_DYN=0.05\n";
    const std::string comment = "# " + std::string(77, 'x') + "\n";
    while (bytes.size() < 10u * 1024 * 1024)
        bytes += comment;
    const std::string dir = freshDir("huge");
    const std::string path = dir + "/preferences.ini";
    writeFile(path, bytes);
    CaptureStderr();
    const ChildRun run = runInChild([&] {
        Prefs p(path);
        expectDefaults(p);
    });
    GetCapturedStderr();
    EXPECT_TRUE(run.exited) << run.out << run.err;
    EXPECT_TRUE(contains(run.err, "##### Broken preferences " + path + " (file far too large)")) << run.err;
    EXPECT_LT(run.peakKiB, 8 * 1024) << "the file was read into memory";
    EXPECT_LT(run.seconds, 1.0);
    const std::string aside = movedAside(dir);
    ASSERT_FALSE(aside.empty());
    EXPECT_TRUE(readFile(dir + "/" + aside) == bytes);
}

// A stored number and what the program runs with: the three physics
// multipliers (NewGuy) and the microphone's least level range
// (loadMicSensitivity), with the log line the reading leaves.
struct OddValue {
    const char* text;
    float coef, damp, sticky;  // the multipliers as NewGuy loads them
    float minDyn;              // as loadMicSensitivity loads it
    const char* logged;
};

void PrintTo(const OddValue& v, std::ostream* os)
{
    *os << '"' << v.text << '"';
}

class OddNumbers : public ::testing::TestWithParam<OddValue> {};

TEST_P(OddNumbers, GiveTheDefaultsOrTheValueAndAFiniteFigure)
{
    const OddValue v = GetParam();
    const ChildRun run = runInChild([&] {
        // The program's own store, first opened in this child.
        const std::string path = Prefs::defaultPath();
        makeDirs(path.substr(0, path.rfind('/')));
        std::string file = "[zorbel]\n";
        for (const char* key : kFloatKeys)
            file += std::string(key) + "=" + v.text + "\n";
        writeFile(path, file);
        Guy* guy = NewGuy(-1, 1, -1.5f, 1.5f);
        loadMicSensitivity();
        std::printf("%a %a %a %a\n", g_springCoefMultipler, g_springDampersMultipler, g_stickynessMultiplier,
                    g_minDyn);
        // He falls, is tilted both ways and shaken: every mass stays finite and in the box.
        bool finite = true;
        for (int frame = 0; frame < 3000 && finite; ++frame) {
            guy->gravityX = frame % 600 < 300 ? 80.0f : -80.0f;
            guy->gravityY = frame % 1000 < 20 ? 300.0f : -100.0f;
            IntegratePhysics(guy, 0.025f, frame % 40 == 0 ? 1.0f : 0.0f);
            for (int i = 0; i < 8; ++i)
                finite = finite && std::isfinite(guy->posX[i]) && std::isfinite(guy->posY[i]) &&
                         guy->posX[i] >= guy->minX && guy->posX[i] <= guy->maxX && guy->posY[i] >= guy->minY &&
                         guy->posY[i] <= guy->maxY;
        }
        std::printf("%s\n", finite ? "finite" : "NOT FINITE");
        FreeGuy(guy);
        EXPECT_EQ(movedAside(path.substr(0, path.rfind('/'))), "") << "a readable file stays where it is";
    });
    ASSERT_TRUE(run.exited) << run.out << run.err;
    float coef = 0, damp = 0, sticky = 0, minDyn = 0;
    char finite[16] = "";
    ASSERT_EQ(std::sscanf(run.out.c_str(), "%a %a %a %a %15s", &coef, &damp, &sticky, &minDyn, finite), 5)
        << run.out;
    EXPECT_EQ(coef, v.coef);
    EXPECT_EQ(damp, v.damp);
    EXPECT_EQ(sticky, v.sticky);
    EXPECT_EQ(minDyn, v.minDyn);
    EXPECT_STREQ(finite, "finite");
    if (*v.logged) {
        EXPECT_TRUE(contains(run.err, "##### Preference SPR_COEFF_MULT " + std::string(v.logged))) << run.err;
    } else {
        EXPECT_FALSE(contains(run.err, "#####")) << run.err;
    }
}

INSTANTIATE_TEST_SUITE_P(Stored, OddNumbers,
                         ::testing::Values(OddValue{"nan", 1, 1, 1, 0.04f, "is not a finite number"},
                                           OddValue{"inf", 1, 1, 1, 0.04f, "is not a finite number"},
                                           OddValue{"-inf", 1, 1, 1, 0.04f, "is not a finite number"},
                                           OddValue{"1e300", 1, 1, 1, 0.04f, "is not a finite number"},
                                           OddValue{"abc", 1, 1, 1, 0.04f, "is not a number"},
                                           OddValue{"-0", 1, 1, 1, 0.04f, ""},  // a stored 0 means "never set"
                                           OddValue{"1.05", 1.05f, 1.05f, 1.05f, 1.05f, ""},
                                           // Multipliers no slider can set are brought into the sliders' ranges.
                                           OddValue{"0.09", 0.4f, 0.7f, 0.1f, 0.09f, "is out of its range 0.4 to 1.1"},
                                           OddValue{"-5", 0.4f, 0.7f, 0.1f, 0.04f, "is out of its range"},
                                           OddValue{"3e38", 1.1f, 2.0f, 1.9f, 3e38f, "is out of its range"}));

TEST(BadPrefs, WrongTypesAndDuplicatesKeepTheGoodKeys)
{
    const std::string dir = freshDir("types");
    const std::string path = dir + "/preferences.ini";
    const std::string file = "[zorbel]\nDISABLE_MIC=perhaps\nUSE_CUSTOM_FACE=yes\nSTICKY_MULT=true\n"
                             "MIN_DYN=0.02\nMIN_DYN=0.07\n[other]\nSPR_DAMP_MULT=1.5\n[zorbel]\nSPR_COEFF_MULT=0.9\n";
    writeFile(path, file);
    CaptureStderr();
    Prefs p(path);
    EXPECT_FALSE(p.boolForKey("DISABLE_MIC"));
    EXPECT_EQ(p.integerForKey("USE_CUSTOM_FACE"), 0);
    EXPECT_EQ(p.floatForKey("STICKY_MULT"), 0.0f);
    EXPECT_EQ(p.floatForKey("MIN_DYN"), 0.07f) << "the last of duplicate keys";
    EXPECT_EQ(p.floatForKey("SPR_COEFF_MULT"), 0.9f) << "a group repeated further down";
    EXPECT_EQ(p.floatForKey("SPR_DAMP_MULT"), 0.0f) << "keys of other groups are not ours";
    const std::string log = GetCapturedStderr();
    EXPECT_TRUE(contains(log, "##### Preference DISABLE_MIC is not true or false")) << log;
    EXPECT_TRUE(contains(log, "##### Preference USE_CUSTOM_FACE is not a whole number")) << log;
    EXPECT_TRUE(contains(log, "##### Preference STICKY_MULT is not a number")) << log;
    EXPECT_EQ(readFile(path), file) << "a readable file is not touched by reading";
    EXPECT_EQ(listDir(dir), std::vector<std::string>{"preferences.ini"});

    p.setBool(true, "DISABLE_MIC");
    Prefs again(path);
    EXPECT_TRUE(again.boolForKey("DISABLE_MIC"));
    EXPECT_EQ(again.floatForKey("MIN_DYN"), 0.07f);
    EXPECT_EQ(again.floatForKey("SPR_COEFF_MULT"), 0.9f);
}

TEST(BadPrefs, AFolderInPlaceOfTheFileIsMovedAsideWithWhatItHolds)
{
    const std::string dir = freshDir("folder");
    const std::string path = dir + "/preferences.ini";
    mkdir(path.c_str(), 0700);
    writeFile(path + "/notes.txt", "mine");
    CaptureStderr();
    Prefs p(path);
    const std::string log = GetCapturedStderr();
    EXPECT_TRUE(contains(log, "##### Broken preferences " + path + " (not a regular file)")) << log;
    expectDefaults(p);
    p.setFloat(0.5f, "STICKY_MULT");
    EXPECT_EQ(Prefs(path).floatForKey("STICKY_MULT"), 0.5f);
    const std::string aside = movedAside(dir);
    ASSERT_FALSE(aside.empty());
    EXPECT_EQ(readFile(dir + "/" + aside + "/notes.txt"), "mine");
}

// Permissions: as root (CI) file modes do not bite, so the child that opens
// the store runs as the unprivileged user "nobody" there.
class Unreachable : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = sharedDir("perm") + "/zorbel";
        path = dir + "/preferences.ini";
        mkdir(dir.c_str(), 0755);
        writeFile(path, kFile);
        ASSERT_EQ(chown(dir.c_str(), childUid(), childGid()), 0);
        ASSERT_EQ(chown(path.c_str(), childUid(), childGid()), 0);
    }
    void TearDown() override { chmod(dir.c_str(), 0755); }

    // Opens the store in the child, reads MIN_DYN and tries to change it.
    ChildRun openAndChange(float& read)
    {
        const ChildRun run = runInChild(
            [&] {
                Prefs p(path);
                std::printf("%a\n", p.floatForKey("MIN_DYN"));
                p.setFloat(0.1f, "MIN_DYN");
            },
            true);
        EXPECT_FALSE(contains(run.err, "cannot become nobody")) << run.err;
        std::sscanf(run.out.c_str(), "%a", &read);
        return run;
    }

    void expectUntouched()
    {
        chmod(dir.c_str(), 0755);
        EXPECT_EQ(readFile(path), kFile);
        EXPECT_EQ(listDir(dir), std::vector<std::string>{"preferences.ini"});
    }

    static constexpr const char* kFile = "[zorbel]\nMIN_DYN=0.05\n";
    std::string dir, path;
};

TEST_F(Unreachable, AFolderWithoutPermissionGivesTheDefaultsAndNoWrites)
{
    chmod(dir.c_str(), 0);
    float read = -1;
    const ChildRun run = openAndChange(read);
    EXPECT_TRUE(run.exited) << run.out << run.err;
    EXPECT_EQ(read, 0.0f);
    EXPECT_TRUE(contains(run.err, "##### Cannot read preferences " + path + " (Permission denied); using defaults, "
                                  "changes will not be saved"))
        << run.err;
    expectUntouched();
}

TEST_F(Unreachable, AnUnreadableFileInAWritableFolderIsNeverWrittenOver)
{
    chmod(path.c_str(), 0200);
    float read = -1;
    const ChildRun run = openAndChange(read);
    EXPECT_TRUE(run.exited) << run.out << run.err;
    EXPECT_EQ(read, 0.0f);
    EXPECT_TRUE(contains(run.err, "##### Cannot read preferences " + path)) << run.err;
    chmod(path.c_str(), 0600);
    expectUntouched();
}

TEST_F(Unreachable, AReadOnlyFolderIsReadAndTheFailedSaveLogged)
{
    chmod(dir.c_str(), 0555);
    float read = -1;
    const ChildRun run = openAndChange(read);
    EXPECT_TRUE(run.exited) << run.out << run.err;
    EXPECT_EQ(read, 0.05f);
    EXPECT_TRUE(contains(run.err, "##### Failed saving preferences " + path)) << run.err;
    expectUntouched();
}

// Cannot write, whoever runs the tests: a file where the folder should be.
TEST(BadPrefs, AFileWhereTheFolderShouldBeIsLeftAlone)
{
    const std::string dir = freshDir("notafolder");
    const std::string blocker = dir + "/zorbel";
    writeFile(blocker, "the user's own file");
    const std::string path = blocker + "/preferences.ini";
    CaptureStderr();
    {
        Prefs p(path);
        expectDefaults(p);
        p.setFloat(0.5f, "STICKY_MULT");
        EXPECT_EQ(p.floatForKey("STICKY_MULT"), 0.5f) << "the change holds while the program runs";
    }
    const std::string log = GetCapturedStderr();
    EXPECT_TRUE(contains(log, "##### Cannot read preferences " + path + " (Not a directory)")) << log;
    EXPECT_EQ(readFile(blocker), "the user's own file");
    EXPECT_EQ(listDir(dir), std::vector<std::string>{"zorbel"});
}

}  // namespace
}  // namespace zorbel::test
