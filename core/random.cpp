#include "core/random.h"

RandomState gameRandom = {1};

void seedRandom(uint32_t seed) {
    gameRandom.state = seed;
}

int nextRandom() {
    gameRandom.state = gameRandom.state * 214013u + 2531011u;
    return static_cast<int>((gameRandom.state >> 16) & 0x7FFFu);
}

int randomBelow(int n) {
    return nextRandom() % n;
}

float randomSigned(float x) {
    return static_cast<float>(2 * nextRandom() - 32767) / 32767.0f * x;
}

float randomUnit(float x) {
    return static_cast<float>(nextRandom()) / 32767.0f * x;
}
