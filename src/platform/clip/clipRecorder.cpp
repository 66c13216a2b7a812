// What every platform's clips share: their names.
#include "platform/clip/clipRecorder.h"

namespace zorbel {

std::string clipFileName(std::time_t when, const char* extension)
{
    std::tm local{};
    localtime_r(&when, &local);
    char name[64];
    std::strftime(name, sizeof name, "zorbel-%Y%m%d-%H%M%S", &local);
    return name + std::string(extension);
}

}  // namespace zorbel
