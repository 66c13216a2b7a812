#include "view/boardCache.h"

namespace zorbel {

void setWorldProjection(int width, int height)
{
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrthof(-1.0f, 1.0f, -1.5f, 1.5f, -1.0f, 1.0f);
    glMatrixMode(GL_MODELVIEW);
}

void BoardCache::setEnabled(bool on)
{
    enabled_ = on;
    if (!on)
        release();
}

void BoardCache::make(GLuint boardTexture, int width, int height, bool npotTextures)
{
    release();
    clearDrawn();
    if (!enabled_ || !boardTexture || width <= 0 || height <= 0 || !npotTextures)
        return;
    setWorldProjection(width, height);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glBindTexture(GL_TEXTURE_2D, boardTexture);
    glVertexPointer(2, GL_FLOAT, 0, kBoardVertices);
    glTexCoordPointer(2, GL_SHORT, 0, kQuadTexCoords);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);

    while (glGetError() != GL_NO_ERROR) {
    }
    glGenTextures(1, &texture_);
    glBindTexture(GL_TEXTURE_2D, texture_);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 0, 0, width, height, 0);
    if (glGetError() != GL_NO_ERROR)
        release();
}

void BoardCache::release()
{
    glDeleteTextures(1, &texture_);
    texture_ = 0;
}

bool BoardCache::drewNothing() const
{
    for (const DirtyBox& box : drawn)
        if (!box.empty())
            return false;
    return true;
}

void BoardCache::clearDrawn()
{
    for (DirtyBox& box : drawn)
        box.clear();
}

void BoardCache::lay(int width, int height, int marginPixels) const
{
    // The opaque board drawn with blending gives exactly its own pixels, so
    // copying them unblended and unmodulated changes nothing, however often.
    glBindTexture(GL_TEXTURE_2D, texture_);
    glDisable(GL_BLEND);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    if (drewNothing()) {
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    } else {
        glEnable(GL_SCISSOR_TEST);
        for (const DirtyBox& box : drawn) {
            if (box.empty())
                continue;
            const ScissorRect r = dirtyPixels(box, width, height, marginPixels);
            glScissor(r.x, r.y, r.width, r.height);
            glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
        }
        glDisable(GL_SCISSOR_TEST);
    }
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnable(GL_BLEND);
}

}  // namespace zorbel
