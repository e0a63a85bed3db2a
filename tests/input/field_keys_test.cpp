// The field played by keys: the cursor, a pick and a swap through the click's own road,
// the hammer, the clock and the hint by their keys, and the input gate in front of them.
#include <gtest/gtest.h>

#include "core/cursor.h"
#include "core/flow.h"
#include "core/profile.h"
#include "core/rules.h"
#include "helpers.h"

namespace {

GameState g;

// Row 0 reads 4 4 5 4 ...: swapping columns 2 and 3 lines up three 4s; row 2 has a hole
// in column 5 and row 3 a chained charm in column 1.
std::string keysBoard() {
    return quietBoard(
        {{0, "4 4 5 4 6 6 4 4 6 6 4 4"}, {2, "6 6 4 4 6 # 4 4 6 6 4 4"}, {3, "7 7* 5 5 7 7 5 5 7 7 5 5"}});
}

class FieldKeys : public ::testing::Test {
  protected:
    void SetUp() override {
        static Profile player = makeProfile("keys");
        gameProfile = &player;
        setUpBoard(g, keysBoard(), 3);
        g.pointer = {-1000.0f, -1000.0f};  // the mouse is away from the field
    }
    void keys(std::initializer_list<int> list) {
        for (int key : list) onKey(g, key);
    }
    void cursorAt(int row, int column) {
        g.cursorRow = row;
        g.cursorColumn = column;
        g.cursorShown = 1;
    }
};

TEST_F(FieldKeys, TheFirstKeyShowsTheCursorArrowsMoveItOverHolesAndStopAtTheEdges) {
    onKey(g, kFieldKeyRight);
    EXPECT_TRUE(g.cursorShown);
    EXPECT_EQ(g.cursorRow, 5);  // the open cell nearest the middle, not moved by the first key
    EXPECT_EQ(g.cursorColumn, 5);
    cursorAt(2, 4);
    onKey(g, kFieldKeyRight);  // (2, 5) is a hole
    EXPECT_EQ(g.cursorColumn, 6);
    cursorAt(0, 0);
    keys({kFieldKeyUp, kFieldKeyLeft});
    EXPECT_EQ(g.cursorRow, 0);
    EXPECT_EQ(g.cursorColumn, 0);
    keys({kFieldKeyDown, kFieldKeyDown});
    EXPECT_EQ(g.cursorRow, 2);
    // The mouse moved: the cursor hides, and the next key shows it under the pointer.
    hideCursor(g);
    g.pointer = cellCentre(7, 8);
    onKey(g, kFieldKeyDown);
    EXPECT_EQ(g.cursorRow, 7);
    EXPECT_EQ(g.cursorColumn, 8);
}

TEST_F(FieldKeys, EnterPicksAndAnArrowSwapsAsAClickDoesTheCursorGoingWithTheCharm) {
    Recorder recorder;
    cursorAt(0, 2);
    onKey(g, kFieldKeyEnter);
    EXPECT_EQ(g.selection.state, 1);
    EXPECT_EQ(g.selection.dragArmed, 0);  // a key holds no button: nothing drags toward the mouse
    onKey(g, kFieldKeyRight);
    EXPECT_EQ(g.selection.swap, 1);
    EXPECT_EQ(g.swapsMade, 1);
    EXPECT_EQ(g.cursorColumn, 3);
    runUntilQuiet(g);
    EXPECT_TRUE(recorder.has(Announce::Sound, "combo.ogg"));

    // A swap that makes no line slides back with its sound; the cursor stays.
    setUpBoard(g, keysBoard(), 3);
    cursorAt(0, 0);
    keys({kFieldKeyEnter, kFieldKeyRight});
    EXPECT_EQ(g.selection.swapBack, 1);
    EXPECT_EQ(g.cursorColumn, 0);
    EXPECT_TRUE(recorder.has(Announce::Sound, "unmove.ogg"));
}

TEST_F(FieldKeys, APickIsDroppedByEnterAgainByBackspaceAndNeverSwapsOverAHoleOrAChain) {
    cursorAt(0, 2);
    keys({kFieldKeyEnter, kFieldKeyEnter});
    EXPECT_EQ(g.selection.state, 0);
    keys({kFieldKeyEnter, kFieldKeyBack});
    EXPECT_EQ(g.selection.state, 0);
    EXPECT_EQ(g.gameMenuOpen, 0);
    // With nothing to drop, Backspace goes back to the game menu.
    onKey(g, kFieldKeyBack);
    EXPECT_EQ(g.gameMenuOpen, 1);
    closeGameMenu(g);
    // Next to the hole: the arrow does nothing; onto the chain: the pick drops, as a click there does.
    cursorAt(2, 4);
    keys({kFieldKeyEnter, kFieldKeyRight});
    EXPECT_EQ(g.selection.state, 1);
    EXPECT_EQ(g.swapsMade, 0);
    cursorAt(3, 0);
    keys({kFieldKeyEnter, kFieldKeyRight});
    EXPECT_EQ(g.selection.state, 0);
    EXPECT_EQ(g.swapsMade, 0);
}

TEST_F(FieldKeys, TheHammerKeyArmsEnterStrikesTheCursorsCellAndTheKeyAgainPutsItBack) {
    g.stock.hammers = 2;
    cursorAt(4, 4);
    onKey(g, kFieldKeyHammer);
    EXPECT_EQ(g.hammerMode, 1);
    EXPECT_EQ(g.stock.hammers, 1);
    onKey(g, kFieldKeyHammer);
    EXPECT_EQ(g.hammerMode, 0);
    EXPECT_EQ(g.stock.hammers, 2);
    keys({kFieldKeyHammer, kFieldKeyEnter});
    EXPECT_EQ(g.hammersUsed, 1);
    EXPECT_EQ(g.hammerMode, 0);
    for (const auto& d : {std::pair{4, 4}, {3, 4}, {5, 4}, {4, 3}, {4, 5}})
        EXPECT_EQ(g.cells[d.first][d.second].removeMark, 1) << d.first << "," << d.second;
}

TEST_F(FieldKeys, TheClockKeyUsesAClockAndHShowsTheHintAtOnce) {
    g.stock.clocks = 1;
    onKey(g, kFieldKeyClock);
    EXPECT_EQ(g.stock.clockRunning, 1);
    EXPECT_EQ(g.stock.clocks, 0);

    findMoves(g);
    ASSERT_EQ(g.noHint, 0);
    EXPECT_EQ(g.hint.showing, 0);
    onKey(g, kFieldKeyHint);
    EXPECT_EQ(g.hint.showing, 1);
    // It shows its three seconds, and then waits as long as after a move.
    for (int f = 0; f < 310; ++f) updateGame(g, 10.0f);
    EXPECT_EQ(g.hint.showing, 0);
    EXPECT_GT(g.hint.timer, 9000.0f);
}

TEST_F(FieldKeys, TheKeysGoThroughTheGateAsClicksDo) {
    cursorAt(0, 2);
    // Paused: the key resumes and does nothing else.
    g.paused = 1;
    onKey(g, kFieldKeyEnter);
    EXPECT_EQ(g.paused, 0);
    EXPECT_EQ(g.selection.state, 0);
    // A box over the field: the key closes it.
    offerTip(g, static_cast<int>(TipKey::NoMoreMoves), 150.0f, 0.0f, 0.0f, true);
    ASSERT_TRUE(g.tip.showing);
    onKey(g, kFieldKeyEnter);
    EXPECT_FALSE(g.tip.showing);
    EXPECT_EQ(g.selection.state, 0);
    // The game menu takes the keys itself.
    g.gameMenuOpen = 1;
    onKey(g, kFieldKeyEnter);
    EXPECT_EQ(g.selection.state, 0);
    g.gameMenuOpen = 0;
    // Escape and Space keep their meaning.
    onKey(g, kFieldKeySpace);
    EXPECT_EQ(g.paused, 1);
    onKey(g, kFieldKeySpace);
    onKey(g, kFieldKeyEscape);
    EXPECT_EQ(g.gameMenuOpen, 1);
}

}  // namespace
