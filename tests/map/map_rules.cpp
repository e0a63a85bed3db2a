// The zone map's rules through the menu engine: entering a mode, the hover and click
// rules, "start" with the zero-score question and during the animations, the back
// item, and the way back from a won level up to the end of the game.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/persistence.h"
#include "core/profile.h"
#include "helpers.h"
#include "menus/menu_system.h"
#include "menus/widgets.h"
#include "menus/zone_map.h"
#include "presentation/particles.h"
#include "presentation/scenery.h"
#include "presentation/text.h"
#include "resources/sound.h"
#include "tests/support/shipped_texts.h"
#include "tests/support/temp_folder.h"

namespace {

std::string shippedMenuFile() {
    std::ifstream in(QUELMAR_SOURCE_DIR "/assets/pack/menu.txt", std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

const char* const kMapSamples[] = {"menu.ogg", "menu2.ogg", "openpiece.ogg", "openquelmar.ogg"};

class ZoneMapRules : public ::testing::Test {
  protected:
    std::string file = shippedMenuFile();
    Profile p = makeProfile("TESTER");
    TempFolder folder;  // the player files written at the end of the game
    int heardUpTo = 0;

    void SetUp() override {
        loadShippedTexts();
        std::snprintf(app.dataFolder, sizeof app.dataFolder, "%s/", folder.path().c_str());
        // The sounds and effects the map starts, known by name so the test can see them.
        soundSystem = {};
        for (const char* name : kMapSamples) {
            SoundSample& sample = soundSystem.samples[soundSystem.sampleCount];
            std::snprintf(sample.name, sizeof sample.name, "%s", name);
            sample.handle = soundSystem.sampleCount++;
        }
        resetParticleSystem(particleSystem);
        for (const char* name : {"mask", "effect01"}) {
            EffectTemplate& t = particleSystem.templates[particleSystem.templateCount++];
            t = EffectTemplate{};
            std::snprintf(t.name, sizeof t.name, "%s", name);
            t.effectTime = 1000;
        }
        hiscoreTable = {};
        gameProfile = &p;
        // The saved-game question loads the saved level: every level reads this one.
        useLevelText("figures=6\r\nlevel=\r\n000000000000\r\n011111111110\r\n");
        buildMenus(menuTable, menuSystem, file);
        zoneMap = ZoneMap{};
        p.startedBefore = 1;
        frames(400);
        showMenu("main");
        frames(400);
    }
    void TearDown() override {
        static Profile rest = makeProfile("");
        gameProfile = &rest;
        forgetLevelTexts();
        resetParticleSystem(particleSystem);
        soundSystem = {};
        app.dataFolder[0] = 0;
    }

    // The samples requested since the last call.
    std::vector<std::string> heard() {
        std::vector<std::string> out;
        for (; heardUpTo != soundSystem.writeIndex; heardUpTo = (heardUpTo + 1) % kSoundRequestCapacity)
            out.push_back(kMapSamples[soundSystem.requests[heardUpTo].sample]);
        for (SoundSample& sample : soundSystem.samples) sample.holdOff = 0;
        return out;
    }
    // The effects started so far, in order.
    std::vector<std::string> effects() const {
        std::vector<std::string> out;
        for (int i = 0; i < particleSystem.nextEmitter; ++i)
            out.push_back(particleSystem.templates[particleSystem.emitters[i].templateIndex].name);
        return out;
    }
    std::vector<std::string> sounds;  // everything heard while frames ran

    // Frames of the menu screen with the map behind: the engine, then the map's rules.
    void frames(float ms) {
        for (float t = 0; t < ms; t += 20) {
            updateMenus(20);
            updateZoneMap(zoneMap, p, 20);
            for (const std::string& h : heard()) sounds.push_back(h);
        }
    }
    const char* current() const { return menuSystem.current ? menuSystem.current->name : ""; }

    // Progress: `finished` zones done, the position at levelInZone of zone `zone`.
    void progress(int zone, int levelInZone, int finished, int furthestLevelInZone = 0) {
        p.stage[0] = zone;
        p.levelInStage[0] = levelInZone;
        p.furthestStage[0] = finished;
        p.furthestLevelInStage[0] = furthestLevelInZone;
    }
    void openMap() {
        enterMode(zoneMap, p, 0);
        frames(400);
    }
    // "start" chosen: the engine's fade-out, then the item's action. True when the
    // map's level is to be played.
    bool chooseStartItem() {
        menuSystem.selected = 0;
        menuKeyDown(kMenuKeyEnter);
        updateMenus(16);
        for (int i = 0; i < 30 && menuSystem.fadeOut; ++i) updateMenus(20);
        return chooseStart(zoneMap, p);
    }
    // A level won: the game moves the profile on as it does, then returns to the map.
    void winLevel() {
        const int won = currentLevel(p, 0);
        advanceProgress(p, 0);
        returnToMap(zoneMap, p, won);
    }
};

}  // namespace

TEST_F(ZoneMapRules, EnteringAModeAsksAboutASavedGameOrWelcomesTheFirstTime) {
    p.savedGame[0] = 1;
    enterMode(zoneMap, p, 0);
    frames(400);
    EXPECT_STREQ(current(), "loadgamequest");

    p.savedGame[0] = 0;
    p.startedBefore = 0;
    showMenu("main");
    frames(400);
    enterMode(zoneMap, p, 0);
    frames(400);
    EXPECT_STREQ(current(), "startgame");
    EXPECT_EQ(p.startedBefore, 1);
    EXPECT_EQ(scenery.backgroundMode, kBackgroundMap) << "the welcome box stands over the map";

    showMenu("main");
    frames(400);
    enterMode(zoneMap, p, 1);
    frames(400);
    EXPECT_STREQ(current(), "puzzle");
    EXPECT_EQ(p.mode, 1);
    EXPECT_STREQ(menuSystem.current->parent->name, "main");
}

TEST_F(ZoneMapRules, ZonesBeyondTheFinishedOnesCannotBeChosen) {
    progress(3, 2, 3);
    openMap();
    EXPECT_FALSE(pressZoneSlot(zoneMap, p, 4));
    EXPECT_FALSE(pressZoneSlot(zoneMap, p, 9));
    EXPECT_EQ(zoneMap.zone, 3);
    // The hover falls back to the selected zone: beyond reach at once, elsewhere once
    // nothing has been under the mouse for 300 ms.
    widgetRegistry.hoverIndex = 7;
    frames(20);
    EXPECT_EQ(widgetRegistry.hoverIndex, 3);
    widgetRegistry.hoverIndex = 1;
    menuSystem.hoverTimer = 0;
    frames(200);
    EXPECT_EQ(widgetRegistry.hoverIndex, 1);
    frames(200);
    EXPECT_EQ(widgetRegistry.hoverIndex, 3);
}

TEST_F(ZoneMapRules, AFinishedZoneStartsAtItsFirstLevelAndTheSavedZoneResumes) {
    progress(3, 2, 3);
    openMap();
    // A first click on a finished zone only shows it (its story and its quelmar); a
    // second click on it, or "start", plays it.
    ASSERT_TRUE(pressZoneSlot(zoneMap, p, 1));
    EXPECT_EQ(zoneMap.zone, 1);
    EXPECT_EQ(zoneMap.level, firstLevelOfZone(1));
    EXPECT_EQ(menuSystem.pendingKey, 0) << "looking at a finished zone must not ask to start over";
    ASSERT_TRUE(pressZoneSlot(zoneMap, p, 1));
    EXPECT_EQ(menuSystem.pendingKey, kMenuKeyEnter);
    EXPECT_EQ(menuSystem.selected, 0);
    menuSystem.pendingKey = 0;
    // The zone being played starts at once, at the saved level.
    ASSERT_TRUE(pressZoneSlot(zoneMap, p, 3));
    EXPECT_EQ(zoneMap.level, firstLevelOfZone(3) + 2);
    EXPECT_EQ(menuSystem.pendingKey, kMenuKeyEnter);

    // The saved position starts at once; another level would lose the score, so it asks.
    p.score[0] = 5000;
    EXPECT_TRUE(chooseStart(zoneMap, p));
    menuSystem.pendingKey = 0;
    ASSERT_TRUE(pressZoneSlot(zoneMap, p, 0));
    EXPECT_EQ(menuSystem.pendingKey, 0);
    EXPECT_FALSE(chooseStart(zoneMap, p));
    frames(400);
    EXPECT_STREQ(current(), "messageboxyn");
    EXPECT_STREQ(menuSystem.message, lookupText("zeroscore"));
    zeroScore(p);
    EXPECT_EQ(zoneMap.level, 0);
    EXPECT_EQ(p.score[0], 0);
    EXPECT_EQ(p.lives[0], 3);
}

TEST_F(ZoneMapRules, AWonLevelOfTheZoneBeingPlayedOpensPiecesAReplayOpensNone) {
    progress(4, 3, 4, 3);
    openMap();
    winLevel();
    frames(400);
    EXPECT_STREQ(current(), "adventure");
    EXPECT_TRUE(zoneMap.collection.pieceActive);
    // The fourth of 8 levels: piece 4 opens with one "mask" effect and a sound; the next
    // level is 27, where the right-hand picture changes.
    EXPECT_EQ(zoneMap.collection.openNow, 5);
    EXPECT_EQ(effects(), (std::vector<std::string>{"mask", "effect01"}));
    EXPECT_EQ(sounds.back(), "openpiece.ogg");

    // Back in zone 2 (finished long ago): nothing opens.
    frames(3000);
    progress(2, 1, 4, 4);
    winLevel();
    frames(100);
    EXPECT_FALSE(collectionAnimating(zoneMap.collection));
}

TEST_F(ZoneMapRules, StartDuringTheAnimationsKeepsTheMapAndContinuesTheHold) {
    progress(4, 7, 4, 7);
    openMap();
    winLevel();  // the last of zone 4's 8 levels
    frames(400);
    EXPECT_EQ(zoneMap.zone, 5);
    EXPECT_EQ(quelmarInFlight(zoneMap, p), 4);
    EXPECT_EQ(medallionView(zoneMap, p).artefact, 4) << "the finished quelmar opens in the medallion";
    EXPECT_EQ(stagePanelView(zoneMap, p).zone, 4);
    EXPECT_TRUE(zoneLocked(zoneMap));

    EXPECT_FALSE(chooseStartItem());
    EXPECT_EQ(menuSystem.fadeProgress, 0) << "the buttons stay shown";
    EXPECT_STREQ(current(), "adventure");

    for (int i = 0; i < 400 && !collectionHolding(zoneMap.collection); ++i) frames(20);
    ASSERT_TRUE(collectionHolding(zoneMap.collection));
    EXPECT_EQ(sounds.back(), "openquelmar.ogg");
    frames(3000);
    EXPECT_TRUE(collectionHolding(zoneMap.collection)) << "the quelmar waits for the player";
    EXPECT_FALSE(chooseStartItem()) << "continue1 only moves the animation on";
    EXPECT_TRUE(zoneMap.collection.phaseC);
    for (int i = 0; i < 200 && zoneMap.collection.active; ++i) frames(20);
    EXPECT_FALSE(zoneMap.collection.active);
    EXPECT_STREQ(current(), "adventure");
    EXPECT_FALSE(zoneLocked(zoneMap));
    EXPECT_EQ(stagePanelView(zoneMap, p).zone, -1) << "the new zone's story is locked";

    EXPECT_TRUE(chooseStartItem());
    EXPECT_EQ(zoneMap.level, firstLevelOfZone(5));
}

TEST_F(ZoneMapRules, TheLastQuelmarEndsTheGameOnceThenStraightToTheHiscores) {
    progress(9, 9, 9, 9);
    p.score[0] = 777000;
    openMap();
    winLevel();
    frames(400);
    EXPECT_EQ(zoneMap.zone, kAllZonesDone);
    EXPECT_EQ(p.lastStageDone, 1);
    EXPECT_EQ(stagePanelView(zoneMap, p).zone, 9);
    for (int i = 0; i < 400 && !collectionHolding(zoneMap.collection); ++i) frames(20);
    chooseStartItem();
    for (int i = 0; i < 300 && !nodeIs(menuSystem.current, "endgame"); ++i) frames(20);
    EXPECT_STREQ(current(), "endgame");

    finishGame(zoneMap, p);
    ASSERT_GE(menuSystem.hiscoreRow, 0);
    EXPECT_EQ(hiscoreTable.rows[0][menuSystem.hiscoreRow].score, 777000);
    EXPECT_TRUE(std::filesystem::exists(folder.path() / "settings" / "hiscore.dat"));
    EXPECT_EQ(p.stage[0], 0);
    EXPECT_EQ(p.score[0], 0);
    EXPECT_EQ(p.lives[0], 3);
    EXPECT_EQ(p.furthestStage[0], 10) << "the finished zones stay open for replays";

    // A second run to the end skips the animations: the hiscores at once.
    progress(9, 9, 10);
    p.score[0] = 1000;
    winLevel();
    frames(400);
    EXPECT_STREQ(current(), "hiscore");
    EXPECT_EQ(hiscoreTable.rows[0][menuSystem.hiscoreRow].score, 1000);
    EXPECT_FALSE(collectionAnimating(zoneMap.collection));
}
