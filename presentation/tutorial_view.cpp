#include "presentation/tutorial_view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/app.h"
#include "app/draw.h"
#include "app/textures.h"
#include "core/field.h"
#include "core/help_demo.h"
#include "core/tutorial.h"
#include "presentation/field_view.h"
#include "presentation/particles.h"
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

namespace {

// A page's opacity from its fade clock: out over 500 ms after its last step, in again after
// it starts over.
uint32_t pageFadeAlpha(const HelpDemo& d) {
    const float shown = 1.0f - std::clamp(d.fadeClock / kDemoFadeMs, 0.0f, 1.0f);
    return static_cast<uint32_t>(255.0f * shown + 0.5f);
}

bool demoPage(const Tutorial& t) {
    return t.page > 0 && t.page < kHelpPageCount && kHelpPages[t.page].file != nullptr;
}

// The page's title and its paragraph across the panel.
void drawPageTexts(const TutorialPanelLayout& l, const char* name) {
    char key[48];
    std::snprintf(key, sizeof key, "help%s", name);
    setTextColour(255, 255, 0, 255);
    if (const char* title = lookupText(key)) drawText(l.titleX, l.titleY, l.titleSize, title, true);
    setTextColour(255, 255, 255, 255);
    std::snprintf(key, sizeof key, "help%stext", name);
    if (const char* text = lookupText(key)) {
        wrapText(l.textRight[1] - l.textLeft[0], text, l.textSize);
        drawText((l.textLeft[0] + l.textRight[1]) / 2, l.textTop, l.textSize, wrappedText(), true);
    }
}

// A stock icon with its count, as the side panel shows it.
void drawStockIcon(const TextureRecord* sheet, Vec2 at, int count, uint32_t alpha) {
    if (sheet == nullptr) return;
    bindTexture(sheet);
    const uint32_t shown = count > 0 ? alpha : alpha / 3;
    drawQuadCentred(at.x, at.y, 48.4f, 48.4f, {0, 0, 0.125f, 0.25f}, argb(shown, 255, 255, 255), 10);
    char number[16];
    std::snprintf(number, sizeof number, "x%i", count);
    setTextColour(255, 230, 150, static_cast<uint8_t>(alpha));
    drawText(at.x + 35, at.y, 13, number, false);
    setTextColour(255, 255, 255, 255);
}

// The demonstration's fuse: a bar burning down from its top as the field's level time runs.
void drawFuse(const GameState& f, uint32_t alpha) {
    const HelpDemoLayout& l = kHelpDemoLayout;
    const float left = std::clamp((kHelpFuseMs - f.elapsed) / kHelpFuseMs, 0.0f, 1.0f);
    const float top = l.fuseBottom + (l.fuseTop - l.fuseBottom) * left;
    bindTexture(nullptr);
    drawQuadRect(l.fuseX - 9, l.fuseTop + 3, l.fuseX + 9, l.fuseBottom - 3, kWholeTexture,
                 argb(alpha, 40, 20, 10), 10);
    const uint32_t burning = f.stock.clockRunning ? argb(alpha, 120, 220, 255) : argb(alpha, 240, 160, 40);
    drawQuadRect(l.fuseX - 6, top, l.fuseX + 6, l.fuseBottom, kWholeTexture, burning, 10);
}

void drawPiecePage(Tutorial& t, const TutorialPanelLayout& l, float dt) {
    HelpDemo& d = helpDemo;
    GameState& f = d.field;
    drawPageTexts(l, kHelpPages[t.page].name);
    const uint32_t alpha = pageFadeAlpha(d);
    FieldFrame frame = {argb(alpha, 255, 255, 255), f.animationClock, dt, {-10000.0f, -10000.0f}, 0, false};
    frame.markersShown = true;
    drawField(f, frame);
    drawFlyingPieces(f, frame, true);
    drawQueuedBolts(fieldView);
    if (f.stock.hasPickups) {
        const int hammers = f.stock.hammers + (f.hammerMode ? 1 : 0);  // an armed hammer is still in hand
        drawStockIcon(fieldTextures.sheets[10], f.stock.hammerIcon, hammers, alpha);
        drawStockIcon(fieldTextures.sheets[11], f.stock.clockIcon, f.stock.clocks, alpha);
    }
    if (d.fuse) drawFuse(f, alpha);
    for (const HelpSparkle& s : d.sparkles)
        if (s.live) spawnTemplateParticle("blik3", s.point.x, s.point.y);
}

void drawKeysPage(const TutorialPanelLayout& l) {
    drawPageTexts(l, kHelpPages[kHelpKeysPage].name);
    const int first = indexOfText("helpkey1");
    if (first < 0) return;
    const float columns[3] = {-215.0f, -75.0f, 160.0f};
    for (int row = 0; row < kHelpKeyRows; ++row) {
        const char* line = textAt(first + row);
        if (line == nullptr) break;
        char cells[3][96] = {};
        int cell = 0;
        size_t at = 0;
        for (const char* p = line; *p != 0 && cell < 3; ++p) {
            if (*p == '|') {
                ++cell;
                at = 0;
            } else if (at + 1 < sizeof cells[0]) {
                cells[cell][at++] = *p;
            }
        }
        const float y = 150.0f - 24.0f * static_cast<float>(row);
        setTextColour(255, 230, 120, 255);
        drawText(columns[0], y, 11, cells[0], false);
        setTextColour(255, 255, 255, 255);
        drawText(columns[1], y, 11, cells[1], false);
        setTextColour(170, 220, 255, 255);
        drawText(columns[2], y, 11, cells[2], false);
    }
    setTextColour(255, 255, 255, 255);
}

}  // namespace

void drawTutorialPanel(Tutorial& t, float pointerX, float pointerY, float dt, float clock) {
    const TutorialPanelLayout& l = kTutorialPanel;
    // The game's first font, whichever the menus left current; theirs again afterwards.
    const int font = textPen.current;
    selectFont(0);
    if (demoPage(t)) {
        drawPiecePage(t, l, dt);
    } else if (t.page == kHelpKeysPage) {
        drawKeysPage(l);
    } else {
        drawTexts(l);
        const uint32_t alpha = tutorialFadeAlpha(t);
        const uint32_t colour = argb(alpha, 255, 255, 255);
        for (int k = 0; k < 2; ++k) drawDemoField(t.fields[k], t.figureTable, k == 1, colour, dt);
        drawBreakPieces(fieldView, dt);
    }
    drawOkButton(l, pointerX, pointerY, clock);
    selectFont(font);
}

DemoPointer demoPointer(const Tutorial& t) {
    if (demoPage(t)) {
        const HelpDemo& d = helpDemo;
        return {d.pointer.x, d.pointer.y, std::clamp(d.clickFlash / 400.0f, 0.0f, 1.0f), pageFadeAlpha(d)};
    }
    if (t.page == kHelpKeysPage) return {0.0f, 0.0f, 0.0f, 0};
    // One pointer at a time: field 1's while it plays its steps, then field 2's.
    const DemoField& f = t.fields[t.fields[0].stepIndex < kDemoPlayedSteps[0] ? 0 : 1];
    return {f.pointer.x, f.pointer.y, std::clamp(f.clickFlash / 400.0f, 0.0f, 1.0f), tutorialFadeAlpha(t)};
}
