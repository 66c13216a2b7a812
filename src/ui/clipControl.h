// The clip control both shells share: starting and stopping a clip (the
// menu, F9, the info page's item), the recording mark while it runs, the
// 60 s limit, and the board's word on what became of it.
#pragma once

#include "platform/clip/clipRecorder.h"

#include <functional>
#include <memory>
#include <string>

namespace zorbel {

class RecordingMark;
class Screen;

class ClipControl {
public:
    explicit ClipControl(Screen& screen);
    ~ClipControl();

    // Starts a clip of a board of width x height pixels with the sound he
    // listens to, or, when one records, stops it. A clip that cannot start
    // says why on the board.
    void toggle(int width, int height);
    void stop();
    bool recording() const { return recorder.recording(); }
    // What a control that starts and stops clips says now: "Record a clip",
    // "Stop recording", or, where clips cannot be made, `cannot`.
    std::string title(const char* cannot) const;

    // A few times a second: the mark's seconds, the recorder's news.
    void tick();

    ClipRecorder recorder;

private:
    Screen& screen_;
    std::shared_ptr<RecordingMark> mark_;
};

}  // namespace zorbel
