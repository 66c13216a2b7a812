// The photo face: installing or removing it, and the file and preference
// that make it survive a restart.
#pragma once

#include <string>

namespace zorbel {

struct RGBAImage;

// Installs `image` (normally 256 x 256) as the head texture, saves it as
// customface.png and records that a custom face is in use; nullptr removes
// the face (the file stays). The GL view's context must be current.
void setCurrentFace(const RGBAImage* image);

// At start-up: removes what a save killed mid-write left, and when the
// preference says a custom face is in use, loads the face file into the face
// texture. An unreadable file leaves the chalk head.
void loadStoredFace();

// The face texture made again from the face in use (after the GL context
// was lost and given back); the view's context must be current.
void remakeFaceTexture();

// Where the face file lives: $XDG_DATA_HOME/zorbel/customface.png.
std::string customFacePath();

}  // namespace zorbel
