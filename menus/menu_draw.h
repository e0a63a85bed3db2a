#pragma once
// The drawing the menus need, over the text and widget code: fonts, measured, wrapped
// and highlighted text, the window frame and the balloon panel. All positions are in
// menu space.
#include <cstdint>

constexpr uint32_t kWhite = 0xFFFFFFFF;

uint32_t argb(int r, int g, int b, int a = 255);

void menuSetFont(int font);  // 0 the plain font, 1 the menu font
float menuTextWidth(const char* text, float size);
void menuDrawText(const char* text, float x, float y, float size, uint32_t colour, bool centred);
// The selected item's look: its colour and a glow behind it.
void menuDrawHighlighted(const char* text, float x, float y, float size, uint32_t colour, uint32_t glow,
                         bool centred);
// Word wrap to `width`: the height of the wrapped block.
float menuWrapHeight(const char* text, float width, float size);
void menuDrawWrapped(const char* text, float x, float y, float width, float size, uint32_t colour,
                     bool centred);

// A vertical squash about the screen centre for everything drawn after it (1 = none).
void menuSetSquash(float factor);

void menuDrawFrame(float cx, float cy, float w, float h, float spriteScale = 1.0f);
void menuDrawPanel(float cx, float cy, float w, float h);
void menuDrawRect(float left, float top, float right, float bottom, uint32_t colour);
