#include "presentation/play_frame.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/app.h"
#include "app/draw.h"
#include "app/screens.h"
#include "core/field.h"
#include "core/flow.h"
#include "core/level.h"
#include "core/profile.h"
#include "core/rules.h"
#include "platform/window.h"
#include "presentation/field_view.h"
#include "presentation/floating_text.h"
#include "presentation/hud.h"
#include "presentation/particles.h"
#include "presentation/tutorial_view.h"
#include "resources/sound.h"
#include "resources/trace.h"

#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb_image_write.h>

PlayLayers playLayers = {};

namespace {

constexpr int kAnnounceKinds = static_cast<int>(Announce::DropSparkles) + 1;
PlayAnnounceHandler announceHandlers[kAnnounceKinds] = {};

InputScript inputScript = {};
int nextScripted = 0;
uint32_t playFrames = 0;  // game frames run since start-up
int requestedLevel = -1;  // QUELMAR_START_LEVEL, as a level index

enum ScriptKind : uint8_t { kMove, kDown, kUp, kDouble, kRight, kRightUp, kKey, kHint, kDud };
constexpr const char* kScriptKinds[] = {"move",    "down", "up",   "double", "right",
                                        "rightup", "key",  "hint", "dud"};
constexpr int kScriptKindCount = 9;

struct Shot {
    uint32_t frame;
    char path[240];
};
constexpr int kShotCapacity = 8;
Shot shots[kShotCapacity];
int shotCount = 0;
uint32_t exitAfterPlayFrames = 0;

Vec2 cursorPoint() {
    float x = 0, y = 0;
    cursorInMenuSpace(&x, &y);
    return {x, y};
}

bool overlayUp() {
    return playHooks.overlayOpen != nullptr && playHooks.overlayOpen();
}

// While any of these holds no cell answers the pointer.
bool fieldBlocked(const GameState& g) {
    return g.levelOver || g.bonusCountUp || g.clearedWaiting || g.timeUp || g.transition || playFrozen(g) ||
           overlayUp();
}

uint32_t fieldColourOf(const GameState& g) {
    const uint32_t alpha =
        std::min(static_cast<uint32_t>(std::clamp(g.fadeA, 0.0f, 255.0f)), g.fieldColour[0] >> 24);
    return alpha << 24 | (g.fieldColour[0] & 0xFFFFFFu);
}

void call(void (*layer)()) {
    if (layer != nullptr) layer();
}

void particles(int layer) {
    if (playLayers.particles != nullptr) playLayers.particles(layer);
}

void spawnFieldParticle(const char* name, float x, float y) {
    if (playLayers.spawnParticle != nullptr) playLayers.spawnParticle(name, x, y);
}

// One particle of an effect's template, at a menu-space point.
void spawnNamedParticle(const char* name, float x, float y) {
    const int index = findEffect(particleSystem, name);
    if (index >= 0) spawnParticle(particleSystem, Vector3{x, y, 0}, index);
}

void updateLayers(float dt) {
    updateHud(hudState, gameState, dt);
    updateEffects(particleSystem, dt);
}

void drawParticleLayer(int layer) {
    drawEffectQueue(particleSystem, layer);
}

void drawWholeHud() {
    drawHud(hudState, gameState);
}

void send(PlatformEventType type, int x, int y) {
    PlatformEvent event = {type, 0, x, y};
    handlePlatformEvent(event);
}

// A click as a player makes it: move there, press, release.
void clickAt(Vec2 menuPoint) {
    const int x = static_cast<int>(menuPoint.x + 400.0f), y = static_cast<int>(300.0f - menuPoint.y);
    send(PlatformEventType::MouseMove, x, y);
    send(PlatformEventType::LeftDown, x, y);
    send(PlatformEventType::LeftUp, x, y);
}

// Two side-by-side movable figures whose exchange makes no line, or false.
bool findDud(const GameState& g, Vec2* a, Vec2* b) {
    for (int i = 0; i < kRows; ++i)
        for (int j = 0; j + 1 < kColumns; ++j) {
            const Cell& left = g.cells[i][j];
            const Cell& right = g.cells[i][j + 1];
            if (!isMovable(g, i, j) || !isMovable(g, i, j + 1) || !isSlot(left.figure) ||
                !isSlot(right.figure))
                continue;
            if (left.figure == right.figure || left.swapHint[0] || right.swapHint[1]) continue;
            *a = left.centre;
            *b = right.centre;
            return true;
        }
    return false;
}

void writeShot(const char* path) {
    std::vector<uint8_t> rgba;
    int width = 0, height = 0;
    if (gpuReadScene(rgba, &width, &height)) stbi_write_png(path, width, height, 4, rgba.data(), width * 4);
    // The state the picture shows, for the test that checks it.
    char name[260];
    std::snprintf(name, sizeof name, "%s.txt", path);
    if (std::FILE* f = std::fopen(name, "w")) {
        std::fprintf(f, "score %d hammers %d hammerMode %d swaps %d hammersUsed %d\n", gameState.levelScore,
                     gameState.stock.hammers, gameState.hammerMode, gameState.swapsMade,
                     gameState.hammersUsed);
        for (int i = 0; i < kRows; ++i) {
            for (int j = 0; j < kColumns; ++j) {
                const Cell& c = gameState.cells[i][j];
                std::fprintf(f, "%d,%d,%d ", c.cover, c.figure, atRest(c) ? 1 : 0);
            }
            std::fprintf(f, "\n");
        }
        std::fclose(f);
    }
}

void playScripted() {
    while (nextScripted < inputScript.count && inputScript.entries[nextScripted].frame <= playFrames) {
        const ScriptedInput& in = inputScript.entries[nextScripted++];
        if (in.kind == kHint || in.kind == kDud) {
            Vec2 a = {}, b = {};
            if (in.kind == kHint) {
                a = gameState.hint.pick;
                b = gameState.hint.target;
            } else if (!findDud(gameState, &a, &b)) {
                continue;
            }
            clickAt(a);
            clickAt(b);
            continue;
        }
        PlatformEvent event = {};
        event.x = in.x;
        event.y = in.y;
        switch (in.kind) {
            case kMove:
                event.type = PlatformEventType::MouseMove;
                break;
            case kDown:
                event.type = PlatformEventType::LeftDown;
                break;
            case kUp:
                event.type = PlatformEventType::LeftUp;
                break;
            case kDouble:
                event.type = PlatformEventType::LeftDoubleClick;
                break;
            case kRight:
                event.type = PlatformEventType::RightDown;
                break;
            case kRightUp:
                event.type = PlatformEventType::RightUp;
                break;
            default:
                event.type = PlatformEventType::KeyDown;
                event.key = in.x;
                break;
        }
        // A press happens where the pointer is: move there first.
        if (event.type != PlatformEventType::KeyDown && event.type != PlatformEventType::MouseMove) {
            PlatformEvent move = {PlatformEventType::MouseMove, 0, in.x, in.y};
            handlePlatformEvent(move);
        }
        handlePlatformEvent(event);
    }
}

// ---- the game's input hooks ----
void gameKeyDown(int32_t key) {
    onKey(gameState, key);
}
void gameLeftDown() {
    const Vec2 p = cursorPoint();
    setPointer(gameState, p);
    onLeftDown(gameState, p);
}
void gameLeftDoubleClick() {
    const Vec2 p = cursorPoint();
    setPointer(gameState, p);
    onLeftDoubleClick(gameState, p);
}
void gameLeftUp() {
    onLeftUp(gameState);
}
void gameRightDown() {
    onRightDown(gameState);
}
void gameRightUp() {
    onRightUp(gameState);
}

void loadPlayData() {
    loadFieldTextures();
    preloadLevels();
}

// The development start: straight into a level once everything is loaded. The
// once-per-profile tips and the tutorial are taken as seen, so the level itself shows
// at once and scripted input reaches the field, unless QUELMAR_START_NEW_PLAYER asks
// for a player who has seen none of them.
void startRequestedLevel() {
    if (requestedLevel < 0) return;
    if (gameProfile) {
        const bool newPlayer = std::getenv("QUELMAR_START_NEW_PLAYER") != nullptr;
        std::fill(std::begin(gameProfile->tipFlags), std::end(gameProfile->tipFlags),
                  static_cast<uint8_t>(newPlayer ? 0 : 1));
        gameProfile->gameTip4Count = newPlayer ? 0 : 255;
    }
    gameState.mode = gameProfile->mode;  // the level plays in the mode the profile is in
    loadLevel(gameState, requestedLevel);
    if (const char* hammers = std::getenv("QUELMAR_START_HAMMERS"))
        gameState.stock.hammers = std::clamp(std::atoi(hammers), 0, 9);
    requestScreen(&playScreen);
}

}  // namespace

