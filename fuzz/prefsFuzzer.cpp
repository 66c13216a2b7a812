// The preference loader on arbitrary file contents: it never crashes, every
// key type reads, a file it refuses is moved aside whole (never deleted),
// and a file it accepts survives a save and a reload unchanged.
#include "fuzzSupport.h"
#include "platform/prefs/prefs.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <dirent.h>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

const char* const kKeys[] = {"SPR_COEFF_MULT", "SPR_DAMP_MULT",   "STICKY_MULT", "MIN_DYN",
                             "DISABLE_MIC",    "USE_CUSTOM_FACE", "zorbel"};

struct Reading {
    float f;
    bool b;
    int i;
};

std::vector<Reading> readAll(const zorbel::Prefs& p)
{
    std::vector<Reading> r;
    for (const char* key : kKeys)
        r.push_back({p.floatForKey(key), p.boolForKey(key), p.integerForKey(key)});
    return r;
}

bool sameFloat(float a, float b)
{
    return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b));
}

std::vector<std::string> entries(const std::string& dir)
{
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
            if (std::strcmp(e->d_name, ".") && std::strcmp(e->d_name, ".."))
                names.push_back(e->d_name);
        }
        closedir(d);
    }
    return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using zorbel::fuzz::scratchDir;
    zorbel::fuzz::clearScratch();
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::string path = zorbel::fuzz::writeInput("preferences.ini", data, size);

    std::vector<Reading> first;
    {
        zorbel::Prefs p(path);
        first = readAll(p);
    }

    // Either the file is still there as it was, or it was moved aside whole.
    const std::vector<std::string> names = entries(scratchDir());
    std::string bytes;
    const bool kept = zorbel::fuzz::readWhole(path, bytes);
    if (kept) {
        FUZZ_CHECK(bytes == input, "loading changed the file");
        FUZZ_CHECK(names.size() == 1, "a file appeared next to an accepted one");
    } else {
        FUZZ_CHECK(names.size() == 1 && names[0].rfind("preferences.ini.broken-", 0) == 0,
                   "a refused file must be moved aside");
        FUZZ_CHECK(zorbel::fuzz::readWhole(scratchDir() + "/" + names[0], bytes) && bytes == input,
                   "the moved file must keep the user's bytes");
        for (const Reading& r : first)
            FUZZ_CHECK(r.f == 0.0f && !r.b && r.i == 0, "a refused file gives the defaults");
    }

    // A save and a reload keep what was read and what was set.
    {
        zorbel::Prefs p(path);
        p.setFloat(0.75f, "STICKY_MULT");
        p.setBool(true, "DISABLE_MIC");
        p.setInteger(1, "USE_CUSTOM_FACE");
    }
    const size_t before = entries(scratchDir()).size();
    zorbel::Prefs again(path);
    FUZZ_CHECK(entries(scratchDir()).size() == before, "a file we saved was refused on reload");
    FUZZ_CHECK(again.floatForKey("STICKY_MULT") == 0.75f);
    FUZZ_CHECK(again.boolForKey("DISABLE_MIC"));
    FUZZ_CHECK(again.integerForKey("USE_CUSTOM_FACE") == 1);
    // What read as a value reads the same. (glib may make sense of a value it
    // could not read once it has written it out again: a stray carriage
    // return or NUL byte in the line goes. That is fine.)
    const std::vector<Reading> second = readAll(again);
    for (size_t k = 0; k < first.size(); ++k) {
        const std::string key = kKeys[k];
        if (key == "STICKY_MULT" || key == "DISABLE_MIC" || key == "USE_CUSTOM_FACE")
            continue;
        if (first[k].f != 0.0f)
            FUZZ_CHECK(sameFloat(first[k].f, second[k].f), "float " + key + " changed across a save");
        if (first[k].b)
            FUZZ_CHECK(second[k].b, "bool " + key + " changed across a save");
        if (first[k].i != 0)
            FUZZ_CHECK(first[k].i == second[k].i, "integer " + key + " changed across a save");
    }
    return 0;
}
