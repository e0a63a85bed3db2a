#pragma once
// The game records: the 11 x 12 field of cells, the rings of explosions, flying
// pieces and lightning arcs, and the one GameState that holds the running level.
// Cell, Explosion, FlyingPiece, LightningArc and the small sub-records below have
// fixed byte layouts because a saved game stores them as they are.
#include <cstddef>
#include <cstdint>

constexpr int kRows = 11;
constexpr int kColumns = 12;
constexpr int kCellCount = kRows * kColumns;
constexpr int kFigureTableSize = 17;
constexpr int kMaxSlot = 14;  // highest figure slot a level may place
constexpr int kDefaultFigureCount = 8;
constexpr int kHammerPickup = 100;
constexpr int kClockPickup = 101;
constexpr int kLevelCount = 80;
constexpr float kCellPitch = 50.0f;

enum PowerupKind : int32_t {
    kNoPowerup = 0,
    kBomb = 1,
    kLightning = 2,
    kCrossBomb = 3,
    kDiagonalBomb = 4,
    kStarBomb = 5
};

struct Vec2 {
    float x;
    float y;
};

struct Cell {
    int32_t cover;    // -1 hole, 0 bare, 1..2 cover layers left
    int32_t chained;  // 1 while a chain holds the figure
    int32_t points;   // earned in the current removal step
    // --- piece block: bytes 12..59 travel with the piece ---
    Vec2 offset;            // drawn displacement from the centre; (0,0) = at rest
    int32_t figure;         // -1 empty, 0..14 slot, 100 hammer, 101 clock pick-up
    int32_t frame;          // animation frame 0..31
    int32_t powerup;        // PowerupKind
    int32_t queuedPowerup;  // takes over after the current power-up has gone off
    uint8_t onTop;          // tutorial drawing order
    uint8_t reserved0[3];
    float fallSpeed;    // units per ms, squared in the motion step
    float pickupDelay;  // ms before a resting pick-up is collected
    uint8_t sliding;    // 1 while moving diagonally
    uint8_t reserved1[3];
    float spinTimer;  // drawing
    float spinClock;  // drawing
    // --- end of piece block ---
    Vec2 centre;          // menu space, set when a level starts
    Vec2 cellOffset;      // whole-cell displacement (level-over animation)
    Vec2 cellVelocity;    // whole-cell speed (level-over animation)
    int32_t removeMark;   // 0 none, 1 removed and flies away, 3 removed by lightning
    uint8_t hit;          // breaks one cover layer or the chain in the removal step
    uint8_t swapHint[4];  // right, left, down, up: that swap makes a match
    uint8_t reserved2[3];
    int32_t inRun[2];  // [0] vertical, [1] horizontal
    int32_t runLength[2];
    uint8_t reserved3[8];
    float tileGrow;    // added to the drawn tile half-size
    float blinkTimer;  // ms; also the stagger timer of the level-over animation
};
static_assert(sizeof(Cell) == 128);
static_assert(offsetof(Cell, cover) == 0 && offsetof(Cell, chained) == 4 && offsetof(Cell, points) == 8);
static_assert(offsetof(Cell, offset) == 12 && offsetof(Cell, figure) == 20 && offsetof(Cell, frame) == 24);
static_assert(offsetof(Cell, powerup) == 28 && offsetof(Cell, queuedPowerup) == 32 &&
              offsetof(Cell, onTop) == 36);
static_assert(offsetof(Cell, fallSpeed) == 40 && offsetof(Cell, pickupDelay) == 44 &&
              offsetof(Cell, sliding) == 48);
static_assert(offsetof(Cell, spinTimer) == 52 && offsetof(Cell, spinClock) == 56 &&
              offsetof(Cell, centre) == 60);
static_assert(offsetof(Cell, cellOffset) == 68 && offsetof(Cell, cellVelocity) == 76);
static_assert(offsetof(Cell, removeMark) == 84 && offsetof(Cell, hit) == 88 &&
              offsetof(Cell, swapHint) == 89);
