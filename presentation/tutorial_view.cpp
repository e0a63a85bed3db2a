#include "presentation/tutorial_view.h"

#include <algorithm>
#include <cmath>

#include "app/app.h"
#include "app/draw.h"
#include "app/textures.h"
#include "core/field.h"
#include "core/tutorial.h"
#include "presentation/field_view.h"
#include "presentation/text.h"
#include "presentation/tip_balloon.h"

// The box is centred at (30, 20), 540 x 500; the grids lie at (30, -200) and (280, -200)
// from the field's own cells, so the paragraphs sit between the title and the grids,
// each centred over its grid, and the button below the grids.
const TutorialPanelLayout kTutorialPanel = {
    30.0f,
    20.0f,
    540.0f,
    500.0f,
    30.0f,
    220.0f,
    17.0f,
    {-180.0f, 65.0f},
    {0.0f, 255.0f},
    190.0f,
    12.0f,
    (kTutorialOkLeft + kTutorialOkRight) / 2,
    (kTutorialOkTop + kTutorialOkBottom) / 2,
    kTutorialOkRight - kTutorialOkLeft,
    kTutorialOkTop - kTutorialOkBottom,
    16.0f,
};

const char* const kTutorialTexts[2] = {"treasuretip", "squarehelp"};

namespace {

uint32_t argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
    return a << 24 | r << 16 | g << 8 | b;
}

void drawTexts(const TutorialPanelLayout& l) {
    setTextColour(255, 255, 0, 255);
    if (const char* title = lookupText("instructions1"))
        drawText(l.titleX, l.titleY, l.titleSize, title, true);
    setTextColour(255, 255, 255, 255);
    for (int k = 0; k < 2; ++k) {
        const char* text = lookupText(kTutorialTexts[k]);
        if (text == nullptr) continue;
        wrapText(l.textRight[k] - l.textLeft[k], text, l.textSize);
        drawText((l.textLeft[k] + l.textRight[k]) / 2, l.textTop, l.textSize, wrappedText(), true);
    }
}

void drawOkButton(const TutorialPanelLayout& l, float pointerX, float pointerY, float clock) {
    drawButtonFace(l.buttonX, l.buttonY, l.buttonWidth, l.buttonHeight);
    const bool hovered = std::fabs(pointerX - l.buttonX) <= l.buttonWidth / 2 &&
                         std::fabs(pointerY - l.buttonY) <= l.buttonHeight / 2;
    const uint32_t c = tutorialButtonColour(clock);
    setTextColour((c >> 16) & 255, (c >> 8) & 255, c & 255, 255);
    const float size = l.buttonTextSize + (hovered ? 1.0f : 0.0f);
    if (const char* ok = lookupText("ok")) drawText(l.buttonX, l.buttonY - size / 4, size, ok, true);
    setTextColour(255, 255, 255, 255);
}

}  // namespace

uint32_t tutorialButtonColour(float t) {
    // The green 50 d - 106 taken as a byte: 150 .. 200.
    const float d = 0.5f + 0.5f * std::sin(0.005f * t);
    const auto green = static_cast<uint32_t>(static_cast<int>(50.0f * d - 106.0f) & 255);
    return argb(255, 255, green, 0);
}

uint32_t tutorialFadeAlpha(const Tutorial& t) {
    const float shown = 1.0f - std::clamp(t.fadeClock / kDemoFadeMs, 0.0f, 1.0f);
    return static_cast<uint32_t>(255.0f * shown + 0.5f);
}

void drawTutorialPanel(Tutorial& t, float pointerX, float pointerY, float dt, float clock) {
    const TutorialPanelLayout& l = kTutorialPanel;
    // The game's first font, whichever the menus left current; theirs again afterwards.
    const int font = textPen.current;
    selectFont(0);
    drawTexts(l);
    const uint32_t alpha = tutorialFadeAlpha(t);
    const uint32_t colour = argb(alpha, 255, 255, 255);
    for (int k = 0; k < 2; ++k) drawDemoField(t.fields[k], t.figureTable, k == 1, colour, dt);
    drawBreakPieces(fieldView, dt);
    drawOkButton(l, pointerX, pointerY, clock);
    selectFont(font);
}

DemoPointer demoPointer(const Tutorial& t) {
    // One pointer at a time: field 1's while it plays its steps, then field 2's.
    const DemoField& f = t.fields[t.fields[0].stepIndex < kDemoPlayedSteps[0] ? 0 : 1];
    return {f.pointer.x, f.pointer.y, std::clamp(f.clickFlash / 400.0f, 0.0f, 1.0f), tutorialFadeAlpha(t)};
}
