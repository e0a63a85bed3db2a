// Where the instruction panel puts its parts, checked with the shipped font and texts:
// the button is where clicks close the panel, and nothing of the panel runs into
// anything else or out of its box.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>

#include "core/field.h"
#include "core/tutorial.h"
#include "presentation/text.h"
#include "presentation/tutorial_view.h"
#include "resources/files.h"

namespace {

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The lowest and highest glyph centres of a text as drawText lays it out.
struct Extent {
    float top = -1e9f, bottom = 1e9f, left = 1e9f, right = -1e9f;
};
void widen(void* context, uint8_t, int, float cx, float cy) {
    auto& e = *static_cast<Extent*>(context);
    e.top = std::max(e.top, cy);
    e.bottom = std::min(e.bottom, cy);
    e.left = std::min(e.left, cx);
    e.right = std::max(e.right, cx);
}

class PanelLayout : public ::testing::Test {
  protected:
    BitmapFont font = {};
    const TutorialPanelLayout& l = kTutorialPanel;
    Tutorial t = {};
    GameState g = {};

    void SetUp() override {
        // The shipped strings from the texts pack and the metrics of the game's first font.
        char previous[512];
        ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
        ASSERT_EQ(chdir(QUELMAR_DATA_DIR), 0);
        openPack("texts.dat");
        clearStringTable(stringTable);
        loadStringFile("tips.txt");
        uint32_t size = 0;
        const uint8_t* metrics = loadFile("font.dat", &size, false);
        ASSERT_NE(metrics, nullptr);
        ASSERT_TRUE(parseFontMetrics(font, metrics, size, 0.95f, 1.1f));
        ASSERT_EQ(chdir(previous), 0);
        startTutorial(t, g, true, fileText(QUELMAR_SOURCE_DIR "/assets/levels/help.lvl"));
    }

    float boxLeft() const { return l.boxX - l.boxWidth / 2; }
    float boxRight() const { return l.boxX + l.boxWidth / 2; }
    float boxTop() const { return l.boxY + l.boxHeight / 2; }
    float boxBottom() const { return l.boxY - l.boxHeight / 2; }
    // The tiles of a demonstration field, edge to edge.
    Extent grid(int k) const {
        const Vec2 first = demoCellCentre(t.fields[k], 0, 0), last = demoCellCentre(t.fields[k], 3, 3);
        return {first.y + kTileHalfForTest, last.y - kTileHalfForTest, first.x - kTileHalfForTest,
                last.x + kTileHalfForTest};
    }
    static constexpr float kTileHalfForTest = 25.9f;
};

TEST_F(PanelLayout, TheButtonIsDrawnWhereAClickClosesThePanel) {
    EXPECT_FLOAT_EQ(l.buttonX, 30.0f);
    EXPECT_FLOAT_EQ(l.buttonY, -175.0f);
    EXPECT_FLOAT_EQ(l.buttonX - l.buttonWidth / 2, kTutorialOkLeft);
    EXPECT_FLOAT_EQ(l.buttonX + l.buttonWidth / 2, kTutorialOkRight);
    EXPECT_FLOAT_EQ(l.buttonY + l.buttonHeight / 2, kTutorialOkTop);
    EXPECT_FLOAT_EQ(l.buttonY - l.buttonHeight / 2, kTutorialOkBottom);
    // The face is as wide as "ok" needs and more.
    EXPECT_GT(l.buttonWidth, textWidth(font, lookupText("ok"), l.buttonTextSize + 1) + 20);
}

TEST_F(PanelLayout, GridsAndButtonLieInsideTheBoxWithoutTouching) {
    const Extent one = grid(0), two = grid(1);
    for (const Extent& e : {one, two}) {
        EXPECT_GT(e.left, boxLeft() + 32);  // clear of the frame's edge pieces
        EXPECT_LT(e.right, boxRight() - 32);
        EXPECT_LT(e.top, boxTop() - 32);
        EXPECT_GT(e.bottom, l.buttonY + l.buttonHeight / 2 + 10);  // the button below both
    }
    EXPECT_LT(one.right + 20, two.left);
    EXPECT_GT(l.buttonY - l.buttonHeight / 2, boxBottom() + 20);
}

TEST_F(PanelLayout, TitleAndParagraphsFitBetweenTheFrameAndTheGrids) {
    const float titleWidth = textWidth(font, lookupText("instructions1"), l.titleSize);
    EXPECT_LT(titleWidth, l.boxWidth - 128);
    EXPECT_LT(l.titleY + l.titleSize, boxTop() - 20);
    for (int k = 0; k < 2; ++k) {
        const char* text = lookupText(kTutorialTexts[k]);
        ASSERT_NE(text, nullptr) << kTutorialTexts[k];
        char wrapped[kWrapBufferCapacity];
        wrapTextInto(wrapped, sizeof wrapped, font, 0.9f, l.textRight[k] - l.textLeft[k], text, l.textSize);
        Extent e;
        layoutText(font, 0.9f, (l.textLeft[k] + l.textRight[k]) / 2, l.textTop, l.textSize, wrapped, true,
                   widen, &e);
        const Extent g = grid(k);
        SCOPED_TRACE(kTutorialTexts[k]);
        // Each paragraph is centred over its own grid, below the title, above the grid.
        EXPECT_NEAR((l.textLeft[k] + l.textRight[k]) / 2, (g.left + g.right) / 2, 1.0f);
        EXPECT_LT(e.top + l.textSize, l.titleY - l.titleSize / 2);
        EXPECT_GT(e.bottom - l.textSize, g.top + 4);
        EXPECT_GE(e.left, l.textLeft[k]);
        EXPECT_LE(e.right, l.textRight[k]);
    }
    EXPECT_LT(l.textRight[0] + 20, l.textLeft[1]);  // the two paragraphs never meet
}

TEST(PanelLook, TheButtonPulsesBetweenOrangeAndYellow) {
    int lowest = 255, highest = 0;
    for (float t = 0; t < 2000; t += 5) {
        const uint32_t c = tutorialButtonColour(t);
        EXPECT_EQ(c >> 16, 0xFFFFu);  // opaque, full red
        EXPECT_EQ(c & 255, 0u);
        lowest = std::min(lowest, static_cast<int>((c >> 8) & 255));
        highest = std::max(highest, static_cast<int>((c >> 8) & 255));
    }
    EXPECT_NEAR(lowest, 150, 1);
    EXPECT_NEAR(highest, 200, 1);
}

}  // namespace
