#include "game/automation.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/app.h"
#include "core/field.h"
#include "core/level.h"
#include "core/profile.h"
#include "core/rules.h"
#include "game/play.h"
#include "game/program.h"
#include "platform/gpu.h"
#include "platform/window.h"
#include "resources/trace.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb_image_write.h>

namespace {

struct Shot {
    uint32_t frame;
    char path[240];
};
constexpr int kShotCapacity = 8;

struct Automation {
    long exitAfterFrames;  // 0: run until closed
    const char* screenshotPath;
    long framesDrawn;
    bool lastFrame;
    int requestedLevel;  // QUELMAR_START_LEVEL, as a level index; -1 none
    InputScript script;
    int nextScripted;
    uint32_t playFrames;  // play-screen frames since start-up
    Shot shots[kShotCapacity];
    int shotCount;
    uint32_t exitAfterPlayFrames;
    bool waiting;             // the field waited for a move at the last play frame
    float fixedStep;          // ms per frame; 0: the clock's
    uint32_t framesTracedAt;  // millisecond clock of the last "frames" line
};
Automation automation = {0, nullptr, 0, false, -1, {}, 0, 0, {}, 0, 0, false, 0, 0};

enum ScriptKind : uint8_t { kMove, kDown, kUp, kDouble, kRight, kRightUp, kKey, kHint, kDud };
constexpr const char* kScriptKinds[] = {"move",    "down", "up",   "double", "right",
                                        "rightup", "key",  "hint", "dud"};
constexpr int kScriptKindCount = 9;
InputScript& inputScript = automation.script;
int& nextScripted = automation.nextScripted;
uint32_t& playFrames = automation.playFrames;

void writePng(const char* path, const std::vector<uint8_t>& rgba, int width, int height) {
    stbi_write_png(path, width, height, 4, rgba.data(), width * 4);
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
    if (gpuReadScene(rgba, &width, &height)) writePng(path, rgba, width, height);
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

// The development start: straight into a level once everything is loaded. The
// once-per-profile tips and the tutorial are taken as seen, so the level itself shows
// at once and scripted input reaches the field, unless QUELMAR_START_NEW_PLAYER asks
// for a player who has seen none of them.
void startRequestedLevelNow() {
    if (gameProfile) {
        const bool newPlayer = std::getenv("QUELMAR_START_NEW_PLAYER") != nullptr;
        std::fill(std::begin(gameProfile->tipFlags), std::end(gameProfile->tipFlags),
                  static_cast<uint8_t>(newPlayer ? 0 : 1));
        gameProfile->gameTip4Count = newPlayer ? 0 : 255;
    }
    startLevel(automation.requestedLevel);  // in the mode the profile is in
    if (const char* hammers = std::getenv("QUELMAR_START_HAMMERS"))
        gameState.stock.hammers = std::clamp(std::atoi(hammers), 0, 9);
}

}  // namespace

void readAutomation() {
    if (const char* frames = std::getenv("QUELMAR_EXIT_AFTER_FRAMES"))
        automation.exitAfterFrames = std::atol(frames);
    automation.screenshotPath = std::getenv("QUELMAR_SCREENSHOT");
    if (const char* step = std::getenv("QUELMAR_FIXED_STEP_MS")) {
        const double ms = std::atof(step);
        if (ms > 0 && ms <= 1000)
            automation.fixedStep = static_cast<float>(ms);
        else
            std::fprintf(stderr, "QUELMAR_FIXED_STEP_MS=%s is not a step of 0..1000 ms; ignored\n", step);
    }
    if (const char* level = std::getenv("QUELMAR_START_LEVEL")) {
        char* end = nullptr;
        const long n = std::strtol(level, &end, 10);
        if (end != level && *end == '\0' && n >= 1 && n <= kLevelCount)
            automation.requestedLevel = static_cast<int>(n - 1);
        else
            std::fprintf(stderr, "QUELMAR_START_LEVEL=%s is not a level number 1..%d; ignored\n", level,
                         kLevelCount);
    }
    if (const char* text = std::getenv("QUELMAR_PLAY_SHOTS")) {
        // "frame:path;..." pictures of the scene at chosen play frames.
        const char* p = text;
        while (*p != '\0' && automation.shotCount < kShotCapacity) {
            unsigned long frame = 0;
            int used = 0;
            Shot& shot = automation.shots[automation.shotCount];
            if (std::sscanf(p, "%lu:%239[^;]%n", &frame, shot.path, &used) != 2) break;
            shot.frame = static_cast<uint32_t>(frame);
            ++automation.shotCount;
            p += used;
            if (*p == ';') ++p;
        }
    }
    if (const char* frames = std::getenv("QUELMAR_PLAY_EXIT_AFTER"))
        automation.exitAfterPlayFrames = static_cast<uint32_t>(std::clamp(std::atol(frames), 0l, 1000000l));
    if (const char* text = std::getenv("QUELMAR_PLAY_SCRIPT")) {
        if (!parseInputScript(text, inputScript))
            std::fprintf(stderr, "QUELMAR_PLAY_SCRIPT does not hold together; ignored\n");
    }
}

float fixedFrameStep() {
    return automation.fixedStep;
}

uint32_t randomSeed(uint32_t clock) {
    const char* seed = std::getenv("QUELMAR_RANDOM_SEED");
    return seed != nullptr && seed[0] != '\0' ? static_cast<uint32_t>(std::strtoul(seed, nullptr, 10))
                                              : clock;
}

void startRequestedLevel() {
    if (automation.requestedLevel >= 0) startRequestedLevelNow();
}

void playScriptedInput() {
    ++playFrames;
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

void traceWaitingMove(const GameState& g, bool fieldBlocked) {
    if (!traceOn()) return;
    // A swap that stood is not resolved until its lines are found: no wait before that.
    const bool now = !fieldBlocked && !g.resolving && !g.playerMovePending && !g.tutorialOn &&
                     g.selection.state == 0 && !g.selection.swap && !g.selection.swapBack && settled(g);
    if (now && !automation.waiting)
        trace("move %.0f %.0f %.0f %.0f", g.hint.pick.x, g.hint.pick.y, g.hint.target.x, g.hint.target.y);
    automation.waiting = now;
}

void afterPlayFrame() {
    for (int i = 0; i < automation.shotCount; ++i)
        if (automation.shots[i].frame == playFrames) writeShot(automation.shots[i].path);
    if (automation.exitAfterPlayFrames != 0 && playFrames >= automation.exitAfterPlayFrames) app.quit = 1;
}

void beforePresent() {
    ++automation.framesDrawn;
    automation.lastFrame =
        automation.exitAfterFrames > 0 && automation.framesDrawn >= automation.exitAfterFrames;
    if (automation.lastFrame && automation.screenshotPath != nullptr) gpuCaptureNextPresent();
}

void afterPresent() {
    // With the clock in the trace, the frames presented so far, once a second: a
    // benchmark's frame rate.
    if (traceClockOn() && millisecondClock() - automation.framesTracedAt >= 1000) {
        automation.framesTracedAt = millisecondClock();
        trace("frames %ld", automation.framesDrawn);
    }
    if (!automation.lastFrame) return;
    if (automation.screenshotPath != nullptr) {
        std::vector<uint8_t> rgba;
        int width = 0, height = 0;
        if (gpuTakeCapture(rgba, &width, &height)) writePng(automation.screenshotPath, rgba, width, height);
    }
    app.quit = 1;
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
