#include "menus/widgets.h"

#include "menus/menu_system.h"

#include <algorithm>
#include <cmath>

#include "app/app.h"
#include "app/draw.h"
#include "app/persistence.h"
#include "app/settings.h"
#include "app/textures.h"
#include "platform/window.h"
#include "presentation/hud.h"
#include "presentation/text.h"
#include "presentation/tip_balloon.h"
#include "resources/trace.h"

MenuImages menuImages;
WidgetRegistry widgetRegistry;
float menuSpriteScale = 1.0f;

namespace {

constexpr float kFrameDepth = 35.0f;
constexpr float kCellInset = 0.003f;
constexpr uint32_t kWhite = 0xFFFFFFFF;

constexpr SpriteCells kSprites[kMenuSpriteCount] = {
    {0, 0, 1, 1}, {1, 0, 1, 1}, {0, 1, 1, 1}, {1, 1, 1, 1}, {0, 2, 1, 1}, {1, 2, 1, 1},
    {2, 0, 1, 1}, {3, 0, 1, 1}, {2, 1, 1, 1}, {3, 1, 1, 1}, {0, 3, 2, 1}, {0, 4, 2, 1},
    {2, 3, 1, 2}, {3, 3, 1, 2}, {0, 7, 1, 1}, {1, 7, 1, 1}, {0, 5, 1, 1}, {0, 6, 1, 1},
    {2, 5, 1, 1}, {3, 5, 1, 1}, {1, 6, 1, 1}, {1, 5, 1, 1}, {3, 7, 1, 1}, {2, 7, 1, 1},
};

struct CursorState {
    int type;  // CursorType
};
CursorState cursor = {kCursorNormal};

TextureRect spriteRect(int sprite) {
    TextureRect r;
    spriteTextureRect(sprite, &r.s0, &r.t0, &r.s1, &r.t1);
    return r;
}

uint32_t argb(int r, int g, int b, int a) {
    return static_cast<uint32_t>(a) << 24 | static_cast<uint32_t>(r) << 16 | static_cast<uint32_t>(g) << 8 |
           static_cast<uint32_t>(b);
}

// Sprite tiles along the edge from (x0, y0) to (x1, y1): k equal tiles, each stretched
// to length / k along the edge and thick across it.
void drawEdgeTiles(int sprite, float x0, float y0, float x1, float y1, float thick, float scale) {
    const float dx = x1 - x0, dy = y1 - y0;
    const float length = std::sqrt(dx * dx + dy * dy);
    const int k = edgeTileCount(length, scale);
    if (k <= 0) return;
    const bool horizontal = std::fabs(dx) >= std::fabs(dy);
    const TextureRect rect = spriteRect(sprite);
    for (int i = 0; i < k; ++i) {
        const float f = (i + 0.5f) / k;
        const float cx = x0 + dx * f, cy = y0 + dy * f;
        if (horizontal)
            drawQuadCentred(cx, cy, length / k, thick, rect, kWhite, kFrameDepth);
        else
            drawQuadCentred(cx, cy, thick, length / k, rect, kWhite, kFrameDepth);
    }
}

CursorShape systemCursorFor(int type) {
    switch (type) {
        case kCursorHammer:
            return CursorShape::Hammer;
        case kCursorHelp:
            return CursorShape::Help;
        default:
            return CursorShape::Arrow;
    }
}

TextureRect balloonCell(int column, int row) {
    return {column / 4.0f + kCellInset, row / 2.0f + kCellInset, (column + 1) / 4.0f - kCellInset,
            (row + 1) / 2.0f - kCellInset};
}

}  // namespace

SpriteCells spriteCells(int sprite) {
    return kSprites[sprite >= 0 && sprite < kMenuSpriteCount ? sprite : 0];
}

void spriteTextureRect(int sprite, float* s0, float* t0, float* s1, float* t1) {
    const SpriteCells c = spriteCells(sprite);
    *s0 = c.column / 4.0f + kCellInset;
    *t0 = c.row / 8.0f + kCellInset;
    *s1 = (c.column + c.width) / 4.0f - kCellInset;
    *t1 = (c.row + c.height) / 8.0f - kCellInset;
}

void loadMenuImages() {
    menuImages.atlas = loadTexture("menutex.tga");
    menuImages.white = loadTexture("white.jpg");
    menuImages.winfill = loadTexture("winfill.jpg");
    menuImages.balloon = loadTexture("baloon.tga");
    menuImages.button = loadTexture("button.tga");
    menuImages.flare = loadTexture("flare.jpg");
    menuImages.glow = loadTexture("podsvet.jpg");
    loadTipBalloonImages();
}

