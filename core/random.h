#pragma once
// The game's one pseudo-random stream: the classic linear congruential generator
// (state * 214013 + 2531011, value = bits 16..30), so a seed gives the same game on
// every machine. Seeded once at start-up from startupSeed(); tests and the level
// tool seed it themselves.
#include <cstdint>

struct RandomState {
    uint32_t state;
};

extern RandomState gameRandom;

void seedRandom(uint32_t seed);
// A seed that differs from one start of the program to the next: the system's random
// source mixed with the time of day (a clock counting from the program's own start
// falls in a narrow band, since loading always begins after the same splash times).
uint32_t startupSeed();
int nextRandom();             // 0..32767
int randomBelow(int n);       // value modulo n; n must be > 0
float randomSigned(float x);  // (2v - 32767) / 32767 * x, in [-x, x]
float randomUnit(float x);    // v / 32767 * x, in [0, x]
