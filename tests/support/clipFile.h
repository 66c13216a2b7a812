// What a recorded clip holds, read with GStreamer as a player would: its
// streams, its pictures and its sound.
#pragma once

#include "platform/imaging/image.h"

#include <functional>
#include <string>
#include <vector>

namespace zorbel::test {

struct ClipInfo {
    bool readable = false;
    std::string container;  // "video/webm", "video/quicktime", ...
    std::string video;      // "video/x-vp8", "video/x-h264", ...
    std::string audio;      // "audio/x-opus", "audio/mpeg", ...; empty without sound
    int width = 0, height = 0;
    double seconds = 0;
    std::string error;
};

ClipInfo inspectClip(const std::string& path);

// Every picture, RGBA rows top first, with its time in seconds.
void eachPicture(const std::string& path, const std::function<void(double seconds, const RGBAImage&)>& picture);

// The sound, mono at `rate` samples a second from the clip's start (its
// first sample's time in `start`); empty without sound.
std::vector<float> clipSound(const std::string& path, int rate, double& start);

// When the sound of clicks rises out of the quiet between them, in seconds.
std::vector<double> clickTimes(const std::vector<float>& sound, int rate, double start);

}  // namespace zorbel::test
