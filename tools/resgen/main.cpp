// zorbel-resgen: writes the images shipped with the program into a folder.
// Usage: zorbel-resgen <output folder>
// The application icons go to <output folder>/icons/zorbel-NxN.png.

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "art.h"
#include "icon.h"

int main(int argc, char** argv)
{
    using namespace zorbel;
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/";
    struct Output {
        const char* name;
        RGBAImage (*make)();
    };
    const Output outputs[] = {
        {"bb512x512.png", [] { return makeBlackboard(512, 512); }},
        {"bb480x320.png", [] { return makeBlackboard(320, 480); }},  // portrait 320 x 480
        {"chalk512x512.png", [] { return makeChalk(512); }},
        {"thumbTack32.png", [] { return makeThumbTack(32); }},
        {"facemask25.png", [] { return makeFaceMask(256); }},
    };
    int failures = 0;
    for (const Output& o : outputs) {
        const RGBAImage img = o.make();
        const bool ok = savePNG(dir + o.name, img);
        std::printf("%s %s (%d x %d)\n", ok ? "wrote" : "FAILED to write", o.name, img.width, img.height);
        failures += !ok;
    }
    std::error_code ec;
    std::filesystem::create_directories(dir + "icons", ec);
    for (const int* size = kAppIconSizes; *size; ++size) {
        const std::string name = "icons/zorbel-" + std::to_string(*size) + "x" + std::to_string(*size) + ".png";
        const bool ok = savePNG(dir + name, makeAppIcon(*size));
        std::printf("%s %s\n", ok ? "wrote" : "FAILED to write", name.c_str());
        failures += !ok;
    }
    return failures ? 1 : 0;
}
