// The backs drawn for real from the built data, in a real window under Xvfb. The
// screenshots are written to the build folder ("scenery-shots") for a look by eye.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/textures.h"
#include "presentation/game_objects.h"
#include "presentation/scenery.h"
#include "resources/files.h"
#include "tests/platform/gl_fixture.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb_image_write.h>

namespace {

namespace fs = std::filesystem;

class LivingBacks : public GlTest {
  protected:
    static void SetUpTestSuite() {
        GlTest::SetUpTestSuite();
        if (!gpuDeviceExists() || loaded) return;
        previous = fs::current_path();
        fs::current_path(QUELMAR_DATA_DIR);
        openDataPacks();
        loadScenery();
        loaded = true;
    }
    static void TearDownTestSuite() {
        if (!previous.empty()) fs::current_path(previous);
    }

    // Draws one frame with the given drawing and returns the scene's RGBA bytes.
    template <class Draw>
    std::vector<uint8_t> shot(const char* name, Draw draw) {
        beginFrame();
        clearColour(0xFF000000);
        draw();
        endFrame();
        std::vector<uint8_t> rgba;
        int w = 0, h = 0;
        EXPECT_TRUE(gpuReadScene(rgba, &w, &h));
        const fs::path folder = fs::path(QUELMAR_BINARY_DIR) / "scenery-shots";
        fs::create_directories(folder);
        stbi_write_png((folder / (std::string(name) + ".png")).c_str(), w, h, 4, rgba.data(), w * 4);
        return rgba;
    }

    // Mean difference per colour channel over the rectangle (menu space) of two shots.
    static double difference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, float x0 = -400,
                             float y0 = -300, float x1 = 400, float y1 = 300) {
        double sum = 0;
        long n = 0;
        const int left = std::max(0, static_cast<int>(x0 + 400)),
                  right = std::min(800, static_cast<int>(x1 + 400));
        const int top = std::max(0, static_cast<int>(300 - y1)),
                  bottom = std::min(600, static_cast<int>(300 - y0));
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                for (int c = 0; c < 3; ++c) {
                    const size_t i = (static_cast<size_t>(y) * 800 + x) * 4 + c;
                    sum += std::abs(static_cast<int>(a[i]) - static_cast<int>(b[i]));
                    ++n;
                }
        return n > 0 ? sum / n : 0;
    }

    static const SceneryElement* firstOfKind(const SceneryState& s, SceneryKind kind) {
        for (int i = 0; i < s.elements.count; ++i)
            if (s.elements.elements[i].kind == kind) return &s.elements.elements[i];
        return nullptr;
    }

    static inline bool loaded = false;
    static inline fs::path previous;
};

TEST_F(LivingBacks, ObjectsNamingOneModelShareIt) {
    static GameObjectModelList models;
    models.count = 0;
    GameObjectModel* first = findOrLoadModel(models, "pagoda.cgo");
    GameObjectModel* second = findOrLoadModel(models, "pagoda.cgo");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_EQ(models.count, 1);
    EXPECT_EQ(first->meshes.count, 2);
    const GameObject* pagoda = findGameObject("pagoda");
    ASSERT_NE(pagoda, nullptr);
    EXPECT_NE(pagoda->model, nullptr);
    EXPECT_EQ(pagoda->texture, nullptr);
    ASSERT_NE(findGameObject("leaves1"), nullptr);
    EXPECT_NE(findGameObject("leaves1")->texture, nullptr);
}

TEST_F(LivingBacks, IndicesOutsideTheThirteenShowBackZero) {
    setBack(scenery, 4);  // a back with spray
    for (int i = 0; i < 50; ++i) updateScenery(scenery, 20);
    int live = 0;
    for (const Droplet& d : scenery.droplets) live += d.life > 0;
    EXPECT_GT(live, 0);
    setBack(scenery, 13);
    // The droplets went with the spray they were born on.
    for (const Droplet& d : scenery.droplets) EXPECT_EQ(d.life, 0);
    EXPECT_EQ(scenery.backIndex, 0);
    ASSERT_NE(scenery.picture, nullptr);
    EXPECT_STREQ(scenery.picture->name, "AnimBacks/_a_back0.jpg");
    setBack(scenery, -1);
    EXPECT_EQ(scenery.backIndex, 0);
    EXPECT_GT(scenery.elements.count, 0);
    // Setting the same back keeps its picture.
    TextureRecord* picture = scenery.picture;
    setBack(scenery, 0);
    EXPECT_EQ(scenery.picture, picture);
}

