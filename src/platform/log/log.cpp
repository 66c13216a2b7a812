#include "platform/log/log.h"

#include <cstdarg>
#include <cstdio>

namespace zorbel {

void logLine(const char* format, ...)
{
    char line[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    // One write per line so that lines from two threads never interleave.
    std::fprintf(stderr, "%s\n", line);
}

}  // namespace zorbel