// ---- Registration ------------------------------------------------------------------------

void beginWidgetFrame(WidgetRegistry& registry, float dt) {
    registry.controlCount = 0;
    registry.hitBoxCount = 0;
    registry.windowClock += dt;
    registry.glowClock += dt;
}

void clearWidgets(WidgetRegistry& registry) {
    std::fill(std::begin(registry.controls), std::end(registry.controls), MenuControl{});
    registry.controlCount = 0;
    registry.hitBoxCount = 0;
    registry.hoverIndex = -1;
}

int addControl(WidgetRegistry& registry, const MenuControl& control) {
    if (registry.controlCount >= kMenuControlCapacity) return -1;
    const int index = registry.controlCount++;
    MenuControl& slot = registry.controls[index];
    // The same control drawn again keeps the flag and value the mouse and keys gave it.
    const bool same = slot.kind == control.kind && slot.steps == control.steps;
    const uint8_t flag = slot.flag;
    const uint16_t value = slot.value;
    slot = control;
    if (same) {
        slot.flag = flag;
        slot.value = value;
    }
    return index;
}

int addItemHitBox(WidgetRegistry& registry, float left, float top, float right, float bottom) {
    if (registry.hitBoxCount >= kItemHitBoxCapacity) return -1;
    registry.hitBoxes[registry.hitBoxCount] = {left, top, right, bottom};
    return registry.hitBoxCount++;
}

void bindCheckBox(WidgetRegistry& registry, int index, bool& setting) {
    if (index < 0 || index >= registry.controlCount) return;
    MenuControl& c = registry.controls[index];
    if (registry.fadingIn)
        c.flag = setting ? 1 : 0;
    else
        setting = c.flag != 0;
}

void bindSlider(WidgetRegistry& registry, int index, int32_t& setting) {
    if (index < 0 || index >= registry.controlCount) return;
    MenuControl& c = registry.controls[index];
    const int top = std::max(static_cast<int>(c.steps) - 1, 0);
    if (registry.fadingIn)
        c.value = static_cast<uint16_t>(std::clamp(setting, 0, top));
    else
        setting = std::clamp(static_cast<int>(c.value), 0, top);
}

// ---- Drawing -----------------------------------------------------------------------------

void drawMenuSprite(int sprite, float x, float y, uint32_t colour, float scale) {
    const SpriteCells c = spriteCells(sprite);
    const float unit = 64.0f * menuSpriteScale * scale;
    bindTexture(menuImages.atlas);
    drawQuadCentred(x, y, unit * c.width, unit * c.height, spriteRect(sprite), colour, kFrameDepth);
}

int edgeTileCount(float length, float spriteScale) {
    if (!(length > 0) || !(spriteScale > 0)) return 0;
    return std::max(1, static_cast<int>(std::lround(length / (64.0f * spriteScale))));
}

void drawWindow(float left, float top, float width, float height) {
    const float right = left + width, bottom = top - height;
    const float scale = menuSpriteScale;
    if (width > 192 && height > 192) {
        // A soft halo: the flare stretched into four bands along the edges, added to
        // what lies behind.
        bindTexture(menuImages.flare);
        setBlend(1);
        const uint32_t halo = argb(150, 150, 150, 255);
        drawQuadRect(left, top + 25, right, top - 25, kWholeTexture, halo, kFrameDepth);
        drawQuadRect(left, bottom + 25, right, bottom - 25, kWholeTexture, halo, kFrameDepth);
        drawQuadRect(left - 25, top, left + 25, bottom, kWholeTexture, halo, kFrameDepth);
        drawQuadRect(right - 25, top, right + 25, bottom, kWholeTexture, halo, kFrameDepth);
        setBlend(0);
    }
    // Opaque: a nearly opaque fill let the scenery behind a window (branches, the pagoda's
    // lit windows) show through as smudges under the text.
    bindTexture(menuImages.white);
    drawQuadRect(left, top, right, bottom, {0, 0, width / 208.0f, height / 128.0f}, argb(55, 15, 0, 255),
                 kFrameDepth);

    bindTexture(menuImages.atlas);
    const float thick = 64.0f * scale;
    drawEdgeTiles(kSpriteEdgeHorizontal, left, top, right, top, thick, scale);
    drawEdgeTiles(kSpriteEdgeHorizontal, left, bottom, right, bottom, thick, scale);
    drawEdgeTiles(kSpriteEdgeVertical, left, top, left, bottom, thick, scale);
    drawEdgeTiles(kSpriteEdgeVertical, right, top, right, bottom, thick, scale);
    drawMenuSprite(kSpriteCornerTopLeft, left, top);
    drawMenuSprite(kSpriteCornerTopRight, right, top);
    drawMenuSprite(kSpriteCornerBottomLeft, left, bottom);
    drawMenuSprite(kSpriteCornerBottomRight, right, bottom);
    const float cx = (left + right) / 2, cy = (top + bottom) / 2;
    if (width > 192) {
        drawMenuSprite(kSpriteOrnamentTop, cx, top);
        drawMenuSprite(kSpriteOrnamentBottom, cx, bottom);
    }
    if (height > 192) {
        drawMenuSprite(kSpriteOrnamentLeft, left, cy);
        drawMenuSprite(kSpriteOrnamentRight, right, cy);
    }

    // Corner sparkles (the four sparkle cells of the atlas) light up in turn around the
    // window: top left, top right, bottom right, bottom left.
    const float inset = 6.0f * scale;
    const float corners[4][2] = {{left + inset, top - inset},
                                 {right - inset, top - inset},
                                 {right - inset, bottom + inset},
                                 {left + inset, bottom + inset}};
    setBlend(1);
    for (int k = 0; k < 4; ++k) {
        const float b = std::sin(widgetRegistry.windowClock * 0.0005f + k * 1.5707964f) * 0.5f + 0.5f;
        const int level = static_cast<int>(b * 255.0f);
        drawMenuSprite(kSpriteSparkle + k, corners[k][0], corners[k][1], argb(level, level, level, 255),
                       0.6f);
    }
    setBlend(0);
}

