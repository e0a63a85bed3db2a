// When each tip shows on the play field, where it points, and what it does to play.
#include <gtest/gtest.h>

#include "core/flow.h"
#include "core/profile.h"
#include "core/rules.h"
#include "core/tips.h"
#include "helpers.h"

namespace {

GameState g;
Profile profile;

// A profile that has seen the tutorial and every tip but the ones listed.
Profile unseen(std::initializer_list<TipKey> keys) {
    Profile p = makeProfile("tester");
    for (TipKey k : keys) p.tipFlags[static_cast<int>(k)] = 0;
    return p;
}

// Every board situation at once: a hammer and a clock pick-up, a double cover, a
// chain and a bomb.
std::string busyBoard() {
    return quietBoard(
        {{2, "4 4 H 6 4 4 6 6 4 4 6 6"}, {3, "5 5 7 7 5^2 5 T 7 5 5 7 7"}, {4, "6 6 4 4 6 6* 4 4 6 6 4B 4"}});
}

class BoardTips : public ::testing::Test {
  protected:
    void SetUp() override { gameProfile = &profile; }
    void TearDown() override {
        static Profile rest = makeProfile("");
        gameProfile = &rest;
    }
    // Offers the board tips and returns what shows, then closes it.
    TipKey offerAndClose(bool newLevel = true) {
        offerBoardTips(g);
        const TipKey shown = g.tip.showing ? static_cast<TipKey>(g.tip.key) : TipKey::None;
        closeTip(g);
        if (newLevel) g.tipShownThisLevel = 0;
        return shown;
    }
};

TEST_F(BoardTips, FirstEligibleWinsInOrderAndPointsAtItsSituation) {
    profile = unseen({TipKey::Powerup, TipKey::RelaxTip1, TipKey::TipBusySquare2, TipKey::ChainbTip,
                      TipKey::FirstHammer, TipKey::HummerHelp, TipKey::FirstTime, TipKey::TimeHelp});
    setUpBoard(g, busyBoard(), 6);
    g.stock.hammers = 1;
    g.stock.clocks = 1;
    g.stock.hammerIcon = {-340.0f, 100.0f};
    g.stock.clockIcon = {-340.0f, 40.0f};
    struct Case {
        TipKey key;
        bool modal;
        Vec2 at;
    };
    const Case expected[] = {
        {TipKey::FirstHammer, true, g.cells[2][2].centre},
        {TipKey::HummerHelp, false, {-340.0f, 100.0f}},
        {TipKey::FirstTime, true, g.cells[3][6].centre},
        {TipKey::TimeHelp, false, {-340.0f, 40.0f}},
        {TipKey::RelaxTip1, false, {-250.0f, 100.0f}},
        {TipKey::TipBusySquare2, true, g.cells[3][4].centre},
        {TipKey::ChainbTip, true, g.cells[4][5].centre},
        {TipKey::Powerup, true, g.cells[4][10].centre},
        {TipKey::None, false, {}},
    };
    Recorder recorder;
    for (const Case& c : expected) {
        const char* name = tipKeyName(static_cast<int>(c.key));
        g.hint.timer = 1.0f;
        offerBoardTips(g);
        EXPECT_EQ(g.tip.showing ? g.tip.key : 0, static_cast<int>(c.key)) << name;
        if (c.key == TipKey::None) break;
        EXPECT_EQ(g.tip.modal, c.modal ? 1 : 0) << name;
        EXPECT_EQ(g.tip.position.x, c.at.x) << name;
        EXPECT_EQ(g.tip.position.y, c.at.y) << name;
        EXPECT_TRUE(recorder.has(Announce::TipShown, name));
        EXPECT_STREQ(visibleTipKey(g), name);
        // The per-level tips that explain the field give the player time to read them.
        const bool resetsHint =
            c.key == TipKey::RelaxTip1 || c.key == TipKey::TipBusySquare2 || c.key == TipKey::ChainbTip;
        EXPECT_EQ(g.hint.timer > 1.0f, resetsHint) << name;
        closeTip(g);
        g.tipShownThisLevel = 0;
    }
}

TEST_F(BoardTips, LevelAndTileConditionsHoldTipsBack) {
    profile = unseen({TipKey::Powerup, TipKey::RelaxTip1, TipKey::GameTip3});
    setUpBoard(g, quietBoard({{4, "6 6 4 4 6 6 4 4 6 6 4B 4"}, {0, "4^1 4 6 6 4 4 6 6 4 4 6 6"}}), 4);
    g.tilesLeft = 3;
    EXPECT_EQ(offerAndClose(), TipKey::Powerup);
    EXPECT_EQ(offerAndClose(), TipKey::None);  // the relaxing tip waits for level 5
    profile = unseen({TipKey::Powerup});
    g.level = 0;
    EXPECT_EQ(offerAndClose(), TipKey::None);  // and the power-up tip for level 1
    // Two tiles left: the last-tiles tip points at the first covered cell.
    profile = unseen({TipKey::GameTip3});
    g.tilesLeft = 2;
    offerBoardTips(g);
    EXPECT_EQ(g.tip.key, static_cast<int>(TipKey::GameTip3));
    EXPECT_EQ(g.tip.position.y, g.cells[0][0].centre.y);
}

TEST_F(BoardTips, OnePerLevelTipPerLevelAndFlagsPerProfile) {
    profile = unseen({TipKey::RelaxTip1, TipKey::TipBusySquare2, TipKey::ChainbTip, TipKey::GameTip2});
    setUpBoard(g, busyBoard(), 6);
    EXPECT_EQ(offerAndClose(false), TipKey::RelaxTip1);
    EXPECT_EQ(offerAndClose(false), TipKey::None);
    // Any other tip shown first, such as a breaking cover's, also closes the level.
    setUpBoard(g, busyBoard(), 7);
    offerTip(g, static_cast<int>(TipKey::GameTip2), 0.0f, 0.0f, 0.0f, true);
    closeTip(g);
    EXPECT_EQ(offerAndClose(false), TipKey::None);

    // A profile that has seen a tip never sees it again, even in a new game; another does.
    Profile second = profile;
    setUpBoard(g, busyBoard(), 2);
    EXPECT_EQ(offerAndClose(), TipKey::TipBusySquare2);
    setUpBoard(g, busyBoard(), 2);
    EXPECT_EQ(offerAndClose(), TipKey::ChainbTip);
    gameProfile = &second;
    EXPECT_EQ(offerAndClose(), TipKey::TipBusySquare2);
}

TEST_F(BoardTips, FailedSwapTipOnlyOnTheFirstLevelAndOnlyOnce) {
    profile = unseen({TipKey::GameTip4});
    // Row 0 reads 4 4 6 6 ...: swapping columns 1 and 2 makes no line and swaps back.
    auto failedSwap = [] {
        clickSwap(g, 0, 1, 0, 2);
        for (int f = 0; f < 80 && !g.tip.showing; ++f) updateGame(g, 10.0f);
    };
    setUpBoard(g, quietBoard(), 3);
    failedSwap();
    EXPECT_FALSE(g.tip.showing);
    setUpBoard(g, quietBoard(), 0);
    failedSwap();
    ASSERT_TRUE(g.tip.showing && g.tip.modal);
    EXPECT_EQ(g.tip.key, static_cast<int>(TipKey::GameTip4));
    EXPECT_EQ(g.tip.position.x, cellCentre(0, 1).x);
    onKey(g, 'x');
    failedSwap();
    EXPECT_FALSE(g.tip.showing);
    EXPECT_EQ(profile.gameTip4Count, 1);
}

TEST_F(BoardTips, ModalTipFreezesPlayAndClockUntilItsButtonIsClicked) {
    profile = unseen({TipKey::ChainbTip});
    setUpBoard(g, busyBoard(), 2);
    offerBoardTips(g);
    ASSERT_TRUE(g.tip.showing && g.tip.modal);
    const float elapsed = g.elapsed;
    for (int f = 0; f < 10; ++f) updateGame(g, 10.0f);
    EXPECT_EQ(g.elapsed, elapsed);
    // Early clicks neither close the balloon nor reach the field.
    onLeftDown(g, cellCentre(0, 0));
    EXPECT_TRUE(g.tip.showing);
    EXPECT_EQ(g.selection.state, 0);
    for (int f = 0; f < 30; ++f) updateGame(g, 10.0f);
    onLeftDown(g, cellCentre(0, 0));
    EXPECT_FALSE(g.tip.showing);
    EXPECT_EQ(g.selection.state, 0);
    updateGame(g, 10.0f);
    EXPECT_GT(g.elapsed, elapsed);
}

TEST_F(BoardTips, FirstLevelWalksThroughTheSuggestedMove) {
    profile = unseen({TipKey::GameTip1, TipKey::GameTip6});
    setCurrentLevel(profile, 0, 0);
    setUpBoard(g, quietBoard({{0, "4 4 6 4 5 7 6 6 4 4 6 6"}}), 0);
    ASSERT_GT(findMoves(g), 0);
    const Vec2 pick = g.hint.pick;
    const Vec2 target = g.hint.target;
    offerBoardTips(g);
    EXPECT_EQ(g.tip.key, static_cast<int>(TipKey::GameTip1));
    EXPECT_FALSE(g.tip.modal);
    EXPECT_EQ(g.tip.position.x, pick.x);
    // Picking the figure closes the first tip; the second points at where it goes.
    onLeftDown(g, pick);
    onLeftUp(g);
    EXPECT_FALSE(g.tip.showing);
    offerBoardTips(g);
    EXPECT_EQ(g.tip.key, static_cast<int>(TipKey::GameTip6));
    EXPECT_EQ(g.tip.position.x, target.x);
    EXPECT_EQ(g.tip.position.y, target.y);
    // Making the move closes it, and after it there is no walk.
    onLeftDown(g, target);
    updateGame(g, 10.0f);
    EXPECT_FALSE(g.tip.showing);
    profile = unseen({TipKey::GameTip1});
    setCurrentLevel(profile, 0, 0);
    EXPECT_FALSE(tipCondition(g, profile, static_cast<int>(TipKey::GameTip1), nullptr));
    setUpBoard(g, quietBoard(), 0);
    setCurrentLevel(profile, 0, 1);  // nor beyond the profile's first level
    EXPECT_FALSE(tipCondition(g, profile, static_cast<int>(TipKey::GameTip1), nullptr));
}

}  // namespace
