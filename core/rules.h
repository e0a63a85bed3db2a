#pragma once
// The rules of play, frame by frame: picking and swapping, runs and their outcome,
// the resolve cycle, power-ups and pick-ups, gravity and refill, the move search and
// the reshuffle, points and the end of a level. Every operation works on the
// GameState it is given; dt is the frame time in ms.
#include "core/field.h"

// --- moves and matching ---
void handleClick(GameState& g, Vec2 point);
// A click on cell (i, j) (anywhere outside the field when it names no open cell): what
// handleClick does once it found the cell under the point.
void handleCellClick(GameState& g, int i, int j);
void pick(GameState& g, int i, int j);
void dropSelection(GameState& g);
void updateDrag(GameState& g);
void trySwap(GameState& g);
void findRuns(GameState& g);
// Marks hits, removals and new power-ups of a pass; true when a cell scored 1.
bool classifyMatches(GameState& g);
bool inRun(GameState& g, int i, int j);  // runs findRuns first
void resolveCycle(GameState& g, float dt);
void removalStep(GameState& g);

// --- power-ups, flying pieces, hammer and clock ---
void setOffPowerups(GameState& g, float delayFactor);
void updateExplosions(GameState& g, float dt);
void addFlyingPiece(GameState& g, int kindPlusOne, Vec2 point, int type);
void updateFlyingPieces(GameState& g, float dt);
bool anyFlyingPiece(const GameState& g);
void collectPickup(GameState& g, int i, int j);
void takeHammer(GameState& g);
void hammerStrike(GameState& g, int i, int j);
void returnHammer(GameState& g, bool fromClick);
void useClock(GameState& g);
// The clock's burn, each frame even while play is frozen.
void updateClockBurn(GameState& g, float dt);
// A sparkle reached the fuse tip: 2000 ms of level time come back.
void sparkleArrived(GameState& g);

// --- gravity, refill, move search ---
bool settled(const GameState& g);
void newPiece(GameState& g, int i, int j);
void gravityStep(GameState& g, float dt);
void pieceMotion(GameState& g, float dt);
void fillField(GameState& g);
int findMoves(GameState& g);  // returns the number of matching swaps
// Whether any swap makes a match; changes nothing and draws no random number.
bool anyMove(GameState& g);
void resetHintTimer(GameState& g);
void updateHintTimer(GameState& g, float dt);
// The hint at once (the H key), when there is a move to show.
void showHintNow(GameState& g);
void noMoves(GameState& g);
void startReshuffle(GameState& g);
void updateReshuffle(GameState& g, float dt);

// --- scoring and level end ---
void countScore(GameState& g, float dt);
void extraLifeTest(GameState& g, long long before, long long after);
void comboWords(GameState& g);
void chainBonus(GameState& g);
void levelClearCheck(GameState& g);
int levelBonusFor(int level, float durationMs);
void updateBonusCountUp(GameState& g, float dt);
void onLevelOverClick(GameState& g);
void levelComplete(GameState& g);
void levelOverAnimation(GameState& g, float dt);
// The level-complete menu was closed with "oknextlevel".
void closeLevelCompleteMenu(GameState& g);

// --- tips (state only; texts and balloons belong to the presentation) ---
void offerTip(GameState& g, int key, float x, float y, float delay, bool modal);
void closeTip(GameState& g);
void updateTip(GameState& g, float dt, bool clicked);
// A won level is banked at once: the count-up finished, progress and records saved,
// the level score added to the total (once, whatever follows). For a player who
// leaves at any moment of the level-over.
void bankWonLevel(GameState& g);
// The time a won level took, as the records and the statistics keep it: the fuse's
// time in classic mode, the time played in endless mode.
float levelTimeMs(const GameState& g);
