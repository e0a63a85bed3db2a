#include "presentation/text.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "app/app.h"
#include "app/draw.h"
#include "app/textures.h"
#include "resources/fatal.h"
#include "resources/files.h"
#include "resources/keyvalue.h"

StringTable stringTable;
TextPen textPen;

namespace {

constexpr uint8_t kCR = 13;
constexpr uint8_t kLF = 10;

char wrapBuffer[kWrapBufferCapacity];

float advanceOf(const BitmapFont& font, uint8_t byte, float s) {
    return s * font.advance[byte];
}

}  // namespace

// ---- String table ----------------------------------------------------------------------

void clearStringTable(StringTable& table) {
    table.count = 0;
    table.texts.clear();
    table.texts.shrink_to_fit();
}

bool addStringEntry(StringTable& table, std::string_view key, std::string_view text) {
    if (table.count >= kStringEntryCapacity) return false;
    StringEntry& entry = table.entries[table.count];
    size_t keyLength = key.size() < kStringKeyCapacity - 1 ? key.size() : kStringKeyCapacity - 1;
    std::memcpy(entry.key, key.data(), keyLength);
    entry.key[keyLength] = 0;
    entry.textOffset = static_cast<uint32_t>(table.texts.size());
    table.texts.insert(table.texts.end(), text.begin(), text.end());
    table.texts.push_back(0);
    ++table.count;
    return true;
}

void loadStringFile(StringTable& table, const char* name) {
    loadStringTableFile(
        name,
        [](void* context, std::string_view key, std::string_view value) {
            addStringEntry(*static_cast<StringTable*>(context), key, value);
        },
        &table);
}

void loadStringFile(const char* name) {
    loadStringFile(stringTable, name);
}

int findTextIndex(const StringTable& table, const char* key) {
    if (key == nullptr || std::strlen(key) >= kStringKeyCapacity) return -1;
    for (int i = 0; i < table.count; ++i)
        if (std::strcmp(table.entries[i].key, key) == 0) return i;
    return -1;
}

const char* lookupText(const StringTable& table, const char* key) {
    int index = findTextIndex(table, key);
    return index < 0 ? nullptr : table.texts.data() + table.entries[index].textOffset;
}

const char* lookupText(const char* key) {
    return lookupText(stringTable, key);
}

int indexOfText(const StringTable& table, const char* key) {
    int index = findTextIndex(table, key);
    return index < 0 ? 0 : index;
}

int indexOfText(const char* key) {
    return indexOfText(stringTable, key);
}

const char* textAt(const StringTable& table, int index) {
    if (index < 0 || index >= table.count) return nullptr;
    return table.texts.data() + table.entries[index].textOffset;
}

const char* textAt(int index) {
    return textAt(stringTable, index);
}

// ---- Fonts ------------------------------------------------------------------------------

bool parseFontMetrics(BitmapFont& font, const uint8_t* bytes, size_t size, float widthScale,
                      float heightScale) {
    if (bytes == nullptr || size < kFontMetricsSize) return false;
    int32_t cells =
        static_cast<int32_t>(static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                             static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24);
    if (cells < 1 || cells > 16) return false;
    for (int c = 0; c < 256; ++c)
        if (bytes[260 + c] >= cells * cells) return false;
    font.cellsPerRow = cells;
    font.cellFraction = 1.0f / static_cast<float>(cells);
    font.widthScale = widthScale;
    font.heightScale = heightScale;
    float cellPixels = 512.0f / static_cast<float>(cells);
    for (int c = 0; c < 256; ++c) {
        font.advance[c] = 2.0f * static_cast<float>(bytes[4 + c]) / cellPixels * widthScale;
        font.cell[c] = bytes[260 + c];
    }
    return true;
}

int loadFont(const char* name, float widthScale, float heightScale) {
    if (textPen.fontCount >= kFontCapacity) return -1;
    BitmapFont& font = textPen.fonts[textPen.fontCount];
    char fileName[160];
    std::snprintf(fileName, sizeof fileName, "%s.tga", name);
    font.texture = loadTexture(fileName);
    std::snprintf(fileName, sizeof fileName, "%s.dat", name);
    uint32_t size = 0;
    uint8_t* bytes = loadFile(fileName, &size);
    bool parsed = parseFontMetrics(font, bytes, size, widthScale, heightScale);
    if (bytes != nullptr) releaseFile(bytes);
    if (!parsed) {
        if (bytes != nullptr) {
            char message[256];
            std::snprintf(message, sizeof message, "Can't load %s...\nProgram will now stop.", fileName);
            fatalError("Loading Error", message);
        }
        return -1;
    }
    setTextColour(255, 255, 255, 255);
    textPen.glow = loadTexture("podsvet.jpg");
    textPen.lineOffset = 0;
    textPen.lineSpacing = 0.9f;
    return textPen.fontCount++;
}

