// The frame pacer against simulated displays: one whose present waits for the next
// refresh, one whose present returns at once, and one that starts waiting halfway. Each simulated frame takes
// its work time, asks the pacer for its turn, waits for it as the program does and presents; what the display
// shows is the list of times the presents returned.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "app/frame_pacing.h"

namespace {

constexpr uint32_t kPeriod60 = 1000000 / 60;

struct SimulatedDisplay {
    bool waitsForRefresh;  // the swap interval holds
    uint32_t refreshUs;    // the real refresh of the display
    uint32_t swapUs;       // what presenting costs when it does not wait
};

struct PacedRun {
    std::vector<uint64_t> shown;  // when each present returned
    uint64_t heldTotal = 0;       // what the pacer made the frames wait, in all
};

// Runs frames of workUs each (a function of the frame number) for the given time.
template <typename Work>
PacedRun runFrames(FramePacer& p, const SimulatedDisplay& display, uint64_t& clock, uint64_t untilUs,
                   Work work, bool rest = false) {
    PacedRun run;
    for (int frame = 0; clock < untilUs; ++frame) {
        if (rest) clock += frameRest(p, 5000);
        clock += work(frame);
        const uint64_t turn = presentTime(p, clock);
        EXPECT_GE(turn, clock);
        run.heldTotal += turn - clock;
        clock = turn;
        if (display.waitsForRefresh)
            clock = (clock / display.refreshUs + 1) * display.refreshUs;  // the next refresh
        else
            clock += display.swapUs;
        presentDone(p, clock);
        run.shown.push_back(clock);
    }
    return run;
}

double framesPerSecond(const std::vector<uint64_t>& shown, size_t from) {
    return static_cast<double>(shown.size() - 1 - from) * 1e6 /
           static_cast<double>(shown.back() - shown[from]);
}

uint64_t shortestInterval(const std::vector<uint64_t>& shown, size_t from) {
    uint64_t shortest = UINT64_MAX;
    for (size_t i = from + 1; i < shown.size(); ++i) shortest = std::min(shortest, shown[i] - shown[i - 1]);
    return shortest;
}

auto constantWork(uint32_t us) {
    return [us](int) { return us; };
}

}  // namespace

TEST(FramePacing, ADisplayThatWaitsForItsRefreshPacesAloneAndThePacerNeverWaits) {
    FramePacer p = {};
    startPacing(p, 60, true);
    uint64_t clock = 1000;
    const SimulatedDisplay display = {true, kPeriod60, 0};
    const PacedRun run = runFrames(p, display, clock, 10'000'000, constantWork(4000));
    EXPECT_EQ(p.mode, PacingMode::Display);
    EXPECT_EQ(run.heldTotal, 0u);
    EXPECT_NEAR(framesPerSecond(run.shown, 0), 60.0, 0.1);
    // Slow frames on such a display: still nothing held back.
    const PacedRun slow = runFrames(p, display, clock, 20'000'000, constantWork(20000));
    EXPECT_EQ(slow.heldTotal, 0u);
    EXPECT_EQ(p.switches, 0);
}

TEST(FramePacing, PresentsThatReturnAtOnceAreHeldToTheRefreshRateNeverAboveNorBelow) {
    FramePacer p = {};
    startPacing(p, 60, true);  // accepted, but not kept: a virtual X server
    uint64_t clock = 1000;
    const SimulatedDisplay display = {false, kPeriod60, 1500};
    // Uneven work of 2 to 9 ms a frame.
    const PacedRun run =
        runFrames(p, display, clock, 20'000'000, [](int frame) { return 2000u + (frame * 7919u) % 7000u; });
    EXPECT_EQ(p.mode, PacingMode::Limiter);
    EXPECT_EQ(p.switches, 1);
    // Found within the first decision; from then on every second shows 60 frames.
    const size_t settled = kPacingWindow + 2;
    EXPECT_NEAR(framesPerSecond(run.shown, settled), 60.0, 0.05);
    for (size_t second = 1; second < 19; ++second) {
        const auto from = std::lower_bound(run.shown.begin(), run.shown.end(), second * 1'000'000ull);
        const auto to = std::lower_bound(run.shown.begin(), run.shown.end(), (second + 1) * 1'000'000ull);
        EXPECT_NEAR(static_cast<double>(to - from), 60.0, 1.0) << "second " << second;
    }
    // Turns are kept on an absolute schedule: a frame that took longer is followed by
    // one that waits less, never by one shown early.
    EXPECT_GE(shortestInterval(run.shown, settled), kPeriod60 - 9000);
}

