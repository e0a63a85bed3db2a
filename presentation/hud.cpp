#include "presentation/hud.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "app/app.h"
#include "app/draw.h"
#include "app/textures.h"
#include "core/announce.h"
#include "core/field.h"
#include "core/profile.h"
#include "core/random.h"
#include "core/rules.h"
#include "presentation/floating_text.h"
#include "presentation/particles.h"
#include "presentation/scenery.h"
#include "presentation/text.h"

HudState hudState;

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr float kPanelHidden = -130.0f;
constexpr float kFuseLeft = -359.2f;  // where the burning part starts at f = 0
constexpr float kFuseBurn = 708.4f;   // burning length of the 742.4-unit fuse
constexpr float kFuseRight = 349.2f;
constexpr float kFuseTexture = 742.4f;
constexpr float kFigureSide = 48.4f;  // drawn size of a figure sheet frame
constexpr uint8_t kPanelText[3] = {132, 27, 0};
constexpr uint8_t kStockText[3] = {255, 222, 140};  // pale gold: the stock plate is dark

struct HudTextures {
    TextureRecord* panel;
    TextureRecord* heart;
    TextureRecord* stockPlate;
    TextureRecord* fuse;
    TextureRecord* barrel;
    TextureRecord* atlas;
    TextureRecord* hammer;
    TextureRecord* clock;
};
HudTextures textures;

void spawn(const char* effect, float x, float y) {
    spawnTemplateParticle(effect, x, y);
}

TextureRect atlasCell(int cell) {
    float left = static_cast<float>(cell % 8) / 8, top = static_cast<float>(cell / 8) / 8;
    return {left, top, left + 0.125f, top + 0.125f};
}

void drawAtlasCell(int cell, float x, float y, float side, float angle, uint32_t colour) {
    if (textures.atlas == nullptr) return;
    bindTexture(textures.atlas);
    drawQuadRotated(x, y, {x, y}, angle, side, side, atlasCell(cell), colour, 10);
}

void panelColour() {
    setTextColour(kPanelText[0], kPanelText[1], kPanelText[2], 255);
}

void drawNumber(const char* format, int value, float x, float y, float s, bool centred) {
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    drawText(x, y, s, text, centred);
}

int modeIndex(const GameState& g) {
    return g.mode != 0 ? 1 : 0;
}

bool inRect(float x, float y, const float* rect) {  // left, top, right, bottom; y up
    return x >= rect[0] && x <= rect[2] && y <= rect[1] && y >= rect[3];
}

bool overMenuButton(const GameState& g) {
    const float rect[4] = {-385.0f, -15.0f, -297.0f, -45.0f};
    return inRect(g.pointer.x, g.pointer.y, rect);
}

// The menu button reacts while the game is really being played.
bool playing(const GameState& g) {
    const bool timeLeft = g.timeLimit <= 0 || g.mode != 0 || g.elapsed < g.timeLimit;
    return g.timeUp == 0 && timeLeft && g.levelOver == 0 && g.tutorialOn == 0;
}

// The fuse picture's middle line; it slides down with the panel.
float fuseMiddle(const GameState& g) {
    return -275.0f + g.hudSlide;
}

// The fuse tip: where the burning part of the fuse starts. The cord lies in the lower
// part of its picture, under the field's bottom row, so the tip (sparks, flyers) sits
// that much below the picture's middle.
constexpr float kCordBelowMiddle = 14.5f;
void fuseTip(const HudState& hud, const GameState& g, float* x, float* y) {
    *x = kFuseLeft + kFuseBurn * fuseFraction(hud, g);
    *y = fuseMiddle(g) - kCordBelowMiddle;
}

// ---- Side panel ----

