#include "presentation/particles.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/draw.h"
#include "app/textures.h"
#include "core/random.h"
#include "resources/files.h"
#include "resources/keyvalue.h"

ParticleSystem particleSystem;

namespace {

constexpr float kDegrees = 3.14159265358979f / 180.0f;
// Lissajous arguments are degrees: frequency 1 is half a turn per second.
constexpr float kLissajousDegreesPerMs = 0.18f;

struct Offset {
    float x, y;
};

Offset turned(Offset v, float degrees) {
    float c = std::cos(degrees * kDegrees), s = std::sin(degrees * kDegrees);
    return {v.x * c - v.y * s, v.x * s + v.y * c};
}

float deviated(float value, float deviation) {
    return value + randomSigned(lookRandom, deviation);
}

// 0..1; a value that is not a number (a damaged file) counts as 0.
float clampUnit(float v) {
    return v > 0 ? (v < 1 ? v : 1) : 0;
}

bool emitterRunning(const ParticleSystem& system, const Emitter& emitter) {
    return emitter.templateIndex >= 0 && emitter.templateIndex < system.templateCount &&
           emitter.age < system.templates[emitter.templateIndex].effectTime;
}

bool particleAlive(const Particle& particle) {
    return particle.templateIndex >= 0 && particle.age < particle.lifetime;
}

void readList(std::string_view text, const char* key, float* out, int count) {
    readFloatList(text, out, count, key);
}

// Spawns one particle, or "simetria=" copies with the offset turned evenly between them.
// budget caps how many a single spawn request may make: beyond the ring's size the
// extra copies would only overwrite the ones just made, and a hostile file could ask
// for millions.
void spawnWithSymmetry(ParticleSystem& system, Vector3 position, Offset offset, int index, int layer,
                       float scale, int cellOverride, int& budget) {
    const EffectTemplate& effect = system.templates[index];
    if (effect.simetria == 0) {
        if (budget <= 0) return;
        --budget;
        spawnParticle(system, {position.x + offset.x, position.y + offset.y, position.z}, index, layer, scale,
                      cellOverride);
        return;
    }
    float step = 360.0f / static_cast<float>(effect.simetria);
    for (int copy = 0; copy < effect.simetria && budget > 0; ++copy, --budget) {
        spawnParticle(system, {position.x + offset.x, position.y + offset.y, position.z}, index, layer, scale,
                      cellOverride);
        offset = turned(offset, step);
    }
}

uint32_t argbFromFloats(const float colour[4]) {
    auto byte = [](float v) { return static_cast<uint32_t>(clampUnit(v) * 255.0f); };
    return byte(colour[3]) << 24 | byte(colour[0]) << 16 | byte(colour[1]) << 8 | byte(colour[2]);
}

// A copy is drawn only when a circle of radius side around it reaches the logical screen.
bool reachesScreen(float x, float y, float side) {
    return x + side >= -400.0f && x - side <= 400.0f && y + side >= -300.0f && y - side <= 300.0f;
}

void queueRequest(ParticleSystem& system, const Particle& particle, const EffectTemplate& effect, float x,
                  float y, float side, uint32_t colour) {
    if (!reachesScreen(x, y, side)) return;
    if (system.requestCount == kDrawRequestCapacity) return;
    system.requests[system.requestCount++] = {{x, y, particle.position.z},
                                              particle.rotation,
                                              side,
                                              colour,
                                              particle.cell,
                                              effect.blendType,
                                              particle.layer};
}

void stepEmitter(ParticleSystem& system, Emitter& emitter, float dt) {
    const EffectTemplate& effect = system.templates[emitter.templateIndex];
    float phaseX = effect.lissX[1] * emitter.age * kLissajousDegreesPerMs + effect.lissX[2];
    float phaseY = effect.lissY[1] * emitter.age * kLissajousDegreesPerMs + effect.lissY[2];
    Offset orbit = turned({emitter.orbitRadius, 0}, emitter.orbitAngle);
    Offset offset = {effect.lissX[0] * std::cos(phaseX * kDegrees) + orbit.x,
                     effect.lissY[0] * std::sin(phaseY * kDegrees) + orbit.y};

    emitter.countdown -= dt;
    if (emitter.countdown < 0) {
        emitter.countdown += emitter.period;
        // A frame longer than the period spawns as many as fit in it.
        float count = emitter.period > dt ? 1.0f : std::trunc(dt / emitter.period);
        int budget = kParticleCapacity;
        for (int i = 0; static_cast<float>(i) < count && budget > 0; ++i)
            spawnWithSymmetry(system, emitter.position, offset, emitter.templateIndex, emitter.layer,
                              emitter.scale, emitter.cellOverride, budget);
    }

    emitter.orbitRadius += dt * emitter.radiusSpeed / 1000.0f;
    emitter.orbitAngle += dt * emitter.angularSpeed / 1000.0f;
    emitter.age += dt;
}

void stepParticle(ParticleSystem& system, Particle& particle, float dt) {
    const EffectTemplate& effect = system.templates[particle.templateIndex];
    float u = particle.age / particle.lifetime;
    float colour[4];
    for (int c = 0; c < 4; ++c) colour[c] = (1 - u) * particle.colourBirth[c] + u * particle.colourDeath[c];
    uint32_t argb = argbFromFloats(colour);

    float phaseX = effect.lissParX[1] * particle.age * kLissajousDegreesPerMs + effect.lissParX[2];
    float phaseY = effect.lissParY[1] * particle.age * kLissajousDegreesPerMs + effect.lissParY[2];
    Offset orbit = turned({particle.orbitRadius, 0}, particle.orbitAngle);
    Offset offset = {orbit.x + effect.lissParX[0] * std::cos(phaseX * kDegrees),
                     orbit.y + effect.lissParY[0] * std::sin(phaseY * kDegrees)};
    float side = (1 - u) * particle.sizeBirth + u * particle.sizeDeath;

    if (effect.simetriaPar < 1) {
        queueRequest(system, particle, effect, particle.position.x + offset.x, particle.position.y + offset.y,
                     side, argb);
    } else {
        // More copies than the queue holds could never be drawn.
        int copies = std::min(effect.simetriaPar, kDrawRequestCapacity);
        float step = 360.0f / static_cast<float>(copies);
        for (int copy = 0; copy < copies; ++copy) {
            queueRequest(system, particle, effect, particle.position.x + offset.x,
                         particle.position.y + offset.y, side, argb);
            offset = turned(offset, step);
        }
    }

    particle.position.x += particle.velocity.x * dt / 1000.0f;
    particle.position.y += particle.velocity.y * dt / 1000.0f;
    particle.position.z += particle.velocity.z * dt / 1000.0f;
    particle.velocity.y -= particle.gravity * dt / 1000.0f;
    particle.rotation += particle.rotationSpeed * dt / 1000.0f;
    particle.orbitRadius += particle.radiusSpeed * dt / 1000.0f;
    particle.orbitAngle += particle.angularSpeed * dt / 1000.0f;
    particle.age += dt;
}

TextureRect cellRect(const ParticleAtlas& atlas, int cell) {
    int columns = std::max(atlas.columns, 1), rows = std::max(atlas.rows, 1);
    // Cells outside the atlas wrap around it rather than sampling beyond its edge.
    int cells = columns * rows;
    cell = ((cell % cells) + cells) % cells;
    float left = static_cast<float>(cell % columns) / static_cast<float>(columns) + 0.001f;
    float top = static_cast<float>(cell / columns) / static_cast<float>(rows) + 0.001f;
    return {left, top, left + 1.0f / static_cast<float>(columns) - 0.001f,
            top + 1.0f / static_cast<float>(rows) - 0.001f};
}

// A square of the given side centred on (x, y, z), turned by rotation degrees, facing
// the 2D view (its right and up vectors are the screen's x and y).
void drawCell(const ParticleAtlas& atlas, float x, float y, float z, float rotation, float side,
              uint32_t colour, int cell) {
    float half = side / 2;
    float c = std::cos(rotation * kDegrees) * half, s = std::sin(rotation * kDegrees) * half;
    Offset right = {c, s}, up = {-s, c};
    Vector3 corners[4] = {{x + right.x + up.x, y + right.y + up.y, z},
                          {x + right.x - up.x, y + right.y - up.y, z},
                          {x - right.x + up.x, y - right.y + up.y, z},
                          {x - right.x - up.x, y - right.y - up.y, z}};
    drawQuadCorners(corners, cellRect(atlas, cell), colour);
}

void setEffectBlend(int blendType) {
    if (blendType == kEffectAdditive)
        setBlend(1);
    else if (blendType == kEffectAlphaBlend)
        setBlend(0);
}

}  // namespace