void drawWindowCentred(float cx, float cy, float width, float height) {
    drawWindow(cx - width / 2, cy + height / 2, width, height);
}

void drawButton(float cx, float cy, float width, float height, float letterSize, const char* caption) {
    const int index = widgetRegistry.hitBoxCount;
    // Without a caption of its own the button is the current node's next item.
    const MenuNode* node = menuSystem.current;
    if (caption == nullptr && node != nullptr && index < node->childCount)
        caption = node->children[index]->caption;
    drawButtonFace(cx, cy, width, height);
    if (caption != nullptr) {
        const float y = cy - letterSize / 4;
        if (index == widgetRegistry.selectedItem) {
            // Until the menus set their highlight colour, a warm yellow.
            const uint32_t h = textPen.highlightColour != 0 ? textPen.highlightColour : 0xFFFFFF37;
            setTextColour(h >> 16 & 0xFF, h >> 8 & 0xFF, h & 0xFF, h >> 24 & 0xFF);
            drawHighlightedText(cx, y, letterSize, textPen.glowColour, caption, true);
        } else {
            setTextColour(255, 255, 255, 255);
            drawText(cx, y, letterSize, caption, true);
        }
        setTextColour(255, 255, 255, 255);
    }
    addItemHitBox(widgetRegistry, cx - width / 2, cy + height / 2, cx + width / 2, cy - height / 2);
}

void drawCheckBox(float x, float y, bool& flag, const char* label, float labelSize) {
    MenuControl control = {};
    control.left = x - 32;
    control.top = y + 32;
    control.right = x + 32;
    control.bottom = y - 32;
    control.kind = kControlCheckBox;
    control.flag = flag ? 1 : 0;
    bindCheckBox(widgetRegistry, addControl(widgetRegistry, control), flag);
    drawMenuSprite(flag ? kSpriteCheckTicked : kSpriteCheckEmpty, x, y);
    if (label != nullptr) drawText(x + 15 + 32, y, labelSize, label, false);
}

void drawSlider(float ax, float ay, float bx, float by, int32_t& value, int steps) {
    steps = std::clamp(steps, 1, 65535);
    const float midY = (ay + by) / 2;
    MenuControl control = {};
    control.left = ax;
    control.top = midY + 15;
    control.right = bx;
    control.bottom = midY - 15;
    control.kind = kControlSlider;
    control.steps = static_cast<uint16_t>(steps);
    control.value = static_cast<uint16_t>(std::clamp(value, 0, steps - 1));
    bindSlider(widgetRegistry, addControl(widgetRegistry, control), value);

    bindTexture(menuImages.atlas);
    drawEdgeTiles(kSpriteEdgeHorizontal, ax, ay, bx, by, 32.0f * menuSpriteScale, 0.5f * menuSpriteScale);
    // The arrows sit in the zones where a click steps the value (beyond 25.6 units
    // outside the bar).
    drawMenuSprite(kSpriteArrowLeft, ax - 45, ay, kWhite, 0.5f);
    drawMenuSprite(kSpriteArrowRight, bx + 45, by, kWhite, 0.5f);
    const float f = static_cast<float>(std::clamp(value, 0, steps - 1)) / steps;
    drawMenuSprite(kSpriteSliderKnob, ax + (bx - ax) * f, ay + (by - ay) * f);
}