void selectFont(TextPen& pen, int index) {
    if (pen.fontCount <= 0) return;
    int wrapped = index % pen.fontCount;
    pen.current = wrapped < 0 ? wrapped + pen.fontCount : wrapped;
}

void selectFont(int index) {
    selectFont(textPen, index);
}

void setTextColour(uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    textPen.colour[0] = r;
    textPen.colour[1] = g;
    textPen.colour[2] = b;
    textPen.colour[3] = a;
}

const BitmapFont& currentFont(const TextPen& pen) {
    return pen.fonts[pen.current];
}

float lineHeight(const TextPen& pen, float s) {
    return 2.0f * pen.lineSpacing * s;
}

float lineHeight(float s) {
    return lineHeight(textPen, s);
}

// ---- Measuring and wrapping ---------------------------------------------------------------

float textWidth(const BitmapFont& font, const char* text, float s) {
    if (text == nullptr) return 0;
    float width = 0;
    for (const char* p = text; *p != 0; ++p) width += advanceOf(font, static_cast<uint8_t>(*p), s);
    return width;
}

float textWidth(const char* text, float s) {
    return textWidth(currentFont(textPen), text, s);
}

float wrapTextInto(char* buffer, size_t capacity, const BitmapFont& font, float lineSpacing, float maxWidth,
                   const char* text, float s) {
    const float line = 2.0f * lineSpacing * s;
    if (capacity == 0) return line;
    size_t length = text == nullptr ? 0 : std::strlen(text);
    if (length > capacity - 1) length = capacity - 1;
    if (length > 0) std::memcpy(buffer, text, length);
    buffer[length] = 0;

    float height = line;
    float running = 0;
    size_t lineStart = 0;
    size_t blank = SIZE_MAX;  // the last blank of the current line, where it may break
    size_t p = 0;
    while (buffer[p] != 0) {
        uint8_t byte = static_cast<uint8_t>(buffer[p]);
        if (byte == kCR || byte == kLF) {
            height += line;
            running = 0;
            p += (byte == kCR && static_cast<uint8_t>(buffer[p + 1]) == kLF) ? 2 : 1;
            lineStart = p;
            blank = SIZE_MAX;
            continue;
        }
        if (byte == ' ') blank = p;
        running += advanceOf(font, byte, s);
        if (running > maxWidth && p > lineStart) {
            if (blank != SIZE_MAX && blank > lineStart) {
                // Break at the last blank; measure the new line again from its start.
                buffer[blank] = static_cast<char>(kLF);
                p = blank + 1;
            } else if (length + 1 < capacity) {
                // One word wider than the line: end the line before the overflowing byte.
                std::memmove(buffer + p + 1, buffer + p, length - p + 1);
                buffer[p] = static_cast<char>(kLF);
                ++length;
                ++p;
            } else {
                // No room to insert a break: let the word overflow.
                ++p;
                continue;
            }
            height += line;
            running = 0;
            lineStart = p;
            blank = SIZE_MAX;
            continue;
        }
        ++p;
    }
    return height;
}

float wrapText(float maxWidth, const char* text, float s) {
    return wrapTextInto(wrapBuffer, sizeof wrapBuffer, currentFont(textPen), textPen.lineSpacing, maxWidth,
                        text, s);
}

const char* wrappedText() {
    return wrapBuffer;
}

// ---- Layout and drawing -------------------------------------------------------------------