void drawSidePanel(HudState& hud, GameState& g) {
    const float offset = g.hudSlide;
    if (textures.panel != nullptr) {
        bindTexture(textures.panel);
        disable(kStateFiltering);
        drawQuadPixels(offset, 0, offset + 127, 511, kWholeTexture, 0xFFFFFFFFu);
        enable(kStateFiltering);
    }
    const float x = -347 + offset;
    panelColour();
    drawText(x, 278, 13, lookupText("score"), false);
    long long banked = gameProfile != nullptr ? gameProfile->score[modeIndex(g)] : 0;
    char score[32];
    std::snprintf(score, sizeof score, "%lld", banked + g.displayedScore);
    drawText(x, 243, 13, score, false);
    drawText(x, 184, 13, lookupText("level"), false);
    drawNumber("%i", g.level + 1, x, 150, 13, false);

    if (!timeBarShown(g) && g.mode != 0) {
        // Centred on the parchment: a long mode name started at the labels' left edge
        // would run into the panel's right border.
        const float middle = -337 + offset;
        drawText(middle, 91, 12, lookupText("mode"), true);
        drawText(middle, 62, 11, lookupText("mode2"), true);
    } else {
        drawText(-343 + offset, 93, 13, lookupText("lives"), false);
        int lives = gameProfile != nullptr ? gameProfile->lives[0] : 0;
        HeartRow row = heartRow(lives, offset, hud.heartPulsing ? heartPulseSize(hud.heartPulse) : 0);
        if (row.lastLife) drawText(row.textX, row.textY, 11, lookupText("lastlife1"), false);
        if (textures.heart != nullptr && row.hearts > 0) {
            bindTexture(textures.heart);
            for (int i = 0; i < row.hearts; ++i)
                drawQuadCentred(row.firstX + 26.0f * static_cast<float>(i), row.y, row.side, row.side,
                                kWholeTexture, 0xFFFFFFFFu, 10);
        }
        if (row.count) drawNumber("x%i", lives, row.textX, row.textY, 13, false);
    }

    if (overMenuButton(g) && playing(g)) {
        setTextColour(255, 255, 0, 255);
        drawText(-341 + offset, -30, 13 + std::sin(0.008f * hud.menuHover), lookupText("menu"), false);
    } else {
        setTextColour(255, 255, 255, 255);
        drawText(-341 + offset, -30, 13, lookupText("menu"), false);
    }
    setTextColour(255, 255, 255, 255);
}

// ---- Time bar ----

void drawTimeBar(HudState& hud, GameState& g) {
    const float offset = g.hudSlide;
    const float f = fuseFraction(hud, g);
    if (textures.barrel != nullptr) {
        float s = 0;
        if (f >= 1 && g.levelOver == 0)
            s = std::sin(hud.throbClock * kPi * hud.throbFrequency / 400) * hud.throbAmplitude;
        const float half = 51.2f, cy = -240 + offset;
        bindTexture(textures.barrel);
        drawQuadRect(360 - half - s, cy + half + s, 360 + half + s, cy - half - s, kWholeTexture, 0xFFFFFFFFu,
                     10);
    }
    float tipX, tipY;
    fuseTip(hud, g, &tipX, &tipY);
    const bool fuseShown = (g.levelOver == 0 || g.bonusCountUp != 0) && f < 1;
    if (fuseShown && textures.fuse != nullptr) {
        bindTexture(textures.fuse);
        TextureRect rect = {17 / kFuseTexture + f * kFuseBurn / kFuseTexture, 0, 1 - 17 / kFuseTexture, 1};
        drawQuadRect(tipX, fuseMiddle(g) + 32, kFuseRight, fuseMiddle(g) - 32, rect, 0xFFFFFFFFu, 10);
    }
    if (g.bonusCountUp != 0) {
        const float u = g.countUpClock, d = g.countUpDuration;
        if (u >= 1400 && u < 1400 + d && f < 1) {
            setBlend(1);
            disable(kStateAlphaTest);
            drawAtlasCell(17, tipX, tipY, 25, 0, 0xFFFFFFFFu);
            setBlend(0);
            enable(kStateAlphaTest);
        }
        BonusLook look = bonusLook(u, d);
        auto alpha = static_cast<uint8_t>(std::clamp(look.alpha, 0.0f, 255.0f));
        if (16 + look.growth > 10) {
            setTextColour(255, 255, 255, alpha);
            drawText(250, -120, 16 + look.growth, lookupText("timebonus"), true);
        }
        if (20 + look.growth > 10) {
            setTextColour(255, 255, 0, alpha);
            drawNumber("+%i", g.displayedBonus, 250, -140 - (20 + look.growth), 20 + look.growth, true);
        }
        setTextColour(255, 255, 255, 255);
    }
}

