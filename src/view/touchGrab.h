// Grab points kept in the figure record: fingers grab, drag and let go;
// the tack corner pins every grab point to the board.
#pragma once

#include "figure/myGuy.h"

namespace zorbel {

// A touch position in view points (origin top left, y down).
struct TouchPoint {
    float x;
    float y;
};

enum class TouchCorner { None, Info, Tack };

// Corner zones (kCornerSize points square) of a w x h point view, tested when
// a touch begins.
constexpr float kCornerSize = 35.0f;
TouchCorner CornerAt(float px, float py, float w, float h);

// View points (origin top left, y down) to world units.
void ViewToWorld(float px, float py, float w, float h, float& x, float& y);

// A finger comes down at world (x, y): take over the nearest grab point in
// reach (untacking it), else append one. Ignored when all ten are in use.
void GrabBegan(Guy* guy, float x, float y);

// Drags the nearest free (untacked) grab point to (x, y).
void GrabMoved(Guy* guy, float x, float y);

// Removes the nearest grab point in reach unless it is tacked.
void GrabEnded(Guy* guy, float x, float y);

// Tacks every grab point in use.
void TackAll(Guy* guy);

}  // namespace zorbel
