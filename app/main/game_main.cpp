// The game program. Each part registers its loading steps and screen hooks; this
// file then connects the parts that do not know each other: the game core's
// announcements reach the HUD, the scenery, the menus and the files, and the play
// and menu screens draw the living backs. Then everything happens in runGame.
#include "app/app.h"
#include "app/persistence.h"
#include "app/screens.h"
#include "core/field.h"
#include "core/level.h"
#include "core/profile.h"
#include "core/profiles.h"
#include "core/tips.h"
#include "menus/menu_system.h"
#include "menus/menu_wiring.h"
#include "menus/widgets.h"
#include "menus/zone_map.h"
#include "menus/zone_map_view.h"
#include "presentation/hud.h"
#include "presentation/particles.h"
#include "presentation/play_frame.h"
#include "presentation/scenery.h"
#include "presentation/text.h"
#include "presentation/tip_balloon.h"

namespace {

void (*playLayerUpdate)(float dt) = nullptr;  // the play frame's own layer update

void updatePlayLayers(float dt) {
    if (playLayerUpdate) playLayerUpdate(dt);
    sceneryPlayUpdate(dt);
}

void (*drawPlayFloatingTexts)() = nullptr;

// The game's tips speak through the balloon, over everything else of the field.
void drawFloatingTextsAndTip() {
    if (drawPlayFloatingTexts) drawPlayFloatingTexts();
    if (const char* key = visibleTipKey(gameState)) {
        const char* text = lookupText(key);
        const TipBox& tip = gameState.tip;
        constexpr float kTowardCentre = -1000.0f;
        if (tip.modal)
            showTipBalloonWithButton(tip.position.x, tip.position.y, text, 300, tip.pointing, kTowardCentre,
                                     true);
        else
            showTipBalloon(tip.position.x, tip.position.y, text, 300, tip.pointing, kTowardCentre, true);
    }
    drawTipBalloon(frameDeltaMs);
}

void toHud(const Announcement& what) {
    hudAnnouncement(what);
}

void clearPresentation(const Announcement& what) {
    hudAnnouncement(what);
    sceneryAnnounce(what);
}

void toMenus(const Announcement& what) {
    handleMenuAnnouncement(what);
}

void saveAll(const Announcement&) {
    writeAll();
}

// The profile has already moved on when this arrives: the level comes from the game.
void levelRecords(const Announcement& what) {
    recordWonLevel(gameState.level, what.value, what.x);
}

void enterHiscore(const Announcement& what) {
    if (gameProfile)
        menuSystem.hiscoreRow = insertHiscore(hiscoreTable, gameState.mode, gameProfile->name, what.value);
}

// Leaving a won level (the transition's click, or the last level) for the zone map;
// two clicks in one frame return once.
void backToMap(const Announcement&) {
    static float handledAt = -1;
    if (animationClock == handledAt) return;
    handledAt = animationClock;
    returnToMap(zoneMap, *gameProfile, gameState.level - 1);
}

void connectZoneMap() {
    zoneMapHooks.startLevel = [](int mode, int level) {
        gameState.mode = static_cast<uint8_t>(mode);
        setCurrentLevel(*gameProfile, mode, level);
        loadLevel(gameState, level);
        gameState.gameMenuOpen = 0;
        requestScreen(&playScreen);
    };
    zoneMapHooks.toMenuScreen = [] {
        gameState.gameMenuOpen = 0;
        if (screens.current != &menuScreen) requestScreen(&menuScreen);
    };
    zoneMapHooks.enterHiscore = [](int mode, const char* name, int score) {
        return insertHiscore(hiscoreTable, mode, name, score);
    };
    zoneMapHooks.saveFiles = [] { writeAll(); };
    setPlayAnnounceHandler(Announce::ModeScreen, backToMap);
}

void connectParts() {
    for (Announce kind :
         {Announce::ScorePopup, Announce::FloatingText, Announce::FlyingLetters, Announce::Sparkle,
          Announce::HeartPulse, Announce::FuseParameters, Announce::DropSparkles, Announce::NoMovesShake})
        setPlayAnnounceHandler(kind, toHud);
    setPlayAnnounceHandler(Announce::ClearPresentation, clearPresentation);
    setPlayAnnounceHandler(Announce::AnimatedBackground, sceneryAnnounce);
    setPlayAnnounceHandler(Announce::SceneTint, sceneryAnnounce);
    setPlayAnnounceHandler(Announce::Menu, toMenus);
    setPlayAnnounceHandler(Announce::SaveAll, saveAll);
    setPlayAnnounceHandler(Announce::LevelRecords, levelRecords);
    setPlayAnnounceHandler(Announce::EnterHiscore, enterHiscore);

    playLayerUpdate = playLayers.update;
    playLayers.update = updatePlayLayers;
    drawPlayFloatingTexts = playLayers.floatingTexts;
    playLayers.floatingTexts = drawFloatingTextsAndTip;
    playLayers.background = sceneryPlayBackground;
    playLayers.transition = sceneryPlayTransition;

    menuHooks.sceneTint = sceneryMenuTint;
    menuHooks.animatedBackground = sceneryMenuBack;
    menuHooks.backgroundMode = setBackgroundMode;

    installTipHooks(coreHooks);
    connectZoneMap();
}

}  // namespace

int main() {
    registerTextLoading();
    registerHudLoading();
    registerParticleLoading();
    registerScenery();
    registerWidgetLoading();
    registerMenus();
    registerZoneMapLoading();
    registerPlayScreen();
    connectParts();
    return runGame();
}
