#include "game/automation.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/app.h"
#include "core/announce.h"
#include "core/field.h"
#include "core/level.h"
#include "core/profile.h"
#include "core/rules.h"
#include "game/play.h"
#include "game/program.h"
#include "game/screens.h"
#include "platform/audio_device.h"
#include "platform/gpu.h"
#include "platform/mixer.h"
#include "platform/pad.h"
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
// Requests waiting for their frame; a request beyond them is refused with a message.
constexpr int kRequestCapacity = 16;
constexpr int kRequestLineCapacity = 512;  // a longer line is dropped whole
constexpr int kAudioChunkFrames = 1024;    // mix rendered per pull at most

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
    bool waiting;           // the field waited for a move at the last play frame
    uint32_t waitingSince;  // the play frame it began waiting
    uint32_t hintDelay;     // play frames from a wait to the hinted swap; 0: no automatic player
    float fixedStep;        // ms per frame; 0: the clock's
    uint32_t seed;          // of the random streams under the fixed step
    uint32_t frame;         // frames of the loop begun, from 1
    int requestFile;        // QUELMAR_REQUESTS, -1 none
    char requestLine[kRequestLineCapacity];
    int requestLineLength;  // -1 while a line too long is skipped
    FrameRequest requests[kRequestCapacity];
    int requestCount;
    bool pictureDue;          // a requested picture is taken at this frame's present
    std::FILE* audioCapture;  // QUELMAR_AUDIO_CAPTURE
    double audioFramesOwed;   // the mix's frames the steps so far have asked for and not had
    const char* padCommands;  // the virtual pad's command file, or null
    long padCommandsRead;     // bytes of it carried out
};
Automation automation = {0, nullptr, 0, false, -1, {}, 0,  0, {},    0,       0, false,   0, 0,
                         0, 1,       0, -1,    {}, 0,  {}, 0, false, nullptr, 0, nullptr, 0};

enum ScriptKind : uint8_t { kMove, kDown, kUp, kDouble, kRight, kRightUp, kKey, kHint, kDud, kHints };
constexpr const char* kScriptKinds[] = {"move",    "down", "up",   "double", "right",
                                        "rightup", "key",  "hint", "dud",    "hints"};
constexpr int kScriptKindCount = 10;
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

