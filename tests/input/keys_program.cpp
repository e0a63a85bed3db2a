// The real program played to a win with no mouse at all: once by the keyboard through the
// window system, once by a virtual pad the program attaches for the test. Both follow
// the cursor through its trace lines ("cursor ROW COLUMN") and the hints the field
// traces when it waits for a move ("move X Y X Y", cell centres in menu space).
#include <gtest/gtest.h>

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
CellAt lastCursor(const RunningGame& game) {
    CellAt at;
    for (const std::string& line : game.traceLines()) {
        CellAt c;
        if (std::sscanf(line.c_str(), "cursor %d %d", &c.row, &c.column) == 2) at = c;
    }
    return at;
}

// A level of plain squares with five covers in a plus around row 5, column 5: one hammer
// strike there wins it, whatever the swaps before did.
void writePlusLevel(RunningGame& game) {
    const char* rows[11];
    for (const char*& row : rows) row = "000000000000";
    rows[4] = "000001000000";
    rows[5] = "000011100000";
    rows[6] = "000001000000";
    writeFirstLevel(game, rows, 120);
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
        std::string keys;
        for (int k = 0; k < times; ++k) keys += std::string(name) + " ";
        game.key(keys);
    }
    void confirm() override { game.key("Return"); }
    void hammer() override { game.key("z"); }
};

// The pad's command file: the program carries out one whole line a frame and traces it.
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
        auto end = std::chrono::steady_clock::now() + 30s;
        while (std::chrono::steady_clock::now() < end) {
            int done = 0;
            for (const std::string& line : game.traceLines())
                done += line.rfind("pad command ", 0) == 0 ? 1 : 0;
            if (done >= sent) return;
            std::this_thread::sleep_for(100ms);
        }
        ADD_FAILURE() << "the pad's commands were not all carried out\n" << traceText(game);
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
        CellAt at = lastCursor(game);
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
        const std::string want = "cursor " + std::to_string(target.row) + " " + std::to_string(target.column);
        waitForLine(game, want, 5);
    }
    return lastCursor(game) == target;
}

// The last trace line holding `text`, or "".
std::string lastLine(const RunningGame& game, const std::string& text) {
    std::string found;
    for (const std::string& line : game.traceLines())
        if (line.find(text) != std::string::npos) found = line;
    return found;
}

// Two hinted swaps, then the hammer on the plus, all by `input`: the level is won.
void winByInput(RunningGame& game, Input& input) {
    std::string move = lastLine(game, "move ");
    for (int swaps = 0; swaps < 2;) {
        ASSERT_FALSE(move.empty()) << traceText(game);
        float x1, y1, x2, y2;
        ASSERT_EQ(std::sscanf(move.c_str(), "move %f %f %f %f", &x1, &y1, &x2, &y2), 4) << move;
        const CellAt pick = cellOf(x1, y1), target = cellOf(x2, y2);
        ASSERT_TRUE(cursorTo(game, input, pick)) << traceText(game);
        input.confirm();
        input.direction(target.row - pick.row, target.column - pick.column, 1);
        const std::string swap = "swap " + std::to_string(pick.row) + " " + std::to_string(pick.column) +
                                 " " + std::to_string(target.row) + " " + std::to_string(target.column) +
                                 " stands";
        if (waitForLine(game, swap, 10)) ++swaps;
        // The field waits for the next move once the swap's lines are gone.
        const std::string next = game.waitForTrace("move ", 30);
        move = next.empty() ? lastLine(game, "move ") : next;
        if (!lastLine(game, "level 1 won").empty()) return;
    }
    input.hammer();
    ASSERT_TRUE(cursorTo(game, input, {5, 5})) << traceText(game);
    input.confirm();
}

TEST(KeysProgram, ALevelIsWonByTheKeyboardAloneWithTheCursorInSight) {
    if (!canRunGame()) GTEST_SKIP() << "needs X, xdotool, xwd";
    RunningGame game;
    writePlayer(game, player("KEYS"));
    writePlusLevel(game);
    game.start({"QUELMAR_START_LEVEL=1", "QUELMAR_START_HAMMERS=1"});
    ASSERT_FALSE(game.window.empty()) << game.errors();
    ASSERT_FALSE(game.waitForTrace("level 1 loaded", 120).empty()) << traceText(game);
    ASSERT_FALSE(game.waitForTrace("move ", 60).empty()) << traceText(game);
    game.skipTrace();

    // The first arrow shows the cursor where it stands: its cell lights up in the picture.
    const Picture before = game.capture("before");
    game.key("Right");
    ASSERT_FALSE(game.waitForTrace("cursor ", 10).empty()) << traceText(game);
    const CellAt at = lastCursor(game);
    const Vec2 centre = cellCentre(at.row, at.column);
    std::this_thread::sleep_for(300ms);
    const Picture shown = game.capture("cursor");
    EXPECT_GT(shown.difference(before, centre.x - 28, centre.y - 28, centre.x + 28, centre.y + 28), 30000);

    // M silences everything and brings it back.
    game.key("m");
    EXPECT_TRUE(waitForLine(game, "mute 1", 10)) << traceText(game);
    game.key("m");
    EXPECT_TRUE(waitForLine(game, "mute 0", 10)) << traceText(game);

    game.skipTrace();
    Keys keys(game);
    winByInput(game, keys);
    EXPECT_FALSE(game.waitForTrace("level 1 won", 60).empty()) << traceText(game);
    EXPECT_TRUE(sanitizersQuiet(game)) << game.errors();
}

TEST(KeysProgram, ALevelIsWonByAVirtualPadAloneAndThePadIsTakenWhenPluggedIn) {
    if (!canRunGame()) GTEST_SKIP() << "needs X, xdotool, xwd";
    RunningGame game;
    writePlayer(game, player("PAD"));
    writePlusLevel(game);
    const std::string commands = (game.folder.path() / "pad.txt").string();
    std::ofstream(commands).close();
    game.start({"QUELMAR_START_LEVEL=1", "QUELMAR_START_HAMMERS=1", "QUELMAR_VIRTUAL_PAD=" + commands});
    ASSERT_FALSE(game.window.empty()) << game.errors();
    ASSERT_FALSE(game.waitForTrace("level 1 loaded", 120).empty()) << traceText(game);
    ASSERT_FALSE(game.waitForTrace("move ", 60).empty()) << traceText(game);

    // Plugged in while the level runs: taken at once.
    Pad pad(game, commands);
    pad.send("plug");
    pad.flush();
    ASSERT_FALSE(game.waitForTrace("pad added, 1 now", 20).empty()) << traceText(game);
    // Start pauses the level, A (any button) goes on.
    pad.press("start");
    pad.press("a");
    game.skipTrace();
    winByInput(game, pad);
    EXPECT_FALSE(game.waitForTrace("level 1 won", 60).empty()) << traceText(game);
    pad.send("unplug");
    pad.flush();
    EXPECT_FALSE(game.waitForTrace("pad removed, 0 now", 20).empty()) << traceText(game);
    EXPECT_TRUE(sanitizersQuiet(game)) << game.errors();
}

}  // namespace