static_assert(offsetof(Cell, inRun) == 96 && offsetof(Cell, runLength) == 104);
static_assert(offsetof(Cell, tileGrow) == 120 && offsetof(Cell, blinkTimer) == 124);

constexpr size_t kPieceBlockOffset = 12;
constexpr size_t kPieceBlockSize = 48;  // bytes 12..59
static_assert(offsetof(Cell, centre) == kPieceBlockOffset + kPieceBlockSize);

struct PieceBlock {
    uint8_t bytes[kPieceBlockSize];
};

struct Explosion {
    int32_t type;  // 0 free, else the PowerupKind
    int32_t row;
    int32_t column;
    Vec2 point;      // the cell centre
    float clock;     // ms; negative while waiting to start
    float duration;  // ms
    uint8_t started;
    uint8_t reserved[3];
};
static_assert(sizeof(Explosion) == 32 && offsetof(Explosion, point) == 12 &&
              offsetof(Explosion, clock) == 20);

enum FlyingPieceType : int32_t {
    kFlyFree = 0,
    kFlyFigure = 1,        // a removed figure falling away
    kFlyHammerBottom = 2,  // pick-ups collected at the bottom row
    kFlyClockBottom = 3,
    kFlyHammerRemoved = 4,  // pick-ups removed from the field
    kFlyClockRemoved = 5,
};

struct FlyingPiece {
    Vec2 point;
    uint8_t reserved0[8];
    Vec2 velocity;  // units per ms
    Vec2 p1;        // start point
    Vec2 p2;        // pull-back point
    Vec2 p3;        // overshoot point
    int32_t kind;   // 0 free; figure slot + 1, or 101 / 102 for the hammer / clock pick-up
    int32_t type;   // FlyingPieceType
    uint8_t reserved1[4];
    float age;  // ms
    uint8_t reserved2[4];
    float angle[2];
    float spin[2];
    float fade;
};
static_assert(sizeof(FlyingPiece) == 88 && offsetof(FlyingPiece, velocity) == 16 &&
              offsetof(FlyingPiece, kind) == 48);
static_assert(offsetof(FlyingPiece, age) == 60 && offsetof(FlyingPiece, angle) == 68 &&
              offsetof(FlyingPiece, fade) == 84);

struct LightningArc {
    Vec2 point;
    uint32_t colour;  // ARGB
    float timer;      // ms
};
static_assert(sizeof(LightningArc) == 16);

// A run record kept only so that saved games carry it; play never reads it.
struct RunRecord {
    uint8_t rows[7];
    uint8_t columns[7];
    uint8_t direction;  // 2 vertical, 3 horizontal
    uint8_t length;
};
static_assert(sizeof(RunRecord) == 16);

struct TipBox {
    uint8_t showing;
    uint8_t modal;
    uint8_t pointing;  // the balloon has a tail pointing at its position
    uint8_t reserved;
    Vec2 position;
    float delay;  // ms
    int32_t key;  // TipKey while showing; not trusted after loading
};
static_assert(sizeof(TipBox) == 20);

struct Selection {
    int32_t pickedColumn;
    int32_t targetColumn;
    int32_t pickedRow;
    int32_t targetRow;
    Vec2 pickedCentre;
    Vec2 targetCentre;
    int32_t state;  // 0 none, 1 a cell is picked
    uint8_t swapBack;
    uint8_t swap;
    uint8_t dragArmed;
    uint8_t reserved;
    float phase;  // radians
    Vec2 dragStart;
};
static_assert(sizeof(Selection) == 52 && offsetof(Selection, state) == 32 &&
              offsetof(Selection, phase) == 40);

struct Hint {
    Vec2 pick;    // B: the figure to pick
    Vec2 target;  // A: where it must go
    float timer;  // ms
    uint8_t showing;
    uint8_t reserved[3];
};
static_assert(sizeof(Hint) == 24);

