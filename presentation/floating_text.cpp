#include "presentation/floating_text.h"

#include <cmath>
#include <cstring>

#include "app/app.h"
#include "app/draw.h"
#include "presentation/text.h"

TextEffects textEffects;

namespace {

constexpr float kPi = 3.14159265358979f;

// Shimmer between yellow and white: 0.5 + 0.5 sin(2 pi f t / 1000).
float shimmer(float frequency) {
    return 0.5f + 0.5f * std::sin(2 * kPi * frequency * animationClock / 1000.0f);
}

}  // namespace

void addFloatingText(TextEffects& effects, const char* text, float x, float y, float size, float durationMs) {
    if (durationMs <= 0 || text == nullptr) return;
    FloatingText& slot = effects.floating[effects.nextFloating];
    std::strncpy(slot.text, text, kFloatingTextLength - 1);
    slot.text[kFloatingTextLength - 1] = 0;
    slot.width = textWidth(slot.text, size);
    slot.size = size;
    slot.remaining = 2000;
    slot.x = x;
    slot.y = y;
    slot.speed = 2000 / durationMs;
    effects.nextFloating = (effects.nextFloating + 1) % kFloatingTextCapacity;
}

void addFloatingText(const char* text, float x, float y, float size, float durationMs) {
    addFloatingText(textEffects, text, x, y, size, durationMs);
}

void addFlyingLetters(TextEffects& effects, const char* text, float x, float y, float size) {
    if (text == nullptr) return;
    const BitmapFont& font = currentFont(textPen);
    float offset = -textWidth(font, text, size) / 2;
    for (int i = 0; text[i] != 0; ++i) {
        auto c = static_cast<uint8_t>(text[i]);
        if (i > 0) offset += size * font.advance[c] / 2;
        FlyingLetter& slot = effects.letters[effects.nextLetter];
        slot = {c, x + offset, y, size, 6000.0f + 40.0f * static_cast<float>(i)};
        effects.nextLetter = (effects.nextLetter + 1) % kFlyingLetterCapacity;
        offset += size * font.advance[c] / 2;
    }
}

void addFlyingLetters(const char* text, float x, float y, float size) {
    addFlyingLetters(textEffects, text, x, y, size);
}

void clearFlyingLetters(TextEffects& effects) {
    std::memset(effects.letters, 0, sizeof effects.letters);
}

void clearFlyingLetters() {
    clearFlyingLetters(textEffects);
}

void clearFloatingTexts(TextEffects& effects) {
    for (FloatingText& slot : effects.floating) slot.remaining = -1;
    clearFlyingLetters(effects);
}

void clearFloatingTexts() {
    clearFloatingTexts(textEffects);
}

FloatingLook floatingTextLook(float r) {
    auto fadeAlpha = [](float amount) {
        int alpha = static_cast<int>(amount * 256 / 600);
        return alpha > 255 ? 255 : (alpha < 0 ? 0 : alpha);
    };
    if (r > 1400) return {(2000 - r) / 600, fadeAlpha(2000 - r)};
    if (r > 600) return {1 + 0.1f * std::sin(3 * kPi * (r - 600) / 800), 255};
    return {r / 600, fadeAlpha(r)};
}

LetterLook flyingLetterLook(const FlyingLetter& letter) {
    const float life = letter.life;
    if (life <= 0 || life > 6000) return {false, 0, 0, 0, 0};
    float alpha, k, wave = 0;
    if (life >= 5000) {  // growing in from four times the size
        float u = (6000 - life) / 1000;
        alpha = u * 255;
        k = 2 - u;
    } else if (life <= 1500) {  // shrinking away
        float u = life / 1500;
        alpha = u * 255;
        k = u;
    } else {  // waving
        float v = (life - 1500) / 3500 * 3 * kPi;
        alpha = 255;
        k = 1 + 0.08f * std::sin(v);
        wave = 2 * std::sin(2 * v);
    }
    k *= k;
    // The squared scale applies to the absolute x: letters fly in from the sides.
    return {true, letter.x * k, letter.y + wave, letter.size * k, static_cast<int>(alpha)};
}

void advanceFlyingLetters(TextEffects& effects, float dtMs) {
    for (FlyingLetter& letter : effects.letters)
        if (letter.life > 0) letter.life -= dtMs;
}

void advanceFloatingTexts(TextEffects& effects, float dtMs) {
    for (FloatingText& slot : effects.floating)
        if (slot.remaining > 0) slot.remaining -= dtMs * slot.speed;
}

void drawFlyingLetters() {
    const int font = textPen.current;  // the game's first font, whatever the menus left current
    selectFont(0);
    setTextColour(255, 255, 255, 255);
    for (const FlyingLetter& letter : textEffects.letters) {
        LetterLook look = flyingLetterLook(letter);
        if (!look.visible) continue;
        uint32_t colour = static_cast<uint32_t>(look.alpha & 255) << 24 | 0xFFFFFFu;
        drawGlyph(letter.character, look.x, look.y, look.size, colour);
    }
    advanceFlyingLetters(textEffects, frameDeltaMs);
    setTextColour(255, 255, 255, 255);
    selectFont(font);
}

void drawFloatingTexts() {
    const int font = textPen.current;
    selectFont(0);
    auto green = static_cast<uint8_t>(230 + 25 * shimmer(3));
    auto blue = static_cast<uint8_t>(100 + 155 * shimmer(4));
    for (const FloatingText& slot : textEffects.floating) {
        if (slot.remaining <= 0) continue;
        FloatingLook look = floatingTextLook(slot.remaining);
        setTextColour(255, green, blue, static_cast<uint8_t>(look.alpha));
        drawText(slot.x, slot.y, look.factor * slot.size, slot.text, true);
    }
    advanceFloatingTexts(textEffects, frameDeltaMs);
    setTextColour(255, 255, 255, 255);
    selectFont(font);
}
