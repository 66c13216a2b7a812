// The window's picture: the GL layer's last frame letterboxed on black, and
// the views drawn over it.
#include "platform/window/compositor.h"

#include "platform/gles/EAGLLayer.h"
#include "platform/window/letterbox.h"

#include <algorithm>
#include <cmath>

namespace zorbel {

namespace {

// GL state the compositor changes, captured before and put back after. The
// scene keeps GL_TEXTURE_2D, GL_BLEND with (SRC_ALPHA, ONE_MINUS_SRC_ALPHA),
// GL_MODULATE and an identity modelview for its whole life and sets the rest
// per frame; everything touched here is restored anyway, so the order of
// drawing and compositing does not matter.
class SavedGLState {
public:
    SavedGLState()
    {
        glGetIntegerv(GL_FRAMEBUFFER_BINDING_OES, &framebuffer_);
        glGetIntegerv(GL_VIEWPORT, viewport_);
        glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColor_);
        glGetBooleanv(GL_COLOR_WRITEMASK, colorMask_);
        glGetFloatv(GL_CURRENT_COLOR, color_);
        glGetIntegerv(GL_MATRIX_MODE, &matrixMode_);
        glGetIntegerv(GL_BLEND_SRC, &blendSrc_);
        glGetIntegerv(GL_BLEND_DST, &blendDst_);
        glGetIntegerv(GL_ACTIVE_TEXTURE, &activeTexture_);
        glGetIntegerv(GL_CLIENT_ACTIVE_TEXTURE, &clientActiveTexture_);
        glActiveTexture(GL_TEXTURE0);
        glClientActiveTexture(GL_TEXTURE0);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture_);
        glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &texEnvMode_);
        glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &arrayBuffer_);
        for (int i = 0; i < kCapabilityCount; ++i)
            enabled_[i] = glIsEnabled(kCapabilities[i]);
        for (int i = 0; i < kArrayCount; ++i)
            arrayEnabled_[i] = glIsEnabled(kArrays[i]);
        saveArray(vertex_, GL_VERTEX_ARRAY_SIZE, GL_VERTEX_ARRAY_TYPE, GL_VERTEX_ARRAY_STRIDE, GL_VERTEX_ARRAY_POINTER,
                  GL_VERTEX_ARRAY_BUFFER_BINDING);
        saveArray(texCoord_, GL_TEXTURE_COORD_ARRAY_SIZE, GL_TEXTURE_COORD_ARRAY_TYPE, GL_TEXTURE_COORD_ARRAY_STRIDE,
                  GL_TEXTURE_COORD_ARRAY_POINTER, GL_TEXTURE_COORD_ARRAY_BUFFER_BINDING);
        for (GLenum mode : {GL_PROJECTION, GL_MODELVIEW, GL_TEXTURE}) {
            glMatrixMode(mode);
            glPushMatrix();
            glLoadIdentity();
        }
    }

    ~SavedGLState()
    {
        for (GLenum mode : {GL_PROJECTION, GL_MODELVIEW, GL_TEXTURE}) {
            glMatrixMode(mode);
            glPopMatrix();
        }
        glMatrixMode(static_cast<GLenum>(matrixMode_));
        // Each array pointer is relative to the buffer bound when it was set.
        glBindBuffer(GL_ARRAY_BUFFER, static_cast<GLuint>(vertex_.buffer));
        glVertexPointer(vertex_.size, static_cast<GLenum>(vertex_.type), vertex_.stride, vertex_.pointer);
        glBindBuffer(GL_ARRAY_BUFFER, static_cast<GLuint>(texCoord_.buffer));
        glTexCoordPointer(texCoord_.size, static_cast<GLenum>(texCoord_.type), texCoord_.stride, texCoord_.pointer);
        glBindBuffer(GL_ARRAY_BUFFER, static_cast<GLuint>(arrayBuffer_));
        for (int i = 0; i < kArrayCount; ++i) {
            if (arrayEnabled_[i])
                glEnableClientState(kArrays[i]);
            else
                glDisableClientState(kArrays[i]);
        }
        for (int i = 0; i < kCapabilityCount; ++i) {
            if (enabled_[i])
                glEnable(kCapabilities[i]);
            else
                glDisable(kCapabilities[i]);
        }
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, texEnvMode_);
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture_));
        glActiveTexture(static_cast<GLenum>(activeTexture_));
        glClientActiveTexture(static_cast<GLenum>(clientActiveTexture_));
        glBlendFunc(static_cast<GLenum>(blendSrc_), static_cast<GLenum>(blendDst_));
        glColor4f(color_[0], color_[1], color_[2], color_[3]);
        glColorMask(colorMask_[0], colorMask_[1], colorMask_[2], colorMask_[3]);
        glClearColor(clearColor_[0], clearColor_[1], clearColor_[2], clearColor_[3]);
        glViewport(viewport_[0], viewport_[1], viewport_[2], viewport_[3]);
        glBindFramebufferOES(GL_FRAMEBUFFER_OES, static_cast<GLuint>(framebuffer_));
    }

    SavedGLState(const SavedGLState&) = delete;
    SavedGLState& operator=(const SavedGLState&) = delete;