// ---- Stock ----

float iconWobble(float hover, float wobbleClock, bool hovered) {
    if (hovered) return 3 * std::sin(hover / 1000 * 3 * kPi);
    if (wobbleClock < 0) return 3 * std::sin((wobbleClock - 2000) / 2000 * 6 * kPi);
    return 0;
}

void drawIcon(TextureRecord* sheet, float x, float y, float wobble, uint8_t alpha) {
    if (sheet == nullptr) return;
    bindTexture(sheet);
    const float side = kFigureSide + wobble;
    drawQuadCentred(x, y, side, side, {0, 0, 0.125f, 0.25f}, static_cast<uint32_t>(alpha) << 24 | 0xFFFFFFu,
                    10);
}

void drawStock(HudState& hud, GameState& g) {
    const float offset = g.hudSlide;
    const Stock& s = g.stock;
    if (s.hasPickups != 0 && textures.stockPlate != nullptr) {
        bindTexture(textures.stockPlate);
        disable(kStateFiltering);
        drawQuadPixels(offset, 400, offset + 127, 527, kWholeTexture, 0xFFFFFFFFu);
        enable(kStateFiltering);
    }
    setTextColour(kStockText[0], kStockText[1], kStockText[2], 255);
    if (s.hammers > 0) {
        bool hovered = inRect(g.pointer.x, g.pointer.y, s.iconRects);
        drawIcon(textures.hammer, s.hammerIcon.x + offset, s.hammerIcon.y,
                 iconWobble(hud.hammerHover, s.hammerWobble, hovered), 255);
        drawNumber("x%i", s.hammers, offset + s.hammerIcon.x + 35, s.hammerIcon.y, 13, false);
    }
    const bool lastBurning = s.clockRunning != 0 && s.clocks == 0;
    if (s.clocks > 0 || lastBurning) {
        bool hovered = inRect(g.pointer.x, g.pointer.y, s.iconRects + 4);
        float alpha = lastBurning ? 255 - std::min(s.burnClock, 3000.0f) / 3000 * 255 : 255;
        drawIcon(textures.clock, s.clockIcon.x + offset, s.clockIcon.y,
                 iconWobble(hud.clockHover, s.clockWobble, hovered), static_cast<uint8_t>(alpha));
        setTextColour(kStockText[0], kStockText[1], kStockText[2], 255);
        if (lastBurning)
            drawNumber("x%i", s.clocks, offset + s.clockIcon.x + 30, s.clockIcon.y, 10, false);
        else
            drawNumber("x%i", s.clocks, offset + s.clockIcon.x + 35, s.clockIcon.y, 13, false);
    }
    setTextColour(255, 255, 255, 255);
}

// ---- Messages ----

void drawBlinking(const char* key, float x, float y, float clock, float rate, bool pauseWord) {
    float b = blinkValue(clock, rate);
    setTextColour(255, 255, 255, static_cast<uint8_t>(255 * b));
    if (pauseWord) {
        if (clock < 7000) drawText(0, 0, 21 + 4 * b * b, lookupText("pause"), true);
    }
    drawText(x, y, 13 + b, lookupText(key), true);
    setTextColour(255, 255, 255, 255);
}