void drawControlGlow(bool narrow) {
    const WidgetRegistry& r = widgetRegistry;
    if (r.controlCount == 0 || r.hoverIndex < 0 || r.hoverIndex >= r.controlCount) return;
    const MenuControl& c = r.controls[r.hoverIndex];
    const float gx = narrow ? 10.0f : 32.0f, gy = narrow ? 10.0f : 16.0f;
    const float s = std::sin(r.glowClock * 0.008f) * 0.5f + 0.5f;
    bindTexture(menuImages.glow);
    setBlend(1);
    drawQuadRect(c.left - gx, c.top + gy, c.right + gx, c.bottom - gy, kWholeTexture,
                 argb(255, 200, 100, static_cast<int>(50 + 30 * s)), kFrameDepth);
    setBlend(0);
}

void drawPanel(float left, float top, float right, float bottom) {
    const float width = right - left, height = top - bottom;
    bindTexture(menuImages.white);
    const uint32_t fill = argb(75, 25, 0, 180);
    // Bands 32 thick centred 16 inside each edge, and the inner rectangle: everything
    // but the corner squares, which the corner pieces cover.
    drawQuadRect(left + 32, top, right - 32, top - 32, kWholeTexture, fill, kFrameDepth);
    drawQuadRect(left + 32, bottom + 32, right - 32, bottom, kWholeTexture, fill, kFrameDepth);
    drawQuadRect(left, top - 32, left + 32, bottom + 32, kWholeTexture, fill, kFrameDepth);
    drawQuadRect(right - 32, top - 32, right, bottom + 32, kWholeTexture, fill, kFrameDepth);
    if (width > 64 && height > 64)
        drawQuadRect(left + 32, top - 32, right - 32, bottom + 32, kWholeTexture, fill, kFrameDepth);

    enable(kStateAlphaTest);
    bindTexture(menuImages.balloon);
    drawQuadCentred(left, top, 64, 64, balloonCell(0, 0), kWhite, kFrameDepth);
    drawQuadCentred(right, top, 64, 64, balloonCell(1, 0), kWhite, kFrameDepth);
    drawQuadCentred(left, bottom, 64, 64, balloonCell(0, 1), kWhite, kFrameDepth);
    drawQuadCentred(right, bottom, 64, 64, balloonCell(1, 1), kWhite, kFrameDepth);
    const float cx = (left + right) / 2, cy = (top + bottom) / 2;
    if (width > 64) {
        drawQuadCentred(cx, top, width - 64, 64, balloonCell(2, 0), kWhite, kFrameDepth);
        drawQuadCentred(cx, bottom, width - 64, 64, balloonCell(2, 0), kWhite, kFrameDepth);
    }
    if (height > 64) {
        drawQuadCentred(left, cy, 64, height - 64, balloonCell(3, 0), kWhite, kFrameDepth);
        drawQuadCentred(right, cy, 64, height - 64, balloonCell(3, 0), kWhite, kFrameDepth);
    }
}

// ---- Mouse cursor ------------------------------------------------------------------------

void setCustomCursor(bool on) {
    settings.customCursor = on;
    trace("custom cursor %d", on ? 1 : 0);
    setCursorShape(on ? CursorShape::Hidden : systemCursorFor(cursor.type));
}

void setCursorType(int type) {
    type = type == kCursorHammer || type == kCursorHelp ? type : kCursorNormal;
    if (type == cursor.type) return;
    cursor.type = type;
    if (!settings.customCursor) setCursorShape(systemCursorFor(cursor.type));
}

int cursorType() {
    return cursor.type;
}

void drawCustomCursor() {
    if (!settings.customCursor) return;
    if (app.cursorExactX < 0 || app.cursorExactX >= 800 || app.cursorExactY < 0 || app.cursorExactY >= 600)
        return;
    float x = 0, y = 0;
    cursorInMenuSpace(&x, &y);
    if (cursor.type == kCursorHammer) {
        drawHammerCursor(x + 12, y - 10);
        return;
    }
    const float savedScale = menuSpriteScale;
    menuSpriteScale = 1.0f;
    const int alpha = static_cast<int>((std::sin(animationClock * 0.005f) + 1.0f) * 127.5f);
    drawMenuSprite(kSpriteCursorGlow, x + 30, y - 32, argb(255, 255, 255, alpha));
    drawMenuSprite(kSpriteCursor, x + 30, y - 32);
    menuSpriteScale = savedScale;
}
