#pragma once
// The game's one pseudo-random stream: the classic linear congruential generator
// (state * 214013 + 2531011, value = bits 16..30), so a seed gives the same game on
// every machine. Seeded once at start-up from the millisecond clock; tests and the
// level tool seed it themselves.
#include <cstdint>

struct RandomState {
    uint32_t state;
};

extern RandomState gameRandom;

void seedRandom(uint32_t seed);
int nextRandom();             // 0..32767
int randomBelow(int n);       // value modulo n; n must be > 0
float randomSigned(float x);  // (2v - 32767) / 32767 * x, in [-x, x]
float randomUnit(float x);    // v / 32767 * x, in [0, x]
