// Open cover pieces per won level, the right-hand picture, and the piece and collection
// animations with their phases and the hold on "continue1".
#include <gtest/gtest.h>

#include "menus/collection.h"

namespace {

CollectionState counted(int zone, int levelInZone, int finished, bool pieceAnimation = false) {
    CollectionState c = {};
    c.pieceActive = pieceAnimation;
    countOpenPieces(c, zone, firstLevelOfZone(zone) + levelInZone, finished, levelInZone);
    return c;
}

// Runs the animations by dt until `until` says stop (at most a minute); the events seen.
template <typename Until>
CollectionEvents runUntil(CollectionState& c, bool zoneComplete, Until until, float dt = 16) {
    CollectionEvents seen = {};
    for (int frame = 0; frame < 60000 / 16 && !until(c); ++frame) {
        CollectionEvents e = advanceCollection(c, dt, zoneComplete);
        seen.piecesOpened |= e.piecesOpened;
        seen.quelmarComplete |= e.quelmarComplete;
        seen.holdStarted |= e.holdStarted;
        seen.collectionDone |= e.collectionDone;
    }
    return seen;
}

}  // namespace

TEST(PieceCounting, EveryWonLevelOpensItsShareOfTheTenPieces) {
    // A zone of 8 levels (zone 4): 10/8 rounds to 1 after the first, 5 after the fourth.
    EXPECT_EQ(counted(4, 1, 4).openNow, 1);
    EXPECT_EQ(counted(4, 1, 4).openBefore, 0);
    EXPECT_EQ(counted(4, 4, 4).openNow, 5);
    EXPECT_EQ(counted(4, 4, 4).openBefore, 4);
    EXPECT_EQ(counted(4, 7, 4).openNow, 9);
    // A zone of 5 levels opens two at a time; a zone of 10 one at a time.
    EXPECT_EQ(counted(0, 1, 0).openNow, 2);
    EXPECT_EQ(counted(0, 4, 0).openNow, 8);
    EXPECT_EQ(counted(0, 4, 0).openBefore, 6);
    for (int k = 1; k < 10; ++k) {
        EXPECT_EQ(counted(7, k, 7).openNow, k);
        EXPECT_EQ(counted(7, k, 7).openBefore, k - 1);
    }
}

TEST(PieceCounting, AFinishedZoneOpensAllTenFromWhereTheLastLevelLeftThem) {
    // Zone 4 (8 levels) just finished: the position is at the start of zone 5.
    CollectionState c = counted(5, 0, 5, true);
    EXPECT_EQ(c.openNow, 10);
    EXPECT_EQ(c.openBefore, 9);
    c = counted(1, 0, 1, true);  // zone 0 has 5 levels: 8 were open
    EXPECT_EQ(c.openBefore, 8);
    // Without the animation the new zone's cover is closed; a zone already finished
    // before (replayed) shows no cover pieces either.
    EXPECT_EQ(counted(5, 0, 5).openNow, 0);
    EXPECT_EQ(counted(2, 3, 6).openNow, 0);
}

TEST(RightPicture, ChangesEveryThreeLevelsThroughFivePictures) {
    EXPECT_EQ(rightPicture(0), 0);
    EXPECT_EQ(rightPicture(2), 0);
    EXPECT_EQ(rightPicture(3), 1);
    EXPECT_EQ(rightPicture(6), 2);
    EXPECT_EQ(rightPicture(9), 3);
    EXPECT_EQ(rightPicture(14), 4);
    EXPECT_EQ(rightPicture(15), 0);
    for (int level : {3, 6, 9, 42}) EXPECT_TRUE(rightPictureChanged(level)) << level;
    for (int level : {0, 1, 4, 5, 43}) EXPECT_FALSE(rightPictureChanged(level)) << level;
}

TEST(PieceAnimation, OpensOnItsFirstFrameAndEndsAfterFiveHalfTurns) {
    CollectionState c = {};
    c.pieceActive = true;
    EXPECT_TRUE(advanceCollection(c, 16, false).piecesOpened);
    EXPECT_FALSE(advanceCollection(c, 16, false).piecesOpened);
    runUntil(c, false, [](const CollectionState& s) { return !s.pieceActive; });
    EXPECT_FALSE(c.active) << "a zone still being played shows no collection";
    // The blinking cover fades out and back without wrapping round to a flash.
    EXPECT_EQ(blinkAlpha(0), 255);
    EXPECT_EQ(blinkAlpha(3.1415927f / kPieceSpin), 0);
    EXPECT_EQ(blinkAlphaInverse(0), 0);
}

TEST(CollectionAnimation, RisesHoldsUntilContinueThenFliesToItsZone) {
    CollectionState c = {};
    c.pieceActive = true;
    float elapsed = 0;
    CollectionEvents seen = runUntil(c, true, [&](const CollectionState& s) {
        elapsed += 16;
        return s.phaseB;
    });
    EXPECT_TRUE(seen.quelmarComplete);
    EXPECT_NEAR(elapsed, 2244 + 1500, 40);

    // Phase B reaches its end and then nothing moves, however long the player waits.
    seen = runUntil(c, true, [](const CollectionState& s) { return collectionHolding(s); });
    EXPECT_TRUE(seen.holdStarted);
    for (int i = 0; i < 1000; ++i) EXPECT_FALSE(advanceCollection(c, 16, true).collectionDone);
    EXPECT_TRUE(collectionHolding(c));
    EXPECT_FLOAT_EQ(collectionPose(c, 110, -210).frameSide, 406);

    ASSERT_TRUE(continueCollection(c));
    EXPECT_TRUE(c.phaseC);
    EXPECT_FALSE(continueCollection(c)) << "only the hold can be continued";
    seen = runUntil(c, true, [](const CollectionState& s) { return !s.active; });
    EXPECT_TRUE(seen.collectionDone);
    EXPECT_TRUE(c.iconFade);
    EXPECT_FLOAT_EQ(c.iconFadeLeft, 1000);
    runUntil(c, true, [](const CollectionState& s) { return !s.iconFade; });
    EXPECT_FALSE(collectionAnimating(c));
}
