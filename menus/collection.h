#pragma once
// The quelmar of a zone and its cover: how many of the cover's ten pieces are open,
// the piece animation after a won level (the pieces just opened blink, then stay
// open) and the collection animation after the last level of a zone (the finished
// quelmar rises, is presented in a frame until the player goes on, then flies to its
// place in the ring). Plain state and free functions; the zone map drives them each
// frame and draws from them (menus/zone_map_view.cpp).
#include <cstdint>

constexpr int kCoverPieces = 10;
constexpr float kPieceSpin = 0.007f;                // the blink's angular speed, per ms
constexpr float kPieceAnimationEnd = 15.707964f;    // five half-turns of the blink (about 2244 ms)
constexpr float kRiseMs = 1500, kPresentMs = 500;   // phases A and B
constexpr float kShrinkMs = 500, kFlightMs = 2000;  // phases C and D
constexpr float kIconFadeMs = 1000;                 // the next zone's icon lighting up

// Offsets of the ten pieces from the medallion centre, in opening order.
struct PieceOffset {
    float x, y;
};
extern const PieceOffset kPieceOffsets[kCoverPieces];

struct CollectionState {
    bool pieceActive;    // the piece animation runs
    float pieceTimer;    // ms since it started
    int32_t openNow;     // pieces open now, 0..10
    int32_t openBefore;  // pieces open before the last won level, 0..10
    bool active;         // the collection animation runs (phases A to D)
    bool phaseA, phaseB, phaseC, phaseD;
    float timerA, timerB, timerC, timerD;  // ms within each phase
    bool iconFade;                         // the next zone's icon lights up
    float iconFadeLeft;                    // ms, counting down from 1000
};

void clearCollection(CollectionState& c);

// Zone arithmetic over the ten zones of 5, 5, 6, 7, 8, 9, 10, 10, 10 and 10 levels.
int levelsInZone(int zone);      // 0 outside 0..9
int firstLevelOfZone(int zone);  // 80 for zone 10

// 10 x steps / levels rounded to the nearest whole piece (adding 0.5 and cutting).
int piecesFor(int steps, int levels);

// The open pieces before drawing the medallion. zone and level are the map's selected
// zone and level, finished the number of finished zones, levelInZone the profile's
// position within its zone.
void countOpenPieces(CollectionState& c, int zone, int level, int finished, int levelInZone);

// The right-hand picture for a level: 0..4, changing every three levels.
int rightPicture(int level);
// Whether the picture changed with this level (levels 3, 6, 9, ...).
bool rightPictureChanged(int level);

// What a frame of the animations asks the zone map to do.
struct CollectionEvents {
    bool piecesOpened;     // first frame of the piece animation: effects and sound
    bool quelmarComplete;  // the piece animation ended on a finished zone: collection starts
    bool holdStarted;      // phase B reached its end: the quelmar waits for "continue1"
    bool collectionDone;   // phase D ended: the quelmar is in its place
};

// One frame: the piece animation, then the collection phases, then the icon fade.
// zoneComplete says the profile's position is at the start of a zone (the zone was
// just finished), which turns the end of the piece animation into the collection.
CollectionEvents advanceCollection(CollectionState& c, float dt, bool zoneComplete);

// Phase B has reached its end and waits for the player ("continue1").
bool collectionHolding(const CollectionState& c);
// The player chose "continue1" during the hold: the frame starts shrinking (phase C).
// False (nothing changes) when not holding.
bool continueCollection(CollectionState& c);
// A piece animation or the collection animation runs.
bool collectionAnimating(const CollectionState& c);

// Where the rising, presented and flying quelmar is drawn: a square of side `side`
// centred on (x, y), and, in phases B and C, a window frame of side frameSide behind
// it (0 for none). (zoneX, zoneY) is the centre of the finished zone's icon.
struct QuelmarPose {
    float x, y, side;
    float frameSide;
};
QuelmarPose collectionPose(const CollectionState& c, float zoneX, float zoneY);

// Alpha (0..255) of the blinking cover and the cross-fading pictures at piece time t.
int blinkAlpha(float t);
int blinkAlphaInverse(float t);