private:
    struct ArrayPointer {
        GLint size = 4, type = GL_FLOAT, stride = 0, buffer = 0;
        void* pointer = nullptr;
    };
    static void saveArray(ArrayPointer& a, GLenum size, GLenum type, GLenum stride, GLenum pointer, GLenum buffer)
    {
        glGetIntegerv(buffer, &a.buffer);
        glGetIntegerv(size, &a.size);
        glGetIntegerv(type, &a.type);
        glGetIntegerv(stride, &a.stride);
        glGetPointerv(pointer, &a.pointer);
    }

    static constexpr int kCapabilityCount = 12;
    static constexpr GLenum kCapabilities[kCapabilityCount] = {
        GL_TEXTURE_2D, GL_BLEND,        GL_DEPTH_TEST,   GL_CULL_FACE,      GL_ALPHA_TEST,     GL_LIGHTING,
        GL_FOG,        GL_SCISSOR_TEST, GL_STENCIL_TEST, GL_COLOR_LOGIC_OP, GL_COLOR_MATERIAL, GL_DITHER};
    static constexpr int kArrayCount = 4;
    static constexpr GLenum kArrays[kArrayCount] = {GL_VERTEX_ARRAY, GL_TEXTURE_COORD_ARRAY, GL_COLOR_ARRAY,
                                                    GL_NORMAL_ARRAY};

    GLint framebuffer_ = 0;
    GLint viewport_[4] = {0, 0, 0, 0};
    GLfloat clearColor_[4] = {0, 0, 0, 0};
    GLboolean colorMask_[4] = {GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE};
    GLfloat color_[4] = {1, 1, 1, 1};
    GLint matrixMode_ = GL_MODELVIEW;
    GLint blendSrc_ = GL_ONE, blendDst_ = GL_ZERO;
    GLint activeTexture_ = GL_TEXTURE0, clientActiveTexture_ = GL_TEXTURE0;
    GLint texture_ = 0;
    GLint texEnvMode_ = GL_MODULATE;
    GLint arrayBuffer_ = 0;
    GLboolean enabled_[kCapabilityCount] = {};
    GLboolean arrayEnabled_[kArrayCount] = {};
    ArrayPointer vertex_, texCoord_;
};

// One textured quad over a pixel rectangle (y down). `topT` is the texture
// t at the rectangle's top edge, `bottomT` at its bottom; s runs from
// `leftS` to `rightS`.
void drawTexturedRect(const PixelRect& r, GLuint texture, float leftS, float rightS, float topT, float bottomT)
{
    const GLfloat x0 = static_cast<GLfloat>(r.x), x1 = static_cast<GLfloat>(r.x + r.width);
    const GLfloat y0 = static_cast<GLfloat>(r.y), y1 = static_cast<GLfloat>(r.y + r.height);
    const GLfloat vertices[8] = {x0, y0, x0, y1, x1, y0, x1, y1};
    const GLfloat texCoords[8] = {leftS, topT, leftS, bottomT, rightS, topT, rightS, bottomT};
    glBindTexture(GL_TEXTURE_2D, texture);
    glVertexPointer(2, GL_FLOAT, 0, vertices);
    glTexCoordPointer(2, GL_FLOAT, 0, texCoords);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
}

}  // namespace

