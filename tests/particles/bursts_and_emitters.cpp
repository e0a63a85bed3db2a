// Starting effects: bursts, emitters, symmetry, chained starts, the rings' overwrite
// rule, and files that ask for absurd numbers.
#include <algorithm>
#include <cmath>
#include <vector>

#include "particle_fixture.h"

namespace {

using Bursts = ParticleTest;

const char* kSteady[] = {"partime=1000", "radius0=10", "radius1=10"};

// Positions of the live particles, relative to (x0, y0), as angles in whole degrees.
std::vector<int> anglesAround(const ParticleSystem& system, float x0, float y0) {
    std::vector<int> angles;
    for (const Particle& p : system.particles) {
        if (p.templateIndex < 0 || p.age >= p.lifetime) continue;
        float degrees = std::atan2(p.position.y - y0, p.position.x - x0) * 180.0f / 3.14159265f;
        angles.push_back((static_cast<int>(std::lround(degrees)) + 360) % 360);
    }
    std::sort(angles.begin(), angles.end());
    return angles;
}

TEST_F(Bursts, ABurstSpawnsItsCountAtOnceAndNoEmitter) {
    addEffect("pop.par", {"parfrequency=5", "effecttime=0", kSteady[0], kSteady[1]});
    startEffect(*system, "pop", 30, 40);
    EXPECT_EQ(liveParticleCount(*system), 5);
    EXPECT_EQ(runningEmitterCount(*system), 0);
    EXPECT_EQ(system->particles[0].position.x, 30);
    EXPECT_EQ(system->particles[0].position.y, 40);
}

TEST_F(Bursts, SymmetricCopiesSpawnAnEvenTurnApart) {
    addEffect("cross.par", {"parfrequency=2", "simetria=4", "polar=(10,0,0,0)", kSteady[0]});
    startEffect(*system, "cross", 100, -50);
    EXPECT_EQ(liveParticleCount(*system), 8);
    EXPECT_EQ(anglesAround(*system, 100, -50), (std::vector<int>{0, 0, 90, 90, 180, 180, 270, 270}));
    for (const Particle& p : system->particles)
        if (p.templateIndex >= 0) {
            EXPECT_NEAR(std::hypot(p.position.x - 100, p.position.y + 50), 10, 1e-3);
        }
}

TEST_F(Bursts, EachParticleIsDrawnAsItsSymmetricCopies) {
    addEffect("tri.par", {"parfrequency=1", "simetriapar=3", "polarpar=(20,0,90,0)", kSteady[0], kSteady[1],
                          kSteady[2]});
    startEffect(*system, "tri", 0, 0);
    updateEffects(*system, 10);
    ASSERT_EQ(system->requestCount, 3);
    const float expected[3][2] = {{0, 20}, {-17.3205f, -10}, {17.3205f, -10}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(system->requests[i].position.x, expected[i][0], 1e-3);
        EXPECT_NEAR(system->requests[i].position.y, expected[i][1], 1e-3);
        EXPECT_EQ(system->requests[i].side, 10);
    }
}

TEST_F(Bursts, AnEmitterSpawnsAtItsRateAndCatchesUpOnLongFrames) {
    addEffect("fountain.par", {"parfrequency=10", "effecttime=1000", kSteady[0]});
    startEffect(*system, "fountain", 0, 0);
    EXPECT_EQ(liveParticleCount(*system), 0);
    EXPECT_EQ(runningEmitterCount(*system), 1);
    updateEffects(*system, 50);
    EXPECT_EQ(liveParticleCount(*system), 0);
    updateEffects(*system, 60);  // 110 ms: past the first 100 ms period
    EXPECT_EQ(liveParticleCount(*system), 1);
    updateEffects(*system, 350);  // one long frame holds three periods
    EXPECT_EQ(liveParticleCount(*system), 4);
    updateEffects(*system, 600);
    EXPECT_EQ(runningEmitterCount(*system), 0) << "the emitter stops after its effect time";
}

TEST_F(Bursts, ParticlesMoveFallFadeAndDie) {
    addEffect("drop.par", {"parfrequency=1", "partime=1000", "speed=(100,0,0)", "gravity=200", "radius0=10",
                           "radius1=30", "color0=(1,0,0,1)"});
    startEffect(*system, "drop", 0, 0);
    updateEffects(*system, 500);  // drawn at birth, then moved
    system->requestCount = 0;
    updateEffects(*system, 0);
    ASSERT_EQ(system->requestCount, 1);
    const DrawRequest& r = system->requests[0];
    EXPECT_NEAR(r.position.x, 50, 1e-3);
    EXPECT_NEAR(r.side, 20, 1e-3);
    EXPECT_EQ(r.colour, 0x7F7F0000u) << "halfway from opaque red to transparent black";
    EXPECT_LT(system->particles[0].velocity.y, 0) << "gravity pulls down";
    updateEffects(*system, 500);
    EXPECT_EQ(liveParticleCount(*system), 0);
}

TEST_F(Bursts, ParticlesOffTheScreenAreNotQueued) {
    addEffect("dot.par", {"parfrequency=1", kSteady[0], kSteady[1]});
    startEffect(*system, "dot", 405, 0);  // reaches 5 units into the screen
    startEffect(*system, "dot", 0, 320);  // wholly above it
    updateEffects(*system, 1);
    ASSERT_EQ(system->requestCount, 1);
    EXPECT_EQ(system->requests[0].position.x, 405);
}

TEST_F(Bursts, ChainedStartsAreCappedAtEightPerBurst) {
    addEffect("pop.par", {"parfrequency=1", kSteady[0]});
    for (int i = 0; i < 9; ++i) {
        startChainedEffect(*system, "pop", 0, 0);
        updateEffects(*system, 10);
    }
    EXPECT_EQ(liveParticleCount(*system), 8);
    updateEffects(*system, 101);  // a pause ends the burst
    startChainedEffect(*system, "pop", 0, 0);
    EXPECT_EQ(liveParticleCount(*system), 9);
}

TEST_F(Bursts, EffectsThatStartEachOtherStopAtTheCap) {
    addEffect("self.par", {"externeffect1=self", "parfrequency=1", kSteady[0]});
    addEffect("ping.par", {"externeffect1=pong", "parfrequency=1", kSteady[0]});
    addEffect("pong.par", {"externeffect1=ping", "parfrequency=1", kSteady[0]});
    startEffect(*system, "self", 0, 0);
    EXPECT_EQ(liveParticleCount(*system), 1) << "an effect does not start itself again";
    startEffect(*system, "ping", 0, 0);
    EXPECT_EQ(liveParticleCount(*system), 1 + 1 + kChainedStartsPerBurst);
}

TEST_F(Bursts, RingsOverwriteTheirOldestSlot) {
    int dot = addEffect("dot.par", {"parfrequency=1", kSteady[0]});
    for (int i = 0; i < kParticleCapacity; ++i) spawnParticle(*system, {0, 0, 0}, dot);
    updateEffects(*system, 5);  // the oldest is now older than the next one
    spawnParticle(*system, {7, 8, 0}, dot);
    EXPECT_EQ(liveParticleCount(*system), kParticleCapacity);
    EXPECT_EQ(system->particles[0].position.x, 7);
    EXPECT_EQ(system->particles[0].age, 0);
    EXPECT_EQ(system->particles[1].age, 5);

    addEffect("stream.par", {"parfrequency=1", "effecttime=1000"});
    for (int i = 0; i <= kEmitterCapacity; ++i) startEffect(*system, "stream", static_cast<float>(i), 0);
    EXPECT_EQ(runningEmitterCount(*system), kEmitterCapacity);
    EXPECT_EQ(system->emitters[0].position.x, kEmitterCapacity);
}

TEST_F(Bursts, AbsurdCountsInAFileStayWithinTheRings) {
    addEffect("flood.par", {"parfrequency=1000000000", "simetria=100000", kSteady[0]});
    addEffect("hose.par",
              {"parfrequency=1000000000", "effecttime=1000", "simetriapar=100000", kSteady[0], kSteady[1]});
    addEffect("none.par", {"parfrequency=0", "effecttime=1000", kSteady[0]});
    addEffect("odd.par", {"parfrequency=2", "color0=(nan,inf,-inf,1)", "radius0=nan", "partime=inf"});
    startEffect(*system, "flood", 0, 0);
    EXPECT_EQ(liveParticleCount(*system), kParticleCapacity);
    startEffect(*system, "hose", 0, 0);
    startEffect(*system, "none", 0, 0);
    updateEffects(*system, 16);
    EXPECT_EQ(system->requestCount, kDrawRequestCapacity);
    EXPECT_EQ(runningEmitterCount(*system), 2);
    for (const Particle& p : system->particles) EXPECT_TRUE(std::isfinite(p.position.x));

    stopAllEffects(*system);
    system->requestCount = 0;
    startEffect(*system, "odd", 0, 0);
    updateEffects(*system, 16);
    EXPECT_EQ(liveParticleCount(*system), 2);
    EXPECT_EQ(system->requestCount, 0) << "a square of no known size is not drawn";
}

TEST_F(Bursts, StopAllEndsEveryEmitterAndParticle) {
    addEffect("pop.par", {"parfrequency=20", kSteady[0]});
    addEffect("stream.par", {"parfrequency=50", "effecttime=5000", kSteady[0]});
    startEffect(*system, "pop", 0, 0);
    startEffect(*system, "stream", 0, 0);
    updateEffects(*system, 100);
    stopAllEffects(*system);
    EXPECT_EQ(liveParticleCount(*system), 0);
    EXPECT_EQ(runningEmitterCount(*system), 0);
    updateEffects(*system, 100);
    EXPECT_EQ(liveParticleCount(*system), 0);
}

}  // namespace
