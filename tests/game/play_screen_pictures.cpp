// The play screen as the game layer composes it, drawn for real with the shipped data:
// the time bar stands behind the field, drawing changes nothing of the game, the scene
// greys as the clock runs out, the menus' hit boxes cover their captions, and leaving the
// play screen stops its particles.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "app/app.h"
#include "app/persistence.h"
#include "core/field.h"
#include "core/flow.h"
#include "core/level.h"
#include "core/profile.h"
#include "core/random.h"
#include "game/play.h"
#include "game/program.h"
#include "game/screens.h"
#include "menus/main_menu.h"
#include "menus/menu_system.h"
#include "menus/widgets.h"
#include "presentation/field_view.h"
#include "presentation/hud.h"
#include "presentation/particles.h"
#include "presentation/scenery.h"
#include "presentation/text.h"
#include "resources/files.h"
#include "tests/platform/gl_fixture.h"

namespace {

class PlayScreenPictures : public GlTest {
  protected:
    static void SetUpTestSuite() {
        GlTest::SetUpTestSuite();
        if (!gpuDeviceExists()) return;
        const std::filesystem::path previous = std::filesystem::current_path();
        std::filesystem::current_path(QUELMAR_DATA_DIR);
        openDataPacks();
        loadTextAndFonts();
        loadScreenData();
        preloadLevels();
        std::filesystem::current_path(previous);
    }
    void SetUp() override {
        GlTest::SetUp();
        if (IsSkipped()) return;
        gameProfile = &profile;
        seedRandom(7);
        gameState.mode = 0;
        loadLevel(gameState, 0);
        // Past the field's fade-in.
        for (int i = 0; i < 120; ++i) updateGame(gameState, 16);
        gameState.gameMenuOpen = 0;
    }
    void TearDown() override {
        static Profile rest = makeProfile("");
        gameProfile = &rest;
    }
    // A frame of the play screen as the game composes it, read back.
    void composed(float dt = 16) {
        scene.clear();
        beginFrame();
        clearColour(0xFF000000);
        composePlayScreen(gameState, dt);
        readScene();
    }
    // The pixel at a point of menu space.
    uint32_t at(Vec2 p) { return pixel(static_cast<int>(p.x + 400), static_cast<int>(300 - p.y)); }

    Profile profile = makeProfile("TESTER");
};

int channelDifference(uint32_t a, uint32_t b) {
    int most = 0;
    for (int shift = 8; shift < 32; shift += 8)
        most = std::max(
            most, std::abs(static_cast<int>((a >> shift) & 255) - static_cast<int>((b >> shift) & 255)));
    return most;
}

}  // namespace

// The barrel of the time bar stands at the bottom right, where the field's last cell is:
// the field is drawn after it, so the cell's figure shows whole, as it does in endless
// mode, which has no time bar.
TEST_F(PlayScreenPictures, TheTimeBarStandsBehindTheFieldSoTheBottomRightCellShowsWhole) {
    const Cell& corner = gameState.cells[kRows - 1][kColumns - 1];
    ASSERT_GE(corner.cover, 0) << "the first level plays the bottom right cell";
    ASSERT_GE(corner.figure, 0);
    ASSERT_TRUE(timeBarShown(gameState));
    composed();
    const uint32_t withBar = at(corner.centre);
    gameState.mode = 1;  // endless: no time bar
    ASSERT_FALSE(timeBarShown(gameState));
    composed();
    const uint32_t withoutBar = at(corner.centre);
    EXPECT_LE(channelDifference(withBar, withoutBar), 8) << std::hex << withBar << " " << withoutBar;
}

TEST_F(PlayScreenPictures, DrawingAFrameChangesNothingOfTheGame) {
    static GameState before;
    std::memcpy(&before, &gameState, sizeof before);
    const RandomState rules = gameRandom;
    composed();
    composed(1000);
    EXPECT_EQ(std::memcmp(&before, &gameState, sizeof before), 0);
    EXPECT_EQ(gameRandom.state, rules.state) << "drawing never moves the rules' random stream";
}

