#include "menus/menu_draw.h"

#include <algorithm>

#include "app/draw.h"
#include "menus/widgets.h"
#include "presentation/text.h"
#include "presentation/tip_balloon.h"

// The menus' drawing over the text and widget code: fonts, measured and wrapped text,
// the window frame, buttons and the balloon panel.

uint32_t argb(int r, int g, int b, int a) {
    auto c = [](int v) { return static_cast<uint32_t>(std::clamp(v, 0, 255)); };
    return c(a) << 24 | c(r) << 16 | c(g) << 8 | c(b);
}

void menuSetFont(int font) {
    selectFont(font);
}

void menuSetSquash(float factor) {
    if (factor == 1.0f) {
        setWorld(nullptr);
        return;
    }
    Matrix4 squash = identityMatrix();
    squash.m[1][1] = std::max(factor, 0.0f);
    setWorld(&squash);
}

float menuTextWidth(const char* text, float size) {
    return textWidth(text, size);
}

void menuDrawText(const char* text, float x, float y, float size, uint32_t colour, bool centred) {
    if ((colour >> 24) == 0 && text[0] != 0) {
        // Fully transparent text still advances nothing visible; skip the work.
        return;
    }
    setTextColour(colour >> 16 & 255, colour >> 8 & 255, colour & 255, colour >> 24 & 255);
    drawText(x, y, size, text, centred);
    setTextColour(255, 255, 255, 255);
}

void menuDrawHighlighted(const char* text, float x, float y, float size, uint32_t colour, uint32_t glow,
                         bool centred) {
    setTextColour(colour >> 16 & 255, colour >> 8 & 255, colour & 255, colour >> 24 & 255);
    drawHighlightedText(x, y, size, glow, text, centred);
    setTextColour(255, 255, 255, 255);
}

float menuWrapHeight(const char* text, float width, float size) {
    return wrapText(width, text, size);
}

void menuDrawWrapped(const char* text, float x, float y, float width, float size, uint32_t colour,
                     bool centred) {
    wrapText(width, text, size);
    menuDrawText(wrappedText(), x, y, size, colour, centred);
}

void menuDrawFrame(float cx, float cy, float w, float h, float spriteScale) {
    menuSpriteScale = spriteScale;
    drawWindowCentred(cx, cy, w, h);
    menuSpriteScale = 1.0f;
}

void menuDrawPanel(float cx, float cy, float w, float h) {
    drawPanel(cx - w / 2, cy + h / 2, cx + w / 2, cy - h / 2);
}

void menuDrawRect(float left, float top, float right, float bottom, uint32_t colour) {
    bindTexture(nullptr);
    drawQuadRect(left, top, right, bottom, kWholeTexture, colour, 10);
}