void layoutText(const BitmapFont& font, float lineSpacing, float x, float y, float s, const char* text,
                bool centred, GlyphSink sink, void* context) {
    if (text == nullptr) return;
    const float line = 2.0f * lineSpacing * s;
    const auto* bytes = reinterpret_cast<const uint8_t*>(text);
    int i = 0;
    if (!centred) {
        // The first glyph of every line is centred on x; each next glyph's centre lies half
        // the previous advance plus half its own further right.
        float offset = 0;
        while (bytes[i] != 0) {
            uint8_t byte = bytes[i];
            if (i != 0) offset += advanceOf(font, byte, s) / 2;
            if (byte == kCR || byte == kLF) {
                i += (byte == kCR && bytes[i + 1] == kLF) ? 2 : 1;
                y -= line;
                offset = -advanceOf(font, bytes[i], s) / 2;
                continue;
            }
            sink(context, byte, i, x + offset, y);
            offset += advanceOf(font, byte, s) / 2;
            ++i;
        }
        return;
    }
    while (true) {
        int end = i;
        float width = 0;
        while (bytes[end] != 0 && bytes[end] != kCR && bytes[end] != kLF)
            width += advanceOf(font, bytes[end++], s);
        float cx = x - width / 2 + s / 2;
        for (int k = i; k < end; ++k) {
            if (k != i) cx += (advanceOf(font, bytes[k - 1], s) + advanceOf(font, bytes[k], s)) / 2;
            sink(context, bytes[k], k, cx, y);
        }
        if (bytes[end] == 0) return;
        i = end + ((bytes[end] == kCR && bytes[end + 1] == kLF) ? 2 : 1);
        y -= line;
    }
}

namespace {

uint32_t penColour() {
    return static_cast<uint32_t>(textPen.colour[3]) << 24 | static_cast<uint32_t>(textPen.colour[0]) << 16 |
           static_cast<uint32_t>(textPen.colour[1]) << 8 | textPen.colour[2];
}

TextureRect glyphRect(const BitmapFont& font, uint8_t byte) {
    int cell = font.cell[byte];
    float left = static_cast<float>(cell % font.cellsPerRow) * font.cellFraction;
    float top = static_cast<float>(cell / font.cellsPerRow) * font.cellFraction;
    return {left, top, left + font.cellFraction, top + font.cellFraction};
}

struct GlyphDrawing {
    const BitmapFont* font;
    float s;
    uint32_t colour;
};

void drawGlyphAt(void* context, uint8_t byte, int, float cx, float cy) {
    const auto& drawing = *static_cast<const GlyphDrawing*>(context);
    float hw = drawing.s * drawing.font->widthScale;
    float hh = hw * drawing.font->heightScale;
    drawQuadRect(cx - hw, cy + hh, cx + hw, cy - hh, glyphRect(*drawing.font, byte), drawing.colour, 10);
}

}  // namespace

void drawText(float x, float y, float s, const char* text, bool centred) {
    if (text == nullptr || textPen.fontCount == 0) return;
    const BitmapFont& font = currentFont(textPen);
    bindTexture(font.texture);
    GlyphDrawing drawing = {&font, s, penColour()};
    layoutText(font, textPen.lineSpacing, x, y, s, text, centred, drawGlyphAt, &drawing);
}

void drawHighlightedText(float x, float y, float s, uint32_t glowColour, const char* text, bool centred) {
    if (text == nullptr || textPen.fontCount == 0) return;
    float width = textWidth(text, s);
    if (centred) x -= width / 2 - s / 2;
    drawText(x, y, s, text, false);
    setBlend(1);
    disable(kStateAlphaTest);
    bindTexture(textPen.glow);
    float left = x + 0.2f * s - 3 * s, right = x + 0.2f * s + s + width;
    drawQuadRect(left, y + 5 + s, right, y + 5 - s, kWholeTexture, glowColour, 10);
    setBlend(0);
    enable(kStateAlphaTest);
}

void drawGlyph(uint8_t byte, float cx, float cy, float s, uint32_t argb, float angleDegrees) {
    if (textPen.fontCount == 0) return;
    const BitmapFont& font = currentFont(textPen);
    bindTexture(font.texture);
    float w = 2 * s * font.widthScale, h = w * font.heightScale;
    drawQuadRotated(cx, cy, {cx, cy}, angleDegrees, w, h, glyphRect(font, byte), argb, 10);
}

// ---- Loading -------------------------------------------------------------------------------

namespace {

void loadStringTables() {
    clearStringTable(stringTable);
    loadStringFile("strings.txt");
    loadStringFile("tips.txt");
    loadStringFile("menutext.txt");
}

void loadFonts() {
    textPen.fontCount = 0;
    loadFont("font", 0.95f, 1.1f);
    loadFont("font3", 1.12f, 1.0f);
    selectFont(0);
}

}  // namespace

void loadTextAndFonts() {
    loadStringTables();
    loadFonts();
}
