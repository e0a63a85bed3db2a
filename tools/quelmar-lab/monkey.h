#pragma once
// The monkey: plays levels through the real frame update with random input a person
// could give at any moment (clicks on and off the field, drags, right and double
// clicks, keys, the hammer and the clock, pause, the game menu with restart, skip and
// quitting, the statistics, saving and loading) at frames of 1 to 100 ms, and checks
// after every frame that the player is never stranded, frozen or cheated. It stops at
// the first broken rule with a report that plays the same again from its seed.
//
// The level texts come from the file registry under levelFileName: the tool registers
// a folder of level files, a test registers its own texts.
#include <cstdint>
#include <string>
#include <vector>

struct GameState;

struct MonkeyOptions {
    std::vector<int> levels;     // level indices 0..79 to play
    int seeds = 1;               // games per level, seeds firstSeed, firstSeed + 1, ...
    uint32_t firstSeed = 1;      // the seed of the first round
    double minutes = 0.0;        // > 0: play rounds of all levels until this much wall time passed
    float gameSeconds = 240.0f;  // a game that neither wins nor loses ends after this much game time
    // A deliberately broken rule, run after every frame (tests show that each check
    // catches what it claims to catch). Null in real runs.
    void (*breakRule)(GameState& g, long frame) = nullptr;
};

struct MonkeyFailure {
    std::string invariant;  // "stuck", "tiles", "hole", "index", "powerup", "pickup", "savedGame", "score",
                            // "records", "time"
    std::string detail;
    uint32_t seed = 0;
    int level = 0;    // the level index the game started on (with seed, it replays the game)
    int playing = 0;  // the level index being played when the rule broke
    long frame = 0;
    float gameSeconds = 0.0f;         // the game-time limit the game ran under
    std::vector<std::string> inputs;  // every input of the game so far, with its frame
    std::string field;                // the field when the rule broke
    std::string state;                // the flags of the level when the rule broke
};

struct MonkeySummary {
    long games = 0;
    long frames = 0;
    long inputs = 0;
    long won = 0;
    long lost = 0;
    long unfinished = 0;
    long saves = 0;  // saved games written and read back
    long loads = 0;  // games that went on from the loaded copy
    double seconds = 0.0;
    bool failed = false;
    MonkeyFailure failure;
};

MonkeySummary runMonkey(const MonkeyOptions& options);
// The summary as one line of JSON; the failure's input list is left to monkeyReport.
std::string monkeySummaryJson(const MonkeySummary& summary);
// The whole report of a failure: seed, level, frame, every input and the field.
std::string monkeyReport(const MonkeyFailure& failure);
