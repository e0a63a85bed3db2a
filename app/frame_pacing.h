#pragma once
// Frame pacing: one frame per refresh of the display, on every screen. Where the display
// honours the swap interval, presenting waits for the refresh by itself and the pacer
// never waits; where presenting returns at once (a virtual X server, some compositors
// and drivers), the pacer holds each present back until its turn, one refresh period
// after the last turn. Which case holds is found from the frames themselves: presents
// that follow each other faster than the display refreshes are not paced by it, and
// only then does the pacer start holding them back, so the two never both wait. The
// program starts the pacer again whenever the window or its display changes, and the
// question is asked anew. Frames slower than the display are never held back, and
// turns missed by a stall are not caught up with a burst.
// Times are microseconds of a monotonic clock; the caller sleeps until the time
// presentTime gives. Animation keeps following the measured frame time: the pacer only
// decides when frames are shown.
#include <cstdint>

constexpr int kPacingWindow = 16;      // frames looked at for each decision
constexpr int kDefaultRefreshHz = 60;  // where the display's rate cannot be read
constexpr int kLowestRefreshHz = 24;   // rates outside 24..500 Hz are taken as unreadable
constexpr int kHighestRefreshHz = 500;

enum class PacingMode : uint8_t {
    Display,  // presenting waits for the display; the pacer does not wait
    Limiter,  // presenting returns at once; the pacer holds each present to its turn
};

struct FramePacer {
    uint32_t periodUs;  // one refresh of the display
    PacingMode mode;
    uint64_t targetUs;                    // when the present being made was allowed to start
    uint32_t heldUs;                      // how long it was held back
    uint32_t restUs;                      // the rest taken before this frame was drawn (frameRest)
    uint32_t spareUs;                     // what the last frame left of its period without rest or hold
    uint64_t nextUs;                      // Limiter: the next present's turn; 0 = none yet
    uint64_t lastEndUs;                   // when the last present returned; 0 = none yet
    uint32_t intervalsUs[kPacingWindow];  // from one present's end to the next one's
    int32_t samples;                      // filled since the last decision
    int32_t switches;                     // how often the mode changed (for tests and benchmarks)
};

extern FramePacer framePacer;  // the program's one pacer, set up by startPacing

// Starts (or starts again, after a re-activation or a change of window or display) with
// the display's refresh rate in Hz (0 or out of range: 60). swapIntervalHolds says
// whether the device accepted waiting for the display on present; when it did not,
// the pacer holds presents back from the first frame.
void startPacing(FramePacer& p, int refreshHz, bool swapIntervalHolds);

// When the present of the frame just drawn may start, given the time now: now itself
// unless the pacer holds presents back and this one's turn has not come. After a stall
// of more than a period the turns start again from now: no burst of frames catches up.
uint64_t presentTime(FramePacer& p, uint64_t nowUs);

// A rest before drawing a frame, to leave time to the system: wantedUs where the display
// paces the frames; where the pacer does, no more than the last frame had to spare, so
// the rest is taken out of the wait before the present instead of being added to the
// frame. Returns the rest in microseconds; the caller sleeps that long.
uint32_t frameRest(FramePacer& p, uint32_t wantedUs);

// After the present returned at endUs: records the frame and, every kPacingWindow
// frames, decides between Display and Limiter.
void presentDone(FramePacer& p, uint64_t endUs);
