// How text is measured and placed with the real body font.
#include <cstring>

#include "tests/text/text_fixture.h"

TEST(FontMetrics, RealFontsGiveAdvancesFromTheirGlyphWidths) {
    std::vector<uint8_t> bytes = readDataFile("font.dat");
    ASSERT_EQ(bytes.size(), kFontMetricsSize);
    const BitmapFont& font = bodyFont();
    // advance = 2 x width / (512 / N) x width scale
    float cellPixels = 512.0f / static_cast<float>(font.cellsPerRow);
    EXPECT_FLOAT_EQ(font.advance['W'], 2.0f * bytes[4 + 'W'] / cellPixels * 0.95f);
    // Every printable byte the texts use has a visible width, and 'W' is wider than 'i'.
    for (int c = 33; c < 127; ++c) EXPECT_GT(font.advance[c], 0.0f) << c;
    EXPECT_GT(font.advance['W'], font.advance['i']);
    BitmapFont titles = realFont("font3.dat", 1.12f, 1.0f);
    EXPECT_EQ(titles.cellsPerRow, font.cellsPerRow);
}

TEST(FontMetrics, DamagedMetricsAreRefusedAndLeaveTheFontAlone) {
    std::vector<uint8_t> bytes = readDataFile("font.dat");
    BitmapFont font = bodyFont();
    EXPECT_FALSE(parseFontMetrics(font, bytes.data(), bytes.size() - 1, 1, 1));  // short
    std::vector<uint8_t> badCells = bytes;
    badCells[0] = 0;  // no cells per row
    EXPECT_FALSE(parseFontMetrics(font, badCells.data(), badCells.size(), 1, 1));
    badCells = bytes;
    badCells[0] = 4;  // 16 cells, but the cell table reaches past them
    EXPECT_FALSE(parseFontMetrics(font, badCells.data(), badCells.size(), 1, 1));
    EXPECT_FLOAT_EQ(font.advance['W'], bodyFont().advance['W']);
    EXPECT_FALSE(parseFontMetrics(font, nullptr, 0, 1, 1));
}

TEST(TextLayout, WidthIsTheSumOfAdvancesIncludingLineBreaks) {
    const BitmapFont& font = bodyFont();
    float s = 14;
    EXPECT_FLOAT_EQ(textWidth(font, "", s), 0.0f);
    EXPECT_FLOAT_EQ(textWidth(font, nullptr, s), 0.0f);
    EXPECT_NEAR(textWidth(font, "Ab", s), s * (font.advance['A'] + font.advance['b']), 1e-3);
    EXPECT_NEAR(textWidth(font, "A\r\nb", s),
                s * (font.advance['A'] + font.advance['b'] + font.advance[13] + font.advance[10]), 1e-3);
}

TEST(TextLayout, LeftAlignedLinesStartCentredOnXAndStepByHalfAdvances) {
    const BitmapFont& font = bodyFont();
    float s = 10;
    auto glyphs = layout("Hi\r\nyou\nok", 100, 50, s, false);
    ASSERT_EQ(glyphs.size(), 7u);
    EXPECT_FLOAT_EQ(glyphs[0].x, 100);
    EXPECT_FLOAT_EQ(glyphs[1].x, 100 + s * (font.advance['H'] + font.advance['i']) / 2);
    // CR LF and LF alone both start a new line 1.8 s lower, first glyph centred on x again.
    EXPECT_EQ(glyphs[2].byte, 'y');
    EXPECT_FLOAT_EQ(glyphs[2].x, 100);
    EXPECT_FLOAT_EQ(glyphs[2].y, 50 - 1.8f * s);
    EXPECT_EQ(glyphs[5].byte, 'o');
    EXPECT_FLOAT_EQ(glyphs[5].x, 100);
    EXPECT_FLOAT_EQ(glyphs[5].y, 50 - 3.6f * s);
    EXPECT_EQ(glyphs[6].index, 9);
}

TEST(TextLayout, CentredLinesSitSymmetricallyAboutX) {
    const BitmapFont& font = bodyFont();
    float s = 12;
    const char* text = "Level complete!\r\nWell\nWWWW";
    auto glyphs = layout(text, -30, 80, s, true);
    ASSERT_EQ(glyphs.size(), std::strlen("Level complete!") + 4 + 4);
    // Each line: first centre at x - W/2 + s/2, so its advance span is centred on x up
    // to the difference between s and the first glyph's advance.
    const char* lines[] = {"Level complete!", "Well", "WWWW"};
    size_t at = 0;
    for (int line = 0; line < 3; ++line) {
        float width = textWidth(font, lines[line], s);
        EXPECT_FLOAT_EQ(glyphs[at].x, -30 - width / 2 + s / 2) << line;
        EXPECT_FLOAT_EQ(glyphs[at].y, 80 - 1.8f * s * line);
        size_t last = at + std::strlen(lines[line]) - 1;
        float left = glyphs[at].x - s * font.advance[glyphs[at].byte] / 2;
        float right = glyphs[last].x + s * font.advance[glyphs[last].byte] / 2;
        EXPECT_NEAR(right - left, width, 1e-3);
        EXPECT_NEAR((left + right) / 2, -30, s) << line;
        at = last + 1;
    }
}

TEST(TextLayout, FontSelectionWrapsAroundTheLoadedFonts) {
    TextPen pen = {};
    pen.fontCount = 2;
    selectFont(pen, 2);
    EXPECT_EQ(pen.current, 0);
    selectFont(pen, 3);
    EXPECT_EQ(pen.current, 1);
    selectFont(pen, -1);
    EXPECT_EQ(pen.current, 1);
    pen.fontCount = 0;
    selectFont(pen, 5);  // nothing loaded: stays
    EXPECT_EQ(pen.current, 1);
}