// The prompt to go on, `shownMs` after it is due: it comes in over half a second on
// a dark band and then pulses gently, never fading out, so it is seen at once.
void drawPrompt(float shownMs) {
    const float in = std::clamp(shownMs / 500, 0.0f, 1.0f);
    if (in <= 0) return;
    bindTexture(nullptr);
    drawQuadCentred(0, -280, 460, 34, kWholeTexture, static_cast<uint32_t>(120 * in) << 24, 10);
    const float pulse = 0.8f + 0.2f * std::sin(shownMs * 0.004f);
    setTextColour(255, 255, 255, static_cast<uint8_t>(255 * in * pulse));
    drawText(0, -280, 15, lookupText("keytoresume"), true);
    setTextColour(255, 255, 255, 255);
}

// Between two levels, while the old back zooms away: the coming level's number rises
// in at once, and the prompt follows a second later.
void drawTransitionMessage(const GameState& g) {
    constexpr float kTitleFrom = 300, kTitleIn = 700, kPromptFrom = 1000;
    const int font = textPen.current;
    selectFont(0);
    const float t = g.transitionClock;
    const float title = std::clamp((t - kTitleFrom) / kTitleIn, 0.0f, 1.0f);
    if (title > 0) {
        char line[64];
        std::snprintf(line, sizeof line, "%s %i", lookupText("level"), g.level + 1);
        setTextColour(255, 230, 140, static_cast<uint8_t>(255 * title));
        drawText(0, 20 + 20 * title, 26, line, true);
    }
    drawPrompt(t - kPromptFrom);
    setTextColour(255, 255, 255, 255);
    selectFont(font);
}

// A level started again after its time ran out: "Try again" and the lives left, for
// the first seconds, so the restart is never silent.
void drawRetryMessage(const GameState& g) {
    constexpr float kShownMs = 3500, kFadeMs = 800;
    if (g.retried == 0 || g.mode != 0 || g.levelOver != 0 || g.timeUp != 0 || g.elapsed >= kShownMs) return;
    const float alpha = std::clamp((kShownMs - g.elapsed) / kFadeMs, 0.0f, 1.0f);
    bindTexture(nullptr);
    drawQuadCentred(0, 14, 300, 92, kWholeTexture, static_cast<uint32_t>(150 * alpha) << 24, 10);
    setTextColour(255, 230, 140, static_cast<uint8_t>(255 * alpha));
    drawText(0, 30, 26, lookupText("tryagain"), true);
    setTextColour(255, 255, 255, static_cast<uint8_t>(255 * alpha));
    char line[48];
    std::snprintf(line, sizeof line, "%s: %i", lookupText("lives"),
                  gameProfile != nullptr ? gameProfile->lives[0] : 0);
    drawText(0, -10, 15, line, true);
    setTextColour(255, 255, 255, 255);
}

}  // namespace

// The texts over the field: a restarted level's "Try again", the pause's blinking words,
// and the prompt to go on once a won level's statistics are closed.
void drawPauseTexts(const GameState& g) {
    const int font = textPen.current;
    selectFont(0);
    drawRetryMessage(g);
    if (g.paused != 0) drawBlinking("keytoresume", 0, -280, g.pauseClock, 0.0003f, true);
    // A won level waits for a click once its statistics are closed: say so soon.
    constexpr float kPromptAfterWinMs = 1500;
    if (g.transition == 0 && g.levelOver != 0 && g.gameMenuOpen == 0)
        drawPrompt(g.levelOverClock - kPromptAfterWinMs);
    selectFont(font);
}

void drawNoMovesMessage(const HudState& hud, const GameState& g) {
    if (g.noMoves == 0) return;
    const int font = textPen.current;
    selectFont(0);
    setTextColour(255, 255, 255, 255);
    drawText(hud.shakeX, hud.shakeY, 15, lookupText("nomoremoves"), true);
    selectFont(font);
}

