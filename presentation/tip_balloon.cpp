#include "presentation/tip_balloon.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "app/draw.h"
#include "app/textures.h"
#include "presentation/text.h"

TipBalloon tipBalloon = {{}, {0, {}, -10000.0f, -100000.0f, 0, 0, 0, 0, false}};

namespace {

constexpr float kTextSize = 11.0f;
constexpr float kBodyGap = 89.6f;  // from the anchor to the body's edge
constexpr float kDepth = 9.0f;
constexpr float kCellInset = 0.003f;

struct BalloonImages {
    TextureRecord* balloon;
    TextureRecord* white;
    TextureRecord* button;
};
BalloonImages images = {};

TextureRect cell(int column, int row) {
    return {column / 4.0f + kCellInset, row / 2.0f + kCellInset, (column + 1) / 4.0f - kCellInset,
            (row + 1) / 2.0f - kCellInset};
}

// Distance from the centre of a width x height box along the unit vector (dx, dy) to
// its edge, trying the top, left, bottom and right edges in turn.
float edgeDistance(float width, float height, float dx, float dy) {
    const float hw = width / 2, hh = height / 2;
    if (dy > 0 && std::fabs(hh / dy * dx) <= hw) return hh / dy;
    if (dx < 0 && std::fabs(hw / -dx * dy) <= hh) return hw / -dx;
    if (dy < 0 && std::fabs(hh / -dy * dx) <= hw) return hh / -dy;
    if (dx > 0) return hw / dx;
    return hh;
}

void drawBody(float cx, float cy, float width, float height, bool grow) {
    const float left = cx - width / 2, right = cx + width / 2;
    const float top = cy + height / 2, bottom = cy - height / 2;
    const uint32_t fill = 0xB44B1900;  // (75, 25, 0) at alpha 180
    bindTexture(images.white);
    drawQuadRect(left + 32, top - 32, right - 32, bottom + 32, kWholeTexture, fill, kDepth);
    drawQuadRect(left + 32, top, right - 32, top - 32, kWholeTexture, fill, kDepth);
    drawQuadRect(left + 32, bottom + 32, right - 32, bottom, kWholeTexture, fill, kDepth);
    drawQuadRect(left, top - 32, left + 32, bottom + 32, kWholeTexture, fill, kDepth);
    drawQuadRect(right - 32, top - 32, right, bottom + 32, kWholeTexture, fill, kDepth);

    enable(kStateAlphaTest);
    // While scaled, the frame's soft edges are cut harder so the frame stays crisp.
    if (grow) setAlphaReference(160);
    bindTexture(images.balloon);
    const uint32_t white = 0xFFFFFFFF;
    drawQuadCentred(left, top, 64, 64, cell(0, 0), white, kDepth);
    drawQuadCentred(right, top, 64, 64, cell(1, 0), white, kDepth);
    drawQuadCentred(left, bottom, 64, 64, cell(0, 1), white, kDepth);
    drawQuadCentred(right, bottom, 64, 64, cell(1, 1), white, kDepth);
    drawQuadCentred(cx, top, width - 64, 64, cell(2, 0), white, kDepth);
    drawQuadCentred(cx, bottom, width - 64, 64, cell(2, 0), white, kDepth);
    drawQuadCentred(left, cy, 64, height - 64, cell(3, 0), white, kDepth);
    drawQuadCentred(right, cy, 64, height - 64, cell(3, 0), white, kDepth);
    setAlphaReference(1);
}

void request(float x, float y, const char* text, float maxWidth, bool showTail, float direction, bool grow,
             bool button) {
    TipBalloonRequest& r = tipBalloon.request;
    r.x = x;
    r.y = y;
    r.text = text != nullptr ? text : "";
    r.maxWidth = maxWidth;
    r.showTail = showTail ? 1 : 0;
    r.direction = direction;
    r.grow = grow ? 1 : 0;
    r.button = button ? 1 : 0;
    r.requested = 1;
}

}  // namespace

float tipBalloonWidth(float maxWidth, float textWidth) {
    return textWidth < maxWidth - 64 ? textWidth + 64 : maxWidth;
}

TipBalloonLayout layoutTipBalloon(float anchorX, float anchorY, float width, float wrappedHeight, bool button,
                                  float direction, float clock) {
    TipBalloonLayout l = {};
    l.width = width;
    l.height = std::max(wrappedHeight + 32, 64.0f) + (button ? 44.8f : 0.0f);
    // A point on the centre has no direction toward the centre.
    if (std::fabs(anchorX) <= 1 && std::fabs(anchorY) <= 1) anchorX += 1;
    float dx, dy;
    if (direction > -1000) {
        dx = std::cos(direction * 3.14159265f / 180.0f);
        dy = std::sin(direction * 3.14159265f / 180.0f);
    } else {
        const float length = std::sqrt(anchorX * anchorX + anchorY * anchorY);
        dx = -anchorX / length;
        dy = -anchorY / length;
    }
    const float reach = (1.3f + 0.1f * std::sin(0.01f * clock)) * 64.0f;
    l.tailX = dx * reach;
    l.tailY = dy * reach;
    l.tailAngle = std::atan2(dy, dx) * 180.0f / 3.14159265f + 180.0f;
    const float e = edgeDistance(l.width, l.height, dx, dy);
    l.bodyX = dx * (e + kBodyGap);
    l.bodyY = dy * (e + kBodyGap);
    l.textX = l.bodyX;
    l.textY = l.height == 64 ? l.bodyY : l.bodyY + l.height / 2 - 16 - kTextSize;
    l.buttonX = l.bodyX;
    l.buttonY = l.bodyY - l.height / 2 + 32;
    return l;
}

