// The preference store's round trip, and its text read as GLib's key files
// read it (the browser's store relies on that). Broken, odd and unreachable
// files are the hardening tests'.
#include "hardening.h"
#include "platform/prefs/prefValue.h"
#include "platform/prefs/prefs.h"
#include "testHome.h"

#include <glib.h>
#include <gtest/gtest.h>

#include <cmath>

namespace zorbel::test {
namespace {

TEST(Prefs, EveryChangeIsOnDiskAtOnceBitForBitInTheUsersConfigFolder)
{
    // The program's own store, changed in a child that ends without any
    // clean-up, then read back fresh as after a restart.
    const ChildRun run = runInChild([] {
        Prefs* p = Prefs::standardUserDefaults();
        p->setFloat(1.0f / 3.0f, "MIN_DYN");
        p->setBool(true, "DISABLE_MIC");
        p->setInteger(1, "USE_CUSTOM_FACE");
        p->setString("computer", "LISTEN_TO");
    });
    ASSERT_TRUE(run.exited) << run.err;
    const std::string dir = testHome() + "/config/zorbel";
    ASSERT_EQ(Prefs::defaultPath(), dir + "/preferences.ini");
    Prefs again(Prefs::defaultPath());
    EXPECT_EQ(again.floatForKey("MIN_DYN"), 1.0f / 3.0f);
    EXPECT_TRUE(again.boolForKey("DISABLE_MIC"));
    EXPECT_EQ(again.integerForKey("USE_CUSTOM_FACE"), 1);
    EXPECT_EQ(again.stringForKey("LISTEN_TO"), "computer");
    EXPECT_EQ(listDir(dir), std::vector<std::string>{"preferences.ini"}) << "temporary files left";
}

// GLib's reading of the text stored under g/K against ours: both refuse it,
// or both give the same value (not-a-number counts as the same).
template <typename T, typename GLibRead, typename OurRead>
void sameReading(GKeyFile* keys, const char* text, GLibRead glibRead, OurRead ourRead)
{
    GError* error = nullptr;
    const T theirs = glibRead(keys, "g", "K", &error);
    T ours{};
    EXPECT_EQ(ourRead(text, ours), error == nullptr);
    if (!error) {
        EXPECT_TRUE(ours == theirs || (ours != ours && theirs != theirs));
    }
    g_clear_error(&error);
}

// Each text stored as a key's value, read by GLib and by prefValue.h:
// the same value of each type, or "not of this type" from both.
TEST(Prefs, StoredTextReadsAsGLibReadsIt)
{
    const char* const texts[] = {
        "1.5",      "1.5 ",    "1,5",   "0x1p3",    "inf",     "-inf",       "nan",        "NaN",
        "Infinity", "1e400",   "",      "+2",       "-0",      "1e-400",     ".5",         "5.",
        "abc",      "1.5x",    "true",  "false",    "TRUE",    "1",          "0",          "yes",
        "true ",    "false\t", "01",    "1 ",       "7 x",     "2147483647", "2147483648", "-2147483649",
        "12abc",    "\\s x",   "a\\qb", "a\\",      "tab\\tx", "\xc3\xa9",   "\xff",       "\xed\xa0\x80",
        "\xc0\xaf", "0x10",    "  ",    "computer", "a\\\\b",
    };
    for (const char* text : texts) {
        SCOPED_TRACE(std::string("\"") + text + "\"");
        GKeyFile* keys = g_key_file_new();
        g_key_file_set_value(keys, "g", "K", text);
        sameReading<double>(keys, text, g_key_file_get_double, parseFloatText);
        sameReading<bool>(keys, text, g_key_file_get_boolean, parseBoolText);
        sameReading<int>(keys, text, g_key_file_get_integer, parseIntegerText);
        sameReading<std::string>(
            keys, text,
            [](GKeyFile* k, const char* group, const char* key, GError** error) {
                gchar* value = g_key_file_get_string(k, group, key, error);
                const std::string copy = value ? value : "";
                g_free(value);
                return copy;
            },
            parseStringText);

        // Written back: the same text as GLib writes.
        g_key_file_set_string(keys, "g", "S", text);
        gchar* written = g_key_file_get_value(keys, "g", "S", nullptr);
        EXPECT_EQ(stringText(text), written);
        g_free(written);
        g_key_file_free(keys);
    }
    for (const double v : {0.1f * 1.0, 1.0 / 3.0, 1e-45, 3.4e38, -0.0}) {
        GKeyFile* keys = g_key_file_new();
        g_key_file_set_double(keys, "g", "K", v);
        gchar* written = g_key_file_get_value(keys, "g", "K", nullptr);
        EXPECT_EQ(floatText(v), written);
        g_free(written);
        g_key_file_free(keys);
    }
}

}  // namespace
}  // namespace zorbel::test
