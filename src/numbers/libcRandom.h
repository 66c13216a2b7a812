// The pseudo-random sequence the figure draws from: the one the desktop's C
// library gives from rand() when the program never seeds it. Every platform
// gets this same sequence, so the traces are the same everywhere.
#pragma once

namespace zorbel {

// The next number, 0 to kLibcRandMax, as glibc's rand() without srand().
int libcRand();
constexpr int kLibcRandMax = 2147483647;

// Back to the first number of the sequence (tests, and a fresh simulator run).
void libcRandReset();

}  // namespace zorbel
