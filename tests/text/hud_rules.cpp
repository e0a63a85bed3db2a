// The HUD's layout and timing rules, without drawing.
#include <cmath>

#include "core/announce.h"
#include "core/field.h"
#include "presentation/floating_text.h"
#include "presentation/hud.h"
#include "tests/text/text_fixture.h"

namespace {

GameState& classicLevel() {
    static GameState g;
    resetGameState(g);
    g.mode = 0;
    g.timeLimit = 100000;
    g.elapsed = 25000;
    return g;
}

int livePopups(const HudState& hud) {
    int n = 0;
    for (const ScorePopup& p : hud.popups) n += p.size > 0 && p.alpha > 0;
    return n;
}

}  // namespace

TEST(HudLayout, HeartsShowLivesUpToThreeThenOneHeartWithACount) {
    HeartRow none = heartRow(0, 0, 0);
    EXPECT_TRUE(none.lastLife);
    EXPECT_EQ(none.hearts, 0);
    HeartRow three = heartRow(3, -50, 0);
    EXPECT_EQ(three.hearts, 3);
    EXPECT_FLOAT_EQ(three.firstX, -50 - 397 + 26);
    EXPECT_FLOAT_EQ(three.side, 24);
    HeartRow four = heartRow(4, 0, 2);
    EXPECT_EQ(four.hearts, 1);
    EXPECT_TRUE(four.count);
    EXPECT_FLOAT_EQ(four.firstX, -361);
    EXPECT_FLOAT_EQ(four.side, 26);
    EXPECT_FLOAT_EQ(four.textX, -361 - 13 + 38);
    EXPECT_FLOAT_EQ(four.textY, 56 + 13 - 12);
    EXPECT_FLOAT_EQ(heartPulseSize(100), 2);
    EXPECT_FLOAT_EQ(heartPulseSize(2400), 0);
}

TEST(HudLayout, PanelSlidesOutForPauseAndLevelEndAndBackIn) {
    GameState& g = classicLevel();
    EXPECT_FALSE(panelHidden(g));
    g.paused = 1;
    EXPECT_TRUE(panelHidden(g));
    g.paused = 0;
    g.levelOver = 1;
    g.levelOverClock = 1001;
    g.bonusCountUp = 1;
    g.countUpDuration = 2000;
    g.countUpClock = 3000;
    EXPECT_FALSE(panelHidden(g));  // the bonus is still counting
    g.countUpClock = 3401;
    EXPECT_TRUE(panelHidden(g));
    EXPECT_FLOAT_EQ(slidePanel(0, true, 100), -10);
    EXPECT_FLOAT_EQ(slidePanel(-125, true, 100), -130);
    EXPECT_FLOAT_EQ(slidePanel(-130, false, 100), -115);
    EXPECT_FLOAT_EQ(slidePanel(-5, false, 100), 0);
}

TEST(HudLayout, FuseBurnsWithTimeAndRunsToItsEndDuringTheCountUp) {
    HudState hud = {};
    GameState& g = classicLevel();
    EXPECT_FLOAT_EQ(fuseFraction(hud, g), 0.25f);
    g.elapsed = -10;
    EXPECT_FLOAT_EQ(fuseFraction(hud, g), 0);
    g.elapsed = 250000;
    EXPECT_FLOAT_EQ(fuseFraction(hud, g), 1);
    // The count-up: the game core hands over e so that the fuse ends with the count.
    g.elapsed = 40000;
    g.bonusCountUp = 1;
    const float d = 1800, left = 60000;
    const float e = (left - 0.3f * d) / (d * d);
    Announcement fuse = {Announce::FuseParameters, nullptr, 0.3f, e, 0, 0, 0, 0, 0};
    EXPECT_TRUE(hudAnnouncement(hud, g, fuse));
    g.countUpClock = 1400;
    EXPECT_FLOAT_EQ(fuseFraction(hud, g), 0.4f);
    g.countUpClock = 1400 + d / 2;
    float middle = fuseFraction(hud, g);
    EXPECT_GT(middle, 0.4f);
    EXPECT_LT(middle, 1);
    g.countUpClock = 1400 + d;
    EXPECT_NEAR(fuseFraction(hud, g), 1, 1e-4);
    EXPECT_FALSE(timeBarShown([] {
        static GameState endless;
        resetGameState(endless);
        endless.mode = 1;
        return endless;
    }()));
}

TEST(HudLayout, BarrelThrobsFasterAndWiderOnceTheTimeIsUsedUp) {
    HudState hud = {};
    clearHud(hud);
    GameState& g = classicLevel();
    updateHud(hud, g, 16);
    EXPECT_FLOAT_EQ(hud.throbAmplitude, 1);
    g.elapsed = g.timeLimit;
    for (int i = 0; i < 100; ++i) updateHud(hud, g, 10);
    EXPECT_NEAR(hud.throbFrequency, 0.8f + 0.3f, 1e-4);
    EXPECT_NEAR(hud.throbAmplitude, 1 + 6, 1e-3);
    EXPECT_LE(hud.throbClock * hud.throbFrequency, 400 + 10 * hud.throbFrequency);
}

