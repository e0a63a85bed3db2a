#pragma once
// Living backgrounds: thirteen painted backs, each with scenery elements from its scene
// file (scrolling sky, flowing falls and water, spray droplets, swaying leaves and
// decorations), a colour tint over the whole scene, and the transition that carries one
// back into the next between levels. One state for the program, drawn behind the play
// field and the menus.
#include <cstdint>

#include "presentation/game_objects.h"
#include "resources/vector_math.h"

struct TextureRecord;
struct Announcement;
struct GameState;

constexpr int kBackCount = 13;
constexpr int kScenesAtStart = 11;  // scene files 0..10 are read with the data, the others on demand
constexpr int kSceneryElementCapacity = 64;
constexpr int kDropletCapacity = 256;
constexpr int kLeafQueueCapacity = 128;
constexpr float kBackTransitionMs = 3000.0f;
constexpr float kBackFadeMs = 2000.0f;  // the last part of the transition, in which the next back fades in

enum class SceneryKind : uint8_t { Decoration, Sky, Waterfall, Water, Spray, Leaves, Leaves1, Leaves2 };

// The behaviour an object name asks for: "sky", then "waterfall", "water", "spray",
// "leaves" ("leaves1" and "leaves2" swing their own way); anything else is a decoration.
SceneryKind sceneryKindOf(const char* objectName);

struct SceneryElement {
    const GameObject* object;
    TextureRecord* texture;  // the object's; null draws nothing
    float x0, y0, x1, y1;    // menu space
    float rotation;          // degrees
    float vx, vy;
    uint8_t mirrored;
    int32_t early;
    uint32_t colour;  // ARGB
    float phase;      // ms
    uint8_t drawnEarly;
    SceneryKind kind;
};

struct SceneryList {
    SceneryElement elements[kSceneryElementCapacity];
    int count;
    int32_t index;  // the back it belongs to, -1 for none
};

struct Droplet {
    float x, y;
    float life;  // ms left, 2000 at birth; 0 is a free slot
    float depth;
    TextureRecord* texture;
};

struct LeafQuad {
    float x, y;
    Vector2 pivot;
    float rotation;
    float width, height;
    uint32_t colour;
    TextureRecord* texture;
    uint8_t mirrored;
};

// How much of the back picture is see-through, in square tiles of kCoverTile units (the
// picture's texels), row by row from the top-left of the screen: what lies under its
// opaque tiles is never drawn, its clear tiles are left out and its opaque tiles are
// drawn without blending, so a frame fills far fewer pixels for the same picture.
constexpr int kCoverTile = 20;
constexpr int kCoverColumns = 800 / kCoverTile, kCoverRows = 600 / kCoverTile;
struct PictureCover {
    uint8_t tiles[kCoverRows][kCoverColumns];  // TileCover: clear, partial or opaque
};

// Background modes of the menu screen: what stands behind the menus.
enum SceneryBackgroundMode : int32_t {
    kBackgroundScenery = 0,  // the living back
    kBackgroundMap = 1,      // the zone map draws its own picture
    kBackgroundCredits = 4,  // the living back, dimmed by the credits' tint
};

struct SceneryState {
    TextureRecord* picture;  // the current back's picture
    int32_t backIndex;       // -1 before the first back
    float transitionAlpha;   // 0..1, the incoming back's opacity
    TextureRecord* incomingPicture;
    PictureCover cover;          // of the picture
    PictureCover incomingCover;  // of the incoming picture
    int32_t incomingIndex;       // -1 for none
    float transitionClock;       // ms left of the transition; 0 when idle
    SceneryList elements;
    SceneryList incomingElements;
    Droplet droplets[kDropletCapacity];
    int32_t nextDroplet;
    LeafQuad leaves[kLeafQueueCapacity];
    int32_t leafCount;
    float tint[4];        // red, green, blue, alpha now
    float tintTarget[4];  // where the tint eases to
    float menuDim;        // factor on the tint while a game menu is over the field; 1 = none
    int32_t backgroundMode;
    float clock;  // ms, drives the scrolling
};

extern SceneryState scenery;

int clampBackIndex(int index);  // 0..12; anything else is 0

// Fills the list from the scene file of that back (read from memory or disk). Elements
// whose object is not known are skipped; a missing or damaged file gives fewer or none.
// randomPhases gives each element a phase in 0..500 ms.
void loadSceneList(SceneryList& list, int index, const GameObjectTable& objects, bool randomPhases);
// The same from bytes already in hand.
void fillSceneList(SceneryList& list, int index, const uint8_t* data, size_t size,
                   const GameObjectTable& objects, bool randomPhases);

void resetScenery(SceneryState& s);  // no back, white tint, empty pools
void setBack(SceneryState& s, int index);
void preloadNextBack(SceneryState& s, int index);  // the picture of the back that follows this level
void beginBackTransition(SceneryState& s, int index);
bool backTransitionRunning(const SceneryState& s);

// Tint kinds: 0 cool, 1 warm, 2 neutral, 3 dimmed (behind the credits).
void setTintTarget(SceneryState& s, int kind);
void setTintNow(SceneryState& s, int kind);  // current and target at once
void setTintTargetColour(SceneryState& s, float r, float g, float b, float a);
// The level clock running out: grey k = remaining / 20000 x 0.5 + 0.5 under 20 s left.
void setTintForTimeLeft(SceneryState& s, float remainingMs);
// While a game menu is open over the field the scene is dimmed to 0.8 + 0.2 fadeProgress.
void setSceneryMenuDim(SceneryState& s, bool gameMenuOpen, float fadeProgress);

// Per frame: the tint eases, the elements' clocks run, spray droplets are born and age.
void updateScenery(SceneryState& s, float dt);
// The back with its elements, droplets and leaves, under the tint; leaves the tint white.
void drawScenery(SceneryState& s);
// The transition screen: the old back drifting and zooming away while the next fades
// in; when it ends the next back is the current one. Advances the transition by dt.
void drawSceneryTransition(SceneryState& s, float dt);

// One call for a frame of the play field's background or the menu screen's: update, then
// draw (the transition while one runs). In background mode 1 nothing is drawn. The play
// screen passes whether a game menu is open over the field and that menu's fade progress
// (0 fully shown), which dims the scene; the menu screen passes nothing.
void sceneryFrame(float dt, bool gameMenuOpen = false, float fadeProgress = 0);

// What stands behind the menus (kBackgroundScenery, kBackgroundMap, kBackgroundCredits).
void setBackgroundMode(int mode);

// The game core's requests for the scenery: the back to show (at level start, or the
// next back when a won level hands over to the transition), the tint, and the per-level
// state being cleared. Other requests are ignored.
void sceneryAnnouncement(const Announcement& what, const GameState& g);

// The menus' requests of the program's one scenery.
void sceneryMenuTint(int tint);    // 0 full colour, 1 dimmed (behind the credits)
void sceneryMenuBack(int number);  // the back behind the menus

// Reads the game objects and the scene files the game starts with; a deferred loading step.
void loadScenery();