PixelRect overlayPixels(int width, int height, OverlayPart part)
{
    const PixelRect screen = letterboxPixelRect(fitLetterbox(static_cast<float>(width), static_cast<float>(height)));
    const int x0 = std::max(0, static_cast<int>(std::floor(part.left * screen.width)));
    const int y0 = std::max(0, static_cast<int>(std::floor(part.top * screen.height)));
    const int x1 = std::min(screen.width, static_cast<int>(std::ceil(part.right * screen.width)));
    const int y1 = std::min(screen.height, static_cast<int>(std::ceil(part.bottom * screen.height)));
    return {screen.x + x0, screen.y + y0, std::max(0, x1 - x0), std::max(0, y1 - y0)};
}

void compositeScreen(int width, int height, const EAGLLayer& glLayer, GLuint overlayTexture, float overlayMaxS,
                     float overlayMaxT, OverlayPart part, const PixelRect* only, int onlyCount)
{
    SavedGLState saved;
    glBindFramebufferOES(GL_FRAMEBUFFER_OES, 0);
    glViewport(0, 0, width, height);
    for (GLenum cap : {GL_DEPTH_TEST, GL_CULL_FACE, GL_ALPHA_TEST, GL_LIGHTING, GL_FOG, GL_SCISSOR_TEST,
                       GL_STENCIL_TEST, GL_COLOR_LOGIC_OP, GL_COLOR_MATERIAL}) {
        glDisable(cap);
    }
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glEnable(GL_TEXTURE_2D);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);

    // Pixel coordinates, y down.
    glMatrixMode(GL_PROJECTION);
    glOrthof(0.0f, static_cast<GLfloat>(width), static_cast<GLfloat>(height), 0.0f, -1.0f, 1.0f);
    glMatrixMode(GL_MODELVIEW);

    const PixelRect screen = letterboxPixelRect(fitLetterbox(static_cast<float>(width), static_cast<float>(height)));
    // Shown pixel for pixel (the usual case): nearest sampling and no colour
    // modulation give the same bytes at a fraction of the rasteriser's cost.
    const bool oneToOne = screen.width == glLayer.presentedWidth() && screen.height == glLayer.presentedHeight();
    if (glLayer.presentedTexture() != 0) {
        glBindTexture(GL_TEXTURE_2D, glLayer.presentedTexture());
        const GLint filter = oneToOne ? GL_NEAREST : GL_LINEAR;
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    }
    // The overlay over its part only, in whole pixels, each sampled where
    // the whole quad would sample it.
    const PixelRect o = overlayPixels(width, height, part);
    const bool overlay = overlayTexture != 0 && o.width > 0 && o.height > 0 && screen.width > 0 && screen.height > 0;

    // Every step gives the same pixels wherever it draws, so drawing only
    // parts of the drawable leaves the same picture as drawing all of it.
    if (only)
        glEnable(GL_SCISSOR_TEST);
    for (int i = 0; i < (only ? onlyCount : 1); ++i) {
        if (only)
            glScissor(only[i].x, height - only[i].y - only[i].height, only[i].width, only[i].height);
        glClear(GL_COLOR_BUFFER_BIT);
        if (glLayer.presentedTexture() != 0) {
            // The picture is opaque; its alpha is not blended. Its row t = 0
            // is the bottom (GL order).
            glDisable(GL_BLEND);
            glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, oneToOne ? GL_REPLACE : GL_MODULATE);
            drawTexturedRect(screen, glLayer.presentedTexture(), 0.0f, glLayer.presentedMaxS(), glLayer.presentedMaxT(),
                             0.0f);
        }
        if (overlay) {
            glEnable(GL_BLEND);
            glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
            glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
            const float w = static_cast<float>(screen.width), h = static_cast<float>(screen.height);
            const int x0 = o.x - screen.x, y0 = o.y - screen.y, x1 = x0 + o.width, y1 = y0 + o.height;
            drawTexturedRect(o, overlayTexture, overlayMaxS * x0 / w, overlayMaxS * x1 / w, overlayMaxT * y0 / h,
                             overlayMaxT * y1 / h);
        }
    }
}

}  // namespace zorbel
