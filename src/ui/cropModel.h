// The crop editor's state and gesture arithmetic: a photo is panned with one
// finger and panned, turned and scaled with two, to fit a 256 x 256 face.
//
// Frames: touches arrive in view points (origin top left, y down) and are
// kept in the grab frame (y turned upwards: (x, H - y), H the view height).
// The photo's image frame has its origin at the photo's bottom-left corner,
// y up, in pixels. The output square (the face) is 256 x 256, y up; one output
// pixel is one view point, so a finger displacement in the grab frame is the
// same displacement in the output.
//
// All arithmetic is single precision except where noted: the results are
// pinned to the float by the committed crop trace (tests/tools/sim/traces).
#pragma once

#include "platform/imaging/faceTransform.h"

namespace zorbel {

constexpr int kCropFaceSize = 256;  // the output square, in pixels
constexpr int kCropMaxGrabs = 10;   // fingers tracked at once

struct CropRect {
    float x = 0, y = 0, width = 0, height = 0;
};

struct CropModel {
    float imScale = 0;    // output pixels per photo pixel (1 once a photo is set)
    float imCenterX = 0;  // image-frame point shown at the centre of the face
    float imCenterY = 0;
    float imRot = 0;    // radians, counter-clockwise; never wrapped
    CropRect clipRect;  // the face inside the bitmap, from its top-left corner
    int imgH = 0;       // photo size, pixels
    int imgW = 0;
    int ctxtW = 0;  // bitmap size: the photo's, at least 256 each way
    int ctxtH = 0;
    bool hasBitmap = false;           // a photo with pixels was set
    int nbGrabs = 0;                  // grab points in use, in the order first recorded
    float grabx[kCropMaxGrabs] = {};  // grab frame, last processed positions
    float graby[kCropMaxGrabs] = {};
};

// Gives the editor a width x height photo: sizes the bitmap, places the face
// square at the bitmap's bottom-left and resets the transform (scale 1, no
// turn, photo centre at the face centre). Grab points are kept. A size <= 0
// is a photo without pixels: nothing changes.
void cropSetPhoto(CropModel& m, int width, int height);

// Fingers down: `count` view points (x, y pairs). Each is recorded as a new
// grab point; those beyond the tenth are ignored.
void cropTouchesBegan(CropModel& m, const float* xy, int count, float boundsHeight);

// One finger moved to view point (x, y): the nearest grab point follows it
// and, when that is one of the first two, the transform follows the fingers.
// Returns whether the face must be redrawn.
bool cropTouchMoved(CropModel& m, float x, float y, float boundsHeight);

// The last step of every gesture: the photo moves by (panX, panY) output
// pixels (y up), then turns by `turn` radians counter-clockwise and scales by
// `factor`, both about the face centre.
void cropMove(CropModel& m, float panX, float panY, float factor, float turn);

// The mouse and the keys. Output point (x, y) (y up, from the face's
// bottom-left corner) stays where it is while the photo scales by `factor`
// and turns by `turn` radians about it. The scale stays within
// [kCropMinScale, kCropMaxScale]; arguments that are not finite do nothing.
constexpr float kCropMinScale = 1.0f / 64;
constexpr float kCropMaxScale = 64.0f;
void cropZoomAbout(CropModel& m, float x, float y, float factor, float turn);
// Moves the photo by (dx, dy) output pixels, y up; the point at the face
// centre stays on the photo.
void cropPan(CropModel& m, float dx, float dy);

// Fingers up: each removes the grab point nearest to where it lifted; a lift
// while one grab point or none is recorded clears them all.
void cropTouchesEnded(CropModel& m, const float* xy, int count, float boundsHeight);

// The face renderer's transform for the editor's state.
FaceTransform cropFaceTransform(const CropModel& m);

}  // namespace zorbel
