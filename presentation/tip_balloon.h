#pragma once
// The tip balloon: a speech balloon pointing at something in menu space, with a framed
// translucent body, a bobbing tail, the tip text wrapped inside and optionally a
// "continue" button. The caller asks for it every frame it should show; it grows or
// fades in over 250 ms and starts over whenever its text or its point changes.
#include <cstdint>

struct TipBalloonRequest {
    float x, y;        // the point the balloon refers to
    const char* text;  // kept until drawn
    float maxWidth;
    uint8_t showTail;
    float direction;    // degrees from the point toward the body; <= -1000: toward the centre
    uint8_t grow;       // 1: scales up from the point; 0: fades in
    uint8_t button;     // with the "continue" button
    uint8_t requested;  // this frame
};

constexpr int kTipTextMemory = 512;  // bytes of the previous text kept for comparison

struct TipBalloonState {
    float clock;  // ms since the balloon (re)appeared
    char lastText[kTipTextMemory];
    float lastX, lastY;
    float buttonLeft, buttonTop, buttonRight, buttonBottom;  // menu space
    bool buttonShown;                                        // the button was drawn last frame
};

struct TipBalloon {
    TipBalloonRequest request;
    TipBalloonState state;
};
extern TipBalloon tipBalloon;

// Where everything goes, relative to the anchor: body size and centre, tail point and
// rotation. textWidth is the unwrapped width at size 11; wrappedHeight the height of
// the text wrapped to width - 32 (the caller wraps once the width is known: see
// tipBalloonWidth).
struct TipBalloonLayout {
    float width, height;
    float bodyX, bodyY;
    float tailX, tailY, tailAngle;
    float textX, textY;
    float buttonX, buttonY;
};
float tipBalloonWidth(float maxWidth, float textWidth);
TipBalloonLayout layoutTipBalloon(float anchorX, float anchorY, float width, float wrappedHeight, bool button,
                                  float direction, float clock);

void showTipBalloon(float x, float y, const char* text, float maxWidth, bool showTail, float direction,
                    bool grow);
void showTipBalloonWithButton(float x, float y, const char* text, float maxWidth, bool showTail,
                              float direction, bool grow);

// The per-frame bookkeeping without drawing: whether the balloon shows this frame.
// Called by drawTipBalloon; tests drive it directly.
bool advanceTipBalloon(TipBalloon& balloon, float dt);
// Once per frame after the screen's other drawing (2D state): draws the balloon if it
// was requested this frame, then clears the request.
void drawTipBalloon(float dt);
// Whether a point in menu space lies on the button drawn last frame.
bool tipBalloonButtonHit(float x, float y);

// The button face shared with the menus: "button.tga" as a strip whose caps keep the
// image's proportions and whose middle stretches the image's central column.
void drawButtonFace(float cx, float cy, float width, float height);
void loadTipBalloonImages();  // with the menu images