void resetParticleSystem(ParticleSystem& system) {
    std::memset(&system, 0, sizeof system);
    for (Emitter& emitter : system.emitters) emitter.templateIndex = -1;
    for (Particle& particle : system.particles) particle.templateIndex = -1;
    system.atlas = {nullptr, 8, 8};
    system.lastChainRequest = -std::numeric_limits<float>::infinity();
}

void readEffectTemplate(EffectTemplate& effect, std::string_view text, std::string_view fileName) {
    std::memset(&effect, 0, sizeof effect);
    for (float& c : effect.color0) c = 1;

    size_t nameLength = std::min(fileName.find('.'), fileName.size());
    nameLength = std::min<size_t>(nameLength, kEffectNameCapacity - 1);
    std::memcpy(effect.name, fileName.data(), nameLength);

    for (int i = 0; i < kExternEffectCount; ++i) {
        char key[32];
        std::snprintf(key, sizeof key, "externeffect%d=", i + 1);
        readString(effect.externEffects[i], kEffectNameCapacity, text, key);
    }
    effect.parFrequency = readFloat(text, "parfrequency=");
    readList(text, "color0=", effect.color0, 4);
    readList(text, "color0dev=", effect.color0Dev, 4);
    readList(text, "color1=", effect.color1, 4);
    readList(text, "color1dev=", effect.color1Dev, 4);
    effect.radius0 = readFloat(text, "radius0=");
    effect.radius0Dev = readFloat(text, "radius0dev=");
    effect.radius1 = readFloat(text, "radius1=");
    effect.radius1Dev = readFloat(text, "radius1dev=");
    effect.parTime = readFloat(text, "partime=");
    effect.parTimeDev = readFloat(text, "partimedev=");
    effect.positionDev = readVector3(text, "positiondev=");
    effect.speed = readVector3(text, "speed=");
    effect.speedDev = readVector3(text, "speeddev=");
    effect.gravity = readFloat(text, "gravity=");
    effect.gravityDev = readFloat(text, "gravitydev=");
    effect.blendType = readInt(text, "blendtype=");
    effect.numParticle = readInt(text, "numparticle=");
    // Plain first-occurrence search: "rot=" also matches the end of "drot=", so a file
    // must list "rot=" first to give a rotation of its own (every shipped file does).
    effect.rot = readFloat(text, "rot=");
    effect.rotDev = readFloat(text, "rotdev=");
    effect.dRot = readFloat(text, "drot=");
    effect.dRotDev = readFloat(text, "drotdev=");
    effect.effectTime = readFloat(text, "effecttime=");
    readList(text, "polarpar=", effect.polarPar, 4);
    readList(text, "polarpardev=", effect.polarParDev, 4);
    readList(text, "lissparx=", effect.lissParX, 3);
    readList(text, "lisspary=", effect.lissParY, 3);
    readList(text, "polar=", effect.polar, 4);
    readList(text, "polardev=", effect.polarDev, 4);
    readList(text, "lissx=", effect.lissX, 3);
    readList(text, "lissy=", effect.lissY, 3);
    effect.simetria = readInt(text, "simetria=");
    effect.simetriaPar = readInt(text, "simetriapar=");
    effect.sleep = readFloat(text, "sleep=");
}

