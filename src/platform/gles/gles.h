// OpenGL ES 1.1 (fixed function) for the rest of the program.
//
// Code outside platform/ includes this header and never the GL headers
// themselves. The OES framebuffer object entry points (glGenFramebuffersOES,
// glBindFramebufferOES, ...) are declared by <GLES/glext.h> and defined by
// zorbel_gles: the system GLES 1 library does not export them, so each call
// goes through the pointer fetched from the current context's driver.
#pragma once

#ifndef GL_GLEXT_PROTOTYPES
#define GL_GLEXT_PROTOTYPES 1
#endif
#include <GLES/gl.h>
#include <GLES/glext.h>

#include <cstdint>
#include <vector>

namespace zorbel {

// True when the current context lists `name` (e.g. "GL_OES_texture_npot") in
// GL_EXTENSIONS. False with no current context.
bool hasGLExtension(const char* name);

// Reads width x height pixels of the bound framebuffer as RGBA, the top row
// first (GL's row 0 is the bottom). False when the read fails.
bool readPixelsTopRowFirst(int width, int height, std::vector<uint8_t>& rgba);

}  // namespace zorbel
