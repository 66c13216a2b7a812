// A private PulseAudio daemon for one test process: its own runtime folder,
// a null sink as the default output and a null source as the microphone.
// This process and its children (paplay, the app) talk to it and to nothing
// else. Works as root.
#pragma once

#include <memory>
#include <string>
#include <sys/types.h>

namespace zorbel::test {

class PulseServer {
public:
    PulseServer();
    ~PulseServer();  // stops the daemon and what plays
    PulseServer(const PulseServer&) = delete;
    PulseServer& operator=(const PulseServer&) = delete;

    // Starts the daemon (again, after stop()) and waits until it answers.
    bool start();
    // Kills it by its process id.
    void stop();
    // Plays a raw file (8000 Hz mono signed 16-bit little-endian) into the
    // default output with paplay, in the background.
    void play(const std::string& file);
    // Makes what the default output plays the only microphone: a source of
    // its own (a browser may list no monitors), and the default one.
    bool hearWhatPlays();
    // Plays a sound file in a format it names (WAV), in the background.
    void playFile(const std::string& file);
    // A started server whose only microphone hears `file` (WAV) playing;
    // null when no file is named.
    static std::unique_ptr<PulseServer> hearing(const std::string& file);
    // Runs pactl with these arguments; true on success.
    bool pactl(const std::string& args);

private:
    std::string dir_;
    pid_t daemon_ = -1;
    pid_t player_ = -1;
};

}  // namespace zorbel::test