void setPlayAnnounceHandler(Announce kind, PlayAnnounceHandler handler) {
    const int index = static_cast<int>(kind);
    if (index >= 0 && index < kAnnounceKinds) announceHandlers[index] = handler;
}

void playAnnounce(void* context, const Announcement& what) {
    (void)context;
    switch (what.kind) {
        case Announce::Sound:
            if (what.name != nullptr)
                playSound(soundSystem, what.name, what.value > 0 ? what.value : kDefaultSoundFrequency);
            break;
        case Announce::Music:
            // The move into the transition and the time-up switch at once; level start and
            // level end fade.
            if (gameState.transition || gameState.timeUp)
                setMusicNow(soundSystem, what.value);
            else
                setMusic(soundSystem, what.value);
            break;
        case Announce::Shake:
            startFieldShake(fieldView);
            break;
        case Announce::BreakCover:
            spawnBreakPiece(fieldView, what.x, what.y, what.value);
            break;
        case Announce::Pointer:
            // The menus' cursor handling takes this when it is there.
            if (announceHandlers[static_cast<int>(what.kind)] == nullptr)
                setCursorShape(what.value == 1 ? CursorShape::Hammer : CursorShape::Arrow);
            break;
        case Announce::Effect:
            if (what.name != nullptr) startEffect(particleSystem, what.name, what.x, what.y);
            break;
        case Announce::ClearPresentation:
            clearFieldView(fieldView);
            stopAllEffects(particleSystem);
            break;
        case Announce::ModeScreen:
            // The menus take this over with the mode screen; until then, back to the menus.
            if (announceHandlers[static_cast<int>(what.kind)] == nullptr) requestScreen(&menuScreen);
            break;
        default:
            break;
    }
    const int index = static_cast<int>(what.kind);
    if (index >= 0 && index < kAnnounceKinds && announceHandlers[index] != nullptr)
        announceHandlers[index](what);
}

