// Runs a zorbel-sim script on the app's own scene: readings through the
// application delegate, touches on the GL view, frames by its drawView, and
// a trace line after each frame. The headless simulator runs scripts with it,
// and so does the page in the browser when it is given one.
#pragma once

#include "script.h"

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace zorbel {

class EAGLView;
class iZorbelAppDelegate;

// The scene's microphone hears the script's `level` commands, or the
// recording given here (raw 8000 Hz mono signed 16-bit little-endian),
// whichever source the preferences choose. Call before the GL view is made,
// which starts the microphone. False when the recording cannot be read.
bool hearScript(const std::string& recordingPath = "");

struct ScriptRun {
    EAGLView& view;
    iZorbelAppDelegate& delegate;
    std::FILE* trace;
    bool strips = false;  // the strips after every frame
    // After each frame and its trace; false stops the script there.
    std::function<bool(long frame)> afterFrame;
};

// False, with "line N: ..." in `error`, when a face the script installs is
// not a readable PNG file: checked before any frame runs.
bool scriptFacesReadable(const std::vector<ScriptCommand>& script, std::string& error);

// False when afterFrame stopped it.
bool runScript(const std::vector<ScriptCommand>& script, const ScriptRun& run);

}  // namespace zorbel
