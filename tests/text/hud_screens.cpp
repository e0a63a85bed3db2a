// The HUD and texts drawn for real with the shipped fonts and pictures. Each test also
// writes its frame as a PNG under the build folder ("screens/") to be looked at.
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

#include <filesystem>
#include <string>

#include "app/app.h"
#include "core/announce.h"
#include "core/field.h"
#include "core/profile.h"
#include "presentation/floating_text.h"
#include "presentation/hud.h"
#include "resources/files.h"
#include "tests/platform/gl_fixture.h"
#include "tests/text/text_fixture.h"

namespace {

class HudScreens : public GlTest {
  protected:
    static void SetUpTestSuite() {
        GlTest::SetUpTestSuite();
        if (!gpuDeviceExists()) return;
        previous = std::filesystem::current_path();
        std::filesystem::current_path(QUELMAR_DATA_DIR);
        openDataPacks();
        loadTextAndFonts();
        loadHudTextures();
        std::filesystem::current_path(previous);
    }

    void SetUp() override {
        GlTest::SetUp();
        profile = makeProfile("Tester");
        savedProfile = gameProfile;
        gameProfile = &profile;
        resetGameState(g);
        setCentres(g);
        g.timeLimit = 120000;
        g.elapsed = 30000;
        g.level = 11;
        g.displayedScore = 4250;
        clearHud(hud);
        clearFloatingTexts();
        frameDeltaMs = 0;
    }

    void TearDown() override { gameProfile = savedProfile; }

    // Writes the frame and counts the pixels in a top-left rectangle that are not black.
    void save(const char* name) {
        if (scene.empty()) readScene();
        std::filesystem::path folder = std::filesystem::path(QUELMAR_BINARY_DIR) / "screens";
        std::filesystem::create_directories(folder);
        stbi_write_png((folder / name).c_str(), width, height, 4, scene.data(), width * 4);
    }
    int lit(int left, int top, int right, int bottom) {
        int count = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) count += (pixel(x, y) & 0xFFFFFF00u) != 0;
        return count;
    }

    // Every layer of the HUD, in the play screen's order.
    static void drawHud(HudState& hud, GameState& g) {
        drawHudSidePanel(hud, g);
        drawHudTimeBar(hud, g);
        drawHudStock(hud, g);
        drawPauseTexts(g);
        drawNoMovesMessage(hud, g);
        drawHudFlyers(hud);
        drawHudScorePopups(hud);
    }

    static inline std::filesystem::path previous;
    Profile profile;
    Profile* savedProfile = nullptr;
    GameState g;
    HudState hud;
};

}  // namespace

TEST_F(HudScreens, ClassicPanelFuseAndStock) {
    profile.lives[0] = 2;
    g.stock.hasPickups = 1;
    g.stock.hammers = 2;
    g.stock.clocks = 1;
    addScorePopup(hud, 0, 100, 250);
    drawHud(hud, g);
    save("hud_classic.png");
    EXPECT_GT(lit(0, 0, 127, 511), 127 * 511 / 2);        // the side panel
    EXPECT_GT(lit(30, 630 - 600 + 500, 760, 600), 2000);  // the fuse along the bottom
    EXPECT_GT(lit(380, 180, 420, 210), 10);               // the popup's digits around (0, 100)
}

TEST_F(HudScreens, EndlessPanelHasNoFuseAndManyLivesShowACount) {
    g.mode = 1;
    drawHud(hud, g);
    save("hud_endless.png");
    EXPECT_EQ(lit(150, 540, 800, 600), 0);  // no time bar
    EXPECT_GT(lit(0, 0, 127, 511), 127 * 511 / 2);
}

TEST_F(HudScreens, TextsWrapCentreAndFloat) {
    profile.lives[0] = 5;
    g.paused = 1;
    g.pauseClock = 3141;  // the pause word at its brightest
    drawHud(hud, g);
    addFloatingText("Chain bonus : +750", 90, 15, 25, 4000);
    textEffects.floating[0].remaining = 1000;  // pulsing
    addFlyingLetters(lookupText("levelcomplete"), 90, 120, 30);
    for (FlyingLetter& l : textEffects.letters) l.life = l.life > 0 ? 3000 : 0;
    drawFlyingLetters();
    drawFloatingTexts();
    float height = wrapText(220, lookupText("startgame"), 11);
    drawText(120, 250, 11, wrappedText(), false);
    drawHighlightedText(-100, -200, 16, 0xFFFFC040u, "Highlighted", true);
    save("texts.png");
    EXPECT_GT(height, 4 * 1.8f * 11);
    EXPECT_GT(lit(400 + 20, 300 - 140, 400 + 200, 300 - 100), 50);  // the flying word
    EXPECT_GT(lit(400 - 60, 300 - 15, 400 + 60, 300 + 15), 50);     // "Pause"
}

TEST_F(HudScreens, LevelBonusCountsUpBesideTheFuse) {
    g.levelOver = 1;
    g.bonusCountUp = 1;
    g.countUpDuration = 2000;
    g.countUpClock = 2600;
    g.levelBonus = 1200;
    g.displayedBonus = 1200;
    hudAnnouncement(hud, g, {Announce::FuseParameters, nullptr, 0.3f, 0.02f, 0, 0, 0, 0, 0});
    drawHud(hud, g);
    save("hud_bonus.png");
    EXPECT_GT(lit(400 + 170, 300 + 110, 400 + 330, 300 + 130), 100);  // "Time bonus"
    EXPECT_GT(lit(400 + 200, 300 + 155, 400 + 300, 300 + 200), 100);  // "+1200"
}
