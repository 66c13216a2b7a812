// The screens over the scene, put together: the GL view at the bottom of the
// view tree, the overlay opened from its info corner, the face picker opened
// from the overlay or by a dropped photo. Shared by the app and zorbel-sim.
#pragma once

#include "platform/imaging/graphics.h"

#include <memory>
#include <string>

namespace zorbel {

class EAGLView;
class Screen;

// Puts the GL view into the screen's tree and connects its info corner.
void installScreens(Screen& screen, const std::shared_ptr<EAGLView>& view);

// Quitting: the physics settings of an open overlay are stored, as its
// Dismiss button would store them.
void storeOpenSettings(Screen& screen);

// A photo file dropped on the window.
void photoDropped(const std::shared_ptr<EAGLView>& view, const std::string& path);

// True when only the scene is up (nothing over the GL view to draw).
bool onlyTheScene(Screen& screen, const EAGLView& view);

// The part of the screen, in points, that the views over the scene cover
// (with a point to spare for antialiased edges); empty when only the scene
// is up.
Rect screensCover(Screen& screen, const EAGLView& view);

}  // namespace zorbel
