// The simulator's script parser on arbitrary text, with the crop editor's
// commands allowed and not: it never crashes, and what it accepts is sane.
#include "fuzzSupport.h"
#include "script.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using zorbel::ScriptCommand;

void checkCommands(const std::vector<ScriptCommand>& out, bool allowCrop)
{
    int lastLine = 0;
    bool cropSeen = false;
    for (const ScriptCommand& c : out) {
        FUZZ_CHECK(c.line > lastLine, "lines in order, counted from 1");
        lastLine = c.line;
        switch (c.kind) {
        case ScriptCommand::Frames:
            FUZZ_CHECK(c.count >= 0 && c.count <= 1000000000L);
            break;
        case ScriptCommand::Animation:
            FUZZ_CHECK(c.count == 0 || c.count == 1);
            break;
        case ScriptCommand::Touches:
        case ScriptCommand::CropTouches:
            FUZZ_CHECK(c.f.size() >= 2 && c.f.size() % 2 == 0, "touches come in coordinate pairs");
            if (c.kind == ScriptCommand::CropTouches)
                FUZZ_CHECK(allowCrop && cropSeen, "croptouches only after a crop line");
            break;
        case ScriptCommand::Crop:
            FUZZ_CHECK(allowCrop);
            FUZZ_CHECK(c.f.size() == 2);
            for (float v : c.f)
                FUZZ_CHECK(std::isfinite(v) && std::floor(v) == v, "crop sizes are whole pixels");
            cropSeen = true;
            break;
        case ScriptCommand::Multipliers:
            FUZZ_CHECK(c.f.size() == 3);
            break;
        case ScriptCommand::Level:
        case ScriptCommand::Sensitivity:
            FUZZ_CHECK(c.f.size() == 1);
            break;
        default:
            break;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (bool allowCrop : {false, true}) {
        zorbel::ScriptOptions options;
        options.allowCrop = allowCrop;
        options.allowLevel = size % 2 == 0;  // as with --audio, half of the time
        std::vector<ScriptCommand> out;
        std::string error;
        if (zorbel::parseScript(text, options, out, error)) {
            FUZZ_CHECK(error.empty());
            checkCommands(out, allowCrop);
        } else {
            FUZZ_CHECK(error.rfind("line ", 0) == 0, "errors name their line: " + error);
        }
    }
    return 0;
}
