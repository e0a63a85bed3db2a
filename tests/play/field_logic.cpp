// The field's own animation and pointer logic, and the test input script.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/field.h"
#include "core/random.h"
#include "game/automation.h"
#include "presentation/field_view.h"

namespace {

FieldFrame frameAt(float x, float y, bool blocked = false) {
    return {0xFFFFFFFFu, 0.0f, 16.0f, {x, y}, 0, blocked};
}

GameState& freshState() {
    static GameState g;
    resetGameState(g);
    setCentres(g);
    for (auto& row : g.cells)
        for (Cell& c : row) c.figure = 0;
    return g;
}

}  // namespace

TEST(FieldLogic, AFigureTurnsWhileHoveredAndFinishesItsTurnAfterThePointerLeaves) {
    Cell c = {};
    for (int i = 0; i < 10; ++i) advanceSpin(c, true, 30.0f);  // 300 ms hovered: frame 10
    EXPECT_EQ(c.frame, 10);
    int frames = 0;
    while (c.frame != 0 && frames < 100) {
        advanceSpin(c, false, 30.0f);
        ++frames;
    }
    EXPECT_EQ(c.frame, 0);
    EXPECT_EQ(frames, 22);  // the rest of one turn of 32 frames
    advanceSpin(c, false, 30.0f);
    advanceSpin(c, false, 30.0f);
    EXPECT_EQ(c.frame, 0);  // and then it rests
    EXPECT_EQ(c.spinClock, 0.0f);
}

TEST(FieldLogic, OnlyACellOfTheGridThatIsFreeAndNotBlockedIsHovered) {
    GameState& g = freshState();
    int row = 0, column = 0;
    const Vec2 centre = g.cells[3][4].centre;
    EXPECT_TRUE(hoveredCell(g, frameAt(centre.x, centre.y), &row, &column));
    EXPECT_EQ(row, 3);
    EXPECT_EQ(column, 4);
    EXPECT_FALSE(hoveredCell(g, frameAt(centre.x, centre.y, true), &row, &column));
    g.cells[3][4].chained = 1;
    EXPECT_FALSE(hoveredCell(g, frameAt(centre.x, centre.y), &row, &column));
    EXPECT_FALSE(hoveredCell(g, frameAt(-300.0f, 0.0f), &row, &column));  // left of the grid
    EXPECT_FALSE(hoveredCell(g, frameAt(395.0f, 0.0f), &row, &column));   // right of it
    EXPECT_FALSE(hoveredCell(g, frameAt(0.0f, -290.0f), &row, &column));  // below it
    g.cells[5][5].cover = -1;
    const Vec2 hole = g.cells[5][5].centre;
    EXPECT_FALSE(hoveredCell(g, frameAt(hole.x, hole.y), &row, &column));
}

TEST(FieldLogic, BreakPiecesFillARingAndFlyUpAndLeft) {
    seedRandom(7);
    FieldView& view = fieldView;
    clearFieldView(view);
    for (int n = 0; n < kBreakPieceCapacity; ++n)
        spawnBreakPiece(view, static_cast<float>(n), 0.0f, 1 + n % 2);
    EXPECT_EQ(view.pieces[0].position.x, 0.0f);
    spawnBreakPiece(view, 500.0f, 1.0f, 2);  // the 101st replaces the oldest
    EXPECT_EQ(view.pieces[0].position.x, 500.0f);
    EXPECT_EQ(view.pieces[1].position.x, 1.0f);
    for (const BreakPiece& p : view.pieces) {
        EXPECT_TRUE(p.active);
        EXPECT_NEAR(std::hypot(p.direction.x, p.direction.y), 1.0f, 1e-4f);
        EXPECT_LE(p.direction.x, 0.0f);
        EXPECT_GE(p.direction.y, 0.0f);
    }
    spawnBreakPiece(view, 0.0f, 0.0f, 7);  // an unknown tile breaks as the single cover
    EXPECT_EQ(view.pieces[1].kind, 1);
    clearFieldView(view);
    for (const BreakPiece& p : view.pieces) EXPECT_FALSE(p.active);
}

TEST(FieldLogic, TheShakeMovesTheFieldFor150MsThenReturnsItHome) {
    FieldView& view = fieldView;
    clearFieldView(view);
    startFieldShake(view);
    updateFieldShake(view, 30.0f);
    EXPECT_NEAR(view.shake.x, 4.0f * std::sin(1.8f), 1e-4f);
    EXPECT_EQ(view.shake.x, view.shake.y);
    updateFieldShake(view, 130.0f);
    EXPECT_FALSE(view.shaking);
    EXPECT_EQ(view.shake.x, 0.0f);
    EXPECT_EQ(view.shake.y, 0.0f);
}