void composePlayScreen(GameState& g, float dt) {
    begin2D();
    setCulling(false);
    disable(kStateDepthWrite);
    disable(kStateLighting);
    const FieldFrame frame = {fieldColourOf(g), g.animationClock,     dt,
                              g.pointer,        g.hammerMode ? 1 : 0, fieldBlocked(g)};
    if (g.transition) {
        call(playLayers.transition);
        drawTransitionTexts(g);
    } else if (g.tutorialOn) {
        // The HUD slides away under the panel; the field is not drawn.
        call(playLayers.background);
        call(playLayers.sidePanel);
        call(playLayers.timeBar);
        call(playLayers.hud);
        call(playLayers.tutorialPanel);
        particles(0);
    } else {
        call(playLayers.background);
        call(playLayers.sidePanel);
        call(playLayers.timeBar);
        call(playLayers.stock);
        drawField(g, frame);
        drawFlyingPieces(g, frame, !g.paused && !g.gameMenuOpen && !g.tutorialOn);
        call(playLayers.pauseTexts);
        call(playLayers.noMovesMessage);
        drawQueuedBolts(fieldView);
        particles(0);
        call(playLayers.flyers);
        call(playLayers.hud);
    }
    fieldView.boltCount = 0;  // bolts queued on a frame that did not draw them are dropped
    enable(kStateAlphaTest);
    setAlphaReference(1);
    call(playLayers.scorePopups);
    call(playLayers.flyingLetters);
    call(playLayers.floatingTexts);
}

// For the end-to-end tests' player: each time the field comes to rest waiting for a
// move, the hint's swap (the figure to pick, then where it goes), in menu space.
void traceWaitingMove(GameState& g) {
    static bool waiting = false;
    if (!traceOn()) return;
    const bool now = !fieldBlocked(g) && !g.resolving && !g.tutorialOn && g.selection.state == 0 &&
                     !g.selection.swap && !g.selection.swapBack && settled(g);
    if (now && !waiting)
        trace("move %.0f %.0f %.0f %.0f", g.hint.pick.x, g.hint.pick.y, g.hint.target.x, g.hint.target.y);
    waiting = now;
}

bool gameRunsThisFrame() {
    return !(screens.switchPending && screens.pending != &playScreen);
}