TEST(HudLayout, ScorePopupsRiseFadeAndOverwriteTheOldest) {
    HudState hud = {};
    for (int i = 0; i < 65; ++i) addScorePopup(hud, 0, 0, i);
    EXPECT_EQ(livePopups(hud), 64);
    EXPECT_EQ(hud.popups[0].points, 64);
    HudState one = {};
    addScorePopup(one, 10, 20, 50);
    advanceScorePopups(one, 1000);
    EXPECT_FLOAT_EQ(one.popups[0].y, 40);
    advanceScorePopups(one, 1800);
    EXPECT_EQ(livePopups(one), 1);
    advanceScorePopups(one, 50);
    EXPECT_EQ(livePopups(one), 0);
    float y = one.popups[0].y;
    advanceScorePopups(one, 1000);  // a spent popup stays where it went out
    EXPECT_FLOAT_EQ(one.popups[0].y, y);
}

TEST(HudLayout, TimeSparklesGiveTwoSecondsBackWhenTheyReachTheFuse) {
    HudState hud = {};
    clearHud(hud);
    GameState& g = classicLevel();
    Announcement sparkle = {Announce::Sparkle, nullptr, -360, -188, 0, 0, 0, 0, 0};
    EXPECT_TRUE(hudAnnouncement(hud, g, sparkle));
    const float before = g.elapsed;
    int frames = 0;
    while (hud.flyers[0].active && frames < 400) {
        updateHud(hud, g, 10);
        ++frames;
    }
    EXPECT_FALSE(hud.flyers[0].active);
    EXPECT_LT(frames, 300);  // arrived before its 3 s were up
    EXPECT_FLOAT_EQ(g.elapsed, before - 2000);
    // Sparkles dropped at the level's end give nothing back.
    hudAnnouncement(hud, g, sparkle);
    hudAnnouncement(hud, g, {Announce::DropSparkles, nullptr, 0, 0, 0, 0, 0, 0, 0});
    updateHud(hud, g, 10);
    EXPECT_FLOAT_EQ(g.elapsed, before - 2000);
}

TEST(HudLayout, BonusTextAndResumeBlinkFollowTheirClocks) {
    EXPECT_FLOAT_EQ(bonusLook(1000, 2000).alpha, 0);
    BonusLook rising = bonusLook(1900, 2000);
    EXPECT_FLOAT_EQ(rising.alpha, 127.5f);
    EXPECT_FLOAT_EQ(rising.growth, 2.55f);
    EXPECT_FLOAT_EQ(bonusLook(2500, 2000).growth, 5);
    EXPECT_FLOAT_EQ(bonusLook(2000 + 2400 + 1000, 2000).alpha, 0);
    EXPECT_FLOAT_EQ(blinkValue(0.9424779f / 0.0003f, 0.0003f), 1);
    EXPECT_FLOAT_EQ(blinkValue(10000, 0.0003f), 0);
}

TEST(HudLayout, AnnouncedTextsAreLookedUpAndFormatted) {
    clearStringTable(stringTable);
    addStringEntry(stringTable, "combo", "Combo");
    addStringEntry(stringTable, "megaboom", "Chain bonus");
    addStringEntry(stringTable, "good", "Good!");
    textPen.fonts[0] = bodyFont();
    textPen.fontCount = 1;
    clearFloatingTexts();
    HudState hud = {};
    GameState& g = classicLevel();
    hudAnnouncement(hud, g, {Announce::FloatingText, "good", 90, 35, 0, 0, -1, 20, 2000});
    hudAnnouncement(hud, g, {Announce::FloatingText, "combo", 90, 0, 0, 0, 6, 20, 2000});
    hudAnnouncement(hud, g, {Announce::FloatingText, "megaboom", 90, 15, 0, 0, 750, 25, 4000});
    hudAnnouncement(hud, g, {Announce::FloatingText, "missing", 90, 15, 0, 0, 1, 25, 4000});
    EXPECT_STREQ(textEffects.floating[0].text, "Good!");
    EXPECT_STREQ(textEffects.floating[1].text, "Combo 6");
    EXPECT_STREQ(textEffects.floating[2].text, "Chain bonus : +750");
    EXPECT_LT(textEffects.floating[3].remaining, 0);
    hudAnnouncement(hud, g, {Announce::ClearPresentation, nullptr, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_LT(textEffects.floating[0].remaining, 0);
    EXPECT_FALSE(hudAnnouncement(hud, g, {Announce::Shake, nullptr, 0, 0, 0, 0, 0, 0, 0}));
    clearStringTable(stringTable);
}
