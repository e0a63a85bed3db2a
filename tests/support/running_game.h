#pragma once
// The real game program for program tests. Each RunningGame has its own copy of the
// program and its data in a temporary folder, its own user data folder (no player
// files, windowed at 800 x 600) and its own X server, so tests run side by side without taking each other's
// focus. Keys and clicks go through the window system (xdotool); pictures are the ones the program itself
// writes of the frames it shows. Every frame is 33 ms of game time however long it took
// (QUELMAR_FIXED_STEP_MS), so a busy machine makes the game slower, never harder, and the same input at the
// same frames plays the same game.
//
// A test follows the game's trace, one line per event led by its frame number:
// "412 menu main ready", "980 level 3 loaded mode 0", "1204 move -75 100 -25 100". It
// waits on lines and on frame numbers with waitFor, never on the clock; each input it
// sends is waited for until the program has received it ("input key 13").
#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/settings.h"
#include "tests/support/temp_folder.h"

namespace e2e {

namespace fs = std::filesystem;

class RunningGame;

struct Rgb {
    int r, g, b;
};

// A picture of a whole frame as the program showed it.
struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgba;  // rows from the top
    std::string state;          // on the play screen, the game's state the program wrote beside it
    bool empty() const { return width == 0; }
    // A point of menu space (centre origin, y up, 800 x 600 whatever the window's size);
    // (-1, -1, -1) outside the picture.
    Rgb at(float x, float y) const;
    // The mean absolute channel difference per pixel over a menu-space rectangle (0: the
    // same there; 255 * 3 the most).
    double difference(const Picture& other, float left, float bottom, float right, float top) const;
    bool sameAs(const Picture& other, float left, float bottom, float right, float top) const {
        return difference(other, left, bottom, right, top) == 0;
    }
};
// A PNG file as a Picture, with the state beside it (empty when it cannot be read).
Picture loadPicture(const fs::path& file);

// One line of the trace: the frame it happened in and what happened.
struct TraceLine {
    uint32_t frame = 0;
    std::string text;
    bool found = false;
    explicit operator bool() const { return found; }
};
// The numbers after `word` in a line ("lives 3" -> 3), or -1.
int numberAfter(const std::string& text, const char* word);

// What a wait waits for: a predicate over trace lines, and a request the program is
// asked to carry out first (a mark at a frame).
struct Until {
    std::function<bool(const TraceLine&)> matches;
    std::string description;
    std::string request;
};
// The line is `text`, or `text` followed by further words: "level 1 won" is met by
// "level 1 won score 1200", "skip" by "skip: level 2 lives 1", "menu main" by "menu
// main" and by "menu main ready" (never by "menu mainly").
Until line(const std::string& text);
// The line is exactly `text`.
Until exactly(const std::string& text);
// Frame n has begun (the program is asked to trace "mark n" then).
Until frame(uint32_t n);
// The first of several.
Until anyOf(std::vector<Until> options);

// Replaces the field of a level file in the game's data ("pack1_05.lvl") with one of
// four single covers in the middle, keeping everything else: won after a few moves,
// for tests about what comes before and after a level rather than its field (every
// game frame is time a test waits for).
void shortenLevel(RunningGame& game, const std::string& levelFile);

// The exit status of a process once it has ended; -1 when it did not within the time
// (it is ended then).
int exitStatusOf(pid_t pid, int seconds);

// Whether the tools are here (an X server to start, xdotool); tests skip otherwise.
bool canRunGame();

// The game time every frame advances by (QUELMAR_FIXED_STEP_MS), and the frames a stretch
// of game time takes.
constexpr int kStepMs = 33;
constexpr uint32_t framesOf(int ms) {
    return static_cast<uint32_t>(ms / kStepMs);
}

// The outer limit of a wait, against a program that hangs: long, as a wait ends with
// the event, never with the time. A test never depends on it.
constexpr int kHangSeconds = 300;

class RunningGame {
  public:
    RunningGame();
    ~RunningGame();
    RunningGame(const RunningGame&) = delete;
    RunningGame& operator=(const RunningGame&) = delete;

