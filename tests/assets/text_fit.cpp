// Texts measured with the built fonts' metrics: each fits the box its screen gives it.
// Runs once the data build has laid out the fonts in the Data folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/assets/asset_files.h"

namespace {

struct FontMetrics {
    float advance[256];
};

// Advance at letter size 1: the glyph's width as a fraction of a cell, doubled, times
// the font's width scale.
bool loadMetrics(const char* name, float widthScale, FontMetrics& out) {
    std::ifstream in(dataDir() / name, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() < 516) return false;
    int32_t cells = 0;
    for (int k = 0; k < 4; ++k) cells |= int32_t(static_cast<unsigned char>(bytes[k])) << (8 * k);
    if (cells <= 0 || cells > 64) return false;
    for (int c = 0; c < 256; ++c)
        out.advance[c] = 2.0f * static_cast<unsigned char>(bytes[4 + c]) / (512.0f / cells) * widthScale;
    return true;
}

float textWidth(const FontMetrics& f, const std::string& text, float size) {
    float w = 0;
    for (unsigned char c : text) w += size * f.advance[c];
    return w;
}

// Lines after wrapping at blanks to maxWidth, line breaks kept; 0 when a single word
// is wider than the box.
int wrappedLines(const FontMetrics& f, const std::string& text, float maxWidth, float size) {
    int lines = 1;
    float run = 0, sinceBlank = 0;
    for (size_t p = 0; p < text.size(); ++p) {
        unsigned char c = text[p];
        if (c == '\r' || c == '\n') {
            if (c == '\r') ++lines;
            run = sinceBlank = 0;
            continue;
        }
        float a = size * f.advance[c];
        run += a;
        sinceBlank = c == ' ' ? 0 : sinceBlank + a;
        if (run > maxWidth) {
            if (sinceBlank >= run || sinceBlank > maxWidth) return 0;
            ++lines;
            run = sinceBlank;
        }
    }
    return lines;
}

class TextFit : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!loadMetrics("font.dat", 0.95f, body) || !loadMetrics("font3.dat", 1.12f, menu))
            GTEST_SKIP() << "fonts not built in " << dataDir();
        entries = loadStringTables();
    }
    const std::string& text(const std::string& key) {
        int at = indexOfKey(entries, key);
        static const std::string none;
        return at < 0 ? none : entries[at].value;
    }
    void expectLines(const std::string& key, float width, float size, int maxLines) {
        int lines = wrappedLines(body, text(key), width, size);
        EXPECT_GE(lines, 1) << key << " has a word wider than its box";
        EXPECT_LE(lines, maxLines) << key;
    }
    FontMetrics body{}, menu{};
    std::vector<StringEntry> entries;
};

TEST_F(TextFit, LongTextsFitTheirBoxes) {
    // Stage panel: 248 wide under the medallion, its band leaving 120 units for a title
    // line of 26 and the story's lines of 1.5 x the size at the smallest size, 11.
    for (int zone = 0; zone < 10; ++zone) expectLines("stage" + std::to_string(zone), 248, 11, 5);
    expectLines("lock", 248, 11, 7);
    // Welcome box: 570 wide, the button below leaves room for nine lines at size 17.
    expectLines("startgame", 570, 17, 9);
    expectLines("gamepass1", 440, 13, 12);
    // Tip balloon: 300 wide less its margins.
    for (const char* tip : {"powerup", "relaxtip1", "tipbusysquare2", "chainbtip", "gametip1", "gametip2",
                            "gametip3", "gametip4", "gametip5", "gametip6", "firsthammer", "hummerhelp",
                            "firsttime", "timehelp", "nomoremoves", "usehammer", "adventuretip"})
        expectLines(tip, 268, 11, 5);
    for (int k = 1; k <= 12; ++k) expectLines("gametip" + std::to_string(k), 440, 10, 6);
    for (const char* box : {"quit", "removeplayer", "zeroscore", "restartquest", "skipquest", "nomorelives",
                            "savemsg", "savefailed"})
        expectLines(box, 340, 16, 5);
}

TEST_F(TextFit, ShortTextsFitTheirPlaces) {
    // The main menu window is centred at x = 250 and as wide as its widest caption
    // plus 104: it stays on the screen while that caption is below 196 units.
    for (const char* item : {"adventure", "puzzle", "info", "options", "hiscore", "credits", "exit"})
        EXPECT_LT(textWidth(menu, text(item), 18), 196.0f) << item;
    // The defeat box is as wide as its widest item plus 94; its two lines must fit inside.
    float items = 0;
    for (const char* item : {"restart level", "skip level", "main"})
        items = std::max(items, textWidth(menu, text(item), 18));
    for (const char* line : {"nomoves", "loselife"})
        EXPECT_LT(textWidth(body, text(line), 16), items + 94 - 40) << line;
    // Side panel labels live on a 127-unit strip.
    for (const char* label : {"score", "level", "lives", "menu"})
        EXPECT_LT(textWidth(body, text(label), 13), 100.0f);
    for (const char* label : {"mode", "mode2", "lastlife1"})
        EXPECT_LT(textWidth(body, text(label), 11), 100.0f);
    // Hiscore names sit in a column of about 250 units; credits lines on the screen.
    int name = indexOfKey(entries, "defname1");
    for (int k = 0; k < 10 && name >= 0; ++k) EXPECT_LT(textWidth(body, entries[name + k].value, 12), 250.0f);
    const std::string& credits = text("credititems");
    for (size_t start = 0, end; start < credits.size(); start = end + 2) {
        end = credits.find("\r\n", start);
        if (end == std::string::npos) end = credits.size();
        EXPECT_LT(textWidth(body, credits.substr(start, end - start), 16), 760.0f);
    }
}

}  // namespace
