#include "menus/menu_draw.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <string_view>

#include "app/draw.h"

// The menus draw with plain quads: a 3 x 5 block font for captions and texts, and
// framed rectangles for windows, buttons and widgets. Each glyph is 15 bits, rows top
// to bottom, three bits a row with the left column in the high bit.

namespace {

float squash = 1.0f;
int currentFont = 1;

constexpr uint16_t glyph(int a, int b, int c, int d, int e) {
    return static_cast<uint16_t>(a << 12 | b << 9 | c << 6 | d << 3 | e);
}

uint16_t glyphFor(char raw) {
    char ch = static_cast<char>(std::toupper(static_cast<unsigned char>(raw)));
    static const uint16_t letters[26] = {
        glyph(2, 5, 7, 5, 5), glyph(6, 5, 6, 5, 6), glyph(3, 4, 4, 4, 3), glyph(6, 5, 5, 5, 6),
        glyph(7, 4, 6, 4, 7), glyph(7, 4, 6, 4, 4), glyph(3, 4, 5, 5, 3), glyph(5, 5, 7, 5, 5),
        glyph(7, 2, 2, 2, 7), glyph(1, 1, 1, 5, 2), glyph(5, 5, 6, 5, 5), glyph(4, 4, 4, 4, 7),
        glyph(5, 7, 7, 5, 5), glyph(6, 5, 5, 5, 5), glyph(2, 5, 5, 5, 2), glyph(6, 5, 6, 4, 4),
        glyph(2, 5, 5, 6, 3), glyph(6, 5, 6, 5, 5), glyph(3, 4, 2, 1, 6), glyph(7, 2, 2, 2, 2),
        glyph(5, 5, 5, 5, 7), glyph(5, 5, 5, 5, 2), glyph(5, 5, 7, 7, 5), glyph(5, 5, 2, 5, 5),
        glyph(5, 5, 2, 2, 2), glyph(7, 1, 2, 4, 7)};
    static const uint16_t digits[10] = {glyph(7, 5, 5, 5, 7), glyph(2, 6, 2, 2, 7), glyph(6, 1, 2, 4, 7),
                                        glyph(6, 1, 2, 1, 6), glyph(5, 5, 7, 1, 1), glyph(7, 4, 6, 1, 6),
                                        glyph(3, 4, 7, 5, 7), glyph(7, 1, 2, 2, 2), glyph(7, 5, 7, 5, 7),
                                        glyph(7, 5, 7, 1, 6)};
    if (ch >= 'A' && ch <= 'Z') return letters[ch - 'A'];
    if (ch >= '0' && ch <= '9') return digits[ch - '0'];
    switch (ch) {
        case '.':
            return glyph(0, 0, 0, 0, 2);
        case ',':
            return glyph(0, 0, 0, 2, 4);
        case '!':
            return glyph(2, 2, 2, 0, 2);
        case '?':
            return glyph(6, 1, 2, 0, 2);
        case ':':
            return glyph(0, 2, 0, 2, 0);
        case '\'':
            return glyph(2, 2, 0, 0, 0);
        case '-':
            return glyph(0, 0, 7, 0, 0);
        case '|':
            return glyph(2, 2, 2, 2, 2);
        case '(':
            return glyph(1, 2, 2, 2, 1);
        case ')':
            return glyph(4, 2, 2, 2, 4);
        case '/':
            return glyph(1, 1, 2, 4, 4);
        case '+':
            return glyph(0, 2, 7, 2, 0);
        case '"':
            return glyph(5, 5, 0, 0, 0);
        default:
            return 0;
    }
}

float advance(float size) {
    return size * 0.8f;
}

float sy(float y) {
    return y * squash;
}

void quad(float left, float top, float right, float bottom, uint32_t colour) {
    drawQuadRect(left, sy(top), right, sy(bottom), kWholeTexture, colour, 10);
}

void outline(float left, float top, float right, float bottom, float t, uint32_t colour) {
    quad(left, top, right, top - t, colour);
    quad(left, bottom + t, right, bottom, colour);
    quad(left, top, left + t, bottom, colour);
    quad(right - t, top, right, bottom, colour);
}

}  // namespace

uint32_t argb(int r, int g, int b, int a) {
    auto c = [](int v) { return static_cast<uint32_t>(std::clamp(v, 0, 255)); };
    return c(a) << 24 | c(r) << 16 | c(g) << 8 | c(b);
}

void menuSetFont(int font) {
    currentFont = font;
}

void menuSetSquash(float factor) {
    squash = factor;
}

float menuTextWidth(const char* text, float size) {
    return static_cast<float>(std::strlen(text)) * advance(size);
}

