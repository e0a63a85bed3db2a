#pragma once
// The game frame the play screen runs: the core reads the cursor and advances by the
// frame time, then the play screen is composed back to front. The game core's
// announcements arrive here and become sounds, music, shakes and break pieces; the
// rest is handed to whichever part registered for that kind of announcement.
#include <cstdint>

#include "core/announce.h"

struct GameState;

// The layers of the play screen that other parts draw. Each may be null; the frame
// calls them in its fixed order.
struct PlayLayers {
    void (*update)(float dt);      // per-frame animation of the layers, before drawing
    void (*transition)();          // the picture between two levels (instead of everything)
    void (*background)();          // scenery behind the field
    void (*sidePanel)();           // panel, hearts, menu button
    void (*timeBar)();             // time bar with barrel and fuse
    void (*stock)();               // hammers and clocks
    void (*pauseTexts)();          // pause and "keytoresume"
    void (*noMovesMessage)();      // "nomoremoves"
    void (*particles)(int layer);  // the particle draw queue of a layer
    void (*flyers)();              // flyers of the HUD
    void (*hud)();                 // the whole HUD in one call, over the field and its particles
    void (*tutorialPanel)();       // the tutorial's instruction panel
    void (*scorePopups)();         // rising score texts
    void (*flyingLetters)();
    void (*floatingTexts)();
    void (*spawnParticle)(const char* templateName, float x, float y);  // single particles of the field
};
extern PlayLayers playLayers;

// One handler per kind of announcement that this frame does not carry out itself
// (effects, popups, texts, tips, menus, scenery, saving). Null drops the request.
using PlayAnnounceHandler = void (*)(const Announcement& what);
void setPlayAnnounceHandler(Announce kind, PlayAnnounceHandler handler);

// The sink installed into the game core.
void playAnnounce(void* context, const Announcement& what);

// The frame itself: cursor, core update, field shake, then drawing in order.
void runGameFrame();
// Whether the frame advances the game: not once a switch to another screen is pending,
// so the last picture of a play screen being left never plays on (the help screen's
// tutorial has no level under it, and a level ended by a menu stays as it was).
bool gameRunsThisFrame();
// Drawing only (the benchmark measures it apart from the update).
void composePlayScreen(GameState& g, float dt);

// Hooks of the play screen for the game, the core's sink, the loading of the field
// pictures and level files, and the development start straight into a level
// (QUELMAR_START_LEVEL=n, n = 1..80, with a blank profile). Called once at start-up.
void registerPlayScreen();

// Test automation (QUELMAR_PLAY_SCRIPT): input events played into the real event
// handler at chosen frames of the play screen, as "frame:kind:x:y" entries separated by
// ';' (kind = move, down, up, double, right, rightup, key; key uses x as the key code).
// Parses a script; false when it does not hold together (nothing is kept then).
struct ScriptedInput {
    uint32_t frame;
    uint8_t kind;
    int32_t x;
    int32_t y;
};
constexpr int kScriptCapacity = 64;
struct InputScript {
    ScriptedInput entries[kScriptCapacity];
    int count;
};
bool parseInputScript(const char* text, InputScript& script);
