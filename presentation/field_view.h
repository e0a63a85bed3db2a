#pragma once
// The play field on screen: cell tiles with their checkerboard and blinking covers, the
// figures with their turn animation and every highlight that answers the pointer, the
// power-up markers, chains, hint arrows, lightning bolts, the figures in flight and the
// flying quarters of broken covers. Drawing only reads the game state; the animation
// state that belongs to the picture alone (shake, break pieces, marker arcs, queued
// bolts) lives in the FieldView record.
#include <cstdint>

#include "core/field.h"

struct DemoField;
struct TextureRecord;

constexpr int kBreakPieceCapacity = 100;  // ring: the 101st piece replaces the oldest
constexpr int kMarkerArcCount = 8;        // arcs around a lightning power-up
constexpr int kBoltCapacity = 63;         // bolts drawn per frame; later requests are dropped
constexpr int kBoltPointCapacity = 99;    // points of one bolt's jagged core
constexpr int kSheetSlots = 17;           // figure-table entries that may name a sheet
constexpr int kSheetFrames = 32;          // 8 x 4 frames
constexpr float kSheetFrameMs = 30.0f;
constexpr float kTileHalf = 25.9f;
constexpr float kFigureHalf = 24.2f;  // sheets are drawn 48.4 units wide
constexpr float kShakeMs = 150.0f;
constexpr float kBreakPieceLifeMs = 700.0f;

struct BreakPiece {
    uint8_t active;
    uint8_t reserved[3];
    int32_t kind;  // 1 or 2: the cover tile that broke
    float age;     // ms
    Vec2 position;
    Vec2 direction;      // unit length
    float sparkleClock;  // ms
};
static_assert(sizeof(BreakPiece) == 32);

struct MarkerArc {
    Vec2 from;  // relative to the cell centre
    Vec2 to;
    float timer;  // ms; a new arc is drawn when it runs out
};

struct Bolt {
    Vec2 from;
    Vec2 to;
    uint32_t alpha;  // 0..255 for the core and the glow band
};

struct FieldView {
    uint8_t shaking;
    float shakeClock;  // ms
    Vec2 shake;        // the current translation of the field
    BreakPiece pieces[kBreakPieceCapacity];
    int32_t lastPiece;  // slot of the newest piece; the next one takes the slot after it
    MarkerArc arcs[kMarkerArcCount];
    Bolt bolts[kBoltCapacity];
    int32_t boltCount;
};

extern FieldView fieldView;  // the play screen's one field

struct FieldTextures {
    TextureRecord* sheets[kSheetSlots];  // 0..9 figure kinds, 10 hammer, 11 clock; the rest empty
    TextureRecord* tiles[7];  // bare, cover 1, cover 2, bare (dark square), blink 1, blink 2, hammer glow
    TextureRecord* chain;
    TextureRecord* flare;
    TextureRecord* chute;
    TextureRecord* tipMark;
    TextureRecord* crossMarker;
    TextureRecord* starMarker;
    TextureRecord* backing;
    TextureRecord* atlas;  // the particle cells: bomb glow and hint arrows
};
extern FieldTextures fieldTextures;

// Loads every picture above once, after the packs are open (a missing one is fatal).
void loadFieldTextures();

// What one frame of field drawing needs besides the game state.
struct FieldFrame {
    uint32_t colour;  // field colour: tints everything, caps every highlight's alpha
    float clock;      // ms, the game clock
    float dt;         // ms since the last frame
    Vec2 pointer;     // menu space; the keys' cursor cell's centre while it shows
    int pointerMode;  // 0 arrow, 1 hammer armed, 2 hand
    bool blocked;     // level over, a menu or modal tip up, paused: nothing is hovered
    // Only a tip or a box stands over the field: its power-up markers still show (a tip
    // may be pointing at one).
    bool markersShown = false;
    // The keys' cursor shows on the pointer's cell; picked: the piece under it is picked
    // and waits for an arrow.
    bool cursor = false;
    bool picked = false;
};

// ---- state changes (no drawing; tests drive these) ----
void clearFieldView(FieldView& view);  // a new level: no pieces, arcs restart, no shake
void startFieldShake(FieldView& view);
void updateFieldShake(FieldView& view, float dt);
void spawnBreakPiece(FieldView& view, float x, float y, int kind);
void updateMarkerArcs(FieldView& view, float dt);
// Queues a bolt for this frame's bolt pass; false when the frame's queue is full.
bool queueBolt(FieldView& view, Vec2 from, Vec2 to, uint32_t alpha);

// The cell a figure counts as hovered in, or false when none is (blocked, off the grid).
bool hoveredCell(const GameState& g, const FieldFrame& frame, int* row, int* column);
// One step of a figure's turn: turns while hovered, finishes its turn back to frame 0
// after the pointer leaves.
void advanceSpin(Cell& cell, bool hovered, float dt);
// The highlight alpha a (0..255) limited to the field colour's alpha.
uint32_t limitAlpha(float a, uint32_t fieldColour);
// The hint arrows' direction in degrees from the target A and the figure to pick B.
float hintAngle(Vec2 a, Vec2 b);
// The hint arrows at hint timer h (ms, from 0 down to -3000 while they show): their
// brightness (0..255, before the field colour's cap) and how far they reach out from
// their cells toward each other (units).
struct HintPulse {
    float brightness;
    float reach;
    float size;  // side of the arrow pictures, units
};
HintPulse hintPulse(float h);
// The cursor's frame at game clock t (ms): its opacity 0..255, steady once a piece is
// picked under it.
uint32_t cursorAlpha(float t, bool picked);

// ---- drawing ----
// The whole field in the field view: tiles, figures with their highlights and markers,
// chains, hint arrows, break pieces. Advances the animation that lives in the cells
// (spin, blink) and the arc timers. Each picture is drawn in one pass over the field so
// that the grid takes a few dozen batches rather than several per cell.
void drawField(const GameState& g, const FieldFrame& frame);
// The figures under and beside the pointer turn: their spin clocks advance by the frame's
// time (before drawing; drawing itself changes nothing of the game).
void advanceFigureSpins(GameState& g, const FieldFrame& frame);
// The removed figures and pick-ups in flight, drawn after the field.
void drawFlyingPieces(GameState& g, const FieldFrame& frame, bool spawnTrails);
// The bolts queued this frame, additively, then the queue empties.
void drawQueuedBolts(FieldView& view);
// The flying quarters of broken covers (drawField draws them; the tutorial panel, which
// has no field, draws those of its demonstration here). Advances and frees them.
void drawBreakPieces(FieldView& view, float dt);

// One 4 x 4 demonstration field of the tutorial with the field's own pictures: tiles in
// their checkerboard (covers when covers is set, blinking as on the field), the tip
// marks on the two cells of the swap being shown, and the figures, those being swapped
// over the others. table maps figure slots to sheets. A figure under pointer turns as
// it does under the player's pointer. colour tints everything (its alpha fades it).
void drawDemoField(DemoField& field, const int32_t* table, bool covers, uint32_t colour, float dt);
// Whether the demonstration shows the tip marks: from aiming at the swap's first cell
// until the swapped figures have settled.
bool demoMarksShown(const DemoField& field);
