// The shipped images in the browser: the page loads them into /resources of
// its in-memory file system before the program starts.
#include "platform/imaging/resources.h"

namespace zorbel {

std::string resourcePath(const char* name)
{
    return std::string("/resources/") + (name ? name : "");
}

}  // namespace zorbel
