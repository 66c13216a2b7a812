// The zorbel-sim script: one command a line, checked whole before any frame runs.
#pragma once

#include <string>
#include <vector>

namespace zorbel {

enum class ScriptPhase { Began, Moved, Ended };

struct ScriptCommand {
    enum Kind {
        Accel,        // a[0..2]: one accelerometer reading in g
        Level,        // f[0]: the meter level from now on
        Touches,      // phase, f: x1 y1 x2 y2 ... in view points
        Frames,       // count
        Multipliers,  // f[0..2]
        Sensitivity,  // f[0]
        Animation,    // count: 0 or 1
        Strips,
        FaceFan,
        Crop,         // f[0..1]: photo width and height, whole pixels
        CropTouches,  // phase, f: as for Touches
        Face,         // text: a PNG file to install as the face, empty for none
    };
    Kind kind = Strips;
    int line = 0;
    ScriptPhase phase = ScriptPhase::Began;
    long count = 0;
    double a[3] = {0, 0, 0};
    std::vector<float> f;
    std::string text;
};

struct ScriptOptions {
    bool allowCrop = false;  // crop and croptouches need the crop editor
    bool allowLevel = true;  // not with --audio: the recording sets the level
};

// Parses the whole text. On the first error returns false and fills error
// with "line N: what is wrong". A croptouches line before any crop line is an
// error.
bool parseScript(const std::string& text, const ScriptOptions& options, std::vector<ScriptCommand>& out,
                 std::string& error);

}  // namespace zorbel
