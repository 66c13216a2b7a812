// The page as the browser tests see it: its pixels (the board, his chalk,
// the tack), where a kind of pixel lies, waiting for a picture, and the taps
// that open the screens.
#pragma once

#include "browser.h"

#include <functional>
#include <string>

namespace zorbel::test {

struct Pixel {
    int r, g, b;
};

Pixel at(const RGBAImage& img, int x, int y);

bool chalk(Pixel p);
bool tackYellow(Pixel p);
// The blackboard: dark, a little green or grey, never black.
bool board(Pixel p);
bool red(Pixel p);
bool blue(Pixel p);
bool green(Pixel p);

// Where pixels of a kind lie on the page, in its pixels.
struct Extent {
    int count = 0, left = 1 << 30, right = -1, top = 1 << 30, bottom = -1;
    double sumY = 0;  // for the mean row
    double meanY() const { return count ? sumY / count : -1; }
};

Extent extent(const RGBAImage& img, bool (*kind)(Pixel), int y0 = 0, int y1 = -1);

// The width x height part of a picture at (x, y).
RGBAImage cropOf(const RGBAImage& page, int x, int y, int width, int height);

// Screenshots until `condition` holds of one; the last one.
RGBAImage until(Page& page, const std::function<bool(const RGBAImage&)>& condition, int seconds = 30);

// He stands: tall chalk resting on the floor, the head well above the feet.
bool standing(const RGBAImage& img);

// He stands still: standing in two shots half a second apart, his chalk in
// the same place. The last shot (of the given part of the page, or all of
// it); empty when he never settles.
RGBAImage standingStill(Page& page, int bandTop = 0, int bandLeft = 0, int width = 0, int height = 0);
// How far he moved between two screenshots of him standing, in pixels: the
// top of his head (chalk or a photo face) and his feet, not his swaying arms.
int jumpBetween(const RGBAImage& a, const RGBAImage& b);

// Waits for the page's first frame; false when it never comes.
bool boardShown(Page& page);
// Whether the screens over the board show, within a few seconds.
bool screensShown(Page& page, bool shown = true);

// The info icon, in the lower right corner, drawn red: it flashes on a beat.
bool iconRed(const RGBAImage& img);
// Whether the icon flashes red within `seconds`.
bool iconTurnsRed(Page& page, int seconds);
// A notice: a dark band with white words in it, at the board's top edge
// (top 6) or its bottom one (top 395).
bool noticeIn(const RGBAImage& img, int top);
bool noticeShown(const RGBAImage& img);
// Whether the page's log has a line starting with `start`.
bool logged(Page& page, const std::string& start);

// A sound file a browser's microphone hears: raw 8000 Hz samples made WAV.
std::string wavOf(const std::string& raw);
std::string silence(int seconds);

// He wears a face of these colours: both show on the board above the icons,
// `top` above `bottom` when both are given.
bool wears(const RGBAImage& img, bool (*top)(Pixel), bool (*bottom)(Pixel) = nullptr);

// A picture file `name` in a fresh folder, made by ImageMagick's convert
// from `recipe` (what comes before the file's name); a JPEG is tagged to be
// turned by EXIF `orientation` where it is not 0.
std::string photoFile(const std::string& name, const std::string& recipe, int orientation = 0);
// A photo taken with the phone on its side: stored 400 x 300, red left and
// blue right, tagged to be turned a quarter clockwise. Upright it is red
// above blue.
std::string sidewaysPhoto();
// He wears that photo upright: red above blue, and never blue above red.
bool wearsUpright(const RGBAImage& img);
// Puts a photo on his head through the face picker: the file input, OK in
// the crop editor once `shows` holds, and Dismiss on the overlay under it.
// Whether `shows` holds of the board then.
bool putOnAFace(Page& page, const std::string& photo, bool (*shows)(const RGBAImage&));

// The middle of his head's top, in the picture's pixels (standing still,
// his arms hang: the head's top is the chalk's top); false without chalk.
bool headTop(const RGBAImage& img, double& x, double& y);
// One finger takes him at (x, y) and lifts him to `toY` at a finger's pace
// (a few points a frame, as he follows it), and stays down.
void liftWithAFinger(Page& page, double x, double y, double toY);

// He has slid to the left wall, the right wall, or the ceiling.
bool onLeftWall(const RGBAImage& img);
bool onRightWall(const RGBAImage& img);
bool onCeiling(const RGBAImage& img);

// Runs a zorbel-sim script in the page (index.html?script=); the trace it printed.
std::string runInPage(Page& page, const SiteServer& server, const std::string& script);

// A tap of one finger at a point of a 320 x 480 page.
void tap(Page& page, double x, double y);
// The overlay's settings page: the info corner, then Settings.
void openSettings(Page& page);
// The face picker: the settings page, then "Change Zorbel's face".
void openFacePicker(Page& page);

// The moments (seconds from the recording's start) at which the desktop's
// simulator, hearing the raw recording, finds beats in `frames` frames.
std::vector<double> simulatorBeats(const std::string& raw, int frames);

}  // namespace zorbel::test