namespace {

// ---- Flyers and popups ----

void drawFlyers(const HudState& hud) {
    setBlend(1);
    disable(kStateAlphaTest);
    for (const Flyer& f : hud.flyers) {
        if (f.active == 0) continue;
        if (f.kind == 0)
            drawAtlasCell(61, f.x, f.y, 25 - f.age / 3000 * 25, f.angle, f.colour);
        else
            drawAtlasCell(17, f.x, f.y, 50 - f.age / 3000 * 50, f.angle, f.colour);
    }
    setBlend(0);
    enable(kStateAlphaTest);
}

// Each "+N" in pale gold on a soft dark rim, a little larger than its record's size,
// so it reads over the brightest charms.
void drawScorePopups(const HudState& hud) {
    constexpr float kRim = 1.3f, kGrow = 3;
    for (const ScorePopup& p : hud.popups) {
        if (p.size <= 0 || p.alpha <= 0) continue;
        const uint8_t alpha = static_cast<uint8_t>(std::min(p.alpha, 255.0f));
        setTextColour(40, 15, 0, static_cast<uint8_t>(alpha * 2 / 5));
        for (int k = 0; k < 4; ++k)
            drawNumber("+%i", p.points, p.x + (k % 2 ? kRim : -kRim), p.y + (k / 2 ? kRim : -kRim),
                       p.size + kGrow, true);
        // Twice over: the glyphs' soft edges would otherwise let the rim darken the gold.
        setTextColour(255, 248, 175, alpha);
        for (int pass = 0; pass < 2; ++pass) drawNumber("+%i", p.points, p.x, p.y, p.size + kGrow, true);
    }
    setTextColour(255, 255, 255, 255);
}

void updateFlyers(HudState& hud, GameState& g, float dt) {
    float tipX, tipY;
    fuseTip(hud, g, &tipX, &tipY);
    for (Flyer& f : hud.flyers) {
        if (f.active == 0) continue;
        if (f.kind == 1) {
            f.targetX = tipX;
            f.targetY = tipY;
        }
        float dx = f.targetX - f.x, dy = f.targetY - f.y;
        if (dx * dx + dy * dy < 100) {
            f.active = 0;
            if (f.kind == 1) sparkleArrived(g);
            continue;
        }
        f.age += dt;
        if (f.age > 3000) {
            f.active = 0;
            continue;
        }
        f.trail += dt;
        while (f.trail > 100) {
            spawn("bonusscore", f.x, f.y);
            f.trail -= 100;
        }
        float u = f.age / 3000;
        f.x += f.vx * (1 - u) * dt * 0.2f;
        f.y += f.vy * (1 - u) * dt * 0.2f;
        f.x += (f.targetX - f.x) * u * u * u;
        f.y += (f.targetY - f.y) * u * u * u;
        f.angle += dt * f.spin * 0.1f;
    }
}

void updateFuse(HudState& hud, GameState& g, float dt) {
    if (!timeBarShown(g)) return;
    const float f = fuseFraction(hud, g);
    if (f >= 1 && g.levelOver == 0) {
        hud.throbClock += dt;
        hud.throbFrequency += 0.0003f * dt;
        hud.throbAmplitude += 0.006f * dt;
        if (hud.throbClock * hud.throbFrequency > 400) hud.throbClock = 0;
    } else {
        hud.throbClock = 0;
        hud.throbFrequency = 0.8f;
        hud.throbAmplitude = 1;
    }
    // The scene greys as the clock runs out: half its brightness at the end.
    if (g.levelOver == 0 && g.paused == 0) setTintForTimeLeft(scenery, g.timeLimit - g.elapsed);
    const bool frozen = g.paused != 0 || (g.gameMenuOpen != 0 && g.levelOver == 0) || f >= 1;
    if (frozen || (g.levelOver != 0 && g.bonusCountUp == 0)) return;
    float tipX, tipY;
    fuseTip(hud, g, &tipX, &tipY);
    hud.sparkClock += dt;
    if (g.bonusCountUp == 0) {
        while (hud.sparkClock >= 50) {
            spawn("flare1", tipX, tipY);
            hud.sparkClock -= 50;
        }
        return;
    }
    const float u = g.countUpClock;
    if (u < 1400) {
        while (hud.sparkClock >= 50) {
            spawn("smoke", tipX, tipY);
            hud.sparkClock -= 50;
        }
    } else if (u < 1400 + g.countUpDuration) {
        hud.bonusFlyerClock += dt;
        while (hud.bonusFlyerClock >= 100) {
            addFlyer(hud, 0, tipX, tipY);
            hud.bonusFlyerClock -= 100;
        }
    }
}

void updateStock(HudState& hud, GameState& g, float dt) {
    Stock& s = g.stock;
    const float offset = g.hudSlide;
    struct Icon {
        float* hover;
        float* wobble;
        float* particle;
        const float* rect;
        Vec2 at;
        bool held;
    } icons[2] = {
        {&hud.hammerHover, &s.hammerWobble, &s.hammerParticle, s.iconRects, s.hammerIcon, s.hammers > 0},
        {&hud.clockHover, &s.clockWobble, &s.clockParticle, s.iconRects + 4, s.clockIcon, s.clocks > 0}};
    for (Icon& icon : icons) {
        if (icon.held && inRect(g.pointer.x, g.pointer.y, icon.rect)) {
            *icon.hover += dt;
        } else {
            *icon.hover = 0;
            if (*icon.wobble < 0) {
                *icon.wobble = std::min(0.0f, *icon.wobble + dt);
                *icon.particle += dt;
                while (*icon.particle >= 40) {
                    spawn("molotok2", icon.at.x + offset, icon.at.y);
                    *icon.particle -= 40;
                }
            }
        }
    }
}

}  // namespace