void runGameFrame() {
    playScripted();
    ++playFrames;
    const float dt = frameDeltaMs;
    setPointer(gameState, cursorPoint());
    if (gameRunsThisFrame()) updateGame(gameState, dt);
    traceWaitingMove(gameState);
    updateFieldShake(fieldView, dt);
    if (playLayers.update != nullptr) playLayers.update(dt);
    composePlayScreen(gameState, dt);
    for (int i = 0; i < shotCount; ++i)
        if (shots[i].frame == playFrames) writeShot(shots[i].path);
    if (exitAfterPlayFrames != 0 && playFrames >= exitAfterPlayFrames) app.quit = 1;
}

bool parseInputScript(const char* text, InputScript& script) {
    InputScript parsed = {};
    if (text == nullptr) return false;
    const char* p = text;
    while (*p != '\0') {
        if (parsed.count == kScriptCapacity) return false;
        char kind[16] = {};
        unsigned long frame = 0;
        long x = 0, y = 0;
        int used = 0;
        if (std::sscanf(p, "%lu:%15[a-z]:%ld:%ld%n", &frame, kind, &x, &y, &used) != 4) return false;
        if (frame > 1000000ul || x < -100000 || x > 100000 || y < -100000 || y > 100000) return false;
        int k = -1;
        for (int i = 0; i < kScriptKindCount; ++i)
            if (std::strcmp(kind, kScriptKinds[i]) == 0) k = i;
        if (k < 0) return false;
        if (parsed.count > 0 && parsed.entries[parsed.count - 1].frame > frame) return false;  // in order
        parsed.entries[parsed.count++] = {static_cast<uint32_t>(frame), static_cast<uint8_t>(k),
                                          static_cast<int32_t>(x), static_cast<int32_t>(y)};
        p += used;
        if (*p == ';')
            ++p;
        else if (*p != '\0')
            return false;
    }
    script = parsed;
    return true;
}

void registerPlayScreen() {
    playHooks.gameFrame = runGameFrame;
    playHooks.gameKeyDown = gameKeyDown;
    playHooks.gameLeftDown = gameLeftDown;
    playHooks.gameLeftDoubleClick = gameLeftDoubleClick;
    playHooks.gameLeftUp = gameLeftUp;
    playHooks.gameRightDown = gameRightDown;
    playHooks.gameRightUp = gameRightUp;
    coreHooks.announce = playAnnounce;
    coreHooks.context = nullptr;
    fieldParticleSpawner = spawnFieldParticle;
    playLayers.update = updateLayers;
    playLayers.particles = drawParticleLayer;
    playLayers.spawnParticle = spawnNamedParticle;
    playLayers.hud = drawWholeHud;
    playLayers.tutorialPanel = drawTutorialLayer;
    playLayers.flyingLetters = drawFlyingLetters;
    playLayers.floatingTexts = drawFloatingTexts;
    hudHooks.spawnParticle = spawnNamedParticle;
    clearFieldView(fieldView);
    registerLoadingStep(kLoadGameCore, "field and levels", loadPlayData);
    if (const char* level = std::getenv("QUELMAR_START_LEVEL")) {
        char* end = nullptr;
        const long n = std::strtol(level, &end, 10);
        if (end != level && *end == '\0' && n >= 1 && n <= kLevelCount)
            requestedLevel = static_cast<int>(n - 1);
        else
            std::fprintf(stderr, "QUELMAR_START_LEVEL=%s is not a level number 1..%d; ignored\n", level,
                         kLevelCount);
        registerLoadingStep(kLoadCollection + 5, "start level", startRequestedLevel);
    }
    if (const char* text = std::getenv("QUELMAR_PLAY_SHOTS")) {
        // "frame:path;..." pictures of the scene at chosen play frames.
        const char* p = text;
        while (*p != '\0' && shotCount < kShotCapacity) {
            unsigned long frame = 0;
            int used = 0;
            Shot& shot = shots[shotCount];
            if (std::sscanf(p, "%lu:%239[^;]%n", &frame, shot.path, &used) != 2) break;
            shot.frame = static_cast<uint32_t>(frame);
            ++shotCount;
            p += used;
            if (*p == ';') ++p;
        }
    }
    if (const char* frames = std::getenv("QUELMAR_PLAY_EXIT_AFTER"))
        exitAfterPlayFrames = static_cast<uint32_t>(std::clamp(std::atol(frames), 0l, 1000000l));
    if (const char* text = std::getenv("QUELMAR_PLAY_SCRIPT")) {
        if (!parseInputScript(text, inputScript))
            std::fprintf(stderr, "QUELMAR_PLAY_SCRIPT does not hold together; ignored\n");
    }
}