int loadEffectFiles(ParticleSystem& system, const char* folder) {
    ParticleAtlas atlas = system.atlas;
    resetParticleSystem(system);
    system.atlas = atlas;

    // Name order makes the table the same on every file system.
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        std::error_code kindError;
        if (!entry.is_regular_file(kindError)) continue;
        std::string name = entry.path().filename().string();
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".par") == 0)
            names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());

    for (const std::string& name : names) {
        if (system.templateCount == kEffectTemplateCapacity) break;
        std::string path = std::string(folder) + "/" + name;
        uint32_t size = 0;
        uint8_t* bytes = loadFile(path.c_str(), &size, false);
        if (bytes == nullptr) continue;
        readEffectTemplate(system.templates[system.templateCount++],
                           std::string_view(reinterpret_cast<const char*>(bytes), size), name);
        releaseFile(bytes);
    }
    return system.templateCount;
}

void loadParticleEffects() {
    TextureRecord* texture = loadTexture("exploanim.tga");
    particleSystem.atlas.texture = texture;
    particleSystem.atlas.columns = std::max(texture->width / kAtlasCellPixels, 1);
    particleSystem.atlas.rows = std::max(texture->height / kAtlasCellPixels, 1);
    loadEffectFiles(particleSystem, "effects");
}

void spawnTemplateParticle(const char* name, float x, float y) {
    const int index = findEffect(particleSystem, name);
    if (index >= 0) spawnParticle(particleSystem, Vector3{x, y, 0}, index);
}

