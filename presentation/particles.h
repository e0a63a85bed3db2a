#pragma once
// Particle effects: every sparkle, flare, puff of smoke, blast and trail of the game.
// An effect is a template read from one ".par" key/value file in the "effects" folder
// and started by name at a point in menu space. A template whose "effecttime=" is 0
// bursts its particles at once; any other runs an emitter that spawns them over that
// time. All particles are cells of the one atlas "exploanim.tga" (64 x 64 pixel cells,
// counted row by row).
//
// Everything lives in fixed pools filled at load and never freed: nothing is allocated
// while a level runs. Each frame the showing screen calls updateAndDrawEffects once with
// its layer (play and menu screens 0, the level-complete score screen 1): every emitter
// and particle advances, and the particles of that layer are drawn.
//
// The operations take the ParticleSystem they work on so tests can drive their own; the
// overloads without it work on the program's one instance, particleSystem.
#include <cstdint>
#include <string_view>

#include "resources/vector3.h"

struct TextureRecord;

constexpr int kEffectTemplateCapacity = 256;
constexpr int kEmitterCapacity = 256;
constexpr int kParticleCapacity = 1024;
constexpr int kDrawRequestCapacity = 4096;
constexpr int kEffectNameCapacity = 32;  // 31 characters and the terminating zero
constexpr int kExternEffectCount = 8;
constexpr int kChainedStartsPerBurst = 8;
constexpr float kChainBurstGapMs = 100;  // a longer pause between chained starts begins a new burst
constexpr int kAtlasCellPixels = 64;
constexpr float kEffectDrawZ = 10;  // the depth of 2D drawing, inside the orthographic view

enum EffectBlend : int32_t { kEffectAdditive = 0, kEffectAlphaBlend = 1 };

// One ".par" file. Angles are degrees, times milliseconds, speeds units per second,
// colours red, green, blue, alpha in 0..1; every "...Dev" is a symmetric deviation d
// giving a value uniform in [-d, d].
struct EffectTemplate {
    char name[kEffectNameCapacity];                               // the file name up to its first "."
    char externEffects[kExternEffectCount][kEffectNameCapacity];  // started together with this one
    float parFrequency;                 // emitter: particles per second; burst: number of particles
    float color0[4], color0Dev[4];      // at birth
    float color1[4], color1Dev[4];      // at death
    float radius0, radius0Dev;          // side of the particle's square at birth
    float radius1, radius1Dev;          // and at death
    float parTime, parTimeDev;          // particle lifetime
    Vector3 positionDev;                // spawn point deviation per axis
    Vector3 speed, speedDev;            // particle velocity
    float gravity, gravityDev;          // downward acceleration, units per second per second
    int32_t blendType;                  // EffectBlend
    int32_t numParticle;                // atlas cell
    float rot, rotDev;                  // initial rotation
    float dRot, dRotDev;                // rotation speed, degrees per second
    float effectTime;                   // how long the emitter runs; 0: a burst
    float polarPar[4], polarParDev[4];  // particle orbit: radius, radius speed, angle, angular speed
    float lissParX[3], lissParY[3];     // particle wobble: amplitude, frequency, phase
    float polar[4], polarDev[4];        // emitter spawn-point orbit, as polarPar
    float lissX[3], lissY[3];           // emitter spawn-point wobble, as lissParX
    int32_t simetria;                   // symmetric copies spawned at once (0: one particle)
    int32_t simetriaPar;                // symmetric copies drawn of each particle (0 or 1: one)
    float sleep;                        // stored only
};

struct Emitter {
    int32_t templateIndex;  // -1: never started
    int32_t cellOverride;   // -1: the template's atlas cell
    float scale;
    float age;  // ms; running while below the template's effectTime
    Vector3 position;
    float countdown, period;                                   // ms to the next spawn, ms between spawns
    float orbitRadius, radiusSpeed, orbitAngle, angularSpeed;  // spawn-point orbit (units, degrees, per s)
    uint8_t layer;
};

struct Particle {
    int32_t templateIndex;          // -1: never spawned
    float age;                      // ms; alive while below lifetime
    int32_t cell;                   // atlas cell
    Vector3 position, velocity;     // units, units per second
    float rotation, rotationSpeed;  // degrees, degrees per second
    float orbitRadius, radiusSpeed, orbitAngle, angularSpeed;
    float sizeBirth, sizeDeath;
    float colourBirth[4], colourDeath[4];
    float lifetime;  // ms
    float gravity;
    uint8_t layer;
};

// One atlas cell to draw this frame.
struct DrawRequest {
    Vector3 position;
    float rotation;  // degrees
    float side;
    uint32_t colour;  // ARGB
    int32_t cell;
    int32_t blendType;
    uint8_t layer;
};

