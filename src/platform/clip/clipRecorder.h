// A clip of the board, with the sound he listens to, for the user to keep or
// share. On the desktop the shell hands in the board's pictures and
// GStreamer encodes them with the sound (WebM: VP8 and Opus) into the
// Videos folder; in the browser MediaRecorder records the board's canvas
// with the microphone, and the phone's share sheet or a download takes it.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <string>

namespace zorbel {

// Where the clip's sound comes from.
enum class ClipSound { Silence, Microphone, Computer };

// What became of a clip.
struct ClipOutcome {
    bool kept = false;
    std::string file;  // where it is (kept), or where it would have been
    std::string said;  // what the board says of it
};

class ClipRecorder {
public:
    ClipRecorder();
    ~ClipRecorder();  // a clip still recording is finished and kept
    ClipRecorder(const ClipRecorder&) = delete;
    ClipRecorder& operator=(const ClipRecorder&) = delete;

    // Whether clips can be made here; else why not, in words for the user.
    static bool available(std::string& why);

    // Starts a clip of a board of width x height pixels (the desktop takes
    // at most 1080 across). False, with the reason, when it cannot.
    bool start(int width, int height, ClipSound sound, std::string& error);
    // Ends the clip: onFinished is told, on the main thread, once the file
    // is whole (or given up).
    void stop();
    bool recording() const;
    double seconds() const;  // since the start, 0 when not recording

    // The desktop's pictures: whether one is due (30 a second), and one of
    // the board, RGBA rows top first, taken without blocking: while the
    // encoder lags, pictures are left out of the clip, not the toy's frames.
    // The browser records its canvas itself and wants none.
    bool wantsFrame() const;
    void addFrame(const uint8_t* rgba, int width, int height);

    // Runs the recorder's errors and endings; call it regularly on the main
    // thread (a few times a second is enough).
    void poll();

    std::function<void(const ClipOutcome&)> onFinished;

    // The longest clip: it stops by itself then.
    static constexpr double kLongestSeconds = 60;

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

// The clip's file name for a moment: zorbel-YYYYMMDD-HHMMSS, and the
// extension given (".webm", ".mp4").
std::string clipFileName(std::time_t when, const char* extension);

}  // namespace zorbel