// ---- Rules ----------------------------------------------------------------------------------

void addScorePopup(HudState& hud, float x, float y, int points) {
    hud.popups[hud.nextPopup] = {points, x, y, 0, 0.02f, 12, 0, 255, -0.09f};
    hud.nextPopup = (hud.nextPopup + 1) % kScorePopupCapacity;
}

void addScorePopup(float x, float y, int points) {
    addScorePopup(hudState, x, y, points);
}

void advanceScorePopups(HudState& hud, float dt) {
    for (ScorePopup& p : hud.popups) {
        if (p.size <= 0 || p.alpha <= 0) continue;
        p.x += p.vx * dt;
        p.y += p.vy * dt;
        p.size += p.sizeSpeed * dt;
        p.alpha += p.alphaSpeed * dt;
    }
}

void addFlyer(HudState& hud, int kind, float x, float y) {
    Flyer& f = hud.flyers[hud.nextFlyer];
    hud.nextFlyer = (hud.nextFlyer + 1) % kFlyerCapacity;
    f = {};
    f.active = 1;
    f.kind = kind;
    f.startX = f.x = x;
    f.startY = f.y = y;
    if (kind == 0) {
        f.targetX = 245 + randomSigned(lookRandom, 90);
        f.targetY = -170 + randomSigned(lookRandom, 30);
        f.vx = randomSigned(lookRandom, 0.6f);
        f.vy = randomUnit(lookRandom, 0.5f);
        uint32_t r = 155 + static_cast<uint32_t>(randomBelow(lookRandom, 100));
        uint32_t g = 155 + static_cast<uint32_t>(randomBelow(lookRandom, 100));
        uint32_t b = 155 + static_cast<uint32_t>(randomBelow(lookRandom, 100));
        f.colour = 0xFF000000u | r << 16 | g << 8 | b;
    } else {
        f.targetX = x;  // the fuse tip, set every frame
        f.targetY = y;
        f.vx = 0.3f + randomSigned(lookRandom, 0.4f);
        f.vy = randomUnit(lookRandom, 0.6f);
        f.colour = 0xFFFFFFFFu;
    }
    f.angle = randomSigned(lookRandom, 360);
    f.spin = randomSigned(lookRandom, 10);
}

