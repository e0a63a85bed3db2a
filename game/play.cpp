#include "game/play.h"

#include <algorithm>
#include <cstdio>

#include "app/app.h"
#include "app/draw.h"
#include "app/persistence.h"
#include "app/settings.h"
#include "core/flow.h"
#include "core/level.h"
#include "core/profile.h"
#include "core/rules.h"
#include "core/tips.h"
#include "core/tutorial.h"
#include "game/automation.h"
#include "game/menu_actions.h"
#include "game/screens.h"
#include "menus/menu_system.h"
#include "menus/widgets.h"
#include "presentation/field_view.h"
#include "presentation/floating_text.h"
#include "presentation/hud.h"
#include "presentation/particles.h"
#include "presentation/scenery.h"
#include "presentation/text.h"
#include "presentation/tip_balloon.h"
#include "presentation/tutorial_view.h"
#include "resources/trace.h"

namespace {

Vec2 pointerInMenuSpace() {
    Vec2 p = {};
    cursorInMenuSpace(&p.x, &p.y);
    return p;
}

// While any of these holds no cell answers the pointer.
bool fieldBlocked(const GameState& g) {
    return g.levelOver || g.bonusCountUp || g.clearedWaiting || g.timeUp || g.transition || playFrozen(g) ||
           overlayOpen();
}

uint32_t fieldColourOf(const GameState& g) {
    const uint32_t alpha =
        std::min(static_cast<uint32_t>(std::clamp(g.fadeA, 0.0f, 255.0f)), g.fieldColour[0] >> 24);
    return alpha << 24 | (g.fieldColour[0] & 0xFFFFFFu);
}

FieldFrame fieldFrameOf(const GameState& g, float dt) {
    FieldFrame frame = {fieldColourOf(g), g.animationClock,     dt,
                        g.pointer,        g.hammerMode ? 1 : 0, fieldBlocked(g)};
    // A tip or a box over the field leaves its power-ups in sight: "powerup" points at one.
    frame.markersShown = !(g.levelOver || g.bonusCountUp || g.clearedWaiting || g.timeUp || g.transition ||
                           g.paused || overlayOpen());
    if (g.cursorShown && isValid(g, g.cursorRow, g.cursorColumn)) {
        // The keys' cursor stands where the pointer would: the field answers it as it does the mouse.
        frame.pointer = g.cells[g.cursorRow][g.cursorColumn].centre;
        frame.cursor = true;
        const Selection& s = g.selection;
        frame.picked = s.state != 0 && s.pickedRow == g.cursorRow && s.pickedColumn == g.cursorColumn;
    }
    return frame;
}

// The demonstration's "click" words belong to the panel: they go with it.
void tidyAfterTutorial(const GameState& g) {
    static bool wasOn = false;
    if (wasOn && !g.tutorialOn) clearFloatingTexts();
    wasOn = g.tutorialOn != 0;
}

// The game's tips speak through the balloon, over everything else of the field (the
// tutorial's panel covers the field, and the balloon with it).
void requestTipBalloon(const GameState& g) {
    const char* key = g.tutorialOn ? nullptr : visibleTipKey(g);
    if (key == nullptr) return;
    const char* text = lookupText(key);
    const TipBox& tip = g.tip;
    constexpr float kTowardCentre = -1000.0f;
    if (tip.modal)
        showTipBalloonWithButton(tip.position.x, tip.position.y, text, 300, tip.pointing, kTowardCentre,
                                 true);
    else
        showTipBalloon(tip.position.x, tip.position.y, text, 300, tip.pointing, kTowardCentre, true);
}

// The instruction panel: the menus' framed box, the panel's contents, and the
// demonstration's pointer drawn as the game's own cursor, its glow flaring after a click.
void drawTutorialLayer() {
    const TutorialPanelLayout& l = kTutorialPanel;
    // The panel is laid out over the field; shifted whole where it stands elsewhere (the
    // caller puts the view back once the demonstrations' effects are drawn too).
    const float shift = tutorialShiftX(tutorial);
    // The projection carries the shift, as the field's drawing sets views of its own.
    setProjection(multiply(translationMatrix(shift, 0.0f, 0.0f), orthoMatrix(800, 600, 1, 100)));
    drawWindowCentred(l.boxX, l.boxY, l.boxWidth, l.boxHeight);
    Vec2 p = pointerInMenuSpace();
    p.x -= shift;
    drawTutorialPanel(tutorial, p.x, p.y, frameDeltaMs, animationClock);
    // The arrows that turn the pages (Left and Right do too), and which page this is.
    drawMenuSprite(kSpriteArrowLeft, kTutorialPageArrowX[0], kTutorialPageArrowY);
    drawMenuSprite(kSpriteArrowRight, kTutorialPageArrowX[1], kTutorialPageArrowY);
    char page[24];
    std::snprintf(page, sizeof page, "%d / %d", tutorial.page + 1, kHelpPageCount);
    setTextColour(255, 230, 150, 255);
    // Between the button and the right arrow, clear of the frame's ornament below.
    drawText(142, kTutorialPageArrowY - 4, 11, page, true);
    setTextColour(255, 255, 255, 255);
    const DemoPointer d = demoPointer(tutorial);
    const auto glow = static_cast<uint32_t>(d.flash * static_cast<float>(d.alpha));
    const float press = d.flash > 0.75f ? 1.0f : 0.0f;  // pressed in for the first 100 ms
    drawMenuSprite(kSpriteCursorGlow, d.x + 30 + press, d.y - 32 - press, glow << 24 | 0xFFFFFFu);
    drawMenuSprite(kSpriteCursor, d.x + 30 + press, d.y - 32 - press, d.alpha << 24 | 0xFFFFFFu);
}

}  // namespace