    fs::path data() const { return folder.path() / "game" / "Data"; }
    // The player files: this test's own user data folder (XDG_DATA_HOME).
    fs::path userData() const { return folder.path() / "home"; }
    fs::path settings() const { return userData() / "10quelmars" / "settings"; }
    fs::path tracePath() const { return folder.path() / "trace.txt"; }
    fs::path program() const { return folder.path() / "game" / "quelmar-game"; }
    std::string errors() const { return readBytes(folder.path() / "errors.txt"); }
    // Writes a file of the data folder (replacing a linked one, never the build's).
    void writeDataFile(const fs::path& relative, const std::string& bytes);
    void writeSettingsFile(const Settings& values);
    // The display the program shows its window on (":12").
    const std::string& display() const { return display_; }

    // Starts the program with `environment` ("NAME=value" entries, or "NAME" alone to
    // leave NAME out) added to the test's own, waits for its window and shortens each splash picture with a
    // key, as an impatient player does (run() leaves the splash alone). False when that went wrong (see
    // report()).
    bool start(const std::vector<std::string>& environment = {});
    // Starts another copy in the same folder and display (its standard error to
    // `errors`), without waiting for anything: for the single-copy check. Its exit
    // status with exitStatusOf.
    pid_t spawn(const std::vector<std::string>& environment, const fs::path& errors);
    // Runs the program to its end: its exit status, or -1 when it had to be stopped.
    int run(const std::vector<std::string>& environment, int seconds = kHangSeconds);
    void stop();       // ends it at once
    void terminate();  // asks it to end, as the desktop does when the session closes
    // The exit status once it has ended (-1 when it did not within the time).
    int exitStatus(int seconds = kHangSeconds);
    bool running();

    // The one wait: the first line after the last one a wait found that meets `until`;
    // not found when the program ended first (or the hang limit passed).
    TraceLine waitFor(const Until& until, int seconds = kHangSeconds);
    // Skips every line written so far: later waits see only what comes next.
    void skipTrace();
    // Every line of the trace so far, and the frame of the last one read.
    std::vector<TraceLine> traceLines();
    uint32_t lastFrame() const { return lastFrame_; }

    // Input through the window system, each waited for until the program has it and has
    // run the frame that handles it (later waits still see every line since theirs). Keys
    // by their X names ("Return", "Escape", "Up", "a"); points in menu space (centre
    // origin, y up) of an 800 x 600 window, or `windowScale` times that when larger.
    TraceLine key(const std::string& name);
    void keys(const std::vector<std::string>& names);
    TraceLine moveTo(float x, float y);
    TraceLine click(float x, float y);
    TraceLine rightClick();
    TraceLine press();    // the left button down where the pointer is
    TraceLine release();  // and up
    float windowScale = 1.0f;
    // Past the splash: the key its prompt asks for once the data is loaded.
    bool pastTheSplash();
    // The key pressed again every `everyFrames` frames until a line meets `until`.
    TraceLine pressUntil(const std::string& name, const Until& until, uint32_t everyFrames = framesOf(500));

    // A picture of the next frame shown (or of frame n), as the program writes it.
    // QUELMAR_TEST_PICTURES=folder keeps a copy of each to look at.
    Picture picture(const std::string& name, uint32_t atFrame = 0);

    // Plays the running level like a patient player: each time the field waits for a
    // move the game traces its hint, and this clicks the figure and then its target; a
    // tip that waits for an answer gets a key. Stops at a line meeting `until`; false
    // when the program ended or hung first.
    bool playUntil(const Until& until);

    // xdotool on the game's display, with its output: for what the above does not cover.
    std::string xdotool(const std::string& arguments);

    // What went wrong, for failure messages: standard error and the trace.
    std::string report();
    // Whether the sanitizers had anything to say so far.
    bool sanitizersQuiet() const;

    TempFolder folder;
    pid_t pid = -1;
    std::string window;

  private:
    void startDisplay();
    void request(const std::string& line);
    void readNewLines();
    TraceLine waitOn(const Until& until, size_t& cursor, int seconds);
    size_t echoCursor();
    TraceLine handled(const Until& echo, size_t cursor);
    TraceLine pointerEvent(const std::string& xdotoolArguments, const Until& echo);

    pid_t displayPid_ = -1;
    std::string display_;
    std::vector<TraceLine> lines_;
    size_t traceRead_ = 0;  // lines before it were seen by a wait
    size_t bytesRead_ = 0;
    std::string partial_;
    uint32_t lastFrame_ = 0;
    int pictures_ = 0;
};

}  // namespace e2e
