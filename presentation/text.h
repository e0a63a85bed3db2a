#pragma once
// Text: the string table every visible text is looked up in, the bitmap fonts, and the
// pen through which all text is measured, wrapped and drawn. It sits with the play-screen
// presentation so that the HUD, the floating texts and the menus can all use it.
//
// Coordinates are menu space (800 x 600, origin at the centre, y up). Texts are single
// bytes; a byte indexes the font tables directly. Line breaks are CR LF pairs (from the
// string files) or single LF bytes (from wrapping).
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

struct TextureRecord;

// ---- String table ----------------------------------------------------------------------

constexpr int kStringEntryCapacity = 1024;  // further entries are dropped
constexpr int kStringKeyCapacity = 20;      // 19 characters and the zero

struct StringEntry {
    char key[kStringKeyCapacity];
    uint32_t textOffset;  // into StringTable::texts, zero-terminated
};

// Entries in file order; a key that occurs twice is only found at its first occurrence.
struct StringTable {
    StringEntry entries[kStringEntryCapacity];
    int count;
    std::vector<char> texts;  // private copies of the values, filled at load time only
};
extern StringTable stringTable;  // the game's one table, filled by the text loading step

void clearStringTable(StringTable& table);
// Appends one entry (key truncated to 19 characters). False when the table is full.
bool addStringEntry(StringTable& table, std::string_view key, std::string_view text);
// Tokenises a string file (missing file is fatal) and appends all of its entries.
void loadStringFile(StringTable& table, const char* name);
void loadStringFile(const char* name);

// The text of the first entry with exactly this key, or nullptr.
const char* lookupText(const StringTable& table, const char* key);
const char* lookupText(const char* key);
// The position of that entry, or -1.
int findTextIndex(const StringTable& table, const char* key);
// The position of that entry, or 0 when there is none (callers walk sequences such as
// "gametip1", "adventuretip" and "defname1" from here with textAt).
int indexOfText(const StringTable& table, const char* key);
int indexOfText(const char* key);
// The text at a position, or nullptr outside the table.
const char* textAt(const StringTable& table, int index);
const char* textAt(int index);

// ---- Fonts ------------------------------------------------------------------------------

constexpr int kFontCapacity = 8;
constexpr size_t kFontMetricsSize = 516;  // cells per row, 256 widths, 256 cell numbers

struct BitmapFont {
    TextureRecord* texture;  // the glyph atlas: a square of cellsPerRow x cellsPerRow cells
    int32_t cellsPerRow;
    float advance[256];  // glyph advance at letter size 1, width scale included
    uint8_t cell[256];   // atlas cell of each byte, row by row from the top-left
    float cellFraction;  // 1 / cellsPerRow
    float widthScale, heightScale;
};

// Fills a font from the bytes of a metrics file: advance = 2 x width / (512 / N) x
// widthScale. False (font untouched) when the file is short, N is not 1..16 or a cell
// number lies outside the atlas.
bool parseFontMetrics(BitmapFont& font, const uint8_t* bytes, size_t size, float widthScale,
                      float heightScale);

// ---- Pen ---------------------------------------------------------------------------------

struct TextPen {
    BitmapFont fonts[kFontCapacity];
    int fontCount;
    int current;               // index of the current font
    uint8_t colour[4];         // red, green, blue, alpha of every following glyph
    float lineOffset;          // horizontal offset within the line
    float lineSpacing;         // 0.9 after every font load; line height = 2 x lineSpacing x s
    TextureRecord* glow;       // "podsvet.jpg", behind highlighted texts
    uint32_t highlightColour;  // the menus' selected-item colour (ARGB), kept here for them
    uint32_t glowColour;       // the menus' glow colour (ARGB)
};
extern TextPen textPen;  // the game's one pen

// Loads "<name>.tga" and "<name>.dat" as the next font; resets the colour to opaque white,
// the line offset to 0 and the spacing to 0.9 and loads the glow picture. Returns the
// font's index, or -1 when all eight are taken. A damaged metrics file is fatal like a
// missing one.
int loadFont(const char* name, float widthScale, float heightScale);
void selectFont(int index);  // index modulo the number of loaded fonts
void selectFont(TextPen& pen, int index);
void setTextColour(uint8_t r, uint8_t g, uint8_t b, uint8_t a);
const BitmapFont& currentFont(const TextPen& pen);

float lineHeight(const TextPen& pen, float s);
float lineHeight(float s);

// Sum of s x advance over every byte (line breaks have their own advance).
float textWidth(const BitmapFont& font, const char* text, float s);
float textWidth(const char* text, float s);

// Copies text into buffer (truncated to fit), breaks it into lines no wider than maxWidth
// by turning blanks into LF, and returns the total height (lines x line height). A word
// wider than maxWidth on its own is broken at the byte that overflows (an LF is
// inserted before it). CR LF pairs and LF bytes already in the text end lines too.
constexpr size_t kWrapBufferCapacity = 4096;
float wrapTextInto(char* buffer, size_t capacity, const BitmapFont& font, float lineSpacing, float maxWidth,
                   const char* text, float s);
// The same into the one shared wrap buffer: draw wrappedText() before the next call.
float wrapText(float maxWidth, const char* text, float s);
const char* wrappedText();

// Where each glyph goes: the layout of drawText without drawing, for measuring and tests.
// byteIndex counts from the start of the text.
using GlyphSink = void (*)(void* context, uint8_t byte, int byteIndex, float cx, float cy);
void layoutText(const BitmapFont& font, float lineSpacing, float x, float y, float s, const char* text,
                bool centred, GlyphSink sink, void* context);

// Draws text with its first line on y: centred lines are centred on x, otherwise the
// first glyph of each line is centred on x. Uses the current font and colour.
void drawText(float x, float y, float s, const char* text, bool centred);
// The text left-aligned (shifted so that it lands centred when centred is set) and a
// soft additive glow behind it in glowColour (ARGB).
void drawHighlightedText(float x, float y, float s, uint32_t glowColour, const char* text, bool centred);
// One glyph of the current font centred at (cx, cy), in an explicit ARGB colour (the
// pen colour is not used); for the flying letters and other per-letter effects.
void drawGlyph(uint8_t byte, float cx, float cy, float s, uint32_t argb, float angleDegrees = 0.0f);

// The text loading step: the three string files, then the fonts "font" and "font3"; font
// 0 is current afterwards. Call once before the game starts its loop.
void loadTextAndFonts();