int findEffect(const ParticleSystem& system, const char* name) {
    for (int i = 0; i < system.templateCount; ++i)
        if (std::strcmp(system.templates[i].name, name) == 0) return i;
    return -1;
}

int findEffect(const char* name) {
    return findEffect(particleSystem, name);
}

void startEffect(ParticleSystem& system, const char* name, float x, float y, int layer, float scale,
                 int cellOverride) {
    startEffectAt(system, findEffect(system, name), {x, y, 0}, layer, scale, cellOverride);
}

void startEffect(const char* name, float x, float y, int layer, float scale, int cellOverride) {
    startEffect(particleSystem, name, x, y, layer, scale, cellOverride);
}

void startEffectAt(ParticleSystem& system, int index, Vector3 position, int layer, float scale,
                   int cellOverride) {
    if (index < 0 || index >= system.templateCount) return;
    const EffectTemplate& effect = system.templates[index];
    for (const char* other : effect.externEffects) {
        if (other[0] == '\0' || std::strcmp(other, effect.name) == 0) continue;
        startChainedEffect(system, other, position.x, position.y, layer, scale, cellOverride);
    }

    if (effect.effectTime == 0) {
        Offset offset = turned({effect.polar[0], 0}, effect.polar[2]);
        int budget = kParticleCapacity;
        for (int i = 0; static_cast<float>(i) < effect.parFrequency && budget > 0; ++i)
            spawnWithSymmetry(system, position, offset, index, layer, scale, cellOverride, budget);
        return;
    }

    Emitter& emitter = system.emitters[system.nextEmitter];
    system.nextEmitter = (system.nextEmitter + 1) % kEmitterCapacity;
    emitter.templateIndex = index;
    emitter.cellOverride = cellOverride;
    emitter.scale = scale;
    emitter.age = 0;
    emitter.position = position;
    // No particles per second means no spawns, not a division by zero.
    emitter.period =
        effect.parFrequency > 0 ? 1000.0f / effect.parFrequency : std::numeric_limits<float>::infinity();
    emitter.countdown = emitter.period;
    emitter.orbitRadius = std::max(deviated(effect.polar[0], effect.polarDev[0]), 0.0f);
    emitter.radiusSpeed = deviated(effect.polar[1], effect.polarDev[1]);
    emitter.orbitAngle = deviated(effect.polar[2], effect.polarDev[2]);
    emitter.angularSpeed = deviated(effect.polar[3], effect.polarDev[3]);
    emitter.layer = static_cast<uint8_t>(layer);
}

void startChainedEffect(ParticleSystem& system, const char* name, float x, float y, int layer, float scale,
                        int cellOverride) {
    if (system.clock - system.lastChainRequest > kChainBurstGapMs) system.chainCount = 0;
    system.lastChainRequest = system.clock;
    if (system.chainCount >= kChainedStartsPerBurst) return;
    ++system.chainCount;
    startEffect(system, name, x, y, layer, scale, cellOverride);
}

void startChainedEffect(const char* name, float x, float y, int layer, float scale, int cellOverride) {
    startChainedEffect(particleSystem, name, x, y, layer, scale, cellOverride);
}

