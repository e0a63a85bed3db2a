// Drawing effects in a real window: batching by blend run, layers, and a picture of
// the shipped effects at three moments for a person to judge
// (build/test/particles_<ms>ms.png).
#include <gtest/gtest.h>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb_image_write.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/draw.h"
#include "app/textures.h"
#include "particle_fixture.h"
#include "platform/gpu.h"
#include "platform/window.h"

namespace {

class EffectsOnScreen : public ParticleTest {
  protected:
    static void SetUpTestSuite() {
        setenv("QUELMAR_NO_MESSAGE_BOXES", "1", 1);  // a message box would wait for a click
        if (!gpuDeviceExists()) {
            if (!createMainWindow("10 Quelmars", 800, 600, false)) return;
            showMainWindow();
            if (!createDevice()) return;
            setPerspectiveFromClient();
        }
    }
    void SetUp() override {
        if (!gpuDeviceExists()) GTEST_SKIP() << "no display with OpenGL 3.3";
        ParticleTest::SetUp();
        gpuResetState();
        gpuSetBatching(true);
        TextureRecord* atlas = loadTexture(QUELMAR_DATA_DIR "/effects/exploanim.tga", false);
        ASSERT_NE(atlas, nullptr);
        system->atlas = {atlas, atlas->width / kAtlasCellPixels, atlas->height / kAtlasCellPixels};
    }
    void beginScene(uint32_t backdrop) {
        beginFrame();
        clearColour(0xFF000000);
        begin2D();
        bindTexture(nullptr);
        drawQuadCentred(0, 0, 800, 600, kWholeTexture, backdrop, 10);
    }
};

TEST_F(EffectsOnScreen, ALayerDrawsInOneCallPerBlendWhateverTheMix) {
    ASSERT_EQ(system->atlas.columns, 8);
    int glow =
        addEffect("glow.par", {"parfrequency=1", "partime=1000", "radius0=8", "positiondev=(300,200,0)"});
    int puff = addEffect("puff.par", {"parfrequency=1", "partime=1000", "radius0=8", "blendtype=1",
                                      "numparticle=7", "positiondev=(300,200,0)"});
    // Sparks and smoke alternate in the ring, as trails spawned each frame do.
    for (int i = 0; i < 300; ++i) {
        startEffectAt(*system, glow, {0, 0, 0});
        startEffectAt(*system, puff, {0, 0, 0});
        startEffectAt(*system, glow, {0, 0, 0}, 1);  // another screen's layer
    }
    beginScene(0xFF102030);
    updateEffects(*system, 16);
    EXPECT_EQ(system->requestCount, 900);
    int before = gpuDrawCallsThisFrame();
    drawEffectQueue(*system, 0);
    endFrame();
    EXPECT_EQ(gpuDrawCallsThisFrame() - before, 3) << "the backdrop, then one per blend";
    EXPECT_EQ(system->requestCount, 0) << "the other layer's requests are dropped";
}

TEST_F(EffectsOnScreen, AdditiveLightLiesOverSmoke) {
    int glow = addEffect("glow.par", {"parfrequency=1", "partime=1000", "radius0=64", "radius1=64",
                                      "numparticle=27", "color0=(1,0,0,1)"});
    int puff = addEffect("puff.par", {"parfrequency=1", "partime=1000", "radius0=64", "radius1=64",
                                      "numparticle=27", "blendtype=1", "color0=(0,0,1,1)"});
    startEffectAt(*system, glow, {0, 0, 0});
    startEffectAt(*system, puff, {0, 0, 0});  // queued later, drawn first
    beginScene(0xFF000000);
    updateEffects(*system, 0);
    drawEffectQueue(*system, 0);
    endFrame();
    std::vector<uint8_t> rgba;
    int width = 0, height = 0;
    ASSERT_TRUE(gpuReadScene(rgba, &width, &height));
    const uint8_t* centre = &rgba[(static_cast<size_t>(300) * width + 400) * 4];
    EXPECT_GT(centre[0], 200) << "the red light adds onto the blue disc";
    EXPECT_GT(centre[2], 200);
}

TEST_F(EffectsOnScreen, ShippedEffectsAtThreeMoments) {
    ASSERT_EQ(loadEffectFiles(*system, QUELMAR_DATA_DIR "/effects"), 30);
    const char* shown[] = {"bomb1_1", "barrelex",   "prototip",    "krestbomb", "delete", "lightning",
                           "zep1",    "hammer",     "addbonus",    "scorewow",  "mask",   "nomoves",
                           "smoke",   "levelover0", "hammerbonus", "blik3"};
    int tail = findEffect(*system, "tail2"), fuse = findEffect(*system, "flare1");
    for (int i = 0; i < 16; ++i) {
        float x = -300.0f + 200.0f * static_cast<float>(i % 4),
              y = 225.0f - 150.0f * static_cast<float>(i / 4);
        startEffect(*system, shown[i], x, y);
    }
    float clock = 0;
    for (int moment : {120, 300, 700}) {
        for (; clock < static_cast<float>(moment); clock += 16) {
            // Trails are spawned once per frame by their owners: a falling charm and the fuse tip.
            spawnParticle(*system, {390.0f - clock * 0.2f, 280.0f - clock * 0.5f, 0}, tail);
            spawnParticle(*system, {-390.0f + clock * 0.3f, 285, 0}, fuse);
            updateEffects(*system, 16);
            system->requestCount = 0;
        }
        beginScene(0xFF1A2238);
        updateEffects(*system, 0);
        drawEffectQueue(*system, 0);
        endFrame();
        std::vector<uint8_t> rgba;
        int width = 0, height = 0;
        ASSERT_TRUE(gpuReadScene(rgba, &width, &height));
        ASSERT_EQ(width, 800);
        // Every effect shows early on: some pixel in its cell of the picture is brighter than the backdrop.
        for (int i = 0; i < 16; ++i) {
            int cx = 100 + 200 * (i % 4), cy = 75 + 150 * (i / 4), brightest = 0;
            for (int y = cy - 70; y < cy + 70; ++y)
                for (int x = cx - 95; x < cx + 95; ++x) {
                    const uint8_t* p = &rgba[(static_cast<size_t>(y) * width + x) * 4];
                    brightest = std::max(brightest, p[0] + p[1] + p[2]);
                }
            // Short effects have faded by the later moments.
            if (moment == 120) {
                EXPECT_GT(brightest, 0x1A + 0x22 + 0x38 + 60) << shown[i] << " at " << moment << " ms";
            }
        }
        std::string path = QUELMAR_BINARY_DIR "/particles_" + std::to_string(moment) + "ms.png";
        stbi_write_png(path.c_str(), width, height, 4, rgba.data(), width * 4);
    }
}

}  // namespace
