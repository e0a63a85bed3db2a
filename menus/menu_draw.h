#pragma once
// The drawing the menus need: text, wrapped text, the window frame, buttons, check
// boxes, sliders, the balloon panel and the glow. Kept behind these few functions so
// the look can change without touching the menus. All positions are in menu space.
#include <cstdint>

constexpr uint32_t kWhite = 0xFFFFFFFF;

uint32_t argb(int r, int g, int b, int a = 255);

// Font 0 is the plain font, font 1 the menu font; both share one look here.
void menuSetFont(int font);
float menuTextWidth(const char* text, float size);
// Draws one line with its baseline area at y; centred on x or starting at x.
void menuDrawText(const char* text, float x, float y, float size, uint32_t colour, bool centred);
// Word wrap to `width`: the height of the wrapped block (lines x 1.5 size).
float menuWrapHeight(const char* text, float width, float size);
void menuDrawWrapped(const char* text, float x, float y, float width, float size, uint32_t colour,
                     bool centred);

// A vertical squash about the screen centre for everything drawn after it (1 = none).
void menuSetSquash(float factor);

void menuDrawFrame(float cx, float cy, float w, float h, float spriteScale = 1.0f);
void menuDrawPanel(float cx, float cy, float w, float h);
void menuDrawButtonFace(float cx, float cy, float w, float h, bool selected);
void menuDrawCheckBox(float x, float y, bool ticked);
void menuDrawSlider(float left, float right, float y, int value, int steps);
void menuDrawGlow(float left, float top, float right, float bottom, uint32_t colour);
void menuDrawRect(float left, float top, float right, float bottom, uint32_t colour);
