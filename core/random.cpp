#include "core/random.h"

#include <chrono>
#include <random>

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

uint32_t startupSeed() {
    uint32_t entropy = 0;
    try {
        std::random_device device;
        entropy = device();
    } catch (...) {
        // No random source: the time of day alone still differs between starts.
    }
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const uint64_t micros =
        static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(now).count());
    // Fold the 64-bit time into 32 bits so that every bit of it moves the seed.
    return entropy ^ static_cast<uint32_t>(micros) ^ static_cast<uint32_t>(micros >> 32) * 2654435761u;
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