struct ParticleAtlas {
    const TextureRecord* texture;  // null until loaded (tests run without it)
    int32_t columns, rows;         // cells across and down
};

struct ParticleSystem {
    EffectTemplate templates[kEffectTemplateCapacity];  // filled at load, in file-name order
    int32_t templateCount;
    // Starting an emitter takes the next slot in ring order and overwrites whatever ran there.
    Emitter emitters[kEmitterCapacity];
    int32_t nextEmitter;
    // Spawning takes the next slot in ring order: the 1025th particle replaces the oldest.
    Particle particles[kParticleCapacity];
    int32_t nextParticle;
    // Requests of one frame in the order queued; once full, further requests are dropped.
    DrawRequest requests[kDrawRequestCapacity];
    int32_t requestCount;
    float clock;             // ms: the sum of every update's time step
    int32_t chainCount;      // chained starts in the current burst
    float lastChainRequest;  // clock of the previous chained request
    ParticleAtlas atlas;
};

extern ParticleSystem particleSystem;  // the program's one instance, main thread only

// Empties every template, emitter, particle and the queue; the atlas is 8 x 8 cells
// without a texture.
void resetParticleSystem(ParticleSystem& system);

// Fills a template from a ".par" text: defaults first ("color0=" white, everything else
// zero), then every key by its first occurrence in the text, so "rot=" also finds the
// tail of a "drot=" that comes before it.
void readEffectTemplate(EffectTemplate& effect, std::string_view text, std::string_view fileName);

// Reads every "*.par" file of folder (in name order, at most 256) into the templates
// and clears emitters, particles and the queue. Returns the number of templates.
int loadEffectFiles(ParticleSystem& system, const char* folder);

// The deferred loading step: the atlas (fatal when missing) and the "effects" folder
// under the data folder. registerParticleLoading adds it to the loading steps.
void loadParticleEffects();

// Index of the first template named exactly name (case-sensitive), or -1.
int findEffect(const ParticleSystem& system, const char* name);
int findEffect(const char* name);

// Starts an effect by name at (x, y) in menu space. An unknown name does nothing.
void startEffect(ParticleSystem& system, const char* name, float x, float y, int layer = 0, float scale = 1,
                 int cellOverride = -1);
// The layer has no default here: the game core's startEffect (name, x, y) announces an
// effect, and a call with three arguments must keep meaning that one.
void startEffect(const char* name, float x, float y, int layer, float scale = 1, int cellOverride = -1);

// Starts template index at position; a negative index does nothing. Its extern effects
// start as chained starts; a burst spawns its particles now, otherwise an emitter starts.
void startEffectAt(ParticleSystem& system, int index, Vector3 position, int layer = 0, float scale = 1,
                   int cellOverride = -1);

// startEffect for effects set off in numbers (by other effects, by each removed piece):
// at most 8 start per burst, a burst ending when more than 100 ms of the effects' clock
// pass between two requests. Further requests in the burst are dropped.
void startChainedEffect(ParticleSystem& system, const char* name, float x, float y, int layer = 0,
                        float scale = 1, int cellOverride = -1);
void startChainedEffect(const char* name, float x, float y, int layer = 0, float scale = 1,
                        int cellOverride = -1);

// One particle of template index at position, for trails drawn every frame by the field
// and HUD drawing.
void spawnParticle(ParticleSystem& system, Vector3 position, int index, int layer = 0, float scale = 1,
                   int cellOverride = -1);
void spawnParticle(Vector3 position, int index, int layer = 0, float scale = 1, int cellOverride = -1);
// One particle of the named template at a menu-space point (nothing for an unknown name).
void spawnTemplateParticle(const char* name, float x, float y);

// Advances every emitter and particle by dtMs and queues a draw request for every live
// particle copy that reaches the 800 x 600 screen, and advances the clock. No drawing.
void updateEffects(ParticleSystem& system, float dtMs);

// Draws the queued requests of layer, the alpha-blended ones first and the additive ones
// over them, each in queue order (one batch each), and empties the queue; requests of
// other layers are dropped. Needs the device.
void drawEffectQueue(ParticleSystem& system, int layer);

// Once per frame by the showing screen: updateEffects by frameDeltaMs, then drawEffectQueue.
void updateAndDrawEffects(int layer);

// Ends every emitter and particle at once (level start, restart, leaving the game).
void stopAllEffects(ParticleSystem& system);
void stopAllEffects();

// One atlas cell drawn at once at (x, y) with additive blending; ordinary transparency
// afterwards and alpha testing left off.
void drawAtlasSprite(float x, float y, float rotation, float side, uint32_t colour, int cell);

// Particles alive and emitters running, for tests, benchmarks and diagnostics.
int liveParticleCount(const ParticleSystem& system);
int runningEmitterCount(const ParticleSystem& system);