TEST_F(PlayScreenPictures, TheSceneGreysInTheLastTwentySecondsOfTheClock) {
    setTintNow(scenery, 2);
    gameState.elapsed = gameState.timeLimit - 30000;
    for (int i = 0; i < 200; ++i) {
        updateHud(hudState, gameState, 16);
        updateScenery(scenery, 16);
    }
    EXPECT_NEAR(scenery.tint[0], 1.0f, 0.01f) << "30 s left: full colour";
    gameState.elapsed = gameState.timeLimit - 10000;
    for (int i = 0; i < 400; ++i) {
        updateHud(hudState, gameState, 16);
        updateScenery(scenery, 16);
    }
    EXPECT_NEAR(scenery.tint[0], 0.75f, 0.02f) << "10 s left: three quarters";
    EXPECT_NEAR(scenery.tint[2], 0.75f, 0.02f);
}

// The items are drawn in the menu font; their hit boxes are measured in it too, so a
// click anywhere on a caption chooses it.
TEST_F(PlayScreenPictures, MenuHitBoxesCoverTheirCaptionsInTheFontTheyAreDrawnIn) {
    profileTable = {};
    createProfile("TESTER");
    for (const char* name : {"main", "profiles", "gameplay"}) {
        MenuNode* node = findMenuNode(menuTable, name);
        ASSERT_NE(node, nullptr);
        menuSystem.current = node;
        menuSystem.fadeIn = menuSystem.fadeOut = false;
        menuSystem.slideOffset = 0;
        menuSystem.fadeProgress = 0;
        drawMenus();
        int checked = 0;
        for (int i = 0; i < node->childCount && i < widgetRegistry.hitBoxCount; ++i) {
            const ItemHitBox& box = widgetRegistry.hitBoxes[i];
            selectFont(1);  // the menu font
            const float width = textWidth(node->children[i]->caption, 17);
            EXPECT_GE(box.right - box.left, width) << name << " item " << node->children[i]->name;
            ++checked;
        }
        EXPECT_GT(checked, 0) << name;
    }
    menuSystem.current = nullptr;
    profileTable = {};
    syncCurrentProfile();
}

TEST_F(PlayScreenPictures, LeavingThePlayScreenStopsItsParticles) {
    startEffect(particleSystem, "delete", 0, 0);
    updateEffects(particleSystem, 16);
    ASSERT_GT(runningEmitterCount(particleSystem) + liveParticleCount(particleSystem), 0);
    playScreen.onLeave();
    updateEffects(particleSystem, 16);
    EXPECT_EQ(runningEmitterCount(particleSystem), 0);
    EXPECT_EQ(liveParticleCount(particleSystem), 0);
}

// The game menu dims the scene as it fades in over the field, by the menu's own fade.
TEST_F(PlayScreenPictures, TheGameMenuDimsTheSceneAsItFadesIn) {
    openGameMenu(gameState);
    showMenu("gameplay");
    frameDeltaMs = 16;
    float previous = 1.0f;
    int steps = 0;
    while (menuSystem.fadeIn && steps < 100) {
        runGameFrame();
        EXPECT_LE(scenery.menuDim, previous);
        if (scenery.menuDim < previous && scenery.menuDim > 0.8f) ++steps;
        previous = scenery.menuDim;
    }
    EXPECT_GT(steps, 3) << "it eases over the fade, rather than snapping";
    runGameFrame();
    EXPECT_NEAR(scenery.menuDim, 0.8f, 0.01f);
    closeGameMenu(gameState);
    menuSystem = {};
}

// Once a letter does not fit the name box, no narrower letter after it is taken either:
// a name is never misspelt by a dropped letter in its middle. An edit makes room again.
TEST_F(PlayScreenPictures, TheNameBoxTakesNoLetterAfterOneThatDidNotFit) {
    menuSystem = {};
    menuSystem.current = findMenuNode(menuTable, "newprofile");
    runEntryAction(*menuSystem.current);
    for (int i = 0; i < 12; ++i) menuKeyDown('W');
    updateMenus(16);
    const std::string full = menuSystem.text;
    ASSERT_LT(full.size(), 12u) << "wide letters fill the box before its twelve letters";
    menuKeyDown('I');
    updateMenus(16);
    EXPECT_EQ(menuSystem.text, full);
    menuKeyDown(kMenuKeyBackspace);
    menuKeyDown('I');
    updateMenus(16);
    EXPECT_EQ(std::string(menuSystem.text), full.substr(0, full.size() - 1) + "I");
    menuSystem = {};
}