TEST(FramePacing, UnreadableRatesAreTakenAsSixtyAndOtherRatesAreFollowed) {
    for (int unreadable : {0, -1, 3, 100000}) {
        FramePacer p = {};
        startPacing(p, unreadable, false);
        EXPECT_EQ(p.periodUs, kPeriod60) << unreadable;
    }
    FramePacer p = {};
    startPacing(p, 144, false);  // refused swap interval: the limiter from the first frame
    EXPECT_EQ(p.mode, PacingMode::Limiter);
    uint64_t clock = 1000;
    const PacedRun run = runFrames(p, {false, 0, 500}, clock, 5'000'000, constantWork(1000));
    EXPECT_NEAR(framesPerSecond(run.shown, 2), 144.0, 0.5);
}

TEST(FramePacing, FramesSlowerThanTheDisplayAreNeverHeldBackAndAStallIsNotCaughtUpWithABurst) {
    FramePacer p = {};
    startPacing(p, 60, false);
    uint64_t clock = 1000;
    const SimulatedDisplay display = {false, kPeriod60, 1000};
    const PacedRun slow = runFrames(p, display, clock, 5'000'000, constantWork(25000));
    EXPECT_EQ(slow.heldTotal, 0u);
    // Quick frames again after one frame that stalled for 300 ms.
    const PacedRun after =
        runFrames(p, display, clock, 10'000'000, [](int frame) { return frame == 0 ? 300000u : 3000u; });
    EXPECT_GE(shortestInterval(after.shown, 1), kPeriod60 - 100);
    EXPECT_NEAR(framesPerSecond(after.shown, 1), 60.0, 0.1);
}

TEST(FramePacing, WhenTheDisplayStartsWaitingAsWellTheFramesFollowItsRefresh) {
    FramePacer p = {};
    startPacing(p, 60, true);
    uint64_t clock = 1000;
    runFrames(p, {false, kPeriod60, 1000}, clock, 3'000'000, constantWork(3000));
    ASSERT_EQ(p.mode, PacingMode::Limiter);
    // The window moves to a display that keeps the swap interval and refreshes a little
    // slower than the rate read (59.9 Hz): its refresh sets the rate, and no frame waits
    // a refresh more for the pacer's turn.
    const PacedRun moved = runFrames(p, {true, 16694, 0}, clock, 13'000'000, constantWork(3000));
    EXPECT_NEAR(framesPerSecond(moved.shown, 0), 1e6 / 16694, 0.1);
    EXPECT_GE(shortestInterval(moved.shown, 0), 16694u);
    uint64_t longest = 0;
    for (size_t i = 1; i < moved.shown.size(); ++i)
        longest = std::max(longest, moved.shown[i] - moved.shown[i - 1]);
    EXPECT_LT(longest, 2u * 16694u);
}

TEST(FramePacing, ThePlayScreensRestComesOutOfTheFramesWaitAndIsCutWhenTheFrameHasNoTimeToSpare) {
    FramePacer p = {};
    startPacing(p, 60, false);
    uint64_t clock = 1000;
    const SimulatedDisplay display = {false, kPeriod60, 1000};
    // Frames of 6 ms with the rest: still 60 a second, not 60 less 5 ms each.
    const PacedRun light = runFrames(p, display, clock, 10'000'000, constantWork(6000), true);
    EXPECT_NEAR(framesPerSecond(light.shown, kPacingWindow), 60.0, 0.1);
    // Frames of 14.5 ms leave 1.2 ms: the rest shrinks to it and the rate holds.
    const PacedRun heavy = runFrames(p, display, clock, 20'000'000, constantWork(14500), true);
    EXPECT_NEAR(framesPerSecond(heavy.shown, kPacingWindow), 60.0, 0.5);
    // Where the display paces, the rest is the whole 5 ms, as before.
    FramePacer q = {};
    startPacing(q, 60, true);
    EXPECT_EQ(frameRest(q, 5000), 5000u);
}
