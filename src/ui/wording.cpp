#include "ui/wording.h"

#include "audio/audioInMeter.h"

#ifndef ZORBEL_VERSION
#define ZORBEL_VERSION "0"
#endif

namespace zorbel {

namespace {

Wording current = Wording::Phone;

// The first words, written for the phone, as they stand.
const char kPhoneInfo[] =
    "Zorbel's behavior results from the mechanical constraints that define him. He consists of a set masses "
    "connected to one another through damped springs. Gravity and instantaneous acceleration are estimated from "
    "your iPhone's X and Y accelerometers and transferred onto his virtual world. \n"
    "Friction and simple heuristics were added to help him maintain his balance as you rotate your phone or take "
    "him with you on the bus. You can also grab and stretch him with your multi-touch screen to abuse him "
    "further. \n"
    "Zorbel also thinks he can dance and he'll start busting his moves if he detects music though your phone's "
    "microphone... so crank up the tunes!";

const char kDesktopInfo[] =
    "Zorbel's behavior results from the mechanical constraints that define him. He consists of a set of masses "
    "connected to one another through damped springs. Gravity and instantaneous acceleration come from your game "
    "controller's motion sensor, or from the keyboard, and are transferred onto his virtual world. \n"
    "Friction and simple heuristics were added to help him maintain his balance as you tilt the board with the "
    "arrow keys or shake it with the space bar. You can also grab and stretch him with the mouse (Ctrl + drag "
    "for two fingers) or a touch screen to abuse him further. \n"
    "Zorbel also thinks he can dance and he'll start busting his moves if he detects music through the "
    "microphone or this computer's sound... so crank up the tunes!";

const char kBrowserInfo[] =
    "Zorbel's behavior results from the mechanical constraints that define him. He consists of a set of masses "
    "connected to one another through damped springs. Gravity and instantaneous acceleration are estimated from "
    "your phone's accelerometer (on a computer: the arrow keys and the space bar) and transferred onto his "
    "virtual world. \n"
    "Friction and simple heuristics were added to help him maintain his balance as you rotate your phone or take "
    "him with you on the bus. You can also grab and stretch him with your fingers or the mouse to abuse him "
    "further. \n"
    "Zorbel also thinks he can dance and he'll start busting his moves if he detects music through the "
    "microphone... so crank up the tunes!";

}  // namespace

void setWording(Wording wording)
{
    current = wording;
}

Wording wording()
{
    return current;
}

const char* infoText()
{
    switch (current) {
    case Wording::Desktop:
        return kDesktopInfo;
    case Wording::Browser:
        return kBrowserInfo;
    default:
        return kPhoneInfo;
    }
}

std::string versionText()
{
    return std::string("v") + ZORBEL_VERSION;
}

std::string listeningSwitchText()
{
    switch (current) {
    case Wording::Desktop:
        return getAudioSource() == AudioSource::Computer ? "Dance to what this computer plays"
                                                         : "Dance to what the microphone hears";
    case Wording::Browser:
        return "Dance to what the microphone hears";
    default:
        return "Dance to Microphone input (for iPhones only)";
    }
}

const char* cameraNote()
{
    switch (current) {
    case Wording::Desktop:
        return "(with a webcam)";
    case Wording::Browser:
        return "(with the front camera)";
    default:
        return "(for iPhones only)";
    }
}

const char* cropInstructions()
{
    switch (current) {
    case Wording::Desktop:
        return "Drag to move the picture; the wheel scales it, Shift + wheel turns it; Ctrl + drag moves two "
               "fingers. Fit the face to the head outline.";
    case Wording::Browser:
        return "Use two fingers to move, rotate and scale the picture in order to fit the head outline (or drag, "
               "and turn the wheel, with Shift to rotate).";
    default:
        return "Use two fingers to move, rotate and scale the picture in order to fit the head outline.";
    }
}

}  // namespace zorbel
