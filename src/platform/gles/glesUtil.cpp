// The GL helpers both platforms share: extension lists and reading back
// pixels top row first.
#include "platform/gles/gles.h"
#include "platform/gles/glesInternal.h"

#include <cstring>

namespace zorbel {

bool extensionListHas(const char* list, const char* name)
{
    if (!list || !name || !*name)
        return false;
    const size_t len = std::strlen(name);
    for (const char* p = list; (p = std::strstr(p, name)) != nullptr; p += len) {
        const bool startsWord = p == list || p[-1] == ' ';
        const bool endsWord = p[len] == ' ' || p[len] == '\0';
        if (startsWord && endsWord)
            return true;
    }
    return false;
}

bool hasGLExtension(const char* name)
{
    return extensionListHas(reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS)), name);
}

bool readPixelsTopRowFirst(int width, int height, std::vector<uint8_t>& rgba)
{
    const size_t rowBytes = static_cast<size_t>(width) * 4;
    rgba.resize(rowBytes * static_cast<size_t>(height));
    GLint previousPack = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &previousPack);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    glPixelStorei(GL_PACK_ALIGNMENT, previousPack);
    if (glGetError() != GL_NO_ERROR)
        return false;
    std::vector<uint8_t> row(rowBytes);
    for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
        uint8_t* a = rgba.data() + rowBytes * static_cast<size_t>(top);
        uint8_t* b = rgba.data() + rowBytes * static_cast<size_t>(bottom);
        std::memcpy(row.data(), a, rowBytes);
        std::memcpy(a, b, rowBytes);
        std::memcpy(b, row.data(), rowBytes);
    }
    return true;
}

}  // namespace zorbel
