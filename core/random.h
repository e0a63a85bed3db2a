#pragma once
// The game's one pseudo-random stream: the classic linear congruential generator
// (state * 214013 + 2531011, value = bits 16..30), so a seed gives the same game on
// every machine. Seeded once at start-up from startupSeed(); tests and the level
// tool seed it themselves.
#include <cstdint>

struct RandomState {
    uint32_t state;
};

extern RandomState gameRandom;  // the rules' stream: only the seed and the player's input move it
// The presentation's own stream (particles, flyers, shakes, scenery): what is drawn, and
// how often, never changes the game.
extern RandomState lookRandom;

void seedRandom(uint32_t seed);  // both streams
// A seed that differs from one start of the program to the next: the system's random
// source mixed with the time of day (a clock counting from the program's own start
// falls in a narrow band, since loading always begins after the same splash times).
uint32_t startupSeed();
int nextRandom();             // 0..32767, from the rules' stream
int randomBelow(int n);       // value modulo n; n must be > 0
float randomSigned(float x);  // (2v - 32767) / 32767 * x, in [-x, x]
float randomUnit(float x);    // v / 32767 * x, in [0, x]
// The same over a stream of the caller's.
int nextRandom(RandomState& stream);
int randomBelow(RandomState& stream, int n);
float randomSigned(RandomState& stream, float x);
float randomUnit(RandomState& stream, float x);
