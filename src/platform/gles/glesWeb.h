// Internal to the browser's zorbel_gles: the OpenGL ES 1.1 state one context
// keeps over WebGL 1, and which one is current. A context without WebGL (the
// headless simulator under node) keeps the state and draws nothing.
#pragma once

#include "platform/gles/gles.h"

#include <memory>

namespace zorbel {

struct GlesWebState;

// A fresh state; with `live` false no WebGL call is ever made for it.
std::unique_ptr<GlesWebState, void (*)(GlesWebState*)> makeGlesWebState(bool live);

// The state the GL entry points work on; null clears.
void setCurrentGlesWebState(GlesWebState* state);

// The texture behind a renderbuffer (WebGL 1 renders into RGBA textures, not
// 8-bit renderbuffers), 0 when it has no storage.
GLuint glesWebRenderbufferTexture(GLuint renderbuffer);

}  // namespace zorbel