bool panelHidden(const GameState& g) {
    if (g.paused != 0 || g.tutorialOn != 0) return true;
    if (g.levelOver == 0 || g.levelOverClock <= 1000) return false;
    return g.bonusCountUp == 0 || g.countUpClock > g.countUpDuration + 1400;
}

float slidePanel(float offset, bool hidden, float dt) {
    if (hidden) return std::max(kPanelHidden, offset - 0.1f * dt);
    return std::min(0.0f, offset + 0.15f * dt);
}

bool timeBarShown(const GameState& g) {
    return g.mode == 0 && g.tutorialOn == 0 && g.timeLimit > 0;
}

float fuseFraction(const HudState& hud, const GameState& g) {
    if (g.timeLimit <= 0) return 0;
    const float total = g.timeLimit;
    float f = std::clamp(g.elapsed / total, 0.0f, 1.0f);
    if (g.bonusCountUp != 0 && g.countUpClock > 1400 && total > g.elapsed) {
        const float u = g.countUpClock - 1400;
        f = f + (hud.fuseLinear * u + hud.fuseQuadratic * u * u) / (total - g.elapsed) * (1 - f);
        f = std::clamp(f, 0.0f, 1.0f);
    }
    return f;
}

float heartPulseSize(float clock) {
    if (clock < 0 || clock >= 2400) return 0;
    return 2 * std::sin(kPi * clock / 200);
}

HeartRow heartRow(int lives, float offset, float pulse) {
    HeartRow row = {};
    row.side = 24 + pulse;
    row.y = 56;
    const float left = offset - 397;
    const float top = row.y + row.side / 2;
    if (lives <= 0) {
        row.lastLife = true;
        row.textX = -347 + offset;
        row.textY = top - 12;
    } else if (lives <= 3) {
        row.hearts = lives;
        row.firstX = left + 26;
    } else {
        row.hearts = 1;
        row.firstX = left + 36;
        row.count = true;
        row.textX = row.firstX - row.side / 2 + 38;
        row.textY = top - 12;
    }
    return row;
}

BonusLook bonusLook(float u, float d) {
    float a, k;
    if (u < 1400) {
        a = 0;
        k = 0;
    } else if (u > d + 2400) {
        a = (1 - (u - d - 2400) / 1000) * 255;
        k = (1 - (u - d - 2400) / 300) * 255 / 50;
    } else if (u > d + 1400) {
        k = (200 + 55 * std::sin((kPi * u - d + 1400) / 250)) / 50;
        a = 255;
    } else if (u < 2400) {
        a = (u - 1400) / 1000 * 255;
        k = a / 50;
    } else {
        a = 255;
        k = 5;
    }
    return {std::clamp(a, 0.0f, 255.0f), k};
}

float blinkValue(float clock, float rate) {
    float x = (std::cos(clock * rate - 0.9424779f) + 1) / 2;
    return x > 0.7f ? (x - 0.7f) / 0.3f : 0;
}

// ---- Frame ----------------------------------------------------------------------------------

void clearHud(HudState& hud) {
    hud = {};
    hud.throbFrequency = 0.8f;
    hud.throbAmplitude = 1;
}

