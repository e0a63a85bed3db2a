// The tip balloon's size, placement and grow-in clock.
#include <gtest/gtest.h>

#include <cmath>

#include "presentation/tip_balloon.h"

namespace {

TEST(TipBalloonLayout, ShortTextsGiveA64UnitMarginAndAtLeast64Height) {
    EXPECT_FLOAT_EQ(tipBalloonWidth(300, 100), 164);
    EXPECT_FLOAT_EQ(tipBalloonWidth(300, 250), 300);
    TipBalloonLayout l = layoutTipBalloon(100, 0, 164, 20, false, 0, 0);
    EXPECT_FLOAT_EQ(l.height, 64);
    EXPECT_FLOAT_EQ(l.textY, l.bodyY);  // a one-line balloon centres its text
    l = layoutTipBalloon(100, 0, 164, 20, true, 0, 0);
    EXPECT_FLOAT_EQ(l.height, 64 + 44.8f);
    EXPECT_FLOAT_EQ(l.buttonY, l.bodyY - l.height / 2 + 32);
}

TEST(TipBalloonLayout, TheBodyKeepsItsDistanceFromThePoint) {
    // Pointing right: the body's left edge lies 89.6 units right of the point.
    TipBalloonLayout l = layoutTipBalloon(0, 0, 200, 68, false, 0, 0);
    EXPECT_NEAR(l.bodyX - l.width / 2, 89.6f, 1e-3f);
    EXPECT_NEAR(l.bodyY, 0, 1e-3f);
    EXPECT_NEAR(l.tailX, 1.3f * 64, 1e-3f);
    EXPECT_NEAR(l.tailAngle, 180, 1e-3f);

    // Toward the centre from the top-right: the body lies below-left of the point.
    l = layoutTipBalloon(300, 200, 200, 68, false, -1000, 0);
    EXPECT_LT(l.bodyX, 0);
    EXPECT_LT(l.bodyY, 0);
    // A point on the centre still gets a direction.
    l = layoutTipBalloon(0, 0, 200, 68, false, -1000, 0);
    EXPECT_TRUE(std::isfinite(l.bodyX) && std::isfinite(l.bodyY));
}

TEST(TipBalloonClock, NewTextOrPointRestartsTheGrowInAndAMissedFrameHidesIt) {
    TipBalloon b = {};
    EXPECT_FALSE(advanceTipBalloon(b, 16));
    b.request = {10, 20, "first", 300, 1, -1000, 1, 0, 1};
    EXPECT_TRUE(advanceTipBalloon(b, 16));
    EXPECT_EQ(b.state.clock, 0);
    EXPECT_TRUE(advanceTipBalloon(b, 100));
    EXPECT_TRUE(advanceTipBalloon(b, 100));
    EXPECT_EQ(b.state.clock, 200);
    char copy[] = "first";  // the same words from another buffer: no restart
    b.request.text = copy;
    advanceTipBalloon(b, 10);
    EXPECT_EQ(b.state.clock, 210);
    b.request.text = "second";
    advanceTipBalloon(b, 10);
    EXPECT_EQ(b.state.clock, 0);
    advanceTipBalloon(b, 50);
    b.request.x = 11;
    advanceTipBalloon(b, 10);
    EXPECT_EQ(b.state.clock, 0);

    b.request.requested = 0;
    EXPECT_FALSE(advanceTipBalloon(b, 10));
    b.request.requested = 1;
    advanceTipBalloon(b, 10);
    EXPECT_EQ(b.state.clock, 0);
}

}  // namespace
