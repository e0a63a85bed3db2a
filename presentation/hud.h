#pragma once
// The heads-up display of the play screen: the side panel (score, level, lives or mode,
// the menu button) with its slide, the level clock as a fuse burning into a barrel, the
// stock of hammers and clocks, the level-bonus count-up, the points rising from removed
// figures, the sparks flying between fuse, barrel and clock stock, and the pause, resume
// and "nomoremoves" messages. Everything is in menu space (centre origin, y up).
#include <cstdint>

struct Announcement;
struct GameState;

constexpr int kScorePopupCapacity = 64;  // ring: a new popup overwrites the oldest
constexpr int kFlyerCapacity = 128;      // ring: a new flyer overwrites the oldest

struct ScorePopup {
    int32_t points;
    float x, y;
    float vx, vy;  // units per ms
    float size, sizeSpeed;
    float alpha, alphaSpeed;  // 0..255, per ms
};

struct Flyer {
    uint8_t active;
    int32_t kind;  // 0: a spark into the barrel; 1: time from a burning clock to the fuse tip
    float startX, startY;
    float x, y;
    float targetX, targetY;
    float vx, vy;  // units per ms
    float angle, spin;
    float age;    // ms, freed at 3000
    float trail;  // ms since the last trail particle
    uint32_t colour;
};

struct HudState {
    ScorePopup popups[kScorePopupCapacity];
    int nextPopup;
    Flyer flyers[kFlyerCapacity];
    int nextFlyer;
    float heartPulse;  // ms since a life was gained or lost; pulses while below 2400
    bool heartPulsing;
    float menuHover;   // ms the pointer has been over the menu button
    float throbClock;  // the barrel's throb once the time is used up
    float throbFrequency, throbAmplitude;
    float sparkClock;  // ms since the last spark at the fuse tip
    float bonusFlyerClock;
    float fuseLinear, fuseQuadratic;  // the count-up's fuse curve, from the game core
    float hammerHover, clockHover;    // ms the pointer has been over each icon
    float noMovesShake;               // ms left of the "nomoremoves" text's shake
    float shakeX, shakeY;
};
extern HudState hudState;  // the play screen's one HUD

// ---- For the play screen -------------------------------------------------------------------

// Empties the popups and flyers and resets the clocks: when a level is loaded.
void clearHud(HudState& hud);
// Handles the announcements the HUD and the floating texts show (score popups, floating
// texts, flying letters, sparkles, heart pulse, fuse curve, dropped sparkles, the
// "nomoremoves" shake, the per-level clear). Returns false for any other kind.
bool hudAnnouncement(HudState& hud, GameState& g, const Announcement& what);
bool hudAnnouncement(const Announcement& what);  // the global HUD and game state

// Loads the HUD's pictures (once, after the packs are open; the play screen's loading).
void loadHudTextures();

// The HUD's frame: panel slide, flyers reaching their target (a time sparkle gives the
// game its 2000 ms back), clocks. Once per frame before drawing.
void updateHud(HudState& hud, GameState& g, float dtMs);
// The HUD's layers, each in the game's first font; the play screen draws them in its
// order: time bar (before the field), side panel, stock, pause texts, "nomoremoves",
// flyers, score popups.
void drawHudTimeBar(HudState& hud, GameState& g);  // barrel, fuse, bonus (only where shown)
void drawHudSidePanel(HudState& hud, GameState& g);
void drawHudStock(HudState& hud, GameState& g);
void drawPauseTexts(const GameState& g);  // "Try again", "pause" and the prompts to go on
void drawNoMovesMessage(const HudState& hud, const GameState& g);
void drawHudFlyers(const HudState& hud);
void drawHudScorePopups(const HudState& hud);
// Between two levels, over the zooming back: the coming level's number and the prompt.
void drawTransitionTexts(const GameState& g);
// The hammer of the stock, turning (32 frames of 30 ms on the game clock), centred on a
// point: the game's own pointer while a hammer is armed.
void drawHammerCursor(float x, float y);

// ---- Rules, for tests ---------------------------------------------------------------------

void addScorePopup(HudState& hud, float x, float y, int points);
void addScorePopup(float x, float y, int points);
void advanceScorePopups(HudState& hud, float dtMs);
void addFlyer(HudState& hud, int kind, float x, float y);

// Whether the panel slides out (level-end sequence past its moment, pause, tutorial).
bool panelHidden(const GameState& g);
// The next panel offset: 0 shown, -130 hidden.
float slidePanel(float offset, bool hidden, float dtMs);

// The fraction of the fuse burnt, 0..1, including the count-up's run to the end.
float fuseFraction(const HudState& hud, const GameState& g);
// Whether the time bar is shown (classic mode with a time limit, no tutorial).
bool timeBarShown(const GameState& g);

// The hearts of the side panel.
struct HeartRow {
    int hearts;     // 0, 1..3, or 1 with a count
    float firstX;   // centre x of the first heart
    float y, side;  // centre y and side of every heart
    bool lastLife;  // "lastlife1" instead of hearts
    bool count;     // "x%i" after the single heart
    float textX, textY;
};
HeartRow heartRow(int lives, float offset, float pulse);
float heartPulseSize(float clockMs);  // 2 sin(pi u / 200) while u < 2400, else 0

// The level-bonus text: alpha 0..255 and growth k at count-up clock u of duration d.
struct BonusLook {
    float alpha, growth;
};
BonusLook bonusLook(float u, float d);

// The slow blink of the resume texts: 0 most of the time, rising to 1 briefly.
float blinkValue(float clock, float rate);
