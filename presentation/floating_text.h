#pragma once
// Short-lived texts over the play screen: floating texts that swell in, pulse and shrink
// away on the spot (combo words, the chain bonus, the tutorial's "click"), and flying
// letters that spell a word glyph by glyph, each growing in a little after the one
// before it, waving and shrinking away (extra life, level complete, lost level).
// Texts arrive already looked up and formatted. Everything is in menu space.
#include <cstdint>

constexpr int kFloatingTextCapacity = 16;   // ring: a new text overwrites the oldest
constexpr int kFlyingLetterCapacity = 256;  // ring: a long word wraps over the oldest letters
constexpr int kFloatingTextLength = 128;    // 127 characters and the zero

struct FloatingText {
    char text[kFloatingTextLength];
    float width;      // textWidth of the text at its size
    float size;       // letter size
    float remaining;  // 2000 down to 0 over the text's life; active while above 0, -1 when cleared
    float x, y;       // the point the text is centred on
    float speed;      // 2000 / duration in ms
};

struct FlyingLetter {
    uint8_t character;
    float x, y;  // the letter's laid-out centre
    float size;
    float life;  // ms: 6000 + 40 i for the i-th letter; drawn between 0 and 6000, free at 0 or less
};

struct TextEffects {
    FloatingText floating[kFloatingTextCapacity];
    int nextFloating;
    FlyingLetter letters[kFlyingLetterCapacity];
    int nextLetter;
};
extern TextEffects textEffects;  // the play screen's one set

// A duration of 0 or less shows nothing.
void addFloatingText(TextEffects& effects, const char* text, float x, float y, float size, float durationMs);
void addFloatingText(const char* text, float x, float y, float size, float durationMs);
// The word centred on (x, y) with the current font's advances.
void addFlyingLetters(TextEffects& effects, const char* text, float x, float y, float size);
void addFlyingLetters(const char* text, float x, float y, float size);
void clearFloatingTexts(TextEffects& effects);  // both rings: when a level is loaded
void clearFloatingTexts();
void clearFlyingLetters(TextEffects& effects);  // the letter ring only
void clearFlyingLetters();

// How a floating text looks at a given remaining value: size factor and alpha 0..255.
struct FloatingLook {
    float factor;
    int alpha;
};
FloatingLook floatingTextLook(float remaining);

// How a flying letter looks now: whether it is drawn, its centre, size and alpha.
struct LetterLook {
    bool visible;
    float x, y, size;
    int alpha;
};
LetterLook flyingLetterLook(const FlyingLetter& letter);

// Clocks only (the draw functions call these after drawing).
void advanceFlyingLetters(TextEffects& effects, float dtMs);
void advanceFloatingTexts(TextEffects& effects, float dtMs);

// Once per frame by the play screen, letters first, as the last things drawn; each also
// advances its ring by frameDeltaMs.
void drawFlyingLetters();
void drawFloatingTexts();
