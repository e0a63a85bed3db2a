#include "core/random.h"

RandomState gameRandom = {1};
RandomState lookRandom = {1};

void seedRandom(uint32_t seed) {
    gameRandom.state = seed;
    lookRandom.state = seed ^ 0x5DEECE66u;
}

int nextRandom(RandomState& stream) {
    stream.state = stream.state * 214013u + 2531011u;
    return static_cast<int>((stream.state >> 16) & 0x7FFFu);
}

int randomBelow(RandomState& stream, int n) {
    return nextRandom(stream) % n;
}

float randomSigned(RandomState& stream, float x) {
    return static_cast<float>(2 * nextRandom(stream) - 32767) / 32767.0f * x;
}

float randomUnit(RandomState& stream, float x) {
    return static_cast<float>(nextRandom(stream)) / 32767.0f * x;
}

int nextRandom() {
    return nextRandom(gameRandom);
}

int randomBelow(int n) {
    return randomBelow(gameRandom, n);
}

float randomSigned(float x) {
    return randomSigned(gameRandom, x);
}

float randomUnit(float x) {
    return randomUnit(gameRandom, x);
}
