// glibc's rand() is an additive feedback generator of 31 words with the taps
// 3 apart: each output adds the word three places ahead into the oldest one,
// modulo 2^32, and returns that sum shifted right by one. Unseeded, it is
// seeded with 1: the words come from the multiplier 16807 modulo 2^31 - 1,
// and the first 310 outputs are thrown away.
#include "numbers/libcRandom.h"

#include <cstdint>

namespace zorbel {

namespace {

constexpr int kWords = 31;
constexpr int kSeparation = 3;

struct Generator {
    uint32_t words[kWords];
    int front = kSeparation;  // the word added into
    int rear = 0;             // the word added

    Generator() { reset(); }

    void reset()
    {
        int32_t word = 1;  // the seed rand() uses when never seeded
        words[0] = static_cast<uint32_t>(word);
        for (int i = 1; i < kWords; ++i) {
            // 16807 * word modulo 2^31 - 1, without overflow (Schrage).
            const int32_t hi = word / 127773;
            const int32_t lo = word % 127773;
            word = 16807 * lo - 2836 * hi;
            if (word < 0)
                word += 2147483647;
            words[i] = static_cast<uint32_t>(word);
        }
        front = kSeparation;
        rear = 0;
        for (int i = 0; i < 10 * kWords; ++i)
            next();
    }

    int next()
    {
        words[front] += words[rear];
        const int result = static_cast<int>(words[front] >> 1);
        front = front + 1 == kWords ? 0 : front + 1;
        rear = rear + 1 == kWords ? 0 : rear + 1;
        return result;
    }
};

Generator& generator()
{
    static Generator g;
    return g;
}

}  // namespace

int libcRand()
{
    return generator().next();
}

void libcRandReset()
{
    generator().reset();
}

}  // namespace zorbel