TEST(FieldLogic, HighlightsFollowTheFieldColoursAlphaAndBoltsAreCapped) {
    EXPECT_EQ(limitAlpha(200.0f, 0xFFFFFFFFu), 200u);
    EXPECT_EQ(limitAlpha(200.0f, 0x80FFFFFFu), 128u);
    EXPECT_EQ(limitAlpha(200.0f, 0x00FFFFFFu), 0u);  // a faded-out field takes its highlights along
    EXPECT_EQ(limitAlpha(-5.0f, 0xFFFFFFFFu), 0u);
    EXPECT_EQ(limitAlpha(NAN, 0xFFFFFFFFu), 0u);
    EXPECT_EQ(limitAlpha(900.0f, 0xFFFFFFFFu), 255u);

    FieldView& view = fieldView;
    clearFieldView(view);
    for (int n = 0; n < kBoltCapacity; ++n) EXPECT_TRUE(queueBolt(view, {0, 0}, {10, 10}, 255));
    EXPECT_FALSE(queueBolt(view, {0, 0}, {10, 10}, 255));
    EXPECT_EQ(view.boltCount, kBoltCapacity);

    clearFieldView(view);
    updateMarkerArcs(view, 16.0f);  // every arc starts at once
    for (const MarkerArc& arc : view.arcs) {
        EXPECT_LE(std::fabs(arc.from.x), 25.0f);
        EXPECT_LE(std::fabs(arc.to.y), 25.0f);
        EXPECT_GE(arc.timer, 500.0f - 16.0f);
        EXPECT_LE(arc.timer, 3500.0f);
    }
}

TEST(FieldLogic, HintArrowsPointAlongTheSwap) {
    EXPECT_EQ(hintAngle({10, 0}, {0, 0}), 90.0f);
    EXPECT_EQ(hintAngle({0, 0}, {10, 0}), 270.0f);
    EXPECT_EQ(hintAngle({0, 10}, {0, 0}), 0.0f);
    EXPECT_EQ(hintAngle({0, 0}, {0, 10}), 180.0f);
}

TEST(InputScript, ReadsOrderedEntriesAndRejectsAnythingElseWhole) {
    InputScript script = {};
    ASSERT_TRUE(parseInputScript("5:move:10:20;5:down:10:20;9:key:27:0;12:hint:0:0;12:hints:8:0", script));
    ASSERT_EQ(script.count, 5);
    EXPECT_EQ(script.entries[4].x, 8);
    EXPECT_EQ(script.entries[1].frame, 5u);
    EXPECT_EQ(script.entries[2].x, 27);
    EXPECT_TRUE(parseInputScript("", script));
    EXPECT_EQ(script.count, 0);

    ASSERT_TRUE(parseInputScript("1:up:1:1", script));
    for (const char* bad : {"x", "1:jump:0:0", "1:down:0", "9:down:0:0;3:up:0:0", "1:down:0:0,2:up:0:0",
                            "1:down:0:99999999", "99999999999:down:0:0"}) {
        EXPECT_FALSE(parseInputScript(bad, script)) << bad;
        EXPECT_EQ(script.count, 1) << bad;  // the script held before stays
    }
    std::string full;
    for (int i = 0; i <= kScriptCapacity; ++i) full += std::to_string(i) + ":move:0:0;";
    EXPECT_FALSE(parseInputScript(full.c_str(), script));
}

TEST(FrameRequests, ReadPicturesAndMarksAndRejectAnythingElseWhole) {
    FrameRequest request = {};
    ASSERT_TRUE(parseFrameRequest("mark 120", request));
    EXPECT_EQ(request.kind, RequestKind::Mark);
    EXPECT_EQ(request.frame, 120u);
    ASSERT_TRUE(parseFrameRequest("picture 0 /tmp/a folder/shot.png", request));
    EXPECT_EQ(request.kind, RequestKind::Picture);
    EXPECT_EQ(request.frame, 0u);
    EXPECT_STREQ(request.path, "/tmp/a folder/shot.png");  // the rest of the line, spaces and all

    const std::string tooLong = "picture 1 /" + std::string(sizeof request.path, 'x');
    for (const std::string& bad :
         std::vector<std::string>{"", "mark", "mark x", "mark 12 13", "mark -1", "picture 5", "picture 5 ",
                                  "look 5", "picture x a.png", tooLong}) {
        EXPECT_FALSE(parseFrameRequest(bad.c_str(), request)) << bad;
        EXPECT_STREQ(request.path, "/tmp/a folder/shot.png") << bad;  // the request held before stays
    }
}
