// Floating texts and flying letters: rings, lifetimes and the letters' flight.
#include <cstring>
#include <string>

#include "presentation/floating_text.h"
#include "tests/text/text_fixture.h"

namespace {

class FloatingTexts : public testing::Test {
  protected:
    void SetUp() override {
        textPen.fonts[0] = bodyFont();
        textPen.fontCount = 1;
        textPen.current = 0;
        effects = {};
        clearFloatingTexts(effects);
    }
    static inline TextEffects effects;
};

int activeTexts(const TextEffects& e) {
    int n = 0;
    for (const FloatingText& t : e.floating) n += t.remaining > 0;
    return n;
}

}  // namespace

TEST_F(FloatingTexts, ZeroDurationIsNeverShownAndTheSeventeenthReplacesTheFirst) {
    addFloatingText(effects, "Good!", 90, 35, 20, 0);
    addFloatingText(effects, "Good!", 90, 35, 20, -5);
    EXPECT_EQ(activeTexts(effects), 0);
    for (int i = 0; i < 17; ++i) addFloatingText(effects, std::to_string(i).c_str(), 90, 0, 20, 2000);
    EXPECT_EQ(activeTexts(effects), 16);
    EXPECT_STREQ(effects.floating[0].text, "16");
    EXPECT_STREQ(effects.floating[1].text, "1");
    EXPECT_FLOAT_EQ(effects.floating[1].width, textWidth(bodyFont(), "1", 20));
}

TEST_F(FloatingTexts, ATextLivesExactlyItsDurationSwellingPulsingAndShrinking) {
    addFloatingText(effects, "Chain bonus : +750", 90, 15, 25, 4000);
    FloatingLook start = floatingTextLook(effects.floating[0].remaining);
    EXPECT_FLOAT_EQ(start.factor, 0);
    EXPECT_EQ(start.alpha, 0);
    advanceFloatingTexts(effects, 1200);  // 30 %: fully swollen
    FloatingLook swollen = floatingTextLook(effects.floating[0].remaining);
    EXPECT_NEAR(swollen.factor, 1, 1e-3);
    EXPECT_EQ(swollen.alpha, 255);
    advanceFloatingTexts(effects, 1600);  // 70 %: shrinking begins
    EXPECT_NEAR(floatingTextLook(effects.floating[0].remaining).factor, 1, 1e-3);
    advanceFloatingTexts(effects, 1199);
    EXPECT_EQ(activeTexts(effects), 1);
    advanceFloatingTexts(effects, 2);
    EXPECT_EQ(activeTexts(effects), 0);
    // Long texts are cut to fit their slot.
    std::string longText(300, 'x');
    addFloatingText(effects, longText.c_str(), 0, 0, 10, 100);
    EXPECT_EQ(std::strlen(effects.floating[1].text), 127u);
}

TEST_F(FloatingTexts, LettersFlyInFromFourTimesTheirPlaceAndSettle) {
    addFlyingLetters(effects, "Level", 90, 40, 30);
    const BitmapFont& font = bodyFont();
    float width = textWidth(font, "Level", 30);
    EXPECT_FLOAT_EQ(effects.letters[0].x, 90 - width / 2);
    EXPECT_NEAR(effects.letters[1].x, effects.letters[0].x + 30 * (font.advance['L'] + font.advance['e']) / 2,
                1e-3);
    // Just started: four times the distance from the centre line and four times the size.
    LetterLook first = flyingLetterLook(effects.letters[0]);
    EXPECT_TRUE(first.visible);
    EXPECT_FLOAT_EQ(first.x, 4 * effects.letters[0].x);
    EXPECT_FLOAT_EQ(first.size, 120);
    EXPECT_EQ(first.alpha, 0);
    EXPECT_FALSE(flyingLetterLook(effects.letters[1]).visible);  // waits 40 ms
    advanceFlyingLetters(effects, 1000);
    LetterLook settled = flyingLetterLook(effects.letters[0]);
    EXPECT_FLOAT_EQ(settled.x, effects.letters[0].x);
    EXPECT_FLOAT_EQ(settled.y, 40);
    EXPECT_FLOAT_EQ(settled.size, 30);
    EXPECT_EQ(settled.alpha, 255);
}

TEST_F(FloatingTexts, AThirteenLetterWordShowsItsLastLetterAfter480MsAndIsGoneAfter6480) {
    addFlyingLetters(effects, "Thirteen word", 0, 0, 20);
    advanceFlyingLetters(effects, 479);
    EXPECT_FALSE(flyingLetterLook(effects.letters[12]).visible);
    advanceFlyingLetters(effects, 2);
    EXPECT_TRUE(flyingLetterLook(effects.letters[12]).visible);
    advanceFlyingLetters(effects, 6479 - 481);
    EXPECT_TRUE(flyingLetterLook(effects.letters[12]).visible);
    advanceFlyingLetters(effects, 2);
    for (int i = 0; i < 13; ++i) EXPECT_FALSE(flyingLetterLook(effects.letters[i]).visible) << i;
}

TEST_F(FloatingTexts, LongWordsWrapAroundTheLetterRingAndClearingEmptiesIt) {
    std::string word(300, 'a');
    addFlyingLetters(effects, word.c_str(), 0, 0, 10);
    EXPECT_EQ(effects.nextLetter, 300 - kFlyingLetterCapacity);
    EXPECT_FLOAT_EQ(effects.letters[0].life, 6000 + 40 * 256);  // letter 256 overwrote slot 0
    addFloatingText(effects, "Good!", 0, 0, 20, 2000);
    clearFlyingLetters(effects);
    EXPECT_EQ(activeTexts(effects), 1);
    clearFloatingTexts(effects);
    EXPECT_EQ(activeTexts(effects), 0);
    for (const FlyingLetter& l : effects.letters) EXPECT_FALSE(flyingLetterLook(l).visible);
}