void showTipBalloon(float x, float y, const char* text, float maxWidth, bool showTail, float direction,
                    bool grow) {
    request(x, y, text, maxWidth, showTail, direction, grow, false);
}

void showTipBalloonWithButton(float x, float y, const char* text, float maxWidth, bool showTail,
                              float direction, bool grow) {
    request(x, y, text, maxWidth, showTail, direction, grow, true);
}

bool advanceTipBalloon(TipBalloon& balloon, float dt) {
    TipBalloonRequest& r = balloon.request;
    TipBalloonState& s = balloon.state;
    if (!r.requested) {
        s.clock = 0;
        s.lastText[0] = 0;
        s.lastX = -10000.0f;
        s.lastY = -100000.0f;
        s.buttonShown = false;
        return false;
    }
    s.clock += dt;
    const char* text = r.text != nullptr ? r.text : "";
    if (std::strncmp(text, s.lastText, sizeof s.lastText - 1) != 0 || r.x != s.lastX || r.y != s.lastY) {
        s.clock = 0;
        std::strncpy(s.lastText, text, sizeof s.lastText - 1);
        s.lastText[sizeof s.lastText - 1] = 0;
        s.lastX = r.x;
        s.lastY = r.y;
    }
    return true;
}

void drawTipBalloon(float dt) {
    TipBalloonRequest& r = tipBalloon.request;
    TipBalloonState& s = tipBalloon.state;
    if (!advanceTipBalloon(tipBalloon, dt)) return;
    r.requested = 0;

    const float k = std::min(1.0f, s.clock / 250.0f);
    Matrix4 world = translationMatrix(r.x, r.y, 0);
    if (r.grow) {
        Matrix4 scale = identityMatrix();
        scale.m[0][0] = k;
        scale.m[1][1] = k;
        world = multiply(scale, world);
    } else {
        drawState.colourMultiplier[3] = k;
    }
    setWorld(&world);
    // The balloon speaks in the game's first font, whatever the menus left current.
    const int font = textPen.current;
    selectFont(0);

    const float width = tipBalloonWidth(r.maxWidth, textWidth(r.text, kTextSize));
    const float wrappedHeight = wrapText(width - 32, r.text, kTextSize);
    const TipBalloonLayout l =
        layoutTipBalloon(r.x, r.y, width, wrappedHeight, r.button != 0, r.direction, s.clock);

    // The body writes depth so that the tail, drawn behind it, shows only outside it.
    enable(kStateDepthTest);
    enable(kStateDepthWrite);
    drawBody(l.bodyX, l.bodyY, l.width, l.height, r.grow != 0);
    if (r.showTail) {
        bindTexture(images.balloon);
        drawQuadRotated(l.tailX, l.tailY, {l.tailX, l.tailY}, l.tailAngle, 128, 64,
                        {0.501f, 0.505f, 0.999f, 0.995f}, 0xFFFFFFFF, kDepth + 0.5f);
    }
    disable(kStateDepthWrite);
    disable(kStateDepthTest);

    setTextColour(255, 255, 255, 255);
    drawText(l.textX, l.textY, kTextSize, wrappedText(), true);

    s.buttonShown = r.button != 0;
    if (r.button) {
        drawButtonFace(l.buttonX, l.buttonY, 140, 40);
        const float pulse = 0.5f + 0.5f * std::sin(0.005f * s.clock);
        setTextColour(255, static_cast<uint8_t>(150 + static_cast<int>(50 * pulse)), 0, 255);
        const char* label = lookupText("continue");
        drawText(l.buttonX, l.buttonY - 3, 12, label != nullptr ? label : "", true);
        s.buttonLeft = r.x + l.buttonX - 70;
        s.buttonRight = r.x + l.buttonX + 70;
        s.buttonTop = r.y + l.buttonY + 20;
        s.buttonBottom = r.y + l.buttonY - 20;
    }

    setWorld(nullptr);
    drawState.colourMultiplier[3] = 1.0f;
    setTextColour(255, 255, 255, 255);
    selectFont(font);
}

bool tipBalloonButtonHit(float x, float y) {
    const TipBalloonState& s = tipBalloon.state;
    return s.buttonShown && x >= s.buttonLeft && x <= s.buttonRight && y <= s.buttonTop &&
           y >= s.buttonBottom;
}

void drawButtonFace(float cx, float cy, float width, float height) {
    const TextureRecord* face = images.button;
    bindTexture(face);
    const float aspect =
        face != nullptr && face->height > 0 ? static_cast<float>(face->width) / face->height : 2.0f;
    // Each cap is half the image at the button's height, never more than half the button.
    const float cap = std::min(height * aspect / 2, width / 2);
    const float left = cx - width / 2, right = cx + width / 2;
    const float top = cy + height / 2, bottom = cy - height / 2;
    const uint32_t white = 0xFFFFFFFF;
    drawQuadRect(left, top, left + cap, bottom, {0, 0, 0.5f, 1}, white, kDepth);
    if (right - cap > left + cap)
        drawQuadRect(left + cap, top, right - cap, bottom, {0.5f, 0, 0.5f, 1}, white, kDepth);
    drawQuadRect(right - cap, top, right, bottom, {0.5f, 0, 1, 1}, white, kDepth);
}

void loadTipBalloonImages() {
    images.balloon = loadTexture("baloon.tga");
    images.white = loadTexture("white.jpg");
    images.button = loadTexture("button.tga");
}