struct Stock {
    uint8_t hasPickups;
    uint8_t clockRunning;
    uint8_t reserved[2];
    int32_t hammers;
    int32_t clocks;
    float iconRects[8];  // hover rectangles of the two icons (left, top, right, bottom)
    Vec2 hammerIcon;
    Vec2 clockIcon;
    float hammerWobble;  // negative after a grant: the icon wobbles
    float clockWobble;
    float hammerParticle;
    float clockParticle;
    float clockStartLimit;  // time limit when the clock was started
    float burnClock;        // ms of the running clock, 0..3000
    float sparkClock;       // ms since the last sparkle
};
static_assert(sizeof(Stock) == 88 && offsetof(Stock, hammers) == 4 && offsetof(Stock, hammerIcon) == 44);

constexpr int kExplosionCapacity = 50;     // ring: a new explosion overwrites the oldest
constexpr int kFlyingPieceCapacity = 150;  // ring: a new piece overwrites the oldest
constexpr int kLightningArcCapacity = 50;  // list: arcs past the capacity are not drawn
constexpr int kRunRecordCapacity = 50;

enum class TipKey : int32_t {
    None = 0,
    Powerup,
    RelaxTip1,
    TipBusySquare2,
    ChainbTip,
    GameTip1,
    GameTip2,
    GameTip3,
    GameTip4,
    GameTip5,
    GameTip6,
    FirstHammer,
    HummerHelp,
    FirstTime,
    TimeHelp,
    NoMoreMoves,
    UseHammer,
    PowerupLightning,  // Powerup above names the bomb; these the other four kinds
    PowerupCross,
    PowerupDiagonal,
    PowerupStar,
    Count
};

struct GameState {
    // level
    int32_t level;  // 0..79
    uint8_t mode;   // 0 classic, 1 endless
    int32_t figureCount;
    int32_t figureTable[kFigureTableSize];
    int32_t curAnimBack;
    int32_t nextAnimBack;
    // time
    float baseTime;   // s, the level file's "time=" (0: from the tile count)
    float timeLimit;  // ms
    float elapsed;    // ms of level time used
    float playTime;   // ms of play, in both modes (the time the records keep)
    uint8_t timeUp;
    float tickAccumulator;  // ms since the last fuse tick
    // progress
    int32_t tilesLeft;
    int32_t tilesAtStart;
    float progress;
    // score
    int32_t levelScore;
    int32_t displayedScore;
    int32_t bonusTarget;
    int32_t displayedBonus;
    int32_t levelBonus;     // B, the whole bonus of this level
    float countUpClock;     // ms
    float countUpDuration;  // T, ms
    float bonusTickClock;   // ms since the last count-up sound
    float bonusStepClock;   // ms since the last count-up step
    // cascade
    int32_t combo;
    int32_t chainCount;
    int32_t maxCombo;   // highest combo of the level (statistics)
    float resolveWait;  // ms
    uint8_t resolving;
    uint8_t playerMovePending;
    uint8_t movedThisLevel;
    Selection selection;
    Hint hint;
    Stock stock;
    int32_t hammerMode;  // 0 none, 1 armed
    // rings
    Explosion explosions[kExplosionCapacity];
    int32_t nextExplosion;
    FlyingPiece flying[kFlyingPieceCapacity];
    int32_t nextFlying;
    int32_t flyingCounter;  // shared second-angle counter 0, -10, ..., -50
    LightningArc arcs[kLightningArcCapacity];
    int32_t arcCount;
    RunRecord runs[kRunRecordCapacity];
    int32_t runCount;
    // flow
    uint8_t paused;
    float pauseClock;
    uint8_t gameMenuOpen;
    uint8_t transition;
    float transitionClock;
    uint8_t pointerDown;
    uint8_t rightHeld;
    uint8_t clearedWaiting;
    uint8_t bonusCountUp;
    uint8_t levelOver;
    float levelOverClock;
    int32_t levelOverStyle;
    uint8_t completeMenuShown;
    uint8_t completeMenuClosed;  // the "oknextlevel" item was chosen
    uint8_t advanced;
    uint8_t retried;
    uint8_t tipShownThisLevel;
    uint8_t tutorialOn;
    uint8_t noMoves;
    uint8_t reshuffling;
    uint8_t noHint;            // the last move search found no swap: there is no hint to show
    uint8_t levelBanked;       // the won level's score is in the profile's total
    uint8_t fuseBurnt;         // the level clock advanced in this frame
    float reshuffleGenerate;   // 3000 until the new figures are made, then -1
    float reshuffleStepTimer;  // ms
    int32_t reshuffleStep;
    TipBox tip;
    Vec2 pointer;  // menu space
    // The cell cursor of keyboard and pad play (not saved: a loaded game starts without it).
    int32_t cursorRow;
    int32_t cursorColumn;
    uint8_t cursorShown;  // a key moved it since the pointer last moved
    // A demonstration field of the help pages (not saved): no tip, reshuffle or level end
    // comes of it, and the new pieces of its first four columns come from their own
    // queues of four slots each (taken in turn, then again from the first).
    uint8_t demo;
    int8_t demoRefill[4][4];
    uint8_t demoRefillAt[4];
    float animationClock;
    // time-up sequence: which of its moments have passed
    uint8_t timeUpStage;
    uint8_t endedTimeUp;
    // presentation
    float fadeA;
    float fadeB;
    uint32_t fieldColour[2];
    float hudSlide;
    // statistics for tools and the level-complete menu
    int32_t swapsMade;
    int32_t reshuffles;
    int32_t hammersUsed;
    int32_t clocksUsed;
    int32_t powerupsMade[6];
    int32_t powerupsSetOff[6];
    int32_t chainTotal;
    // the field
    Cell cells[kRows][kColumns];
    // reshuffle scratch (not saved)
    PieceBlock oldField[kCellCount];
    PieceBlock newField[kCellCount];
};

