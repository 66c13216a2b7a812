#include "view/textureUpload.h"

#include "platform/imaging/image.h"
#include "platform/imaging/resources.h"

namespace zorbel {

GLuint uploadTexture(const RGBAImage& image, GLuint texture)
{
    if (!texture)
        glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, image.width, image.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 image.pixels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    return texture;
}

GLuint loadResourceTexture(const char* name)
{
    RGBAImage image;
    if (!loadPNG(resourcePath(name), image))
        return 0;
    return uploadTexture(image);
}

}  // namespace zorbel