// The play screen's state beside a picture of it, for the test that checks it.
void writeState(const char* picturePath) {
    char name[260];
    std::snprintf(name, sizeof name, "%s.txt", picturePath);
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

void writeShot(const char* path) {
    std::vector<uint8_t> rgba;
    int width = 0, height = 0;
    if (gpuReadScene(rgba, &width, &height)) writePng(path, rgba, width, height);
    writeState(path);
}

// The development start: straight into a level once everything is loaded. The
// once-per-profile tips and the tutorial are taken as seen, so the level itself shows
// at once and scripted input reaches the field, unless QUELMAR_START_NEW_PLAYER asks
// for a player who has seen none of them.
void startRequestedLevelNow() {
    if (gameProfile) {
        const bool newPlayer = std::getenv("QUELMAR_START_NEW_PLAYER") != nullptr;
        setAllTipFlags(*gameProfile, !newPlayer);
        gameProfile->gameTip4Count = newPlayer ? 0 : 255;
    }
    startLevel(automation.requestedLevel);  // in the mode the profile is in
    if (const char* hammers = std::getenv("QUELMAR_START_HAMMERS"))
        gameState.stock.hammers = std::clamp(std::atoi(hammers), 0, 9);
}

void takeRequestLine(const char* line) {
    FrameRequest request = {};
    if (!parseFrameRequest(line, request)) {
        std::fprintf(stderr, "QUELMAR_REQUESTS: \"%s\" is not a request; ignored\n", line);
        return;
    }
    if (automation.requestCount == kRequestCapacity) {
        std::fprintf(stderr, "QUELMAR_REQUESTS: more than %d requests wait; \"%s\" refused\n",
                     kRequestCapacity, line);
        return;
    }
    automation.requests[automation.requestCount++] = request;
}

// What the test has appended since the last frame, line by line.
void readRequests() {
    if (automation.requestFile < 0) return;
    char bytes[1024];
    ssize_t got = 0;
    while ((got = read(automation.requestFile, bytes, sizeof bytes)) > 0) {
        for (ssize_t i = 0; i < got; ++i) {
            int& length = automation.requestLineLength;
            if (bytes[i] == '\n') {
                if (length > 0) {
                    automation.requestLine[length] = '\0';
                    takeRequestLine(automation.requestLine);
                }
                length = 0;
            } else if (length >= 0 && length + 1 < kRequestLineCapacity) {
                automation.requestLine[length++] = bytes[i];
            } else {
                length = -1;  // too long: skipped up to its end
            }
        }
    }
}

// The marks due at this frame, traced; whether a picture is due at its present.
void carryOutRequests() {
    automation.pictureDue = false;
    for (int i = 0; i < automation.requestCount; ++i) {
        const FrameRequest& request = automation.requests[i];
        if (request.frame > automation.frame) continue;
        if (request.kind == RequestKind::Picture) {
            automation.pictureDue = true;
            continue;  // written after the present
        }
        trace("mark %u", static_cast<unsigned>(request.frame));
        automation.requests[i--] = automation.requests[--automation.requestCount];
    }
}

void writeRequestedPictures(const std::vector<uint8_t>& rgba, int width, int height) {
    for (int i = 0; i < automation.requestCount; ++i) {
        const FrameRequest& request = automation.requests[i];
        if (request.kind != RequestKind::Picture || request.frame > automation.frame) continue;
        // Written whole under another name first: a reader never sees half a picture.
        char part[sizeof request.path + 8];
        std::snprintf(part, sizeof part, "%s.part", request.path);
        writePng(part, rgba, width, height);
        if (onPlayScreen()) writeState(request.path);
        if (std::rename(part, request.path) == 0)
            trace("picture %s", request.path);
        else
            trace("picture %s not written", request.path);
        automation.requests[i--] = automation.requests[--automation.requestCount];
    }
}

// Whether the field waits for the player's move now.
bool waitsForMove(const GameState& g, bool fieldBlocked) {
    // A swap that stood is not resolved until its lines are found: no wait before that.
    return !fieldBlocked && !g.resolving && !g.playerMovePending && !g.tutorialOn && g.selection.state == 0 &&
           !g.selection.swap && !g.selection.swapBack && settled(g);
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
    if (const char* seed = std::getenv("QUELMAR_SEED"))
        automation.seed = static_cast<uint32_t>(std::strtoul(seed, nullptr, 10));
    if (const char* requests = std::getenv("QUELMAR_REQUESTS")) {
        automation.requestFile = open(requests, O_RDONLY | O_CREAT | O_CLOEXEC, 0644);
        if (automation.requestFile < 0)
            std::fprintf(stderr, "QUELMAR_REQUESTS=%s cannot be opened; no requests\n", requests);
    }
    if (const char* capture = std::getenv("QUELMAR_AUDIO_CAPTURE")) {
        if (automation.fixedStep <= 0)
            std::fprintf(stderr, "QUELMAR_AUDIO_CAPTURE needs QUELMAR_FIXED_STEP_MS; ignored\n");
        else if ((automation.audioCapture = std::fopen(capture, "wb")) == nullptr)
            std::fprintf(stderr, "QUELMAR_AUDIO_CAPTURE=%s cannot be written; ignored\n", capture);
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
    automation.padCommands = std::getenv("QUELMAR_VIRTUAL_PAD");
    if (const char* text = std::getenv("QUELMAR_PLAY_SCRIPT")) {
        if (!parseInputScript(text, inputScript))
            std::fprintf(stderr, "QUELMAR_PLAY_SCRIPT does not hold together; ignored\n");
    }
}

float fixedFrameStep() {
    return automation.fixedStep;
}

uint32_t randomSeed(uint32_t startSeed) {
    return automation.fixedStep > 0 ? automation.seed : startSeed;
}

const AudioBackend* soundOutput() {
    return automation.fixedStep > 0 ? pulledAudioBackend() : deviceAudioBackend();
}

void beginAutomationFrame() {
    ++automation.frame;
    setTraceFrame(automation.frame);
    readRequests();
    carryOutRequests();
}

void endAutomationFrame() {
    setTraceFrame(automation.frame + 1);  // input read between frames belongs to the next
}

void pullFrameAudio(float ms) {
    if (automation.fixedStep <= 0) return;
    // The fraction of a frame of the mix a step leaves over is owed to the next step, so
    // the music never drifts from the frames.
    automation.audioFramesOwed += static_cast<double>(ms) * kMixRate / 1000.0;
    float chunk[2 * kAudioChunkFrames];
    while (automation.audioFramesOwed >= 1.0) {
        const int frames = static_cast<int>(std::min(automation.audioFramesOwed, double{kAudioChunkFrames}));
        pullAudio(chunk, frames);
        automation.audioFramesOwed -= frames;
        if (automation.audioCapture != nullptr)
            std::fwrite(chunk, sizeof(float), static_cast<size_t>(frames) * 2, automation.audioCapture);
    }
    if (automation.audioCapture != nullptr) std::fflush(automation.audioCapture);
}

void traceInput(const PlatformEvent& event) {
    if (!traceOn()) return;
    switch (event.type) {
        case PlatformEventType::KeyDown:
            trace("input key %d", event.key);
            break;
        case PlatformEventType::MouseMove:
            trace("input pointer %d %d", event.x, event.y);
            break;
        case PlatformEventType::LeftDown:
            trace("input down %d %d", event.x, event.y);
            break;
        case PlatformEventType::LeftUp:
            trace("input up %d %d", event.x, event.y);
            break;
        case PlatformEventType::LeftDoubleClick:
            trace("input double %d %d", event.x, event.y);
            break;
        case PlatformEventType::RightDown:
            trace("input right down %d %d", event.x, event.y);
            break;
        case PlatformEventType::RightUp:
            trace("input right up %d %d", event.x, event.y);
            break;
        case PlatformEventType::Quit:
            trace("input quit");
            break;
        case PlatformEventType::Close:
            trace("input close");
            break;
        case PlatformEventType::Activated:
            trace("input activated");
            break;
        case PlatformEventType::Deactivated:
            trace("input deactivated");
            break;
        default:
            break;  // key up, the other buttons, size changes
    }
}

void traceTip(const Announcement& what) {
    if (!traceOn()) return;
    const char* name = what.name != nullptr ? what.name : "?";
    if (what.kind == Announce::TipShown)
        trace("tip %s shown modal %d", name, what.value);
    else if (what.kind == Announce::TipClosed)
        trace("tip %s closed", name);
}

void startRequestedLevel() {
    if (automation.requestedLevel >= 0) startRequestedLevelNow();
}

void playScriptedInput() {
    ++playFrames;
    // The automatic player: the hinted swap, a set number of frames into each wait.
    if (automation.hintDelay > 0 && automation.waiting &&
        playFrames - automation.waitingSince == automation.hintDelay) {
        clickAt(gameState.hint.pick);
        clickAt(gameState.hint.target);
    }
    while (nextScripted < inputScript.count && inputScript.entries[nextScripted].frame <= playFrames) {
        const ScriptedInput& in = inputScript.entries[nextScripted++];
        if (in.kind == kHints) {
            automation.hintDelay = static_cast<uint32_t>(std::max(in.x, 0));
            continue;
        }
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
    const bool now = waitsForMove(g, fieldBlocked);
    if (now && !automation.waiting) {
        automation.waitingSince = playFrames;
        trace("move %.0f %.0f %.0f %.0f", g.hint.pick.x, g.hint.pick.y, g.hint.target.x, g.hint.target.y);
    }
    automation.waiting = now;
}

void afterPlayFrame() {
    for (int i = 0; i < automation.shotCount; ++i)
        if (automation.shots[i].frame == playFrames) writeShot(automation.shots[i].path);
    if (automation.exitAfterPlayFrames != 0 && playFrames >= automation.exitAfterPlayFrames) app.quit = 1;
}

bool applyPadCommandLine(const char* line) {
    char word[16] = {}, name[16] = {};
    int x = 0, y = 0;
    if (std::sscanf(line, "%15s", word) != 1) return false;
    if (std::strcmp(word, "plug") == 0) return attachVirtualPad();
    if (std::strcmp(word, "unplug") == 0) {
        detachVirtualPad();
        return true;
    }
    if (std::strcmp(word, "stick") == 0 && std::sscanf(line, "%*s %d %d", &x, &y) == 2) {
        setVirtualPadAxis(0, x);
        setVirtualPadAxis(1, y);
        return true;
    }
    const bool down = std::strcmp(word, "down") == 0;
    if (!down && std::strcmp(word, "up") != 0) return false;
    if (std::sscanf(line, "%*s %15s", name) != 1 || padButtonNamed(name) < 0) return false;
    setVirtualPadButton(padButtonNamed(name), down);
    return true;
}

void applyPadCommand() {
    if (automation.padCommands == nullptr) return;
    std::FILE* file = std::fopen(automation.padCommands, "rb");
    if (file == nullptr) return;
    char line[128];
    if (std::fseek(file, automation.padCommandsRead, SEEK_SET) == 0 &&
        std::fgets(line, sizeof line, file) != nullptr) {
        const size_t length = std::strlen(line);
        // Only a whole line: the test may be writing the rest of it just now.
        if (length > 0 && line[length - 1] == '\n') {
            automation.padCommandsRead += static_cast<long>(length);
            line[length - 1] = 0;
            const bool done = applyPadCommandLine(line);
            trace("pad command %s%s", line, done ? "" : " refused");
        }
    }
    std::fclose(file);
}

void beforePresent() {
    ++automation.framesDrawn;
    automation.lastFrame =
        automation.exitAfterFrames > 0 && automation.framesDrawn >= automation.exitAfterFrames;
    if ((automation.lastFrame && automation.screenshotPath != nullptr) || automation.pictureDue)
        gpuCaptureNextPresent();
}

void afterPresent() {
    if (!automation.lastFrame && !automation.pictureDue) return;
    std::vector<uint8_t> rgba;
    int width = 0, height = 0;
    const bool captured = gpuTakeCapture(rgba, &width, &height);
    if (automation.pictureDue) {
        automation.pictureDue = false;
        if (captured) writeRequestedPictures(rgba, width, height);
    }
    if (!automation.lastFrame) return;
    if (automation.screenshotPath != nullptr && captured)
        writePng(automation.screenshotPath, rgba, width, height);
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

bool parseFrameRequest(const char* line, FrameRequest& request) {
    FrameRequest parsed = {};
    unsigned long frame = 0;
    int used = 0;
    if (std::sscanf(line, "mark %lu%n", &frame, &used) == 1 && line[used] == '\0') {
        parsed.kind = RequestKind::Mark;
    } else if (std::sscanf(line, "picture %lu %n", &frame, &used) == 1 && line[used] != '\0' &&
               std::strlen(line + used) < sizeof parsed.path) {
        parsed.kind = RequestKind::Picture;
        std::strcpy(parsed.path, line + used);
    } else {
        return false;
    }
    if (frame > 100000000ul) return false;
    parsed.frame = static_cast<uint32_t>(frame);
    request = parsed;
    return true;
}
