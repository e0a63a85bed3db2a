// The game program. Each part registers its loading steps and screen hooks; this
// file then connects the parts that do not know each other: the game core's
// announcements reach the HUD, the scenery, the menus and the files, and the play
// and menu screens draw the living backs. Then everything happens in runGame.
#include "app/app.h"
#include "app/persistence.h"
#include "app/screens.h"
#include "app/settings.h"
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
#include "presentation/floating_text.h"
#include "presentation/hud.h"
#include "presentation/particles.h"
#include "presentation/play_frame.h"
#include "presentation/scenery.h"
#include "presentation/text.h"
#include "presentation/tip_balloon.h"
#include "presentation/tutorial_view.h"

namespace {

void (*playLayerUpdate)(float dt) = nullptr;  // the play frame's own layer update

// The pointer follows the game: the hammer while one is armed, the help pointer while the
// tutorial explains, the ordinary one otherwise. The custom-cursor setting is applied
// here too, for a start that goes straight into a level.
void followPointer() {
    if (customCursorOn() != settings.customCursor) setCustomCursor(settings.customCursor);
    const int type = gameState.tutorialOn   ? kCursorHelp
                     : gameState.hammerMode ? kCursorHammer
                                            : kCursorNormal;
    if (type != cursorType()) setCursorType(type);
}

// The demonstration's "click" words belong to the panel: they go with it.
void tidyAfterTutorial() {
    static bool wasOn = false;
    if (wasOn && !gameState.tutorialOn) clearFloatingTexts();
    wasOn = gameState.tutorialOn != 0;
}

void updatePlayLayers(float dt) {
    if (playLayerUpdate) playLayerUpdate(dt);
    sceneryPlayUpdate(dt);
    followPointer();
    tidyAfterTutorial();
}

void pointerAnnounced(const Announcement& what) {
    setCursorType(what.value == 1 ? kCursorHammer : kCursorNormal);
}

// The demonstration's pointer is the game's own cursor, its glow flaring after a click.
void drawDemoPointer(float x, float y, float flash, uint32_t alpha) {
    const uint32_t glow = static_cast<uint32_t>(flash * static_cast<float>(alpha));
    const float press = flash > 0.75f ? 1.0f : 0.0f;  // pressed in for the first 100 ms
    drawMenuSprite(kSpriteCursorGlow, x + 30 + press, y - 32 - press, glow << 24 | 0xFFFFFFu);
    drawMenuSprite(kSpriteCursor, x + 30 + press, y - 32 - press, alpha << 24 | 0xFFFFFFu);
}

void (*drawPlayFloatingTexts)() = nullptr;

// The game's tips speak through the balloon, over everything else of the field.
void drawFloatingTextsAndTip() {
    if (drawPlayFloatingTexts) drawPlayFloatingTexts();
    const char* key =
        gameState.tutorialOn ? nullptr : visibleTipKey(gameState);  // the panel covers the field
    if (key != nullptr) {
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
    setPlayAnnounceHandler(Announce::Pointer, pointerAnnounced);

    playLayerUpdate = playLayers.update;
    playLayers.update = updatePlayLayers;
    drawPlayFloatingTexts = playLayers.floatingTexts;
    playLayers.floatingTexts = drawFloatingTextsAndTip;
    playLayers.background = sceneryPlayBackground;
    playLayers.transition = sceneryPlayTransition;

    menuHooks.sceneTint = sceneryMenuTint;
    menuHooks.animatedBackground = sceneryMenuBack;
    menuHooks.backgroundMode = setBackgroundMode;

    connectZoneMap();
    tutorialViewHooks.drawWindow = drawWindowCentred;
    tutorialViewHooks.drawPointer = drawDemoPointer;
    setHammerCursorDrawer(drawHammerCursor);
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
