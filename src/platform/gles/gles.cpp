// The OES framebuffer object functions declared by <GLES/glext.h>. The GLES 1
// library of the system exports only the core 1.1 calls, so these forward to
// the driver's entry points fetched for the current context.
#include "platform/gles/gles.h"

#include <cstring>
#include <type_traits>

#include "platform/gles/glesInternal.h"
#include "platform/log/log.h"

namespace zorbel {

bool loadOesFramebufferProcs(OesFramebufferProcs& procs, GLProcLoader load)
{
    if (!load)
        return false;
    bool all = true;
    auto get = [&](auto& slot, const char* name) {
        slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(load(name));
        if (!slot)
            all = false;
    };
    get(procs.isRenderbuffer, "glIsRenderbufferOES");
    get(procs.bindRenderbuffer, "glBindRenderbufferOES");
    get(procs.deleteRenderbuffers, "glDeleteRenderbuffersOES");
    get(procs.genRenderbuffers, "glGenRenderbuffersOES");
    get(procs.renderbufferStorage, "glRenderbufferStorageOES");
    get(procs.getRenderbufferParameteriv, "glGetRenderbufferParameterivOES");
    get(procs.isFramebuffer, "glIsFramebufferOES");
    get(procs.bindFramebuffer, "glBindFramebufferOES");
    get(procs.deleteFramebuffers, "glDeleteFramebuffersOES");
    get(procs.genFramebuffers, "glGenFramebuffersOES");
    get(procs.checkFramebufferStatus, "glCheckFramebufferStatusOES");
    get(procs.framebufferRenderbuffer, "glFramebufferRenderbufferOES");
    get(procs.framebufferTexture2D, "glFramebufferTexture2DOES");
    get(procs.getFramebufferAttachmentParameteriv, "glGetFramebufferAttachmentParameterivOES");
    get(procs.generateMipmap, "glGenerateMipmapOES");
    return all;
}

namespace {

// Logs once per entry point, so a missing driver function is reported but a
// frame loop calling it does not flood the log.
bool available(const void* fn, const char* name, bool& reported)
{
    if (fn)
        return true;
    if (!reported) {
        reported = true;
        logLine("gles: %s is not available (no context or no driver support)", name);
    }
    return false;
}

}  // namespace
}  // namespace zorbel

using zorbel::available;
using zorbel::currentOesFramebufferProcs;

#define ZORBEL_OES_GUARD(member, name, failValue)                                                                      \
    static bool reported_ = false;                                                                                     \
    const auto fn = currentOesFramebufferProcs().member;                                                               \
    if (!available(reinterpret_cast<const void*>(fn), name, reported_))                                                \
    return failValue

extern "C" {

GL_API GLboolean GL_APIENTRY glIsRenderbufferOES(GLuint renderbuffer)
{
    ZORBEL_OES_GUARD(isRenderbuffer, "glIsRenderbufferOES", GL_FALSE);
    return fn(renderbuffer);
}

GL_API void GL_APIENTRY glBindRenderbufferOES(GLenum target, GLuint renderbuffer)
{
    ZORBEL_OES_GUARD(bindRenderbuffer, "glBindRenderbufferOES", );
    fn(target, renderbuffer);
}

GL_API void GL_APIENTRY glDeleteRenderbuffersOES(GLsizei n, const GLuint* renderbuffers)
{
    ZORBEL_OES_GUARD(deleteRenderbuffers, "glDeleteRenderbuffersOES", );
    fn(n, renderbuffers);
}

GL_API void GL_APIENTRY glGenRenderbuffersOES(GLsizei n, GLuint* renderbuffers)
{
    ZORBEL_OES_GUARD(genRenderbuffers, "glGenRenderbuffersOES", );
    fn(n, renderbuffers);
}

GL_API void GL_APIENTRY glRenderbufferStorageOES(GLenum target, GLenum internalformat, GLsizei width, GLsizei height)
{
    ZORBEL_OES_GUARD(renderbufferStorage, "glRenderbufferStorageOES", );
    fn(target, internalformat, width, height);
}

GL_API void GL_APIENTRY glGetRenderbufferParameterivOES(GLenum target, GLenum pname, GLint* params)
{
    ZORBEL_OES_GUARD(getRenderbufferParameteriv, "glGetRenderbufferParameterivOES", );
    fn(target, pname, params);
}

GL_API GLboolean GL_APIENTRY glIsFramebufferOES(GLuint framebuffer)
{
    ZORBEL_OES_GUARD(isFramebuffer, "glIsFramebufferOES", GL_FALSE);
    return fn(framebuffer);
}

GL_API void GL_APIENTRY glBindFramebufferOES(GLenum target, GLuint framebuffer)
{
    ZORBEL_OES_GUARD(bindFramebuffer, "glBindFramebufferOES", );
    fn(target, framebuffer);
}

GL_API void GL_APIENTRY glDeleteFramebuffersOES(GLsizei n, const GLuint* framebuffers)
{
    ZORBEL_OES_GUARD(deleteFramebuffers, "glDeleteFramebuffersOES", );
    fn(n, framebuffers);
}

GL_API void GL_APIENTRY glGenFramebuffersOES(GLsizei n, GLuint* framebuffers)
{
    ZORBEL_OES_GUARD(genFramebuffers, "glGenFramebuffersOES", );
    fn(n, framebuffers);
}

GL_API GLenum GL_APIENTRY glCheckFramebufferStatusOES(GLenum target)
{
    ZORBEL_OES_GUARD(checkFramebufferStatus, "glCheckFramebufferStatusOES", 0);
    return fn(target);
}

GL_API void GL_APIENTRY glFramebufferRenderbufferOES(GLenum target, GLenum attachment, GLenum renderbuffertarget,
                                                     GLuint renderbuffer)
{
    ZORBEL_OES_GUARD(framebufferRenderbuffer, "glFramebufferRenderbufferOES", );
    fn(target, attachment, renderbuffertarget, renderbuffer);
}

GL_API void GL_APIENTRY glFramebufferTexture2DOES(GLenum target, GLenum attachment, GLenum textarget, GLuint texture,
                                                  GLint level)
{
    ZORBEL_OES_GUARD(framebufferTexture2D, "glFramebufferTexture2DOES", );
    fn(target, attachment, textarget, texture, level);
}

GL_API void GL_APIENTRY glGetFramebufferAttachmentParameterivOES(GLenum target, GLenum attachment, GLenum pname,
                                                                 GLint* params)
{
    ZORBEL_OES_GUARD(getFramebufferAttachmentParameteriv, "glGetFramebufferAttachmentParameterivOES", );
    fn(target, attachment, pname, params);
}

GL_API void GL_APIENTRY glGenerateMipmapOES(GLenum target)
{
    ZORBEL_OES_GUARD(generateMipmap, "glGenerateMipmapOES", );
    fn(target);
}

}  // extern "C"
