// When each tip shows on the play field, where it points, and what it does to play.
#include <gtest/gtest.h>

#include <cstring>

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

// Every board condition at once: a hammer and a clock pick-up, a double cover, a
// chain and a bomb, on level 6 with one hammer and one clock in stock.
std::string busyBoard() {
    return quietBoard(
        {{2, "4 4 H 6 4 4 6 6 4 4 6 6"}, {3, "5 5 7 7 5^2 5 T 7 5 5 7 7"}, {4, "6 6 4 4 6 6* 4 4 6 6 4B 4"}});
}

class BoardTips : public ::testing::Test {
  protected:
    CoreHooks saved = coreHooks;
    void SetUp() override {
        gameProfile = &profile;
        installTipHooks(coreHooks);
    }
    void TearDown() override {
        coreHooks = saved;
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

TEST_F(BoardTips, FirstEligibleWinsInTheOrderOfOffers) {
    profile = unseen({TipKey::Powerup, TipKey::RelaxTip1, TipKey::TipBusySquare2, TipKey::ChainbTip,
                      TipKey::FirstHammer, TipKey::HummerHelp, TipKey::FirstTime, TipKey::TimeHelp});
    setUpBoard(g, busyBoard(), 6);
    g.stock.hammers = 1;
    g.stock.clocks = 1;
    g.stock.hammerIcon = {-340.0f, 100.0f};
    Recorder recorder;

    offerBoardTips(g);
    ASSERT_TRUE(g.tip.showing);
    EXPECT_EQ(g.tip.key, static_cast<int>(TipKey::FirstHammer));
    EXPECT_TRUE(g.tip.modal && g.tip.pointing);
    EXPECT_EQ(g.tip.position.x, g.cells[2][2].centre.x);
    EXPECT_EQ(g.tip.position.y, g.cells[2][2].centre.y);
    EXPECT_TRUE(recorder.has(Announce::TipShown, "firsthammer"));
    closeTip(g);
    g.tipShownThisLevel = 0;

    const TipKey expected[] = {TipKey::HummerHelp,     TipKey::FirstTime, TipKey::TimeHelp, TipKey::RelaxTip1,
                               TipKey::TipBusySquare2, TipKey::ChainbTip, TipKey::Powerup,  TipKey::None};
    for (TipKey key : expected) EXPECT_EQ(offerAndClose(), key);
    for (int k = 1; k < kTipFlagCount; ++k) EXPECT_EQ(profile.tipFlags[k], 1) << k;
}

TEST_F(BoardTips, EachTipPointsWhereItsTableSays) {
    struct Case {
        TipKey key;
        bool modal;
        Vec2 at;
    };
    setUpBoard(g, busyBoard(), 6);
    g.stock.hammers = 1;
    g.stock.clocks = 2;
    g.stock.hammerIcon = {-340.0f, 100.0f};
    g.stock.clockIcon = {-340.0f, 40.0f};
    const Case cases[] = {
        {TipKey::HummerHelp, false, {-340.0f, 100.0f}},       {TipKey::FirstTime, true, g.cells[3][6].centre},
        {TipKey::TimeHelp, false, {-340.0f, 40.0f}},          {TipKey::RelaxTip1, false, {-250.0f, 100.0f}},
        {TipKey::TipBusySquare2, true, g.cells[3][4].centre}, {TipKey::ChainbTip, true, g.cells[4][5].centre},
        {TipKey::Powerup, true, g.cells[4][10].centre},
    };
    for (const Case& c : cases) {
        profile = unseen({c.key});
        g.tipShownThisLevel = 0;
        offerBoardTips(g);
        ASSERT_TRUE(g.tip.showing) << tipKeyName(static_cast<int>(c.key));
        EXPECT_EQ(g.tip.key, static_cast<int>(c.key));
        EXPECT_EQ(g.tip.modal, c.modal ? 1 : 0) << tipKeyName(static_cast<int>(c.key));
        EXPECT_EQ(g.tip.position.x, c.at.x) << tipKeyName(static_cast<int>(c.key));
        EXPECT_EQ(g.tip.position.y, c.at.y) << tipKeyName(static_cast<int>(c.key));
        closeTip(g);
    }
}

TEST_F(BoardTips, ConditionsHoldBackTipsUntilTheirSituation) {
    profile = unseen({TipKey::Powerup, TipKey::RelaxTip1, TipKey::GameTip3, TipKey::HummerHelp});
    // Level 4, two covered cells left (too many for the last-tiles tip), no stock:
    // only the power-up tip may show.
    setUpBoard(g, quietBoard({{4, "6 6 4 4 6 6 4 4 6 6 4B 4"}, {0, "4^1 4 6 6 4 4 6 6 4 4 6 6"}}), 4);
    g.tilesLeft = 3;
    EXPECT_EQ(offerAndClose(), TipKey::Powerup);
    EXPECT_EQ(offerAndClose(), TipKey::None);  // relaxtip1 waits for level 5
    // The power-up tip never shows on the first level.
    profile = unseen({TipKey::Powerup});
    g.level = 0;
    EXPECT_EQ(offerAndClose(), TipKey::None);
    // Two tiles left: the last-tiles tip points at the first covered cell.
    profile = unseen({TipKey::GameTip3});
    g.tilesLeft = 2;
    offerBoardTips(g);
    ASSERT_TRUE(g.tip.showing);
    EXPECT_EQ(g.tip.key, static_cast<int>(TipKey::GameTip3));
    EXPECT_EQ(g.tip.position.x, g.cells[0][0].centre.x);
    EXPECT_EQ(g.tip.position.y, g.cells[0][0].centre.y);
}

TEST_F(BoardTips, OnlyOnePerLevelTipAndNoneAfterAnyOtherTip) {
    profile = unseen(
        {TipKey::Powerup, TipKey::RelaxTip1, TipKey::TipBusySquare2, TipKey::ChainbTip, TipKey::GameTip2});
    setUpBoard(g, busyBoard(), 6);
    EXPECT_EQ(offerAndClose(false), TipKey::RelaxTip1);
    EXPECT_EQ(offerAndClose(false), TipKey::None);
    // A new level: a cover breaking shows its tip first, and that too closes the level.
    setUpBoard(g, busyBoard(), 7);
    offerTip(g, static_cast<int>(TipKey::GameTip2), 0.0f, 0.0f, 0.0f, true);
    EXPECT_TRUE(g.tip.showing);
    closeTip(g);
    EXPECT_EQ(offerAndClose(false), TipKey::None);
    // A tip offered while another shows is dropped, not queued.
    setUpBoard(g, busyBoard(), 8);
    offerTip(g, static_cast<int>(TipKey::NoMoreMoves), 150.0f, 0.0f, 0.0f, true);
    offerBoardTips(g);
    EXPECT_EQ(g.tip.key, static_cast<int>(TipKey::NoMoreMoves));
    EXPECT_EQ(g.tip.pointing, 0);
    closeTip(g);
    EXPECT_EQ(profile.tipFlags[static_cast<int>(TipKey::TipBusySquare2)], 0);
}

TEST_F(BoardTips, FlagsAreRememberedPerProfile) {
    Profile first = unseen({TipKey::ChainbTip});
    Profile second = first;
    gameProfile = &first;
    setUpBoard(g, busyBoard(), 2);
    EXPECT_EQ(offerAndClose(), TipKey::ChainbTip);
    setUpBoard(g, busyBoard(), 2);  // a new game on the same profile
    EXPECT_EQ(offerAndClose(), TipKey::None);
    gameProfile = &second;
    EXPECT_EQ(offerAndClose(), TipKey::ChainbTip);
    EXPECT_EQ(first.tipFlags[static_cast<int>(TipKey::ChainbTip)], 1);
    EXPECT_EQ(second.tipFlags[static_cast<int>(TipKey::ChainbTip)], 1);
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
    EXPECT_EQ(profile.gameTip4Count, 0);

    setUpBoard(g, quietBoard(), 0);
    failedSwap();
    ASSERT_TRUE(g.tip.showing);
    EXPECT_EQ(g.tip.key, static_cast<int>(TipKey::GameTip4));
    EXPECT_TRUE(g.tip.modal);
    EXPECT_EQ(g.tip.position.x, cellCentre(0, 1).x);
    EXPECT_EQ(profile.gameTip4Count, 1);
    onKey(g, 'x');
    EXPECT_FALSE(g.tip.showing);
    failedSwap();
    EXPECT_FALSE(g.tip.showing);
    EXPECT_EQ(profile.gameTip4Count, 1);
}

TEST_F(BoardTips, ModalTipFreezesPlayAndClockUntilItsButtonIsClicked) {
    profile = unseen({TipKey::ChainbTip, TipKey::RelaxTip1});
    setUpBoard(g, busyBoard(), 2);
    offerBoardTips(g);
    ASSERT_TRUE(g.tip.showing && g.tip.modal);
    const float elapsed = g.elapsed;
    for (int f = 0; f < 10; ++f) updateGame(g, 10.0f);
    EXPECT_EQ(g.elapsed, elapsed);
    // Early clicks neither close the balloon nor reach the field.
    onLeftDown(g, cellCentre(0, 0));
    onLeftUp(g);
    EXPECT_TRUE(g.tip.showing);
    EXPECT_EQ(g.selection.state, 0);
    for (int f = 0; f < 30; ++f) updateGame(g, 10.0f);
    Recorder recorder;
    onLeftDown(g, cellCentre(0, 0));
    onLeftUp(g);
    EXPECT_FALSE(g.tip.showing);
    EXPECT_TRUE(recorder.has(Announce::Sound, "menu.ogg"));
    EXPECT_EQ(g.selection.state, 0);
    updateGame(g, 10.0f);
    EXPECT_GT(g.elapsed, elapsed);

    // A non-modal tip lets the clock run.
    setUpBoard(g, busyBoard(), 6);
    profile = unseen({TipKey::RelaxTip1});
    offerBoardTips(g);
    ASSERT_TRUE(g.tip.showing && !g.tip.modal);
    const float before = g.elapsed;
    updateGame(g, 10.0f);
    EXPECT_GT(g.elapsed, before);
}

TEST_F(BoardTips, FirstLevelWalksThroughTheSuggestedMove) {
    profile = unseen({TipKey::GameTip1, TipKey::GameTip6});
    setCurrentLevel(profile, 0, 0);
    // Row 0 with 4 4 6 4: moving the third 4 left makes the only line.
    setUpBoard(g, quietBoard({{0, "4 4 6 4 5 7 6 6 4 4 6 6"}}), 0);
    ASSERT_GT(findMoves(g), 0);
    const Vec2 pick = g.hint.pick;
    const Vec2 target = g.hint.target;
    offerBoardTips(g);
    ASSERT_TRUE(g.tip.showing);
    EXPECT_EQ(g.tip.key, static_cast<int>(TipKey::GameTip1));
    EXPECT_FALSE(g.tip.modal);
    EXPECT_EQ(g.tip.position.x, pick.x);
    // Picking the figure closes the first tip; the second points at where it goes.
    onLeftDown(g, pick);
    onLeftUp(g);
    EXPECT_FALSE(g.tip.showing);
    ASSERT_EQ(g.selection.state, 1);
    offerBoardTips(g);
    ASSERT_TRUE(g.tip.showing);
    EXPECT_EQ(g.tip.key, static_cast<int>(TipKey::GameTip6));
    EXPECT_EQ(g.tip.position.x, target.x);
    EXPECT_EQ(g.tip.position.y, target.y);
    // Making the suggested move closes it and ends the walk.
    onLeftDown(g, target);
    onLeftUp(g);
    updateGame(g, 10.0f);
    EXPECT_FALSE(g.tip.showing);
    EXPECT_TRUE(g.movedThisLevel);
    profile = unseen({TipKey::GameTip1});
    setCurrentLevel(profile, 0, 0);
    EXPECT_FALSE(tipCondition(g, profile, static_cast<int>(TipKey::GameTip1), nullptr));
    // Nor is there a walk beyond the profile's first level.
    setUpBoard(g, quietBoard(), 0);
    setCurrentLevel(profile, 0, 1);
    EXPECT_FALSE(tipCondition(g, profile, static_cast<int>(TipKey::GameTip1), nullptr));
}

}  // namespace
