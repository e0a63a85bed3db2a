// The real program played to a win with no mouse at all: once by the keyboard through the
// window system, once by a virtual pad the program attaches for the test. Both follow
// the cursor through its trace lines ("cursor ROW COLUMN") and the hints the field
// traces when it waits for a move ("move X Y X Y", cell centres in menu space).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "core/field.h"
#include "tests/menus/menu_program.h"

namespace {

using namespace menutest;

struct CellAt {
    int row = -1, column = -1;
    bool operator==(const CellAt&) const = default;
};

// The cell whose centre is the menu-space point (x, y).
CellAt cellOf(float x, float y) {
    return {static_cast<int>(std::lround((248.0f - y) / 50.0f)),
            static_cast<int>(std::lround((x + 195.0f) / 50.0f))};
}

// The last place the cursor was traced at, or row -1.
CellAt lastCursor(RunningGame& game) {
    CellAt at;
    for (const TraceLine& line : game.traceLines()) {
        CellAt c;
        if (std::sscanf(line.text.c_str(), "cursor %d %d", &c.row, &c.column) == 2) at = c;
    }
    return at;
}

// The last trace line starting with `text`, or "".
std::string lastLine(RunningGame& game, const std::string& text) {
    std::string found;
    for (const TraceLine& line : game.traceLines())
        if (line.text.rfind(text, 0) == 0) found = line.text;
    return found;
}

// A level of plain squares with five covers in a plus around row 5, column 5: one hammer
// strike there wins it, whatever the swaps before did.
void writePlusLevel(RunningGame& game) {
    const char* rows[11];
    for (const char*& row : rows) row = "000000000000";
    rows[4] = "000001000000";
    rows[5] = "000011100000";
    rows[6] = "000001000000";
    writeFirstLevel(game, rows, "120");
}

// How the test presses a direction and Enter: keys through the window, or the pad's buttons.
struct Input {
    virtual ~Input() = default;
    virtual void direction(int dRow, int dColumn, int times) = 0;
    virtual void confirm() = 0;  // Enter, A
    virtual void hammer() = 0;   // Z, Y
};

struct Keys : Input {
    RunningGame& game;
    explicit Keys(RunningGame& g) : game(g) {}
    void direction(int dRow, int dColumn, int times) override {
        const char* name = dRow < 0 ? "Up" : dRow > 0 ? "Down" : dColumn < 0 ? "Left" : "Right";
        for (int k = 0; k < times; ++k) game.key(name);
    }
    void confirm() override { game.key("Return"); }
    void hammer() override { game.key("z"); }
};

// The pad's command file: the program carries out one whole line a frame and traces it
// ("pad command LINE").
struct Pad : Input {
    RunningGame& game;
    std::string path;
    int sent = 0;
    Pad(RunningGame& g, std::string file) : game(g), path(std::move(file)) {}
    void send(const std::string& line) {
        std::ofstream out(path, std::ios::app);
        out << line << "\n";
        ++sent;
    }
    // Waits until every line sent so far was carried out.
    void flush() {
        int done = 0;
        for (const TraceLine& line : game.traceLines())
            done += line.text.rfind("pad command ", 0) == 0 ? 1 : 0;
        for (; done < sent; ++done)
            if (!game.waitFor(line("pad command"))) {
                ADD_FAILURE() << "the pad's commands were not all carried out\n" << game.report();
                return;
            }
    }
    void press(const char* button, int times = 1) {
        for (int k = 0; k < times; ++k) {
            send(std::string("down ") + button);
            send(std::string("up ") + button);
        }
        flush();
    }
    // Across by the d-pad, up and down by the left stick pushed past its dead zone and let go.
    void direction(int dRow, int dColumn, int times) override {
        if (dRow == 0) {
            press(dColumn < 0 ? "left" : "right", times);
            return;
        }
        for (int k = 0; k < times; ++k) {
            send(dRow < 0 ? "stick 0 -30000" : "stick 0 30000");
            send("stick 0 0");
        }
        flush();
    }
    void confirm() override { press("a"); }
    void hammer() override { press("y"); }
};

// Moves the cursor onto `target` (the first direction only shows it where it stands).
bool cursorTo(RunningGame& game, Input& input, CellAt target) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        const CellAt at = lastCursor(game);
        if (at.row < 0) {
            input.direction(0, 1, 1);
        } else if (at == target) {
            return true;
        } else {
            if (at.row != target.row)
                input.direction(target.row > at.row ? 1 : -1, 0, std::abs(target.row - at.row));
            if (at.column != target.column)
                input.direction(0, target.column > at.column ? 1 : -1, std::abs(target.column - at.column));
        }
    }
    return lastCursor(game) == target;
}