void startLevel(int level) {
    gameState.mode = gameProfile->mode ? 1 : 0;
    setCurrentLevel(*gameProfile, gameState.mode, level);
    loadLevel(gameState, level);
    gameState.gameMenuOpen = 0;
    toPlayScreen();
}

bool overlayOpen() {
    return gameState.gameMenuOpen != 0;
}

void followPointer() {
    const GameState& g = gameState;
    setCursorType(g.tutorialOn ? kCursorHelp : g.hammerMode ? kCursorHammer : kCursorNormal);
}

bool gameRunsThisFrame() {
    return !(screens.switchPending && screens.pending != &playScreen);
}

void runGameFrame() {
    GameState& g = gameState;
    const float dt = frameDeltaMs;
    playScriptedInput();
    setGameTipsShown(settings.showGameTips);  // the options may have changed it over the level
    setPointer(g, pointerInMenuSpace());
    if (gameRunsThisFrame()) updateGame(g, dt);
    traceWaitingMove(g, fieldBlocked(g));
    // The presentation follows the game.
    updateFieldShake(fieldView, dt);
    updateHud(hudState, g, dt);
    updateEffects(particleSystem, dt);
    setSceneryMenuDim(scenery, g.gameMenuOpen != 0, menuSystem.fadeProgress);
    updateScenery(scenery, dt);
    advanceFigureSpins(g, fieldFrameOf(g, dt));
    followPointer();
    tidyAfterTutorial(g);
    // The menus over the field take their input and carry out what was chosen.
    if (overlayOpen()) carryOut(updateMenus(dt));
    composePlayScreen(g, dt);
    afterPlayFrame();
}

void composePlayScreen(GameState& g, float dt) {
    begin2D();
    setCulling(false);
    disable(kStateDepthWrite);
    disable(kStateLighting);
    const FieldFrame frame = fieldFrameOf(g, dt);
    if (g.transition) {
        drawSceneryTransition(scenery, dt);
        drawTransitionTexts(g);
    } else if (g.tutorialOn) {
        // The HUD slides away under the panel; the field is not drawn.
        drawScenery(scenery);
        drawHudSidePanel(hudState, g);
        drawHudTimeBar(hudState, g);
        drawTutorialLayer();
        drawEffectQueue(particleSystem, 0);  // the demonstrations' effects, in the panel's place
        setProjection(orthoMatrix(800, 600, 1, 100));
    } else {
        drawScenery(scenery);
        drawHudSidePanel(hudState, g);
        drawHudTimeBar(hudState, g);  // before the field: the barrel never covers a cell
        drawHudStock(hudState, g);
        drawField(g, frame);
        drawFlyingPieces(g, frame, !g.paused && !g.gameMenuOpen && !g.tutorialOn);
        drawPauseTexts(g);
        drawNoMovesMessage(hudState, g);
        drawQueuedBolts(fieldView);
        drawEffectQueue(particleSystem, 0);
        drawHudFlyers(hudState);
    }
    fieldView.boltCount = 0;  // bolts queued on a frame that did not draw them are dropped
    enable(kStateAlphaTest);
    setAlphaReference(1);
    // The field is hidden while paused; its score texts go with it.
    if (!g.transition && !g.tutorialOn && !g.paused) drawHudScorePopups(hudState);
    drawFlyingLetters();
    drawFloatingTexts();
    requestTipBalloon(g);
    drawTipBalloon(dt);
    if (overlayOpen()) {
        begin2D();
        drawMenus();
        drawMenuEffects(dt);
    }
    if (settings.customCursor) drawCustomCursor();
}

void leavePlayScreen() {
    stopAllEffects(particleSystem);
}

bool saveGameOnClose() {
    static bool saved = false;  // the close button and the end request may both arrive
    if (saved || !app.dataLoaded || !onPlayScreen()) return false;
    const SaveOutcome outcome = saveRunningGame(gameState);
    if (outcome == SaveOutcome::NothingToSave) return false;
    saved = outcome == SaveOutcome::Saved;
    trace("saved on close: %s", saved ? "yes" : "no");
    return saved;
}
