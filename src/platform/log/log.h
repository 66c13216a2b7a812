// The system log: one line per message on standard error.
#pragma once

namespace zorbel {

// printf-style; a newline is added.
void logLine(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace zorbel