extern GameState gameState;  // the program's one running level

// Zeroes the whole state and the field; fades to 255, colours opaque white, HUD icons.
void resetGameState(GameState& g);
// Stores every cell's centre: x = 50 j - 195, y = 248 - 50 i.
void setCentres(GameState& g);
Vec2 cellCentre(int row, int column);
// The cell under a menu-space point; row and column -1 left of or above the field.
void cellAt(float px, float py, int* column, int* row);

inline bool inBounds(int i, int j) {
    return i >= 0 && i < kRows && j >= 0 && j < kColumns;
}
inline bool isValid(const GameState& g, int i, int j) {
    return inBounds(i, j) && g.cells[i][j].cover >= 0;
}
inline bool isOpen(const GameState& g, int i, int j) {
    return g.cells[i][j].cover >= 0;
}
inline bool isMovable(const GameState& g, int i, int j) {
    const Cell& c = g.cells[i][j];
    return c.cover >= 0 && c.figure >= 0 && c.chained == 0;
}
inline bool atRest(const Cell& c) {
    return c.offset.x == 0.0f && c.offset.y == 0.0f;
}
inline bool holds(const GameState& g, int i, int j, int s) {
    return isValid(g, i, j) && g.cells[i][j].figure == s;
}
inline bool isSlot(int figure) {
    return figure >= 0 && figure < 100;
}
inline bool isPickup(int figure) {
    return figure == kHammerPickup || figure == kClockPickup;
}

PieceBlock readPiece(const Cell& c);
void writePiece(Cell& c, const PieceBlock& piece);
// Moves the piece of from into to and empties from.
void movePiece(Cell& to, Cell& from);
void exchangePieces(Cell& a, Cell& b);
// Sum of chains and cover layers still to break.
int countTiles(const GameState& g);