void menuDrawText(const char* text, float x, float y, float size, uint32_t colour, bool centred) {
    if ((colour >> 24) == 0) return;
    bindTexture(nullptr);
    float left = centred ? x - menuTextWidth(text, size) / 2 : x;
    float pixel = size * 0.16f * (currentFont == 1 ? 1.05f : 1.0f);
    float top = y + pixel * 2.5f;
    for (const char* c = text; *c != 0; ++c, left += advance(size)) {
        uint16_t bits = glyphFor(*c);
        for (int row = 0; row < 5; ++row)
            for (int col = 0; col < 3; ++col)
                if (bits & (1 << ((4 - row) * 3 + (2 - col))))
                    quad(left + col * pixel, top - row * pixel, left + (col + 1) * pixel,
                         top - (row + 1) * pixel, colour);
    }
}

namespace {

// Calls line(start, length) for each wrapped line of text.
template <typename LineFunction>
int wrapLines(const char* text, float width, float size, LineFunction line) {
    int count = 0;
    size_t n = std::strlen(text), at = 0;
    size_t perLine = std::max<size_t>(1, static_cast<size_t>(width / advance(size)));
    while (at < n) {
        size_t end = at, lastBreak = std::string_view::npos;
        while (end < n && text[end] != '\n' && text[end] != '\r' && end - at < perLine) {
            if (text[end] == ' ') lastBreak = end;
            ++end;
        }
        if (end < n && end - at >= perLine && lastBreak != std::string_view::npos && text[end] != ' ')
            end = lastBreak;
        line(text + at, end - at);
        ++count;
        at = end;
        if (at < n && text[at] == '\r') ++at;
        if (at < n && (text[at] == '\n' || text[at] == ' ')) ++at;
    }
    return count;
}

}  // namespace

float menuWrapHeight(const char* text, float width, float size) {
    return static_cast<float>(wrapLines(text, width, size, [](const char*, size_t) {})) * size * 1.5f;
}

void menuDrawWrapped(const char* text, float x, float y, float width, float size, uint32_t colour,
                     bool centred) {
    float line = y;
    wrapLines(text, width, size, [&](const char* start, size_t length) {
        char buffer[256];
        size_t k = std::min(length, sizeof buffer - 1);
        std::memcpy(buffer, start, k);
        buffer[k] = 0;
        menuDrawText(buffer, x, line, size, colour, centred);
        line -= size * 1.5f;
    });
}

void menuDrawFrame(float cx, float cy, float w, float h, float spriteScale) {
    bindTexture(nullptr);
    float l = cx - w / 2, r = cx + w / 2, t = cy + h / 2, b = cy - h / 2;
    float border = 6 * spriteScale;
    quad(l - 10, t + 10, r + 10, b - 10, argb(255, 190, 90, 40));  // halo
    quad(l, t, r, b, argb(22, 30, 58, 225));
    outline(l, t, r, b, border, argb(196, 150, 60));
    outline(l + border, t - border, r - border, b + border, 2, argb(90, 70, 30));
    for (float x : {l, r})
        for (float y : {t, b})
            quad(x - 9 * spriteScale, y + 9 * spriteScale, x + 9 * spriteScale, y - 9 * spriteScale,
                 argb(240, 200, 90));
}

void menuDrawPanel(float cx, float cy, float w, float h) {
    bindTexture(nullptr);
    float l = cx - w / 2, r = cx + w / 2, t = cy + h / 2, b = cy - h / 2;
    quad(l, t, r, b, argb(250, 244, 220, 230));
    outline(l, t, r, b, 3, argb(150, 110, 50));
}

void menuDrawButtonFace(float cx, float cy, float w, float h, bool selected) {
    bindTexture(nullptr);
    float l = cx - w / 2 + 8, r = cx + w / 2 - 8, t = cy + h / 2 - 12, b = cy - h / 2 + 12;
    quad(l, t, r, b, selected ? argb(120, 70, 20) : argb(70, 45, 20));
    outline(l, t, r, b, 3, argb(220, 170, 70));
}

void menuDrawCheckBox(float x, float y, bool ticked) {
    bindTexture(nullptr);
    quad(x - 12, y + 12, x + 12, y - 12, argb(40, 30, 20));
    outline(x - 12, y + 12, x + 12, y - 12, 3, argb(220, 170, 70));
    if (ticked) quad(x - 6, y + 6, x + 6, y - 6, argb(255, 230, 90));
}

void menuDrawSlider(float left, float right, float y, int value, int steps) {
    bindTexture(nullptr);
    quad(left, y + 4, right, y - 4, argb(60, 45, 25));
    outline(left, y + 4, right, y - 4, 1, argb(220, 170, 70));
    float fraction = steps > 1 ? static_cast<float>(value) / static_cast<float>(steps - 1) : 0;
    float x = left + (right - left) * fraction;
    quad(x - 7, y + 12, x + 7, y - 12, argb(255, 220, 110));
}

void menuDrawGlow(float left, float top, float right, float bottom, uint32_t colour) {
    bindTexture(nullptr);
    quad(left, top, right, bottom, colour);
}

void menuDrawRect(float left, float top, float right, float bottom, uint32_t colour) {
    bindTexture(nullptr);
    quad(left, top, right, bottom, colour);
}
