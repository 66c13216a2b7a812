// The cache of shipped images, loaded once by name.
#include "platform/imaging/image.h"
#include "platform/imaging/resources.h"
#include "platform/kit/kit.h"
#include "platform/log/log.h"

#include <map>

namespace zorbel {

Image imageNamed(const char* name)
{
    if (!name || !*name) {
        logLine("kit: imageNamed without a name");
        return nullptr;
    }
    static std::map<std::string, Image> cache;  // a missing image is remembered as null
    auto it = cache.find(name);
    if (it != cache.end())
        return it->second;
    const std::string path = resourcePath(name);
    auto image = std::make_shared<RGBAImage>();
    Image result;
    if (loadPNG(path, *image))
        result = std::move(image);
    else
        logLine("kit: cannot load image %s", path.c_str());
    cache.emplace(name, result);
    return result;
}

}  // namespace zorbel
