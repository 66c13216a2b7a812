// Broken preference files: each gives a log line and the defaults, never a
// crash, and what the user had is kept (moved aside when it cannot be used).
#include "audio/audioInMeter.h"
#include "figure/myGuy.h"
#include "hardening.h"
#include "platform/prefs/prefs.h"

#include <gtest/gtest.h>

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

// Files that cannot be used: each is logged, moved aside whole (unread when
// far too large) and the defaults used; a fresh file from then on.
TEST(BadPrefs, UnusableFilesAreMovedAsideWholeAndTheDefaultsUsed)
{
    struct Unusable {
        std::string what, bytes;  // a folder holding notes.txt where there are no bytes
        const char* reason;
    };
    // A well-formed key file, only far too large: its MIN_DYN must not be read.
    std::string huge = "[zorbel]\nMIN_DYN=0.05\n";
    while (huge.size() < 10u * 1024 * 1024)
        huge += "# " + std::string(77, 'x') + "\n";
    std::vector<Unusable> cases = {{"ten megabytes", huge, " (file far too large)"},
                                   {"a folder", "", " (not a regular file)"}};
    std::mt19937 rng(20261207);
    for (int round = 0; round < 20; ++round) {
        std::string bytes(16 + rng() % 4000, '\0');
        for (char& c : bytes)
            c = static_cast<char>(rng());
        cases.push_back({"random bytes " + std::to_string(round), bytes, ""});
    }
    for (const Unusable& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string dir = freshDir("broken"), path = dir + "/preferences.ini";
        if (c.bytes.empty()) {
            mkdir(path.c_str(), 0700);
            writeFile(path + "/notes.txt", "mine");
        } else {
            writeFile(path, c.bytes);
        }
        const ChildRun run = runInChild([&] {
            Prefs p(path);
            expectDefaults(p);
            p.setFloat(0.5f, "STICKY_MULT");
        });
        EXPECT_TRUE(run.exited) << run.out << run.err;
        EXPECT_LT(run.peakKiB, 8 * 1024) << "the file was read into memory";
        const std::string aside = movedAside(dir);
        ASSERT_FALSE(aside.empty());
        EXPECT_TRUE(contains(run.err, "##### Broken preferences " + path + c.reason)) << run.err;
        EXPECT_TRUE(contains(run.err, "moved to " + dir + "/" + aside)) << run.err;
        EXPECT_TRUE(readFile(dir + "/" + aside + (c.bytes.empty() ? "/notes.txt" : "")) ==
                    (c.bytes.empty() ? "mine" : c.bytes))
            << "the user's file is kept whole";
        EXPECT_EQ(Prefs(path).floatForKey("STICKY_MULT"), 0.5f) << "a fresh file from then on";
    }
}

TEST(BadPrefs, AnEmptyFileGivesTheDefaultsAndIsWrittenOverOnTheNextChange)
{
    const std::string dir = freshDir("empty"), path = dir + "/preferences.ini";
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
        const std::string path = Prefs::defaultPath();  // the program's own store, first opened here
        makeDirs(path.substr(0, path.rfind('/')));
        std::string file = "[zorbel]\n";
        for (const char* key : kFloatKeys)
            file += std::string(key) + "=" + v.text + "\n";
        writeFile(path, file);
        Guy* guy = NewGuy(-1, 1, -1.5f, 1.5f);
        loadMicSensitivity();
        EXPECT_EQ(g_springCoefMultipler, v.coef);
        EXPECT_EQ(g_springDampersMultipler, v.damp);
        EXPECT_EQ(g_stickynessMultiplier, v.sticky);
        EXPECT_EQ(g_minDyn, v.minDyn);
        for (int frame = 0; frame < 3000; ++frame) {  // he falls, is tilted both ways and shaken
            guy->gravityX = frame % 600 < 300 ? 80.0f : -80.0f;
            guy->gravityY = frame % 1000 < 20 ? 300.0f : -100.0f;
            IntegratePhysics(guy, 0.025f, frame % 40 == 0 ? 1.0f : 0.0f);
        }
        for (int i = 0; i < 8; ++i)  // NaN fails every comparison
            EXPECT_TRUE(guy->posX[i] >= guy->minX && guy->posX[i] <= guy->maxX && guy->posY[i] >= guy->minY &&
                        guy->posY[i] <= guy->maxY)
                << "mass " << i;
        FreeGuy(guy);
        EXPECT_EQ(movedAside(path.substr(0, path.rfind('/'))), "") << "a readable file stays where it is";
    });
    EXPECT_TRUE(run.exited) << run.out << run.err;
    if (*v.logged)
        EXPECT_TRUE(contains(run.err, "##### Preference SPR_COEFF_MULT " + std::string(v.logged))) << run.err;
    else
        EXPECT_FALSE(contains(run.err, "#####")) << run.err;
}

INSTANTIATE_TEST_SUITE_P(Stored, OddNumbers,
                         ::testing::Values(OddValue{"nan", 1, 1, 1, 0.04f, "is not a finite number"},
                                           OddValue{"inf", 1, 1, 1, 0.04f, "is not a finite number"},
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
    const std::string dir = freshDir("types"), path = dir + "/preferences.ini";
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

// Permissions: as root (CI) file modes do not bite, so the child that opens
// the store runs as the unprivileged user "nobody" there. It reads MIN_DYN
// and tries to change it; the file is never written over.
TEST(BadPrefs, AnUnreachableStoreGivesWhatCanBeReadAndIsLeftAlone)
{
    const struct {
        const char* what;
        bool folder;  // the mode is the folder's, else the file's
        mode_t mode;
        float read;
        const char *logged, *after;  // the log line, before and after the path
    } cases[] = {
        {"folder without permission", true, 0, 0.0f, "##### Cannot read preferences ",
         " (Permission denied); using defaults, changes will not be saved"},
        {"unreadable file in a writable folder", false, 0200, 0.0f, "##### Cannot read preferences ", ""},
        {"read-only folder", true, 0555, 0.05f, "##### Failed saving preferences ", ""},
    };
    const std::string file = "[zorbel]\nMIN_DYN=0.05\n";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string dir = sharedDir("perm") + "/zorbel", path = dir + "/preferences.ini";
        mkdir(dir.c_str(), 0755);
        writeFile(path, file);
        ASSERT_EQ(chown(dir.c_str(), childUid(), childGid()), 0);
        ASSERT_EQ(chown(path.c_str(), childUid(), childGid()), 0);
        chmod(c.folder ? dir.c_str() : path.c_str(), c.mode);
        const ChildRun run = runInChild(
            [&] {
                Prefs p(path);
                EXPECT_EQ(p.floatForKey("MIN_DYN"), c.read);
                p.setFloat(0.1f, "MIN_DYN");
            },
            true);
        chmod(dir.c_str(), 0755);
        chmod(path.c_str(), 0600);
        EXPECT_TRUE(run.exited) << run.out << run.err;
        EXPECT_TRUE(contains(run.err, c.logged + path + c.after)) << run.err;
        EXPECT_EQ(readFile(path), file);
        EXPECT_EQ(listDir(dir), std::vector<std::string>{"preferences.ini"});
    }
}

// Cannot write, whoever runs the tests: a file where the folder should be.
TEST(BadPrefs, AFileWhereTheFolderShouldBeIsLeftAlone)
{
    const std::string dir = freshDir("notafolder"), blocker = dir + "/zorbel";
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