// Two hinted swaps, then the hammer on the plus, all by `input`: the level is won.
void winByInput(RunningGame& game, Input& input) {
    std::string move = lastLine(game, "move ");
    for (int swaps = 0; swaps < 2;) {
        ASSERT_FALSE(move.empty()) << game.report();
        float x1, y1, x2, y2;
        ASSERT_EQ(std::sscanf(move.c_str(), "move %f %f %f %f", &x1, &y1, &x2, &y2), 4) << move;
        const CellAt pick = cellOf(x1, y1), target = cellOf(x2, y2);
        ASSERT_TRUE(cursorTo(game, input, pick)) << game.report();
        game.skipTrace();  // the waits below see what the pick and the swap bring
        input.confirm();
        input.direction(target.row - pick.row, target.column - pick.column, 1);
        const std::string swap = "swap " + std::to_string(pick.row) + " " + std::to_string(pick.column) +
                                 " " + std::to_string(target.row) + " " + std::to_string(target.column) +
                                 " stands";
        // The field waits for the next move once the swap's lines are gone.
        const TraceLine next = game.waitFor(anyOf({line("move"), line("level 1 won")}));
        ASSERT_TRUE(next) << game.report();
        if (next.text.rfind("level 1 won", 0) == 0) return;
        if (lastLine(game, "swap ") == swap) ++swaps;
        move = next.text;
    }
    input.hammer();
    ASSERT_TRUE(cursorTo(game, input, {5, 5})) << game.report();
    input.confirm();
}

TEST(KeysProgram, ALevelIsWonByTheKeyboardAloneWithTheCursorInSight) {
    if (!canRunGame()) GTEST_SKIP() << "needs an X server and xdotool";
    RunningGame game;
    writePlayer(game, player("KEYS"));
    writePlusLevel(game);
    ASSERT_TRUE(game.start({"QUELMAR_START_LEVEL=1", "QUELMAR_START_HAMMERS=1"})) << game.report();
    ASSERT_TRUE(game.waitFor(line("level 1 loaded"))) << game.report();
    ASSERT_TRUE(game.waitFor(line("move"))) << game.report();

    // The first arrow shows the cursor where it stands: its cell lights up in the picture.
    const Picture before = game.picture("before");
    game.key("Right");
    const CellAt at = lastCursor(game);
    ASSERT_GE(at.row, 0) << game.report();
    const Vec2 centre = cellCentre(at.row, at.column);
    const Picture shown = game.picture("cursor");
    EXPECT_GT(shown.difference(before, centre.x - 28, centre.y - 28, centre.x + 28, centre.y + 28), 8.0);

    // M silences everything and brings it back.
    game.key("m");
    EXPECT_TRUE(game.waitFor(exactly("mute 1"))) << game.report();
    game.key("m");
    EXPECT_TRUE(game.waitFor(exactly("mute 0"))) << game.report();

    Keys keys(game);
    winByInput(game, keys);
    EXPECT_TRUE(game.waitFor(line("level 1 won"))) << game.report();
    EXPECT_TRUE(game.sanitizersQuiet()) << game.errors();
}

TEST(KeysProgram, ALevelIsWonByAVirtualPadAloneAndThePadIsTakenWhenPluggedIn) {
    if (!canRunGame()) GTEST_SKIP() << "needs an X server and xdotool";
    RunningGame game;
    writePlayer(game, player("PAD"));
    writePlusLevel(game);
    const std::string commands = (game.folder.path() / "pad.txt").string();
    std::ofstream(commands).close();
    ASSERT_TRUE(
        game.start({"QUELMAR_START_LEVEL=1", "QUELMAR_START_HAMMERS=1", "QUELMAR_VIRTUAL_PAD=" + commands}))
        << game.report();
    ASSERT_TRUE(game.waitFor(line("level 1 loaded"))) << game.report();
    ASSERT_TRUE(game.waitFor(line("move"))) << game.report();

    // Plugged in while the level runs: taken at once.
    Pad pad(game, commands);
    pad.send("plug");
    pad.flush();
    ASSERT_TRUE(game.waitFor(exactly("pad added, 1 now"))) << game.report();
    // Start pauses the level, A (any button) goes on.
    pad.press("start");
    pad.press("a");
    ASSERT_TRUE(game.waitFor(line("move"))) << game.report();  // the field waits again once the pause is over
    winByInput(game, pad);
    EXPECT_TRUE(game.waitFor(line("level 1 won"))) << game.report();
    pad.send("unplug");
    pad.flush();
    EXPECT_TRUE(game.waitFor(exactly("pad removed, 0 now"))) << game.report();
    EXPECT_TRUE(game.sanitizersQuiet()) << game.errors();
}

}  // namespace