TEST_F(LivingBacks, MovingElementsMoveAndTheRestStandsStill) {
    for (int back : {4, 9}) {
        setTintNow(scenery, 2);
        setBack(scenery, back);
        for (int i = 0; i < 30; ++i) updateScenery(scenery, 20);
        const std::string stem = "back" + std::to_string(back);
        const auto early = shot((stem + "-a").c_str(), [] { drawScenery(scenery); });
        for (int i = 0; i < 100; ++i) updateScenery(scenery, 20);
        const int callsBefore = gpuDrawCallsThisFrame();
        const auto later = shot((stem + "-b").c_str(), [] { drawScenery(scenery); });
        EXPECT_LT(gpuDrawCallsThisFrame() - callsBefore, 20) << stem;
        EXPECT_GT(difference(early, later), 0.2) << stem;
        const SceneryElement* leaves = nullptr;
        for (SceneryKind k : {SceneryKind::Leaves, SceneryKind::Leaves1, SceneryKind::Leaves2})
            if (!leaves) leaves = firstOfKind(scenery, k);
        ASSERT_NE(leaves, nullptr) << stem;
        EXPECT_GT(difference(early, later, leaves->x0, leaves->y0, leaves->x1, leaves->y1), 0.5) << stem;
        const SceneryElement* water = firstOfKind(scenery, SceneryKind::Water);
        if (water) {
            EXPECT_GT(difference(early, later, water->x0, water->y0, water->x1, water->y1), 0.2) << stem;
        }
        // The tint reaches the whole scene and is undone afterwards.
        setTintNow(scenery, 0);
        const auto cool = shot((stem + "-cool").c_str(), [] { drawScenery(scenery); });
        EXPECT_GT(difference(later, cool), 3) << stem;
        EXPECT_FLOAT_EQ(drawState.colourMultiplier[0], 1);
        setTintNow(scenery, 2);
    }
}

TEST_F(LivingBacks, TheTransitionBlendsBothBacksAndHandsOver) {
    setBack(scenery, 2);
    preloadNextBack(scenery, 7);
    TextureRecord* preloaded = scenery.incomingPicture;
    ASSERT_NE(preloaded, nullptr);
    beginBackTransition(scenery, 7);
    EXPECT_EQ(scenery.incomingPicture, preloaded);  // the preloaded picture is used
    EXPECT_TRUE(backTransitionRunning(scenery));
    // A few frames into the drift and zoom, then the middle of the fade (T = 1000).
    for (float dt : {400.0f, 400.0f, 400.0f})
        shot("transition-start", [dt] { drawSceneryTransition(scenery, dt); });
    scenery.transitionClock = 1000;
    static SceneryState oldOnly, newOnly;
    oldOnly = scenery;
    oldOnly.incomingPicture = nullptr;
    oldOnly.incomingElements.count = 0;
    newOnly = scenery;
    newOnly.picture = scenery.incomingPicture;
    newOnly.elements = scenery.incomingElements;
    newOnly.transitionClock = 0;
    const auto middle = shot("transition-middle", [] { drawSceneryTransition(scenery, 0); });
    EXPECT_NEAR(scenery.transitionAlpha, 0.5f, 1e-5);
    const auto oldBack = shot("transition-old", [] { drawSceneryTransition(oldOnly, 0); });
    const auto newBack = shot("transition-new", [] { drawScenery(newOnly); });
    const double toOld = difference(middle, oldBack), toNew = difference(middle, newBack),
                 apart = difference(oldBack, newBack);
    EXPECT_GT(toOld, 3);
    EXPECT_GT(toNew, 3);
    EXPECT_LT(toOld, apart);
    EXPECT_LT(toNew, apart);
    // Ending: the incoming back becomes the current one with its elements.
    shot("transition-end", [] { drawSceneryTransition(scenery, 1000); });
    EXPECT_FALSE(backTransitionRunning(scenery));
    EXPECT_EQ(scenery.backIndex, 7);
    EXPECT_EQ(scenery.picture, preloaded);
    EXPECT_EQ(scenery.incomingPicture, nullptr);
    EXPECT_EQ(scenery.elements.index, 7);
    EXPECT_EQ(findTexture(textureTable, "AnimBacks/_a_back2.jpg"), nullptr);  // the old picture is released
}

}  // namespace