void spawnParticle(ParticleSystem& system, Vector3 position, int index, int layer, float scale,
                   int cellOverride) {
    if (index < 0 || index >= system.templateCount) return;
    const EffectTemplate& effect = system.templates[index];
    Particle& particle = system.particles[system.nextParticle];
    system.nextParticle = (system.nextParticle + 1) % kParticleCapacity;

    particle.templateIndex = index;
    for (int c = 0; c < 4; ++c) {
        particle.colourBirth[c] = clampUnit(deviated(effect.color0[c], effect.color0Dev[c]));
        particle.colourDeath[c] = clampUnit(deviated(effect.color1[c], effect.color1Dev[c]));
    }
    particle.age = 0;
    particle.lifetime = std::max(deviated(effect.parTime, effect.parTimeDev), 0.0f);
    particle.position = {deviated(position.x, effect.positionDev.x),
                         deviated(position.y, effect.positionDev.y),
                         deviated(position.z, effect.positionDev.z)};
    particle.velocity = {deviated(effect.speed.x, effect.speedDev.x) * scale,
                         deviated(effect.speed.y, effect.speedDev.y) * scale,
                         deviated(effect.speed.z, effect.speedDev.z) * scale};
    particle.rotation = deviated(effect.rot, effect.rotDev);
    particle.rotationSpeed = deviated(effect.dRot, effect.dRotDev);
    particle.sizeBirth = std::max(deviated(effect.radius0, effect.radius0Dev), 0.0f) * scale;
    particle.sizeDeath = std::max(deviated(effect.radius1, effect.radius1Dev), 0.0f) * scale;
    particle.orbitRadius = std::max(deviated(effect.polarPar[0], effect.polarParDev[0]), 0.0f) * scale;
    particle.radiusSpeed = deviated(effect.polarPar[1], effect.polarParDev[1]);
    particle.orbitAngle = deviated(effect.polarPar[2], effect.polarParDev[2]);
    particle.angularSpeed = deviated(effect.polarPar[3], effect.polarParDev[3]);
    particle.cell = cellOverride >= 0 ? cellOverride : effect.numParticle;
    particle.gravity = deviated(effect.gravity, effect.gravityDev);
    particle.layer = static_cast<uint8_t>(layer);
}

void spawnParticle(Vector3 position, int index, int layer, float scale, int cellOverride) {
    spawnParticle(particleSystem, position, index, layer, scale, cellOverride);
}

void updateEffects(ParticleSystem& system, float dtMs) {
    system.clock += dtMs;
    for (Emitter& emitter : system.emitters)
        if (emitterRunning(system, emitter)) stepEmitter(system, emitter, dtMs);
    for (Particle& particle : system.particles)
        if (particleAlive(particle)) stepParticle(system, particle, dtMs);
}

void drawEffectQueue(ParticleSystem& system, int layer) {
    setWorld(nullptr);
    disable(kStateLighting);
    disable(kStateAlphaTest);
    enable(kStateAlphaBlend);
    bindTexture(system.atlas.texture);
    // Two passes, blended particles first and additive light over them, each in queue
    // order: the whole layer takes two draw calls, where queue order alone would switch
    // blending at every smoke puff among sparks. A request with an unknown blend type
    // draws with the blend of the request before it.
    for (int pass : {kEffectAlphaBlend, kEffectAdditive}) {
        setEffectBlend(pass);
        int blend = kEffectAlphaBlend;
        for (int i = 0; i < system.requestCount; ++i) {
            const DrawRequest& request = system.requests[i];
            if (request.blendType == kEffectAdditive || request.blendType == kEffectAlphaBlend)
                blend = request.blendType;
            if (request.layer != layer || blend != pass) continue;
            drawCell(system.atlas, request.position.x, request.position.y, kEffectDrawZ, request.rotation,
                     request.side, request.colour, request.cell);
        }
    }
    system.requestCount = 0;
    // Whatever draws next expects ordinary transparency.
    setBlend(0);
    enable(kStateAlphaTest);
}

void updateAndDrawEffects(int layer) {
    updateEffects(particleSystem, frameDeltaMs);
    drawEffectQueue(particleSystem, layer);
}

void stopAllEffects(ParticleSystem& system) {
    for (Emitter& emitter : system.emitters)
        if (emitter.templateIndex >= 0 && emitter.templateIndex < system.templateCount)
            emitter.age = system.templates[emitter.templateIndex].effectTime;
    for (Particle& particle : system.particles) particle.age = particle.lifetime;
}

void stopAllEffects() {
    stopAllEffects(particleSystem);
}

void drawAtlasSprite(float x, float y, float rotation, float side, uint32_t colour, int cell) {
    bindTexture(particleSystem.atlas.texture);
    disable(kStateAlphaTest);
    setBlend(1);
    drawCell(particleSystem.atlas, x, y, kEffectDrawZ, rotation, side, colour, cell);
    setBlend(0);
}

int liveParticleCount(const ParticleSystem& system) {
    int count = 0;
    for (const Particle& particle : system.particles) count += particleAlive(particle) ? 1 : 0;
    return count;
}

int runningEmitterCount(const ParticleSystem& system) {
    int count = 0;
    for (const Emitter& emitter : system.emitters) count += emitterRunning(system, emitter) ? 1 : 0;
    return count;
}
