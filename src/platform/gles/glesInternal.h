// Internal to zorbel_gles: the OES framebuffer object entry points of one
// driver, fetched by name once per context, and extension list lookup.
#pragma once

#include "platform/gles/gles.h"

namespace zorbel {

// True when the space-separated `list` (GL or EGL extensions) has `name` as
// a whole word.
bool extensionListHas(const char* list, const char* name);

struct OesFramebufferProcs {
    PFNGLISRENDERBUFFEROESPROC isRenderbuffer = nullptr;
    PFNGLBINDRENDERBUFFEROESPROC bindRenderbuffer = nullptr;
    PFNGLDELETERENDERBUFFERSOESPROC deleteRenderbuffers = nullptr;
    PFNGLGENRENDERBUFFERSOESPROC genRenderbuffers = nullptr;
    PFNGLRENDERBUFFERSTORAGEOESPROC renderbufferStorage = nullptr;
    PFNGLGETRENDERBUFFERPARAMETERIVOESPROC getRenderbufferParameteriv = nullptr;
    PFNGLISFRAMEBUFFEROESPROC isFramebuffer = nullptr;
    PFNGLBINDFRAMEBUFFEROESPROC bindFramebuffer = nullptr;
    PFNGLDELETEFRAMEBUFFERSOESPROC deleteFramebuffers = nullptr;
    PFNGLGENFRAMEBUFFERSOESPROC genFramebuffers = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSOESPROC checkFramebufferStatus = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFEROESPROC framebufferRenderbuffer = nullptr;
    PFNGLFRAMEBUFFERTEXTURE2DOESPROC framebufferTexture2D = nullptr;
    PFNGLGETFRAMEBUFFERATTACHMENTPARAMETERIVOESPROC getFramebufferAttachmentParameteriv = nullptr;
    PFNGLGENERATEMIPMAPOESPROC generateMipmap = nullptr;
};

using GLProcLoader = void* (*)(const char* name);

// Fills every entry that `load` knows; returns true when all were found.
bool loadOesFramebufferProcs(OesFramebufferProcs& procs, GLProcLoader load);

// The table of the current EAGLContext; with none current (a context made
// current behind our back), a table fetched through EGL, which the GL
// dispatch library resolves for whatever context the thread has.
const OesFramebufferProcs& currentOesFramebufferProcs();

}  // namespace zorbel