bool hudAnnouncement(HudState& hud, GameState& g, const Announcement& what) {
    switch (what.kind) {
        case Announce::ScorePopup:
            addScorePopup(hud, what.x, what.y, what.value);
            return true;
        case Announce::FloatingText: {
            const char* text = lookupText(what.name);
            if (text == nullptr) return true;
            char line[kFloatingTextLength];
            if (what.value < 0)
                std::snprintf(line, sizeof line, "%s", text);
            else if (std::strcmp(what.name, "megaboom") == 0)
                std::snprintf(line, sizeof line, "%s : +%i", text, what.value);
            else
                std::snprintf(line, sizeof line, "%s %i", text, what.value);
            addFloatingText(line, what.x, what.y, what.size, what.life);
            return true;
        }
        case Announce::FlyingLetters:
            addFlyingLetters(lookupText(what.name), what.x, what.y, what.size);
            return true;
        case Announce::Sparkle:
            addFlyer(hud, 1, what.x + g.hudSlide, what.y);
            return true;
        case Announce::HeartPulse:
            hud.heartPulsing = true;
            hud.heartPulse = 0;
            return true;
        case Announce::FuseParameters:
            hud.fuseLinear = what.x;
            hud.fuseQuadratic = what.y;
            return true;
        case Announce::DropSparkles:
            for (Flyer& f : hud.flyers)
                if (f.kind == 1) f.active = 0;
            return true;
        case Announce::NoMovesShake:
            hud.noMovesShake = 600;
            return true;
        case Announce::ClearPresentation:
            clearHud(hud);
            clearFloatingTexts();
            return true;
        default:
            return false;
    }
}

bool hudAnnouncement(const Announcement& what) {
    return hudAnnouncement(hudState, gameState, what);
}

void loadHudTextures() {
    textures.panel = loadTexture("gamebar.tga", false);
    textures.heart = loadTexture("heart.tga", false);
    textures.stockPlate = loadTexture("timer_hammer.tga", false);
    textures.fuse = loadTexture("fuse.tga", false);
    textures.barrel = loadTexture("barrel.tga", false);
    textures.atlas = loadTexture("exploanim.tga", false);
    textures.hammer = loadTexture("figures/molotok.tga", false);
    textures.clock = loadTexture("figures/chasiki.tga", false);
}

void updateHud(HudState& hud, GameState& g, float dt) {
    g.hudSlide = slidePanel(g.hudSlide, panelHidden(g), dt);
    if (hud.heartPulsing) {
        hud.heartPulse += dt;
        if (hud.heartPulse >= 2400) hud.heartPulsing = false;
    }
    if (overMenuButton(g) && playing(g))
        hud.menuHover += dt;
    else
        hud.menuHover = 0;
    if (hud.noMovesShake > 0) {
        hud.noMovesShake -= dt;
        float amount = std::max(hud.noMovesShake, 0.0f) / 600 * 6;
        hud.shakeX = randomSigned(lookRandom, amount);
        hud.shakeY = randomSigned(lookRandom, amount);
    } else {
        hud.shakeX = hud.shakeY = 0;
    }
    updateFuse(hud, g, dt);
    updateStock(hud, g, dt);
    updateFlyers(hud, g, dt);
    advanceScorePopups(hud, dt);
}

namespace {

// The HUD speaks in the game's first font, whichever font was current before.
template <typename Draw>
void inHudFont(Draw draw) {
    const int font = textPen.current;
    selectFont(0);
    draw();
    selectFont(font);
}

}  // namespace

void drawHudSidePanel(HudState& hud, GameState& g) {
    inHudFont([&] { drawSidePanel(hud, g); });
}

void drawHudTimeBar(HudState& hud, GameState& g) {
    if (timeBarShown(g)) inHudFont([&] { drawTimeBar(hud, g); });
}

void drawHudStock(HudState& hud, GameState& g) {
    inHudFont([&] { drawStock(hud, g); });
}

void drawHudFlyers(const HudState& hud) {
    drawFlyers(hud);
}

void drawHudScorePopups(const HudState& hud) {
    inHudFont([&] { drawScorePopups(hud); });
}

void drawTransitionTexts(const GameState& g) {
    drawTransitionMessage(g);
}

void drawHammerCursor(float x, float y) {
    if (textures.hammer == nullptr) return;
    const int frame = static_cast<int>(animationClock / 30.0f) % 32;
    const float s = static_cast<float>(frame % 8) * 0.125f, t = static_cast<float>(frame / 8) * 0.25f;
    bindTexture(textures.hammer);
    drawQuadCentred(x, y, kFigureSide, kFigureSide, {s, t, s + 0.125f, t + 0.25f}, 0xFFFFFFFFu, 10);
}
